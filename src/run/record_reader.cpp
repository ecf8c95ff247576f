// Fields of a record line, and the string and path operations the record
// handlers share. Fields are views into the line; nothing is allocated.
#include "run/record_reader.h"

#include <cstring>

#include "ostrel/errors.h"
#include "platform/ansi_text.h"

namespace ostrel {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

// 0-based position of find in text at or after from; an empty find is
// never found (a line without a delimiter has only field 0).
std::size_t FindFrom(std::string_view text, std::string_view find, std::size_t from) {
    if (find.empty() || from > text.size()) return kNotFound;
    return text.find(find, from);
}

std::int16_t CheckedCount(std::size_t n, const char* what) {
    if (n > 32767) throw ConversionError(ErrorCode::Overflow, std::string("Overflow: ") + what + " beyond 32767");
    return static_cast<std::int16_t>(n);
}

} // namespace

std::string_view GetField(int n, std::string_view line, std::string_view delimiter) {
    // pos is the 0-based index just after the previous delimiter's first
    // character (0 for field 0); each search starts there.
    std::size_t pos = 0;
    for (int i = 0; i < n; ++i) {
        const std::size_t d = FindFrom(line, delimiter, pos);
        if (d == kNotFound) return {};
        pos = d + 1;
    }
    std::size_t next = FindFrom(line, delimiter, pos);
    if (next == kNotFound) next = line.size();
    return line.substr(pos, next - pos);
}

std::string_view GetCommaField(int n, std::string_view line) {
    // The same rule as GetField with a one-character delimiter.
    std::size_t pos = 0;
    for (int i = 0; i < n; ++i) {
        const std::size_t d = line.find(',', pos);
        if (d == kNotFound) return {};
        pos = d + 1;
    }
    std::size_t next = line.find(',', pos);
    if (next == kNotFound) next = line.size();
    return line.substr(pos, next - pos);
}

double GetNumField(int n, std::string_view line) { return LeadingNumber(GetCommaField(n, line)); }

std::int16_t CountOccurrences(std::string_view text, std::string_view find) {
    if (find.empty()) return 0;
    std::size_t count = 0;
    for (std::size_t p = text.find(find); p != kNotFound; p = text.find(find, p + 1)) {
        CheckedCount(++count, "occurrence count");
    }
    return static_cast<std::int16_t>(count);
}

std::int16_t FindNoCase(std::string_view text, std::string_view find) {
    if (find.empty()) return 1;
    if (find.size() > text.size()) return 0;
    const char first = platform::AnsiUpper(find[0]);
    for (std::size_t i = 0; i + find.size() <= text.size(); ++i) {
        if (platform::AnsiUpper(text[i]) != first) continue;
        std::size_t k = 1;
        while (k < find.size() && platform::AnsiUpper(text[i + k]) == platform::AnsiUpper(find[k])) ++k;
        if (k == find.size()) return CheckedCount(i + 1, "text position");
    }
    return 0;
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
    const std::size_t dot = path.rfind('.');
    if (dot == kNotFound) return std::string(path);
    std::string out(path.substr(0, dot));
    if (!extension.empty()) {
        out += '.';
        out += extension;
    }
    return out;
}

std::string FolderOf(std::string_view path) {
    const std::size_t sep = path.find_last_of("\\/");
    if (sep == kNotFound) return {};
    return std::string(path.substr(0, sep));
}

} // namespace ostrel
