// The floor of the benchmark: reads an export and writes exactly BYTES bytes
// of DXF-shaped group codes and numbers (std::to_chars), no drawing database.
//
//   tool_floor IN OUT --bytes BYTES
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "floor_writer.h"

int main(int argc, char** argv) {
    if (argc != 5 || std::string_view(argv[3]) != "--bytes") {
        std::fprintf(stderr, "usage: tool_floor IN OUT --bytes BYTES\n");
        return 2;
    }
    char* end = nullptr;
    errno = 0;
    unsigned long long target = std::strtoull(argv[4], &end, 10);
    if (errno || end == argv[4] || *end || argv[4][0] == '-') {
        std::fprintf(stderr, "tool_floor: BYTES must be a whole number, not %s\n", argv[4]);
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::fprintf(stderr, "tool_floor: cannot open %s\n", argv[1]);
        return 1;
    }
    std::string temp = std::string(argv[2]) + ".part";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        std::fprintf(stderr, "tool_floor: cannot write %s\n", argv[2]);
        return 1;
    }
    std::setvbuf(out, nullptr, _IONBF, 0);   // the encoder hands over megabyte pieces itself
    ostrel::bench::FloorResult r = ostrel::bench::WriteFloor(in, out, target);
    std::fclose(in);
    bool good = std::fclose(out) == 0 && r.ok && std::rename(temp.c_str(), argv[2]) == 0;
    if (!good) {
        std::remove(temp.c_str());
        std::fprintf(stderr, "tool_floor: writing %s failed\n", argv[2]);
        return 1;
    }
    std::printf("%llu bytes, %llu records, %llu numbers, %llu passes\n",
                static_cast<unsigned long long>(r.bytesWritten), static_cast<unsigned long long>(r.records),
                static_cast<unsigned long long>(r.numbers), static_cast<unsigned long long>(r.passes));
    return 0;
}
