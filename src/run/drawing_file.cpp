// The drawing file's lifecycle: creation, extents, save.
#include <algorithm>
#include <cctype>

#include "cad/atomic_file.h"
#include "run/run.h"
#include "run/settings.h"

namespace ostrel {

void ConversionRun::CreateDrawing() {
    auto& db = tk->database;
    DrawingHandle = db.CreateNewDrawing(7);
    if (DrawingHandle != 0) {
        DrawingHeader header;
        header.ReadHeader(db, DrawingHandle);
        header.SetHeaderShort(kHeaderCodePage, db.CodePageFromName("ansi_1252"));
        header.WriteHeader(db, DrawingHandle);

        auto& bw = tk->blockWriter;
        bw.ResetBlockRecord();
        bw.SetBlockName("NewBlock");
        bw.SetBlockHandle(tk->library->NewHandle(DrawingHandle));
        bw.AddBlockRecord(DrawingHandle);
        bw.OpenBlockForAppend(DrawingHandle, bw.GetBlockEntityList());

        auto& eh = tk->header;
        eh.SetEntityKind(kKindBlockBegin);
        eh.InitEntityDefaults(DrawingHandle);
        eh.SetEntityHandle(tk->library->NewHandle(DrawingHandle));
        tk->blockBeginData.InitBlockBegin(DrawingHandle);
        tk->blockBeginData.SetBlockBeginName("NewBlock");
        eh.AppendEntity(DrawingHandle, bw.GetEntityList(), tk->blockBeginData.GetBlockBeginData());

        eh.SetEntityKind(kKindBlockEnd);
        eh.SetEntityHandle(tk->library->NewHandle(DrawingHandle));
        eh.AppendEntity(DrawingHandle, bw.GetEntityList(), nullptr);
    }
    if (db.DrawingStatus() == 0 && DrawingHandle != 0) {
        ReadObjectKinds();
    } else {
        DrawingHandle = 0;
        prompter().ShowMessage("Error in CdNewFile: " + db.StatusText(db.DrawingStatus()), MessageIcon::Critical);
    }
}

void ConversionRun::ReadObjectKinds() {
    auto& db = tk->database;
    int n = 0;
    ObjectKinds[n++] = tk->kinds1.GetObjectKindCode(db, DrawingHandle, 0);
    ObjectKinds[n++] = tk->kinds1.GetObjectKindCode(db, DrawingHandle, 1);
    for (int g = 0; g < 7; ++g) ObjectKinds[n++] = tk->kinds2.GetObjectKindCode(db, DrawingHandle, g);
    PlotStyleNameKind = tk->kinds1.GetObjectKindCode(db, DrawingHandle, 2);
    ObjectKinds[n++] = PlotStyleNameKind;
    ObjectKinds[n++] = tk->kinds1.GetObjectKindCode(db, DrawingHandle, 3);
}

void ConversionRun::UpdateExtents(double x, double y) {
    auto& e = DrawingExtents;
    if (e.MinX == 0 || x < e.MinX) e.MinX = x;
    if (e.MinY == 0 || y < e.MinY) e.MinY = y;
    if (x > e.MaxX) e.MaxX = x;
    if (y > e.MaxY) e.MaxY = y;
}

void ConversionRun::WriteExtents() {
    if (DrawingHandle == 0) return;
    DrawingHeader header;
    header.ReadHeader(tk->database, DrawingHandle);
    header.SetHeaderPointCoord(kHeaderExtMin, 0, DrawingExtents.MinX);
    header.SetHeaderPointCoord(kHeaderExtMin, 1, DrawingExtents.MinY);
    header.SetHeaderPointCoord(kHeaderExtMin, 2, 0.0);
    header.SetHeaderPointCoord(kHeaderExtMax, 0, DrawingExtents.MaxX);
    header.SetHeaderPointCoord(kHeaderExtMax, 1, DrawingExtents.MaxY);
    header.SetHeaderPointCoord(kHeaderExtMax, 2, 30.0);
    header.WriteHeader(tk->database, DrawingHandle);
}

void ConversionRun::SaveDrawing(const std::string& path) {
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool dwg = upper.find(".DWG") != std::string::npos;
    const std::uint8_t fileType = dwg ? 0 : 1;
    const std::int16_t version = SettingsNumber(GetINIValue("EXPORT", dwg ? "DWGVersion" : "DXFVersion"));
    if (DrawingHandle == 0) return;
    // EXPORT/LWPOLYLINE "1": plan polylines are written as lightweight
    // polylines where the release has them (the database keeps them heavy).
    tk->database.Get(DrawingHandle).lightweightPolylines = GetINIValue("EXPORT", "LWPOLYLINE") == "1";
    if (beforeSave) beforeSave(tk->database.Get(DrawingHandle));
    {
        // The host sees the save's bytes as they are written.
        struct SaveProgressScope {
            explicit SaveProgressScope(std::shared_ptr<ProgressSink> sink) {
                if (sink)
                    cad::SetSaveProgress([sink](std::uint64_t n) { sink->DrawingWritten(static_cast<std::int64_t>(n)); });
            }
            ~SaveProgressScope() { cad::SetSaveProgress({}); }
        } scope(host_.progress);
        tk->library->SaveDrawingFile(DrawingHandle, path, fileType, version, 0, 6, 1, 1);
    }
    if (tk->library->LastStatus() != 0) {
        DrawingHandle = 0;
        prompter().ShowMessage("Error in CdSaveFile: " + tk->database.StatusText(tk->library->LastStatus()),
                               MessageIcon::Critical);
    }
}

} // namespace ostrel
