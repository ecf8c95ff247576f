#include "cad/dxf/dxf_read_binary.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "cad/drawing.h"

namespace ostrel::cad {

namespace {

constexpr std::string_view kSentinel("AutoCAD Binary DXF\r\n\x1a\0", 22);

// How a group code's value is stored in the binary form.
enum class Stored { String, Chunk, Byte, Int16, Int32, Int64, Double };

Stored StoredAs(int code) {
    auto in = [code](int lo, int hi) { return code >= lo && code <= hi; };
    if (in(310, 319) || code == 1004) return Stored::Chunk;
    if (in(290, 299)) return Stored::Byte;
    if (in(60, 79) || in(170, 179) || in(270, 289) || in(370, 389) || in(400, 409) || in(1060, 1070))
        return Stored::Int16;
    if (in(90, 99) || in(420, 429) || in(440, 459) || code == 1071) return Stored::Int32;
    if (in(160, 169)) return Stored::Int64;
    if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059)) return Stored::Double;
    return Stored::String;
}

class BinaryTags {
public:
    explicit BinaryTags(std::string_view bytes) : b_(bytes), pos_(kSentinel.size()) {
        // The first tag is "0 SECTION" (or a 999 comment). R12 spells its
        // code in one byte (00 'S', or FF before a two-byte code); later
        // releases in two (00 00 'S').
        twoByteCodes_ = pos_ + 1 < b_.size() && !(b_[pos_] == '\xff') &&
                        !(b_[pos_] == '\0' && b_[pos_ + 1] != '\0');
    }

    bool AtEnd() const { return pos_ >= b_.size(); }

    int Code() {
        if (!twoByteCodes_) {
            auto c = static_cast<unsigned char>(Take(1)[0]);
            if (c != 255) return c;
        }
        return static_cast<std::int16_t>(Little(Take(2)));
    }

    void AppendValue(int code, std::string& out) {
        switch (StoredAs(code)) {
        case Stored::String: AppendString(out); break;
        case Stored::Chunk: AppendChunk(out); break;
        case Stored::Byte: AppendNumber(out, static_cast<unsigned char>(Take(1)[0])); break;
        case Stored::Int16: AppendNumber(out, static_cast<std::int16_t>(Little(Take(2)))); break;
        case Stored::Int32: AppendNumber(out, static_cast<std::int32_t>(Little(Take(4)))); break;
        case Stored::Int64: AppendNumber(out, static_cast<std::int64_t>(Little(Take(8)))); break;
        case Stored::Double: {
            std::uint64_t bits = Little(Take(8));
            double d;
            std::memcpy(&d, &bits, sizeof d);
            AppendNumber(out, d);
            break;
        }
        }
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw CadError("binary DXF, byte " + std::to_string(pos_) + ": " + what);
    }

    std::string_view Take(std::size_t n) {
        if (b_.size() - pos_ < n) Fail("file ends inside a tag (truncated?)");
        auto s = b_.substr(pos_, n);
        pos_ += n;
        return s;
    }

    static std::uint64_t Little(std::string_view s) {
        std::uint64_t v = 0;
        for (std::size_t i = s.size(); i-- > 0;) v = (v << 8) | static_cast<unsigned char>(s[i]);
        return v;
    }

    template <class T>
    static void AppendNumber(std::string& out, T value) {
        char buf[32];
        auto r = std::to_chars(buf, buf + sizeof buf, value);
        out.append(buf, r.ptr);
    }

    void AppendString(std::string& out) {
        auto end = b_.find('\0', pos_);
        if (end == std::string_view::npos) Fail("file ends inside a string (truncated?)");
        auto s = b_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (s.find_first_of("\r\n") == std::string_view::npos) {
            out.append(s);
            return;
        }
        // A line break (an MTEXT's, a tolerance's) is spelled in caret
        // notation, as the ASCII form spells it: "^J", and "^ " for a caret.
        for (char c : s) {
            if (c == '\n') out += "^J";
            else if (c == '\r') out += "^M";
            else if (c == '^') out += "^ ";
            else out += c;
        }
    }

    void AppendChunk(std::string& out) {
        static constexpr char hex[] = "0123456789ABCDEF";
        auto n = static_cast<unsigned char>(Take(1)[0]);
        for (char c : Take(n)) {
            out += hex[static_cast<unsigned char>(c) >> 4];
            out += hex[static_cast<unsigned char>(c) & 15];
        }
    }

    std::string_view b_;
    std::size_t pos_;
    bool twoByteCodes_ = true;
};

} // namespace

bool IsBinaryDxf(std::string_view bytes) { return bytes.substr(0, kSentinel.size()) == kSentinel; }

std::string BinaryDxfAsText(std::string_view bytes) {
    if (!IsBinaryDxf(bytes)) throw CadError("not a binary DXF file");
    std::string text;
    text.reserve(bytes.size() * 2);
    BinaryTags tags(bytes);
    char code[16];
    while (!tags.AtEnd()) {
        int c = tags.Code();
        auto r = std::to_chars(code, code + sizeof code, c);
        text.append(code, r.ptr);
        text += '\n';
        const auto start = text.size();
        tags.AppendValue(c, text);
        const bool end = c == 0 && std::string_view(text).substr(start) == "EOF";
        text += '\n';
        if (end) break;     // what follows "0 EOF" is not read
    }
    return text;
}

} // namespace ostrel::cad
