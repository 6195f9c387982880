#include "TranslationMemory.h"

#include "ProjectModel.h"
#include "TranslationFile.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace {

constexpr uint32_t kUnknownWord = UINT32_MAX;
// Word distances cost the product of the lengths: longer texts match exactly or not at all.
constexpr size_t kLongestCompared = 300;

// The end of a placeholder starting at i ("%d", "%1", "%-5.2ls", "{0}"); i when none starts there.
size_t PlaceholderEnd(const std::wstring& text, size_t i) {
    size_t end = i + 1;
    if (text[i] == L'{') {
        while (end < text.size() && iswdigit(text[end])) {
            ++end;
        }
        return end > i + 1 && end < text.size() && text[end] == L'}' ? end + 1 : i;
    }
    while (end < text.size() && (iswdigit(text[end]) || wcschr(L"-+ #.lh", text[end]))) {
        ++end;
    }
    return end < text.size() && (IsCharAlphaW(text[end]) || (end > i + 1 && iswdigit(text[end - 1])))
               ? end + (IsCharAlphaW(text[end]) ? 1 : 0)
               : i;
}

// The words of an original as the memory compares them: case folded, accelerator marks left out,
// each placeholder the same word, each sign of punctuation a word; white space separates.
std::vector<std::wstring> Tokens(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    std::wstring word;
    const auto endWord = [&] {
        if (!word.empty()) {
            CharLowerBuffW(word.data(), static_cast<DWORD>(word.size()));
            tokens.push_back(std::move(word));
            word.clear();
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') { // a written ampersand
                endWord();
                tokens.emplace_back(L"&");
                ++i;
            }
            continue;
        }
        if (IsCharAlphaNumericW(c) || c == L'\'') {
            word.push_back(c);
            continue;
        }
        endWord();
        const size_t placeholderEnd = c == L'%' || c == L'{' ? PlaceholderEnd(text, i) : i;
        if (placeholderEnd > i) {
            tokens.emplace_back(L"%");
            i = placeholderEnd - 1;
        } else if (!iswspace(c)) {
            tokens.emplace_back(1, c);
        }
    }
    endWord();
    return tokens;
}

size_t WordDistance(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

void TranslationMemory::Add(const std::wstring& original, const std::wstring& translation,
                            const std::wstring& origin) {
    if (m_origins.empty() || m_origins.back() != origin) {
        m_origins.push_back(origin);
    }
    m_fixed.push_back({original, translation, m_origins.size() - 1});
    AddEntry(original, m_fixed.size() - 1, kNoString);
}

bool TranslationMemory::AddTranslationFile(const std::wstring& path, const std::wstring& origin) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    const bool read = ReadTranslationFile(path.c_str(), [&](const TranslationEntry& entry) {
        if (entry.text && entry.loc && !entry.text->empty() && !entry.loc->empty()) {
            pairs.emplace_back(*entry.text, *entry.loc);
        }
    });
    if (read) {
        for (const auto& [original, translation] : pairs) {
            Add(original, translation, origin);
        }
    }
    return read;
}

void TranslationMemory::AddProject(const ProjectModel& model, const std::wstring& origin) {
    m_model = &model;
    m_origins.push_back(origin);
    m_projectOrigin = m_origins.size() - 1;
    for (size_t s = 0; s < model.Strings().size(); ++s) {
        if (model.UnitHead(s) == s) {
            AddEntry(model.Strings()[s].text, 0, s);
        }
    }
}

void TranslationMemory::AddEntry(const std::wstring& original, size_t fixed, size_t string) {
    const auto entry = static_cast<uint32_t>(m_entries.size());
    m_entries.push_back({WordsOf(original, true), fixed, string});
    for (uint32_t word : m_entries.back().words) {
        std::vector<uint32_t>& posting = m_postings[word];
        if (posting.empty() || posting.back() != entry) {
            posting.push_back(entry);
        }
    }
}

std::vector<uint32_t> TranslationMemory::WordsOf(const std::wstring& text, bool learn) {
    std::vector<uint32_t> words;
    for (std::wstring& token : Tokens(text)) {
        const auto found = m_wordIds.find(token);
        if (found != m_wordIds.end()) {
            words.push_back(found->second);
        } else if (learn) {
            const auto id = static_cast<uint32_t>(m_postings.size());
            m_wordIds.emplace(std::move(token), id);
            m_postings.emplace_back();
            words.push_back(id);
        } else {
            words.push_back(kUnknownWord);
        }
    }
    return words;
}

std::vector<uint32_t> TranslationMemory::KnownWordsOf(const std::wstring& text) const {
    return const_cast<TranslationMemory*>(this)->WordsOf(text, false); // learns nothing
}

// An entry at least kLeastPercent alike differs in at most 3/7 of the query's words (its length is
// bounded by the query's), so it holds one of any 3/7 of them plus one: the rarest are looked up.
std::vector<uint32_t> TranslationMemory::Candidates(const std::vector<uint32_t>& words) const {
    std::vector<uint32_t> known;
    for (uint32_t word : words) {
        if (word != kUnknownWord) {
            known.push_back(word);
        }
    }
    std::sort(known.begin(), known.end());
    known.erase(std::unique(known.begin(), known.end()), known.end());
    std::sort(known.begin(), known.end(),
              [&](uint32_t a, uint32_t b) { return m_postings[a].size() < m_postings[b].size(); });
    known.resize(std::min(known.size(), words.size() * 3 / 7 + 1));
    std::vector<uint32_t> candidates;
    for (uint32_t word : known) {
        candidates.insert(candidates.end(), m_postings[word].begin(), m_postings[word].end());
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    return candidates;
}

std::optional<Suggestion> TranslationMemory::SuggestionOf(const Entry& entry) const {
    if (entry.string == kNoString) {
        const Fixed& fixed = m_fixed[entry.fixed];
        return Suggestion{fixed.original, fixed.translation, m_origins[fixed.origin], 0};
    }
    const StringItem& item = m_model->Strings()[entry.string];
    if (!item.loc || item.loc->empty()) {
        return std::nullopt;
    }
    return Suggestion{item.text, *item.loc, m_origins[m_projectOrigin], 0};
}

std::vector<Suggestion> TranslationMemory::Suggest(const std::wstring& original, std::optional<size_t> except,
                                                   size_t count) const {
    const std::vector<uint32_t> words = KnownWordsOf(original);
    std::vector<Suggestion> found;
    if (words.empty()) {
        return found;
    }
    for (uint32_t candidate : Candidates(words)) {
        const Entry& entry = m_entries[candidate];
        const size_t longer = std::max(words.size(), entry.words.size());
        const size_t shorter = std::min(words.size(), entry.words.size());
        if ((except && entry.string == *except) || shorter * 100 < longer * kLeastPercent ||
            (longer > kLongestCompared && words != entry.words)) {
            continue;
        }
        const auto percent = static_cast<int>((longer - WordDistance(words, entry.words)) * 100 / longer);
        if (percent < kLeastPercent) {
            continue;
        }
        if (std::optional<Suggestion> suggestion = SuggestionOf(entry)) {
            // Only the same original is a full match: case, marks and placeholders differ otherwise.
            suggestion->percent = suggestion->original == original ? 100 : std::min(percent, 99);
            found.push_back(std::move(*suggestion));
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Suggestion& a, const Suggestion& b) { return a.percent > b.percent; });
    std::vector<Suggestion> best;
    for (Suggestion& suggestion : found) {
        const bool known = std::any_of(best.begin(), best.end(), [&](const Suggestion& taken) {
            return taken.translation == suggestion.translation;
        });
        if (!known && best.size() < count) {
            best.push_back(std::move(suggestion));
        }
    }
    return best;
}
