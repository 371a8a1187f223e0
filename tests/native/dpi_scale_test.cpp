// The range of DPIs a window is laid out at: what a screen can have, and
// nothing a broken answer gives (0, a negative word, a value read as pixels).
#include <gtest/gtest.h>

#include "options/dpi_scale.h"

namespace {

TEST(DpiScale, UsableDpisAreTheScreensRange) {
    EXPECT_TRUE(IsUsableDpi(ReferenceDpi));
    EXPECT_TRUE(IsUsableDpi(48));
    EXPECT_TRUE(IsUsableDpi(960));
    EXPECT_TRUE(IsUsableDpi(144));
    EXPECT_FALSE(IsUsableDpi(47));
    EXPECT_FALSE(IsUsableDpi(961));
    EXPECT_FALSE(IsUsableDpi(0));
    EXPECT_FALSE(IsUsableDpi(-96));
    EXPECT_FALSE(IsUsableDpi(65535));  // a whole WPARAM's low word
}

}  // namespace
