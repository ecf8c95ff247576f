// The trim form's window: its classes, controls, painting and message pump.
#include "com/trim_form_window.h"

#include <commctrl.h>

#include <algorithm>

#include "com/form_view_picture.h"
#include "com/module_state.h"

namespace ostrel::com {

namespace {

constexpr wchar_t kFormClass[] = L"OstrelTrimForm";
constexpr wchar_t kViewClass[] = L"OstrelDrawingView";
constexpr int kBarHeight = 22, kGap = 6;
constexpr int kFormWidth = 800, kFormHeight = 600;

// OSTREL_NO_WINDOWS=1, or a window station without a visible desktop (a
// service): no window is made.
bool WindowsWanted() {
    char value[8] = {};
    const DWORD n = GetEnvironmentVariableA("OSTREL_NO_WINDOWS", value, sizeof(value));
    if (n > 0 && n < sizeof(value) && std::string_view(value) == "1") return false;
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    if (station && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr))
        return (flags.dwFlags & WSF_VISIBLE) != 0;
    return true;
}

bool RegisterClasses(WNDPROC form, WNDPROC view) {
    // A class left registered by an earlier load of this module would hold
    // procedures at that load's addresses: replaced (while another thread's
    // form is open, the class is this load's own and stays).
    UnregisterClassW(kViewClass, ModuleHandle());
    UnregisterClassW(kFormClass, ModuleHandle());
    WNDCLASSEXW c{};
    c.cbSize = sizeof(c);
    c.hInstance = ModuleHandle();
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpfnWndProc = form;
    c.lpszClassName = kFormClass;
    if (!RegisterClassExW(&c) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    c.hbrBackground = nullptr;
    c.lpfnWndProc = view;
    c.lpszClassName = kViewClass;
    return RegisterClassExW(&c) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

TrimFormWindow* Owner(HWND window) {
    return reinterpret_cast<TrimFormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace

bool TrimFormWindow::Load() {
    Unload();
    if (!WindowsWanted()) return false;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS;
    if (!InitCommonControlsEx(&controls) || !RegisterClasses(FormProc, ViewProc)) return false;
    form_ = CreateWindowExW(0, kFormClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, kFormWidth,
                            kFormHeight, nullptr, nullptr, ModuleHandle(), nullptr);
    if (!form_) return false;   // no display (Wine without one), no desktop
    SetWindowLongPtrW(form_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    view_ = CreateWindowExW(WS_EX_CLIENTEDGE, kViewClass, L"VD", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, form_, nullptr,
                            ModuleHandle(), nullptr);
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"ProgressBar1", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0, 1, 1,
                           form_, nullptr, ModuleHandle(), nullptr);
    if (!view_ || !bar_) {
        Unload();
        return false;
    }
    SetWindowLongPtrW(view_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Layout();
    maximum_ = 100;
    value_ = 0;
    return true;
}

void TrimFormWindow::Show() {
    if (!form_) return;
    ShowWindow(form_, SW_SHOWNORMAL);
    UpdateWindow(form_);
    Pump();
}

void TrimFormWindow::SetCaption(const std::string& text) {
    if (form_) SetWindowTextA(form_, text.c_str());
}

void TrimFormWindow::ShowDrawing(const cad::Drawing& drawing) {
    if (!view_) return;
    RECT client{};
    GetClientRect(view_, &client);
    const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
    if (!picture_ || width != pictureWidth_ || height != pictureHeight_) {
        DropPicture();
        HDC screen = GetDC(view_);
        picture_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(view_, screen);
        if (!picture_) return;
        pictureWidth_ = width;
        pictureHeight_ = height;
    }
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(memory, picture_);
    PaintFormView(memory, width, height, drawing, kPaintBudget);
    SelectObject(memory, before);
    DeleteDC(memory);
    InvalidateRect(view_, nullptr, FALSE);
    UpdateWindow(view_);
    Pump();
}

void TrimFormWindow::SetProgressMax(double maximum) {
    maximum_ = maximum;
    value_ = 0;
    if (!bar_) return;
    SendMessageW(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
    SendMessageW(bar_, PBM_SETPOS, 0, 0);
}

void TrimFormWindow::SetProgressValue(double value) {
    value_ = value;
    // The bar's end is shown at once: no yield follows the last entity.
    if (bar_ && value >= maximum_) SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void TrimFormWindow::DoEvents() {
    if (form_ && GetTickCount64() - lastPump_ >= kPumpInterval) Pump();
}

void TrimFormWindow::Pump() {
    if (bar_) SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(value_), 0);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {   // the host's: left for its own loop
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    lastPump_ = GetTickCount64();
}

void TrimFormWindow::Unload() {
    if (form_) {
        SetWindowLongPtrW(form_, GWLP_USERDATA, 0);
        if (view_) SetWindowLongPtrW(view_, GWLP_USERDATA, 0);
        DestroyWindow(form_);
    }
    form_ = view_ = bar_ = nullptr;
    DropPicture();
    // The classes go with the window, so that no class outlives the module
    // that holds its procedures (fails harmlessly while another thread's
    // form is open).
    UnregisterClassW(kViewClass, ModuleHandle());
    UnregisterClassW(kFormClass, ModuleHandle());
}

void TrimFormWindow::DropPicture() {
    if (picture_) DeleteObject(picture_);
    picture_ = nullptr;
    pictureWidth_ = pictureHeight_ = 0;
}

void TrimFormWindow::Layout() {
    RECT client{};
    GetClientRect(form_, &client);
    const int barTop = std::max<int>(client.bottom - kBarHeight - kGap, kGap);
    MoveWindow(view_, kGap, kGap, std::max<int>(client.right - 2 * kGap, 1), std::max(barTop - 2 * kGap, 1), TRUE);
    MoveWindow(bar_, kGap, barTop, std::max<int>(client.right - 2 * kGap, 1), kBarHeight, TRUE);
}

LRESULT CALLBACK TrimFormWindow::FormProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    TrimFormWindow* self = Owner(window);
    switch (message) {
    case WM_CLOSE:   // closed by hand: hidden, the pass goes on
        ShowWindow(window, SW_HIDE);
        return 0;
    case WM_SIZE:
        if (self && self->view_ && self->bar_) self->Layout();
        return 0;
    default: return DefWindowProcW(window, message, w, l);
    }
}

LRESULT CALLBACK TrimFormWindow::ViewProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    TrimFormWindow* self = Owner(window);
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client{};
        GetClientRect(window, &client);
        HDC memory = self && self->picture_ ? CreateCompatibleDC(dc) : nullptr;
        if (memory) {
            HGDIOBJ before = SelectObject(memory, self->picture_);
            BitBlt(dc, 0, 0, self->pictureWidth_, self->pictureHeight_, memory, 0, 0, SRCCOPY);
            SelectObject(memory, before);
            DeleteDC(memory);
        } else {
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        EndPaint(window, &paint);
        return 0;
    }
    default: return DefWindowProcW(window, message, w, l);
    }
}

std::shared_ptr<FormWindow> MakeTrimFormWindow() { return std::make_shared<TrimFormWindow>(); }

} // namespace ostrel::com
