// The pieces every element and application dialog stands on: own windows, checked lookups, the
// trace, event tables.
#include "CTEVButton.h"
#include "CTEVLabel.h"
#include "DialogDriver.h"
#include "EventRoutes.h"
#include "GdiHandles.h"
#include "OwnWindow.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

std::vector<std::wstring> g_trace;

// Turns the trace on for one test and collects its lines.
class TraceCapture {
public:
    TraceCapture() {
        g_trace.clear();
        tev::SetTraceSink([](const std::wstring& line) { g_trace.push_back(line); });
    }
    ~TraceCapture() { tev::SetTraceSink(nullptr); }
    bool Saw(const wchar_t* part) const {
        for (const std::wstring& line : g_trace) {
            if (line.find(part) != std::wstring::npos) {
                return true;
            }
        }
        return false;
    }
};

const wchar_t kProbeProperty[] = L"probe_this";

// Paints its client area red, throws on WM_USER, and counts its timer's ticks.
class Probe : public COwnWindow {
public:
    Probe() : COwnWindow(kProbeProperty, this) {
        RegisterClassOnce(GetModuleHandleW(nullptr), {L"TEV_PROBE_CLASS", 0, IDC_ARROW, COLOR_WINDOW});
    }
    HWND Create() {
        return CreateWindowExW(0, L"TEV_PROBE_CLASS", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), BindingParam());
    }
    void Tick() { StartTimer(1, 1); }
    int ticks = 0;

protected:
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER) {
            throw std::runtime_error("handler failed");
        }
        if (message == WM_TIMER) {
            ++ticks;
            return 0;
        }
        return COwnWindow::HandleMessage(hwnd, message, wParam, lParam);
    }
    void Paint(HWND, HDC dc, const RECT& client) override {
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &client, red);
        DeleteObject(red);
    }
};

COLORREF PrintedPixel(HWND window) {
    WindowDC screen(nullptr);
    MemoryDC memory(screen.Get());
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), 10, 10));
    SelectedObject selected(memory.Get(), bitmap.Get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT);
    return GetPixel(memory.Get(), 5, 5);
}

void PumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG message;
    while (GetTickCount() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(1);
    }
}

} // namespace

TEST(OwnWindow, BindsPaintsForPrintingAndKeepsExceptionsInside) {
    TraceCapture trace;
    Probe probe;
    HWND window = probe.Create();
    ASSERT_TRUE(window);
    EXPECT_EQ(&probe, GetPropW(window, kProbeProperty));
    EXPECT_EQ(window, probe.BoundWindow());
    EXPECT_EQ(RGB(255, 0, 0), PrintedPixel(window));

    SendMessageW(window, WM_USER, 0, 0);
    EXPECT_TRUE(trace.Saw(L"exception"));

    DestroyWindow(window);
    EXPECT_EQ(nullptr, probe.BoundWindow());
}

TEST(OwnWindow, AnObjectThatDiesFirstLeavesAPlainWindowWithoutTimers) {
    HWND window = nullptr;
    {
        Probe probe;
        window = probe.Create();
        ASSERT_TRUE(window);
        probe.Tick();
        PumpFor(50);
        EXPECT_GT(probe.ticks, 0);
    }
    EXPECT_EQ(nullptr, GetPropW(window, kProbeProperty));
    EXPECT_EQ(0, GetWindowLongPtrW(window, GWLP_USERDATA));
    // A timer left running would reach the window's default handling only; none may arrive at all.
    MSG message;
    PumpFor(30);
    EXPECT_FALSE(PeekMessageW(&message, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    DestroyWindow(window);
}

TEST(ElementLookup, FindAsChecksTheClassAndTraceReportsTheMisuse) {
    TraceCapture trace;
    CTEVEngine engine(GetModuleHandleW(nullptr));
    CTEVElement root(nullptr, &engine);
    ASSERT_TRUE(LoadDescriptionText(root, R"(<dialog><button id="b"/><label id="l"/></dialog>)"));
    EXPECT_NE(nullptr, root.FindAs<CTEVButton>(L"B"));
    EXPECT_EQ(nullptr, root.FindAs<CTEVButton>(L"missing"));
    EXPECT_FALSE(trace.Saw(L"check failed"));
    EXPECT_EQ(nullptr, root.FindAs<CTEVButton>(L"l"));
    EXPECT_TRUE(trace.Saw(L"check failed"));
}

TEST(ElementLookup, ASecondDoModalWhileTheDialogRunsIsRefused) {
    TraceCapture trace;
    CTEVEngine engine(GetModuleHandleW(nullptr));
    TestDialog dialog(engine, R"(<dialog><label id="l" value="x"/></dialog>)");
    INT_PTR nested = -1;
    dialog.Run([&](TestDialog& d) { nested = d.DoModal(d.Hwnd()); });
    EXPECT_EQ(0, nested);
    EXPECT_TRUE(trace.Saw(L"check failed"));
    EXPECT_EQ(1u, dialog.ChildCount());
}

namespace {

struct Counter {
    int clicks = 0;
    int changes = 0;
};

} // namespace

TEST(EventRoutes, MatchIdAndEventIgnoringCaseAndAnswerZeroOtherwise) {
    static const EventRoute<Counter> kRoutes[] = {
        {L"ok", L"clicked", [](Counter& c, WPARAM, LPARAM) { return ++c.clicks, 1; }},
        {L"name", L"changed", [](Counter& c, WPARAM, LPARAM value) { return c.changes += int(value), 2; }},
    };
    CTEVEngine engine(GetModuleHandleW(nullptr));
    CTEVElement root(nullptr, &engine);
    ASSERT_TRUE(LoadDescriptionText(root, R"(<dialog><button id="OK"/><textbox id="name"/></dialog>)"));
    Counter counter;
    EXPECT_EQ(1, RouteEvent(kRoutes, counter, root.FindById(L"ok"), L"CLICKED", 0, 0));
    EXPECT_EQ(2, RouteEvent(kRoutes, counter, root.FindById(L"name"), L"changed", 0, 5));
    EXPECT_EQ(0, RouteEvent(kRoutes, counter, root.FindById(L"name"), L"clicked", 0, 0));
    EXPECT_EQ(0, RouteEvent(kRoutes, counter, nullptr, L"clicked", 0, 0));
    EXPECT_EQ(1, counter.clicks);
    EXPECT_EQ(5, counter.changes);
}
