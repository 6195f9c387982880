// Suggestions for a string from translations made before: other projects' files of the same language
// and this project's own strings. An original matches exactly, or by the share of its words that an
// edit keeps (accelerator marks, case and placeholders aside), from 70 % up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class ProjectModel;

struct Suggestion {
    std::wstring original;
    std::wstring translation;
    std::wstring origin; // the project it comes from
    int percent = 0;     // 100: the same original
};

class TranslationMemory {
public:
    static constexpr int kLeastPercent = 70;

    // A translation of another project's.
    void Add(const std::wstring& original, const std::wstring& translation, const std::wstring& origin);
    // The entries of a translation file that carry both the original and the translation; false when
    // the file does not read.
    bool AddTranslationFile(const std::wstring& path, const std::wstring& origin);
    // This project's strings: their translations are looked up in the model at each suggestion, so
    // they follow every change. The model must outlive the memory or the next call.
    void AddProject(const ProjectModel& model, const std::wstring& origin);

    // The best translations for the original, best first, each translation once; except: a string
    // of the project not to be suggested to itself.
    std::vector<Suggestion> Suggest(const std::wstring& original, std::optional<size_t> except = std::nullopt,
                                    size_t count = 3) const;
    size_t Size() const { return m_entries.size(); }

private:
    static constexpr size_t kNoString = static_cast<size_t>(-1);
    struct Entry {
        std::vector<uint32_t> words;
        size_t fixed = 0;          // index into m_fixed, unless the entry is a project string
        size_t string = kNoString; // the project string, whose translation is looked up
    };
    struct Fixed {
        std::wstring original;
        std::wstring translation;
        size_t origin;
    };

    void AddEntry(const std::wstring& original, size_t fixed, size_t string);
    // The text's words as ids, new words added when learning, else unknown ones as kUnknownWord.
    std::vector<uint32_t> WordsOf(const std::wstring& text, bool learn);
    std::vector<uint32_t> KnownWordsOf(const std::wstring& text) const;
    std::vector<uint32_t> Candidates(const std::vector<uint32_t>& words) const;
    std::optional<Suggestion> SuggestionOf(const Entry& entry) const;

    std::unordered_map<std::wstring, uint32_t> m_wordIds;
    std::vector<std::vector<uint32_t>> m_postings; // by word id: the entries holding it
    std::vector<Entry> m_entries;
    std::vector<Fixed> m_fixed;
    std::vector<std::wstring> m_origins;
    const ProjectModel* m_model = nullptr;
    size_t m_projectOrigin = 0;
};
