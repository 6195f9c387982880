#include "TranslationWriter.h"

#include <algorithm>
#include <string_view>

// The characters the platform's writer replaces in an attribute value; line breaks and tabs become
// references so that they read back unchanged rather than as spaces. All sort at or below '>'.
std::wstring_view XmlReferenceFor(wchar_t c) {
    switch (c) {
    case L'"':
        return L"&quot;";
    case L'&':
        return L"&amp;";
    case L'<':
        return L"&lt;";
    case L'>':
        return L"&gt;";
    case L'\n':
        return L"&#10;";
    case L'\r':
        return L"&#13;";
    case L'\t':
        return L"&#9;";
    default:
        return {};
    }
}

namespace {

// Hands put each character of the text, or the reference that replaces it.
template <typename Put> void PutXmlEscaped(std::wstring_view text, Put put) {
    for (const wchar_t c : text) {
        const std::wstring_view reference = c <= L'>' ? XmlReferenceFor(c) : std::wstring_view();
        if (reference.empty()) {
            put(c);
        } else {
            put(reference);
        }
    }
}

} // namespace

void AppendXmlEscaped(std::wstring& out, std::wstring_view text) {
    PutXmlEscaped(text, [&out](auto piece) { out += piece; });
}

namespace {

const std::wstring_view kHeader = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";
// Large enough that writing costs little more than one write of the whole text, small enough that
// no text of megabytes is ever made.
const size_t kPieceLength = 32768;

// Collects characters into pieces for the sink. Once the sink has refused a piece, the rest goes
// nowhere.
class PieceWriter {
public:
    explicit PieceWriter(const ByteSink& sink) : m_sink(sink), m_piece(kPieceLength) {}

    void Put(wchar_t c) {
        if (m_used == m_piece.size()) {
            Flush();
        }
        m_piece[m_used++] = c;
    }
    void Put(std::wstring_view text) {
        for (const wchar_t c : text) {
            Put(c);
        }
    }
    bool Flush() {
        if (m_accepted && m_used > 0) {
            m_accepted = m_sink(m_piece.data(), m_used * sizeof(wchar_t));
        }
        m_used = 0;
        return m_accepted;
    }
    bool Accepted() const { return m_accepted; }

private:
    const ByteSink& m_sink;
    std::vector<wchar_t> m_piece;
    size_t m_used = 0;
    bool m_accepted = true;
};

void PutAttribute(PieceWriter& out, std::wstring_view nameAndQuote, const std::wstring& value) {
    out.Put(nameAndQuote);
    PutXmlEscaped(value, [&out](auto piece) { out.Put(piece); });
    out.Put(L'"');
}

} // namespace

bool WriteTranslationFile(const std::vector<StringItem>& strings, const ByteSink& sink,
                          const std::vector<size_t>& unitHeads) {
    PieceWriter out(sink);
    out.Put(kHeader);
    const bool anyTranslated = std::any_of(strings.begin(), strings.end(),
                                           [](const StringItem& item) { return item.loc.has_value(); });
    if (!anyTranslated) {
        // The writer closes an element without children in its start tag.
        out.Put(L"<strings/>\n");
        return out.Flush();
    }
    out.Put(L"<strings>");
    for (size_t s = 0; s < strings.size(); ++s) {
        const StringItem& item = strings[s];
        if (!out.Accepted()) {
            return false;
        }
        if (!item.loc || (s < unitHeads.size() && unitHeads[s] != s)) {
            continue;
        }
        PutAttribute(out, L"<string id=\"", item.id);
        if (item.attr) {
            PutAttribute(out, L" attr=\"", *item.attr);
        }
        // A translation that still needs review keeps the original it was made from.
        PutAttribute(out, L" text=\"", item.madeFrom ? *item.madeFrom : item.text);
        PutAttribute(out, L" loc=\"", *item.loc);
        out.Put(L"/>");
    }
    out.Put(L"</strings>\n");
    return out.Flush();
}
