#pragma once
// The floor: the least work that turns an export into a drawing file of a
// given size. It reads the export, splits every record into its fields,
// reads the numbers and writes DXF-shaped group codes and values with
// std::to_chars, until exactly the requested number of bytes is out. No
// drawing database, no tables, no lookups: what is left of a conversion when
// everything but reading, number conversion and writing is taken away.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>
#include <vector>

namespace ostrel::bench {

struct FloorResult {
    bool ok = false;
    std::uint64_t bytesWritten = 0;
    std::uint64_t records = 0;      // export lines taken apart, over all passes
    std::uint64_t numbers = 0;      // fields read and written as numbers
    std::uint64_t passes = 0;       // times the export was read from its start
};

// Emits the tags of records into a byte budget; the sink takes full buffers.
class FloorEncoder {
public:
    using Sink = bool (*)(void* context, const char* data, std::size_t size);

    FloorEncoder(std::uint64_t target, Sink sink, void* context)
        : target_(target), sink_(sink), context_(context), buffer_(kBuffer) {}

    bool Full() const { return written_ + used_ >= target_; }
    std::uint64_t Written() const { return written_ + used_; }

    // One record: keyword, a handle, the layer field, then every further
    // field as a coordinate (a number) or a text.
    void Record(std::string_view line, FloorResult& r) {
        ++r.records;
        std::size_t start = 0, field = 0;
        int coordinate = 0;
        while (start <= line.size()) {
            std::size_t comma = line.find(',', start);
            if (comma == std::string_view::npos) comma = line.size();
            std::string_view f = line.substr(start, comma - start);
            if (field == 0) {
                Tag("  0\n", f);
                Handle(++handle_);
            } else if (field == 1) {
                Tag("  8\n", f);
            } else {
                double v;
                auto p = std::from_chars(f.data(), f.data() + f.size(), v);
                if (!f.empty() && p.ec == std::errc() && p.ptr == f.data() + f.size()) {
                    static const char* const codes[] = {" 10\n", " 20\n", " 30\n"};
                    Number(codes[coordinate], v);
                    coordinate = coordinate == 2 ? 0 : coordinate + 1;
                    ++r.numbers;
                } else {
                    Tag("  1\n", f);
                }
            }
            ++field;
            start = comma + 1;
        }
    }

    bool Finish() { return Drain(); }

private:
    static constexpr std::size_t kBuffer = 1u << 20;
    static constexpr std::size_t kRoom = 512;   // the most one tag can take

    void Ensure(std::size_t n) {
        if (used_ + n > buffer_.size()) Drain();
    }
    void Put(std::string_view s) {
        Ensure(s.size());
        if (s.size() > buffer_.size()) return;   // a field longer than the buffer is not written
        std::memcpy(buffer_.data() + used_, s.data(), s.size());
        used_ += s.size();
    }
    void Tag(const char* code, std::string_view value) {
        Put(code);
        Put(value);
        Put("\n");
    }
    void Handle(std::uint64_t h) {
        Ensure(kRoom);
        Put("  5\n");
        auto r = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), h, 16);
        used_ = static_cast<std::size_t>(r.ptr - buffer_.data());
        buffer_[used_++] = '\n';
    }
    void Number(const char* code, double v) {
        Ensure(kRoom);
        std::memcpy(buffer_.data() + used_, code, 4);
        used_ += 4;
        auto r = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), v);
        used_ = static_cast<std::size_t>(r.ptr - buffer_.data());
        buffer_[used_++] = '\n';
    }
    // Hands the buffer to the sink, never past the target.
    bool Drain() {
        std::uint64_t room = target_ > written_ ? target_ - written_ : 0;
        std::size_t n = used_ < room ? used_ : static_cast<std::size_t>(room);
        bool good = n == 0 || sink_(context_, buffer_.data(), n);
        written_ += n;
        used_ = 0;
        failed_ = failed_ || !good;
        return !failed_;
    }

    std::uint64_t target_;
    Sink sink_;
    void* context_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t handle_ = 0x20;
    bool failed_ = false;
};

// Reads `in` from its start, as often as needed (the first time whole), and
// writes exactly `target` bytes to `out` (fewer only when the export holds no
// record at all).
// `chunkBytes` is the size of each read.
inline FloorResult WriteFloor(std::FILE* in, std::FILE* out, std::uint64_t target, std::size_t chunkBytes = 4u << 20) {
    FloorResult r;
    auto sink = [](void* f, const char* data, std::size_t size) {
        return std::fwrite(data, 1, size, static_cast<std::FILE*>(f)) == size;
    };
    FloorEncoder enc(target, sink, out);
    std::vector<char> chunk(chunkBytes < 2 ? 2 : chunkBytes);
    bool anyRecord = false;
    do {
        if (std::fseek(in, 0, SEEK_SET) != 0) return r;
        ++r.passes;
        std::size_t kept = 0;   // bytes of an unfinished line carried to the next read
        for (;;) {
            std::size_t got = std::fread(chunk.data() + kept, 1, chunk.size() - kept, in);
            std::size_t have = kept + got;
            if (have == 0) break;
            std::size_t begin = 0;
            for (;;) {
                if (r.passes > 1 && enc.Full()) break;   // later passes stop at the target
                const char* cr = static_cast<const char*>(std::memchr(chunk.data() + begin, '\r', have - begin));
                if (!cr) break;
                std::size_t end = static_cast<std::size_t>(cr - chunk.data());
                if (end + 1 == have && got != 0) break;   // its LF may be in the next read
                enc.Record(std::string_view(chunk.data() + begin, end - begin), r);
                anyRecord = true;
                begin = end + 1;
                if (begin < have && chunk[begin] == '\n') ++begin;
            }
            if (r.passes > 1 && enc.Full()) break;
            kept = have - begin;
            if (got == 0) {   // the end: a last line without its terminator
                if (kept) {
                    enc.Record(std::string_view(chunk.data() + begin, kept), r);
                    anyRecord = true;
                }
                break;
            }
            if (kept == chunk.size()) {   // a line longer than the buffer: make room for it
                chunk.resize(chunk.size() * 2);
            } else if (begin) {
                std::memmove(chunk.data(), chunk.data() + begin, kept);
            }
        }
    } while (anyRecord && !enc.Full());
    r.ok = enc.Finish() && !std::ferror(in);
    r.bytesWritten = enc.Written() < target ? enc.Written() : target;
    return r;
}

} // namespace ostrel::bench
