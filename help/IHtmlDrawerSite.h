// The site that a CHtmlDrawer reports to; the context-help popup implements it.
#pragma once

// The first three notifications are reserved for link and content events; the drawer never calls
// them, so they default to doing nothing.
class IHtmlDrawerSite {
public:
    virtual void OnLinkEnter(int linkIndex) {}
    virtual void OnLinkLeave(int linkIndex) {}
    virtual void OnLinkClick(int linkIndex) {}
    // Receives the decoded text of a "<title>" element while content is set.
    virtual void OnTitle(const wchar_t* title) {}
    virtual ~IHtmlDrawerSite() = default;
};
