// The conversion run: construction, the order of the run's steps and the
// keyword dispatch of the record loop.
#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <optional>

#include "run/record_reader.h"
#include "run/recording_prompter.h"
#include "run/run.h"
#include "run/settings.h"
#include "ostrel/clsDWG.h"
#include "platform/huge_pages.h"
#include "platform/prefault.h"
#include "platform/profile_files.h"
#include "trim/frmDWGTrim.h"

namespace ostrel {

namespace {

// Sizes the drawing's entity store from the export's length before the
// records are read, so that millions of entities are stored without the
// copying of repeated growth. A record of a few dozen bytes makes about one
// entity (a vertex takes a dozen or more); capacity never touched costs no
// memory, and a store that cannot be had at once simply grows as it goes.
void ReserveEntitiesFor(cad::Drawing& drawing, std::int64_t exportBytes) {
    constexpr std::int64_t kBytesPerEntity = 16;
    constexpr std::int64_t kMostEntities = std::int64_t{1} << 27;
    std::int64_t n = std::min(exportBytes / kBytesPerEntity, kMostEntities);
    if (n <= static_cast<std::int64_t>(drawing.entities.capacity())) return;
    try {
        drawing.entities.reserve(drawing.entities.size() + static_cast<std::size_t>(n));
        // The model space lists nearly all of them.
        const auto model = drawing.ModelSpace();
        if (model != cad::kNone) {
            auto& list = drawing.blocks[model].entities;
            list.reserve(list.size() + static_cast<std::size_t>(n));
        }
    } catch (const std::exception&) {
        return;
    }
    platform::AdviseHugePages(drawing.entities.data(), drawing.entities.capacity() * sizeof(cad::Entity));
}

// What the saved drawing holds, for the report: its release and its
// model-space entities by type.
void TallyWritten(const cad::Drawing& d, ConversionReport& report) {
    report.written = true;
    report.release = cad::ReleaseName(d.release);
    const std::uint32_t model = d.ModelSpace();
    if (model == cad::kNone) return;
    std::array<std::int64_t, cad::kEntityTypeCount> counts{};
    for (std::uint32_t i : d.blocks[model].entities)
        if (const auto t = static_cast<std::size_t>(d.entities[i].type); t < counts.size()) ++counts[t];
    for (std::size_t t = 0; t < counts.size(); ++t)
        if (counts[t]) report.entitiesByType[cad::EntityTypeName(static_cast<cad::EntityType>(t))] = counts[t];
}

} // namespace

Toolkit::Toolkit(std::unique_ptr<CadLibrary> (*makeLibrary)(CadDatabase&))
    : library(makeLibrary ? makeLibrary(database) : std::make_unique<CadLibrary>(database)) {}

ConversionRun::ConversionRun(HostOptions host) : host_(std::move(host)) {
    if (!host_.prompter) host_.prompter = std::make_shared<SilentPrompter>();
}

void ConversionRun::Construct() {
    RevalidateSettingsCache();
    platform::SystemProfileFiles().SetRelativeFolder({});
    if (!host_.userSettingsOverride.empty()) {
        // The host named the user settings file: the registry is not consulted.
        UserSettingsFile = host_.userSettingsOverride;
    } else {
        EnsureRegistryKey("talvero", true, prompter());
        UserSettingsFile = GetRegistryValue("userini");
        if (UserSettingsFile.empty()) {
            EnsureRegistryKey("office", true, prompter());
            UserSettingsFile = GetRegistryValue("userini");
        }
    }
    SettingsFile() = GetINIValue("OPTION", "txtDWGoverride", UserSettingsFile);
    // A main settings file named by a relative path lies beside the user
    // settings file that names it; SettingsFile keeps the text as read.
    platform::SystemProfileFiles().SetRelativeFolder(FolderOf(UserSettingsFile));
    if (GetINIValue("GENERAL", "DEBUG") == "ON") prompter().ShowMessage("INI=" + SettingsFile(), MessageIcon::None);
    ByEntity = GetINIValue("EXPORT", "BYENT") == "1";
    LayerStyle = SettingsNumber(GetINIValue("EXPORT", "LAYERSTYLE"));
    ReportRefusedSettingsFiles(prompter());
}

bool ConversionRun::OpenModelSpace() {
    auto block = tk->library->FindBlockByName(DrawingHandle, "*Model_Space");
    if (tk->library->LastStatus() != kStatusOk) return false;
    tk->blockWriter.OpenBlockForAppend(DrawingHandle, block);
    return tk->blockWriter.BlockStatus() == kStatusOk;
}

void ConversionRun::Step3InitLibrary() {
    tk = std::make_unique<Toolkit>(makeLibrary);
    tk->library->InitLibrary();
    if (tk->library->LastStatus() != 0) {
        prompter().ShowMessage("Error in cdmain.init.  Application terminating.", MessageIcon::Critical);
        throw ConversionError(ErrorCode::Library, "Error in cdmain.init.  Application terminating.");
    }
}

void ConversionRun::RecordLoop(ExportFile& file, const std::vector<cad::Entity>* entities,
                               platform::PrefaultAhead* prefault) {
    // Every kProgressRecords records the export's passed bytes may be given
    // back, and progress is reported when kProgressBytes more were read.
    constexpr int kProgressRecords = 512;
    constexpr std::int64_t kProgressBytes = 256 * 1024;
    ProgressSink* progress = host_.progress.get();
    const std::int64_t length = progress ? file.Length() : 0;
    std::int64_t reported = 0;
    int untilProgress = kProgressRecords;
    RecordTally* const tally = Tally;
    do {
        if (prefault && entities->data() == prefault->block())
            prefault->Reached(entities->size() * sizeof(cad::Entity));
        if (--untilProgress == 0) {
            untilProgress = kProgressRecords;
            // Between records no view of an earlier line is held.
            file.ReleaseBefore(file.Position());
            if (const std::int64_t at = file.Position() - 1; progress && at - reported >= kProgressBytes) {
                reported = at;
                progress->ExportRead(at, length);
            }
        }
        std::string_view line = file.ReadLine();
        std::string_view keyword = GetCommaField(0, line);
        if (tally) {
            RecordLine = file.LineNumber();
            tally->Read(keyword, line, RecordLine);
        }
        if (keyword == "SYM") AddSymbolRecord(line);
        else if (keyword == "POINT") AddPointRecord(line);
        else if (keyword == "POLY") AddPolylineRecord(line, file, false);
        else if (keyword == "POLY3D") AddPolylineRecord(line, file, true);
        else if (keyword == "TEXT") AddTextRecord(line, false);
        else if (keyword == "TEXT3D") AddTextRecord(line, true);
        else if (keyword == "CIRCLE") AddCircleRecord(line);
        else if (keyword == "TRI") AddTriangleRecord(line);
        else if (keyword == "TRIMEND" || keyword == "TRIM") ReadTrimRecord(line);
        else if (keyword == "STARTTB") {
            BoundaryPolygon.count = 0;
            TitleBlockMode = true;
            dblScale = GetNumField(1, line);
            dblRotation = GetNumField(2, line);
        } else {
            Dropped(keyword.empty() ? DropReason::EmptyLine : DropReason::UnknownKeyword);
        }
    } while (!file.AtEnd());
    if (progress) progress->ExportRead(length, length);
}

namespace {

// Adds "line N of FILE" to errors raised while a record was handled.
[[noreturn]] void RethrowWithLine(const ConversionError& e, const ExportFile& file) {
    std::string where = " (line " + std::to_string(file.LineNumber()) + " of " + file.Path() + ")";
    throw ConversionError(e.code(), e.what() + where);
}

} // namespace

void ConversionRun::SaveAsDWG(const std::string& strIN, const std::string& strOUT) {
    if (host_.report) ConvertWithReport(strIN, strOUT, *host_.report);
    else Convert(strIN, strOUT);
}

void ConversionRun::ConvertWithReport(const std::string& strIN, const std::string& strOUT,
                                      ConversionReport& report) {
    report = ConversionReport{};
    report.input = strIN;
    report.output = strOUT;
    RecordTally tally(report);
    const auto shown = host_.prompter;
    host_.prompter = std::make_shared<RecordingPrompter>(shown, report.messages);
    Tally = &tally;
    const auto start = std::chrono::steady_clock::now();
    auto finish = [&] {
        Tally = nullptr;
        host_.prompter = shown;
        tally.Finish();
        report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    try {
        Convert(strIN, strOUT);
    } catch (const std::exception& e) {
        report.error = e.what();
        finish();
        throw;
    }
    finish();
}

void ConversionRun::Convert(const std::string& strIN, const std::string& strOUT) {
    RevalidateSettingsCache();
    // 1.
    LayerWildcardCount = -1;
    LayerWildcards.clear();
    TitleBlockMode = false;
    HasHeader = false;
    dblScale = 0;
    dblRotation = 0;
    // 2.
    if (GetINIValue("GENERAL", "DEBUG") == "ON")
        prompter().ShowMessage(strIN + "\r\n" + strOUT, MessageIcon::None);
    // 3.
    DrawingHandle = 0;
    Step3InitLibrary();
    // 4.
    CreateDrawing();
    // 5.
    {
        auto symbols = OpenForInput(ChangeExtension(strIN, "SYM"), true, prompter());
        if (symbols) {
            try {
                LoadSymbolLibrary(*symbols);
            } catch (const ConversionError& e) {
                RethrowWithLine(e, *symbols);
            }
        }
    }
    // 6.
    auto file = OpenForInput(strIN, true, prompter());
    if (!file) return;
    // The entity store's pages are faulted in ahead of the records on a
    // second thread (see platform/prefault.h).
    std::optional<platform::PrefaultAhead> prefault;
    std::vector<cad::Entity>* entities = nullptr;
    if (auto* drawing = tk->database.Find(DrawingHandle)) {
        ReserveEntitiesFor(*drawing, file->Length());
        entities = &drawing->entities;
        prefault.emplace(entities->data(), entities->capacity() * sizeof(cad::Entity));
    }
    // 7.
    DrawingExtents = Extents{};
    // 8.-9.
    try {
        std::string_view first = file->ReadLine();
        if (first == "TALVERO") {
            HasHeader = true;
        } else {
            ScanBoundary(*file);
        }
        RecordLoop(*file, entities, prefault ? &*prefault : nullptr);
    } catch (const ConversionError& e) {
        RethrowWithLine(e, *file);
    }
    // 10.
    prefault.reset();
    file.reset();
    WriteExtents();
    const bool sheetInMemory = TitleBlockMode && SaveWithSheet(strOUT);
    if (!sheetInMemory) SaveDrawing(strOUT);
    if (Tally && DrawingHandle != 0) TallyWritten(tk->database.Get(DrawingHandle), *host_.report);
    // 11. Only on the file this call has just written: a save that failed
    // (or no drawing to save) leaves whatever file had that name alone.
    const bool saved = DrawingHandle != 0;
    if (TitleBlockMode && saved && !sheetInMemory) {
        try {
            if (trimHandOff) {
                trimHandOff(strOUT, dblScale, dblRotation);
            } else {
                FormWindowCalls window(formWindow.get());
                frmDWGTrim form(host_.progress.get(), &window);
                std::vector<std::string> layerNames;
                if (auto* drawing = tk->database.Find(DrawingHandle))
                    for (const auto& layer : drawing->layers) layerNames.push_back(layer.name);
                form.LayerNamesGiven(std::move(layerNames));
                form.TrimDWG(strOUT, dblScale, dblRotation);
            }
        } catch (...) {
            // Errors of the trim pass are swallowed: the drawing stays as saved.
        }
    }
    // 12.
    if (GetINIValue("GENERAL", "DEBUG") == "ON") {
        bool more = prompter().AskYesNo(strOUT + " Completed!\r\n\r\nContinue With Progress Messages?");
        if (!more) WriteINIValue("GENERAL", "DEBUG", "OFF");
    }
}

// ------------------------------------------------------------------ clsDWG

clsDWG::clsDWG() : clsDWG(HostOptions{}) {}

clsDWG::clsDWG(HostOptions host) : run_(std::make_unique<ConversionRun>(std::move(host))) { run_->Construct(); }

clsDWG::~clsDWG() = default;

void clsDWG::SaveAsDWG(const std::string& strIN, const std::string& strOUT) { run_->SaveAsDWG(strIN, strOUT); }

ConversionRun& clsDWG::run() { return *run_; }

} // namespace ostrel
