// RAII owners for USER objects that outlive a single call: a thread's message hooks.
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
