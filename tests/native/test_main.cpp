// The native tests' main. ctest runs this one program several times, under
// different emulated processors and with the block steps on or off (see
// tests/CMakeLists.txt); the run's choices come from the environment here,
// as the product itself never reads it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/list_loader.h"
#include "tests/native/test_run.h"

bool BlockStepsAllowed = true;

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (const char* steps = std::getenv("BRISKLET_BLOCK_STEPS")) {
        // A misspelt value would quietly test the default path.
        if (std::strcmp(steps, "off") == 0) {
            BlockStepsAllowed = false;
        } else if (std::strcmp(steps, "on") != 0) {
            std::fprintf(stderr, "BRISKLET_BLOCK_STEPS is \"%s\"; it takes on or off\n", steps);
            return 2;
        }
    }
    UseBlockSteps(BlockStepsAllowed);
    return RUN_ALL_TESTS();
}
