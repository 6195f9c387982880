// Findings the translator marked as intended, kept in a small file beside the translation file (whose
// own format stays as it is). A dismissal names the string by id and attr and holds only while the
// string's original and translation read as they did: a change to either brings the finding back.
#pragma once

#include "FileOps.h"
#include "SaveResult.h"
#include "TextUtil.h"

#include <string>
#include <map>
#include <vector>

struct StringItem;

struct Dismissal {
    std::wstring id;
    OptString attr;
    std::wstring kind;   // the finding's kind, as the summary names it
    std::wstring detail; // what tells the finding from the string's others of that kind
    std::wstring original;
    OptString translation;

    // The dismissal of a finding of item with this translation.
    static Dismissal Of(const StringItem& item, const OptString& translation, const std::wstring& kind,
                        const std::wstring& detail);

    bool operator==(const Dismissal& other) const;
};

class Dismissals {
public:
    // translationPath + ".dismissed".
    static std::wstring PathFor(const std::wstring& translationPath);
    // What is kept beside the translation file; none when nothing readable is there.
    static Dismissals Read(const std::wstring& translationPath);
    // Replaces the file beside the translation file with these, safely; with none, the file goes.
    SaveResult Write(FileOps& files, const std::wstring& translationPath) const;

    // Whether a dismissal covers that finding of item with this translation.
    bool Covers(const StringItem& item, const OptString& translation, const std::wstring& kind,
                const std::wstring& detail) const;
    // Whether any dismissal names the item's id and attr: only then can one cover its findings.
    bool Mentions(const StringItem& item) const;

    // Each answers whether anything changed.
    bool Add(Dismissal dismissal);
    bool Remove(const Dismissal& dismissal);
    size_t Size() const { return m_count; }

private:
    std::map<std::wstring, std::vector<Dismissal>> m_byId; // by id, so that the file keeps one order
    size_t m_count = 0;
};
