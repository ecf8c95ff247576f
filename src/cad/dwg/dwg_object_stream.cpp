#include "cad/dwg/dwg_object_stream.h"

#include <utility>

#include "cad/dwg/crc.h"
#include "cad/release_traits.h"

namespace ostrel::cad::dwg {

ObjectStream::ObjectStream(std::uint64_t baseOffset, Flush flush, std::size_t chunk)
    : base_(baseOffset), flush_(std::move(flush)), chunk_(chunk) {
    out_.ReserveBytes(chunk + (64u << 10));
}

void ObjectStream::Finish() {
    if (out_.ByteSize() == 0) return;
    flush_(out_.Data(), out_.ByteSize());
    flushed_ += out_.ByteSize();
    out_.Clear();
}

void ObjectStream::SetRelease(Release release) {
    release_ = release;
    stringStream_ = Traits(release).stringStream;
    typeBitPair_ = Traits(release).typeBitPair;
    out_.fullColour = R2004();
}

BitWriter& ObjectStream::Begin(std::int16_t type, Handle handle, const ExtendedData* eed) {
    start_ = out_.ByteSize();
    handle_ = handle;
    handlesMarked_ = false;
    out_.Bits(0, 16);                   // size, filled in by End
    bodyStart_ = out_.BitPosition();
    if (typeBitPair_) {                 // the type, 2-bit-prefixed
        const auto t = static_cast<std::uint16_t>(type);
        if (t <= 0xFF) {
            out_.Bits(0, 2);
            out_.RC(static_cast<std::uint8_t>(t));
        } else if (t >= 0x1F0 && t <= 0x2EF) {
            out_.Bits(1, 2);
            out_.RC(static_cast<std::uint8_t>(t - 0x1F0));
        } else {
            out_.Bits(2, 2);
            out_.RS(t);
        }
    } else {
        out_.BS(type);
        sizeFieldPos_ = out_.BitPosition();
        out_.RL(0);                     // data size in bits, filled in by StartHandles
    }
    if (stringStream_) {
        text_.Clear();
        out_.text = &text_;
    }
    out_.H(kOwnHandle, handle);
    if (eed) {
        out_.BS(static_cast<std::int16_t>(eed->bytes.size()));
        out_.H(kHardPointer, eed->app);
        for (std::uint8_t b : eed->bytes) out_.RC(b);
    }
    out_.BS(0);                         // no (more) extended data
    return out_;
}

void ObjectStream::StartHandles() {
    if (stringStream_) {
        // The strings, their size in bits and a bit saying they are there
        // close the data: a reader finds them back from the data's end.
        out_.text = nullptr;
        out_.EndStrings(text_);
    }
    const std::size_t dataBits = out_.BitPosition() - bodyStart_;
    if (!typeBitPair_) out_.PatchRL(sizeFieldPos_, static_cast<std::uint32_t>(dataBits));
    handleStart_ = out_.BitPosition();
    handlesMarked_ = true;
}

void ObjectStream::End() {
    if (!handlesMarked_) StartHandles();
    out_.PadToByte();
    std::size_t extra = 0;
    if (typeBitPair_) {                 // the handle stream's size in bits, before the object
        handleSize_.clear();
        AppendModularChar(handleSize_, out_.BitPosition() - handleStart_);
        out_.OpenBytes(start_ + 2, handleSize_.size());
        for (std::size_t k = 0; k < handleSize_.size(); ++k) out_.PatchByte(start_ + 2 + k, handleSize_[k]);
        extra = handleSize_.size();
    }
    std::size_t size = out_.ByteSize() - start_ - 2 - extra;
    if (size >= 0x8000) {               // a modular short of two words
        out_.OpenBytes(start_ + 2, 2);
        const std::uint32_t words = (0x8000u | (size & 0x7FFF)) | (static_cast<std::uint32_t>(size >> 15) << 16);
        for (int k = 0; k < 4; ++k) out_.PatchByte(start_ + k, static_cast<std::uint8_t>(words >> (8 * k)));
    } else {
        out_.PatchByte(start_, static_cast<std::uint8_t>(size & 0xFF));
        out_.PatchByte(start_ + 1, static_cast<std::uint8_t>(size >> 8));
    }
    const std::uint16_t crc = Crc16(kDwgCrcSeed, out_.MutableData() + start_, out_.ByteSize() - start_);
    out_.RS(crc);
    places_.Add(handle_, base_ + flushed_ + start_);
    if (out_.ByteSize() >= chunk_) Finish();
}

} // namespace ostrel::cad::dwg
