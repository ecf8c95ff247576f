#pragma once
// Paper-space layouts of the trim pass's drawing engine.
#include <cstdint>
#include <string>

#include "cad/drawing.h"
#include "trim/vd_entities.h"

namespace ostrel::trim {

class vdLayout {
public:
    vdLayout() = default;
    vdLayout(EntityStore* store, cad::Handle layoutObject) : store_(store), object_(layoutObject) {}
    explicit operator bool() const { return store_ != nullptr; }

    std::string Name() const;
    vdEntities Entities() const;
    std::uint32_t Block() const;            // the layout's block record
    cad::Handle Handle() const { return object_; }

private:
    EntityStore* store_ = nullptr;
    cad::Handle object_ = 0;
};

class vdLayouts {
public:
    explicit vdLayouts(EntityStore* store) : store_(store) {}
    // Paper-space layouts only: a new drawing's "Layout1" counts, "Model" does not.
    std::int32_t Count() const;
    // A new empty layout: a block record *Paper_SpaceN with its BLOCK/ENDBLK,
    // a LAYOUT object in the layout dictionary, and the layout's own overall
    // viewport (id 1). A name already in use raises an error.
    vdLayout Add(const std::string& name);

private:
    EntityStore* store_;
};

// Makes a layout the drawing's current one: its block becomes "*Paper_Space"
// (the name the formats give the active layout, whose entities DXF writes in
// ENTITIES) and the block that had that name takes the new layout's old
// name; $TILEMODE becomes 0. Releases before R2000 hold one paper space and
// no layout names: saved in one of them, the current layout is that paper
// space and the other layouts are left out.
void SetActiveLayout(cad::Drawing& d, std::uint32_t block);

} // namespace ostrel::trim
