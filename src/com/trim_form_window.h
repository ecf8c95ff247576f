#pragma once
// frmDWGTrim on Windows: a top-level window on the caller's thread whose
// caption is the control's title text, a drawing view (the picture painted
// once into a bitmap, repainted from it) and the common-controls progress
// bar ProgressBar1. Closing it only hides it. Its yield pumps the thread's
// message queue only when kPumpInterval has passed since the last pump, and
// sets the bar to its exact value each time. No window is made when
// OSTREL_NO_WINDOWS is 1 or the process has no visible desktop.
#include <windows.h>

#include <memory>

#include "run/form_window.h"

namespace ostrel::com {

class TrimFormWindow final : public FormWindow {
public:
    static constexpr ULONGLONG kPumpInterval = 30;   // ms
    static constexpr ULONGLONG kPaintBudget = 40;    // ms a picture of the drawing may take
    ~TrimFormWindow() override { Unload(); }

    bool Load() override;
    void Show() override;
    void SetCaption(const std::string& text) override;
    void ShowDrawing(const cad::Drawing& drawing) override;
    void SetProgressMax(double maximum) override;
    void SetProgressValue(double value) override;
    void DoEvents() override;
    void Unload() override;

private:
    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM w, LPARAM l);
    void Layout();
    void Pump();
    void DropPicture();

    HWND form_ = nullptr, view_ = nullptr, bar_ = nullptr;
    HBITMAP picture_ = nullptr;
    int pictureWidth_ = 0, pictureHeight_ = 0;
    double maximum_ = 100, value_ = 0;
    ULONGLONG lastPump_ = 0;
};

std::shared_ptr<FormWindow> MakeTrimFormWindow();

} // namespace ostrel::com
