// Reading the translation file for the engine's string table and the project model.
#include "TranslationFile.h"

#include "XmlReader.h"

#include <string_view>

// Names are compared exactly, as the document service's paths compare them.
bool ReadTranslationFile(const wchar_t* path, const TranslationEntryVisitor& visit) {
    bool isStrings = false;
    const bool read = xml::ReadElements(
        path, [&](int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
            if (depth == 0) {
                isStrings = name == L"strings";
            } else if (depth == 1 && isStrings && name == L"string") {
                visit({attributes.Get(L"id"), attributes.Get(L"attr"), attributes.Get(L"loc"), attributes.Get(L"text")});
            }
        });
    return read && isStrings;
}
