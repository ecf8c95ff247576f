// AsReadBack: a drawing brought to what a reader gives of the file a writer
// makes of it, so that work done on it gives what the same work on the file
// read back would give.
#include "cad/drawing.h"
#include "cad/dxf/dxf_names.h"
#include "cad/dxf/dxf_read_text.h"

namespace ostrel::cad {

namespace {

// Gives records the names a DXF of the release holds for them (the DWG
// writer keeps names as they are). Returns true when a name changed.
template <typename Records>
bool Rename(Records& records, const std::vector<std::string>& names, Release release) {
    bool changed = false;
    for (std::size_t i = 0; i < records.size() && i < names.size(); ++i) {
        std::string name;
        if (release >= Release::R2007) AppendUtf8AsCp1252(names[i], name);
        else name = names[i];
        if (name == records[i].name) continue;
        records[i].name = std::move(name);
        changed = true;
    }
    return changed;
}

} // namespace

void AsReadBack(Drawing& d, Release release, bool dwg) {
    NormalizeForSave(d);
    d.release = release;
    if (dwg) return;
    const auto names = dxf::MakeReleaseNames(d, release);
    const auto current = d.FindLayer(d.header.currentLayer);
    bool changed = Rename(d.layers, names.layers, release);
    changed = Rename(d.linetypes, names.linetypes, release) || changed;
    changed = Rename(d.blocks, names.blocks, release) || changed;
    changed = Rename(d.styles, names.styles, release) || changed;
    if (!changed) return;
    if (current != kNone) d.header.currentLayer = d.layers[current].name;
    d.RebuildIndexes();
}

} // namespace ostrel::cad
