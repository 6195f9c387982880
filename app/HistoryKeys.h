// The undo keys of the translator's windows: Ctrl+Z takes back the last translation action, Ctrl+Y
// makes it again, and the status line says which.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

class TranslationSession;

enum class HistoryKey { None, Undo, Redo };

// Ctrl+Z or Ctrl+Y pressed without Shift or Alt, by the keyboard state as the message stands.
HistoryKey HistoryKeyOf(const MSG& msg);

struct HistoryStep {
    std::wstring status;          // what was undone or redone, or that nothing was
    std::optional<size_t> string; // the first string it changed, for the window to show
};
// Undoes or redoes the session's last action.
HistoryStep StepHistory(TranslationSession& session, HistoryKey key);
