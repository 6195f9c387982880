// Registration of the engine's own window classes, once per module instance.
#pragma once

#include <windows.h>

// Registers the class unless the instance already knows it; the background is the dialog face.
void RegisterOwnWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, UINT style,
                            const wchar_t* cursor);
