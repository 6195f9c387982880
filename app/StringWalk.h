// Walking to the next string that wants the translator: the next untranslated one or the next with
// findings, either way round, among the rows the list shows, wrapping at the ends. The main window
// and the translate dialog answer the same keys with it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

class TranslationSession;

enum class WalkTarget { Untranslated, Problem };
enum class WalkDirection { Forward, Backward };

struct StringWalk {
    WalkTarget target;
    WalkDirection direction;
};

// Ctrl+Shift+Down / Ctrl+Shift+Up: the next / previous untranslated string; F8 / Shift+F8: the next /
// previous string with findings. Absent for any other key.
std::optional<StringWalk> WalkOfKey(const MSG& msg);

// The first row after from (before it, going backward) whose string is the walk's target, wrapping
// around; from itself comes last, so a lone match is found from anywhere. Without from the walk starts
// at the first row (forward) or the last (backward). Absent when no row matches.
std::optional<size_t> FindRow(const TranslationSession& session, std::optional<size_t> from, StringWalk walk);
