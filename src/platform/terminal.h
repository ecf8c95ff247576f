#pragma once
// The few things the command-line tool asks of the terminal.
#include <optional>
#include <string>

namespace ostrel::platform {

bool StdinIsTerminal();
bool StderrIsTerminal();
// Writes the prompt to the controlling terminal and reads one line from it;
// nullopt when there is no terminal or it ends before a line.
std::optional<std::string> AskTerminal(const std::string& prompt);
// Width of the terminal behind stderr in columns; 80 when unknown.
int TerminalColumns();

} // namespace ostrel::platform
