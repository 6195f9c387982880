#include "LineWriter.h"

#include <algorithm>

namespace {

bool HasHandle(DWORD standardHandle) {
    const HANDLE handle = GetStdHandle(standardHandle);
    return handle && handle != INVALID_HANDLE_VALUE;
}

HANDLE OpenParentConsole() {
    AttachConsole(ATTACH_PARENT_PROCESS);
    return CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
}

std::string ToUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

} // namespace

LineWriter::LineWriter(const std::wstring& path)
    : m_file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr)),
      m_handle(m_file.Get()) {}

LineWriter::LineWriter(DWORD standardHandle)
    : m_file(HasHandle(standardHandle) ? INVALID_HANDLE_VALUE : OpenParentConsole()),
      m_handle(m_file.Valid() ? m_file.Get() : GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    m_console = Usable() && GetConsoleMode(m_handle, &mode);
}

bool LineWriter::Write(const std::wstring& line) {
    if (!Usable()) {
        return false;
    }
    const std::wstring text = line + L"\r\n";
    DWORD written = 0;
    if (m_console) {
        return WriteConsoleW(m_handle, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    const std::string bytes = ToUtf8(text);
    return WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
