#include "WordDiff.h"

#include <algorithm>
#include <cwctype>

namespace {

// Words and the white space between them, each a token of its own.
std::vector<std::wstring> Tokens(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    for (size_t i = 0; i < text.size();) {
        const bool space = std::iswspace(text[i]) != 0;
        size_t end = i + 1;
        while (end < text.size() && (std::iswspace(text[end]) != 0) == space) {
            ++end;
        }
        tokens.push_back(text.substr(i, end - i));
        i = end;
    }
    return tokens;
}

std::wstring Visible(const std::wstring& text) {
    std::wstring shown;
    for (wchar_t c : text) {
        shown += c == L' ' ? L'\x00B7' : c == L'\t' ? L'\x2192' : (c == L'\n' || c == L'\r') ? L'\x00B6' : c;
    }
    return shown;
}

void Append(std::vector<DiffPiece>& pieces, DiffPiece::Kind kind, const std::wstring& text) {
    if (!pieces.empty() && pieces.back().kind == kind) {
        pieces.back().text += text;
    } else {
        pieces.push_back({kind, text});
    }
}

// Originals are short; past this many tokens a side the two are shown as one replacement rather
// than compared in quadratic time.
constexpr size_t kMaxTokens = 2000;

} // namespace

std::vector<DiffPiece> DiffWords(const std::wstring& before, const std::wstring& after) {
    const std::vector<std::wstring> a = Tokens(before);
    const std::vector<std::wstring> b = Tokens(after);
    std::vector<DiffPiece> pieces;
    if (a.size() > kMaxTokens || b.size() > kMaxTokens) {
        Append(pieces, DiffPiece::Deleted, before);
        Append(pieces, DiffPiece::Inserted, after);
        return pieces;
    }
    // The longest common subsequence of tokens, from the end, then walked from the start.
    std::vector<std::vector<unsigned>> common(a.size() + 1, std::vector<unsigned>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;) {
        for (size_t j = b.size(); j-- > 0;) {
            common[i][j] =
                a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            Append(pieces, DiffPiece::Same, a[i++]);
            ++j;
        } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
            Append(pieces, DiffPiece::Deleted, a[i++]);
        } else {
            Append(pieces, DiffPiece::Inserted, b[j++]);
        }
    }
    return pieces;
}

std::wstring DiffText(const std::vector<DiffPiece>& pieces) {
    std::wstring text;
    for (const DiffPiece& piece : pieces) {
        switch (piece.kind) {
        case DiffPiece::Same:
            text += piece.text;
            break;
        case DiffPiece::Deleted:
            text += L"[-" + Visible(piece.text) + L"-]";
            break;
        case DiffPiece::Inserted:
            text += L"{+" + Visible(piece.text) + L"+}";
            break;
        }
    }
    return text;
}
