#include "HistoryKeys.h"

#include "KeyChords.h"
#include "TranslationSession.h"

HistoryKey HistoryKeyOf(const MSG& msg) {
    return IsKeyDownWith(msg, 'Z', kCtrl)   ? HistoryKey::Undo
           : IsKeyDownWith(msg, 'Y', kCtrl) ? HistoryKey::Redo
                                            : HistoryKey::None;
}

HistoryStep StepHistory(TranslationSession& session, HistoryKey key) {
    const bool redo = key == HistoryKey::Redo;
    const std::optional<UndoneAction> action = redo ? session.Redo() : session.Undo();
    if (!action) {
        return {redo ? L"Nothing to redo" : L"Nothing to undo", std::nullopt};
    }
    return {UndoneText(session.Model(), *action, redo), action->string};
}
