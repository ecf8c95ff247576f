// Text files of a run read as lines: the whole file is read into memory once
// (a snapshot: another program shortening the file later changes nothing),
// and lines are views into it. Lines end at CR or CR LF; a file without any
// CR is taken as LF-ended. What the record loop has passed is given back to
// the system in steps of a few megabytes (ReleaseBefore), so a large export
// does not hold its whole size while the drawing grows.
#include <algorithm>
#include <cstring>

#include "run/record_reader.h"
#include "ostrel/errors.h"
#include "ostrel/host.h"
#include "platform/file_bytes.h"
#include "platform/release_pages.h"

namespace ostrel {

namespace {

class MemoryExportFile final : public ExportFile {
public:
    MemoryExportFile(std::string path, std::string bytes)
        : path_(std::move(path)), owned_(std::move(bytes)), bytes_(owned_),
          // The first CR is found at once in a CR-ended file; only a file
          // without any is scanned to its end.
          eol_(std::memchr(bytes_.data(), '\r', bytes_.size()) ? '\r' : '\n') {}

    bool AtEnd() const override { return offset_ >= bytes_.size(); }

    std::string_view ReadLine() override {
        if (AtEnd()) throw ConversionError(ErrorCode::EndOfFile, "Input past end of file");
        if (offset_ < released_) Reload();
        const std::size_t start = offset_;
        lineNumber_ = crsBefore_ + 1;
        const char* base = bytes_.data();
        const void* cr = std::memchr(base + start, eol_, bytes_.size() - start);
        if (!cr) {
            offset_ = bytes_.size();
            return std::string_view(base + start, bytes_.size() - start);
        }
        const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
        offset_ = end + 1;
        ++crsBefore_;
        if (eol_ == '\r' && offset_ < bytes_.size() && bytes_[offset_] == '\n') ++offset_;
        return std::string_view(base + start, end - start);
    }

    std::int64_t Position() const override { return static_cast<std::int64_t>(offset_) + 1; }

    void Seek(std::int64_t position) override {
        // Positions before the first byte or past the end are taken as the
        // first byte or the end.
        const std::int64_t last = static_cast<std::int64_t>(bytes_.size()) + 1;
        const std::size_t target = static_cast<std::size_t>(std::clamp<std::int64_t>(position, 1, last) - 1);
        if (target < released_) Reload();
        // Line numbers follow the carriage returns before the read position,
        // counted over the stretch between the old and the new position only.
        const auto from = bytes_.begin();
        if (target >= offset_) {
            crsBefore_ += std::count(from + static_cast<std::ptrdiff_t>(offset_), from + static_cast<std::ptrdiff_t>(target), eol_);
        } else {
            crsBefore_ -= std::count(from + static_cast<std::ptrdiff_t>(target), from + static_cast<std::ptrdiff_t>(offset_), eol_);
        }
        offset_ = target;
        lineNumber_ = crsBefore_;
    }

    std::int64_t Length() const override { return static_cast<std::int64_t>(bytes_.size()); }

    void ReleaseBefore(std::int64_t position) override {
        constexpr std::size_t kStep = std::size_t{4} << 20;
        const std::size_t upTo = std::min(static_cast<std::size_t>(std::max<std::int64_t>(position - 1, 0)), offset_);
        if (upTo < released_ + kStep) return;
        released_ = platform::ReleasePages(owned_.data(), released_, upTo);
    }
    std::int64_t LineNumber() const override { return lineNumber_; }
    const std::string& Path() const override { return path_; }

private:
    // Reads the given-back stretch from the file again (a Seek before it).
    // The file must still hold it: a file shortened meanwhile ends the read
    // as the end of the file does.
    void Reload() {
        std::string again, reason;
        if (!platform::ReadWholeFile(path_, again, reason) || again.size() < released_)
            throw ConversionError(ErrorCode::EndOfFile, "Input past end of file");
        std::memcpy(owned_.data(), again.data(), released_);
        released_ = 0;
    }

    std::string path_;
    std::string owned_;
    std::string_view bytes_;
    char eol_;                      // the line end: CR, or LF in a file without CR
    std::size_t offset_ = 0;        // 0-based offset of the next read
    std::size_t released_ = 0;      // bytes before this offset were given back
    std::int64_t crsBefore_ = 0;    // line ends before offset_
    std::int64_t lineNumber_ = 0;   // number of the line last read
};

} // namespace

std::unique_ptr<ExportFile> OpenForInput(const std::string& path, bool showErrors, Prompter& prompter) {
    std::string bytes, reason;
    if (!platform::ReadWholeFile(path, bytes, reason)) {
        if (showErrors) prompter.ShowMessage("Error Opening " + path + "\r\n" + reason, MessageIcon::None);
        return nullptr;
    }
    if (bytes.empty()) return nullptr;
    return std::make_unique<MemoryExportFile>(path, std::move(bytes));
}

} // namespace ostrel
