// The platform layer's Windows side, under Wine: the registry store over
// HKEY_CURRENT_USER, profile files through the system's profile functions,
// file stamps, the library's name, and the settings functions above them.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <tuple>

#include "run/settings.h"
#include "ostrel/host.h"
#include "platform/file_stamp.h"
#include "platform/profile_files.h"
#include "platform/registry_store.h"

namespace ostrel::platform {
namespace {

using namespace std::string_literals;

// A key of its own under HKCU\Software for each test, removed afterwards.
class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = "Software\\OstrelPlatformTest" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, base_.c_str());
    }
    static bool KeyExists(const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    void SetValue(const std::string& path, const char* name, const std::string& data, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    std::string base_;
};

TEST_F(RegistryStoreTest, CreateKeyMakesNestedKeysAndOpensExistingOnes) {
    EXPECT_TRUE(SystemRegistry().CreateKey(base_ + "\\kestrelworks\\"));
    EXPECT_TRUE(KeyExists(base_ + "\\kestrelworks"));
    EXPECT_TRUE(SystemRegistry().CreateKey(base_ + "\\kestrelworks\\talvero"));
    EXPECT_TRUE(KeyExists(base_ + "\\kestrelworks\\talvero"));
    EXPECT_TRUE(SystemRegistry().CreateKey(base_ + "\\kestrelworks\\talvero")) << "an existing key opens";
    EXPECT_FALSE(SystemRegistry().CreateKey("")) << "no key path";
}

// The bytes with their terminating NUL, names without case, any value type;
// nothing for a missing key or value, or data larger than the buffer.
TEST_F(RegistryStoreTest, QueryValueReturnsTheBytesOrNothing) {
    SetValue(base_, "userini", "C:\\a.ini"s + '\0');
    SetValue(base_, "binary", "abc", REG_BINARY);
    struct Case {
        std::string key;
        const char* name;
        std::size_t room;
        std::optional<std::string> data;
    };
    const Case cases[] = {{base_, "userini", 2048, "C:\\a.ini"s + '\0'}, {base_, "USERINI", 2048, "C:\\a.ini"s + '\0'},
                          {base_, "userini", 9, "C:\\a.ini"s + '\0'}, {base_, "userini", 4, std::nullopt},
                          {base_, "binary", 2048, "abc"}, {base_ + "\\absent", "userini", 2048, std::nullopt},
                          {base_, "absent", 2048, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(SystemRegistry().QueryValue(c.key, c.name, c.room), c.data) << c.name << " " << c.room;
}

// The settings functions over the system registry.
TEST_F(RegistryStoreTest, SettingsReadUseriniFromTheKestrelworksKey) {
    SilentPrompter prompter;
    const std::string word = "ostrel-platform-test";
    const std::string key = "Software\\kestrelworks\\" + word;
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());

    EnsureRegistryKey(word, true, prompter);
    EXPECT_TRUE(KeyExists(key));
    EXPECT_EQ(RegistryKeyPath(), key);
    EXPECT_EQ(GetRegistryValue("userini"), "");
    SetValue(key, "userini", "Z:\\jobs\\user.ini"s + '\0');
    EXPECT_EQ(GetRegistryValue("userini"), "Z:\\jobs\\user.ini");

    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

// ----------------------------------------------------------- profile files

class ProfileFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        path_ = std::string(folder) + "ostrel-profile-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        DeleteFileA(path_.c_str());
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }
    void Write(const std::string& bytes) {
        HANDLE f = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
    }
    std::string path_;
};

TEST_F(ProfileFilesTest, ReadStringFindsSectionAndKeyWithoutCaseDropsQuotesAndCutsToTheBuffer) {
    auto& files = SystemProfileFiles();
    EXPECT_EQ(files.ReadString("GENERAL", "DEBUG", path_, 2048), "") << "no file yet";
    EXPECT_EQ(files.ReadString("GENERAL", "DEBUG", "", 2048), "");
    EXPECT_EQ(files.ReadSection("LAYERS", "", 64), std::string(64, '\0'));
    Write("[GENERAL]\r\nDEBUG=ON\r\n[EXPORT]\r\nBYENT=1\r\nDWGVersion=2000\r\n[S]\r\nquoted=\"C:\\a b\\c.ini\"\r\n"
          "long=abcdefghij\r\n");
    const std::tuple<const char*, const char*, std::size_t, const char*> cases[] = {
        {"GENERAL", "DEBUG", 2048, "ON"}, {"export", "dwgversion", 2048, "2000"}, {"EXPORT", "DXFVersion", 2048, ""},
        {"LAYERS", "BYENT", 2048, ""}, {"S", "quoted", 2048, "C:\\a b\\c.ini"}, {"S", "long", 5, "abcd"}};
    for (auto [section, key, room, value] : cases) EXPECT_EQ(files.ReadString(section, key, path_, room), value) << key;
}

TEST_F(ProfileFilesTest, WriteStringCreatesFileSectionAndKey) {
    auto& files = SystemProfileFiles();
    EXPECT_TRUE(files.WriteString("GENERAL", "DEBUG", "OFF", path_));
    EXPECT_EQ(files.ReadString("GENERAL", "DEBUG", path_, 2048), "OFF");
    EXPECT_TRUE(files.WriteString("GENERAL", "DEBUG", "ON", path_));
    EXPECT_EQ(files.ReadString("GENERAL", "DEBUG", path_, 2048), "ON");
    EXPECT_FALSE(files.WriteString("GENERAL", "DEBUG", "ON", ""));
}

TEST_F(ProfileFilesTest, ReadSectionGivesNulEndedEntriesPaddedToTheBuffer) {
    Write("[LAYERS]\r\nMANHOLE=DRAINAGE-MH\r\nROAD*=HIGHWAYS\r\n[COLORTABLE]\r\n1=1\r\n");
    std::string section = SystemProfileFiles().ReadSection("layers", path_, 10240);
    ASSERT_EQ(section.size(), 10240u);
    const std::string expected = "MANHOLE=DRAINAGE-MH\0ROAD*=HIGHWAYS\0"s;
    EXPECT_EQ(section.substr(0, expected.size()), expected);
    EXPECT_EQ(section.find_first_not_of('\0', expected.size()), std::string::npos);
}

// ------------------------------------------------------- stamps and names

TEST_F(ProfileFilesTest, StampsTellFilesAndTheirChanges) {
    EXPECT_FALSE(StampOf(path_).exists);
    Write("[A]\r\n");
    FileStamp first = StampOf(path_);
    ASSERT_TRUE(first.exists);
    EXPECT_EQ(first.size, 5);
    EXPECT_TRUE(first.SameFile(StampOf(path_)));
    EXPECT_EQ(first, StampOf(path_));
    Write("[A]\r\nk=v\r\n");
    FileStamp second = StampOf(path_);
    EXPECT_EQ(second.size, 10);
    EXPECT_NE(first, second);
}

TEST(LibraryName, IsTheLoadedFilesNameWithoutExtension) {
    // This code is linked into the test program itself.
    EXPECT_EQ(LibraryFileStem(), "com_internals_test");
}

} // namespace
} // namespace ostrel::platform
