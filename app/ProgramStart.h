// What the program sets up once, before its first dialog: COM on this thread, the common controls,
// the element tags and context help. Tests and benchmarks start the same way.
#pragma once

#include "KernelHandles.h"

class ProgramStart {
public:
    ProgramStart();

private:
    ComApartment m_com;
};
