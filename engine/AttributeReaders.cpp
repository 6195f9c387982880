#include "AttributeReaders.h"

#include "XmlDom.h"

OptString GetAttributeString(IXMLDOMNode* node, const wchar_t* name) {
    return xml::GetAttribute(node, name);
}

int GetAttributeInt(IXMLDOMNode* node, const wchar_t* name, int defaultValue) {
    const OptString text = xml::GetAttribute(node, name);
    if (!text) {
        return defaultValue;
    }
    // The platform's own conversion decides what counts as a number.
    Variant value(text->c_str());
    if (FAILED(VariantChangeType(value.Get(), value.Get(), 0, VT_I4))) {
        return defaultValue;
    }
    return value.Value().lVal;
}

BOOL GetAttributeBool(IXMLDOMNode* node, const wchar_t* name, BOOL defaultValue) {
    const OptString text = xml::GetAttribute(node, name);
    if (EqualsNoCase(text, L"true")) {
        return TRUE;
    }
    if (EqualsNoCase(text, L"false")) {
        return FALSE;
    }
    return defaultValue;
}

int GetAttributeEnum(IXMLDOMNode* node, const wchar_t* name, int defaultValue,
                     std::initializer_list<const wchar_t*> names) {
    const OptString text = xml::GetAttribute(node, name);
    if (!text) {
        return defaultValue;
    }
    int position = 0;
    for (const wchar_t* candidate : names) {
        if (EqualsNoCase(text->c_str(), candidate)) {
            return position;
        }
        ++position;
    }
    return defaultValue;
}
