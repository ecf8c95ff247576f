// Loading, showing and unloading the trim form's window, failures swallowed.
#include "run/form_window.h"

namespace ostrel {

FormWindowCalls::FormWindowCalls(FormWindow* window) : window_(window) {
    if (!window_) return;
    bool loaded = false;
    try {
        loaded = window_->Load();
    } catch (...) {
    }
    if (!loaded) {
        window_ = nullptr;   // nothing to show or unload
        return;
    }
    Call([&] { window_->Show(); });
}

void FormWindowCalls::Unload() {
    if (!window_) return;
    try {
        window_->Unload();
    } catch (...) {
    }
    window_ = nullptr;
}

} // namespace ostrel
