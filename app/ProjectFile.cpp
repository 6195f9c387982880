// Reading the project file: the root alone for listing projects, the whole file for loading one.
#include "ProjectFile.h"

#include "XmlReader.h"

#include <string_view>
#include <utility>

namespace {

// Compared exactly, as the document service's paths compare names.
constexpr std::wstring_view kRoot = L"tevproject";

} // namespace

std::optional<ProjectHead> ReadProjectHead(const std::wstring& path) {
    OptString name, dst;
    const bool read = xml::ReadRootElement(
        path.c_str(), [&](std::wstring_view root, const xml::ElementAttributes& attributes) {
            if (root == kRoot) {
                name = attributes.Get(L"name");
                dst = attributes.Get(L"dst");
            }
        });
    if (!read || !name || !dst) {
        return std::nullopt;
    }
    return ProjectHead{std::move(*name), std::move(*dst)};
}

std::optional<ProjectContent> ReadProjectFile(const std::wstring& path) {
    ProjectContent content;
    enum class Section { None, Strings, Files } section = Section::None;
    bool filesSeen = false;
    const bool read = xml::ReadElements(
        path.c_str(), [&](int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
            if (depth == 0) {
                content.hasRoot = name == kRoot;
            } else if (!content.hasRoot) {
                return;
            } else if (depth == 1) {
                section = Section::None;
                if (name == L"strings" && !content.hasStrings) {
                    content.hasStrings = true;
                    section = Section::Strings;
                } else if (name == L"files" && !filesSeen) {
                    filesSeen = true;
                    section = Section::Files;
                }
            } else if (depth == 2 && section == Section::Strings) {
                content.strings.push_back(
                    {attributes.Get(L"id"), attributes.Get(L"attr"), attributes.Get(L"text")});
            } else if (depth == 2 && section == Section::Files) {
                if (OptString file = attributes.Get(L"name")) {
                    content.dialogFiles.push_back(std::move(*file));
                }
            }
        });
    if (!read) {
        return std::nullopt;
    }
    return content;
}
