// What a window shows of the program itself: its icon in the title bar and the taskbar, and an About
// item in the system menu that names the version.
#pragma once

#include <windows.h>

#include <string>

// Gives the window the program's icon, big (Alt+Tab, taskbar) and small (title bar).
void SetProgramIcon(HWND window);

// Appends "About tevlib translator..." to the window's system menu; AnswerAboutCommand answers it.
void AddAboutToSystemMenu(HWND window);

// The program's name, version and publisher, and where its settings and translations are kept, as
// the About box says them. programFolder: with a trailing backslash.
std::wstring AboutText(const std::wstring& programFolder);

// For WM_SYSCOMMAND: shows the About box and returns true when wParam is the About item.
bool AnswerAboutCommand(HWND window, WPARAM wParam, const std::wstring& programFolder);
