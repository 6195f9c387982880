// The named character entities and named colours the HTML subset knows.
#pragma once

#include <windows.h>

#include <string_view>

namespace html {

struct NamedCharacter {
    std::wstring_view key;
    wchar_t character;
};

struct NamedColour {
    std::wstring_view name;
    COLORREF colour;
};

// In the order they are tried; keys are compared case-sensitively over their full length.
const NamedCharacter* NamedCharacters(size_t* count);
// Compared case-insensitively.
const NamedColour* NamedColours(size_t* count);

} // namespace html
