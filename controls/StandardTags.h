// Every tag of the standard controls, tab containers, behaviour elements and own-drawn controls,
// with its class.
#pragma once

// Teaches the engine's factory these tags; call once at start, before the first description loads.
// Later calls change nothing.
void RegisterStandardTags();
