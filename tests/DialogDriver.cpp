#include "DialogDriver.h"

#include "GdiHandles.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

namespace {

struct QueuedAction {
    std::function<void()> action;
    UINT delayMs;
};

std::deque<QueuedAction>& Queue() {
    static std::deque<QueuedAction> queue;
    return queue;
}

UINT_PTR g_timer = 0;

void CALLBACK RunNextAction(HWND, UINT, UINT_PTR, DWORD);

void ArmTimer() {
    if (!g_timer && !Queue().empty()) {
        g_timer = SetTimer(nullptr, 0, Queue().front().delayMs + 1, RunNextAction);
    }
}

void CALLBACK RunNextAction(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, g_timer);
    g_timer = 0;
    if (Queue().empty()) {
        return;
    }
    std::function<void()> action = std::move(Queue().front().action);
    Queue().pop_front();
    // The next action may be queued to run inside a modal loop this one starts.
    ArmTimer();
    action();
}

} // namespace

void RunSoon(std::function<void()> action, UINT delayMs) {
    Queue().push_back({std::move(action), delayMs});
    ArmTimer();
}

TestDialog::TestDialog(CTEVEngine& engine, const std::string& description)
    : CTEVDialog(nullptr, &engine, nullptr) {
    const std::wstring path = m_folder.File(L"dialog.xml");
    WriteUtf8File(path, description);
    m_source = path;
}

TestDialog::TestDialog(CTEVEngine& engine, const wchar_t* source) : CTEVDialog(source, &engine, nullptr) {}

INT_PTR TestDialog::Run(std::function<void(TestDialog&)> script, HWND owner) {
    RunSoon([this, script] {
        script(*this);
        // EndDialog hides the window at once, so a visible one was not ended by the script.
        if (m_window && IsWindow(m_window) && IsWindowVisible(m_window)) {
            EndDialog(m_window, kEndedByScript);
        }
    });
    return DoModal(owner);
}

CTEVElement& TestDialog::Get(const wchar_t* id) {
    CTEVElement* element = FindById(id);
    if (!element) {
        ADD_FAILURE() << "no element " << Narrow(id);
        return *this;
    }
    return *element;
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

void TestDialog::Click(const wchar_t* id) {
    HWND control = Get(id).Window();
    SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
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

void PressButton(HWND dialog, int commandId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, commandId)));
}

bool SaveScreenshot(HWND window, const wchar_t* name) {
    RECT rect = {};
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);

    WindowDC screen(nullptr);
    MemoryDC memory(screen.Get());
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    {
        SelectedObject selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
    }
    BITMAPINFOHEADER info = {sizeof(info), width, height, 1, 24, BI_RGB};
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
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
    file.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(file);
}
