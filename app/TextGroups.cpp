#include "TextGroups.h"

void TextGroups::Reset(size_t count) {
    m_ends.clear();
    m_ends.reserve(count);
    m_next.assign(count, kNone);
}

void TextGroups::Add(std::wstring_view text, size_t item) {
    const auto [ends, added] = m_ends.try_emplace(text, item, item);
    if (!added) {
        m_next[ends->second.second] = item;
        ends->second.second = item;
    }
}

size_t TextGroups::First(std::wstring_view text) const {
    const auto ends = m_ends.find(text);
    return ends == m_ends.end() ? kNone : ends->second.first;
}
