#pragma once
// What the object encoders look up while writing one drawing: the handles of
// referenced records by index, the special linetypes and space blocks, the
// dictionaries the header names, and the VX record of each viewport.
#include <string_view>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

class EncodeContext {
public:
    // Checks the drawing's references and gives the VX record of every
    // VIEWPORT entity (the one thing the database does not hold) a handle,
    // from the drawing's seed on. R2004 and later have no VX records.
    explicit EncodeContext(const Drawing& d, Release release = Release::R2000);

    const Drawing& d;
    const Release release;
    bool R2004() const { return release >= Release::R2004; }

    Handle LayerHandle(std::uint32_t index, Handle user) const;
    Handle StyleHandle(std::uint32_t index, Handle user) const;
    Handle BlockHandle(std::uint32_t index, Handle user) const;
    // Linetype flags of an entity (0 ByLayer, 1 ByBlock, 2 Continuous, 3 handle).
    unsigned LinetypeFlags(std::uint32_t linetype) const;
    Handle LinetypeHandle(std::uint32_t index, Handle user) const;

    Handle RootEntry(std::string_view name) const;  // 0 when the root dictionary lacks it
    Handle FirstObject(ObjectType type) const;
    Handle VxHandle(std::uint32_t viewport) const { return viewport < vx_.size() ? vx_[viewport] : 0; }
    // The VX records in viewport order with the VIEWPORT entity each belongs to.
    struct VxRecord { Handle handle, viewportEntity; };
    const std::vector<VxRecord>& VxRecords() const { return vxRecords_; }

    std::uint32_t modelSpace = kNone, paperSpace = kNone;   // block indexes
    Handle modelSpaceHandle = 0, paperSpaceHandle = 0;
    std::uint32_t ltByLayer = kNone, ltByBlock = kNone, ltContinuous = kNone;
    Handle handSeed = 0;    // above every handle written

private:
    [[noreturn]] void BadReference(const char* what, std::uint32_t index, Handle user) const;
    std::vector<Handle> vx_;
    std::vector<VxRecord> vxRecords_;
};

} // namespace ostrel::cad::dwg
