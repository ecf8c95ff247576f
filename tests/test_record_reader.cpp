// Fields, the leading-number scan, string and path helpers, rounding, and
// reading text files as lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>
#include <tuple>

#include "run/record_reader.h"
#include "ostrel/errors.h"
#include "support/test_support.h"

// Every allocation of the program is counted, so a test can show that a
// stretch of code allocates nothing.
namespace {
std::size_t g_allocations = 0;
}
void* operator new(std::size_t n) {
    ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace ostrel {
namespace {

using test::ScriptedPrompter;
using test::TempDir;
using test::WriteFile;

// ------------------------------------------------------------------ fields

TEST(Fields, ByIndexNothingTrimmedOrQuotedViewsIntoTheLine) {
    struct Case {
        int n;
        const char* line;
        const char* delimiter;   // nullptr: GetCommaField
        const char* field;
    };
    const Case cases[] = {
        {0, "POINT", nullptr, "POINT"}, {1, "POINT", nullptr, ""}, {2, "A,B", nullptr, ""}, {1, "A,B,", nullptr, "B"},
        {2, "A,B,", nullptr, ""}, {1, "A,,B", nullptr, ""}, {2, "A,,B", nullptr, "B"}, {0, "", nullptr, ""},
        {0, ",x", nullptr, ""}, {7, ",,,,,,,last", nullptr, "last"}, {30000, "a,b", nullptr, ""},
        {1, "A, 2", nullptr, " 2"}, {1, "TEXT,\"a,b\"", nullptr, "\"a"}, {2, "TEXT,\"a,b\"", nullptr, "b\""},
        {1, "X,\t\r\n,Y", nullptr, "\t\r\n"},
        {-1, "SYM,1,2", nullptr, "SYM"}, {-32768, "SYM,1,2", nullptr, "SYM"},   // below 0: field 0
        {-5, "a=b", "=", "a"}, {1, "KERB=ROADS", "=", "ROADS"}, {1, "2211:1", ":", "1"}, {2, "a-b-c", "-", "c"},
        {1, "a*b", ",", ""}, {0, "a*b", ",", "a*b"},
        // A longer delimiter: each search starts one character after the previous one's first character.
        {0, "xabyab z", "ab", "x"}, {1, "xabyab z", "ab", "by"}, {2, "xabyab z", "ab", "b z"},
        {1, "aaa", "aa", ""}, {2, "aaa", "aa", "a"}, {3, "aaa", "aa", ""},
        {0, "abc", "", "abc"}, {1, "abc", "", ""},   // an empty delimiter leaves the whole line
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.delimiter ? GetField(c.n, c.line, c.delimiter) : GetCommaField(c.n, c.line), c.field)
            << c.line << " field " << c.n;
    const std::string line = "POLY,KERB,3";
    EXPECT_EQ(GetCommaField(1, line).data(), line.data() + 5);
}

TEST(Fields, GetFieldAndGetCommaFieldAgree) {
    std::mt19937 rng(7);
    const char alphabet[] = ",,a b";
    for (int i = 0; i < 2000; ++i) {
        std::string line;
        const int len = static_cast<int>(rng() % 12);
        for (int k = 0; k < len; ++k) line += alphabet[rng() % 5];
        for (int n = -1; n < 8; ++n)
            ASSERT_EQ(GetField(n, line, ","), GetCommaField(n, line)) << "line '" << line << "' field " << n;
    }
}

// ------------------------------------------------------------------ numbers

TEST(LeadingNumber, TheScanOfTheExportsNumbers) {
    const std::pair<std::string, double> cases[] = {
        {"-0.5", -0.5}, {".5", 0.5}, {"1.2.3", 1.2}, {"1E3", 1000}, {"+7", 7}, {"1020.500", 1020.5}, {"-.25", -0.25},
        {"5.", 5}, {"000012", 12}, {"0.000125", 0.000125},
        // No digits give zero.
        {"", 0}, {"abc", 0}, {".", 0}, {"-", 0}, {"+-5", 0}, {"--5", 0}, {"E5", 0}, {"   ", 0},
        // The scan stops at the first character that cannot continue (CR is not skipped).
        {"12.5m", 12.5}, {"7abc", 7}, {"3,4", 3}, {"2-3", 2}, {"1E", 1}, {"1E+", 1}, {"1E3.5", 1000}, {"4\r5", 4},
        {std::string("9\0" "1", 3), 9},
        // Blanks, tabs and line feeds are skipped anywhere.
        {"1 000", 1000}, {" 2", 2}, {"\t-\n1 . 5", -1.5}, {"1 E 2", 100}, {"1e- 2", 0.01}, {"1000 5", 10005},
        {"- 5", -5}, {"2.5e-1", 0.25},
        // Exponents with E or D.
        {"2.5E-2", 0.025}, {"1D3", 1000}, {"3d-1", 0.3},
        // Hexadecimal and octal integers, 16 bits unless "&" asks for 32.
        {"&H1F", 31}, {"&hff", 255}, {"&O17", 15}, {"&o777", 511}, {"&HFFFF", -1}, {"&H8000", -32768},
        {"&HFFFF&", 65535}, {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&O177777", -1}, {"&H1G", 1}, {"&O8", 0},
        {"&H", 0}, {"&X1", 0}, {"&H100000000", 0}, {"-&H10", 0},
        // Overflow gives zero; long digit strings keep their value.
        {"1E400", 0}, {"-1E309", 0}, {"1E99999999999999999999", 0}, {std::string(400, '9'), 0}, {"1E-400", 0},
        {"1.7976931348623157E308", std::numeric_limits<double>::max()},
        {std::string(100, '1'), 1.1111111111111111e99}, {"0." + std::string(300, '0') + "25", 2.5e-301},
        // A halfway case decided by a digit far beyond the seventeenth.
        {"9007199254740993", 9007199254740992.0}, {"9007199254740993." + std::string(60, '0') + "1", 9007199254740994.0},
        {"0.1", 0.1}, {"123456.789", 123456.789},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumber(text), value) << "'" << text << "'";
    EXPECT_FALSE(std::signbit(LeadingNumber("-0")));
    EXPECT_FALSE(std::signbit(LeadingNumber("-0.000")));
    EXPECT_DOUBLE_EQ(GetNumField(2, "POINT,1,1000.500,2000"), 1000.5);
    EXPECT_EQ(GetNumField(5, "POINT,1,2"), 0);
}

// ------------------------------------------------------------------ rounding

TEST(Rounding, HalvesGoToTheEvenNeighbourWithinTheRange) {
    const std::pair<double, int> to16[] = {{2.5, 2},        {3.5, 4},       {-2.5, -2}, {-3.5, -4},
                                           {0.5, 0},        {2.4999, 2},    {2.5001, 3}, {32767.4, 32767},
                                           {-32768.5, -32768}};
    for (auto [v, r] : to16) EXPECT_EQ(RoundToInt16(v), r) << v;
    EXPECT_EQ(RoundToInt32(1e9 + 0.5), 1000000000);
    EXPECT_EQ(RoundToInt32(-7.5), -8);
    EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483648);
    for (double v : {32767.5, -32768.6, 1e10, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        try {
            RoundToInt16(v);
            ADD_FAILURE() << v << " should not fit";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.code(), ErrorCode::Overflow);
        }
    }
    EXPECT_THROW(RoundToInt32(2147483647.5), ConversionError);
    EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), ConversionError);
}

// ------------------------------------------------------------------ strings and paths

TEST(Strings, CountOccurrencesAndFindNoCase) {
    const std::tuple<std::string, const char*, int> counts[] = {
        {"AAA", "AA", 2}, {"a,b,,c", ",", 3}, {"abc", "x", 0}, {"abc", "ABC", 0}, {"", ",", 0}, {"abc", "", 0},
        {std::string(32767, ','), ",", 32767}};
    for (const auto& [text, find, n] : counts) EXPECT_EQ(CountOccurrences(text, find), n) << find;
    try {
        CountOccurrences(std::string(32768, ','), ",");
        FAIL() << "no overflow";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
    }
    // Windows-1252 letters have capitals too; division and multiplication signs stay apart.
    const std::tuple<const char*, const char*, int> finds[] = {
        {"ROAD-TRIM", "trim", 6}, {"trim", "TRIM", 1}, {"Contour-Maj", "MAJ", 9}, {"abc", "x", 0}, {"ab", "abc", 0},
        {"abc", "", 1}, {"", "", 1}, {"aab", "ab", 2}, {"caf\xE9", "CAF\xC9", 1}, {"\xF7", "\xD7", 0}};
    for (const auto& [text, find, at] : finds) EXPECT_EQ(FindNoCase(text, find), at) << text << " " << find;
}

TEST(Paths, ChangeExtensionAndFolderOf) {
    const std::tuple<const char*, const char*, const char*> changes[] = {
        {"job.txt", "SYM", "job.SYM"},   {"job", "SYM", "job"},           {"a.b.c", "SYM", "a.b.SYM"},
        {"C:\\data.old\\job", "SYM", "C:\\data.SYM"}, {"/data.old/job", "SYM", "/data.SYM"},
        {"job.txt", "", "job"},         {".txt", "SYM", ".SYM"}};
    for (const auto& [path, ext, out] : changes) EXPECT_EQ(ChangeExtension(path, ext), out) << path;
    const std::pair<const char*, const char*> folders[] = {{"C:\\x\\user.ini", "C:\\x"}, {"user.ini", ""},
                                                           {"/home/u/user.ini", "/home/u"},
                                                           {"C:\\a/b\\c.ini", "C:\\a/b"}, {"/user.ini", ""}};
    for (const auto& [path, folder] : folders) EXPECT_EQ(FolderOf(path), folder) << path;
}

// ------------------------------------------------------------------ files as lines

std::unique_ptr<ExportFile> OpenBytes(TempDir& dir, const std::string& bytes, const std::string& name = "f.txt") {
    WriteFile(dir.file(name), bytes);
    ScriptedPrompter p;
    auto f = OpenForInput(dir.file(name), true, p);
    EXPECT_TRUE(p.shown.empty());
    return f;
}

TEST(ExportFileLines, BytesPositionsSeeksLineNumbersAndTheEnd) {
    TempDir dir;
    const std::string odd("caf\xE9,\x00\x1A\xFF", 8);   // bytes are kept as they are
    auto f = OpenBytes(dir, "AB\r\nCD\r\nEF\rL3\nstill3\r\n" + odd, "named.txt");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Path(), dir.file("named.txt"));
    EXPECT_EQ(f->Length(), 30);
    EXPECT_EQ(f->Position(), 1);
    EXPECT_EQ(f->LineNumber(), 0);
    const auto first = f->ReadLine();
    EXPECT_EQ(f->Position(), 5);
    EXPECT_EQ(f->LineNumber(), 1);
    const std::string_view lines[] = {"CD", "EF", "L3\nstill3"};   // CR LF, a lone CR, CR LF; a lone LF is text
    for (auto expected : lines) EXPECT_EQ(f->ReadLine(), expected);
    EXPECT_EQ(f->LineNumber(), 4);
    EXPECT_EQ(f->ReadLine(), odd);
    EXPECT_EQ(first, "AB");   // earlier lines stay valid while the file is open
    try {
        f->ReadLine();
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::EndOfFile);
        EXPECT_STREQ(e.what(), "Input past end of file");
    }
    f->Seek(6);   // in the middle of "CD": the line before it is line 1
    EXPECT_EQ(f->LineNumber(), 1);
    EXPECT_EQ(f->ReadLine(), "D");
    EXPECT_EQ(f->Position(), 9);
    EXPECT_EQ(f->LineNumber(), 2);
    f->Seek(4);   // between CR and LF: the LF starts the next read
    EXPECT_EQ(f->ReadLine(), "\nCD");
    for (std::int64_t at : {31, 1000}) {
        f->Seek(at);
        EXPECT_TRUE(f->AtEnd()) << at;
    }
    f->Seek(-3);
    EXPECT_EQ(f->Position(), 1);
    EXPECT_EQ(f->ReadLine(), "AB");
}

TEST(OpenForInput, EmptyMissingAndFolderPathsGiveNoFileAndTheirMessage) {
    TempDir dir;
    WriteFile(dir.file("empty.txt"), "");
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("empty.txt"), ""},   // silently
        {dir.file("missing.txt"), "File not found"},
        {dir.file("nofolder/x.txt"), "Path not found"},
        {dir.path().string(), "Path/File access error"},
    };
    for (const auto& [path, error] : cases) {
        for (bool show : {true, false}) {
            ScriptedPrompter p;
            EXPECT_EQ(OpenForInput(path, show, p), nullptr) << path;
            if (!show || error.empty()) {
                EXPECT_TRUE(p.shown.empty()) << path;
                continue;
            }
            ASSERT_EQ(p.shown.size(), 1u) << path;
            EXPECT_EQ(p.shown[0].text, "Error Opening " + path + "\r\n" + error);
            EXPECT_EQ(p.shown[0].icon, MessageIcon::None);
            EXPECT_FALSE(p.shown[0].question);
        }
    }
}

// ------------------------------------------------------------------ allocation

TEST(HotPath, ReadingLinesFieldsAndNumbersAllocatesNothing) {
    TempDir dir;
    std::string bytes = "TALVERO\r\n";
    for (int i = 0; i < 2000; ++i)
        bytes += "POLY3D,CONTOUR-MAJ,9,0.5,1020," + std::to_string(1000 + i) + ".125,2040.5,50.25,1 000,2E3,&H1F\r\n";
    auto f = OpenBytes(dir, bytes);
    ASSERT_TRUE(f);
    double sum = 0;
    int lines = 0, hits = 0;
    const std::size_t before = g_allocations;
    while (!f->AtEnd()) {
        const std::string_view line = f->ReadLine();
        ++lines;
        if (GetCommaField(0, line) != "POLY3D") continue;
        for (int n = 2; n <= 11; ++n) sum += GetNumField(n, line);   // field 11 is past the end
        hits += FindNoCase(GetCommaField(1, line), "maj") > 0;
        hits += CountOccurrences(line, ",") == 10;
        hits += GetField(1, GetCommaField(1, line), "-") == "MAJ";
    }
    f->Seek(1);
    f->ReadLine();
    const std::size_t allocations = g_allocations - before;
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(lines, 2001);
    EXPECT_EQ(hits, 6000);
    EXPECT_GT(sum, 0);
}

// ------------------------------------------------------------------ robustness

TEST(Robustness, RandomBytesNeverCrashTheReader) {
    TempDir dir;
    std::mt19937 rng(12345);
    const char interesting[] = {'\r', '\n', ',', '.', '-', '+', 'E', 'D', '&', 'H', 'O', ' ', '\t', '0', '9', 'F'};
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const std::size_t len = rng() % 600;
        for (std::size_t i = 0; i < len; ++i)
            bytes += (rng() % 3 == 0) ? static_cast<char>(rng() % 256) : interesting[rng() % sizeof interesting];
        WriteFile(dir.file("r.txt"), bytes);
        ScriptedPrompter p;
        auto f = OpenForInput(dir.file("r.txt"), true, p);
        if (bytes.empty()) {
            EXPECT_EQ(f, nullptr);
            continue;
        }
        ASSERT_TRUE(f);
        int lines = 0;
        while (!f->AtEnd()) {
            const auto line = f->ReadLine();
            ++lines;
            for (int n = -1; n < 12; ++n) {
                const double v = GetNumField(n, line);
                EXPECT_TRUE(std::isfinite(v));
                const auto field = GetCommaField(n, line);
                if (!field.empty()) {
                    EXPECT_GE(field.data(), line.data());
                    EXPECT_LE(field.data() + field.size(), line.data() + line.size());
                }
            }
            FindNoCase(line, "TRIM");
            if (line.size() < 32767) CountOccurrences(line, ",");
            if (rng() % 7 == 0) f->Seek(static_cast<std::int64_t>(rng() % (bytes.size() + 3)) - 1);
            ASSERT_LT(lines, 100000) << "reading does not end";
        }
        EXPECT_THROW(f->ReadLine(), ConversionError);
    }
}

} // namespace
} // namespace ostrel
