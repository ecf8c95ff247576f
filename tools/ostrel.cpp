// ostrel: the command-line tool. Converts one export file into a drawing
// through clsDWG, showing the conversion's messages on stderr.
//
// Exit status: 0 the drawing was written and no error message was shown;
// 1 the conversion failed with an error; 2 usage error; 3 the run ended
// without an error but reported a problem (an error message was shown, or
// nothing was written).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

#include "ostrel/clsDWG.h"
#include "ostrel/ostrel.h"
#include "platform/file_stamp.h"
#include "platform/registry_store.h"
#include "platform/terminal_progress.h"
#include "platform/terminal_prompter.h"

namespace {

enum ExitStatus { kWritten = 0, kFailed = 1, kUsage = 2, kProblem = 3 };

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
           "  Without any of these the conversion runs with defaults.\n"
           "\n"
           "Exit status: 0 drawing written; 1 conversion failed with an error; 2 usage error;\n"
           "3 the run ended without an error but reported a problem (an error message was shown,\n"
           "or nothing was written).\n";
}

int Convert(const std::string& in, const std::string& out, const std::string& userSettings) {
    auto prompter = std::make_shared<ostrel::platform::TerminalPrompter>();
    auto progress = std::make_shared<ostrel::platform::TerminalProgress>();
    const auto before = ostrel::platform::StampOf(out);
    try {
        ostrel::clsDWG conversion(ostrel::HostOptions{prompter, progress, userSettings});
        conversion.SaveAsDWG(in, out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", ostrel::platform::TerminalPrompter::OneLine(e.what()).c_str());
        return kFailed;
    }
    const auto after = ostrel::platform::StampOf(out);
    if (!after.exists || after == before) {
        std::fprintf(stderr, "warning: nothing was written to %s\n", out.c_str());
        return kProblem;
    }
    return prompter->errorShown() ? kProblem : kWritten;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Converts a survey package's text export into a DXF or DWG drawing.", "ostrel"};
    app.set_version_flag("--version", std::string("ostrel ") + ostrel_version());
    app.footer(SettingsHelp());
    app.require_subcommand(1, 1);

    std::string in, out, userSettings;
    CLI::App* convert = app.add_subcommand(
        "convert", "Convert the export IN into the drawing OUT (DWG when OUT's upper-cased path contains "
                   "\".DWG\", else DXF).");
    convert->add_option("IN", in, "the export file (its symbol file is IN with the extension SYM)")->required();
    convert->add_option("OUT", out, "the drawing file to write")->required();
    convert->add_option("--user-settings", userSettings,
                        "the user settings file, used instead of the registry's \"userini\" value")
        ->check(CLI::ExistingFile);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsage;
    }
    // The user settings file is named by its full path, as the registry
    // would name it: its folder is where styles/style.lin is looked for.
    if (!userSettings.empty()) {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(userSettings, ec);
        if (!ec) userSettings = absolute.lexically_normal().string();
    }
    try {
        return Convert(in, out, userSettings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return kFailed;
    }
}
