// Test entry: set up once, as the program does at start.
#include <gtest/gtest.h>

#include "ProgramStart.h"

int main(int argc, char** argv) {
    ProgramStart start;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
