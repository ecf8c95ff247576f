#include "tools/usage_words.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <numeric>

namespace ostrel::cli {

namespace {

std::size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

std::string Unknown(const char* what, const std::string& given, const std::vector<std::string>& names) {
    std::string text = std::string("unknown ") + what + " '" + given + "'";
    const std::string near = NearestName(given, names);
    return near.empty() ? text : text + "; did you mean '" + near + "'?";
}

std::vector<std::string> OptionNames(const CLI::App& app) {
    std::vector<std::string> names{"-h", "--help"};
    for (const CLI::Option* option : app.get_options()) {
        for (const auto& n : option->get_lnames()) names.push_back("--" + n);
        for (const auto& n : option->get_snames()) names.push_back("-" + n);
    }
    return names;
}

// An option word as typed, without an attached value ("--report=x", "-j4").
std::string OptionWord(const std::string& arg) {
    if (arg.rfind("--", 0) == 0) return arg.substr(0, arg.find('='));
    return arg.substr(0, 2);
}

bool LooksLikeOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-' && !(std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.');
}

} // namespace

std::string NearestName(const std::string& given, const std::vector<std::string>& names) {
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, given.size() / 3) + 1;
    for (const auto& name : names) {
        const std::size_t d = Distance(given, name);
        if (d < bestDistance) {
            bestDistance = d;
            best = name;
        }
    }
    return best;
}

std::string UnknownWord(int argc, char** argv, CLI::App& app) {
    std::vector<std::string> commands;
    std::vector<const CLI::App*> subs;
    for (const CLI::App* sub : app.get_subcommands({})) {
        commands.push_back(sub->get_name());
        subs.push_back(sub);
    }
    const CLI::App* command = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") break;
        if (!command && !LooksLikeOption(arg)) {
            const auto known = std::find(commands.begin(), commands.end(), arg);
            if (known == commands.end()) return Unknown("command", arg, commands);
            command = subs[static_cast<std::size_t>(known - commands.begin())];
            continue;
        }
        if (!LooksLikeOption(arg)) continue;
        const auto names = OptionNames(command ? *command : app);
        const std::string word = OptionWord(arg);
        if (std::find(names.begin(), names.end(), word) == names.end()) return Unknown("option", word, names);
    }
    return {};
}

} // namespace ostrel::cli
