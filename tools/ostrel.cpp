// ostrel: the command-line tool. `convert` turns exports into drawings
// through clsDWG (tools/convert/), `info` and `plot` look at a drawing
// (tools/view/).
//
// Exit status: 0 the drawing was written and no error or warning was shown;
// 1 nothing was written (any reason); 2 usage error; 3 the drawing was
// written, with messages. Many exports: the worst of theirs (1, then 3,
// then 0). An interrupt ends the run with 130 (SIGINT) or 143 (SIGTERM).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/clsDWG.h"
#include "ostrel/ostrel.h"
#include "cad/atomic_file.h"
#include "platform/interrupts.h"
#include "platform/registry_store.h"
#include "platform/system_path.h"
#include "tools/convert/convert_exports.h"
#include "tools/convert/output_checks.h"
#include "tools/init/settings_files.h"
#include "tools/usage_words.h"
#include "tools/view/drawing_info.h"
#include "tools/view/drawing_plot.h"

namespace {

using namespace ostrel::cli;

std::string SettingsHelp() {
    std::string where = ostrel::platform::SystemRegistry().Location();
    if (where.empty()) where = "(no registry file: set OSTREL_REGISTRY)";
    return "Where settings come from:\n"
           "  1. The registry value \"userini\" under Software\\kestrelworks\\talvero (or, when that is\n"
           "     empty, Software\\kestrelworks\\office) names the user settings file. Registry store:\n"
           "       " + where + "\n"
           "     (on POSIX a text file chosen by $OSTREL_REGISTRY, else $XDG_CONFIG_HOME/ostrel/registry,\n"
           "     else ~/.config/ostrel/registry, with sections such as [Software\\kestrelworks\\talvero]\n"
           "     holding lines like userini=/path/to/user.ini).\n"
           "     --user-settings FILE uses FILE instead and leaves the registry alone.\n"
           "  2. The user settings file's [OPTION] txtDWGoverride names the main settings file.\n"
           "  3. The main settings file holds [GENERAL] DEBUG, [EXPORT] BYENT, LAYERSTYLE, DWGVersion,\n"
           "     DXFVersion, [LAYERS] (layer name mappings) and [COLORTABLE] (colour codes).\n"
           "  4. Line styles are read from styles/style.lin in the folder of the user settings file.\n"
           "  Without any of these the conversion runs with defaults. `ostrel init` writes a set to start from.\n"
           "\n"
           "Exit status: 0 drawing written, no error or warning; 1 nothing written; 2 usage error;\n"
           "3 drawing written, with messages. Many exports (-o DIR): the worst of theirs, 1 before 3\n"
           "before 0. Interrupted: 130 (SIGINT), 143 (SIGTERM).\n";
}

// The single form's paths and the report's, checked before converting: a
// line for the user, or "".
std::string PathProblem(const ConvertOptions& options) {
    if (!options.batch) {
        if (auto refused = RefusedOutput(options.inputs, options.output); !refused.empty()) return refused;
    } else {
        for (const auto& in : options.inputs) {
            const std::string out = OutputPathFor(in, options.output, options.format);
            if (IsOneOf(out, options.inputs)) return "refusing to write " + out + ": it is one of the exports";
            if (auto refused = DwgByFolder(out); !refused.empty()) return refused;
        }
    }
    return options.reportPath.empty() ? std::string() : ReportPathProblem(options.reportPath);
}

// -j's value: a whole number from 1 to 256.
int JobCount(const std::string& text) {
    std::size_t used = 0;
    int n = 0;
    try {
        n = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || n < 1 || n > 256)
        throw CLI::ValidationError("-j", "wants a whole number from 1 to 256, not '" + text + "'");
    return n;
}

CLI::App* AddConvert(CLI::App& app, ConvertOptions& options, std::vector<std::string>& files, std::string& jobs) {
    CLI::App* convert = app.add_subcommand(
        "convert", "Convert the export IN into the drawing OUT (DWG when OUT's upper-cased path contains "
                   "\".DWG\", else DXF), or with -o DIR each export IN... into DIR.");
    convert->add_option("IN", files, "IN OUT, or with -o the exports (each with its symbol file: the export's "
                                     "path with the extension SYM)")
        ->required();
    convert->add_option("-o,--output-dir", options.output, "convert every IN into this folder (same base name)");
    convert->add_option("--format", options.format, "with -o: the drawings' format")
        ->check(CLI::IsMember({"dxf", "dwg"}));
    convert->add_option("-j,--jobs", jobs, "with -o: conversions run at a time (1 to 256)");
    convert->add_flag("-q,--quiet", options.quiet, "with -o: no summary on stdout (messages and failures still on stderr)");
    convert->add_option("--report", options.reportPath,
                        "write what each conversion did (records, entities, records that made nothing "
                        "and why, messages) to this JSON file");
    convert->add_option("--user-settings", options.userSettings,
                        "the user settings file, used instead of the registry's \"userini\" value")
        ->check(CLI::ExistingFile);
    return convert;
}

CLI::App* AddInit(CLI::App& app, InitOptions& init, bool& noRegister) {
    CLI::App* initCommand = app.add_subcommand(
        "init", "Write a user settings file, a main settings file (every key, commented) and styles/style.lin "
                "into DIR (default: ~/.config/ostrel), and record the user settings file in the registry store.");
    initCommand->add_option("DIR", init.folder, "the folder for the settings files");
    initCommand->add_flag("--force", init.force, "replace files that exist");
    initCommand->add_flag("--no-register", noRegister, "leave the registry store alone");
    return initCommand;
}

int RunConvert(ConvertOptions options) {
    // The user settings file is named by its full path, as the registry
    // would name it: its folder is where styles/style.lin is looked for.
    if (!options.userSettings.empty()) {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(ostrel::platform::SystemPath(options.userSettings), ec);
        if (!ec) options.userSettings = ostrel::platform::SystemPathText(absolute.lexically_normal());
    }
    if (const std::string problem = PathProblem(options); !problem.empty()) {
        std::fprintf(stderr, "error: %s\n", problem.c_str());
        return kUsage;
    }
    return ConvertExports(std::move(options));
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Converts a survey package's text export into a DXF or DWG drawing.", "ostrel"};
    app.set_version_flag("--version", std::string("ostrel ") + ostrel_version());
    app.footer(SettingsHelp());
    app.require_subcommand(1, 1);

    ConvertOptions options;
    std::vector<std::string> files;
    std::string jobs;
    CLI::App* convert = AddConvert(app, options, files, jobs);

    std::string drawing, picture, layout;
    bool json = false;
    CLI::App* info = app.add_subcommand("info", "Print a DXF or DWG drawing's release, tables, layouts, "
                                                "entity counts and extents.");
    info->add_option("DRAWING", drawing, "the drawing")->required()->check(CLI::ExistingFile);
    info->add_flag("--json", json, "print JSON");
    CLI::App* plot = app.add_subcommand("plot", "Draw model space or a layout of a drawing into a PDF, PNG or "
                                                "SVG file (a paper layout at its paper size).");
    plot->add_option("DRAWING", drawing, "the drawing")->required()->check(CLI::ExistingFile);
    plot->add_option("OUT", picture, "the picture: .pdf, .png or .svg")->required();
    plot->add_option("--layout", layout, "the layout to draw (default: model space)");
    InitOptions init;
    bool noRegister = false;
    CLI::App* initCommand = AddInit(app, init, noRegister);

    if (const std::string unknown = UnknownWord(argc, argv, app); !unknown.empty()) {
        std::fprintf(stderr, "error: %s\nRun with --help for more information.\n", unknown.c_str());
        return kUsage;
    }
    try {
        app.parse(argc, argv);
        if (!jobs.empty()) options.jobs = JobCount(jobs);
        options.batch = !options.output.empty();
        if (*convert && !options.batch) {
            if (files.size() != 2) throw CLI::ValidationError("convert", "give IN OUT, or IN... -o DIR");
            options.output = files[1];
            files.pop_back();
        }
        if (*convert && !options.batch && (convert->count("--format") || convert->count("-j") || options.quiet))
            throw CLI::ValidationError("convert", "--format, -j and -q go with -o DIR");
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsage;
    }
    // An interrupt removes the temporary files of saves under way.
    ostrel::platform::OnInterrupt(ostrel::cad::RemoveUnfinishedSaves);
    try {
        if (*initCommand) {
            init.registerUser = !noRegister;
            return WriteSettingsFiles(init);
        }
        if (*info) return PrintDrawingInfo(drawing, json);
        if (*plot) return PlotDrawing(drawing, picture, layout);
        options.inputs = std::move(files);
        return RunConvert(std::move(options));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return kFailed;
    }
}
