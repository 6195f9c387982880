#include "PathRules.h"

#include <algorithm>
#include <cwctype>

namespace {

bool IsClimbingSegment(const std::wstring& segment) {
    return segment.find_first_not_of(L". ") == std::wstring::npos &&
           std::count(segment.begin(), segment.end(), L'.') >= 2;
}

// The devices of every folder; the digit of COM and LPT may also be 0 or a superscript 1, 2 or 3.
bool IsDeviceStem(std::wstring stem) {
    for (wchar_t& c : stem) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$") {
        return true;
    }
    const bool port =
        stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0);
    return port && ((stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == L'\xB9' || stem[3] == L'\xB2' ||
                    stem[3] == L'\xB3');
}

} // namespace

bool NamesDevice(const std::wstring& segment) {
    std::wstring stem = segment.substr(0, segment.find(L'.'));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    return IsDeviceStem(stem);
}

bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

bool IsRootedPath(const std::wstring& path) {
    return (!path.empty() && IsPathSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}

bool IsSafeRelativePath(const std::wstring& path) {
    if (IsRootedPath(path) || path.find(L':') != std::wstring::npos) {
        return false;
    }
    int depth = 0;
    std::wstring segment;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find_first_of(L"\\/", start), path.size());
        segment = path.substr(start, end - start);
        if (NamesDevice(segment)) {
            return false;
        }
        if (IsClimbingSegment(segment)) {
            if (--depth < 0) {
                return false;
            }
        } else if (!segment.empty() && segment != L".") {
            ++depth;
        }
        start = end + 1;
    }
    // The last segment is the file name.
    return !segment.empty() && segment != L"." && !IsClimbingSegment(segment);
}
