#include "cad/dwg/dwg_object_stream.h"

#include <algorithm>

#include "cad/dwg/crc.h"

namespace ostrel::cad::dwg {

void SortByHandle(std::vector<ObjectLocation>& v) {
    auto less = [](const ObjectLocation& a, const ObjectLocation& b) { return a.handle < b.handle; };
    std::vector<std::size_t> runs{0};
    for (std::size_t i = 1; i < v.size(); ++i)
        if (v[i].handle < v[i - 1].handle) runs.push_back(i);
    runs.push_back(v.size());
    while (runs.size() > 2) {
        std::vector<std::size_t> merged{0};
        for (std::size_t k = 0; k + 1 < runs.size(); k += 2) {
            const std::size_t end = k + 2 < runs.size() ? runs[k + 2] : runs[k + 1];
            if (k + 2 < runs.size())
                std::inplace_merge(v.begin() + static_cast<std::ptrdiff_t>(runs[k]),
                                   v.begin() + static_cast<std::ptrdiff_t>(runs[k + 1]),
                                   v.begin() + static_cast<std::ptrdiff_t>(end), less);
            merged.push_back(end);
        }
        runs.swap(merged);
    }
}

ObjectStream::ObjectStream(std::vector<std::uint8_t>& out, std::uint64_t baseOffset)
    : out_(out), base_(baseOffset) {}

BitWriter& ObjectStream::Begin(std::int16_t type, Handle handle) {
    body_.Clear();
    handle_ = handle;
    handlesMarked_ = false;
    body_.BS(type);
    sizeFieldPos_ = body_.BitPosition();
    body_.RL(0);                    // data size in bits, patched by StartHandles
    body_.H(kOwnHandle, handle);
    body_.BS(0);                    // no extended data
    return body_;
}

void ObjectStream::StartHandles() {
    handleStart_ = body_.BitPosition();
    body_.PatchRL(sizeFieldPos_, static_cast<std::uint32_t>(handleStart_));
    handlesMarked_ = true;
}

void ObjectStream::End() {
    if (!handlesMarked_) StartHandles();
    body_.PadToByte();
    const std::uint8_t* bytes = body_.Data();
    const std::size_t size = body_.ByteSize();
    sizeBytes_.clear();
    AppendModularShort(sizeBytes_, static_cast<std::uint32_t>(size));
    std::uint16_t crc = Crc16(kDwgCrcSeed, sizeBytes_.data(), sizeBytes_.size());
    crc = Crc16(crc, bytes, size);
    locations_.push_back({handle_, base_ + out_.size()});
    out_.insert(out_.end(), sizeBytes_.begin(), sizeBytes_.end());
    out_.insert(out_.end(), bytes, bytes + size);
    out_.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    out_.push_back(static_cast<std::uint8_t>(crc >> 8));
}

} // namespace ostrel::cad::dwg
