// Checks for programmer errors and a trace that tests can turn on. Nothing is shown or logged
// unless a trace sink is set; debug builds also report failed checks to an attached debugger.
#pragma once

#include <string>

namespace tev {

using TraceSink = void (*)(const std::wstring& text);

// Sends every later trace line to sink; null (the default) keeps the program silent.
void SetTraceSink(TraceSink sink);
// printf-style; formatted only while a sink is set.
void Trace(const wchar_t* format, ...);
void ReportFailedCheck(const char* expression, const char* file, int line);

} // namespace tev

// A condition the code relies on. A failed check is traced, breaks into a debugger in debug builds,
// and the caller then takes its safe path.
#define TEV_CHECK(condition)                                                                                 \
    ((condition) ? true : (tev::ReportFailedCheck(#condition, __FILE__, __LINE__), false))
