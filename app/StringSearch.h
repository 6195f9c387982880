// The string list's search: a text is found in an original or a translation as written or as a
// control shows it (without its "&" accelerator marks), ignoring case.
#pragma once

#include "ProjectModel.h"

#include <string>
#include <string_view>
#include <vector>

// Ordinal matching that ignores case, as the search does it.
bool ContainsNoCase(std::wstring_view text, std::wstring_view search);

class StringSearch {
public:
    // Indexes the originals once per project: they never change while it is open.
    void Index(const std::vector<StringItem>& strings);
    // "Chart folder" finds "Cha&rt folder", and "Cha&rt" finds it too. index: the item's place in the
    // strings last indexed.
    bool Matches(const StringItem& item, size_t index, std::wstring_view search) const;

private:
    // Each original without its accelerator marks, "" where it has none.
    std::vector<std::wstring> m_plainOriginals;
};
