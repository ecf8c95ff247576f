// The trim form's window, seen from a client of the registered Ostrel.dll
// under Wine with a display (run-wine-tests' window step): while the sheet
// pass runs, a hook on the calling thread watches the progress bar's
// messages and reads the form's caption, the bar and the view's pixels
// (BitBlt into a DIB); after SaveAsDWG no window of the form is left; with
// OSTREL_NO_WINDOWS=1 there is no window and the file has the same bytes.
//
// With the arguments --convert IN OUT the program only converts through the
// server and prints the seconds SaveAsDWG took, wall and the calling
// thread's CPU (screenshots, the bench).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "com/bstr_text.h"
#include "com/com_identity.h"
#include "ostrel/clsDWG.h"

namespace {

// What the hook saw of the form while the pass ran.
struct Seen {
    std::string caption;
    bool visible = false;
    int maximum = -1, position = -1;
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;   // the view at the bar's end, 0x00RRGGBB, top row first
} seen;
HHOOK hook = nullptr;

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t text[64] = {};
    return window && GetClassNameW(window, text, 64) && std::wstring(text) == name;
}

void CaptureView(HWND view) {
    RECT r{};
    GetClientRect(view, &r);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = GetDC(view), memory = CreateCompatibleDC(dc);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ before = SelectObject(memory, dib);
    if (bits && BitBlt(memory, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY)) {
        seen.width = r.right, seen.height = r.bottom;
        const auto* p = static_cast<const std::uint32_t*>(bits);
        seen.pixels.assign(p, p + r.right * r.bottom);
    }
    SelectObject(memory, before);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(view, dc);
}

LRESULT CALLBACK Watch(int code, WPARAM w, LPARAM l) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(l);
    HWND form = code == HC_ACTION && m->message == PBM_SETPOS ? GetParent(m->hwnd) : nullptr;
    if (IsClass(form, L"OstrelTrimForm") && IsClass(m->hwnd, PROGRESS_CLASSW)) {
        char caption[256] = {};
        GetWindowTextA(form, caption, sizeof(caption));
        seen.caption = caption;
        seen.visible = IsWindowVisible(form);
        seen.maximum = static_cast<int>(SendMessageW(m->hwnd, PBM_GETRANGE, FALSE, 0));
        seen.position = static_cast<int>(m->wParam);
        if (seen.position == seen.maximum && seen.pixels.empty())
            CaptureView(FindWindowExW(form, nullptr, L"OstrelDrawingView", nullptr));
    }
    return CallNextHookEx(hook, code, w, l);
}

// The calling thread's CPU time so far, in seconds.
double ThreadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

// SaveAsDWG through the registered server; seconds taken (cpu: the calling
// thread's CPU seconds), < 0 on failure.
double Convert(const std::string& in, const std::string& out, double* cpu = nullptr) {
    CLSID clsid;
    _clsDWG* object = nullptr;
    if (CLSIDFromProgID(L"Ostrel.clsDWG", &clsid) != S_OK ||
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, ostrel::com::kInterfaceId,
                         reinterpret_cast<void**>(&object)) != S_OK)
        return -1;
    BSTR strIN = SysAllocString(ostrel::com::WideFromNarrow(in).c_str());
    BSTR strOUT = SysAllocString(ostrel::com::WideFromNarrow(out).c_str());
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadSeconds();
    const HRESULT hr = object->SaveAsDWG(&strIN, &strOUT);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (cpu) *cpu = ThreadSeconds() - cpuStart;
    SysFreeString(strIN);
    SysFreeString(strOUT);
    object->Release();
    return hr == S_OK ? took.count() : -1;
}

std::string Bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Near(const Seen& s, int x, int y, bool (*test)(std::uint32_t)) {
    for (int dy = -1; dy <= 1; ++dy)
        if (y + dy >= 0 && y + dy < s.height && x >= 0 && x < s.width && test(s.pixels[(y + dy) * s.width + x]))
            return true;
    return false;
}
bool White(std::uint32_t p) { return (p & 0xFFFFFF) == 0xFFFFFF; }
bool Green(std::uint32_t p) { return ((p >> 8) & 0xFF) > 160 && ((p >> 16) & 0xFF) < 96 && (p & 0xFF) < 96; }
bool Blue(std::uint32_t p) { return (p & 0xFF) > 160 && ((p >> 16) & 0xFF) < 96 && ((p >> 8) & 0xFF) < 96; }
bool Black(std::uint32_t p) { return (p & 0xFFFFFF) == 0; }

} // namespace

TEST(TrimFormWindow, ShownWhileThePassRunsGoneAfterItSameBytesWithout) {
    char work[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("OSTREL_TEST_WORK", work, MAX_PATH), 0u) << "OSTREL_TEST_WORK is not set";
    const std::string in = std::string(work) + "\\sheet.txt";
    // Extents 0..100 square: the green line crosses the view's middle row; the
    // trim frame (blue) and the sheet frame (black) stand round it.
    std::ofstream(in, std::ios::binary) << "TALVERO\r\nPOLY,KERB,3,0,0,0,50,100,50\r\n"
                                           "CIRCLE,TREES,3,75,75,0,5\r\nSTARTTB,500,0\r\n"
                                           "POLY,TRIM-FRAME,5,0,0,10,10,90,10,90,90,10,90,10,10\r\n"
                                           "POLY,SHEET,7,0,0,0,0,100,0,100,100,0,100,0,0\r\n";
    std::ofstream(std::string(work) + "\\sheet.SYM", std::ios::binary) << "SYMDEF,TREE\r\nENDSYM\r\n";
    // The model-space entities the bounds pass visits, from the conversion's report.
    ostrel::HostOptions host;
    host.report = std::make_shared<ostrel::ConversionReport>();
    ostrel::clsDWG(host).SaveAsDWG(in, std::string(work) + "\\counted.dxf");
    int entities = 0;
    for (const auto& [type, n] : host.report->entitiesByType)
        if (type != "VERTEX" && type != "SEQEND") entities += static_cast<int>(n);

    hook = SetWindowsHookExW(WH_CALLWNDPROC, Watch, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    ASSERT_GE(Convert(in, std::string(work) + "\\shown.dxf"), 0);
    EXPECT_EQ(FindWindowW(L"OstrelTrimForm", nullptr), nullptr);
    EXPECT_EQ(seen.caption, "Ostrel sheet build");
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.maximum, entities);
    EXPECT_EQ(seen.position, entities);
    ASSERT_GT(seen.width, 100);
    ASSERT_GT(seen.height, 100);
    const int cx = seen.width / 2, cy = seen.height / 2;
    EXPECT_TRUE(Near(seen, cx + seen.width / 8, cy, Green)) << "the line through the middle";
    EXPECT_TRUE(Near(seen, cx, cy - seen.height / 6, White)) << "nothing above the line";
    EXPECT_TRUE(Near(seen, cx, cy + seen.height / 6, White)) << "nothing below it";
    int blue = 0, black = 0;
    for (int x = 0; x < seen.width; ++x) {
        blue += Blue(seen.pixels[(cy - seen.height / 6) * seen.width + x]);
        black += Black(seen.pixels[(cy - seen.height / 6) * seen.width + x]);
    }
    EXPECT_GE(blue, 2) << "the trim frame's two sides";
    EXPECT_GE(black, 2) << "the sheet frame's two sides";

    seen = Seen{};
    SetEnvironmentVariableA("OSTREL_NO_WINDOWS", "1");
    ASSERT_GE(Convert(in, std::string(work) + "\\unseen.dxf"), 0);
    SetEnvironmentVariableA("OSTREL_NO_WINDOWS", nullptr);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(seen.maximum, -1) << "no bar without windows";
    const std::string shown = Bytes(std::string(work) + "\\shown.dxf");
    EXPECT_GT(shown.size(), 1000u);
    EXPECT_TRUE(shown == Bytes(std::string(work) + "\\unseen.dxf"));
}

int main(int argc, char** argv) {
    if (FAILED(CoInitialize(nullptr))) return 2;
    int status;
    if (argc == 4 && std::string(argv[1]) == "--convert") {
        double cpu = 0;
        const double seconds = Convert(argv[2], argv[3], &cpu);
        std::printf("%.3f %.3f\n", seconds, cpu);
        status = seconds < 0;
    } else {
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    CoUninitialize();
    return status;
}
