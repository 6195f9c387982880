#include "DialogDriver.h"

#include "GdiHandles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

struct QueuedAction {
    Step action;
    UINT delayMs;
    int batch; // the RunModal whose steps queued it; 0 outside any
};

std::deque<QueuedAction>& Queue() {
    static std::deque<QueuedAction> queue;
    return queue;
}

UINT_PTR g_timer = 0;
int g_batch = 0;      // the batch actions queued now belong to
int g_modalDepth = 0; // RunModal calls on the stack

void CALLBACK RunNextAction(HWND, UINT, UINT_PTR, DWORD);

void ArmTimer() {
    if (!g_timer && !Queue().empty()) {
        g_timer = SetTimer(nullptr, 0, Queue().front().delayMs + 1, RunNextAction);
    }
}

// An exception must not unwind through the window manager's frames that called the timer.
void RunGuarded(const Step& action) {
    try {
        action();
    } catch (const StepAborted&) {
        // the failure is recorded already
    } catch (const std::exception& error) {
        ADD_FAILURE() << "a step threw: " << error.what();
    } catch (...) {
        ADD_FAILURE() << "a step threw";
    }
}

void CALLBACK RunNextAction(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, g_timer);
    g_timer = 0;
    if (Queue().empty()) {
        return;
    }
    QueuedAction next = std::move(Queue().front());
    Queue().pop_front();
    // The next action may be queued to run inside a modal loop this one starts.
    ArmTimer();
    const int outer = std::exchange(g_batch, next.batch);
    RunGuarded(next.action);
    g_batch = outer;
}

// Removes the queued actions of batch (every one when batch is 0); returns how many.
size_t DropQueued(int batch) {
    const size_t before = Queue().size();
    Queue().erase(std::remove_if(Queue().begin(), Queue().end(),
                                 [batch](const QueuedAction& a) { return batch == 0 || a.batch == batch; }),
                  Queue().end());
    if (Queue().empty() && g_timer) {
        KillTimer(nullptr, g_timer);
        g_timer = 0;
    }
    return before - Queue().size();
}

} // namespace

void RunSoon(Step action, UINT delayMs) {
    Queue().push_back({std::move(action), delayMs, g_batch});
    ArmTimer();
}

INT_PTR RunModal(const char* what, const std::function<INT_PTR()>& open, std::vector<Step> steps,
                 Step cleanup) {
    static int lastBatch = 0;
    const int batch = ++lastBatch;
    const size_t total = steps.size();
    size_t ran = 0;
    const int outer = std::exchange(g_batch, batch);
    for (Step& step : steps) {
        RunSoon([&ran, step = std::move(step)] {
            RunGuarded(step);
            ++ran;
        });
    }
    bool cleanupWaits = static_cast<bool>(cleanup);
    if (cleanupWaits) {
        RunSoon([&cleanupWaits, cleanup = std::move(cleanup)] {
            cleanupWaits = false;
            cleanup();
        });
    }
    g_batch = outer;
    ++g_modalDepth;
    const INT_PTR result = open();
    --g_modalDepth;
    // The outermost run also drops what was queued outside any run.
    const size_t dropped = DropQueued(g_modalDepth == 0 ? 0 : batch);
    if (ran < total) {
        ADD_FAILURE() << what << " ran " << ran << " of its " << total << " steps: it "
                      << (result == 0 ? "did not open (DoModal answered 0)" : "closed before the rest")
                      << ", result " << result;
    } else if (dropped > (cleanupWaits ? 1u : 0u)) {
        ADD_FAILURE() << what << ": actions its steps queued never ran";
    }
    return result;
}

namespace {

std::vector<HWND> g_shownWindows;

LRESULT CALLBACK RecordShownWindow(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && !(GetWindowLongW(call->hwnd, GWL_STYLE) & WS_CHILD)) {
        const bool shows = (call->message == WM_SHOWWINDOW && call->wParam) ||
                           (call->message == WM_WINDOWPOSCHANGING &&
                            (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_SHOWWINDOW));
        if (shows &&
            std::find(g_shownWindows.begin(), g_shownWindows.end(), call->hwnd) == g_shownWindows.end()) {
            g_shownWindows.push_back(call->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

ShownWindows::ShownWindows()
    : m_hook(SetWindowsHookExW(WH_CALLWNDPROC, RecordShownWindow, nullptr, GetCurrentThreadId())) {
    g_shownWindows.clear();
}

ShownWindows::~ShownWindows() {
    UnhookWindowsHookEx(m_hook);
}

const std::vector<HWND>& ShownWindows::Windows() const {
    return g_shownWindows;
}

void EndIfOpen(HWND dialog) {
    // EndDialog hides the window at once, so a visible one was not ended.
    if (dialog && IsWindow(dialog) && IsWindowVisible(dialog)) {
        EndDialog(dialog, kEndedByScript);
    }
}

void FailLookup(const wchar_t* id, const CTEVElement* found, const char* wanted) {
    if (found) {
        ADD_FAILURE() << "element " << Narrow(id) << " is not a " << wanted;
    } else {
        ADD_FAILURE() << "no element " << Narrow(id);
    }
}

void ClickElement(CTEVElement& root, const wchar_t* id) {
    HWND control = As<CTEVElement>(root, id).Window();
    SendMessageW(root.Window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

void TypeInto(CTEVElement& root, const wchar_t* id, const wchar_t* text) {
    HWND edit = As<CTEVElement>(root, id).Window();
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

TestDialog::TestDialog(CTEVEngine& engine, const std::string& description)
    : CTEVDialog(nullptr, &engine, nullptr) {
    const std::wstring path = m_folder.File(L"dialog.xml");
    WriteUtf8File(path, description);
    m_source = path;
}

TestDialog::TestDialog(CTEVEngine& engine, const wchar_t* source) : CTEVDialog(source, &engine, nullptr) {}

INT_PTR TestDialog::Run(std::function<void(TestDialog&)> script, HWND owner) {
    return RunModal("the dialog", [&] { return DoModal(owner); }, {[this, &script] {
                        RunGuarded([&] { script(*this); });
                        EndIfOpen(m_window);
                    }});
}

int TestDialog::CountEvents(const wchar_t* source, const wchar_t* name) const {
    int count = 0;
    for (const Event& event : events) {
        if (event.source == source && event.name == name) {
            ++count;
        }
    }
    return count;
}

RECT TestDialog::ClientRectOf(const wchar_t* id) {
    RECT rect = {};
    HWND control = Get(id).Window();
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int TestDialog::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    events.push_back({source && source->Id() ? source->Id() : L"", event ? event : L"", wParam, lParam});
    return eventResult;
}

BOOL TestDialog::CanClose(int code) {
    closeRequests.push_back(code);
    return canClose ? canClose(code) : TRUE;
}

BOOL TestDialog::FilterMessage(UINT message, CTEVElement* element, WPARAM wParam, LPARAM lParam) {
    filteredElements.push_back(element);
    return CTEVDialog::FilterMessage(message, element, wParam, lParam);
}

BOOL TestDialog::OnCommand(CTEVElement* element, int code, int id, HWND control) {
    commandElements.push_back(element);
    return FALSE;
}

void TestDialog::OnDestroy(int cx, int cy) {
    destroyedSize = {cx, cy};
}

CTEVElement* TestDialog::GetDefaultButton() {
    return defaultButton;
}

void TestDialog::Arrange(int x, int y, int cx, int cy) {
    ++arrangeCount;
    CTEVDialog::Arrange(x, y, cx, cy);
}

namespace {

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND, LPARAM counted) {
    ++*reinterpret_cast<int*>(counted);
    return TRUE;
}

} // namespace

HWND FindOwnedDialog(HWND owner) {
    OwnedSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring MessageBoxText(HWND box) {
    // A message box shows its text in the static control with id 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    std::wstring result(static_cast<size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
    result.resize(static_cast<size_t>(GetWindowTextW(text, result.data(), static_cast<int>(result.size()))));
    return result;
}

int CountWindowsInside(HWND window) {
    int count = 0;
    EnumChildWindows(window, CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void PressButton(HWND dialog, int commandId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, commandId)));
}

void HoldModifiers(const std::vector<int>& held) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    for (int modifier : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
        keys[modifier] = std::find(held.begin(), held.end(), modifier) != held.end() ? 0x80 : 0;
    }
    SetKeyboardState(keys);
}

void PostKeyHolding(HWND window, UINT key, const std::vector<int>& held) {
    HoldModifiers(held);
    PostMessageW(window, WM_KEYDOWN, key, 1);
}

COLORREF Screenshot::At(POINT screen) const {
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    const int x = screen.x - place.left;
    const int y = screen.y - place.top;
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return CLR_INVALID;
    }
    const size_t stride = static_cast<size_t>((width * 3 + 3) & ~3);
    const BYTE* pixel = &pixels[stride * static_cast<size_t>(height - 1 - y) + static_cast<size_t>(x) * 3];
    return RGB(pixel[2], pixel[1], pixel[0]);
}

COLORREF Screenshot::Within(HWND control, double fractionX, double fractionY) const {
    RECT rect = {};
    GetWindowRect(control, &rect);
    return At({rect.left + static_cast<LONG>((rect.right - rect.left) * fractionX),
               rect.top + static_cast<LONG>((rect.bottom - rect.top) * fractionY)});
}

Screenshot SaveScreenshot(HWND window, const wchar_t* name) {
    Screenshot shot;
    RECT& rect = shot.place;
    if (!GetWindowRect(window, &rect)) {
        return shot;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);

    // Read from the window's own surface: Wine copies it to the X screen only some time later, so
    // the screen may still show what was there before.
    WindowDC source(window, true);
    MemoryDC memory(source.Get());
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(source.Get(), width, height));
    {
        SelectedObject selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
    }
    BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB};
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE>& pixels = shot.pixels;
    pixels.resize(static_cast<size_t>(stride) * height);
    GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);

    std::filesystem::create_directories(L"artifacts");
    std::ofstream file(std::filesystem::path(L"artifacts") / (std::wstring(name) + L".bmp"),
                       std::ios::binary);
    BITMAPFILEHEADER header = {0x4D42};
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    file.write(reinterpret_cast<const char*>(&header), sizeof(header));
    file.write(reinterpret_cast<const char*>(&info), sizeof(info));
    file.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    shot.written = static_cast<bool>(file);
    return shot;
}
