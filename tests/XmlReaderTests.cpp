// Reading XML files as a stream of elements and texts: the stream the callers see is the one the
// document service's tree gives, whichever parser reads the file.
#include "TestSupport.h"
#include "XmlReader.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

// "<depth name attributes>" per element, "depth[text]" per text, then "refused" when the read fails.
std::string StreamOf(const std::string& bytes) {
    TempDir folder;
    const std::wstring path = folder.File(L"read.xml");
    WriteUtf8File(path, bytes);
    std::wstring stream;
    const bool read = xml::ReadElements(
        path.c_str(),
        [&](int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
            stream += L"<" + std::to_wstring(depth) + L" " + std::wstring(name);
            for (const wchar_t* probe : {L"t", L"xmlns:p"}) {
                if (const OptString value = attributes.Get(probe)) {
                    stream += L" " + std::wstring(probe) + L"=" + *value;
                }
            }
            stream += L">";
        },
        [&](int depth, std::wstring_view text) {
            stream += std::to_wstring(depth) + L"[" + std::wstring(text) + L"]";
        });
    return Narrow(stream) + (read ? "" : "refused");
}

struct StreamCase {
    const char* rule;
    std::string bytes;
    const char* stream;
};

TEST(XmlReader, TheStreamIsTheDocumentServicesTree) {
    const StreamCase cases[] = {
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
        {"an unknown encoding is refused", "<?xml version=\"1.0\" encoding=\"bogus\"?><a/>", "refused"},
        {"UTF-16 with byte-order mark", "\xff\xfe<\0a\0/\0>\0"s, "<0 a>"},
        {"UTF-16 without byte-order mark is refused", "<\0a\0/\0>\0"s, "refused"},
        {"a truncated file is refused with nothing visited", "<a t=\"1\"><b>text</b>", "refused"},
        {"an error at the very end is refused with nothing visited", "<a><b/></a><", "refused"},
    };
    for (const StreamCase& test : cases) {
        EXPECT_EQ(test.stream, StreamOf(test.bytes)) << test.rule;
    }
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
        bool read;
    } cases[] = {
        {"257 nested elements", Nested(257), true},
        {"258 nested elements", Nested(258), false},
        {"a name of 50,000 bytes", "<" + std::string(50'000, 'n') + "/>", true},
        {"a name of 50,001 bytes", "<" + std::string(50'001, 'n') + "/>", false},
        {"a document type naming a file of 60,000 bytes",
         "<!DOCTYPE a SYSTEM \"" + std::string(60'000, 's') + "\"><a/>", false},
    };
    for (const auto& test : cases) {
        const std::string stream = StreamOf(test.bytes);
        EXPECT_EQ(test.read ? "" : "refused", stream.substr(stream.rfind('>') + 1)) << test.rule;
    }
}

} // namespace
