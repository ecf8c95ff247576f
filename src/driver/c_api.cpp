// The C interface: one conversion per call, every failure turned into a
// return code and a text. No exception leaves these functions.
#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "ostrel/clsDWG.h"
#include "ostrel/ostrel.h"

#ifndef OSTREL_VERSION_TEXT
#define OSTREL_VERSION_TEXT "0.0.0"
#endif

namespace {

void CopyText(const char* text, char* out, unsigned long size) noexcept {
    if (!out || size == 0) return;
    const std::size_t n = std::min<std::size_t>(std::strlen(text), static_cast<std::size_t>(size - 1));
    std::memcpy(out, text, n);
    out[n] = '\0';
}

} // namespace

extern "C" int ostrel_convert(const char* in, const char* out, const char* user_settings, char* error_text,
                              unsigned long error_size) {
    try {
        if (!in || !out) {
            CopyText("ostrel_convert: the input and output paths must not be NULL", error_text, error_size);
            return OSTREL_FAILED;
        }
        ostrel::HostOptions host;
        host.prompter = std::make_shared<ostrel::SilentPrompter>();
        if (user_settings) host.userSettingsOverride = user_settings;
        ostrel::clsDWG conversion(std::move(host));
        conversion.SaveAsDWG(in, out);
        CopyText("", error_text, error_size);
        return OSTREL_OK;
    } catch (const std::exception& e) {
        CopyText(e.what(), error_text, error_size);
    } catch (...) {
        CopyText("ostrel_convert: unknown failure", error_text, error_size);
    }
    return OSTREL_FAILED;
}

extern "C" const char* ostrel_version(void) { return OSTREL_VERSION_TEXT; }
