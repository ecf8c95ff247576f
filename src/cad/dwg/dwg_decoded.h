#pragma once
// What the reader takes from each object before the drawing is put
// together: table records and non-graphic objects keyed by handle, and
// entities with the handles they refer to, in file order.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

struct DecodedControl {
    std::vector<Handle> entries;
    std::vector<Handle> extra;          // block control: model, paper; linetype control: ByBlock, ByLayer
};

struct DecodedLayer {
    Layer layer;
    Handle linetype = 0;
};

struct DecodedBlockHeader {
    BlockRecord record;
    Handle blockEntity = 0, endEntity = 0;
};

struct DecodedEntity {
    Entity e;
    unsigned mode = 0;                  // 2 model space, 1 paper space, 0 owner below
    Handle owner = 0;
    Handle layer = 0;
    unsigned linetypeFlags = 0;
    Handle linetype = 0;
    Handle ref = 0;                     // TEXT, MTEXT, ATTRIB, ATTDEF: style; INSERT: block header;
                                        // DIMENSION: dimension style
    Handle ref2 = 0;                    // DIMENSION: its block
    std::uint64_t offset = 0;           // file address, for drawing order
};

struct DecodedObjects {
    std::unordered_map<Handle, DecodedControl> controls;
    std::unordered_map<Handle, DecodedLayer> layers;
    std::unordered_map<Handle, Linetype> linetypes;
    std::unordered_map<Handle, TextStyle> styles;
    std::unordered_map<Handle, SimpleRecord> simple;    // APPID, VIEW, UCS, DIMSTYLE
    std::unordered_map<Handle, VportRecord> vports;
    std::unordered_map<Handle, DecodedBlockHeader> blocks;
    std::vector<DecodedEntity> entities;
    std::vector<ViewportData> viewports;
    std::vector<HatchData> hatches;
    std::vector<LwPolylineData> lwpolylines;
    std::vector<SplineData> splines;
    std::vector<AttributeData> attributes;
    std::vector<DimensionData> dimensions;
    std::vector<std::pair<std::uint64_t, Object>> objects;   // with file address
    std::string textPool;
    // Kinds of entity and of object skipped, by DXF name (Drawing::notRead
    // and Drawing::objectsNotRead).
    std::map<std::string, std::uint32_t, std::less<>> notRead, objectsNotRead;
};

} // namespace ostrel::cad::dwg
