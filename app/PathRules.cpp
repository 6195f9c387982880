#include "PathRules.h"

#include <algorithm>

namespace {

bool IsClimbingSegment(const std::wstring& segment) {
    return segment.find_first_not_of(L". ") == std::wstring::npos &&
           std::count(segment.begin(), segment.end(), L'.') >= 2;
}

} // namespace

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
