// Readers that turn a description's attribute texts into values; anything absent or not
// convertible gives the caller's default, so loading never fails because of an attribute.
#pragma once

#include "TextUtil.h"

#include <initializer_list>
#include <msxml2.h>

OptString GetAttributeString(IXMLDOMNode* node, const wchar_t* name);
int GetAttributeInt(IXMLDOMNode* node, const wchar_t* name, int defaultValue);
BOOL GetAttributeBool(IXMLDOMNode* node, const wchar_t* name, BOOL defaultValue);
// The position of the first name equal to the value, ignoring case.
int GetAttributeEnum(IXMLDOMNode* node, const wchar_t* name, int defaultValue,
                     std::initializer_list<const wchar_t*> names);
