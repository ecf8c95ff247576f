// The terminal through /dev/tty and isatty(3).
#include "platform/terminal.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace ostrel::platform {

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::optional<std::string> AskTerminal(const std::string& prompt) {
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::size_t written = 0;
    while (written < prompt.size()) {
        const ssize_t n = ::write(fd, prompt.data() + written, prompt.size() - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    std::string line;
    char c = 0;
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0) break;
        any = true;
        if (c == '\n') break;
        line.push_back(c);
    }
    ::close(fd);
    if (!any) return std::nullopt;
    return line;
}

int TerminalColumns() {
    winsize ws{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
    return 80;
}

} // namespace ostrel::platform
