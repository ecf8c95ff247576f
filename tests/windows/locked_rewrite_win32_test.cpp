// Locked rewrites on Windows, under Wine: the file replaced whole, refused
// when it cannot be, and writers on several handles at once losing nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/locked_rewrite.h"

namespace ostrel::platform {
namespace {

namespace fs = std::filesystem;

class LockedRewriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = fs::path(temp) / ("ostrel-rewrite-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(folder_, ec)) {
            SetFileAttributesA(e.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        fs::remove_all(folder_, ec);
    }
    static std::string Contents(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // A folder's entries other than lock files.
    static std::vector<std::string> Entries(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            if (e.path().extension() != ".lock") names.push_back(e.path().filename().string());
        }
        return names;
    }
    fs::path folder_;
};

TEST_F(LockedRewriteTest, CreatesFoldersAndFileThenEditsWhatIsOnDisk) {
    const std::string file = (folder_ / "a" / "settings.ini").string();
    std::vector<std::string> seen;
    auto append = [&](const char* text) {
        return RewriteFileLocked(file, true, 1 << 20, [&](std::string current) -> std::optional<std::string> {
            seen.push_back(current);
            return current + text;
        });
    };
    ASSERT_TRUE(append("[one]\r\n"));
    ASSERT_TRUE(append("[two]\r\n"));
    EXPECT_EQ(seen, (std::vector<std::string>{"", "[one]\r\n"}));
    EXPECT_EQ(Contents(file), "[one]\r\n[two]\r\n");
    EXPECT_EQ(Entries(folder_ / "a"), std::vector<std::string>{"settings.ini"}) << "no temporary file left";

    // No new contents: the file stays as it is.
    EXPECT_TRUE(RewriteFileLocked(file, false, 1 << 20, [](std::string) { return std::nullopt; }));
    EXPECT_EQ(Contents(file), "[one]\r\n[two]\r\n");
}

TEST_F(LockedRewriteTest, RefusesWhatItCannotReplaceAndLeavesItAsItWas) {
    fs::create_directories(folder_ / "dir");
    const std::string big = (folder_ / "big.ini").string(), locked = (folder_ / "ro.ini").string();
    std::ofstream(big, std::ios::binary) << std::string(100, 'x');
    std::ofstream(locked, std::ios::binary) << "kept";
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    int edits = 0;
    auto edit = [&](std::string s) -> std::optional<std::string> {
        ++edits;
        return s + "more";
    };
    EXPECT_FALSE(RewriteFileLocked(big, false, 99, edit)) << "over the size allowed";
    EXPECT_FALSE(RewriteFileLocked(locked, false, 1 << 20, edit)) << "read-only";
    EXPECT_FALSE(RewriteFileLocked((folder_ / "dir").string(), false, 1 << 20, edit)) << "a folder";
    EXPECT_FALSE(RewriteFileLocked((folder_ / "none" / "x.ini").string(), false, 1 << 20, edit))
        << "missing folder, not to be made";
    EXPECT_FALSE(RewriteFileLocked("NUL", false, 1 << 20, edit)) << "a device";
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(Contents(big), std::string(100, 'x'));
    EXPECT_EQ(Contents(locked), "kept");
    EXPECT_FALSE(fs::exists(folder_ / "none"));
}

TEST_F(LockedRewriteTest, KeepsHiddenAttributeAndWritersOnSeveralHandlesLoseNothing) {
    const std::string file = (folder_ / "registry").string();
    fs::create_directories(folder_);
    std::ofstream(file, std::ios::binary) << "0";
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    constexpr int kThreads = 4, kRounds = 25;
    std::vector<std::thread> writers;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                const bool ok = RewriteFileLocked(file, false, 1 << 20, [](std::string current) {
                    const int n = std::stoi(current);
                    Sleep(0);   // give another writer the chance to interleave
                    return std::optional<std::string>(std::to_string(n + 1));
                });
                if (!ok) ++failures[t];
            }
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
    EXPECT_EQ(Contents(file), std::to_string(kThreads * kRounds));
    EXPECT_NE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(Entries(folder_), std::vector<std::string>{"registry"}) << "no temporary file left";
}

} // namespace
} // namespace ostrel::platform
