// The terminal through the console: _isatty(3) and the CONIN$/CONOUT$ devices.
#include "platform/terminal.h"

#include <windows.h>

#include <io.h>
#include <stdio.h>

namespace ostrel::platform {

bool StdinIsTerminal() { return _isatty(_fileno(stdin)) != 0; }
bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::optional<std::string> AskTerminal(const std::string& prompt) {
    HANDLE out = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    HANDLE in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
    if (out == INVALID_HANDLE_VALUE || in == INVALID_HANDLE_VALUE) {
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
        if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
        return std::nullopt;
    }
    DWORD written = 0;
    WriteFile(out, prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr);
    std::string line;
    bool any = false;
    char c = 0;
    DWORD got = 0;
    while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
        any = true;
        if (c == '\n') break;
        if (c != '\r') line.push_back(c);
    }
    CloseHandle(in);
    CloseHandle(out);
    if (!any) return std::nullopt;
    return line;
}

int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 80;
}

} // namespace ostrel::platform
