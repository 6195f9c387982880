// Our writer of translation files against the platform's XML writer: the same bytes for the same
// strings, whatever the texts hold.
#include "TranslationWriter.h"

#include "TestSupport.h"
#include "XmlDom.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The file as the platform's XML service writes it, from a document built as the model once built it.
std::string PlatformWriterBytes(const std::vector<StringItem>& strings, const std::wstring& path) {
    ComPtr<IXMLDOMDocument> document = xml::CreateDocument();
    EXPECT_TRUE(
        xml::AppendProcessingInstruction(document.Get(), L"xml", L"version=\"1.0\" encoding=\"UTF-16\""));
    ComPtr<IXMLDOMElement> root =
        xml::AppendElement(document.Get(), xml::AsNode(document.Get()).Get(), L"strings");
    for (const StringItem& item : strings) {
        if (!item.loc) {
            continue;
        }
        ComPtr<IXMLDOMElement> element = xml::AppendElement(document.Get(), root.Get(), L"string");
        xml::SetAttribute(element.Get(), L"id", item.id.c_str());
        if (item.attr) {
            xml::SetAttribute(element.Get(), L"attr", item.attr->c_str());
        }
        xml::SetAttribute(element.Get(), L"text", item.text.c_str());
        xml::SetAttribute(element.Get(), L"loc", item.loc->c_str());
    }
    EXPECT_TRUE(xml::SaveFile(document.Get(), path.c_str()));
    return ReadBytes(path);
}

std::string OurBytes(const std::vector<StringItem>& strings) {
    std::string bytes;
    EXPECT_TRUE(WriteTranslationFile(strings, [&](const void* piece, size_t size) {
        bytes.append(static_cast<const char*>(piece), size);
        return true;
    }));
    return bytes;
}

// The bytes read as UTF-16 LE, so that a difference reads as text.
std::wstring AsText(const std::string& bytes) {
    std::wstring text((bytes.size() + 1) / 2, L'\0');
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(&text[0]));
    return text;
}

} // namespace

TEST(TranslationWriter, WritesTheBytesOfThePlatformsWriter) {
    const OptString none;
    const std::vector<std::vector<StringItem>> models = {
        {},
        {{L"untranslated", L"label", L"Text", none}},
        {
            {L"quotes", L"label", L"\"double\" 'single'", L"\"doppelt\" 'einfach'"},
            {L"markup", none, L"a & b < c > d ]]> &amp; &#10;", L"<b>&</b>"},
            {L"breaks", L"value", L"lf\ncr\rcrlf\r\nend", L"tab\there\t\t"},
            {L"astral", none, L"\xD83D\xDE00 \xD834\xDD1E", L"\xD83D\xDE00!"},
            {L"empty", L"caption", L"Text", L""},
            {L"untranslated", none, L"Skipped", none},
            {L"other", L"", L"\x0420\x0443\x0441 \x4E2D \x00A0\x0085\x007F\x2028", L" spaced "},
            {L"id \"&<>\t\n", L"a\"ttr&\r", L"T", L"x"},
        },
    };
    TempDir folder;
    for (size_t m = 0; m < models.size(); ++m) {
        const std::string platform = PlatformWriterBytes(models[m], folder.File(L"platform.xml"));
        const std::string ours = OurBytes(models[m]);
        EXPECT_EQ(platform.size(), ours.size()) << "model " << m;
        EXPECT_EQ(AsText(platform), AsText(ours)) << "model " << m;
    }
}

TEST(TranslationWriter, StopsAtThePieceTheSinkRefuses) {
    std::vector<StringItem> strings(20000, StringItem{L"id", std::nullopt, L"Text", L"Translated"});
    const size_t whole = OurBytes(strings).size();
    size_t pieces = 0, given = 0;
    EXPECT_FALSE(WriteTranslationFile(strings, [&](const void*, size_t size) {
        given += size;
        return ++pieces < 2;
    }));
    EXPECT_EQ(2u, pieces);
    EXPECT_LT(given, whole);
}
