#include "Mutator.h"

#include <algorithm>
#include <cctype>

namespace {

template <size_t N> const char* PickFrom(Mutator& m, const char* const (&choices)[N]) {
    return choices[m.Below(N)];
}

void InsertCapped(std::string& text, size_t at, const std::string& piece) {
    if (text.size() + piece.size() <= kMaxInputBytes) {
        text.insert(at, piece);
    }
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == ':' || c == '.';
}

std::string NameAt(const std::string& text, size_t open) {
    size_t end = open + 1;
    while (end < text.size() && IsNameChar(text[end])) {
        ++end;
    }
    return text.substr(open + 1, end - open - 1);
}

// The end (one past '>') of the element whose start tag begins at open: its end tag, or the
// start tag alone when it closes itself or no end tag follows.
size_t ElementEnd(const std::string& text, size_t open) {
    const size_t tagEnd = text.find('>', open);
    if (tagEnd == std::string::npos) {
        return text.size();
    }
    if (tagEnd > open && text[tagEnd - 1] == '/') {
        return tagEnd + 1;
    }
    const size_t close = text.find("</" + NameAt(text, open), tagEnd);
    if (close == std::string::npos) {
        return tagEnd + 1;
    }
    const size_t closeEnd = text.find('>', close);
    return closeEnd == std::string::npos ? text.size() : closeEnd + 1;
}

} // namespace

unsigned Mutator::Factor(unsigned gentle, unsigned wild) {
    if (m_gentle) {
        return 2 + Below(gentle - 1);
    }
    // Spread over orders of magnitude: as many large factors as small ones.
    const unsigned magnitude = 2 + Below(wild);
    return 2 + Below(Below(2) ? magnitude : magnitude / 10 + 1);
}

void Mutator::MutateBytes(Bytes& data, const Bytes& other) {
    static const uint32_t kInteresting[] = {
        0,      1,       0x7F,       0x80,       0xFF,       0x100,      0x7FFF,     0x8000,
        0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 0x40000000, 0x3FFF};
    for (unsigned step = 1 + Below(4); step > 0; --step) {
        const size_t at = Below(static_cast<unsigned>(data.size()) + 1);
        switch (Below(8)) {
        case 0:
            if (at < data.size()) {
                data[at] ^= static_cast<uint8_t>(1u << Below(8));
            }
            break;
        case 1: {
            const uint32_t value = kInteresting[Below(std::size(kInteresting))];
            const unsigned width = 1u << Below(3);
            for (unsigned b = 0; b < width && at + b < data.size(); ++b) {
                data[at + b] = static_cast<uint8_t>(value >> (8 * (Below(2) ? b : width - 1 - b)));
            }
            break;
        }
        case 2:
            for (unsigned n = 1 + Below(16); n > 0; --n) {
                data.insert(data.begin() + at, static_cast<uint8_t>(Below(256)));
            }
            break;
        case 3:
            if (at < data.size()) {
                data.erase(data.begin() + at, data.begin() + std::min(data.size(), at + 1 + Below(64)));
            }
            break;
        case 4: {
            // A chunk repeated in place, as a run-away repetition in a file would be.
            const size_t length = std::min<size_t>(data.size() - at, 1 + Below(256));
            const Bytes chunk(data.begin() + at, data.begin() + at + length);
            for (unsigned n = Factor(4, 2000); n > 0 && data.size() + chunk.size() <= kMaxInputBytes; --n) {
                data.insert(data.begin() + at, chunk.begin(), chunk.end());
            }
            break;
        }
        case 5:
            if (!other.empty()) {
                const size_t from = Below(static_cast<unsigned>(other.size()));
                data.resize(at);
                data.insert(data.end(), other.begin() + from, other.end());
            }
            break;
        case 6:
            data.resize(at);
            break;
        default:
            if (at < data.size()) {
                data[at] = static_cast<uint8_t>(Below(256));
            }
            break;
        }
    }
}

void Mutator::MutateXml(Bytes& data) {
    std::string text(data.begin(), data.end());
    switch (Below(4)) {
    case 0:
        RepeatElement(text);
        break;
    case 1:
        NestDeeply(text);
        break;
    case 2:
        AddOddAttribute(text);
        break;
    default:
        AddLongText(text);
        break;
    }
    data.assign(text.begin(), text.end());
}

void Mutator::MutateXmlOrBytes(Bytes& data, const Bytes& other) {
    const unsigned choice = Below(3);
    if (choice != 1) {
        for (unsigned n = 1 + Below(2); n > 0; --n) {
            MutateXml(data);
        }
    }
    if (choice != 0) {
        MutateBytes(data, other);
    }
}

void Mutator::RepeatTail(Bytes& data) {
    const size_t from = Below(static_cast<unsigned>(data.size()) + 1);
    const Bytes tail(data.begin() + from, data.end());
    const size_t target = m_gentle ? data.size() * 4 : 1 + Below(kMaxInputBytes);
    while (!tail.empty() && data.size() + tail.size() <= target) {
        data.insert(data.end(), tail.begin(), tail.end());
    }
}

size_t Mutator::RandomStartTag(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t at = 0; at + 1 < text.size(); ++at) {
        if (text[at] == '<' && std::isalpha(static_cast<unsigned char>(text[at + 1]))) {
            starts.push_back(at);
        }
    }
    return starts.empty() ? std::string::npos : starts[Below(static_cast<unsigned>(starts.size()))];
}

void Mutator::RepeatElement(std::string& text) {
    const size_t open = RandomStartTag(text);
    if (open == std::string::npos) {
        return;
    }
    const size_t end = ElementEnd(text, open);
    const std::string element = text.substr(open, end - open);
    std::string copies;
    for (unsigned n = Factor(6, 3000);
         n > 0 && copies.size() + element.size() + text.size() <= kMaxInputBytes; --n) {
        copies += element;
    }
    text.insert(end, copies);
}

void Mutator::NestDeeply(std::string& text) {
    static const char* const kContainers[] = {"box",    "vbox",     "hbox",    "groupbox",    "radiogroup",
                                              "tabbox", "tabpanel", "strings", "translation", "item"};
    const size_t open = RandomStartTag(text);
    if (open == std::string::npos) {
        return;
    }
    const size_t tagEnd = text.find('>', open);
    if (tagEnd == std::string::npos) {
        return;
    }
    const std::string name = Below(2) ? NameAt(text, open) : PickFrom(*this, kContainers);
    const unsigned depth = Factor(8, 4000);
    std::string nest;
    for (unsigned n = 0; n < depth; ++n) {
        nest += "<" + name + (Below(8) ? ">" : " orient=\"horizontal\" hFlex=\"1\">");
    }
    nest += Below(2) ? "<label value=\"x\"/>" : "text";
    for (unsigned n = 0; n < depth; ++n) {
        nest += "</" + name + ">";
    }
    InsertCapped(text, tagEnd + 1, nest);
}

void Mutator::AddOddAttribute(std::string& text) {
    static const char* const kNames[] = {"width",         "height",   "minwidth",  "minheight", "maxwidth",
                                         "maxheight",     "picWidth", "picHeight", "hFlex",     "vFlex",
                                         "flex",          "rows",     "cols",      "size",      "maxlength",
                                         "min",           "max",      "increment", "value",     "orient",
                                         "selectedIndex", "colspan",  "pageSize",  "left",      "top"};
    static const char* const kGentleValues[] = {"0",   "-1", "1", "2",   "50",
                                                "400", "x",  "",  "1.5", "horizontal"};
    static const char* const kWildValues[] = {
        "2147483647", "-2147483648", "4294967296", "99999999999999999999",
        "65535",      "1000000",     "-1000000",   "1e308"};
    const size_t open = RandomStartTag(text);
    if (open == std::string::npos) {
        return;
    }
    const std::string value =
        m_gentle || Below(3) == 0 ? PickFrom(*this, kGentleValues) : PickFrom(*this, kWildValues);
    InsertCapped(text, open + 1 + NameAt(text, open).size(),
                 std::string(" ") + PickFrom(*this, kNames) + "=\"" + value + "\"");
}

void Mutator::AddLongText(std::string& text) {
    static const char* const kPieces[] = {"a", "W", " ", "&amp;", "\xC3\xA4", "&#10;", "x y ", "&lt;b&gt;"};
    const size_t quote = text.find("=\"", Below(static_cast<unsigned>(text.size()) + 1));
    if (quote == std::string::npos) {
        return;
    }
    const std::string piece = PickFrom(*this, kPieces);
    std::string run;
    for (unsigned n = Factor(40, 400000); n > 0 && run.size() < kMaxInputBytes / 2; --n) {
        run += piece;
    }
    InsertCapped(text, quote + 2, run);
}
