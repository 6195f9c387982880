// Keys the translator's windows answer before any control: a key pressed with exactly the given
// modifiers held, by the keyboard state as the message stands.
#pragma once

#include <windows.h>

enum KeyModifier : unsigned { kNoModifier = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

// True for WM_KEYDOWN of key while exactly the modifiers (a combination of KeyModifier) are held.
bool IsKeyDownWith(const MSG& msg, WPARAM key, unsigned modifiers);
