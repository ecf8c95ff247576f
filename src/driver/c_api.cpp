// The C interface: a converter wraps one clsDWG and keeps the code and the
// text of its last call. No exception leaves these functions.
#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "ostrel/clsDWG.h"
#include "ostrel/ostrel.h"
#include "platform/file_stamp.h"
#include "platform/profile_files.h"
#include "platform/terminal_prompter.h"
#include "run/settings.h"

#ifndef OSTREL_VERSION_TEXT
#define OSTREL_VERSION_TEXT "0.0.0"
#endif

static_assert(OSTREL_ERROR_OVERFLOW == static_cast<int>(ostrel::ErrorCode::Overflow));
static_assert(OSTREL_ERROR_SUBSCRIPT == static_cast<int>(ostrel::ErrorCode::SubscriptOutOfRange));
static_assert(OSTREL_ERROR_TYPE_MISMATCH == static_cast<int>(ostrel::ErrorCode::TypeMismatch));
static_assert(OSTREL_ERROR_FILE_NOT_FOUND == static_cast<int>(ostrel::ErrorCode::FileNotFound));
static_assert(OSTREL_ERROR_END_OF_FILE == static_cast<int>(ostrel::ErrorCode::EndOfFile));
static_assert(OSTREL_ERROR_TOOLKIT == static_cast<int>(ostrel::ErrorCode::Toolkit));
static_assert(OSTREL_ERROR_LIBRARY == static_cast<int>(ostrel::ErrorCode::Library));
static_assert(OSTREL_ERROR_INTERNAL == static_cast<int>(ostrel::ErrorCode::Internal));

namespace {

// The host's message handlers, and the first error-kind message of a
// conversion (what the command-line tool would print as an error or warning).
class CallbackPrompter final : public ostrel::Prompter {
public:
    CallbackPrompter(ostrel_message_fn message, ostrel_question_fn question, void* context)
        : message_(message), question_(question), context_(context) {}

    void ShowMessage(const std::string& text, ostrel::MessageIcon icon) override {
        if (!reported_ && ostrel::platform::TerminalPrompter::KindPrefix(text, icon) != "message: ") {
            reported_ = true;
            firstError_ = ostrel::platform::TerminalPrompter::OneLine(text);
        }
        if (message_) message_(context_, text.c_str(), IconCode(icon));
    }
    bool AskYesNo(const std::string& text) override { return question_ ? question_(context_, text.c_str()) != 0 : true; }

    void Forget() {
        reported_ = false;
        firstError_.clear();
    }
    bool reported() const { return reported_; }
    const std::string& firstError() const { return firstError_; }

private:
    static int IconCode(ostrel::MessageIcon icon) {
        switch (icon) {
        case ostrel::MessageIcon::Critical: return OSTREL_ICON_CRITICAL;
        case ostrel::MessageIcon::Exclamation: return OSTREL_ICON_EXCLAMATION;
        case ostrel::MessageIcon::None: break;
        }
        return OSTREL_ICON_NONE;
    }

    ostrel_message_fn message_;
    ostrel_question_fn question_;
    void* context_;
    bool reported_ = false;
    std::string firstError_;
};

class CallbackProgress final : public ostrel::ProgressSink {
public:
    CallbackProgress(ostrel_progress_fn progress, void* context) : progress_(progress), context_(context) {}
    void Start(long maximum) override {
        done_ = 0;
        progress_(context_, OSTREL_PROGRESS_START, maximum);
    }
    void Step() override { progress_(context_, OSTREL_PROGRESS_STEP, ++done_); }
    void Finish() override { progress_(context_, OSTREL_PROGRESS_FINISH, done_); }

private:
    ostrel_progress_fn progress_;
    void* context_;
    long done_ = 0;
};

void CopyText(const char* text, char* out, unsigned long size) noexcept {
    if (!out || size == 0) return;
    const std::size_t n = std::min<std::size_t>(std::strlen(text), static_cast<std::size_t>(size - 1));
    std::memcpy(out, text, n);
    out[n] = '\0';
}

} // namespace

struct ostrel_converter {
    // What the next instance is made with.
    std::string userSettings;
    ostrel_message_fn message = nullptr;
    ostrel_question_fn question = nullptr;
    void* messageContext = nullptr;
    ostrel_progress_fn progress = nullptr;
    void* progressContext = nullptr;

    // The instance, made by the first conversion after a setting changed.
    std::unique_ptr<ostrel::clsDWG> instance;
    std::shared_ptr<CallbackPrompter> prompter;
    // The main settings file and registry key the instance found. The library
    // keeps them per thread; they are put back on the calling thread before
    // each conversion, so a converter may move from one thread to another.
    std::string settingsFile, settingsFolder, registryKey;

    int errorCode = OSTREL_ERROR_NONE;
    std::string errorMessage;

    int Fail(int code, std::string message) {
        errorCode = code;
        errorMessage = std::move(message);
        return code;
    }

    void MakeInstance() {
        instance.reset();
        prompter = std::make_shared<CallbackPrompter>(message, question, messageContext);
        ostrel::HostOptions host;
        host.prompter = prompter;
        if (progress) host.progress = std::make_shared<CallbackProgress>(progress, progressContext);
        host.userSettingsOverride = userSettings;
        instance = std::make_unique<ostrel::clsDWG>(std::move(host));
        settingsFile = ostrel::SettingsFile();
        settingsFolder = ostrel::platform::SystemProfileFiles().GetRelativeFolder();
        registryKey = ostrel::RegistryKeyPath();
    }

    int SaveAsDWG(const char* in, const char* out) {
        errorCode = OSTREL_ERROR_NONE;
        errorMessage.clear();
        if (!in || !out) return Fail(OSTREL_ERROR_ARGUMENT, "ostrel_save_as_dwg: the input and output paths must not be NULL");
        try {
            if (!instance) {
                MakeInstance();
            } else {
                ostrel::SettingsFile() = settingsFile;
                ostrel::platform::SystemProfileFiles().SetRelativeFolder(settingsFolder);
                ostrel::RegistryKeyPath() = registryKey;
            }
            prompter->Forget();
            const auto before = ostrel::platform::StampOf(out);
            instance->SaveAsDWG(in, out);
            if (prompter->reported()) return Fail(OSTREL_ERROR_REPORTED, prompter->firstError());
            const auto after = ostrel::platform::StampOf(out);
            if (!after.exists || after == before) return Fail(OSTREL_ERROR_NOT_WRITTEN, std::string("nothing was written to ") + out);
            return OSTREL_ERROR_NONE;
        } catch (const ostrel::ConversionError& e) {
            return Fail(static_cast<int>(e.code()), e.what());
        } catch (const std::exception& e) {
            return Fail(OSTREL_ERROR_OTHER, e.what());
        } catch (...) {
            return Fail(OSTREL_ERROR_OTHER, "unknown failure");
        }
    }
};

extern "C" {

ostrel_converter* ostrel_create(void) { return new (std::nothrow) ostrel_converter; }

void ostrel_destroy(ostrel_converter* converter) { delete converter; }

int ostrel_set_user_settings(ostrel_converter* converter, const char* path) {
    if (!converter) return OSTREL_ERROR_ARGUMENT;
    try {
        converter->userSettings = path ? path : "";
    } catch (...) {
        return OSTREL_ERROR_OTHER;
    }
    converter->instance.reset();
    return OSTREL_ERROR_NONE;
}

int ostrel_set_message_handler(ostrel_converter* converter, ostrel_message_fn message, ostrel_question_fn question,
                               void* context) {
    if (!converter) return OSTREL_ERROR_ARGUMENT;
    converter->message = message;
    converter->question = question;
    converter->messageContext = context;
    converter->instance.reset();
    return OSTREL_ERROR_NONE;
}

int ostrel_set_progress_handler(ostrel_converter* converter, ostrel_progress_fn progress, void* context) {
    if (!converter) return OSTREL_ERROR_ARGUMENT;
    converter->progress = progress;
    converter->progressContext = context;
    converter->instance.reset();
    return OSTREL_ERROR_NONE;
}

int ostrel_save_as_dwg(ostrel_converter* converter, const char* in, const char* out) {
    return converter ? converter->SaveAsDWG(in, out) : OSTREL_ERROR_ARGUMENT;
}

int ostrel_error_code(const ostrel_converter* converter) {
    return converter ? converter->errorCode : OSTREL_ERROR_ARGUMENT;
}

const char* ostrel_error_message(const ostrel_converter* converter) {
    return converter ? converter->errorMessage.c_str() : "ostrel_error_message: the converter is NULL";
}

int ostrel_convert(const char* in, const char* out, const char* user_settings, char* error_text,
                   unsigned long error_size) {
    std::unique_ptr<ostrel_converter> converter(ostrel_create());
    if (!converter || ostrel_set_user_settings(converter.get(), user_settings) != OSTREL_ERROR_NONE) {
        CopyText("ostrel_convert: out of memory", error_text, error_size);
        return OSTREL_FAILED;
    }
    if (!in || !out) {
        CopyText("ostrel_convert: the input and output paths must not be NULL", error_text, error_size);
        return OSTREL_FAILED;
    }
    const int code = converter->SaveAsDWG(in, out);
    // Only a raised error fails this call; a run that showed a message does not.
    if (code == OSTREL_ERROR_NONE || code == OSTREL_ERROR_REPORTED || code == OSTREL_ERROR_NOT_WRITTEN) {
        CopyText("", error_text, error_size);
        return OSTREL_OK;
    }
    CopyText(converter->errorMessage.c_str(), error_text, error_size);
    return OSTREL_FAILED;
}

const char* ostrel_version(void) { return OSTREL_VERSION_TEXT; }

} // extern "C"
