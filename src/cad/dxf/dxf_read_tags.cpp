#include "cad/dxf/dxf_read_tags.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace ostrel::cad {

void ThrowAtLine(std::int64_t line, const std::string& what) {
    throw CadError("DXF line " + std::to_string(line) + ": " + what);
}

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A value shortened for a message, with control bytes shown as '?'.
std::string Shown(std::string_view v) {
    std::string s(v.substr(0, 40));
    for (auto& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    if (v.size() > 40) s += "...";
    return s;
}

} // namespace

DxfTagReader::DxfTagReader(std::string_view text) : text_(text) {}

bool DxfTagReader::ReadLine(std::string_view& out) {
    if (pos_ >= text_.size()) return false;
    auto end = text_.find('\n', pos_);
    std::size_t next;
    if (end == std::string_view::npos) {
        end = text_.size();
        next = end;
    } else {
        next = end + 1;
    }
    out = text_.substr(pos_, end - pos_);
    if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
    pos_ = next;
    ++line_;
    return true;
}

bool DxfTagReader::Next(DxfTag& tag) {
    if (peeked_) {
        peeked_ = false;
        tag = peek_;
        return peekOk_;
    }
    std::string_view codeLine;
    // Blank lines between pairs are tolerated only at the very end of the text.
    if (!ReadLine(codeLine)) return false;
    auto codeText = Trim(codeLine);
    if (codeText.empty() && pos_ >= text_.size()) return false;
    tag.line = line_;
    int code = 0;
    auto r = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
    if (codeText.empty() || r.ec != std::errc() || r.ptr != codeText.data() + codeText.size())
        ThrowAtLine(line_, "group code expected, found '" + Shown(codeLine) + "'");
    if (code < -5 || code > 1071) ThrowAtLine(line_, "group code " + std::to_string(code) + " out of range");
    tag.code = code;
    if (!ReadLine(tag.value)) ThrowAtLine(line_, "file ends after group code " + std::to_string(code));
    return true;
}

bool DxfTagReader::Peek(DxfTag& tag) {
    if (!peeked_) {
        peekOk_ = Next(peek_);
        peeked_ = true;
    }
    tag = peek_;
    return peekOk_;
}

double TagDouble(const DxfTag& tag) {
    auto v = Trim(tag.value);
    double d = 0;
    auto r = std::from_chars(v.data(), v.data() + v.size(), d);
    if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || !std::isfinite(d)) {
        // A leading "+" is written by some programs.
        if (!v.empty() && v.front() == '+') {
            DxfTag t = tag;
            t.value = v.substr(1);
            if (!t.value.empty() && t.value.front() != '-' && t.value.front() != '+') return TagDouble(t);
        }
        ThrowAtLine(tag.line, "number expected for group code " + std::to_string(tag.code) + ", found '" +
                                  Shown(tag.value) + "'");
    }
    return d;
}

std::int32_t TagInt(const DxfTag& tag) {
    auto v = Trim(tag.value);
    std::int64_t i = 0;
    auto r = std::from_chars(v.data(), v.data() + v.size(), i);
    if (!v.empty() && r.ec == std::errc() && r.ptr == v.data() + v.size()) {
        if (i > std::numeric_limits<std::int32_t>::max() || i < std::numeric_limits<std::int32_t>::min())
            ThrowAtLine(tag.line, "integer out of range for group code " + std::to_string(tag.code));
        return static_cast<std::int32_t>(i);
    }
    // Some programs write integers as reals ("1.0").
    double d = TagDouble(tag);
    if (d > std::numeric_limits<std::int32_t>::max() || d < std::numeric_limits<std::int32_t>::min())
        ThrowAtLine(tag.line, "integer out of range for group code " + std::to_string(tag.code));
    return static_cast<std::int32_t>(d);
}

std::int16_t TagShort(const DxfTag& tag) {
    auto i = TagInt(tag);
    if (i > 32767) i = 32767;
    if (i < -32768) i = -32768;
    return static_cast<std::int16_t>(i);
}

Handle TagHandle(const DxfTag& tag) {
    auto v = Trim(tag.value);
    if (v.empty()) return 0;
    auto h = ParseHandle(v);
    if (!h) ThrowAtLine(tag.line, "handle expected for group code " + std::to_string(tag.code) + ", found '" +
                                      Shown(tag.value) + "'");
    return *h;
}

} // namespace ostrel::cad
