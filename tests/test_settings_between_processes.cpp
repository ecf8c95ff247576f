// The registry store and the settings files shared by conversions running at
// the same time, and what the command-line program says when the store
// cannot be written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/ini_file_cache.h"
#include "run/settings.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ReadFile;
using test::RunCommand;
using test::TempDir;
using test::WriteFile;

const std::string kCli = std::string(OSTREL_BINARY_DIR) + "/ostrel";

// Runs body(i) in n forked processes started together; true when every one
// returned true.
bool InProcesses(int n, const std::function<bool(int)>& body) {
    std::vector<pid_t> pids;
    for (int i = 0; i < n; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            platform::SharedIniFiles().Clear();
            ::_exit(body(i) ? 0 : 1);
        }
        pids.push_back(pid);
    }
    bool ok = true;
    for (pid_t pid : pids) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return ok;
}

// Two conversions at once, 100 times, with a registry written as README
// shows it: each must find its settings (DEBUG=ON shows "INI=") and the
// store must keep userini.
TEST(SettingsBetweenProcesses, TwoConversionsAtOnceNeverLoseTheUserSettings) {
    TempDir dir;
    const std::string registry = dir.file("registry"), user = dir.file("user.ini"), main = dir.file("main.ini");
    WriteFile(main, "[GENERAL]\r\nDEBUG=ON\r\n");
    WriteFile(user, "[OPTION]\r\ntxtDWGoverride=" + main + "\r\n");
    WriteFile(dir.file("in.txt"), "TALVERO\r\nPOINT,1,10,20,0\r\n");
    const std::string seed = "[Software\\kestrelworks\\talvero]\r\nuserini=" + user + "\r\n";
    const std::string one = "OSTREL_REGISTRY='" + registry + "' '" + kCli + "' convert '" + dir.file("in.txt") +
                            "' '" + dir.file("out$i") + "-$k.dxf' </dev/null 2>&1 | grep -c '^message: INI='";
    // Each round prints the two runs' counts of "INI=" lines and whether userini is still there.
    const auto r = RunCommand("cd '" + dir.path().string() + "' && for i in $(seq 100); do printf '%s' '" + seed +
                              "' > '" + registry + "'; for k in 1 2; do (" + one + " > n$k) & done; wait; " +
                              "echo \"$(cat n1)$(cat n2)$(grep -c '^userini=' '" + registry + "')\"; done");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::size_t rounds = 0, lost = 0;
    for (std::size_t at = 0; at < r.out.size(); at = r.out.find('\n', at) + 1) {
        ++rounds;
        if (r.out.compare(at, 4, "111\n") != 0) ++lost;
    }
    EXPECT_EQ(rounds, 100u);
    EXPECT_EQ(lost, 0u) << r.out;
}

// Writers of one settings file at once: each keeps the others' values.
TEST(SettingsBetweenProcesses, WritersAtOnceKeepEachOthersValues) {
    TempDir dir;
    std::string file = dir.file("main.ini");
    for (int round = 0; round < 20; ++round) {
        WriteFile(file, "[OPTION]\r\nkeep=1\r\n");
        ASSERT_TRUE(InProcesses(6, [&](int i) {
            std::string f = file;
            WriteINIValue("GENERAL", "DEBUG" + std::to_string(i), "OFF", f);
            return true;
        }));
        const std::string text = ReadFile(file);
        EXPECT_NE(text.find("keep=1"), std::string::npos) << text;
        for (int i = 0; i < 6; ++i)
            ASSERT_NE(text.find("DEBUG" + std::to_string(i) + "=OFF"), std::string::npos) << "round " << round << "\n"
                                                                                         << text;
    }
}

TEST(SettingsBetweenProcesses, ARewriteKeepsTheFilesModeAndLink) {
    TempDir dir;
    const std::string file = dir.file("real.ini"), link = dir.file("link.ini");
    WriteFile(file, "[A]\r\nx=1\r\n");
    ::chmod(file.c_str(), 0640);
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    std::string path = link;
    WriteINIValue("A", "y", "2", path);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadFile(file), "[A]\r\nx=1\r\ny=2\r\n");
}

// A store that cannot be written shows its message, and the program says
// so by its exit status.
TEST(SettingsBetweenProcesses, ARegistryStoreFailureEndsWithStatusThree) {
    TempDir dir;
    WriteFile(dir.file("blocker"), "a file where the store's folder should be");
    WriteFile(dir.file("in.txt"), "TALVERO\r\nPOINT,1,10,20,0\r\n");
    WriteFile(dir.file("in.SYM"), "");   // empty: no message of its own
    const auto r = RunCommand("OSTREL_REGISTRY='" + dir.file("blocker") + "/registry' '" + kCli + "' convert '" +
                              dir.file("in.txt") + "' '" + dir.file("out.dxf") + "' </dev/null");
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("error: Ostrel.cRegistryFailed to create registry Key"), std::string::npos) << r.err;
}

} // namespace
} // namespace ostrel
