// Fields, the leading-number scan, string and path helpers, rounding, and
// reading text files as lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>

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

TEST(Fields, EmptyFieldsCountAndMissingFieldsAreEmpty) {
    EXPECT_EQ(GetCommaField(0, "POINT"), "POINT");
    EXPECT_EQ(GetCommaField(1, "POINT"), "");
    EXPECT_EQ(GetCommaField(2, "A,B"), "");
    EXPECT_EQ(GetCommaField(1, "A,B,"), "B");
    EXPECT_EQ(GetCommaField(2, "A,B,"), "");
    EXPECT_EQ(GetCommaField(1, "A,,B"), "");
    EXPECT_EQ(GetCommaField(2, "A,,B"), "B");
    EXPECT_EQ(GetCommaField(0, ""), "");
    EXPECT_EQ(GetCommaField(0, ",x"), "");
    EXPECT_EQ(GetCommaField(7, ",,,,,,,last"), "last");
    EXPECT_EQ(GetCommaField(30000, "a,b"), "");
}

TEST(Fields, NothingIsTrimmedOrQuoted) {
    EXPECT_EQ(GetCommaField(1, "A, 2"), " 2");
    EXPECT_EQ(GetCommaField(1, "TEXT,\"a,b\""), "\"a");
    EXPECT_EQ(GetCommaField(2, "TEXT,\"a,b\""), "b\"");
    EXPECT_EQ(GetCommaField(1, "X,\t\r\n,Y"), "\t\r\n");
}

TEST(Fields, NonPositiveIndexGivesFieldZero) {
    EXPECT_EQ(GetCommaField(-1, "SYM,1,2"), "SYM");
    EXPECT_EQ(GetCommaField(-32768, "SYM,1,2"), "SYM");
    EXPECT_EQ(GetField(-5, "a=b", "="), "a");
}

TEST(Fields, OtherOneCharacterDelimiters) {
    EXPECT_EQ(GetField(0, "KERB=ROADS", "="), "KERB");
    EXPECT_EQ(GetField(1, "KERB=ROADS", "="), "ROADS");
    EXPECT_EQ(GetField(1, "2211:1", ":"), "1");
    EXPECT_EQ(GetField(2, "a-b-c", "-"), "c");
    EXPECT_EQ(GetField(1, "a*b", ","), "");
    EXPECT_EQ(GetField(0, "a*b", ","), "a*b");
}

TEST(Fields, MultiCharacterDelimiterRestartsAfterItsFirstCharacter) {
    // Each further search starts one character after the previous
    // delimiter's first character, and the field starts there too.
    EXPECT_EQ(GetField(0, "xabyab z", "ab"), "x");
    EXPECT_EQ(GetField(1, "xabyab z", "ab"), "by");
    EXPECT_EQ(GetField(2, "xabyab z", "ab"), "b z");
    // Overlapping delimiters: "aa" in "aaa" is found at 1 and then at 2.
    EXPECT_EQ(GetField(1, "aaa", "aa"), "");
    EXPECT_EQ(GetField(2, "aaa", "aa"), "a");
    EXPECT_EQ(GetField(3, "aaa", "aa"), "");
}

TEST(Fields, EmptyDelimiterLeavesTheWholeLine) {
    EXPECT_EQ(GetField(0, "abc", ""), "abc");
    EXPECT_EQ(GetField(1, "abc", ""), "");
}

TEST(Fields, FieldsAreViewsIntoTheLine) {
    const std::string line = "POLY,KERB,3";
    const auto f = GetCommaField(1, line);
    EXPECT_EQ(f.data(), line.data() + 5);
    EXPECT_EQ(f.size(), 4u);
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

TEST(LeadingNumber, PlainNumbers) {
    EXPECT_DOUBLE_EQ(LeadingNumber("-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(LeadingNumber("1E3"), 1000);
    EXPECT_DOUBLE_EQ(LeadingNumber("+7"), 7);
    EXPECT_DOUBLE_EQ(LeadingNumber("1020.500"), 1020.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("-.25"), -0.25);
    EXPECT_DOUBLE_EQ(LeadingNumber("5."), 5);
    EXPECT_DOUBLE_EQ(LeadingNumber("000012"), 12);
    EXPECT_DOUBLE_EQ(LeadingNumber("0.000125"), 0.000125);
}

TEST(LeadingNumber, NoDigitsGiveZero) {
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("."), 0);
    EXPECT_EQ(LeadingNumber("-"), 0);
    EXPECT_EQ(LeadingNumber("+-5"), 0);
    EXPECT_EQ(LeadingNumber("--5"), 0);
    EXPECT_EQ(LeadingNumber("E5"), 0);
    EXPECT_EQ(LeadingNumber("   "), 0);
    EXPECT_FALSE(std::signbit(LeadingNumber("-0")));
}

TEST(LeadingNumber, StopsAtTheFirstCharacterThatCannotContinue) {
    EXPECT_DOUBLE_EQ(LeadingNumber("12.5m"), 12.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("7abc"), 7);
    EXPECT_DOUBLE_EQ(LeadingNumber("3,4"), 3);
    EXPECT_DOUBLE_EQ(LeadingNumber("2-3"), 2);
    EXPECT_DOUBLE_EQ(LeadingNumber("1E"), 1);
    EXPECT_DOUBLE_EQ(LeadingNumber("1E+"), 1);
    EXPECT_DOUBLE_EQ(LeadingNumber("1E3.5"), 1000);
    EXPECT_DOUBLE_EQ(LeadingNumber("4\r5"), 4);   // CR is not skipped
    EXPECT_DOUBLE_EQ(LeadingNumber("9\x00" "1"), 9);
}

TEST(LeadingNumber, BlanksTabsAndLineFeedsAreSkippedAnywhere) {
    EXPECT_DOUBLE_EQ(LeadingNumber("1 000"), 1000);
    EXPECT_DOUBLE_EQ(LeadingNumber(" 2"), 2);
    EXPECT_DOUBLE_EQ(LeadingNumber("\t-\n1 . 5"), -1.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("1 E 2"), 100);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e- 2"), 0.01);
}

TEST(LeadingNumber, ExponentsWithEOrD) {
    EXPECT_DOUBLE_EQ(LeadingNumber("1e3"), 1000);
    EXPECT_DOUBLE_EQ(LeadingNumber("2.5E-2"), 0.025);
    EXPECT_DOUBLE_EQ(LeadingNumber("1E+2"), 100);
    EXPECT_DOUBLE_EQ(LeadingNumber("1D3"), 1000);
    EXPECT_DOUBLE_EQ(LeadingNumber("3d-1"), 0.3);
}

TEST(LeadingNumber, HexAndOctalIntegers) {
    EXPECT_EQ(LeadingNumber("&H1F"), 31);
    EXPECT_EQ(LeadingNumber("&hff"), 255);
    EXPECT_EQ(LeadingNumber("&O17"), 15);
    EXPECT_EQ(LeadingNumber("&o777"), 511);
    EXPECT_EQ(LeadingNumber("&HFFFF"), -1);        // a 16-bit integer
    EXPECT_EQ(LeadingNumber("&H8000"), -32768);
    EXPECT_EQ(LeadingNumber("&HFFFF&"), 65535);    // asked for 32 bits
    EXPECT_EQ(LeadingNumber("&H10000"), 65536);
    EXPECT_EQ(LeadingNumber("&HFFFFFFFF"), -1);
    EXPECT_EQ(LeadingNumber("&O177777"), -1);
    EXPECT_EQ(LeadingNumber("&H1G"), 1);
    EXPECT_EQ(LeadingNumber("&O8"), 0);
    EXPECT_EQ(LeadingNumber("&H"), 0);
    EXPECT_EQ(LeadingNumber("&X1"), 0);
    EXPECT_EQ(LeadingNumber("&H100000000"), 0);    // beyond 32 bits
    EXPECT_EQ(LeadingNumber("-&H10"), 0);
}

TEST(LeadingNumber, OverflowGivesZero) {
    EXPECT_EQ(LeadingNumber("1E400"), 0);
    EXPECT_EQ(LeadingNumber("-1E309"), 0);
    EXPECT_EQ(LeadingNumber("1E99999999999999999999"), 0);
    EXPECT_EQ(LeadingNumber(std::string(400, '9')), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.7976931348623157E308"), std::numeric_limits<double>::max());
    EXPECT_EQ(LeadingNumber("1E-400"), 0);
}

TEST(LeadingNumber, LongDigitStringsKeepTheirValue) {
    EXPECT_DOUBLE_EQ(LeadingNumber(std::string(100, '1')), 1.1111111111111111e99);
    EXPECT_DOUBLE_EQ(LeadingNumber("0." + std::string(300, '0') + "25"), 2.5e-301);
    // A halfway case decided by a digit far beyond the seventeenth.
    EXPECT_EQ(LeadingNumber("9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(LeadingNumber("9007199254740993." + std::string(60, '0') + "1"), 9007199254740994.0);
    EXPECT_EQ(LeadingNumber("0.1"), 0.1);
    EXPECT_EQ(LeadingNumber("123456.789"), 123456.789);
}

TEST(LeadingNumber, GetNumFieldReadsTheField) {
    EXPECT_DOUBLE_EQ(GetNumField(1, "A, 2"), 2);
    EXPECT_DOUBLE_EQ(GetNumField(2, "POINT,1,1000.500,2000"), 1000.5);
    EXPECT_EQ(GetNumField(5, "POINT,1,2"), 0);
    EXPECT_EQ(GetNumField(1, "CIRCLE,,3"), 0);
}

// ------------------------------------------------------------------ rounding

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt16(2.5), 2);
    EXPECT_EQ(RoundToInt16(3.5), 4);
    EXPECT_EQ(RoundToInt16(-2.5), -2);
    EXPECT_EQ(RoundToInt16(-3.5), -4);
    EXPECT_EQ(RoundToInt16(0.5), 0);
    EXPECT_EQ(RoundToInt16(2.4999), 2);
    EXPECT_EQ(RoundToInt16(2.5001), 3);
    EXPECT_EQ(RoundToInt32(1e9 + 0.5), 1000000000);
    EXPECT_EQ(RoundToInt32(-7.5), -8);
}

TEST(Rounding, RangeLimits) {
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_EQ(RoundToInt16(-32768.5), -32768);   // halves to the even -32768
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483648);
}

TEST(Rounding, OutOfRangeOrNaNIsAnOverflowError) {
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
    EXPECT_THROW(RoundToInt32(-2147483649.0), ConversionError);
    EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), ConversionError);
}

// ------------------------------------------------------------------ strings and paths

TEST(Strings, CountOccurrencesCountsOverlaps) {
    EXPECT_EQ(CountOccurrences("AAA", "AA"), 2);
    EXPECT_EQ(CountOccurrences("a,b,,c", ","), 3);
    EXPECT_EQ(CountOccurrences("abc", "x"), 0);
    EXPECT_EQ(CountOccurrences("abc", "ABC"), 0);   // case-sensitive
    EXPECT_EQ(CountOccurrences("", ","), 0);
    EXPECT_EQ(CountOccurrences("abc", ""), 0);
    EXPECT_EQ(CountOccurrences(std::string(32767, ','), ","), 32767);
}

TEST(Strings, CountOccurrencesBeyond32767IsAnOverflowError) {
    try {
        CountOccurrences(std::string(32768, ','), ",");
        FAIL() << "no overflow";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
    }
    EXPECT_THROW(CountOccurrences(std::string(40000, 'A'), "AA"), ConversionError);
}

TEST(Strings, FindNoCase) {
    EXPECT_EQ(FindNoCase("ROAD-TRIM", "trim"), 6);
    EXPECT_EQ(FindNoCase("trim", "TRIM"), 1);
    EXPECT_EQ(FindNoCase("Contour-Maj", "MAJ"), 9);
    EXPECT_EQ(FindNoCase("abc", "x"), 0);
    EXPECT_EQ(FindNoCase("ab", "abc"), 0);
    EXPECT_EQ(FindNoCase("abc", ""), 1);
    EXPECT_EQ(FindNoCase("", ""), 1);
    EXPECT_EQ(FindNoCase("aab", "ab"), 2);
    // Windows-1252 letters have capitals too: "é" (E9) matches "É" (C9).
    EXPECT_EQ(FindNoCase("caf\xE9", "CAF\xC9"), 1);
    EXPECT_EQ(FindNoCase("\xF7", "\xD7"), 0);   // division and multiplication signs stay apart
}

TEST(Paths, ChangeExtension) {
    EXPECT_EQ(ChangeExtension("job.txt", "SYM"), "job.SYM");
    EXPECT_EQ(ChangeExtension("job", "SYM"), "job");
    EXPECT_EQ(ChangeExtension("a.b.c", "SYM"), "a.b.SYM");
    EXPECT_EQ(ChangeExtension("C:\\data.old\\job", "SYM"), "C:\\data.SYM");
    EXPECT_EQ(ChangeExtension("/data.old/job", "SYM"), "/data.SYM");
    EXPECT_EQ(ChangeExtension("job.txt", ""), "job");
    EXPECT_EQ(ChangeExtension(".txt", "SYM"), ".SYM");
}

TEST(Paths, FolderOf) {
    EXPECT_EQ(FolderOf("C:\\x\\user.ini"), "C:\\x");
    EXPECT_EQ(FolderOf("user.ini"), "");
    EXPECT_EQ(FolderOf("/home/u/user.ini"), "/home/u");
    EXPECT_EQ(FolderOf("C:\\a/b\\c.ini"), "C:\\a/b");
    EXPECT_EQ(FolderOf("/user.ini"), "");
}

// ------------------------------------------------------------------ files as lines

std::unique_ptr<ExportFile> OpenBytes(TempDir& dir, const std::string& bytes, const std::string& name = "f.txt") {
    WriteFile(dir.file(name), bytes);
    ScriptedPrompter p;
    auto f = OpenForInput(dir.file(name), true, p);
    EXPECT_TRUE(p.shown.empty());
    return f;
}

TEST(ExportFileLines, LinesEndAtCrOrCrLfAndLoneLfBelongsToTheLine) {
    TempDir dir;
    auto f = OpenBytes(dir, "A\r\nB\rC\nD\r\n\r\nE");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->ReadLine(), "A");
    EXPECT_EQ(f->ReadLine(), "B");
    EXPECT_EQ(f->ReadLine(), "C\nD");
    EXPECT_EQ(f->ReadLine(), "");
    EXPECT_FALSE(f->AtEnd());
    EXPECT_EQ(f->ReadLine(), "E");
    EXPECT_TRUE(f->AtEnd());
}

TEST(ExportFileLines, AFinalTerminatorLeavesNoEmptyLine) {
    TempDir dir;
    auto f = OpenBytes(dir, "TALVERO\r\n");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->ReadLine(), "TALVERO");
    EXPECT_TRUE(f->AtEnd());
}

TEST(ExportFileLines, ReadingPastTheEndIsAnEndOfFileError) {
    TempDir dir;
    auto f = OpenBytes(dir, "only");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->ReadLine(), "only");
    try {
        f->ReadLine();
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::EndOfFile);
        EXPECT_STREQ(e.what(), "Input past end of file");
    }
}

TEST(ExportFileLines, BytesAreKeptAsTheyAre) {
    TempDir dir;
    const std::string bytes("caf\xE9,\x00\x1A\xFF", 8);
    auto f = OpenBytes(dir, bytes + "\r\n");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->ReadLine(), bytes);
}

TEST(ExportFileLines, LinesStayValidWhileTheFileIsOpen) {
    TempDir dir;
    auto f = OpenBytes(dir, "first\r\nsecond\r\n");
    ASSERT_TRUE(f);
    const auto a = f->ReadLine();
    const auto b = f->ReadLine();
    EXPECT_EQ(a, "first");
    EXPECT_EQ(b, "second");
}

TEST(ExportFileLines, PositionSeekAndLength) {
    TempDir dir;
    auto f = OpenBytes(dir, "AB\r\nCD\r\nEF");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Length(), 10);
    EXPECT_EQ(f->Position(), 1);
    f->ReadLine();
    EXPECT_EQ(f->Position(), 5);
    f->Seek(6);   // in the middle of "CD"
    EXPECT_EQ(f->ReadLine(), "D");
    EXPECT_EQ(f->Position(), 9);
    f->Seek(1);
    EXPECT_EQ(f->ReadLine(), "AB");
    f->Seek(4);   // between CR and LF: the LF starts the next read
    EXPECT_EQ(f->ReadLine(), "\nCD");
    f->Seek(11);
    EXPECT_TRUE(f->AtEnd());
    f->Seek(1000);
    EXPECT_TRUE(f->AtEnd());
    f->Seek(-3);
    EXPECT_EQ(f->Position(), 1);
    EXPECT_EQ(f->ReadLine(), "AB");
}

TEST(ExportFileLines, LineNumbersFollowReadsAndSeeks) {
    TempDir dir;
    auto f = OpenBytes(dir, "L1\r\nL2\rL3\nstill3\r\nL4\r\nL5");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->LineNumber(), 0);
    f->ReadLine();
    EXPECT_EQ(f->LineNumber(), 1);
    f->ReadLine();
    f->ReadLine();
    EXPECT_EQ(f->LineNumber(), 3);
    f->ReadLine();
    f->ReadLine();
    EXPECT_EQ(f->LineNumber(), 5);
    f->Seek(5);   // start of L2: the line before it is line 1
    EXPECT_EQ(f->LineNumber(), 1);
    EXPECT_EQ(f->ReadLine(), "L2");
    EXPECT_EQ(f->LineNumber(), 2);
    f->Seek(9);   // inside line 3
    EXPECT_EQ(f->ReadLine(), "3\nstill3");
    EXPECT_EQ(f->LineNumber(), 3);
    f->Seek(1);
    EXPECT_EQ(f->LineNumber(), 0);
    f->ReadLine();
    EXPECT_EQ(f->LineNumber(), 1);
}

TEST(ExportFileLines, PathIsKept) {
    TempDir dir;
    auto f = OpenBytes(dir, "x", "named.txt");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Path(), dir.file("named.txt"));
}

// ------------------------------------------------------------------ opening

TEST(OpenForInput, EmptyFileGivesNothingSilently) {
    TempDir dir;
    WriteFile(dir.file("empty.txt"), "");
    ScriptedPrompter p;
    EXPECT_EQ(OpenForInput(dir.file("empty.txt"), true, p), nullptr);
    EXPECT_TRUE(p.shown.empty());
}

TEST(OpenForInput, MissingFileShowsTheOpenError) {
    TempDir dir;
    ScriptedPrompter p;
    const std::string path = dir.file("missing.txt");
    EXPECT_EQ(OpenForInput(path, true, p), nullptr);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, "Error Opening " + path + "\r\nFile not found");
    EXPECT_EQ(p.shown[0].icon, MessageIcon::None);
    EXPECT_FALSE(p.shown[0].question);
}

TEST(OpenForInput, MissingFolderAndFolderInsteadOfFile) {
    TempDir dir;
    ScriptedPrompter p;
    EXPECT_EQ(OpenForInput(dir.file("nofolder/x.txt"), true, p), nullptr);
    EXPECT_EQ(OpenForInput(dir.path().string(), true, p), nullptr);
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, "Error Opening " + dir.file("nofolder/x.txt") + "\r\nPath not found");
    EXPECT_EQ(p.shown[1].text, "Error Opening " + dir.path().string() + "\r\nPath/File access error");
}

TEST(OpenForInput, ErrorsCanBeKeptQuiet) {
    TempDir dir;
    ScriptedPrompter p;
    EXPECT_EQ(OpenForInput(dir.file("missing.txt"), false, p), nullptr);
    EXPECT_TRUE(p.shown.empty());
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
        std::size_t consumed = 0;
        int lines = 0;
        while (!f->AtEnd()) {
            const auto line = f->ReadLine();
            consumed += line.size();
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
        (void)consumed;
    }
}

} // namespace
} // namespace ostrel
