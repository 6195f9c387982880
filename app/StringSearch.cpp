#include "StringSearch.h"

#include <windows.h>

namespace {

// The upper case of every UTF-16 unit, as ordinal matching that ignores case folds them.
const wchar_t* UpperCaseOfEveryUnit() {
    static const std::vector<wchar_t> table = [] {
        std::vector<wchar_t> units(0x10000);
        for (size_t unit = 0; unit < units.size(); ++unit) {
            units[unit] = static_cast<wchar_t>(unit);
        }
        CharUpperBuffW(units.data(), static_cast<DWORD>(units.size()));
        return units;
    }();
    return table.data();
}

} // namespace

// Through a table: this runs per string per keystroke, and FindStringOrdinal costs about ten times as
// much (StrStrIW two hundred times).
bool ContainsNoCase(std::wstring_view text, std::wstring_view search) {
    const wchar_t* upper = UpperCaseOfEveryUnit();
    for (size_t start = 0; start + search.size() <= text.size(); ++start) {
        size_t matched = 0;
        while (matched < search.size() && upper[text[start + matched]] == upper[search[matched]]) {
            ++matched;
        }
        if (matched == search.size()) {
            return true;
        }
    }
    return false;
}

void StringSearch::Index(const std::vector<StringItem>& strings) {
    m_plainOriginals.assign(strings.size(), std::wstring());
    for (size_t i = 0; i < strings.size(); ++i) {
        if (strings[i].text.find(L'&') != std::wstring::npos) {
            m_plainOriginals[i] = WithoutAccelerators(strings[i].text);
        }
    }
}

bool StringSearch::Matches(const StringItem& item, size_t index, std::wstring_view search) const {
    if (ContainsNoCase(item.text, search)) {
        return true;
    }
    if (index < m_plainOriginals.size() && !m_plainOriginals[index].empty() &&
        ContainsNoCase(m_plainOriginals[index], search)) {
        return true;
    }
    if (!item.loc) {
        return false;
    }
    if (ContainsNoCase(*item.loc, search)) {
        return true;
    }
    return item.loc->find(L'&') != std::wstring::npos &&
           ContainsNoCase(WithoutAccelerators(*item.loc), search);
}
