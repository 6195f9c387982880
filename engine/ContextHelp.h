// What a dialog needs from context help: it hands over the description's "contexthelp" node and
// asks for help on a control at WM_HELP. The engine knows only this interface; the help library,
// which sits above the engine, installs the implementation once at program start, so the
// dependency runs one way (help -> engine) and the engine builds without it.
#pragma once

#include <windows.h>

#include <memory>
#include <msxml2.h>

class CTEVEngine;

class IContextHelp {
public:
    virtual ~IContextHelp() = default;
    // Appends the "tip" children of the node; later calls append more.
    virtual void LoadTips(IXMLDOMNode* contexthelpNode) = 0;
    // Shows the tip for the control with that id next to the control window, after closing any
    // open popup; nothing more for an id without a tip (or a null id).
    virtual void Show(const wchar_t* controlId, HWND control) = 0;
    // Closes the open popup, if any.
    virtual void Close() = 0;
};

using ContextHelpFactory = std::unique_ptr<IContextHelp> (*)(CTEVEngine* engine);

// Installs the implementation dialogs create; the last one installed wins, null removes it.
void SetContextHelpFactory(ContextHelpFactory factory);
// A new context help object, or null when no implementation is installed.
std::unique_ptr<IContextHelp> CreateContextHelp(CTEVEngine* engine);
