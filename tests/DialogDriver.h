// Drives real dialogs from inside their own modal loops: a test queues steps that run once the
// loop is up, acts as a user would (by sending the messages a click or keystroke sends), reads
// the controls back, and the dialog is ended afterwards. A window that never opens, or closes
// before every step ran, fails the test.
#pragma once

#include "CTEVDialog.h"
#include "CTEVEngine.h"
#include "ControlReaders.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

using Step = std::function<void()>;

// Runs action from inside the next modal loop that pumps messages (dialog, message box, file
// dialog), after delayMs. Actions run in the order they were queued.
void RunSoon(Step action, UINT delayMs = 0);

// Runs open (which runs a modal loop) with steps queued to run inside it, in order. Fails the
// test, naming what, when the loop ended before every step ran; what is left is dropped, so that
// nothing runs in a later test's window. cleanup is queued last and may be dropped quietly: it
// ends a window that no step ended. Returns what open returned.
INT_PTR RunModal(const char* what, const std::function<INT_PTR()>& open, std::vector<Step> steps,
                 Step cleanup = nullptr);

// Ends a dialog that is still open, as a script's end does.
void EndIfOpen(HWND dialog);

// The top-level windows of this thread about to be shown, however the platform would show them,
// while a recorder lives.
class ShownWindows {
public:
    ShownWindows();
    ~ShownWindows();
    ShownWindows(const ShownWindows&) = delete;
    ShownWindows& operator=(const ShownWindows&) = delete;
    const std::vector<HWND>& Windows() const;

private:
    HHOOK m_hook;
};

// The result a script's dialog ends with when the script itself did not end it.
constexpr INT_PTR kEndedByScript = 4242;

// Thrown after a failure was recorded to leave a step at once; the driver catches it. Only for
// steps and test bodies: never from a hook the window procedure calls.
struct StepAborted {};

void FailLookup(const wchar_t* id, const CTEVElement* found, const char* wanted);

// The element of that id as a T; a missing id or another kind fails the test and leaves the step.
template <typename T> T& As(CTEVElement& root, const wchar_t* id) {
    CTEVElement* element = root.FindById(id);
    T* typed = dynamic_cast<T*>(element);
    if (!typed) {
        FailLookup(id, element, typeid(T).name());
        throw StepAborted{};
    }
    return *typed;
}

// Sends what a click on the element's push button, check box or radio sends to its dialog.
void ClickElement(CTEVElement& root, const wchar_t* id);
// Replaces the text of the element's edit control as typing would (the control reports a change).
void TypeInto(CTEVElement& root, const wchar_t* id, const wchar_t* text);

// A dialog from an inline description that records every event reaching it.
class TestDialog : public CTEVDialog {
public:
    struct Event {
        std::wstring source; // the source element's id, or "" without one
        std::wstring name;
        WPARAM wParam;
        LPARAM lParam;
    };

    TestDialog(CTEVEngine& engine, const std::string& description);
    // A dialog from a description file or "res:" resource.
    TestDialog(CTEVEngine& engine, const wchar_t* source);

    // DoModal with script run inside the loop once the dialog is open; ends it afterwards. The test
    // fails when the dialog did not open. A description expected not to load goes to DoModal.
    INT_PTR Run(std::function<void(TestDialog&)> script, HWND owner = nullptr);

    CTEVElement& Get(const wchar_t* id) { return ::As<CTEVElement>(*this, id); }
    template <typename T> T& As(const wchar_t* id) { return ::As<T>(*this, id); }
    HWND Hwnd() const { return m_window; }
    int CountEvents(const wchar_t* source, const wchar_t* name) const;
    RECT ClientRectOf(const wchar_t* id); // a control's rectangle in dialog client coordinates

    // Sends what a click on a push button, check box or radio sends.
    void Click(const wchar_t* id) { ClickElement(*this, id); }

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    BOOL CanClose(int code) override;
    BOOL FilterMessage(UINT message, CTEVElement* element, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(CTEVElement* element, int code, int id, HWND control) override;
    void OnDestroy(int cx, int cy) override;
    CTEVElement* GetDefaultButton() override;
    void Arrange(int x, int y, int cx, int cy) override;

    std::vector<Event> events;
    int eventResult = 1;
    std::function<BOOL(int)> canClose;          // default: allow
    std::vector<int> closeRequests;             // codes CanClose was asked with
    std::vector<CTEVElement*> filteredElements; // elements FilterMessage saw
    std::vector<CTEVElement*> commandElements;  // elements OnCommand saw
    CTEVElement* defaultButton = nullptr;       // answer of GetDefaultButton
    SIZE destroyedSize = {-1, -1};
    int arrangeCount = 0;

private:
    TempDir m_folder;
};

// An engine of the stock tags for the test program.
class StockEngine : public CTEVEngine {
public:
    StockEngine() : CTEVEngine(GetModuleHandleW(nullptr)) {}
};

// A test with an engine, and dialogs run from inline descriptions.
template <typename Engine = StockEngine> class EngineTest : public testing::Test {
protected:
    Engine engine;

    INT_PTR RunDialog(const std::string& description, std::function<void(TestDialog&)> script) {
        TestDialog dialog(engine, description);
        return dialog.Run(std::move(script));
    }
};

// The first visible dialog window of this thread owned by owner (a nested dialog or a message
// box), or null.
HWND FindOwnedDialog(HWND owner);
// The text a message box shows.
std::wstring MessageBoxText(HWND box);
// How many windows window holds, at any depth: what opening it cost.
int CountWindowsInside(HWND window);
// Presses a dialog's button by its command id, as a click would (IDYES, IDNO, IDOK...).
void PressButton(HWND dialog, int commandId);
// Sets the thread's keyboard state as if exactly these modifiers (VK_CONTROL, VK_SHIFT, VK_MENU) were
// held: every key handled after it reads them. An empty list releases them all, as a test should at
// its end.
void HoldModifiers(const std::vector<int>& held);
// A key as the keyboard delivers it while the modifiers are held: posted to window, through its
// dialog's loop.
void PostKeyHolding(HWND window, UINT key, const std::vector<int>& held);

// A window's pixels as they stood on screen.
struct Screenshot {
    RECT place = {};          // the window's rectangle on screen
    std::vector<BYTE> pixels; // 24-bit rows, bottom-up, as written
    bool written = false;     // whether artifacts\<name>.bmp was written

    // The colour at a screen point, or CLR_INVALID outside the picture.
    COLORREF At(POINT screen) const;
    // The colour at the point fractionX, fractionY across a control's window rectangle.
    COLORREF Within(HWND control, double fractionX = 0.5, double fractionY = 0.5) const;
};

// Saves the window's pixels as it is drawn (frame included) into artifacts\<name>.bmp.
Screenshot SaveScreenshot(HWND window, const wchar_t* name);
