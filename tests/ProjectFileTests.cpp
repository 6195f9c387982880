// The project file's one reader on the files where its two reads differ: the open dialog's read of
// the root alone, and the project model's read of the whole file.
#include "ProjectFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string HeadOf(const std::wstring& path) {
    const std::optional<ProjectHead> head = ReadProjectHead(path);
    return head ? Narrow(head->name + L" " + head->dst) : "none";
}

std::string ContentOf(const std::wstring& path) {
    const std::optional<ProjectContent> content = ReadProjectFile(path);
    if (!content) {
        return "unreadable";
    }
    if (!content->hasRoot) {
        return "no root";
    }
    if (!content->hasStrings) {
        return "no strings";
    }
    return std::to_string(content->strings.size()) + " strings, " +
           std::to_string(content->dialogFiles.size()) + " files";
}

} // namespace

TEST(ProjectFile, TheHeadIsReadFromTheRootAloneAndTheContentFromTheWholeFile) {
    const struct {
        const char* rule;
        std::string bytes;
        const char* head;
        const char* content;
    } cases[] = {
        {"a complete project",
         R"(<tevproject name="P" dst="p.xml"><strings><s id="a" text="A"/></strings><files><f name="d.xml"/></files>
            </tevproject>)",
         "P p.xml", "1 strings, 1 files"},
        {"a file that breaks after its root's start tag", R"(<tevproject name="P" dst="p.xml"><strings>)",
         "P p.xml", "unreadable"},
        {"the same in an encoding only the document service reads",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><tevproject name=\"\xe9\" dst=\"p.xml\"><",
         "\xc3\xa9 p.xml", "unreadable"},
        {"no name", R"(<tevproject dst="p.xml"><strings/></tevproject>)", "none", "0 strings, 0 files"},
        {"no dst", R"(<tevproject name="P"/>)", "none", "no strings"},
        {"another root", R"(<project name="P" dst="p.xml"><strings/></project>)", "none", "no root"},
        {"a root in a namespace", R"(<tevproject xmlns="u" name="P" dst="p.xml"><strings/></tevproject>)",
         "none", "no root"},
    };
    TempDir folder;
    const std::wstring path = folder.File(L"tevproject.xml");
    for (const auto& test : cases) {
        WriteUtf8File(path, test.bytes);
        EXPECT_EQ(test.head, HeadOf(path)) << test.rule;
        EXPECT_EQ(test.content, ContentOf(path)) << test.rule;
    }
}
