// Settings files: the profile-file rules, writes that keep the rest of the
// file, section listings, the cache of parsed files, and settings numbers.
#include <gtest/gtest.h>

#include <thread>

#include "run/settings.h"
#include "ostrel/errors.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Each test writes its own file, named once, so cached files never mix.
class IniFile : public ::testing::Test {
protected:
    std::string Make(const std::string& bytes, const std::string& name = "s.ini") {
        path_ = dir_.file(name);
        WriteFile(path_, bytes);
        return path_;
    }
    std::string Get(std::string_view section, std::string_view key) {
        std::string f = path_;
        return GetINIValue(section, key, f);
    }
    void Put(std::string_view section, std::string_view key, std::string_view value) {
        std::string f = path_;
        WriteINIValue(section, key, value, f);
    }
    std::string Section(std::string_view section) {
        std::string f = path_;
        return GetINISection(section, f);
    }

    TempDir dir_;
    std::string path_;
};

// The entries of a section listing, up to the first empty one.
std::vector<std::string> Entries(const std::string& buffer) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < buffer.size() && buffer[pos] != '\0') {
        const std::size_t end = buffer.find('\0', pos);
        out.push_back(buffer.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

// ------------------------------------------------------------------ reading

using ProfileRead = IniFile;

TEST_F(ProfileRead, SectionAndKeyNamesMatchWithoutCase) {
    Make("[General]\r\nDebug=ON\r\n[export]\r\nbyent=1\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "ON");
    EXPECT_EQ(Get("general", "debug"), "ON");
    EXPECT_EQ(Get("EXPORT", "BYENT"), "1");
    EXPECT_EQ(Get("EXPORT", "DEBUG"), "");
}

TEST_F(ProfileRead, ValuesKeepTheirCase) {
    Make("[GENERAL]\r\nDEBUG=on\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "on");
}

TEST_F(ProfileRead, FirstMatchWins) {
    Make("[A]\r\nk=first\r\nK=second\r\n[B]\r\nk=b\r\n[a]\r\nk=third\r\nonly=later\r\n");
    EXPECT_EQ(Get("A", "k"), "first");
    EXPECT_EQ(Get("B", "K"), "b");
    // Only the first section of a name is looked at.
    EXPECT_EQ(Get("A", "only"), "");
}

TEST_F(ProfileRead, BlanksAroundNamesAndValuesAreIgnored) {
    Make("  [ EXPORT ]  \r\n\t LAYERSTYLE \t=  2 \r\nDWGVersion=\t2000\t\r\n");
    EXPECT_EQ(Get("EXPORT", "LAYERSTYLE"), "2");
    EXPECT_EQ(Get(" EXPORT ", " DWGVersion "), "2000");
}

TEST_F(ProfileRead, BlanksInsideAValueStay) {
    Make("[LAYERS]\r\nOLD NAME = NEW  NAME \r\n");
    EXPECT_EQ(Get("LAYERS", "old name"), "NEW  NAME");
}

TEST_F(ProfileRead, CommentLinesAreSkipped) {
    Make("; [GENERAL]\r\n[GENERAL]\r\n;DEBUG=ON\r\n  ; DEBUG=YES\r\nX=1 ; not a comment\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
    EXPECT_EQ(Get("GENERAL", ";DEBUG"), "");
    EXPECT_EQ(Get("GENERAL", "X"), "1 ; not a comment");
}

TEST_F(ProfileRead, MissingFileSectionOrKeyGivesEmpty) {
    path_ = dir_.file("absent.ini");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    EXPECT_EQ(Get("EXPORT", "DEBUG"), "");
    EXPECT_EQ(Get("GENERAL", "OTHER"), "");
    EXPECT_EQ(Get("GENERAL", ""), "");
}

TEST_F(ProfileRead, EntriesBeforeTheFirstSectionBelongToNone) {
    Make("DEBUG=ON\r\n[GENERAL]\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
    EXPECT_EQ(Get("", "DEBUG"), "");
}

TEST_F(ProfileRead, AnyLineEndingWorks) {
    Make("[A]\nx=1\r[B]\r\ny=2\n\n[C]\rz=3");
    EXPECT_EQ(Get("A", "x"), "1");
    EXPECT_EQ(Get("B", "y"), "2");
    EXPECT_EQ(Get("C", "z"), "3");
}

TEST_F(ProfileRead, AByteOrderMarkIsNotPartOfTheFirstSection) {
    Make("\xEF\xBB\xBF[OPTION]\r\ntxtDWGoverride=/x/settings.ini\r\n");
    EXPECT_EQ(Get("OPTION", "txtDWGoverride"), "/x/settings.ini");
}

TEST_F(ProfileRead, LineWithoutEqualsIsAKeyWithoutValue) {
    Make("[A]\r\nflag\r\nflag=late\r\nx=a=b\r\n");
    EXPECT_EQ(Get("A", "flag"), "");
    EXPECT_EQ(Get("A", "x"), "a=b");
}

TEST_F(ProfileRead, SurroundingQuotesAreDropped) {
    Make("[A]\r\nd=\"ON\"\r\ns='x y'\r\nm=\"half\r\nq=\"\r\nin=a\"b\"\r\n");
    EXPECT_EQ(Get("A", "d"), "ON");
    EXPECT_EQ(Get("A", "s"), "x y");
    EXPECT_EQ(Get("A", "m"), "\"half");
    EXPECT_EQ(Get("A", "q"), "\"");
    EXPECT_EQ(Get("A", "in"), "a\"b\"");
}

TEST_F(ProfileRead, ValueIsCutAtItsFirstNul) {
    Make(std::string("[A]\r\nk=AB\0CD\r\n", 14));
    EXPECT_EQ(Get("A", "k"), "AB");
}

TEST_F(ProfileRead, ValueIsCappedAt2047Characters) {
    Make("[A]\r\nlong=" + std::string(3000, 'v') + "\r\nfits=" + std::string(2047, 'w') + "\r\n");
    EXPECT_EQ(Get("A", "long"), std::string(2047, 'v'));
    EXPECT_EQ(Get("A", "fits"), std::string(2047, 'w'));
}

TEST_F(ProfileRead, SectionHeaderWithoutClosingBracketIsNotASection) {
    Make("[A]\r\nk=1\r\n[B\r\nk=2\r\n");
    EXPECT_EQ(Get("A", "k"), "1");
    EXPECT_EQ(Get("B", "k"), "");
}

// ------------------------------------------------------------------ the settings file stand-in

TEST_F(ProfileRead, EmptyFileArgumentMeansSettingsFileAndReceivesIt) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    SettingsFile() = path_;
    std::string file;
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", file), "ON");
    EXPECT_EQ(file, path_);
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG"), "ON");
    SettingsFile().clear();
}

TEST_F(ProfileRead, NoSettingsFileGivesDefaultsAndWritesNothing) {
    SettingsFile().clear();
    std::string file;
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", file), "");
    EXPECT_EQ(file, "");
    WriteINIValue("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(GetINISection("LAYERS"), std::string(10240, '\0'));
}

TEST(SettingsFilePerThread, EachThreadHasItsOwn) {
    SettingsFile() = "/main/thread.ini";
    RegistryKeyPath() = "Software\\kestrelworks\\talvero";
    std::string seenFile = "unset", seenKey = "unset";
    std::thread t([&] {
        seenFile = SettingsFile();
        seenKey = RegistryKeyPath();
        SettingsFile() = "/other/thread.ini";
    });
    t.join();
    EXPECT_EQ(seenFile, "");
    EXPECT_EQ(seenKey, "");
    EXPECT_EQ(SettingsFile(), "/main/thread.ini");
    SettingsFile().clear();
    RegistryKeyPath().clear();
}

// ------------------------------------------------------------------ writing

using ProfileWrite = IniFile;

TEST_F(ProfileWrite, ReplacingAValueKeepsEveryOtherByte) {
    const std::string before = "; keep me\r\n[GENERAL]\r\n  Debug = ON   \r\nOther=x\r\n\r\n[EXPORT]\r\nBYENT=1";
    Make(before);
    Put("general", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "; keep me\r\n[GENERAL]\r\n  Debug = OFF   \r\nOther=x\r\n\r\n[EXPORT]\r\nBYENT=1");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "OFF");
}

TEST_F(ProfileWrite, SameValueLeavesTheFileAlone) {
    Make("[GENERAL]\r\nDEBUG = OFF\r\n");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG = OFF\r\n");
}

TEST_F(ProfileWrite, KeyWithoutValueGetsOne) {
    Make("[GENERAL]\r\nDEBUG  \r\n");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\n");
}

TEST_F(ProfileWrite, NewKeyGoesAfterTheSectionsLastLine) {
    Make("[GENERAL]\r\nA=1\r\n; note\r\n\r\n[EXPORT]\r\nB=2\r\n");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nA=1\r\n; note\r\nDEBUG=OFF\r\n\r\n[EXPORT]\r\nB=2\r\n");
}

TEST_F(ProfileWrite, NewKeyInASectionAtTheEndWithoutTerminator) {
    Make("[GENERAL]");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "OFF");
}

TEST_F(ProfileWrite, NewSectionIsAppendedAfterABlankLine) {
    Make("[EXPORT]\nBYENT=1\n");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[EXPORT]\nBYENT=1\n\n[GENERAL]\nDEBUG=OFF\n");
}

TEST_F(ProfileWrite, NewSectionAfterALastLineWithoutTerminator) {
    Make("[EXPORT]\r\nBYENT=1");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[EXPORT]\r\nBYENT=1\r\n\r\n[GENERAL]\r\nDEBUG=OFF\r\n");
}

TEST_F(ProfileWrite, MissingFileIsCreated) {
    path_ = dir_.file("new.ini");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\n");
    Put("GENERAL", "MORE", "1");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\nMORE=1\r\n");
}

TEST_F(ProfileWrite, WriteIntoAMissingFolderFailsQuietly) {
    path_ = dir_.file("no/such/folder/s.ini");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
}

TEST_F(ProfileWrite, EmptyFileArgumentWritesTheSettingsFile) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    SettingsFile() = path_;
    WriteINIValue("GENERAL", "DEBUG", "OFF");
    SettingsFile().clear();
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\n");
}

// ------------------------------------------------------------------ sections

using ProfileSection = IniFile;

TEST_F(ProfileSection, EntriesEndedByNulAndPaddedTo10240) {
    Make("[LAYERS]\r\nKERB = ROADS\r\n; comment\r\n\r\nTREE*=VEG\r\nbare\r\n[COLORTABLE]\r\n1=1\r\n");
    const std::string s = Section("layers");
    ASSERT_EQ(s.size(), 10240u);
    EXPECT_EQ(s.substr(0, 26), std::string("KERB=ROADS\0TREE*=VEG\0bare\0", 26));
    EXPECT_EQ(s.find_first_not_of('\0', 26), std::string::npos);
    EXPECT_EQ(Entries(s), (std::vector<std::string>{"KERB=ROADS", "TREE*=VEG", "bare"}));
}

TEST_F(ProfileSection, QuotesStayInTheListing) {
    Make("[A]\r\nk=\"v\"\r\n");
    EXPECT_EQ(Entries(Section("A")), (std::vector<std::string>{"k=\"v\""}));
}

TEST_F(ProfileSection, MissingSectionOrFileIsAllNul) {
    Make("[A]\r\nk=v\r\n");
    EXPECT_EQ(Section("B"), std::string(10240, '\0'));
    path_ = dir_.file("absent.ini");
    EXPECT_EQ(Section("A"), std::string(10240, '\0'));
}

TEST_F(ProfileSection, ExactlyFittingSectionIsWholeAndOneMoreIsCut) {
    // "k=" + value + NUL + the final NUL fill the 10240 characters exactly.
    const std::string value(10240 - 4, 'x');
    Make("[A]\r\nk=" + value + "\r\n");
    std::string s = Section("A");
    ASSERT_EQ(s.size(), 10240u);
    EXPECT_EQ(s.substr(0, 10238), "k=" + value);
    EXPECT_EQ(s.substr(10238), std::string(2, '\0'));

    Make("[A]\r\nk=" + value + "y\r\n", "longer.ini");
    s = Section("A");
    ASSERT_EQ(s.size(), 10240u);
    EXPECT_EQ(s.substr(0, 10238), "k=" + value);   // the "y" is cut
    EXPECT_EQ(s.substr(10238), std::string(2, '\0'));
}

TEST_F(ProfileSection, TooLongSectionIsCutAndEndsWithTwoNuls) {
    std::string body = "[LAYERS]\r\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 1000; ++i) {
        std::string e = "LAYER" + std::to_string(i) + "=TARGET" + std::to_string(i);
        body += e + "\r\n";
        expected.push_back(e);
    }
    Make(body);
    const std::string s = Section("LAYERS");
    ASSERT_EQ(s.size(), 10240u);
    EXPECT_EQ(s[10238], '\0');
    EXPECT_EQ(s[10239], '\0');
    const auto got = Entries(s);
    ASSERT_GT(got.size(), 100u);
    ASSERT_LT(got.size(), expected.size());
    for (std::size_t i = 0; i + 1 < got.size(); ++i) EXPECT_EQ(got[i], expected[i]);
    // The last entry is the start of the one that did not fit.
    EXPECT_EQ(expected[got.size() - 1].compare(0, got.back().size(), got.back()), 0);
    std::size_t used = 0;
    for (const auto& e : got) used += e.size() + 1;
    EXPECT_EQ(used, 10239u);
}

// ------------------------------------------------------------------ cache

using ProfileCache = IniFile;

TEST_F(ProfileCache, LookupsUseTheParsedFileUntilRevalidated) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "ON");
    // Changed by someone else: not seen until the cache is revalidated, so
    // lookups do not go to the file system.
    WriteFile(path_, "[GENERAL]\r\nDEBUG=OFF-NOW\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "ON");
    RevalidateSettingsCache();
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "OFF-NOW");
}

TEST_F(ProfileCache, RevalidationSeesFilesAppearAndDisappear) {
    path_ = dir_.file("later.ini");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
    WriteFile(path_, "[GENERAL]\r\nDEBUG=ON\r\n");
    RevalidateSettingsCache();
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "ON");
    std::filesystem::remove(path_);
    RevalidateSettingsCache();
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
}

TEST_F(ProfileCache, OwnWritesAreSeenAtOnceAndSurviveRevalidation) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "ON");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "OFF");
    RevalidateSettingsCache();
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "OFF");
    // A later outside change to the written file is still noticed.
    WriteFile(path_, "[GENERAL]\r\nDEBUG=AGAIN\r\n");
    RevalidateSettingsCache();
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "AGAIN");
}

TEST_F(ProfileCache, WriteUpdatesTheSameFileCachedUnderAnotherPath) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    std::string other = dir_.path().string() + "/./s.ini";
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", other), "ON");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", other), "OFF");
}

TEST_F(ProfileCache, WriteAfterAnOutsideChangeKeepsThatChange) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "ON");
    WriteFile(path_, "[GENERAL]\r\nDEBUG=ON\r\nADDED=yes\r\n");
    RevalidateSettingsCache();
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\nADDED=yes\r\n");
}

// ------------------------------------------------------------------ settings numbers

TEST(SettingsNumbers, LenientScanThenNearest16BitHalvesToEven) {
    EXPECT_EQ(SettingsNumber("2.5"), 2);
    EXPECT_EQ(SettingsNumber("3.5"), 4);
    EXPECT_EQ(SettingsNumber("7abc"), 7);
    EXPECT_EQ(SettingsNumber(""), 0);
    EXPECT_EQ(SettingsNumber("yes"), 0);
    EXPECT_EQ(SettingsNumber(" 2 000"), 2000);
    EXPECT_EQ(SettingsNumber("-1.5"), -2);
    EXPECT_EQ(SettingsNumber("&H10"), 16);
    EXPECT_EQ(SettingsNumber("1E400"), 0);
}

TEST(SettingsNumbers, OutOfRangeIsAnOverflowErrorNamingTheValue) {
    try {
        SettingsNumber("99999");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
        EXPECT_NE(std::string(e.what()).find("99999"), std::string::npos);
    }
}

} // namespace
} // namespace ostrel
