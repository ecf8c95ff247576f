// The registry store: where it lives, making keys, reading values, and how
// construction of clsDWG finds the user settings file through it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <tuple>

#include "run/run.h"
#include "run/settings.h"
#include "ostrel/clsDWG.h"
#include "platform/registry_store.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ReadFile;
using test::ScriptedPrompter;
using test::TempDir;
using test::WriteFile;

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsFile().clear();
        RegistryKeyPath().clear();
        RevalidateSettingsCache();
    }
    void TearDown() override {
        SettingsFile().clear();
        RegistryKeyPath().clear();
    }
    void WriteRegistry(const std::string& text) {
        std::filesystem::create_directories(dir_.file("reg"));
        WriteFile(registry_, text);
        RevalidateSettingsCache();
    }
    std::unique_ptr<clsDWG> Construct() {
        RevalidateSettingsCache();
        return std::make_unique<clsDWG>(HostOptions{prompter_, nullptr, ""});
    }

    TempDir dir_;
    std::string registry_ = dir_.file("reg/registry");
    ScopedEnv env_{"OSTREL_REGISTRY", registry_};
    std::shared_ptr<ScriptedPrompter> prompter_ = std::make_shared<ScriptedPrompter>();
};

// ------------------------------------------------------------------ where the store lives

TEST_F(Registry, FileComesFromOstrelRegistryThenXdgThenHome) {
    auto& reg = platform::SystemRegistry();
    EXPECT_EQ(reg.Location(), registry_);
    {
        ScopedEnv noOverride("OSTREL_REGISTRY", std::nullopt);
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/config");
        EXPECT_EQ(reg.Location(), "/xdg/config/ostrel/registry");
        ScopedEnv noXdg("XDG_CONFIG_HOME", std::nullopt);
        ScopedEnv home("HOME", "/home/someone");
        EXPECT_EQ(reg.Location(), "/home/someone/.config/ostrel/registry");
        ScopedEnv emptyXdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(reg.Location(), "/home/someone/.config/ostrel/registry");
    }
    EXPECT_EQ(reg.Location(), registry_);
    ScopedEnv noOverride("OSTREL_REGISTRY", std::nullopt);
    ScopedEnv xdg("XDG_CONFIG_HOME", dir_.file("xdg"));   // keys are made in the file named so
    EnsureRegistryKey("talvero", true, *prompter_);
    EXPECT_TRUE(prompter_->shown.empty());
    EXPECT_NE(ReadFile(dir_.file("xdg/ostrel/registry")).find("[Software\\kestrelworks\\talvero]"),
              std::string::npos);
}

// ------------------------------------------------------------------ EnsureRegistryKey

TEST_F(Registry, EnsureRegistryKeyCreatesFileFolderAndKeysAndLeavesAnExistingFileAsItIs) {
    EnsureRegistryKey("talvero", true, *prompter_);
    EXPECT_EQ(RegistryKeyPath(), "Software\\kestrelworks\\talvero");
    EXPECT_EQ(ReadFile(registry_), "[Software\\kestrelworks]\r\n\r\n[Software\\kestrelworks\\talvero]\r\n");
    EXPECT_EQ(GetRegistryValue("userini"), "");
    const std::string before =
        "; hand-written\n[software\\KESTRELWORKS]\n[Software\\kestrelworks\\talvero]\nuserini = /u.ini \n";
    WriteRegistry(before);
    EnsureRegistryKey("talvero", true, *prompter_);
    EXPECT_EQ(ReadFile(registry_), before);
    EXPECT_EQ(GetRegistryValue("userini"), "/u.ini");
    EnsureRegistryKey("office", true, *prompter_);
    EXPECT_EQ(ReadFile(registry_), before + "\n[Software\\kestrelworks\\office]\n");
    EXPECT_EQ(RegistryKeyPath(), "Software\\kestrelworks\\office");
    EXPECT_TRUE(prompter_->shown.empty());
}

TEST_F(Registry, FailureToCreateTheKeyIsShownWhenAskedAndConstructionGoesOn) {
    WriteFile(dir_.file("plainfile"), "x");
    ScopedEnv blocked("OSTREL_REGISTRY", dir_.file("plainfile/registry"));
    EnsureRegistryKey("talvero", true, *prompter_);
    ASSERT_EQ(prompter_->shown.size(), 1u);
    EXPECT_EQ(prompter_->shown[0].text, "Ostrel.cRegistryFailed to create registry Key: 'Software\\");
    EXPECT_EQ(prompter_->shown[0].icon, MessageIcon::None);
    EXPECT_EQ(RegistryKeyPath(), "Software\\kestrelworks\\talvero");
    EXPECT_EQ(GetRegistryValue("userini"), "");
    ScriptedPrompter quiet;
    EnsureRegistryKey("office", false, quiet);
    EXPECT_TRUE(quiet.shown.empty());
    prompter_->shown.clear();
    auto c = Construct();   // the message for each key, and the run goes on
    ASSERT_EQ(prompter_->shown.size(), 2u);
    EXPECT_EQ(prompter_->shown[1].text, "Ostrel.cRegistryFailed to create registry Key: 'Software\\");
    EXPECT_EQ(c->run().UserSettingsFile, "");
}

// ------------------------------------------------------------------ GetRegistryValue

TEST_F(Registry, ValuesAreReadFromTheCurrentKeyUpToTheBuffer) {
    RegistryKeyPath() = "Software\\kestrelworks\\talvero";
    EXPECT_EQ(GetRegistryValue("userini"), "");   // no store yet
    EXPECT_FALSE(std::filesystem::exists(registry_));
    WriteRegistry("[Software\\kestrelworks\\talvero]\r\nuserini=/t/user.ini\r\nother=1\r\nfits=" +
                  std::string(2047, 'a') + "\r\ntoolong=" + std::string(2048, 'b') + "\r\n" +
                  "[Software\\kestrelworks\\office]\r\nuserini=/o/user.ini\r\n");
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"talvero", "userini", "/t/user.ini"}, {"talvero", "USERINI", "/t/user.ini"}, {"talvero", "missing", ""},
        {"talvero", "fits", std::string(2047, 'a')}, {"talvero", "toolong", ""},   // longer than the buffer
        {"office", "userini", "/o/user.ini"}, {"absent", "userini", ""}};
    for (const auto& [key, name, value] : cases) {
        RegistryKeyPath() = std::string("Software\\kestrelworks\\") + key;
        EXPECT_EQ(GetRegistryValue(name), value) << key << " " << name;
    }
}

// ------------------------------------------------------------------ construction of clsDWG

TEST_F(Registry, TalveroValueWinsAndOfficeIsNeitherReadNorCreatedAnEmptyOneFallsBackToOffice) {
    WriteFile(dir_.file("t.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir_.file("main-t.ini") + "\r\n");
    WriteRegistry("[Software\\kestrelworks]\r\n[Software\\kestrelworks\\talvero]\r\nuserini=" + dir_.file("t.ini") +
                  "\r\n[Software\\kestrelworks\\Office-Other]\r\n");
    auto c = Construct();
    EXPECT_EQ(c->run().UserSettingsFile, dir_.file("t.ini"));
    EXPECT_EQ(SettingsFile(), dir_.file("main-t.ini"));
    EXPECT_EQ(RegistryKeyPath(), "Software\\kestrelworks\\talvero");
    EXPECT_EQ(ReadFile(registry_).find("kestrelworks\\office]"), std::string::npos);
    EXPECT_TRUE(prompter_->shown.empty());

    SettingsFile().clear();
    RegistryKeyPath().clear();
    WriteFile(dir_.file("o.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir_.file("main-o.ini") + "\r\n");
    WriteRegistry("[Software\\kestrelworks\\talvero]\r\nuserini=\r\n[Software\\kestrelworks\\office]\r\nuserini=" +
                  dir_.file("o.ini") + "\r\n");
    c = Construct();
    EXPECT_EQ(c->run().UserSettingsFile, dir_.file("o.ini"));
    EXPECT_EQ(SettingsFile(), dir_.file("main-o.ini"));
    EXPECT_EQ(RegistryKeyPath(), "Software\\kestrelworks\\office");
}

TEST_F(Registry, NoStoreYetCreatesBothKeysAndConvertsWithDefaults) {
    auto c = Construct();
    EXPECT_EQ(c->run().UserSettingsFile, "");
    EXPECT_EQ(SettingsFile(), "");
    EXPECT_FALSE(c->run().ByEntity);
    EXPECT_EQ(c->run().LayerStyle, 0);
    const std::string text = ReadFile(registry_);
    EXPECT_NE(text.find("[Software\\kestrelworks\\talvero]"), std::string::npos);
    EXPECT_NE(text.find("[Software\\kestrelworks\\office]"), std::string::npos);
    EXPECT_TRUE(prompter_->shown.empty());
}

TEST_F(Registry, SecondInstanceWithoutUseriniReadsTheOverrideFromThePreviousSettingsFile) {
    const std::string first = dir_.file("first.ini"), second = dir_.file("second.ini");
    WriteFile(dir_.file("u.ini"), "[OPTION]\r\ntxtDWGoverride=" + first + "\r\n");
    WriteFile(first, "[OPTION]\r\ntxtDWGoverride=" + second + "\r\n[EXPORT]\r\nLAYERSTYLE=1\r\n");
    WriteFile(second, "[EXPORT]\r\nLAYERSTYLE=2\r\n");
    WriteRegistry("[Software\\kestrelworks\\talvero]\r\nuserini=" + dir_.file("u.ini") + "\r\n");
    auto one = Construct();
    EXPECT_EQ(SettingsFile(), first);
    EXPECT_EQ(one->run().LayerStyle, 1);

    WriteRegistry("[Software\\kestrelworks\\talvero]\r\n");
    auto two = Construct();
    // The empty user settings path stood for the settings file and received it.
    EXPECT_EQ(two->run().UserSettingsFile, first);
    EXPECT_EQ(SettingsFile(), second);
    EXPECT_EQ(two->run().LayerStyle, 2);
}

TEST_F(Registry, ChangedStoreIsSeenByTheNextConstruction) {
    WriteRegistry("[Software\\kestrelworks\\talvero]\r\nuserini=/first.ini\r\n");
    EXPECT_EQ(Construct()->run().UserSettingsFile, "/first.ini");
    WriteFile(registry_, "[Software\\kestrelworks\\talvero]\r\nuserini=/second/path.ini\r\n");
    // Construction itself revalidates the cache.
    EXPECT_EQ(std::make_unique<clsDWG>(HostOptions{prompter_, nullptr, ""})->run().UserSettingsFile,
              "/second/path.ini");
}

TEST_F(Registry, UserSettingsOverrideLeavesTheRegistryAlone) {
    WriteFile(dir_.file("u.ini"), "[OPTION]\r\ntxtDWGoverride=/x.ini\r\n");
    clsDWG c(HostOptions{prompter_, nullptr, dir_.file("u.ini")});
    EXPECT_EQ(c.run().UserSettingsFile, dir_.file("u.ini"));
    EXPECT_EQ(SettingsFile(), "/x.ini");
    EXPECT_FALSE(std::filesystem::exists(registry_));
}

} // namespace
} // namespace ostrel
