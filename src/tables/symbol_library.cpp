// The symbol library: one block "SYM" + name per definition of the symbol
// file, each made of 2D polylines.
//
// Outline and end lines that stand where no block is open (before the first
// definition start, or after a definition start whose block could not be
// added or opened) have no block to go to and are skipped.
#include <string>
#include <vector>

#include "run/record_reader.h"
#include "run/run.h"
#include "tables/symbol_outline.h"

namespace ostrel {

namespace {

constexpr std::string_view kDefinitionStart = "SYMDEF";
constexpr std::string_view kDefinitionEnd = "ENDSYM";
constexpr std::string_view kSymbolPrefix = "SYM";

} // namespace

void ConversionRun::LoadSymbolLibrary(ExportFile& file) {
    if (DrawingHandle == 0) return;
    CadLibrary& library = *tk->library;
    const std::string modelSpace = library.FindBlockByName(DrawingHandle, "*Model_Space");
    if (library.LastStatus() != kStatusOk) return;
    tk->blockWriter.OpenBlockForAppend(DrawingHandle, modelSpace);
    if (tk->blockWriter.BlockStatus() != kStatusOk) return;

    BlockWriter& block = tk->symbolBlockWriter;
    EntityHeader& header = tk->header;
    bool blockOpen = false;
    std::string blockName;
    std::vector<OutlineVertex> vertices;

    auto startEntity = [&](EntityKind kind) {
        header.SetEntityKind(kind);
        header.InitEntityDefaults(DrawingHandle);
        header.SetEntityHandle(library.NewHandle(DrawingHandle));
    };

    while (!file.AtEnd()) {
        const std::string_view line = file.ReadLine();
        const std::string_view keyword = GetCommaField(0, line);

        if (keyword == kDefinitionStart) {
            blockName.assign(kSymbolPrefix).append(GetCommaField(1, line));
            block.ResetBlockRecord();
            block.SetBlockName(blockName);
            block.SetBlockHandle(library.NewHandle(DrawingHandle));
            block.AddBlockRecord(DrawingHandle);
            block.OpenBlockForAppend(DrawingHandle, block.GetBlockEntityList());
            blockOpen = block.BlockStatus() == kStatusOk;
            if (!blockOpen) continue;
            startEntity(kKindBlockBegin);
            tk->blockBeginData.InitBlockBegin(DrawingHandle);
            tk->blockBeginData.SetBlockBeginName(blockName);
            header.AppendEntity(DrawingHandle, block.GetEntityList(), tk->blockBeginData.GetBlockBeginData());
        } else if (keyword == kDefinitionEnd) {
            if (!blockOpen) continue;
            startEntity(kKindBlockEnd);
            header.AppendEntity(DrawingHandle, block.GetEntityList(), nullptr);
        } else {
            bool closed = false;
            if (!blockOpen || !ParseOutline(line, vertices, closed)) continue;
            startEntity(kKindPolyline);
            header.SetEntityColour(0);
            tk->polylineData.InitPolyline(DrawingHandle);
            tk->polylineData.SetPolylineFlags(closed ? 1 : 0);
            header.AppendEntity(DrawingHandle, block.GetEntityList(), tk->polylineData.GetPolylineData());
            for (const OutlineVertex& v : vertices) {
                startEntity(kKindVertex);
                tk->vertexData.InitVertex(DrawingHandle);
                tk->vertexData.SetVertexCoord(0, v.x);
                tk->vertexData.SetVertexCoord(1, v.y);
                tk->vertexData.SetVertexFlags(0);
                header.AppendEntity(DrawingHandle, block.GetEntityList(), tk->vertexData.GetVertexData());
            }
            startEntity(kKindSeqEnd);
            header.AppendEntity(DrawingHandle, block.GetEntityList(), nullptr);
        }
    }
}

} // namespace ostrel
