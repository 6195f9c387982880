#include "UnitGroups.h"

void UnitGroups::Reset(size_t count) {
    m_ends.clear();
    m_ends.reserve(count);
    m_next.assign(count, kNone);
}

void UnitGroups::Add(std::wstring_view text, size_t unit) {
    const auto [ends, added] = m_ends.try_emplace(text, unit, unit);
    if (!added) {
        m_next[ends->second.second] = unit;
        ends->second.second = unit;
    }
}

size_t UnitGroups::First(std::wstring_view text) const {
    const auto ends = m_ends.find(text);
    return ends == m_ends.end() ? kNone : ends->second.first;
}
