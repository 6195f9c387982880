#include "TextGroups.h"

#include <functional>

void TextGroups::Reset(size_t count) {
    size_t slots = 16;
    while (slots < 2 * count) {
        slots *= 2;
    }
    m_groups.assign(slots, Group());
    m_next.assign(count, kNone);
}

size_t TextGroups::SlotOf(std::wstring_view text, size_t hash) const {
    const size_t mask = m_groups.size() - 1;
    size_t slot = hash & mask;
    while (m_groups[slot].first != kNone && (m_groups[slot].hash != hash || m_groups[slot].text != text)) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void TextGroups::Add(std::wstring_view text, size_t item) {
    const size_t hash = std::hash<std::wstring_view>()(text);
    Group& group = m_groups[SlotOf(text, hash)];
    if (group.first == kNone) {
        group = {text, hash, item, item};
    } else {
        m_next[group.last] = item;
        group.last = item;
    }
}

size_t TextGroups::First(std::wstring_view text) const {
    if (m_groups.empty()) {
        return kNone;
    }
    return m_groups[SlotOf(text, std::hash<std::wstring_view>()(text))].first;
}
