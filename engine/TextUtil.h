// Small text helpers shared by the engine and the application.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

// An owned text that may be absent; absent is distinct from empty.
using OptString = std::optional<std::wstring>;

inline const wchar_t* CStrOrNull(const OptString& text) {
    return text ? text->c_str() : nullptr;
}

inline OptString CopyOrNull(const wchar_t* text) {
    return text ? OptString(text) : std::nullopt;
}

// Ordinal comparison ignoring case; a null never equals anything.
bool EqualsNoCase(const wchar_t* a, const wchar_t* b);
inline bool EqualsNoCase(const OptString& a, const wchar_t* b) {
    return a && EqualsNoCase(a->c_str(), b);
}

// The text as a control label shows it: a single "&" marks the mnemonic, "&&" shows one "&".
std::wstring WithoutAccelerators(std::wstring_view text);

// printf-style formatting into a string of exactly the needed length.
std::wstring FormatText(const wchar_t* format, ...);
std::wstring FormatTextV(const wchar_t* format, va_list args);
