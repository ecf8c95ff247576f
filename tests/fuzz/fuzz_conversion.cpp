// A whole conversion (record loop, save, and the trim pass when the export
// asks for it) with the fuzz input in one of its files, the others taken
// from the sample in examples/. OSTREL_FUZZ_INPUT names the file: 0 the
// export, 1 the symbol file, 2 the main settings file. The conversion may
// fail with its error; anything else (a crash, another exception, a
// sanitizer report, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ostrel/clsDWG.h"
#include "ostrel/errors.h"

namespace {

namespace fs = std::filesystem;

// The sample's files in a folder of their own, removed at exit.
class Workspace {
public:
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "ostrel-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        dir_ = pattern;
        const fs::path examples = fs::path(OSTREL_SOURCE_DIR) / "examples";
        fs::copy_file(examples / "site.txt", file("in.txt"));
        fs::copy_file(examples / "site.SYM", file("in.SYM"));
        fs::copy_file(examples / "settings.ini", file("settings.ini"));
        fs::copy(examples / "styles", dir_ / "styles");
        Write(file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + file("settings.ini") + "\r\n");
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string file(const char* name) const { return (dir_ / name).string(); }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path dir_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Workspace ws;
    static const char* const kInputs[] = {"in.txt", "in.SYM", "settings.ini"};
    Workspace::Write(ws.file(kInputs[OSTREL_FUZZ_INPUT]), std::string(reinterpret_cast<const char*>(data), size));
    try {
        ostrel::clsDWG conversion(ostrel::HostOptions{nullptr, nullptr, ws.file("user.ini")});
        conversion.SaveAsDWG(ws.file("in.txt"), ws.file("out.dxf"));
    } catch (const ostrel::ConversionError&) {
    }
    return 0;
}
