#include "Diagnostics.h"

#include "TextUtil.h"

#include <windows.h>

#include <cstdarg>

namespace {

tev::TraceSink g_sink = nullptr;

} // namespace

namespace tev {

void SetTraceSink(TraceSink sink) {
    g_sink = sink;
}

void Trace(const wchar_t* format, ...) {
    if (!g_sink) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    const std::wstring text = FormatTextV(format, arguments);
    va_end(arguments);
    g_sink(text);
}

void ReportFailedCheck(const char* expression, const char* file, int line) {
    Trace(L"check failed: %hs (%hs:%d)", expression, file, line);
#ifndef NDEBUG
    OutputDebugStringA(expression);
    if (IsDebuggerPresent()) {
        DebugBreak();
    }
#endif
}

} // namespace tev
