// The walk keys and the search for the next row to walk to.
#include "StringWalk.h"

#include "TranslationSession.h"

namespace {

bool IsHeld(int key) {
    return GetKeyState(key) < 0;
}

bool IsTarget(const TranslationSession& session, size_t string, WalkTarget target) {
    if (target == WalkTarget::Problem) {
        return session.Checks().HasFindings(string);
    }
    return !session.Model().Strings()[string].loc;
}

} // namespace

std::optional<StringWalk> WalkOfKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || IsHeld(VK_MENU)) {
        return std::nullopt;
    }
    const bool ctrl = IsHeld(VK_CONTROL);
    const bool shift = IsHeld(VK_SHIFT);
    const WalkDirection back = WalkDirection::Backward;
    const WalkDirection forward = WalkDirection::Forward;
    if (ctrl && shift && (msg.wParam == VK_DOWN || msg.wParam == VK_UP)) {
        return StringWalk{WalkTarget::Untranslated, msg.wParam == VK_UP ? back : forward};
    }
    if (!ctrl && msg.wParam == VK_F8) {
        return StringWalk{WalkTarget::Problem, shift ? back : forward};
    }
    return std::nullopt;
}

std::optional<size_t> FindRow(const TranslationSession& session, std::optional<size_t> from,
                              StringWalk walk) {
    const std::vector<size_t>& rows = session.Rows();
    const size_t count = rows.size();
    if (count == 0) {
        return std::nullopt;
    }
    const bool forward = walk.direction == WalkDirection::Forward;
    // Without a start the walk begins one step before the first row it should look at.
    const size_t start = from && *from < count ? *from : (forward ? count - 1 : 0);
    for (size_t step = 1; step <= count; ++step) {
        const size_t row = forward ? (start + step) % count : (start + count - step) % count;
        if (IsTarget(session, rows[row], walk.target)) {
            return row;
        }
    }
    return std::nullopt;
}
