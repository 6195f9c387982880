#include "TextUtil.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

bool EqualsNoCase(const wchar_t* a, const wchar_t* b) {
    if (!a || !b) {
        return false;
    }
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

std::wstring FormatTextV(const wchar_t* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    std::wstring text;
    if (length > 0) {
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
        _vsnwprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    return text;
}

std::wstring FormatText(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatTextV(format, args);
    va_end(args);
    return text;
}

std::wstring WithoutAccelerators(std::wstring_view text) {
    std::wstring plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'&') {
            plain += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == L'&') {
            plain += L'&';
            ++i;
        }
    }
    return plain;
}
