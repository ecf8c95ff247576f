// Locked rewrites on Windows, under Wine: writers on several handles lose
// nothing, and a file that cannot be replaced is left as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/locked_rewrite.h"

namespace ostrel::platform {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& p) {
    std::ostringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
}

TEST(LockedRewrite, WritersOnSeveralHandlesLoseNothingAndRefusalsLeaveFilesAlone) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / ("ostrel-rewrite-" + std::to_string(GetCurrentProcessId()));
    const std::string file = (folder / "sub" / "registry").string();
    std::vector<std::thread> writers;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                failures[t] += !RewriteFileLocked(file, true, 1 << 20, [](std::string current) {
                    const int n = current.empty() ? 0 : std::stoi(current);
                    Sleep(0);   // another writer may come in here
                    return std::optional<std::string>(std::to_string(n + 1));
                });
            }
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
    EXPECT_EQ(Contents(file), "100");
    for (const auto& e : fs::directory_iterator(folder / "sub")) {
        EXPECT_TRUE(e.path().filename() == "registry" || e.path().extension() == ".lock") << e.path();
    }

    const std::string ro = (folder / "ro.ini").string();
    std::ofstream(ro, std::ios::binary) << "kept";
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY);
    int edits = 0;
    auto edit = [&](std::string s) -> std::optional<std::string> { return ++edits, s + "more"; };
    EXPECT_FALSE(RewriteFileLocked(file, false, 2, edit)) << "over the size allowed";
    EXPECT_FALSE(RewriteFileLocked(ro, false, 1 << 20, edit)) << "read-only";
    EXPECT_FALSE(RewriteFileLocked((folder / "sub").string(), false, 1 << 20, edit)) << "a folder";
    EXPECT_FALSE(RewriteFileLocked("NUL", false, 1 << 20, edit)) << "a device";
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(Contents(file), "100");
    EXPECT_EQ(Contents(ro), "kept");
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ec;
    fs::remove_all(folder, ec);
}

} // namespace
} // namespace ostrel::platform
