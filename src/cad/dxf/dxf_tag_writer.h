#pragma once
// The DXF tag emitter: group code line, value line, into one large buffer
// that goes to the file when full. Numbers are formatted in place (the
// shortest text that reads back as the same double), so writing a tag never
// allocates.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cad/drawing.h"

namespace ostrel::cad {

class AtomicFile;

namespace dxf {

class TagWriter {
public:
    static constexpr std::size_t kDefaultCapacity = std::size_t(256) << 10;

    explicit TagWriter(AtomicFile& out, std::size_t capacity = kDefaultCapacity);
    // Tags appended to a string instead of a file (parts of a file made on
    // another thread).
    explicit TagWriter(std::string& memory, std::size_t capacity = kDefaultCapacity);

    // A value written as it is: keywords, names already made valid for the release.
    void Name(int code, std::string_view value);
    // A text value (TEXT contents, descriptions): control characters and the
    // caret are written in caret notation ("^J", "^ "), and with utf8 the
    // Windows-1252 bytes are converted to UTF-8.
    void Text(int code, std::string_view value, bool utf8);
    void Int(int code, std::int64_t value);
    void Real(int code, double value);
    void HandleRef(int code, Handle h);          // upper-case hex
    void Point2(int code, double x, double y);   // code, code + 10
    void Point3(int code, const Vec3& p);        // code, code + 10, code + 20
    // Ends a section of tags: "0" + keyword.
    void Marker(std::string_view keyword) { Name(0, keyword); }
    // Tags already written elsewhere, copied as they are.
    void Verbatim(std::string_view tags);

    // Hands everything buffered to the file.
    void Flush();
    std::uint64_t BytesWritten() const { return flushed_ + used_; }

private:
    void Code(int code);
    void Ensure(std::size_t n) {
        if (capacity_ - used_ < n) Drain();
    }
    void Drain();
    void Raw(std::string_view s);
    void Put(char c) {
        Ensure(1);
        buffer_[used_++] = c;
    }

    AtomicFile* out_ = nullptr;
    std::string* memory_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    std::uint64_t flushed_ = 0;
};

} // namespace dxf
} // namespace ostrel::cad
