#include "HistoryKeys.h"

#include "TranslationSession.h"

HistoryKey HistoryKeyOf(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_SHIFT) < 0 ||
        GetKeyState(VK_MENU) < 0) {
        return HistoryKey::None;
    }
    return msg.wParam == 'Z' ? HistoryKey::Undo : msg.wParam == 'Y' ? HistoryKey::Redo : HistoryKey::None;
}

HistoryStep StepHistory(TranslationSession& session, HistoryKey key) {
    const bool redo = key == HistoryKey::Redo;
    const std::optional<UndoneAction> action = redo ? session.Redo() : session.Undo();
    if (!action) {
        return {redo ? L"Nothing to redo" : L"Nothing to undo", std::nullopt};
    }
    return {UndoneText(session.Model(), *action, redo), action->string};
}
