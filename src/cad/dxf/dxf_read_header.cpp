// The HEADER section: "9 $NAME" followed by the variable's value tags.
#include <string>

#include "cad/dxf/dxf_read_context.h"

namespace ostrel::cad {

namespace {

// The release of an $ACADVER text; releases older than R12 read as R12,
// newer ones than we know as R2018.
Release ReleaseOf(const DxfTag& tag) {
    if (auto r = ReleaseFromAcadVersion(tag.value)) return *r;
    std::string_view v = tag.value;
    if (v.size() == 6 && v.substr(0, 2) == "AC") {
        int n = 0;
        for (char c : v.substr(2)) {
            if (c < '0' || c > '9') ThrowAtLine(tag.line, "unknown $ACADVER \"" + std::string(v) + "\"");
            n = n * 10 + (c - '0');
        }
        return n < 1009 ? Release::R12 : Release::R2018;
    }
    ThrowAtLine(tag.line, "unknown $ACADVER \"" + std::string(v.substr(0, 20)) + "\"");
}

void SetCoord(Vec3& p, const DxfTag& tag) {
    switch (tag.code) {
    case 10: p.x = TagDouble(tag); break;
    case 20: p.y = TagDouble(tag); break;
    case 30: p.z = TagDouble(tag); break;
    default: break;
    }
}

void SetCoord2(double (&p)[2], const DxfTag& tag) {
    if (tag.code == 10) p[0] = TagDouble(tag);
    else if (tag.code == 20) p[1] = TagDouble(tag);
}

} // namespace

void ReadHeaderSection(DxfReadContext& ctx) {
    auto& h = ctx.d.header;
    std::string var;
    DxfTag tag;
    while (ctx.tags.Next(tag)) {
        if (tag.code == 0) {
            if (tag.value == "ENDSEC") return;
            ThrowAtLine(tag.line, "unexpected \"" + std::string(tag.value.substr(0, 40)) + "\" in HEADER");
        }
        if (tag.code == 9) {
            var.assign(tag.value);
            continue;
        }
        if (var == "$ACADVER" && tag.code == 1) {
            ctx.d.release = ReleaseOf(tag);
            ctx.releaseRead = true;
            if (ctx.d.release >= Release::R2007) ctx.utf8 = true;
        } else if (var == "$DWGCODEPAGE" && tag.code == 3) {
            h.codePage = ctx.DecodeString(tag.value);
        } else if (var == "$EXTMIN") {
            SetCoord(h.extMin, tag);
        } else if (var == "$EXTMAX") {
            SetCoord(h.extMax, tag);
        } else if (var == "$LIMMIN") {
            SetCoord2(h.limMin, tag);
        } else if (var == "$LIMMAX") {
            SetCoord2(h.limMax, tag);
        } else if (var == "$HANDSEED" && tag.code == 5) {
            ctx.handleSeed = TagHandle(tag);
        } else if (var == "$PSTYLEMODE" && tag.code == 290) {
            h.pstyleMode = TagShort(tag);
        } else if (var == "$INSUNITS" && tag.code == 70) {
            h.insUnits = TagShort(tag);
        } else if (var == "$MEASUREMENT" && tag.code == 70) {
            h.measurement = TagShort(tag);
        } else if (var == "$CLAYER" && tag.code == 8) {
            h.currentLayer = ctx.DecodeString(tag.value);
        } else if (var == "$TEXTSIZE" && tag.code == 40) {
            h.textSize = TagDouble(tag);
        } else if (var == "$LTSCALE" && tag.code == 40) {
            h.ltScale = TagDouble(tag);
        } else if (var == "$TILEMODE" && tag.code == 70) {
            h.tileMode = TagShort(tag);
        }
    }
    ThrowAtLine(ctx.tags.Line(), "file ends inside HEADER (truncated?)");
}

} // namespace ostrel::cad
