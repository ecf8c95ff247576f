#include "tools/convert/output_checks.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/system_path.h"

namespace ostrel::cli {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

bool SameFile(const std::string& textA, const std::string& textB) {
    const fs::path a = platform::SystemPath(textA), b = platform::SystemPath(textB);
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

} // namespace

bool IsOneOf(const std::string& out, const std::vector<std::string>& inputs) {
    return std::any_of(inputs.begin(), inputs.end(), [&](const std::string& in) { return SameFile(in, out); });
}

std::string DwgByFolder(const std::string& out) {
    const std::string upper = Upper(out);
    if (Upper(fs::path(out).extension().string()) != ".DXF") return {};
    const auto at = upper.find(".DWG");
    if (at == std::string::npos) return {};
    // The part of the path (a folder's name or the file's) that holds it.
    const auto from = out.find_last_of("/\\", at);
    const auto to = out.find_first_of("/\\", at);
    const std::string part = out.substr(from == std::string::npos ? 0 : from + 1,
                                        to == std::string::npos ? std::string::npos : to - (from == std::string::npos ? 0 : from + 1));
    return "refusing to write " + out + ": \"" + part +
           "\" in its path holds \".dwg\", which makes the drawing DWG although its name ends in .dxf; "
           "rename that folder or give the drawing a .dwg name";
}

std::string RefusedOutput(const std::vector<std::string>& inputs, const std::string& out) {
    if (IsOneOf(out, inputs))
        return "refusing to write " + out + ": it is the export being converted; to convert many exports use -o DIR";
    const std::string ext = Upper(fs::path(out).extension().string());
    if (ext != ".DXF" && ext != ".DWG")
        return "refusing to write " + out + ": a drawing's name ends in .dxf or .dwg; to convert many exports use -o DIR";
    return DwgByFolder(out);
}

std::string ReportPathProblem(const std::string& path) {
    std::error_code ec;
    const fs::path file = platform::SystemPath(path);
    if (fs::is_directory(file, ec)) return "cannot write the report " + path + ": it is a folder";
    const bool existed = fs::exists(file, ec);
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return "cannot write the report " + path + ": " + std::generic_category().message(errno ? errno : EACCES);
    std::fclose(f);
    if (!existed) fs::remove(file, ec);
    return {};
}

} // namespace ostrel::cli
