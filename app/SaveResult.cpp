#include "SaveResult.h"

#include "TextUtil.h"

namespace {

SaveCause CauseOf(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return SaveCause::DiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        return SaveCause::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return SaveCause::InUse;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return SaveCause::PathNotFound;
    default:
        return SaveCause::Other;
    }
}

const wchar_t kUnchanged[] = L"The file on disk was not changed.";

} // namespace

// Without the line break the system ends its words with.
std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    LocalFree(buffer);
    text.erase(text.find_last_not_of(L"\r\n ") + 1);
    return text.empty() ? FormatText(L"System error %lu.", error)
                        : FormatText(L"%s (error %lu)", text.c_str(), error);
}

SaveResult SaveFailure(DWORD error, const std::wstring& path) {
    return {CauseOf(error), error, path, {}};
}

std::wstring SaveResult::Message() const {
    const wchar_t* file = path.c_str();
    switch (cause) {
    case SaveCause::Saved:
        return std::wstring();
    case SaveCause::DiskFull:
        return FormatText(
            L"There is not enough space on the disk to save the translation file:\n%s\n\n%s Free "
            L"some space, then save again.",
            file, kUnchanged);
    case SaveCause::AccessDenied:
        return FormatText(
            L"You are not allowed to write the translation file:\n%s\n\n%s Check the permissions "
            L"of the file and its folder, then save again.",
            file, kUnchanged);
    case SaveCause::ReadOnly:
        return FormatText(L"The translation file is read-only:\n%s\n\n%s To save, clear its read-only "
                          L"attribute, then save again.",
                          file, kUnchanged);
    case SaveCause::InUse:
        return FormatText(L"Another program is using the translation file:\n%s\n\n%s Close the file in the "
                          L"other program, then save again.",
                          file, kUnchanged);
    case SaveCause::PathNotFound:
        return FormatText(L"The folder of the translation file cannot be found or made:\n%s\n\n%s Check that "
                          L"the drive and the output folder exist, then save again.",
                          file, kUnchanged);
    case SaveCause::Incomplete:
        return FormatText(L"The translation file could not be written completely:\n%s\n\n%s Save again.",
                          file, kUnchanged);
    case SaveCause::NoFreeName:
        return FormatText(
            L"No name is free beside the translation file for its temporary or backup copy:\n%s\n\n%s "
            L"Move the old .tmp and .bak copies beside it away, then save again.",
            file, kUnchanged);
    case SaveCause::UnsavableText:
        return FormatText(L"The translation of \"%s\" holds a control character that a strings file cannot "
                          L"carry. Change it, then save again.",
                          original.c_str());
    case SaveCause::Other:
        break;
    }
    return FormatText(L"The translation file could not be saved:\n%s\n\n%s\n\n%s", file,
                      SystemErrorText(error).c_str(), kUnchanged);
}
