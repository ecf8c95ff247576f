// Writes a generated survey into a folder: the export (survey.txt), its
// symbol file (survey.SYM), the user and main settings files, the style file
// and survey.json, the drawing a conversion is expected to make of it.
//
//   tool_gen --records N --out DIR [--seed S] [--byent 0|1] [--title-block 0|1]
//
// --title-block 1 appends a title block (STARTTB,500,0.3, the sheet's frame,
// a trim frame over the site, a caret title): the conversion then builds a
// paper-space sheet as well.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "survey_generator.h"

namespace fs = std::filesystem;
using namespace ostrel::bench;

namespace {

int Usage(const char* message) {
    if (message) std::fprintf(stderr, "tool_gen: %s\n", message);
    std::fprintf(stderr, "usage: tool_gen --records N --out DIR [--seed S] [--byent 0|1] [--title-block 0|1]\n");
    return 2;
}

bool ParseCount(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(text, &end, 10);
    if (errno || end == text || *end || text[0] == '-') return false;
    value = v;
    return true;
}

// Writes a whole file through a temporary name, so a failure leaves no
// half-written file behind.
class AtomicFile {
public:
    explicit AtomicFile(fs::path path) : path_(std::move(path)), temp_(path_.string() + ".part") {
        f_ = std::fopen(temp_.c_str(), "wb");
    }
    ~AtomicFile() {
        if (f_) {
            std::fclose(f_);
            std::remove(temp_.c_str());
        }
    }
    bool ok() const { return f_ && !failed_; }
    void Write(std::string_view bytes) {
        if (f_ && !failed_ && std::fwrite(bytes.data(), 1, bytes.size(), f_) != bytes.size()) failed_ = true;
    }
    bool Commit() {
        if (!f_) return false;
        bool good = !failed_ && std::fclose(f_) == 0;
        f_ = nullptr;
        if (good) good = std::rename(temp_.c_str(), path_.c_str()) == 0;
        if (!good) std::remove(temp_.c_str());
        return good;
    }

private:
    fs::path path_;
    std::string temp_;
    std::FILE* f_ = nullptr;
    bool failed_ = false;
};

bool WriteWhole(const fs::path& path, std::string_view bytes) {
    AtomicFile f(path);
    f.Write(bytes);
    return f.Commit();
}

} // namespace

int main(int argc, char** argv) {
    GeneratorOptions options;
    std::string out;
    bool haveRecords = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (i + 1 >= argc) return Usage(("missing value after " + std::string(a)).c_str());
        const char* v = argv[++i];
        if (a == "--records") {
            if (!ParseCount(v, options.records) || options.records == 0) return Usage("--records needs a positive count");
            haveRecords = true;
        } else if (a == "--seed") {
            if (!ParseCount(v, options.seed)) return Usage("--seed needs a whole number");
        } else if (a == "--byent") {
            if (std::strcmp(v, "0") && std::strcmp(v, "1")) return Usage("--byent takes 0 or 1");
            options.byEntity = v[0] == '1';
        } else if (a == "--title-block") {
            if (std::strcmp(v, "0") && std::strcmp(v, "1")) return Usage("--title-block takes 0 or 1");
            options.titleBlock = v[0] == '1';
        } else if (a == "--out") {
            out = v;
        } else {
            return Usage(("unknown option " + std::string(a)).c_str());
        }
    }
    if (!haveRecords || out.empty()) return Usage("--records and --out are required");

    std::error_code ec;
    fs::path dir = fs::absolute(out, ec);
    if (!ec) fs::create_directories(dir / "styles", ec);
    if (ec) {
        std::fprintf(stderr, "tool_gen: cannot make %s: %s\n", out.c_str(), ec.message().c_str());
        return 1;
    }

    AtomicFile exportFile(dir / "survey.txt");
    if (!exportFile.ok()) {
        std::fprintf(stderr, "tool_gen: cannot write %s\n", (dir / "survey.txt").c_str());
        return 1;
    }
    SurveyGenerator gen(options, [&](std::string_view bytes) { exportFile.Write(bytes); });
    gen.Run();

    const SurveySettings& s = gen.Settings();
    std::string user = "; User settings of a generated survey.\r\n[OPTION]\r\ntxtDWGoverride=" +
                       (dir / "settings.ini").string() + "\r\n";
    bool good = exportFile.Commit() && WriteWhole(dir / "survey.SYM", gen.SymbolFile()) &&
                WriteWhole(dir / "settings.ini", s.MainIni()) && WriteWhole(dir / "user.ini", user) &&
                WriteWhole(dir / "styles" / "style.lin", s.StyleFile()) &&
                WriteWhole(dir / "survey.json", gen.model.Json(options.seed));
    if (!good) {
        std::fprintf(stderr, "tool_gen: writing into %s failed\n", dir.c_str());
        return 1;
    }
    std::printf("%s: %llu records, %llu entities expected, %zu layers, %zu blocks\n", (dir / "survey.txt").c_str(),
                static_cast<unsigned long long>(gen.model.records),
                static_cast<unsigned long long>(gen.model.Entities()), gen.model.layers.size(),
                gen.model.blocks.size());
    return 0;
}
