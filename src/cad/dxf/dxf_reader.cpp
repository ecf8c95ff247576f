// Reads a DXF file (ASCII, or binary spelled out as ASCII) into the drawing
// database: the file is loaded whole, split into tags, and each section is
// handed to its reader; the drawing is then completed so that any writer can save it.
#include "cad/dxf/dxf_reader.h"

#include "cad/dxf/dxf_read_binary.h"
#include "cad/dxf/dxf_read_context.h"
#include "platform/file_bytes.h"
#include "platform/huge_pages.h"

namespace ostrel::cad {

namespace {

std::string LoadFile(const std::string& path) {
    std::string bytes, reason;
    if (!platform::ReadWholeFile(path, bytes, reason)) throw CadError("cannot open DXF file " + path + ": " + reason);
    return bytes;
}

// Room for the entities of a file of this size, so that the entity store is
// not moved while it fills (a DXF entity takes well over 100 bytes of text;
// room that is not used is never touched).
void ReserveEntities(Drawing& d, std::size_t fileBytes) {
    d.entities.reserve(fileBytes / 100 + 64);
    platform::AdviseHugePages(d.entities.data(), d.entities.capacity() * sizeof(Entity));
}

// Skips a section this reader does not keep (CLASSES, THUMBNAILIMAGE, ...).
void SkipSection(DxfReadContext& ctx) {
    DxfTag tag;
    while (ctx.tags.Next(tag)) {
        if (tag.code == 0 && tag.value == "ENDSEC") return;
        if (tag.code == 0 && tag.value == "EOF") ThrowAtLine(tag.line, "EOF inside a section");
    }
    ThrowAtLine(ctx.tags.Line(), "file ends inside a section (truncated?)");
}

} // namespace

std::unique_ptr<Drawing> ReadDxfText(std::string_view text) {
    if (IsBinaryDxf(text)) {
        // Read as its ASCII form: line numbers in messages are that form's.
        const std::string ascii = BinaryDxfAsText(text);
        try {
            return ReadDxfText(ascii);
        } catch (const CadError& e) {
            throw CadError(std::string("binary DXF read as text: ") + e.what());
        }
    }
    auto d = std::make_unique<Drawing>();
    // Handles of a read drawing come from the file; none are fixed in advance.
    d->controls = Drawing::Controls{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    d->rootDictionary = 0;
    d->release = Release::R12;      // a DXF without $ACADVER is an R12 file
    ReserveEntities(*d, text.size());

    const bool bom = text.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom) text.remove_prefix(3);
    DxfTagReader reader(text);
    DxfReadContext ctx(*d, reader);
    ctx.utf8 = bom;

    DxfTag tag;
    bool sawEof = false;
    bool sawAny = false;
    while (reader.Next(tag)) {
        sawAny = true;
        if (tag.code == 999) continue;     // comment
        if (tag.code != 0) ThrowAtLine(tag.line, "\"0 SECTION\" expected, found group code " + std::to_string(tag.code));
        if (tag.value == "EOF") {
            sawEof = true;
            break;
        }
        if (tag.value != "SECTION") ThrowAtLine(tag.line, "\"0 SECTION\" expected, found \"" + std::string(tag.value.substr(0, 40)) + "\"");
        DxfTag name;
        if (!reader.Next(name)) ThrowAtLine(reader.Line(), "file ends after SECTION");
        if (name.code != 2) ThrowAtLine(name.line, "section name (group code 2) expected");
        if (name.value == "HEADER") ReadHeaderSection(ctx);
        else if (name.value == "TABLES") ReadTablesSection(ctx);
        else if (name.value == "BLOCKS") ReadBlocksSection(ctx);
        else if (name.value == "ENTITIES") ReadEntitiesSection(ctx);
        else if (name.value == "OBJECTS") ReadObjectsSection(ctx);
        else SkipSection(ctx);
    }
    if (!sawAny) throw CadError("DXF file is empty");
    if (!sawEof) ThrowAtLine(reader.Line(), "file ends without \"0 EOF\" (truncated?)");
    CompleteDrawing(ctx);
    return d;
}

std::unique_ptr<Drawing> ReadDxf(const std::string& path) {
    std::string text = LoadFile(path);
    try {
        return ReadDxfText(text);
    } catch (const CadError& e) {
        throw CadError(path + ": " + e.what());
    }
}

} // namespace ostrel::cad
