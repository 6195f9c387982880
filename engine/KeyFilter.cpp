#include "KeyFilter.h"

#include "Diagnostics.h"
#include "UserHandles.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The hook and the filters of one thread; it exists while the thread has a filter.
struct KeyFilterChain {
    explicit KeyFilterChain(HOOKPROC proc) : hook(WH_MSGFILTER, proc) {}

    WindowsHook hook;
    std::vector<CKeyFilter*> filters; // not owned; in joining order
};

thread_local std::unique_ptr<KeyFilterChain> t_chain;

bool InChain(const CKeyFilter* filter) {
    return t_chain &&
           std::find(t_chain->filters.begin(), t_chain->filters.end(), filter) != t_chain->filters.end();
}

bool IsKeyMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

} // namespace

CKeyFilter::~CKeyFilter() {
    StopFiltering();
}

bool CKeyFilter::IsFiltering() const {
    return InChain(this);
}

void CKeyFilter::StartFiltering() {
    if (InChain(this)) {
        return;
    }
    if (!t_chain) {
        t_chain = std::make_unique<KeyFilterChain>(FilterProc);
    }
    t_chain->filters.push_back(this);
}

void CKeyFilter::StopFiltering() noexcept {
    if (!t_chain) {
        return;
    }
    auto& filters = t_chain->filters;
    filters.erase(std::remove(filters.begin(), filters.end(), this), filters.end());
    if (filters.empty()) {
        t_chain.reset();
    }
}

bool CKeyFilter::OfferKey(const MSG& msg) {
    const HWND desktop = GetDesktopWindow();
    for (HWND window = msg.hwnd; window && window != desktop; window = GetAncestor(window, GA_PARENT)) {
        if (!t_chain) {
            return false;
        }
        std::vector<CKeyFilter*> owners;
        for (auto it = t_chain->filters.rbegin(); it != t_chain->filters.rend(); ++it) {
            if ((*it)->OwnsWindow(window)) {
                owners.push_back(*it);
            }
        }
        for (CKeyFilter* filter : owners) {
            // A filter that declined may have ended a dialog, and other filters with it.
            if (InChain(filter) && filter->PreTranslateKey(msg)) {
                return true;
            }
        }
    }
    return false;
}

LRESULT CALLBACK CKeyFilter::FilterProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg && IsKeyMessage(msg->message)) {
        try {
            if (OfferKey(*msg)) {
                return 1;
            }
        } catch (...) {
            // Unwinding through the dialog manager's frames is undefined; the key goes on its way.
            tev::Trace(L"exception in a keyboard filter for message 0x%04x", msg->message);
        }
    }
    // The chain's own hook may be gone by now; the platform ignores the handle anyway.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
