// The TABLES section: one "0 TABLE" ... "0 ENDTAB" run per symbol table.
#include <cmath>
#include <string>

#include "cad/dxf/dxf_read_context.h"

namespace ostrel::cad {

namespace {


void ReadLayer(DxfReadContext& ctx) {
    Layer layer;
    std::string linetype;
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 2: layer.name = ctx.DecodeString(t.value); break;
        case 5: layer.handle = TagHandle(t); break;
        case 70: layer.flags = TagShort(t); break;
        case 62: {
            auto c = TagShort(t);
            layer.off = c < 0;
            if (c < 0) c = static_cast<std::int16_t>(c == -32768 ? 7 : -c);
            layer.colour = (c >= 1 && c <= 255) ? c : 7;
            break;
        }
        case 6: linetype = ctx.DecodeString(t.value); break;
        case 290: layer.plot = TagShort(t) != 0; break;
        case 370: layer.lineweight = TagShort(t); break;
        case 390: layer.plotStyle = TagHandle(t); break;
        default: break;
        }
    }
    if (layer.name.empty()) return;
    layer.flags &= ~static_cast<std::int16_t>(0x30);   // xref bits are not ours to keep
    if (ctx.d.AddLayer(layer) == kNone) return;         // a repeated name: the first one stays
    ctx.layerLinetypeNames.resize(ctx.d.layers.size());
    ctx.layerLinetypeNames.back() = std::move(linetype);
    if (ctx.tablesFinished) {
        auto& l = ctx.d.layers.back();
        auto lt = ctx.d.FindLinetype(ctx.layerLinetypeNames.back());
        l.linetype = lt;
    }
}

void ReadLinetype(DxfReadContext& ctx) {
    Linetype lt;
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 2: lt.name = ctx.DecodeString(t.value); break;
        case 5: lt.handle = TagHandle(t); break;
        case 70: lt.flags = TagShort(t); break;
        case 3: lt.description = ctx.DecodeTextString(t.value); break;
        case 72: lt.alignment = static_cast<std::uint8_t>(TagShort(t)); break;
        case 40: lt.patternLength = TagDouble(t); break;
        case 49: lt.dashes.push_back(TagDouble(t)); break;
        default: break;
        }
    }
    if (lt.name.empty()) return;
    if (lt.alignment == 0) lt.alignment = 'A';
    if (ctx.tablesFinished) {
        if (ctx.d.FindLinetype(lt.name) == kNone) ctx.d.AddLinetype(std::move(lt));
        return;
    }
    auto& pending = ctx.pendingLinetypes;
    for (auto& p : pending)
        if (FoldName(p.name) == FoldName(lt.name)) return;
    pending.push_back(std::move(lt));
}

void ReadStyle(DxfReadContext& ctx) {
    TextStyle st;
    st.font.clear();
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 2: st.name = ctx.DecodeString(t.value); break;
        case 5: st.handle = TagHandle(t); break;
        case 70: st.flags = TagShort(t); break;
        case 40: st.height = TagDouble(t); break;
        case 41: st.widthFactor = TagDouble(t); break;
        case 50: st.oblique = TagDouble(t) * kDegree; break;
        case 71: st.generation = static_cast<std::uint8_t>(TagShort(t)); break;
        case 42: st.lastHeight = TagDouble(t); break;
        case 3: st.font = ctx.DecodeTextString(t.value); break;
        case 4: st.bigFont = ctx.DecodeTextString(t.value); break;
        default: break;
        }
    }
    // Shape files (flag 1) are styles too, but nameless ones cannot be kept.
    if (st.name.empty()) return;
    if (st.font.empty()) st.font = "txt";
    if (ctx.d.FindStyle(st.name) == kNone) ctx.d.AddStyle(std::move(st));
}

void ReadVport(DxfReadContext& ctx) {
    VportRecord v;
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 2: v.name = ctx.DecodeString(t.value); break;
        case 5: v.handle = TagHandle(t); break;
        case 12: v.viewCenter.x = TagDouble(t); break;
        case 22: v.viewCenter.y = TagDouble(t); break;
        case 40: v.viewHeight = TagDouble(t); break;
        case 41: v.aspect = TagDouble(t); break;
        default: break;
        }
    }
    if (v.name.empty()) return;
    ctx.d.vports.push_back(std::move(v));
}

// handleCode is the record's handle group: 5, but 105 in DIMSTYLE. An R12
// DIMSTYLE's group 5 is the arrow block's name (DIMBLK); later releases'
// writers sometimes give the handle there.
void ReadSimple(DxfReadContext& ctx, std::vector<SimpleRecord>& into, int handleCode) {
    SimpleRecord r;
    const bool fiveIsHandle = handleCode == 5 || ctx.d.release > Release::R12;
    for (auto& t : ctx.record) {
        if (t.code == 2) r.name = ctx.DecodeString(t.value);
        else if (t.code == handleCode || (t.code == 5 && fiveIsHandle && r.handle == 0)) r.handle = TagHandle(t);
        else if (t.code == 70) r.flags = TagShort(t);
    }
    if (r.name.empty()) return;
    for (auto& e : into)
        if (FoldName(e.name) == FoldName(r.name)) return;
    into.push_back(std::move(r));
}

void ReadBlockRecord(DxfReadContext& ctx) {
    BlockRecord b;
    for (auto& t : ctx.record) {
        if (t.code == 2) b.name = ctx.DecodeString(t.value);
        else if (t.code == 5) b.handle = TagHandle(t);
        else if (t.code == 340) b.layout = TagHandle(t);
    }
    if (b.name.empty()) return;
    b.name = NormalizeBlockName(b.name);
    ctx.d.AddBlock(std::move(b));
}

void ReadTable(DxfReadContext& ctx, std::int64_t line) {
    ctx.ReadRecord(line);
    std::string name;
    Handle handle = 0;
    for (auto& t : ctx.record) {
        if (t.code == 2 && name.empty()) name.assign(t.value);
        else if (t.code == 5 && handle == 0) handle = TagHandle(t);
    }
    int slot = TableControlSlot(name);
    if (slot >= 0 && handle != 0) {
        TableControl(ctx.d, slot) = handle;
        ctx.controlRead[slot] = true;
    }
    DxfTag tag;
    while (ctx.tags.Next(tag)) {
        if (tag.code != 0) ThrowAtLine(tag.line, "unexpected group code " + std::to_string(tag.code) + " in table " + name);
        if (tag.value == "ENDTAB") {
            ctx.SkipRecord();
            return;
        }
        if (tag.value == "ENDSEC" || tag.value == "EOF" || tag.value == "TABLE")
            ThrowAtLine(tag.line, "table " + name + " has no ENDTAB");
        ctx.ReadRecord(tag.line);
        const auto& type = tag.value;
        if (type == "LAYER") ReadLayer(ctx);
        else if (type == "LTYPE") ReadLinetype(ctx);
        else if (type == "STYLE") ReadStyle(ctx);
        else if (type == "VPORT") ReadVport(ctx);
        else if (type == "APPID") ReadSimple(ctx, ctx.d.appids, 5);
        else if (type == "VIEW") ReadSimple(ctx, ctx.d.views, 5);
        else if (type == "UCS") ReadSimple(ctx, ctx.d.ucss, 5);
        else if (type == "DIMSTYLE") ReadSimple(ctx, ctx.d.dimstyles, 105);
        else if (type == "BLOCK_RECORD") ReadBlockRecord(ctx);
        // Records of tables we do not know are skipped.
    }
    ThrowAtLine(ctx.tags.Line(), "file ends inside table " + name + " (truncated?)");
}

} // namespace

std::string NormalizeBlockName(const std::string& name) {
    auto folded = FoldName(name);
    if (folded == "*MODEL_SPACE" || folded == "$MODEL_SPACE") return "*Model_Space";
    if (folded.rfind("*PAPER_SPACE", 0) == 0 || folded.rfind("$PAPER_SPACE", 0) == 0)
        return "*Paper_Space" + name.substr(12);
    return name;
}

void ReadTablesSection(DxfReadContext& ctx) {
    DxfTag tag;
    while (ctx.tags.Next(tag)) {
        if (tag.code != 0) ThrowAtLine(tag.line, "unexpected group code " + std::to_string(tag.code) + " in TABLES");
        if (tag.value == "ENDSEC") {
            FinishTables(ctx);
            return;
        }
        if (tag.value == "TABLE") ReadTable(ctx, tag.line);
        else if (tag.value == "EOF") ThrowAtLine(tag.line, "EOF inside TABLES");
        else ctx.SkipRecord();
    }
    ThrowAtLine(ctx.tags.Line(), "file ends inside TABLES (truncated?)");
}

void FinishTables(DxfReadContext& ctx) {
    if (ctx.tablesFinished) return;
    ctx.tablesFinished = true;
    auto& d = ctx.d;
    auto& pending = ctx.pendingLinetypes;
    for (const char* standard : {"ByBlock", "ByLayer", "Continuous"}) {
        bool found = false;
        for (auto& p : pending) {
            if (!p.name.empty() && FoldName(p.name) == FoldName(standard)) {
                p.name = standard;
                if (std::string_view(standard) == "Continuous" && p.description.empty()) p.description = "Solid line";
                d.AddLinetype(std::move(p));
                p.name.clear();
                found = true;
                break;
            }
        }
        if (!found) {
            Linetype lt;
            lt.name = standard;
            if (std::string_view(standard) == "Continuous") lt.description = "Solid line";
            d.AddLinetype(std::move(lt));
        }
    }
    for (auto& p : pending)
        if (!p.name.empty()) d.AddLinetype(std::move(p));
    pending.clear();

    if (d.FindLayer("0") == kNone) {
        Layer zero;
        zero.name = "0";
        d.AddLayer(zero);
    }
    ctx.layerLinetypeNames.resize(d.layers.size());
    for (std::size_t i = 0; i < d.layers.size(); ++i) {
        const auto& name = ctx.layerLinetypeNames[i];
        d.layers[i].linetype = name.empty() ? kNone : d.FindLinetype(name);
    }
    if (d.FindStyle("Standard") == kNone) {
        TextStyle standard;
        standard.name = "Standard";
        d.AddStyle(standard);
    }
}

} // namespace ostrel::cad
