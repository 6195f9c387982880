// Reading VARNO string files and matching their pairs to the project's strings.
#include "ImportStrings.h"

#include "XmlDom.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The first child element named name, or null.
ComPtr<IXMLDOMNode> ChildElement(IXMLDOMNode* parent, const wchar_t* name) {
    for (ComPtr<IXMLDOMNode> child = xml::FirstChild(parent); child; child = xml::NextSibling(child.Get())) {
        if (xml::IsElement(child.Get()) && xml::NodeName(child.Get()) == name) {
            return child;
        }
    }
    return nullptr;
}

std::vector<ImportPair> ReadXmlPairs(IXMLDOMDocument* document) {
    std::vector<ImportPair> pairs;
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document).Get(), L"translation");
    for (ComPtr<IXMLDOMNode> pair = xml::FirstChild(root.Get()); pair; pair = xml::NextSibling(pair.Get())) {
        ComPtr<IXMLDOMNode> src = ChildElement(pair.Get(), L"src");
        ComPtr<IXMLDOMNode> dst = ChildElement(pair.Get(), L"dst");
        if (src && dst) {
            pairs.push_back({xml::NodeText(src.Get()), xml::NodeText(dst.Get())});
        }
    }
    return pairs;
}

// The document when the file parses as XML, keeping the texts' white space and line breaks as
// written: a multi-line original must match the project's text exactly.
ComPtr<IXMLDOMDocument> LoadKeepingWhiteSpace(const std::wstring& path) {
    ComPtr<IXMLDOMDocument> document = xml::CreateDocument();
    if (!document || FAILED(document->put_preserveWhiteSpace(VARIANT_TRUE)) ||
        !xml::LoadFile(document.Get(), path.c_str())) {
        return nullptr;
    }
    return document;
}

} // namespace

std::vector<ImportPair> ParseImportText(std::wstring_view units) {
    constexpr wchar_t kByteOrderMark = 0xFEFF;
    if (!units.empty() && units.front() == kByteOrderMark) {
        units.remove_prefix(1);
    }
    std::vector<ImportPair> pairs;
    while (!units.empty()) {
        const size_t feed = units.find(L'\n');
        std::wstring_view line = units.substr(0, feed);
        units.remove_prefix(feed == std::wstring_view::npos ? units.size() : feed + 1);
        if (feed != std::wstring_view::npos && !line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        const size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos) {
            pairs.push_back({std::wstring(line.substr(0, equals)), std::wstring(line.substr(equals + 1))});
        }
    }
    return pairs;
}

std::vector<ImportPair> ReadImportFile(const std::wstring& path) {
    // A string file of that size is no string file; reading it whole would exhaust the memory.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), error);
    if (error || size > kMaxImportFileBytes) {
        return {};
    }
    if (ComPtr<IXMLDOMDocument> document = LoadKeepingWhiteSpace(path)) {
        return ReadXmlPairs(document.Get());
    }
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) {
        return {};
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // UTF-16 code units as stored, little-endian; an odd last byte is no unit.
    std::wstring units(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return ParseImportText(units);
}

OriginalTextIndex::OriginalTextIndex(const std::vector<StringItem>& strings) {
    for (size_t i = 0; i < strings.size(); ++i) {
        m_groups[strings[i].text].push_back(i);
    }
}

const std::vector<size_t>& OriginalTextIndex::Find(std::wstring_view original) const {
    static const std::vector<size_t> kNone;
    const auto found = m_groups.find(original);
    return found == m_groups.end() ? kNone : found->second;
}

void ApplyImport(const std::vector<StringItem>& strings, const std::vector<ImportPair>& pairs,
                 const std::function<void(size_t, const std::wstring&)>& setTranslation) {
    const OriginalTextIndex index(strings);
    for (const ImportPair& pair : pairs) {
        for (size_t i : index.Find(pair.original)) {
            if (!strings[i].loc) {
                setTranslation(i, pair.translation);
            }
        }
    }
}
