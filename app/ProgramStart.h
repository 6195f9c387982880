// What the program sets up once, before its first dialog: COM on this thread, the common controls,
// the element tags and context help. Tests and benchmarks start the same way.
#pragma once

#include "KernelHandles.h"

// The program's name, as its windows and messages show it.
inline constexpr const wchar_t* kProgramCaption = L".:: tevlib translator ::.";

class ProgramStart {
public:
    ProgramStart();

private:
    ComApartment m_com;
};
