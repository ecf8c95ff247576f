#pragma once
// A DXF file as the tests read it: its group code and value pairs, and the
// 0-tag structures (entity, record, object, table head) with their section.
#include <string>
#include <vector>

#include "support/test_support.h"

namespace ostrel::test {

struct Tag {
    int code;
    std::string value;
};

// One 0-tag structure (entity, record, object, table head ...) and the
// section it stands in.
struct Structure {
    std::string section;
    std::vector<Tag> tags;
    const std::string& type() const { return tags.front().value; }
    bool Has(int code) const {
        for (auto& t : tags)
            if (t.code == code) return true;
        return false;
    }
    std::string Get(int code) const {
        for (auto& t : tags)
            if (t.code == code) return t.value;
        return "<missing>";
    }
    std::vector<std::string> All(int code) const {
        std::vector<std::string> out;
        for (auto& t : tags)
            if (t.code == code) out.push_back(t.value);
        return out;
    }
};

inline std::vector<Tag> ReadTags(const std::string& path) {
    std::string bytes = ReadFile(path);
    std::vector<Tag> tags;
    std::size_t pos = 0;
    auto line = [&]() {
        auto end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string s = bytes.substr(pos, end - pos);
        pos = end + 1;
        return s;
    };
    while (pos < bytes.size()) {
        std::string code = line();
        std::string value = line();
        tags.push_back({std::stoi(code), value});
    }
    return tags;
}

inline std::vector<Structure> Structures(const std::vector<Tag>& tags) {
    std::vector<Structure> out;
    std::string section;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].code == 0) {
            if (tags[i].value == "SECTION" && i + 1 < tags.size()) section = tags[i + 1].value;
            out.push_back({section, {tags[i]}});
            if (tags[i].value == "ENDSEC") section.clear();
        } else if (!out.empty()) {
            out.back().tags.push_back(tags[i]);
        }
    }
    return out;
}

inline std::vector<const Structure*> OfType(const std::vector<Structure>& all, const std::string& type,
                                     const std::string& section = "") {
    std::vector<const Structure*> out;
    for (auto& s : all)
        if (s.type() == type && (section.empty() || s.section == section)) out.push_back(&s);
    return out;
}

inline std::string HeaderValue(const std::vector<Tag>& tags, const std::string& var) {
    for (std::size_t i = 0; i + 1 < tags.size(); ++i)
        if (tags[i].code == 9 && tags[i].value == var) return tags[i + 1].value;
    return "<missing>";
}

// The table record of a type with a name (group 2), or nullptr.
inline const Structure* Record(const std::vector<Structure>& all, const std::string& type, const std::string& name) {
    for (auto* s : OfType(all, type, "TABLES"))
        if (s->Get(2) == name) return s;
    return nullptr;
}

// Writes tags back as a DXF file (codes right-aligned in three places).
inline void WriteTags(const std::string& path, const std::vector<Tag>& tags) {
    std::string out;
    for (const auto& t : tags) {
        const std::string code = std::to_string(t.code);
        out += std::string(code.size() < 3 ? 3 - code.size() : 0, ' ') + code + "\n" + t.value + "\n";
    }
    WriteFile(path, out);
}

} // namespace ostrel::test
