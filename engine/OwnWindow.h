// The base of every window of the engine's own classes. One window procedure binds a window to
// its object at WM_NCCREATE and unbinds it at WM_NCDESTROY, or earlier when the object dies
// first; paints through one scope for WM_PAINT and WM_PRINTCLIENT alike; ends the object's
// timers with the binding; and lets no C++ exception reach the platform.
#pragma once

#include <windows.h>

#include <vector>

struct OwnWindowClass {
    const wchar_t* name;
    UINT style;
    const wchar_t* cursor; // a system cursor (IDC_...)
    int backgroundColour;  // a system colour index (COLOR_...)
};

class COwnWindow {
public:
    // property: the window property that names the bound window's element, as other code may look
    // it up; propertyValue: what it holds (the element).
    COwnWindow(const wchar_t* property, void* propertyValue);
    COwnWindow(const COwnWindow&) = delete;
    COwnWindow& operator=(const COwnWindow&) = delete;
    virtual ~COwnWindow();

    // Registers the class with the shared window procedure unless the instance knows it already.
    static void RegisterClassOnce(HINSTANCE instance, const OwnWindowClass& windowClass);

    // Whether a hover over hwnd goes on: the cursor is inside it, over it or over a menu or tooltip
    // that opened on top of it.
    static bool CursorStaysOver(HWND hwnd);

    // The creation parameter that binds a new window of an own class to this object.
    void* BindingParam() { return this; }
    HWND BoundWindow() const { return m_hwnd; }
    // Whether focus rectangles show: the keyboard cues as the window's parent had them when it was
    // made and WM_UPDATEUISTATE changed them since. The window repaints on each change.
    bool ShowsFocusCues() const { return !m_focusCuesHidden; }

protected:
    // The window has just been bound (at WM_NCCREATE).
    virtual void OnBound(HWND hwnd);
    // Every message but painting; the default is DefWindowProcW.
    virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the whole client area into dc; the default draws nothing.
    virtual void Paint(HWND hwnd, HDC dc, const RECT& client);

    // A timer of the bound window, stopped at the latest when the binding ends.
    void StartTimer(UINT_PTR id, UINT intervalMs, TIMERPROC procedure = nullptr);
    void StopTimer(UINT_PTR id);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND hwnd);
    void Unbind();
    void FollowUiState(HWND hwnd, WPARAM change);

    const wchar_t* m_property;      // not owned: a literal
    void* m_propertyValue;          // not owned
    HWND m_hwnd = nullptr;          // not owned: the platform destroys it
    std::vector<UINT_PTR> m_timers; // running on m_hwnd
    bool m_focusCuesHidden = false;
};
