#include "cad/dxf/dxf_tag_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "cad/atomic_file.h"
#include "cad/dxf/dxf_text_encoding.h"
#include "cad/real_text.h"

namespace ostrel::cad::dxf {

TagWriter::TagWriter(AtomicFile& out, std::size_t capacity)
    : out_(&out), buffer_(new char[capacity < 256 ? 256 : capacity]), capacity_(capacity < 256 ? 256 : capacity) {}

TagWriter::TagWriter(std::string& memory, std::size_t capacity)
    : memory_(&memory), buffer_(new char[capacity < 256 ? 256 : capacity]), capacity_(capacity < 256 ? 256 : capacity) {}

void TagWriter::Drain() {
    if (memory_) memory_->append(buffer_.get(), used_);
    else out_->Write(buffer_.get(), used_);
    flushed_ += used_;
    used_ = 0;
}

void TagWriter::Flush() { Drain(); }

void TagWriter::Verbatim(std::string_view tags) {
    // A large piece goes to the file as it is, without a copy through the buffer.
    if (out_ && tags.size() >= capacity_) {
        Drain();
        out_->Write(tags.data(), tags.size());
        flushed_ += tags.size();
        return;
    }
    Raw(tags);
}

void TagWriter::Raw(std::string_view s) {
    while (!s.empty()) {
        if (used_ == capacity_) Drain();
        std::size_t n = std::min(s.size(), capacity_ - used_);
        std::memcpy(buffer_.get() + used_, s.data(), n);
        used_ += n;
        s.remove_prefix(n);
    }
}

// Group codes stand right-aligned in three columns ("  0", " 10", "330"),
// as AutoCAD writes them; readers trim the spaces.
void TagWriter::Code(int code) {
    Ensure(16);
    char* p = buffer_.get() + used_;
    if (code >= 0 && code < 10) { *p++ = ' '; *p++ = ' '; }
    else if (code >= 10 && code < 100) { *p++ = ' '; }
    p = std::to_chars(p, p + 12, code).ptr;
    *p++ = '\n';
    used_ = static_cast<std::size_t>(p - buffer_.get());
}

void TagWriter::Name(int code, std::string_view value) {
    Code(code);
    Raw(value);
    Put('\n');
}

void TagWriter::Text(int code, std::string_view value, bool utf8) {
    Code(code);
    for (unsigned char c : value) {
        Ensure(4);
        char* p = buffer_.get() + used_;
        if (c < 0x20 || c == 0x7F) {
            // A line break inside a value would end the tag; caret notation keeps it.
            *p++ = '^';
            *p++ = static_cast<char>(c == 0x7F ? '?' : c + 64);
        } else if (c == '^') {
            *p++ = '^';
            *p++ = ' ';
        } else if (c >= 0x80 && utf8) {
            p = AppendCp1252AsUtf8(c, p);
        } else {
            *p++ = static_cast<char>(c);
        }
        used_ = static_cast<std::size_t>(p - buffer_.get());
    }
    Put('\n');
}

void TagWriter::Int(int code, std::int64_t value) {
    Code(code);
    Ensure(24);
    char* p = buffer_.get() + used_;
    p = std::to_chars(p, p + 22, value).ptr;
    *p++ = '\n';
    used_ = static_cast<std::size_t>(p - buffer_.get());
}

// DXF has no spelling for NaN or infinity; such a value is written as 0 so
// that every reader can still load the file.
void TagWriter::Real(int code, double value) {
    Code(code);
    if (!std::isfinite(value)) value = 0;
    Ensure(kRealTextRoom + 2);
    char* p = WriteShortestReal(buffer_.get() + used_, value);
    *p++ = '\n';
    used_ = static_cast<std::size_t>(p - buffer_.get());
}

void TagWriter::HandleRef(int code, Handle h) {
    Code(code);
    Ensure(24);
    char* p = buffer_.get() + used_;
    char* start = p;
    p = std::to_chars(p, p + 20, h, 16).ptr;
    for (char* q = start; q != p; ++q)
        if (*q >= 'a' && *q <= 'f') *q = static_cast<char>(*q - 'a' + 'A');
    *p++ = '\n';
    used_ = static_cast<std::size_t>(p - buffer_.get());
}

void TagWriter::Point2(int code, double x, double y) {
    Real(code, x);
    Real(code + 10, y);
}

void TagWriter::Point3(int code, const Vec3& v) {
    Real(code, v.x);
    Real(code + 10, v.y);
    Real(code + 20, v.z);
}

} // namespace ostrel::cad::dxf
