// The benchmark's floor: reads the whole export, writes exactly the asked
// number of bytes of group codes and numbers, whatever the read size.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../bench/floor_writer.h"

using ostrel::bench::FloorResult;
using ostrel::bench::WriteFloor;

namespace {

struct FloorRun {
    FloorResult result;
    std::string out;
};

FloorRun Floor(const std::string& exportText, std::uint64_t target, std::size_t chunk = 4u << 20) {
    FloorRun r;
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    if (!in || !out) {
        ADD_FAILURE() << "no temporary file";
        return r;
    }
    std::fwrite(exportText.data(), 1, exportText.size(), in);
    r.result = WriteFloor(in, out, target, chunk);
    std::fflush(out);
    long size = std::ftell(out);
    r.out.resize(static_cast<std::size_t>(size));
    std::rewind(out);
    if (size > 0 && std::fread(r.out.data(), 1, r.out.size(), out) != r.out.size()) ADD_FAILURE() << "short read";
    std::fclose(in);
    std::fclose(out);
    return r;
}

const std::string kExport = "TALVERO\r\nPOINT,1,1.5,2,-3\r\nTEXT,ANN,7,Kestrel Road,1.25e3,,x\r\nTRI,5,0.1,0.2\r\n";

} // namespace

TEST(FloorOutput, WritesTagsOfKeywordHandleLayerAndNumbers) {
    auto r = Floor(kExport, 100000);
    ASSERT_TRUE(r.result.ok);
    const std::string first =
        "  0\nTALVERO\n  5\n21\n"
        "  0\nPOINT\n  5\n22\n  8\n1\n 10\n1.5\n 20\n2\n 30\n-3\n"
        "  0\nTEXT\n  5\n23\n  8\nANN\n 10\n7\n  1\nKestrel Road\n 20\n1250\n  1\n\n  1\nx\n"
        "  0\nTRI\n  5\n24\n  8\n5\n 10\n0.1\n 20\n0.2\n";
    EXPECT_EQ(r.out.substr(0, first.size()), first);
    EXPECT_EQ(r.result.numbers % 7, 0u);   // seven numbers a pass
}

// Each export is read whole at least once, and again until exactly the target is written.
TEST(FloorOutput, ReadsAgainUntilExactlyTheTargetIsWrittenAndAtLeastOnce) {
    struct Case {
        std::string text;
        std::uint64_t target, size, records, minPasses, maxPasses;
    };
    const Case cases[] = {{kExport, 1000, 1000, 4, 4, 1000}, {kExport, 11, 11, 4, 1, 1}, {"", 1000, 0, 0, 1, 1}};
    for (const auto& c : cases) {
        auto r = Floor(c.text, c.target);
        ASSERT_TRUE(r.result.ok);
        EXPECT_EQ(r.out.size(), c.size) << c.target;
        EXPECT_EQ(r.result.bytesWritten, c.size);
        EXPECT_GE(r.result.passes, c.minPasses);
        EXPECT_LE(r.result.passes, c.maxPasses);
        if (c.maxPasses == 1) {
            EXPECT_EQ(r.result.records, c.records) << c.target;
        }
    }
    EXPECT_EQ(Floor(kExport, 11).out, "  0\nTALVERO");
    // Handles keep counting over the passes: the second pass does not repeat the first.
    EXPECT_NE(Floor(kExport, 1000).out.find("  0\nTALVERO\n  5\n25\n"), std::string::npos);
}

TEST(FloorInput, TinyReadsSplitCrLfAndLongLinesLikeOneBigRead) {
    std::string text = "POINT,1,1,2,3\rPOINT,2,4,5,6\r\nTEXT,A\nB,7\r\n" + std::string(100, 'Z') + ",9\r\nLAST,1";
    auto whole = Floor(text, 5000);
    for (std::size_t chunk : {2u, 3u, 7u, 16u}) {
        auto tiny = Floor(text, 5000, chunk);
        ASSERT_TRUE(tiny.result.ok) << chunk;
        EXPECT_EQ(tiny.out, whole.out) << chunk;
        EXPECT_EQ(tiny.result.records, whole.result.records) << chunk;
    }
    // Lines end at CR or CR LF; a lone LF belongs to its line; the last line needs no end.
    auto once = Floor(text, 1);
    EXPECT_EQ(once.result.records, 5u);
    EXPECT_NE(whole.out.find("  8\nA\nB\n"), std::string::npos);
}
