// Tables that route named events to an application dialog's handlers, one row per (id, event).
#pragma once

#include "CTEVElement.h"
#include "TextUtil.h"

#include <windows.h>

template <typename Dialog> struct EventRoute {
    const wchar_t* id;
    const wchar_t* event;
    int (*handle)(Dialog& dialog, WPARAM wParam, LPARAM lParam);
};

// The answer of the first row whose id and event match the source's, both without regard to case;
// 0 (not handled) when no row matches.
template <typename Dialog, size_t N>
int RouteEvent(const EventRoute<Dialog> (&routes)[N], Dialog& dialog, CTEVElement* source,
               const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    if (!source) {
        return 0;
    }
    for (const EventRoute<Dialog>& route : routes) {
        if (EqualsNoCase(source->Id(), route.id) && EqualsNoCase(event, route.event)) {
            return route.handle(dialog, wParam, lParam);
        }
    }
    return 0;
}
