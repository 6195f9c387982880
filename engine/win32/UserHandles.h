// RAII owners for USER objects that outlive a single call: a thread's message hooks, menus, the
// wait cursor.
#pragma once

#include <windows.h>

// A hook on this thread, removed on destruction.
class WindowsHook {
public:
    WindowsHook(int type, HOOKPROC proc)
        : m_hook(SetWindowsHookExW(type, proc, nullptr, GetCurrentThreadId())) {}
    WindowsHook(const WindowsHook&) = delete;
    WindowsHook& operator=(const WindowsHook&) = delete;
    ~WindowsHook() {
        if (m_hook) {
            UnhookWindowsHookEx(m_hook);
        }
    }
    HHOOK Get() const { return m_hook; }

private:
    HHOOK m_hook;
};

// A menu destroyed exactly once: by this owner while it holds the menu, by the platform once the
// menu was handed over (inserted as a submenu, which dies with its parent menu, or set as a
// window's menu, which dies with the window).
class MenuHandle {
public:
    explicit MenuHandle(HMENU menu = nullptr) : m_menu(menu) {}
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    ~MenuHandle() { Reset(); }

    HMENU Get() const { return m_menu; }
    // Whether destroying the menu is still this owner's task.
    bool Owned() const { return m_menu && m_owned; }
    // The platform destroys the menu from now on, with whatever it was attached to.
    void HandOver() { m_owned = false; }
    // Back to this owner, after the menu was detached from a window that is still alive.
    void TakeBack() { m_owned = true; }
    void Reset(HMENU menu = nullptr) {
        if (Owned()) {
            DestroyMenu(m_menu);
        }
        m_menu = menu;
        m_owned = true;
    }

private:
    HMENU m_menu;
    bool m_owned = true;
};

// The hourglass for as long as the owner lives, then the cursor that was shown before.
class WaitCursor {
public:
    WaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { SetCursor(m_previous); }

private:
    HCURSOR m_previous; // shared, not owned
};
