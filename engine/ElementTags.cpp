#include "ElementTags.h"

#include "CTEVBox.h"
#include "CTEVDialog.h"
#include "TextUtil.h"

#include <vector>

namespace {

template <int Orientation> std::unique_ptr<CTEVElement> MakeBox(CTEVElement* parent, CTEVEngine* engine) {
    return std::make_unique<CTEVBox>(parent, engine, Orientation);
}

std::unique_ptr<CTEVElement> MakeDialog(CTEVElement* parent, CTEVEngine* engine) {
    return std::make_unique<CTEVDialog>(nullptr, engine, parent);
}

std::vector<ElementTag>& Table() {
    static std::vector<ElementTag> table = {
        {L"window", MakeElement<CTEVWindow>},
        {L"dialog", MakeDialog},
        {L"box", MakeBox<-1>},
        {L"vbox", MakeBox<1>},
        {L"hbox", MakeBox<0>},
    };
    return table;
}

} // namespace

void RegisterElementTags(const ElementTag* tags, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (!FindElementFactory(tags[i].tag)) {
            Table().push_back(tags[i]);
        }
    }
}

ElementFactory FindElementFactory(const wchar_t* tag) {
    for (const ElementTag& entry : Table()) {
        if (EqualsNoCase(tag, entry.tag)) {
            return entry.create;
        }
    }
    return nullptr;
}
