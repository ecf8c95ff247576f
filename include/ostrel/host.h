#pragma once
// What the library asks of its host: message boxes and progress.
#include <cstdint>
#include <memory>
#include <string>

#include "ostrel/export.h"
#include "ostrel/report.h"

namespace ostrel {

enum class MessageIcon { None, Critical, Exclamation };

// The modal message boxes of the conversion. A host supplies one; the
// command-line tool writes to stderr, the Windows build shows MessageBoxA.
class OSTREL_API Prompter {
public:
    virtual ~Prompter() = default;
    // An OK box.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // A Yes/No box; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
};

// Progress of the trim pass: Start(maximum), then Step() per entity.
class OSTREL_API ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void Start(long maximum) = 0;
    virtual void Step() = 0;
    virtual void Finish() = 0;
    // Progress of the record loop: bytes of the export read so far of its
    // length, reported every few hundred kilobytes (and once at the end).
    virtual void ExportRead(std::int64_t /*bytesRead*/, std::int64_t /*length*/) {}
    // Progress of the drawing's save: bytes of the file written so far,
    // reported every megabyte or so (the final size is known only at the end).
    virtual void DrawingWritten(std::int64_t /*bytesWritten*/) {}
};

// A prompter that shows nothing and answers Yes (an unattended run).
class OSTREL_API SilentPrompter final : public Prompter {
public:
    void ShowMessage(const std::string&, MessageIcon) override {}
    bool AskYesNo(const std::string&) override { return true; }
};

struct HostOptions {
    std::shared_ptr<Prompter> prompter;      // null: SilentPrompter
    std::shared_ptr<ProgressSink> progress;  // null: no progress shown
    // When set, used instead of the registry's "userini" value.
    std::string userSettingsOverride;
    // When set, each SaveAsDWG call fills it with what the call did.
    std::shared_ptr<ConversionReport> report{};
};

} // namespace ostrel
