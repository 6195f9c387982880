#include "FileStamp.h"

std::optional<FileStamp> StampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return FileStamp(static_cast<ULONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                     static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                         data.ftLastWriteTime.dwLowDateTime);
}
