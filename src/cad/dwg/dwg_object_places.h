#pragma once
// Where each object of a DWG being written went, kept compactly: the objects
// go out as a few runs of ascending handles (tables, blocks, entities,
// objects), so each place is kept as its handle's step from the one before
// and its address's step (the object before's size), a few bytes in all,
// not sixteen. The object map reads them back merged in handle order.
#include <cstdint>
#include <functional>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

struct ObjectLocation {
    Handle handle;
    std::uint64_t offset;   // file address of the object's size field
};

class ObjectPlaces {
public:
    // Room for about `count` places of ordinary steps.
    void Reserve(std::size_t count);
    // An object written at `offset`. Objects are added in file order; a
    // handle below the one before starts a new run.
    void Add(Handle handle, std::uint64_t offset);
    std::size_t Count() const { return count_; }

    // Calls `fn` for every place in handle order (places of one handle in
    // the order they were added).
    void InHandleOrder(const std::function<void(const ObjectLocation&)>& fn) const;
    // Throws CadError on a missing or repeated handle or one not below the
    // handle seed.
    void Check(Handle handSeed) const;

private:
    // A run of ascending handles and addresses; its first step is taken
    // from handle and address 0, so that it reads back on its own.
    struct Run {
        std::size_t begin;      // first byte of the run's steps
        std::size_t count;      // places in it
    };
    std::vector<std::uint8_t> steps_;
    std::vector<Run> runs_;
    std::size_t count_ = 0;
    Handle lastHandle_ = 0;
    std::uint64_t lastOffset_ = 0;
};

} // namespace ostrel::cad::dwg
