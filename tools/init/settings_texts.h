#pragma once
// The texts `ostrel init` writes: a main settings file with every key the
// conversion reads at its default, and a style file of the usual linetypes.
#include <string>

namespace ostrel::cli {

std::string UserSettingsText(const std::string& mainSettingsPath);
std::string MainSettingsText();
std::string StyleFileText();

} // namespace ostrel::cli
