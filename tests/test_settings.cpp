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

TEST_F(ProfileRead, TheProfileFileRules) {
    struct Case {
        std::string file, section, key, value;
    };
    const Case cases[] = {
        // Section and key names match without case; values keep theirs.
        {"[General]\r\nDebug=on\r\n[export]\r\nbyent=1\r\n", "GENERAL", "DEBUG", "on"},
        {"[General]\r\nDebug=on\r\n[export]\r\nbyent=1\r\n", "EXPORT", "BYENT", "1"},
        {"[General]\r\nDebug=on\r\n[export]\r\nbyent=1\r\n", "EXPORT", "DEBUG", ""},
        // The first match wins; only the first section of a name is looked at.
        {"[A]\r\nk=first\r\nK=second\r\n[a]\r\nk=third\r\nonly=later\r\n", "A", "k", "first"},
        {"[A]\r\nk=first\r\nK=second\r\n[a]\r\nk=third\r\nonly=later\r\n", "A", "only", ""},
        // Blanks around names and values are ignored, blanks inside stay.
        {"  [ EXPORT ]  \r\n\t LAYERSTYLE \t=  2 \r\n", "EXPORT", "LAYERSTYLE", "2"},
        {"[EXPORT]\r\nDWGVersion=\t2000\t\r\n", " EXPORT ", " DWGVersion ", "2000"},
        {"[LAYERS]\r\nOLD NAME = NEW  NAME \r\n", "LAYERS", "old name", "NEW  NAME"},
        // Comment lines are skipped; a ';' later in a line is part of it.
        {"; [GENERAL]\r\n[GENERAL]\r\n;DEBUG=ON\r\n  ; DEBUG=YES\r\n", "GENERAL", "DEBUG", ""},
        {"[GENERAL]\r\n;DEBUG=ON\r\n", "GENERAL", ";DEBUG", ""},
        {"[GENERAL]\r\nX=1 ; not a comment\r\n", "GENERAL", "X", "1 ; not a comment"},
        {"[GENERAL]\r\nDEBUG=ON\r\n", "GENERAL", "", ""},
        // Entries before the first section belong to none.
        {"DEBUG=ON\r\n[GENERAL]\r\n", "GENERAL", "DEBUG", ""},
        {"DEBUG=ON\r\n[GENERAL]\r\n", "", "DEBUG", ""},
        // Any line ending; a byte order mark is not part of the first section.
        {"[A]\nx=1\r[B]\r\ny=2\n\n[C]\rz=3", "B", "y", "2"},
        {"[A]\nx=1\r[B]\r\ny=2\n\n[C]\rz=3", "C", "z", "3"},
        {"\xEF\xBB\xBF[OPTION]\r\ntxtDWGoverride=/x/s.ini\r\n", "OPTION", "txtDWGoverride", "/x/s.ini"},
        // A line without '=' is a key without value; a value may hold '='.
        {"[A]\r\nflag\r\nflag=late\r\n", "A", "flag", ""},
        {"[A]\r\nx=a=b\r\n", "A", "x", "a=b"},
        // Surrounding quotes are dropped, lone or inner ones stay.
        {"[A]\r\nd=\"ON\"\r\n", "A", "d", "ON"},
        {"[A]\r\ns='x y'\r\n", "A", "s", "x y"},
        {"[A]\r\nm=\"half\r\n", "A", "m", "\"half"},
        {"[A]\r\nq=\"\r\n", "A", "q", "\""},
        {"[A]\r\nin=a\"b\"\r\n", "A", "in", "a\"b\""},
        // A value is cut at its first NUL and at 2047 characters.
        {std::string("[A]\r\nk=AB\0CD\r\n", 14), "A", "k", "AB"},
        {"[A]\r\nlong=" + std::string(3000, 'v') + "\r\n", "A", "long", std::string(2047, 'v')},
        // A header without its closing bracket is not a section.
        {"[A]\r\nk=1\r\n[B\r\nk=2\r\n", "B", "k", ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        Make(c.file, "r" + std::to_string(n++) + ".ini");
        EXPECT_EQ(Get(c.section, c.key), c.value) << "[" << c.section << "] " << c.key << " in\n" << c.file;
    }
    path_ = dir_.file("absent.ini");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
}

TEST_F(ProfileRead, EmptyFileArgumentMeansSettingsFileAndReceivesIt) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    SettingsFile() = path_;
    std::string file;
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", file), "ON");
    EXPECT_EQ(file, path_);
    WriteINIValue("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\n");
    // Without a settings file: defaults, and nothing is written.
    SettingsFile().clear();
    file.clear();
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", file), "");
    EXPECT_EQ(file, "");
    WriteINIValue("GENERAL", "DEBUG", "ON");
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

TEST_F(ProfileWrite, AWriteChangesItsOwnLineAndKeepsEveryOtherByte) {
    struct Case {
        std::string before, after;
    };
    // Each writes [GENERAL] DEBUG=OFF.
    const Case cases[] = {
        {"; keep me\r\n[GENERAL]\r\n  Debug = ON   \r\nOther=x\r\n\r\n[EXPORT]\r\nBYENT=1",
         "; keep me\r\n[GENERAL]\r\n  Debug = OFF   \r\nOther=x\r\n\r\n[EXPORT]\r\nBYENT=1"},
        {"[GENERAL]\r\nDEBUG = OFF\r\n", "[GENERAL]\r\nDEBUG = OFF\r\n"},   // the same value
        {"[GENERAL]\r\nDEBUG  \r\n", "[GENERAL]\r\nDEBUG=OFF\r\n"},           // a key without value
        // A new key goes after the section's last line.
        {"[GENERAL]\r\nA=1\r\n; note\r\n\r\n[EXPORT]\r\nB=2\r\n",
         "[GENERAL]\r\nA=1\r\n; note\r\nDEBUG=OFF\r\n\r\n[EXPORT]\r\nB=2\r\n"},
        {"[GENERAL]", "[GENERAL]\r\nDEBUG=OFF"},
        // A new section is appended after a blank line, in the file's line ending.
        {"[EXPORT]\nBYENT=1\n", "[EXPORT]\nBYENT=1\n\n[GENERAL]\nDEBUG=OFF\n"},
        {"[EXPORT]\r\nBYENT=1", "[EXPORT]\r\nBYENT=1\r\n\r\n[GENERAL]\r\nDEBUG=OFF\r\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        Make(c.before, "w" + std::to_string(n++) + ".ini");
        Put("GENERAL", "DEBUG", "OFF");
        EXPECT_EQ(ReadFile(path_), c.after) << c.before;
        EXPECT_EQ(Get("GENERAL", "DEBUG"), "OFF");
    }
}

TEST_F(ProfileWrite, MissingFileIsCreatedMissingFolderFailsQuietly) {
    path_ = dir_.file("new.ini");
    Put("GENERAL", "DEBUG", "OFF");
    Put("GENERAL", "MORE", "1");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\nMORE=1\r\n");
    path_ = dir_.file("no/such/folder/s.ini");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
}

// ------------------------------------------------------------------ sections

using ProfileSection = IniFile;

TEST_F(ProfileSection, EntriesEndedByNulAndPaddedTo10240) {
    Make("[LAYERS]\r\nKERB = ROADS\r\n; comment\r\n\r\nTREE*=VEG\r\nbare\r\nq=\"v\"\r\n[COLORTABLE]\r\n1=1\r\n");
    const std::string s = Section("layers");
    ASSERT_EQ(s.size(), 10240u);
    EXPECT_EQ(s.substr(0, 32), std::string("KERB=ROADS\0TREE*=VEG\0bare\0q=\"v\"\0", 32));
    EXPECT_EQ(s.find_first_not_of('\0', 32), std::string::npos);
    EXPECT_EQ(Section("B"), std::string(10240, '\0'));
    path_ = dir_.file("absent.ini");
    EXPECT_EQ(Section("LAYERS"), std::string(10240, '\0'));
}

TEST_F(ProfileSection, AFittingSectionIsWholeALongerOneIsCutAndEndsWithTwoNuls) {
    // "k=" + value + NUL + the final NUL fill the 10240 characters exactly; a "y" more is cut.
    const std::string value(10240 - 4, 'x');
    for (const char* more : {"", "y"}) {
        Make("[A]\r\nk=" + value + more + "\r\n", std::string("fit") + more + ".ini");
        std::string s = Section("A");
        ASSERT_EQ(s.size(), 10240u);
        EXPECT_EQ(s.substr(0, 10238), "k=" + value);
        EXPECT_EQ(s.substr(10238), std::string(2, '\0'));
    }
    std::string body = "[LAYERS]\r\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 1000; ++i) {
        expected.push_back("LAYER" + std::to_string(i) + "=TARGET" + std::to_string(i));
        body += expected.back() + "\r\n";
    }
    Make(body);
    const std::string s = Section("LAYERS");
    ASSERT_EQ(s.size(), 10240u);
    EXPECT_EQ(s.substr(10238), std::string(2, '\0'));
    const auto got = Entries(s);
    ASSERT_GT(got.size(), 100u);
    ASSERT_LT(got.size(), expected.size());
    for (std::size_t i = 0; i + 1 < got.size(); ++i) EXPECT_EQ(got[i], expected[i]);
    // The last entry is the start of the one that did not fit.
    EXPECT_EQ(expected[got.size() - 1].compare(0, got.back().size(), got.back()), 0);
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
    std::filesystem::remove(path_);
    RevalidateSettingsCache();
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "");
}

TEST_F(ProfileCache, OwnWritesAreSeenAtOnceUnderEveryPathAndKeepOutsideChanges) {
    Make("[GENERAL]\r\nDEBUG=ON\r\n");
    std::string other = dir_.path().string() + "/./s.ini";
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", other), "ON");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "OFF");
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG", other), "OFF");
    // A later outside change to the written file is noticed and kept by the next write.
    WriteFile(path_, "[GENERAL]\r\nDEBUG=AGAIN\r\nADDED=yes\r\n");
    RevalidateSettingsCache();
    EXPECT_EQ(Get("GENERAL", "DEBUG"), "AGAIN");
    Put("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(ReadFile(path_), "[GENERAL]\r\nDEBUG=OFF\r\nADDED=yes\r\n");
}

// ------------------------------------------------------------------ settings numbers

TEST(SettingsNumbers, LenientScanThenNearest16BitHalvesToEven) {
    const std::pair<const char*, int> cases[] = {{"2.5", 2},   {"3.5", 4},       {"7abc", 7}, {"", 0},    {"yes", 0},
                                                 {" 2 000", 2000}, {"-1.5", -2}, {"&H10", 16}, {"1E400", 0}};
    for (auto [text, value] : cases) EXPECT_EQ(SettingsNumber(text), value) << text;
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
