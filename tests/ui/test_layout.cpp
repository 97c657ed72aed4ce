// The arithmetic of centerimage, and centerimage itself laying out the window.
#include <gtest/gtest.h>

#include <random>

#include <QMdiSubWindow>

#include "app/PictureBox.h"
#include "app/layout.h"
#include "document/int16.h"
#include "test_windowsupport.h"

namespace pixpad {
namespace {

// Independent model in integers: half of n, an odd n's half going to the even
// neighbour of the two candidates.
int halfToEven(int n)
{
    if (n % 2 == 0)
        return n / 2;
    const int a = (n - 1) / 2, b = (n + 1) / 2; // both exact for odd n
    return a % 2 == 0 ? a : b;
}

int modelMargin(int screen, int size, int slack) { return size < screen ? halfToEven(screen - size - slack) : 0; }

TEST(CenterImageArithmetic, WorkedValuesTiesAndNegativeMargins)
{
    const ImageLayout l = computeLayout(1024, 768, 300, 200);
    EXPECT_EQ(l.ImageLeft, 358);
    EXPECT_EQ(l.ImageTop, 242);
    EXPECT_EQ(l.windowWidth, 1016);
    EXPECT_EQ(l.windowHeight, 684);

    EXPECT_EQ(computeLayout(1024, 768, 301, 200).ImageLeft, 358); // 357.5
    EXPECT_EQ(computeLayout(1024, 768, 303, 200).ImageLeft, 356); // 356.5
    EXPECT_EQ(computeLayout(1024, 768, 300, 202).ImageTop, 240);  // 240.5

    // Slightly narrower than the screen: the margin goes negative and stays so.
    EXPECT_EQ(computeLayout(1024, 768, 1020, 200).ImageLeft, -2);
    EXPECT_EQ(computeLayout(1024, 768, 1017, 200).ImageLeft, 0); // -0.5
    EXPECT_EQ(computeLayout(1024, 768, 300, 700).ImageTop, -8);  // -8.5
    const ImageLayout neg = computeLayout(1024, 768, 1020, 700);
    EXPECT_EQ(neg.windowWidth, 1020 - 4);
    EXPECT_EQ(neg.windowHeight, 700 - 16);

    // As large as the screen or larger: no margin.
    EXPECT_EQ(computeLayout(1024, 768, 1024, 768).ImageLeft, 0);
    EXPECT_EQ(computeLayout(1024, 768, 1024, 768).ImageTop, 0);
    EXPECT_EQ(computeLayout(1024, 768, 5000, 4000).windowWidth, 5000);
}

TEST(CenterImageArithmetic, MatchesIntegerModelOnRandomSizes)
{
    std::mt19937 gen(7);
    for (int i = 0; i < 20000; ++i) {
        const int sw = 200 + static_cast<int>(gen() % 3000);
        const int sh = 200 + static_cast<int>(gen() % 2000);
        const int w = static_cast<int>(gen() % 4000);
        const int h = static_cast<int>(gen() % 3000);
        const ImageLayout l = computeLayout(sw, sh, w, h);
        ASSERT_EQ(l.ImageLeft, modelMargin(sw, w, 8)) << sw << " " << w;
        ASSERT_EQ(l.ImageTop, modelMargin(sh, h, 85)) << sh << " " << h;
        ASSERT_EQ(l.windowWidth, 2 * l.ImageLeft + w);
        ASSERT_EQ(l.windowHeight, 2 * l.ImageTop + h);
    }
}

TEST(CenterImage, LaysOutTheWindowAndTakesTheUndoCopyLast)
{
    uitest::Editor ed(1024, 768);
    Form1& f = ed.form();
    const Surface picture = uitest::randomPicture(300, 200, 1);
    ASSERT_TRUE(ed.open(picture));

    EXPECT_EQ(f.ImageLeft, 358);
    EXPECT_EQ(f.ImageTop, 242);
    EXPECT_EQ(f.subWindow()->pos(), QPoint(0, 0));
    EXPECT_EQ(f.subWindow()->size(), QSize(1016, 684));
    EXPECT_EQ(f.Picture1->geometry(), QRect(358, 242, 300, 200));
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));

    // Laying out again after a change copies the changed picture, so Undo
    // returns to the picture as it was laid out.
    f.inve_Click();
    f.centerimage();
    const Surface laidOut = ed.doc().Picture1;
    f.undoe_Click();
    EXPECT_TRUE(ed.doc().Picture1.samePixels(laidOut));

    // A picture wider than the screen starts at the window's edge.
    ASSERT_TRUE(ed.open(uitest::randomPicture(1100, 50, 2), QStringLiteral("wide.bmp")));
    EXPECT_EQ(f.ImageLeft, 0);
    EXPECT_EQ(f.Picture1->geometry(), QRect(0, f.ImageTop, 1100, 50));
    EXPECT_EQ(f.subWindow()->width(), 1100);
}

} // namespace
} // namespace pixpad
