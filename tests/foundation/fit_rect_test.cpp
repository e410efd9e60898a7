#include "foundation/fit_rect.h"

#include <gtest/gtest.h>

namespace {
void ExpectRect(const TFitRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.X, x);
    EXPECT_EQ(r.Y, y);
    EXPECT_EQ(r.W, w);
    EXPECT_EQ(r.H, h);
}
}  // namespace

TEST(FitPictureRect, CentresAndKeepsTheAspect) {
    ExpectRect(FitPictureRect(200, 100, 100, 100), 0, 25, 100, 50);
    ExpectRect(FitPictureRect(100, 200, 100, 100), 25, 0, 50, 100);
    ExpectRect(FitPictureRect(50, 50, 100, 80), 10, 0, 80, 80);        // square into a wide box
    ExpectRect(FitPictureRect(320, 240, 100, 40), 23, 0, 53, 40);      // wide, but the box is wider still
    ExpectRect(FitPictureRect(240, 320, 40, 100), 0, 23, 40, 53);      // portrait into a tall box
    ExpectRect(FitPictureRect(10, 10, 1000, 1000), 0, 0, 1000, 1000);  // small pictures are enlarged
    ExpectRect(FitPictureRect(101, 100, 100, 99), 0, 0, 100, 99);      // truncating divisions
}

TEST(FitPictureRect, NothingToDrawGivesAnEmptyRectangle) {
    EXPECT_TRUE(FitPictureRect(0, 100, 100, 100).Empty());
    EXPECT_TRUE(FitPictureRect(100, 0, 100, 100).Empty());
    EXPECT_TRUE(FitPictureRect(-5, 10, 100, 100).Empty());
    EXPECT_TRUE(FitPictureRect(100, 100, 0, 100).Empty());
    EXPECT_TRUE(FitPictureRect(100000, 1, 10, 10).Empty());  // scales to no height at all
    // Huge sizes do not overflow.
    ExpectRect(FitPictureRect(2000000000, 1000000000, 2000000000, 2000000000), 0, 500000000, 2000000000, 1000000000);
}
