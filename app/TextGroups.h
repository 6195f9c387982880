// Numbered items (a project's strings or units) grouped by a text of theirs, such as an id or an
// original, each group in the order added. A project's groups mostly hold one item: they are kept as
// each group's ends in one open table and a link from each item to the next, not as a list or a node
// per text, which cost one allocation per item.
#pragma once

#include <string_view>
#include <vector>

class TextGroups {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // Empty, for items numbered below count. The texts added are views: they must outlive the groups.
    void Reset(size_t count);
    // The item joins the end of its text's group.
    void Add(std::wstring_view text, size_t item);
    // The first item of the text's group; kNone when none has it.
    size_t First(std::wstring_view text) const;
    // The item after this one in its group; kNone after the last.
    size_t Next(size_t item) const { return m_next[item]; }

private:
    struct Group {
        std::wstring_view text;
        size_t hash = 0;
        size_t first = kNone; // kNone: the slot is free
        size_t last = kNone;
    };
    // The slot of the text's group, or the free slot where it would go.
    size_t SlotOf(std::wstring_view text, size_t hash) const;

    // At most one group per item, in twice as many slots: a probe ends soon.
    std::vector<Group> m_groups;
    std::vector<size_t> m_next;
};
