// The platform layer's Windows side, under Wine: the registry store over
// HKEY_CURRENT_USER, profile files through the system's profile functions,
// file stamps, the library's name, and the settings functions above them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

TEST_F(RegistryStoreTest, QueryValueReturnsTheBytesWithTheTerminatingNul) {
    SetValue(base_, "userini", "C:\\settings\\user.ini"s + '\0');
    auto data = SystemRegistry().QueryValue(base_, "userini", 2048);
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, "C:\\settings\\user.ini"s + '\0');
    // Value names match without regard to case, as the registry does.
    auto upper = SystemRegistry().QueryValue(base_, "USERINI", 2048);
    ASSERT_TRUE(upper);
    EXPECT_EQ(*upper, *data);
}

TEST_F(RegistryStoreTest, MissingKeyValueOrRoomGivesNothing) {
    SetValue(base_, "userini", "C:\\a.ini"s + '\0');
    EXPECT_FALSE(SystemRegistry().QueryValue(base_ + "\\absent", "userini", 2048));
    EXPECT_FALSE(SystemRegistry().QueryValue(base_, "absent", 2048));
    EXPECT_FALSE(SystemRegistry().QueryValue(base_, "userini", 4)) << "data larger than the buffer";
    EXPECT_TRUE(SystemRegistry().QueryValue(base_, "userini", 9)) << "data exactly the buffer's size";
}

TEST_F(RegistryStoreTest, ValueTypeIsNotExamined) {
    SetValue(base_, "userini", "abc", REG_BINARY);
    auto data = SystemRegistry().QueryValue(base_, "userini", 2048);
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, "abc");
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

TEST_F(ProfileFilesTest, ReadStringFindsSectionAndKeyWithoutCase) {
    Write("[GENERAL]\r\nDEBUG=ON\r\n[EXPORT]\r\nBYENT=1\r\nDWGVersion=2000\r\n");
    auto& files = SystemProfileFiles();
    EXPECT_EQ(files.ReadString("GENERAL", "DEBUG", path_, 2048), "ON");
    EXPECT_EQ(files.ReadString("export", "dwgversion", path_, 2048), "2000");
    EXPECT_EQ(files.ReadString("EXPORT", "DXFVersion", path_, 2048), "");
    EXPECT_EQ(files.ReadString("LAYERS", "BYENT", path_, 2048), "");
}

TEST_F(ProfileFilesTest, ReadStringDropsQuotesAndCutsToTheBuffer) {
    Write("[S]\r\nquoted=\"C:\\a b\\c.ini\"\r\nlong=abcdefghij\r\n");
    auto& files = SystemProfileFiles();
    EXPECT_EQ(files.ReadString("S", "quoted", path_, 2048), "C:\\a b\\c.ini");
    EXPECT_EQ(files.ReadString("S", "long", path_, 5), "abcd");
}

TEST_F(ProfileFilesTest, MissingOrUnnamedFileGivesEmptyValues) {
    auto& files = SystemProfileFiles();
    EXPECT_EQ(files.ReadString("GENERAL", "DEBUG", path_, 2048), "");
    EXPECT_EQ(files.ReadString("GENERAL", "DEBUG", "", 2048), "");
    std::string section = files.ReadSection("LAYERS", "", 64);
    EXPECT_EQ(section, std::string(64, '\0'));
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

TEST_F(ProfileFilesTest, SettingsFunctionsUseTheSettingsFileForAnEmptyPath) {
    Write("[EXPORT]\r\nLAYERSTYLE=3.5\r\n");
    SettingsFile() = path_;
    std::string file;
    EXPECT_EQ(GetINIValue("EXPORT", "LAYERSTYLE", file), "3.5");
    EXPECT_EQ(file, path_) << "the empty path argument receives SettingsFile";
    WriteINIValue("GENERAL", "DEBUG", "OFF");
    EXPECT_EQ(GetINIValue("GENERAL", "DEBUG"), "OFF");
    SettingsFile().clear();
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
