// Numbered items (a project's strings or units) grouped by a text of theirs, such as an id or an
// original, each group in the order added. A project's groups mostly hold one item: they are kept as
// each group's ends and a link from each item to the next, not as a list per text, which cost one
// allocation per item.
#pragma once

#include <string_view>
#include <unordered_map>
#include <utility>
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
    std::unordered_map<std::wstring_view, std::pair<size_t, size_t>> m_ends; // first and last item
    std::vector<size_t> m_next;
};
