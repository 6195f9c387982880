// The thread's one chain of keyboard filters. A key on its way through a dialog's message loop
// goes first to the filters of the innermost window that holds its target, before the focused
// control or the dialog manager see it: shortcuts that no control answers (Ctrl+S, Ctrl+Tab)
// work wherever the focus sits. Dialogs filter while their window lives; an element that filters
// joins when it makes its window and leaves with its dialog's window.
#pragma once

#include <windows.h>

class CKeyFilter {
public:
    CKeyFilter() = default;
    CKeyFilter(const CKeyFilter&) = delete;
    CKeyFilter& operator=(const CKeyFilter&) = delete;
    // Leaves the chain, which thus never holds a destroyed filter.
    virtual ~CKeyFilter();

    // Joins this thread's chain; the first filter of a thread installs the hook. Among the filters
    // of one window, those joined later are asked first, so a container joins before its content.
    void StartFiltering();
    // Leaves the chain; the last filter of a thread removes the hook. Harmless when not in it.
    void StopFiltering() noexcept;
    // Whether the filter is in its thread's chain.
    bool IsFiltering() const;

    // A keyboard message (WM_KEYDOWN, WM_CHAR, WM_SYSKEYDOWN...) before it is translated or
    // dispatched; msg.hwnd is the window it is meant for. True when handled: no other filter, and
    // not the window, sees it then.
    virtual bool PreTranslateKey(const MSG& msg) = 0;

protected:
    // Whether window is one of this filter's own: keys for it, or for a window inside it, are
    // offered here.
    virtual bool OwnsWindow(HWND window) const = 0;

private:
    static LRESULT CALLBACK FilterProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
    // Walks outward from the key's window and offers the key to each window's filters until one
    // handles it.
    static bool OfferKey(const MSG& msg);
};
