#include "cad/dwg/dwg_object_places.h"

#include <algorithm>

namespace ostrel::cad::dwg {

namespace {

void PutStep(std::vector<std::uint8_t>& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

std::uint64_t GetStep(const std::uint8_t*& p) {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t b = *p++;
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
    }
}

// A run being read back: its next place and how many follow it.
struct Cursor {
    ObjectLocation at;
    const std::uint8_t* next;
    std::size_t left;
    std::size_t run;
    void Step() {
        at.handle += GetStep(next);
        at.offset += GetStep(next);
    }
};

// The heap keeps the smallest handle (of the earliest run among equals) on top.
bool Later(const Cursor& a, const Cursor& b) {
    return a.at.handle != b.at.handle ? a.at.handle > b.at.handle : a.run > b.run;
}

} // namespace

void ObjectPlaces::Reserve(std::size_t count) { steps_.reserve(count * 3); }

void ObjectPlaces::Add(Handle handle, std::uint64_t offset) {
    // A run starts from handle and address 0, so it reads back on its own.
    if (runs_.empty() || handle < lastHandle_ || offset < lastOffset_) {
        runs_.push_back({steps_.size(), 0});
        lastHandle_ = 0;
        lastOffset_ = 0;
    }
    PutStep(steps_, handle - lastHandle_);
    PutStep(steps_, offset - lastOffset_);
    lastHandle_ = handle;
    lastOffset_ = offset;
    ++runs_.back().count;
    ++count_;
}

void ObjectPlaces::InHandleOrder(const std::function<void(const ObjectLocation&)>& fn) const {
    std::vector<Cursor> heap;
    heap.reserve(runs_.size());
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        Cursor c{{0, 0}, steps_.data() + runs_[r].begin, runs_[r].count - 1, r};
        c.Step();
        heap.push_back(c);
    }
    std::make_heap(heap.begin(), heap.end(), Later);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), Later);
        Cursor& c = heap.back();
        fn(c.at);
        if (c.left == 0) {
            heap.pop_back();
            continue;
        }
        --c.left;
        c.Step();
        std::push_heap(heap.begin(), heap.end(), Later);
    }
}

void ObjectPlaces::Check(Handle handSeed) const {
    bool first = true;
    Handle last = 0;
    InHandleOrder([&](const ObjectLocation& l) {
        if (l.handle == 0) throw CadError("cannot write DWG: an object has no handle");
        if (!first && l.handle == last)
            throw CadError("cannot write DWG: handle " + HandleText(l.handle) + " is used twice");
        first = false;
        last = l.handle;
    });
    if (!first && last >= handSeed)
        throw CadError("cannot write DWG: handle " + HandleText(last) + " is above the handle seed");
}

} // namespace ostrel::cad::dwg
