#pragma once
// A profile (INI) file held as its bytes plus an index of its lines, read
// by the rules of the Windows profile functions: sections in square
// brackets, key=value lines, section and key names matched without regard
// to case, the first match winning, blanks around names and values
// ignored, lines starting with ";" taken as comments. Edits change only the
// bytes they must, so the rest of the file stays as it was.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ansi_text.h"

namespace ostrel::platform {

class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(std::string bytes);

    const std::string& bytes() const { return bytes_; }

    bool HasSection(std::string_view section) const;
    // The value of the first entry named key in the first section named
    // section, without the blanks around it; nullopt when the section or the
    // key is absent. A matching line without "=" has an empty value.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // Calls visit(name, value, hasValue) for each entry line of the first
    // section named section, in file order (blank and comment lines left
    // out). False when there is no such section.
    template <class Visit>
    bool ForEachEntry(std::string_view section, Visit&& visit) const;

    // Sets key=value in the first section named section, adding the key, or
    // the section with the key, when missing. True when the bytes changed.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    // Appends an empty section when there is none of that name. True when
    // the bytes changed.
    bool AddSection(std::string_view section);

private:
    enum class LineKind : std::uint8_t { Blank, Comment, Section, Entry };
    struct Line {
        std::size_t begin = 0, end = 0;            // content, without the terminator
        std::size_t next = 0;                      // where the following line starts
        std::size_t nameBegin = 0, nameEnd = 0;    // section or key name
        std::size_t valueBegin = 0, valueEnd = 0;  // value of an entry line
        bool hasValue = false;                     // the entry line has "="
        LineKind kind = LineKind::Blank;
    };

    void Parse();
    std::size_t FindSectionLine(std::string_view section) const;   // npos when absent
    std::string_view Name(const Line& l) const { return std::string_view(bytes_).substr(l.nameBegin, l.nameEnd - l.nameBegin); }
    std::string_view Value(const Line& l) const { return std::string_view(bytes_).substr(l.valueBegin, l.valueEnd - l.valueBegin); }
    // The line terminator the file uses (CR LF for a file without one).
    std::string_view LineBreak() const;
    void AppendSection(std::string_view section, std::string_view entry);

    std::string bytes_;
    std::vector<Line> lines_;
};

// Blanks (space, tab, vertical tab, form feed) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

template <class Visit>
bool IniDocument::ForEachEntry(std::string_view section, Visit&& visit) const {
    const std::size_t s = FindSectionLine(section);
    if (s == std::string_view::npos) return false;
    for (std::size_t i = s + 1; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i) {
        const Line& l = lines_[i];
        if (l.kind == LineKind::Entry) visit(Name(l), Value(l), l.hasValue);
    }
    return true;
}

} // namespace ostrel::platform
