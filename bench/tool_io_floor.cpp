// The I/O floor of the benchmark: what the disk and memory allow a
// conversion at the least. It reads the whole export (as the conversion
// does: in large pieces, every byte touched once) and writes exactly BYTES
// bytes through the same atomic-file path the writers use (temporary file,
// write-behind thread, rename), in 256 KB pieces, formatting nothing.
//
//   tool_io_floor IN OUT --bytes BYTES
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <vector>

#include "cad/atomic_file.h"

int main(int argc, char** argv) {
    if (argc != 5 || std::string_view(argv[3]) != "--bytes") {
        std::fprintf(stderr, "usage: tool_io_floor IN OUT --bytes BYTES\n");
        return 2;
    }
    char* end = nullptr;
    errno = 0;
    unsigned long long target = std::strtoull(argv[4], &end, 10);
    if (errno || end == argv[4] || *end || argv[4][0] == '-') {
        std::fprintf(stderr, "tool_io_floor: BYTES must be a whole number, not %s\n", argv[4]);
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::fprintf(stderr, "tool_io_floor: cannot open %s\n", argv[1]);
        return 1;
    }
    // Read: every byte looked at once (a line count), as a record loop would.
    constexpr std::size_t kPiece = 256 * 1024;
    std::vector<char> piece(kPiece);
    std::uint64_t lines = 0, read = 0;
    for (std::size_t n; (n = std::fread(piece.data(), 1, piece.size(), in)) > 0;) {
        read += n;
        for (std::size_t i = 0; i < n; ++i) lines += piece[i] == '\n';
    }
    bool readOk = !std::ferror(in);
    std::fclose(in);
    if (!readOk) {
        std::fprintf(stderr, "tool_io_floor: reading %s failed\n", argv[1]);
        return 1;
    }
    try {
        ostrel::cad::AtomicFile out(argv[2]);
        for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>('0' + i % 10);
        for (std::uint64_t left = target; left > 0;) {
            std::size_t n = left < kPiece ? static_cast<std::size_t>(left) : kPiece;
            out.Write(piece.data(), n);
            left -= n;
        }
        out.Commit();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tool_io_floor: writing %s failed: %s\n", argv[2], e.what());
        return 1;
    }
    std::printf("read %llu bytes (%llu lines), wrote %llu bytes\n", static_cast<unsigned long long>(read),
                static_cast<unsigned long long>(lines), target);
    return 0;
}
