#pragma once
// The trim form's window, for a host that can show one (the COM server on
// Windows shows a real window; the library itself never makes one). The
// run holds it as it holds the host's prompter; the driver loads, shows
// and unloads it around the sheet pass, and the pass gives it its caption,
// the drawing to show, the progress bar's maximum and value, and a yield
// once per entity of the bounds pass. Everything happens on the caller's
// thread. A window that cannot be made, or fails, never stops the pass:
// FormWindowCalls below swallows what it throws.
#include <memory>
#include <string>

#include "cad/drawing.h"

namespace ostrel {

class FormWindow {
public:
    virtual ~FormWindow() = default;
    // Makes the window, hidden; false when none can be made (no desktop) or
    // none is wanted: the pass then runs without one.
    virtual bool Load() = 0;
    virtual void Show() = 0;   // not modal
    virtual void SetCaption(const std::string& text) = 0;
    // The drawing as the engine holds it, to be painted once: model space
    // through its "*Active" view, or the current layout.
    virtual void ShowDrawing(const cad::Drawing& drawing) = 0;
    virtual void SetProgressMax(double maximum) = 0;
    virtual void SetProgressValue(double value) = 0;
    virtual void DoEvents() = 0;
    // Destroys the window.
    virtual void Unload() = 0;
};

// The pass's side of the window: each call goes to the window unless there
// is none or an earlier call failed; a call that throws ends the window's
// part (it is unloaded at the end all the same) but not the pass.
class FormWindowCalls {
public:
    // The window, loaded and shown (not modal); unloaded by the destructor,
    // whichever way the pass ends.
    explicit FormWindowCalls(FormWindow* window);
    ~FormWindowCalls() { Unload(); }
    FormWindowCalls(const FormWindowCalls&) = delete;
    FormWindowCalls& operator=(const FormWindowCalls&) = delete;

    void SetCaption(const std::string& text) { Call([&] { window_->SetCaption(text); }); }
    void ShowDrawing(const cad::Drawing& d) { Call([&] { window_->ShowDrawing(d); }); }
    void SetProgressMax(double maximum) { Call([&] { window_->SetProgressMax(maximum); }); }
    void SetProgressValue(double value) { Call([&] { window_->SetProgressValue(value); }); }
    void DoEvents() { Call([&] { window_->DoEvents(); }); }


private:
    template <class F>
    void Call(F f) {
        if (!window_ || failed_) return;
        try {
            f();
        } catch (...) {
            failed_ = true;
        }
    }
    void Unload();
    FormWindow* window_ = nullptr;
    bool failed_ = false;
};

} // namespace ostrel
