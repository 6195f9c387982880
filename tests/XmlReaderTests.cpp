// Reading XML files as a stream of elements and texts: the stream the callers see is the one the
// document service's tree gives, whichever parser reads the file.
#include "KernelHandles.h"
#include "TestSupport.h"
#include "XmlReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// "<depth name attributes>" for an element.
std::wstring ElementOf(int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
    std::wstring element = L"<" + std::to_wstring(depth) + L" " + std::wstring(name);
    for (const wchar_t* probe : {L"t", L"xmlns:p"}) {
        if (const OptString value = attributes.Get(probe)) {
            element += L" " + std::wstring(probe) + L"=" + *value;
        }
    }
    return element + L">";
}

// The element per element, "depth[text]" per text, then "refused" when the read fails.
std::string StreamOf(const std::string& bytes) {
    TempDir folder;
    const std::wstring path = folder.File(L"read.xml");
    WriteUtf8File(path, bytes);
    std::wstring stream;
    const bool read = xml::ReadElements(
        path.c_str(),
        [&](int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
            stream += ElementOf(depth, name, attributes);
        },
        [&](int depth, std::wstring_view text) {
            stream += std::to_wstring(depth) + L"[" + std::wstring(text) + L"]";
        });
    // What was visited of a file that does not read is dropped, as callers drop it.
    return read ? Narrow(stream) : "refused";
}

// The root's element, or "refused" when the read fails.
std::string RootOf(const std::wstring& path) {
    std::wstring root;
    const bool read = xml::ReadRootElement(
        path.c_str(), [&](std::wstring_view name, const xml::ElementAttributes& attributes) {
            root += ElementOf(0, name, attributes);
        });
    return Narrow(root) + (read ? "" : "refused");
}

std::string RootOf(const std::string& bytes) {
    TempDir folder;
    const std::wstring path = folder.File(L"root.xml");
    WriteUtf8File(path, bytes);
    return RootOf(path);
}

struct StreamCase {
    const char* rule;
    std::string bytes;
    const char* stream;
};

std::vector<StreamCase> StreamCases() {
    return {
        {"an element in a namespace has no name", R"(<a xmlns="u"><p:b xmlns:p="v"/><c xmlns=""/></a>)",
         "<0 ><1  xmlns:p=v><1 c>"},
        {"a prefix declaration answers on the element and below", R"(<a xmlns:p="v"><b/></a>)",
         "<0 a xmlns:p=v><1 b xmlns:p=v>"},
        {"an attribute present but empty is not absent", R"(<a t=""><b/></a>)", "<0 a t=><1 b>"},
        {"sections are texts of their own, adjacent ones one text, an empty one too",
         "<a>x<![CDATA[y]]>z<![CDATA[]]><![CDATA[w]]><!--c-->v<![CDATA[]]></a>",
         "<0 a>0[x]0[y]0[z]0[w]0[v]0[]"},
        {"white space as written, line ends as one line feed", "<a>\r\n <b/>\t</a>", "<0 a>0[\n ]<1 b>0[\t]"},
        {"predefined and character references are text", "<a t='&quot;&#65;'>&lt;&#x42;</a>",
         "<0 a t=\"A>0[<B]"},
        {"an entity reference is left out of the text", R"(<!DOCTYPE a [<!ENTITY e "E">]><a>x&e;y</a>)",
         "<0 a>0[x]0[y]"},
        {"an attribute default declared in the document is an attribute",
         R"(<!DOCTYPE a [<!ATTLIST a t CDATA "d">]><a/>)", "<0 a t=d>"},
        {"an external document type is not loaded", R"(<!DOCTYPE a SYSTEM "missing.dtd"><a t="1"/>)",
         "<0 a t=1>"},
        {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a t=\"\x80\">\xe9</a>",
         "<0 a t=\xe2\x82\xac>0[\xc3\xa9]"},
        {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xe9</a>", "<0 a>0[\xc3\xa9]"},
        // A search for markup that misreads the byte "[" of a character must not lose the root.
        {"GBK, with a character whose second byte is \"[\" in names",
         "<?xml version=\"1.0\" encoding=\"GBK\"?><!DOCTYPE \x81\x5b SYSTEM \"x\"><\x81\x5b "
         "t=\"1\">]<b/></\x81\x5b>",
         "<0 \xe4\xb9\x95 t=1>0[]]<1 b>"},
        {"an unknown encoding is refused", "<?xml version=\"1.0\" encoding=\"bogus\"?><a/>", "refused"},
        {"UTF-16 with byte-order mark", "\xff\xfe<\0a\0/\0>\0"s, "<0 a>"},
        {"UTF-16 without byte-order mark is refused", "<\0a\0/\0>\0"s, "refused"},
        // The document service refuses a surrogate without its partner; expat took a high one with the
        // unit after it as a pair.
        {"a high surrogate before an ordinary unit in a text is refused",
         "\xff\xfe<\0a\0>\0\x00\xd8x\0<\0/\0a\0>\0"s, "refused"},
        {"a high surrogate before an ordinary unit in an attribute value is refused",
         "\xff\xfe<\0a\0 \0t\0=\0'\0\x00\xd8x\0'\0/\0>\0"s, "refused"},
        {"a low surrogate alone is refused", "\xff\xfe<\0a\0>\0\x00\xdc<\0/\0a\0>\0"s, "refused"},
        {"a high surrogate at the end of a text is refused", "\xff\xfe<\0a\0>\0x\0\x00\xd8<\0/\0a\0>\0"s,
         "refused"},
        {"a high surrogate after the root's end is dropped, as the document service drops it",
         "\xff\xfe<\0a\0/\0>\0\x00\xd8"s, "<0 a>"},
        {"a pair is one character",
         "\xff\xfe<\0a\0 \0t\0=\0'\0\x3d\xd8\x00\xde'\0>\0\x3d\xd8\x00\xde<\0/\0a\0>\0"s,
         "<0 a t=\xf0\x9f\x98\x80>0[\xf0\x9f\x98\x80]"},
        {"a truncated file is refused", "<a t=\"1\"><b>text</b>", "refused"},
        {"an error at the very end is refused", "<a><b/></a><", "refused"},
    };
}

TEST(XmlReader, TheStreamIsTheDocumentServicesTree) {
    for (const StreamCase& test : StreamCases()) {
        EXPECT_EQ(test.stream, StreamOf(test.bytes)) << test.rule;
    }
}

// Whichever parser reads the root, it is the root of the whole file's stream.
TEST(XmlReader, TheRootAloneIsTheFirstElementOfTheStream) {
    for (const StreamCase& test : StreamCases()) {
        const std::string stream = test.stream;
        if (stream.find("refused") == std::string::npos) {
            EXPECT_EQ(stream.substr(0, stream.find('>') + 1), RootOf(test.bytes)) << test.rule;
        }
    }
}

// The root alone is read as far as its start tag, by either parser: what follows may be anything.
TEST(XmlReader, TheRootAloneIsReadWithoutWhatFollowsItsStartTag) {
    const StreamCase cases[] = {
        {"a body that is not well-formed", "<a t=\"1\"><b></a>", "<0 a t=1>"},
        {"an empty root", "<a t=\"1\"/><", "<0 a t=1>"},
        {"windows-1252, which the document service reads",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a t=\"\x80\"><", "<0 a t=\xe2\x82\xac>"},
        {"an attribute default declared, with delimiters inside its literal",
         R"(<!DOCTYPE a [<!-- ] --><!ATTLIST a t CDATA "]>">]><a><)", "<0 a t=]>>"},
        {"delimiters inside literals, comments and instructions before it",
         R"(<?p <a>?><!-- <a/> --><!DOCTYPE a SYSTEM "x>[y"><a t='x>y'><)", "<0 a t=x>y>"},
        {"UTF-16 with byte-order mark", "\xff\xfe<\0a\0 \0t\0=\0'\0>\0'\0>\0<\0"s, "<0 a t=>>"},
        {"UTF-16 big-endian with byte-order mark", "\xfe\xff\0<\0a\0>\0<"s, "<0 a>"},
        {"a root after more than the first piece read", "<!--" + std::string(100'000, 'c') + "--><a t='1'><",
         "<0 a t=1>"},
        {"UTF-16 without byte-order mark stays refused", "<\0a\0>\0<\0"s, "refused"},
        {"a high surrogate before an ordinary unit in the root's attribute is refused",
         "\xff\xfe<\0a\0 \0t\0=\0'\0\x00\xd8x\0'\0>\0<\0"s, "refused"},
        {"a start tag cut short is refused", "<a t=\"1\"", "refused"},
        {"text before the root is refused", "x<a/>", "refused"},
        {"a declaration after a comment is refused", "<!-- c --><?xml version=\"1.0\"?><a/>", "refused"},
    };
    for (const StreamCase& test : cases) {
        EXPECT_EQ(test.stream, RootOf(test.bytes)) << test.rule;
    }
}

// A file longer than the whole read takes: the root is still read from its first bytes.
TEST(XmlReader, TheRootAloneIsReadFromAFileTooLongToReadWhole) {
    TempDir folder;
    const std::wstring path = folder.File(L"long.xml");
    WriteUtf8File(path, "<a t=\"1\">");
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size;
        size.QuadPart = 3LL << 30;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
    }
    EXPECT_EQ("<0 a t=1>", RootOf(path));
    EXPECT_FALSE(
        xml::ReadElements(path.c_str(), [](int, std::wstring_view, const xml::ElementAttributes&) {}));
}

std::string Nested(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += "<e>";
    }
    for (int i = 0; i < count; ++i) {
        bytes += "</e>";
    }
    return bytes;
}

// The document service's parser has limits of its own; a file past them stays refused.
TEST(XmlReader, FilesPastTheDocumentServicesLimitsAreRefused) {
    const struct {
        const char* rule;
        std::string bytes;
        size_t elements; // 0: refused
        size_t texts;
    } cases[] = {
        // Past expat's bounds here: the document service reads on where expat stopped.
        {"257 nested elements", Nested(257), 257, 0},
        {"258 nested elements", Nested(258), 0, 0},
        {"a name of 50,000 bytes after a text",
         "<a>" + std::string(30'000, 't') + "<" + std::string(50'000, 'n') + "/></a>", 2, 1},
        {"a name of 50,001 bytes", "<" + std::string(50'001, 'n') + "/>", 0, 0},
        {"a document type naming a file of 60,000 bytes",
         "<!DOCTYPE a SYSTEM \"" + std::string(60'000, 's') + "\"><a/>", 0, 0},
    };
    for (const auto& test : cases) {
        const std::string stream = StreamOf(test.bytes);
        const size_t elements = static_cast<size_t>(std::count(stream.begin(), stream.end(), '<'));
        EXPECT_EQ(test.elements ? "" : "refused", stream.substr(stream.rfind('>') + 1)) << test.rule;
        EXPECT_EQ(test.elements, elements) << test.rule;
        EXPECT_EQ(test.texts, static_cast<size_t>(std::count(stream.begin(), stream.end(), '[')))
            << test.rule;
    }
}

} // namespace
