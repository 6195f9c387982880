// The tag table the engine's factory creates elements from. The engine itself knows only its
// boxes and dialogs; the controls library adds its tags once at program start (RegisterStandardTags),
// so the engine never depends on a control class.
#pragma once

#include <memory>

class CTEVElement;
class CTEVEngine;

using ElementFactory = std::unique_ptr<CTEVElement> (*)(CTEVElement* parent, CTEVEngine* engine);

struct ElementTag {
    const wchar_t* tag;
    ElementFactory create;
};

template <typename T> std::unique_ptr<CTEVElement> MakeElement(CTEVElement* parent, CTEVEngine* engine) {
    return std::make_unique<T>(parent, engine);
}

// Adds tags to the table; a tag already known keeps its first factory.
void RegisterElementTags(const ElementTag* tags, size_t count);
template <size_t N> void RegisterElementTags(const ElementTag (&tags)[N]) {
    RegisterElementTags(tags, N);
}

// The factory for a tag, compared without regard to case; null for an unknown tag.
ElementFactory FindElementFactory(const wchar_t* tag);
