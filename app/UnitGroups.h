// Units grouped by a text of theirs (an id, an original), each group in project order. A project's
// groups are mostly of one unit: they are kept as each group's ends and a link from each unit to the
// next, not as a list per text, which cost one allocation per unit.
#pragma once

#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class UnitGroups {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // Empty, for units numbered below count. The texts added are views: they must outlive the groups.
    void Reset(size_t count);
    // The unit joins the end of its text's group.
    void Add(std::wstring_view text, size_t unit);
    // The first unit of the text's group; kNone when none has it.
    size_t First(std::wstring_view text) const;
    // The unit after this one in its group; kNone after the last.
    size_t Next(size_t unit) const { return m_next[unit]; }

private:
    std::unordered_map<std::wstring_view, std::pair<size_t, size_t>> m_ends; // first and last unit
    std::vector<size_t> m_next;
};
