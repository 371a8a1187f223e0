// Which of its paths the loader takes. ctest's runs under emulated
// processors name the path they expect in BRISKLET_EXPECT_LOADER_PATH, so a
// run that meant to test the SSSE3 steps cannot quietly test the words.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/list_kernels_x86.h"
#include "core/list_loader.h"
#include "tests/native/test_run.h"

namespace {

// As BRISKLET_EXPECT_LOADER_PATH names them.
const char* LoaderPathName(TLoaderPath path) {
    switch (path) {
    case TLoaderPath::Ssse3:
        return "ssse3";
    case TLoaderPath::Sse2:
        return "sse2";
    case TLoaderPath::Words:
        break;
    }
    return "words";
}

// The path this processor gives with the block steps on.
TLoaderPath ProcessorPath() {
#if BRISKLET_X86_BLOCKS
    if (HasSsse3()) {
        return TLoaderPath::Ssse3;
    }
    if (HasSse2()) {
        return TLoaderPath::Sse2;
    }
#endif
    return TLoaderPath::Words;
}

TEST(LoaderPath, IsTheOneThisRunExpects) {
    const TLoaderPath path = LoaderPath();
    if (const char* expected = std::getenv("BRISKLET_EXPECT_LOADER_PATH")) {
        EXPECT_STREQ(LoaderPathName(path), expected);
    }
    EXPECT_STREQ(LoaderPathName(path), LoaderPathName(BlockStepsAllowed ? ProcessorPath() : TLoaderPath::Words));
}

TEST(LoaderPath, FollowsUseBlockSteps) {
    UseBlockSteps(false);
    EXPECT_EQ(LoaderPath(), TLoaderPath::Words);
    UseBlockSteps(true);
    EXPECT_EQ(LoaderPath(), ProcessorPath());
    UseBlockSteps(BlockStepsAllowed);
}

}  // namespace
