// "selectfile" and its "ext" children: runs the platform's open or save file dialog when the
// control it is nested in is operated, and delivers the chosen path to a named element or as
// an event.
#pragma once

#include "CTEVElement.h"

#include <string>

// One entry of the file dialog's file-type list.
class CTEVExt : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVExt() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;

    const wchar_t* Text() const { return CStrOrNull(m_text); }
    const wchar_t* Extension() const { return CStrOrNull(m_extension); }

private:
    OptString m_text;      // description shown in the list
    OptString m_extension; // pattern such as "*.ini", or a full file name
};

class CTEVSelectFile : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVSelectFile() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void Execute(CTEVElement* trigger) override;

    // The file-type list of the dialog: description, NUL, pattern, NUL for each complete
    // "ext" child, then one more NUL; empty when there is none.
    std::wstring BuildFilter() const;
    DWORD DialogFlags() const;

    // Large enough for any path the platform accepts, including multiple selections.
    static constexpr size_t kPathBufferSize = 32768;

private:
    enum DialogType { OpenDialog, SaveDialog };

    void RunDialog();
    void Deliver(const wchar_t* path);

    // Set while the dialog runs and its path is delivered: a target that runs its behaviour
    // children again (this selector among them) must not open a second dialog.
    bool m_running = false;
    DWORD m_flags = 0; // OFN_ flags of the boolean attributes
    OptString m_title;
    OptString m_saveTo;
    OptString m_defExt;
    int m_type = OpenDialog;
};
