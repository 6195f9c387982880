// The engine every element points to: the tag factory, the string table of translations and
// the services a host application may provide (pictures, help, viewer mode).
#pragma once

#include "TextUtil.h"
#include "TranslationFile.h"

#include <windows.h>

#include <memory>
#include <vector>

class CTEVElement;

class CTEVEngine {
public:
    explicit CTEVEngine(HINSTANCE instance);
    CTEVEngine(const CTEVEngine&) = delete;
    CTEVEngine& operator=(const CTEVEngine&) = delete;

    virtual ~CTEVEngine();
    // A new element for the tag, with its parent set but not yet added; null for unknown tags.
    virtual std::unique_ptr<CTEVElement> CreateElement(const wchar_t* tag, CTEVElement* parent);
    virtual void DrawImage(HDC dc, int x, int y, int cx, int cy, const wchar_t* file);
    virtual void OpenHelp(HWND owner, const wchar_t* topic, int reserved);
    virtual BOOL IsViewer();

    // Appends the entries of a strings file; a file that does not load adds nothing.
    void LoadStrings(const wchar_t* path);
    // Appends one entry as a strings file would, so translations not yet saved can be shown; an
    // entry without id is dropped, as it could never answer a lookup.
    void AddString(const wchar_t* id, const wchar_t* attribute, const wchar_t* text);
    // The text of the first entry for id and attribute, both compared ignoring case, or null.
    const wchar_t* FindString(const wchar_t* id, const wchar_t* attribute) const;

    HINSTANCE Instance() const { return m_instance; }
    size_t StringCount() const { return m_strings.size(); }

    // Whether the tab boxes and tab switchers of the dialogs run from now on make every page when
    // their dialog opens, however many elements the pages hold, rather than each page when it is
    // first needed: for code that inspects every page of a dialog at once.
    void SetEveryPageMadeAtOpen(bool every) { m_everyPageMadeAtOpen = every; }
    bool EveryPageMadeAtOpen() const { return m_everyPageMadeAtOpen; }

private:
    HINSTANCE m_instance;
    bool m_everyPageMadeAtOpen = false;
    std::vector<TranslationEntry> m_strings; // load order: earlier entries win
};
