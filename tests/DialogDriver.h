// Drives real dialogs from inside their own modal loops: a test queues actions that run once
// the loop is up, acts as a user would (by sending the messages a click or keystroke sends),
// reads the controls back, and the dialog is ended afterwards.
#pragma once

#include "CTEVDialog.h"
#include "CTEVEngine.h"
#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

// Runs action from inside the next modal loop that pumps messages (dialog, message box,
// file dialog), after delayMs. Actions run in the order they were queued.
void RunSoon(std::function<void()> action, UINT delayMs = 0);

// The result a script's dialog ends with when the script itself did not end it.
constexpr INT_PTR kEndedByScript = 4242;

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

    // DoModal with script run inside the loop once the dialog is open; ends it afterwards.
    INT_PTR Run(std::function<void(TestDialog&)> script, HWND owner = nullptr);

    CTEVElement& Get(const wchar_t* id);
    HWND Hwnd() const { return m_window; }
    int CountEvents(const wchar_t* source, const wchar_t* name) const;
    RECT ClientRectOf(const wchar_t* id); // a control's rectangle in dialog client coordinates

    // Sends what a click on a push button, check box or radio sends.
    void Click(const wchar_t* id);

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

// The first visible dialog window of this thread owned by owner (a nested dialog or a message
// box), or null.
HWND FindOwnedDialog(HWND owner);
// The text a message box shows.
std::wstring MessageBoxText(HWND box);
// Presses a dialog's button by its command id, as a click would (IDYES, IDNO, IDOK...).
void PressButton(HWND dialog, int commandId);

// Saves the window's pixels as it stands on screen into artifacts\<name>.bmp.
bool SaveScreenshot(HWND window, const wchar_t* name);
