#include "cad/dxf/dxf_read_context.h"

#include "cad/dxf/dxf_read_text.h"

namespace ostrel::cad {

std::string_view DxfReadContext::Decode(std::string_view raw) {
    if (!utf8) return raw;
    bool ascii = true;
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
    if (ascii) return raw;
    scratch.clear();
    AppendUtf8AsCp1252(raw, scratch);
    return scratch;
}

std::string_view DxfReadContext::DecodeText(std::string_view raw) {
    auto text = Decode(raw);
    if (text.find('^') == std::string_view::npos) return text;
    caretScratch.clear();
    AppendCaretDecoded(text, caretScratch);
    return caretScratch;
}

void DxfReadContext::ReadRecord(std::int64_t headLine) {
    record.clear();
    reactors.clear();
    xdata.clear();
    recordLine = headLine;
    bool inGroup = false, reactorGroup = false;
    DxfTag tag;
    while (tags.Peek(tag) && tag.code != 0) {
        tags.Next(tag);
        if (tag.code >= 1000) {
            xdata.push_back(tag);
        } else if (tag.code == 102) {
            if (!tag.value.empty() && tag.value.front() == '{') {
                inGroup = true;
                reactorGroup = tag.value == "{ACAD_REACTORS";
            } else {
                inGroup = false;
                reactorGroup = false;
            }
        } else if (inGroup) {
            if (reactorGroup && tag.code == 330) {
                auto h = TagHandle(tag);
                if (h != 0) reactors.push_back(h);
            }
        } else if (!xdata.empty()) {
            // Codes below 1000 after extended data started belong to nothing
            // we keep (some writers put 102 groups there); ignored.
        } else {
            record.push_back(tag);
        }
    }
}

void DxfReadContext::SkipRecord() {
    DxfTag tag;
    while (tags.Peek(tag) && tag.code != 0) tags.Next(tag);
}

int TableControlSlot(std::string_view name) {
    static constexpr std::string_view names[] = {"BLOCK_RECORD", "LAYER", "STYLE", "LTYPE", "VIEW",
                                                 "UCS",          "VPORT", "APPID", "DIMSTYLE"};
    for (int i = 0; i < 9; ++i)
        if (names[i] == name) return i;
    return -1;
}

Handle& TableControl(Drawing& d, int slot) {
    auto& c = d.controls;
    switch (slot) {
    case 0: return c.block;
    case 1: return c.layer;
    case 2: return c.style;
    case 3: return c.linetype;
    case 4: return c.view;
    case 5: return c.ucs;
    case 6: return c.vport;
    case 7: return c.appid;
    case 8: return c.dimstyle;
    default: return c.vx;
    }
}

} // namespace ostrel::cad
