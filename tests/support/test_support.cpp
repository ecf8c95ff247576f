#include "support/test_support.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace ostrel::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::path(OSTREL_BINARY_DIR) / "test-tmp";
    std::filesystem::create_directories(base);
    path_ = base / ("t" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    if (!std::getenv("OSTREL_KEEP_TMP")) {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot write " + path);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return {};
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

CommandResult RunCommand(const std::string& command) {
    TempDir dir;
    auto errPath = dir.file("stderr");
    std::string full = "( " + command + " ) 2>" + errPath;
    CommandResult r;
    FILE* p = ::popen(full.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = ReadFile(errPath);
    return r;
}

std::string SourcePath(const std::string& relative) { return std::string(OSTREL_SOURCE_DIR) + "/" + relative; }

std::filesystem::path SharedCases(const std::string& name) {
    const char* root = std::getenv("OSTREL_SHARED_CASES");
    return std::filesystem::path(root ? root : SourcePath("../shared/cases")) / name;
}

CommandResult RunChecker(const std::string& script, const std::string& args) {
    return RunCommand("/usr/bin/python3 " + SourcePath("tests/checkers/" + script) + " " + args);
}

static std::string DwgCheckerDir() {
    if (const char* dir = std::getenv("OSTREL_DWG_CHECKER_DIR")) return dir;
    return SourcePath(".checkers/dwg");
}

CommandResult RunDwgChecker(const std::string& script, const std::string& args) {
    return RunCommand("OSTREL_DWG_CHECKER_DIR='" + DwgCheckerDir() + "' node '" + SourcePath("tests/checkers/dwg/" + script) +
                      "' " + args);
}

bool DwgCheckerHas(const std::string& relative) {
    return std::ifstream(DwgCheckerDir() + "/" + relative).good() && RunCommand("command -v node").exitCode == 0;
}

bool DwgReadersInstalled() {
    static const bool installed = DwgCheckerHas("node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm") &&
                                  DwgCheckerHas("node_modules/@mlightcad/libdxfrw-web/package.json");
    return installed;
}

std::vector<std::vector<std::string>> SplitRows(const std::string& text, char separator) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> row;
        std::size_t start = 0;
        for (;;) {
            const auto at = line.find(separator, start);
            row.push_back(line.substr(start, at - start));
            if (at == std::string::npos) break;
            start = at + 1;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace ostrel::test
