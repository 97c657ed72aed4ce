// The convolution engine and its presets against a straightforward model:
// a double loop over the pixels doing exactly the checked 16-bit arithmetic
// and the double-precision division, bias, magnitude and rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>

#include "document/colourhelpers.h"
#include "document/int16.h"
#include "filters/filterrows.h"
#include "filters/filters.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

// nullopt when the checked arithmetic fails somewhere in the picture.
std::optional<Surface> modelConvolve(const Surface& pic, const FilterSettings& f)
{
    const int h = f.HalfSize;
    const double divide = f.Divide == 0 ? 1.0 : f.Divide;
    Surface out(pic.width(), pic.height(), pic.backColor());
    out.clear();
    try {
        for (int y = h; y <= pic.height() - 1 - h; ++y)
            for (int x = h; x <= pic.width() - 1 - h; ++x) {
                int16_t sum[3] = {0, 0, 0};
                for (int dy = -h; dy <= h; ++dy)
                    for (int dx = -h; dx <= h; ++dx) {
                        const int16_t w = f.Matrix[dy + 2][dx + 2];
                        if (w == 0)
                            continue;
                        int16_t c[3];
                        splitcolor(pic.GetPixel(x + dx, y + dy), c[0], c[1], c[2]);
                        for (int ch = 0; ch < 3; ++ch)
                            sum[ch] = add16(sum[ch], mul16(w, c[ch]));
                    }
                int v[3];
                for (int ch = 0; ch < 3; ++ch)
                    v[ch] = toInt16(std::fabs(static_cast<double>(sum[ch]) / divide + f.Bias));
                out.SetPixelV(x, y, composeColour(v[0], v[1], v[2]));
            }
    } catch (const Overflow16&) {
        return std::nullopt;
    }
    return out;
}

FilterSettings centreOnly(int16_t w, int16_t divide, int16_t bias)
{
    FilterSettings f;
    f.Matrix[2][2] = w;
    f.Divide = divide;
    f.Bias = bias;
    f.HalfSize = 1;
    return f;
}

Surface run(const Surface& pic, const FilterSettings& f)
{
    Document doc = openedDocument(pic);
    doc.filter = f;
    EXPECT_TRUE(dofiltering(doc));
    EXPECT_TRUE(doc.Picture2.samePixels(pic)) << "the undo copy is the picture before";
    return doc.Picture1;
}

Colour channelsAt(const Surface& s, int x, int y) { return s.GetPixel(x, y); }

} // namespace

TEST(Convolution, MatchesModelOnRandomKernelsAndPictures)
{
    std::mt19937 gen(20240501);
    int ran = 0, refused = 0;
    for (int iter = 0; iter < 400; ++iter) {
        FilterSettings f;
        f.HalfSize = static_cast<int16_t>(1 + gen() % 2);
        const int kind = gen() % 4;
        for (auto& row : f.Matrix)
            for (auto& w : row) {
                if (gen() % 3 == 0)
                    continue; // plenty of zero weights, read or not
                switch (kind) {
                case 0: w = static_cast<int16_t>(static_cast<int>(gen() % 109) - 9); break; // what the dialog takes
                case 1: w = static_cast<int16_t>(static_cast<int>(gen() % 21) - 10); break;
                case 2: w = static_cast<int16_t>(static_cast<int>(gen() % 401) - 200); break;
                default: w = static_cast<int16_t>(static_cast<int>(gen() % 7) - 3); break;
                }
            }
        f.Divide = static_cast<int16_t>(static_cast<int>(gen() % 199) - 99);
        f.Bias = static_cast<int16_t>(gen() % 2 ? static_cast<int>(gen() % 1999) - 999 : 0);
        const int w = 1 + gen() % 24, h = 1 + gen() % 24;
        Surface pic = randomSurface(w, h, gen());
        // Dark pictures let risky kernels through sometimes.
        if (gen() % 3 == 0)
            for (std::size_t i = 0; i < pic.pixelCount(); ++i)
                pic.data()[i] &= 0x003F3F3F;

        const std::optional<Surface> want = modelConvolve(pic, f);
        Document doc = openedDocument(pic);
        doc.filter = f;
        if (want) {
            ASSERT_TRUE(dofiltering(doc));
            ASSERT_TRUE(doc.Picture1.samePixels(*want)) << "iteration " << iter;
            ++ran;
        } else {
            ASSERT_THROW(dofiltering(doc), FilterOverflow) << "iteration " << iter;
            ASSERT_TRUE(doc.Picture1.samePixels(pic));
            ++refused;
        }
    }
    // Both outcomes must actually have been exercised.
    EXPECT_GT(ran, 100);
    EXPECT_GT(refused, 10);
}

TEST(Convolution, RoundsHalvesToEvenAndMirrorsNegatives)
{
    const Surface pic = uniformSurface(3, 3, rgb(5, 7, 0));
    // 2.5 -> 2 and 3.5 -> 4.
    EXPECT_EQ(channelsAt(run(pic, centreOnly(1, 2, 0)), 1, 1), rgb(2, 4, 0));
    // -2.5 and -3.5 mirror to the same magnitudes.
    EXPECT_EQ(channelsAt(run(pic, centreOnly(-1, 2, 0)), 1, 1), rgb(2, 4, 0));
    // A negative divisor mirrors too.
    EXPECT_EQ(channelsAt(run(pic, centreOnly(1, -2, 0)), 1, 1), rgb(2, 4, 0));
    // The bias comes after the division and before the magnitude:
    // 2.5 - 5 = -2.5 -> 2, 3.5 - 5 = -1.5 -> 2, 0 - 5 -> 5.
    EXPECT_EQ(channelsAt(run(pic, centreOnly(1, 2, -5)), 1, 1), rgb(2, 2, 5));
    // A sum of 1148 over nine weights of 1 and divisor 9 is 127.56 -> 128.
    Surface block = uniformSurface(3, 3, rgb(127, 0, 0));
    block.row(0)[0] = rgb(132, 0, 0);
    FilterSettings nine;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            nine.Matrix[r][c] = 1;
    nine.Divide = 9;
    nine.HalfSize = 1;
    EXPECT_EQ(channelsAt(run(block, nine), 1, 1), rgb(128, 0, 0));
}

TEST(Convolution, SimpleKernelsKeepOrSaturateThePicture)
{
    const Surface pic = randomSurface(12, 9, 7);
    const Surface mirrored = run(pic, centreOnly(-1, 1, 0));
    const Surface white = run(pic, centreOnly(1, 1, 300));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool border = x == 0 || y == 0 || x == 11 || y == 8;
            EXPECT_EQ(mirrored.GetPixel(x, y), border ? kPictureBackColor : pic.GetPixel(x, y));
            EXPECT_EQ(white.GetPixel(x, y), border ? kPictureBackColor : 0x00FFFFFF);
        }
}

TEST(Convolution, ThreeByThreeIgnoresTheOuterRing)
{
    const Surface pic = randomSurface(15, 11, 8);
    FilterSettings f = centreOnly(2, 3, 1);
    f.Matrix[1][2] = -1;
    const Surface plain = run(pic, f);
    for (int k : {0, 1, 2, 3, 4, 5, 9, 10, 14, 15, 19, 20, 21, 22, 23, 24})
        f.Matrix[k / 5][k % 5] = static_cast<int16_t>(k * 37 - 400);
    EXPECT_TRUE(run(pic, f).samePixels(plain));
}

TEST(Convolution, DivisorZeroActsAsOne)
{
    const Surface pic = randomSurface(9, 9, 9);
    FilterSettings f = centreOnly(3, 0, 4);
    f.Matrix[1][1] = -2;
    FilterSettings one = f;
    one.Divide = 1;
    EXPECT_TRUE(run(pic, f).samePixels(run(pic, one)));
}

TEST(Convolution, BorderAndTinyPictures)
{
    for (int h : {1, 2}) {
        FilterSettings f = centreOnly(1, 1, 0);
        f.HalfSize = static_cast<int16_t>(h);
        const int side = 2 * h + 1;
        const Surface pic = randomSurface(side, side, 10 + h);
        const Surface out = run(pic, f);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                EXPECT_EQ(out.GetPixel(x, y), x == h && y == h ? pic.GetPixel(h, h) : kPictureBackColor);

        // One short in either direction: nothing computed at all.
        for (auto [w, hh] : {std::pair{side - 1, side + 3}, std::pair{side + 3, side - 1}}) {
            RecordingObserver obs;
            Document doc = openedDocument(randomSurface(w, hh, 30));
            doc.observer = &obs;
            doc.filter = f;
            EXPECT_TRUE(dofiltering(doc));
            EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(w, hh, kPictureBackColor)));
            EXPECT_EQ(obs.started, 1);
            EXPECT_EQ(obs.finished, 1);
        }
    }
}

TEST(Convolution, ProgressStartsAtTheFirstComputedRowWithoutResettingTheBar)
{
    RecordingObserver obs;
    Document doc = openedDocument(randomSurface(10, 8, 11));
    doc.observer = &obs;
    doc.filter = centreOnly(1, 1, 0);
    doc.filter.HalfSize = 2;
    ASSERT_TRUE(dofiltering(doc));
    EXPECT_FALSE(obs.lastBarAtZero);
    ASSERT_EQ(obs.rows, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_FLOAT_EQ(obs.values.front(), 25.0f);
}

TEST(Convolution, OverflowIsRefusedBeforeAnythingChanges)
{
    FilterSettings f;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            f.Matrix[r][c] = 99;
    f.Divide = 1;
    f.HalfSize = 1;

    Surface pic = uniformSurface(20, 10, 0x00FFFFFF);
    pic.row(4)[4] = rgb(1, 2, 3);
    Document doc = openedDocument(pic);
    const Surface before2 = uniformSurface(3, 3, rgb(9, 9, 9));
    doc.Picture2 = before2; // an undo copy that differs from the picture
    RecordingObserver obs;
    doc.observer = &obs;
    doc.filter = f;
    try {
        dofiltering(doc);
        FAIL() << "nine weights of 99 over white must overflow";
    } catch (const FilterOverflow& e) {
        EXPECT_NE(std::string(e.what()).find("exceed the allowed range (-32768 to 32767)"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("nothing was changed"), std::string::npos);
    }
    EXPECT_TRUE(doc.Picture1.samePixels(pic));
    EXPECT_TRUE(doc.Picture2.samePixels(before2));
    EXPECT_EQ(doc.ImageWidth, 20);
    EXPECT_EQ(doc.ImageHeight, 10);
    EXPECT_EQ(obs.started, 0) << "the bar is never shown for a refused command";

    // The same kernel over a dark picture stays in range and runs.
    Surface dark = randomSurface(20, 10, 12);
    for (std::size_t i = 0; i < dark.pixelCount(); ++i)
        dark.data()[i] = dark.data()[i] % 37 * 0x00010101u; // 99 * 36 * 9 = 32076
    const auto want = modelConvolve(dark, f);
    ASSERT_TRUE(want);
    EXPECT_TRUE(run(dark, f).samePixels(*want));

    // One bright pixel, even in a corner that only one sum reads, refuses it.
    dark.row(9)[19] = rgb(0, 0, 255);
    Document risky = openedDocument(dark);
    risky.filter = f;
    EXPECT_THROW(dofiltering(risky), FilterOverflow);
}

TEST(Convolution, EachKindOfOverflowIsFound)
{
    // A single product: 200 * 164 leaves the range, 200 * 163 doesn't.
    FilterSettings product = centreOnly(200, 1, 0);
    Surface pic = uniformSurface(5, 5, rgb(163, 0, 163));
    EXPECT_TRUE(run(pic, product).samePixels(*modelConvolve(pic, product)));
    pic.row(3)[3] = rgb(0, 164, 0);
    Document doc = openedDocument(pic);
    doc.filter = product;
    EXPECT_THROW(dofiltering(doc), FilterOverflow);

    // A running sum that overflows on the way although the final sum would
    // fit: 127 * 255 + 127 * 255 before -127 * 255 brings it back.
    FilterSettings running;
    running.Matrix[1][1] = 127;
    running.Matrix[1][2] = 127;
    running.Matrix[1][3] = -127;
    running.Divide = 1;
    running.HalfSize = 1;
    doc = openedDocument(uniformSurface(4, 4, rgb(0, 255, 0)));
    doc.filter = running;
    EXPECT_THROW(dofiltering(doc), FilterOverflow);

    // The rounded result: |0 / 1 - 32768| = 32768 doesn't fit, |1 - 32768| does.
    FilterSettings bias = centreOnly(1, 1, -32768);
    const Surface lit = uniformSurface(4, 4, rgb(1, 2, 3));
    EXPECT_TRUE(run(lit, bias).samePixels(*modelConvolve(lit, bias)))
        << "the empty top byte of a pixel is no channel and can't overflow";
    doc = openedDocument(uniformSurface(4, 4, rgb(1, 0, 3)));
    doc.filter = bias;
    EXPECT_THROW(dofiltering(doc), FilterOverflow);
}

TEST(Convolution, ReachOutsideTheMatrixIsRefused)
{
    const Surface pic = randomSurface(8, 8, 13);
    for (int16_t h : {int16_t{3}, int16_t{-1}}) {
        Document doc = openedDocument(pic);
        doc.filter = centreOnly(1, 1, 0);
        doc.filter.HalfSize = h;
        EXPECT_THROW(dofiltering(doc), std::invalid_argument);
        EXPECT_TRUE(doc.Picture1.samePixels(pic));
    }
}

TEST(Convolution, AFreshDocumentsZeroSettingsGiveBlackWithoutABorder)
{
    Document doc = openedDocument(randomSurface(6, 4, 14));
    ASSERT_TRUE(dofiltering(doc));
    EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(6, 4, 0)));

    Document empty;
    EXPECT_TRUE(dofiltering(empty));
    EXPECT_TRUE(smooth(empty));
}

// A command that runs in a row break must not reach the pass that is running.
struct MeddlingObserver : PassObserver {
    Document* doc = nullptr;
    bool rowFinished(int, float) override
    {
        clearmatrix(doc->filter);
        doc->filter.HalfSize = 2;
        doc->filter.Divide = 7;
        doc->filter.Bias = 100;
        return true;
    }
};

TEST(Convolution, WorksWithTheSettingsItStartedWith)
{
    const Surface pic = randomSurface(30, 40, 15);
    FilterSettings f = centreOnly(4, 3, -2);
    f.Matrix[1][3] = -1;
    Document doc = openedDocument(pic);
    MeddlingObserver meddler;
    meddler.doc = &doc;
    doc.observer = &meddler;
    doc.filter = f;
    ASSERT_TRUE(dofiltering(doc));
    EXPECT_TRUE(doc.Picture1.samePixels(*modelConvolve(pic, f)));
}

TEST(Presets, WriteTheirSettings)
{
    Document doc = openedDocument(randomSurface(5, 5, 16));
    for (auto& row : doc.filter.Matrix)
        row.fill(5); // left over from a custom kernel
    doc.filter.HalfSize = 2;
    ASSERT_TRUE(smooth(doc));
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(doc.filter.Matrix[r][c], (r >= 1 && r <= 3 && c >= 1 && c <= 3) ? 1 : 0);
    EXPECT_EQ(doc.filter.Divide, 9);
    EXPECT_EQ(doc.filter.Bias, 0);
    EXPECT_EQ(doc.filter.HalfSize, 1);

    for (auto& row : doc.filter.Matrix)
        row.fill(5);
    ASSERT_TRUE(edge(doc));
    const int16_t want[3][3] = {{0, -1, 0}, {-1, 4, -1}, {0, -1, 0}};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) {
            const bool inside = r >= 1 && r <= 3 && c >= 1 && c <= 3;
            EXPECT_EQ(doc.filter.Matrix[r][c], inside ? want[r - 1][c - 1] : 0);
        }
    EXPECT_EQ(doc.filter.Divide, 1);
    EXPECT_EQ(doc.filter.Bias, 0);
    EXPECT_EQ(doc.filter.HalfSize, 1);
}

TEST(Presets, MatchTheModelOnRandomPictures)
{
    // The presets have paths of their own; they must agree with the engine's
    // definition, also on pictures with a saturated and an empty channel.
    for (uint32_t seed = 0; seed < 6; ++seed) {
        Surface pic = randomSurface(3 + seed * 13 % 40, 3 + seed * 7 % 30, 100 + seed);
        if (seed % 2)
            for (std::size_t i = 0; i < pic.pixelCount(); ++i)
                pic.data()[i] = (pic.data()[i] & 0x0000FF00u) | 0x000000FFu;
        Document a = openedDocument(pic);
        ASSERT_TRUE(smooth(a));
        EXPECT_TRUE(a.Picture1.samePixels(*modelConvolve(pic, a.filter)));
        Document b = openedDocument(pic);
        ASSERT_TRUE(edge(b));
        EXPECT_TRUE(b.Picture1.samePixels(*modelConvolve(pic, b.filter)));
    }
}

TEST(Presets, SmoothRowRoundsEveryBlockSum)
{
    // Output pixels three columns apart have blocks of their own; each block
    // is filled to a chosen sum, so every sum 0..2295 is met in every channel.
    const int sums = 9 * 255 + 1, n = 3 * sums;
    std::vector<uint32_t> rows[3];
    for (auto& r : rows)
        r.assign(n + 2, 0);
    auto fill = [&](int block, int shift, int sum) {
        for (int j = 0; j < 9; ++j) {
            const int v = std::min(255, sum);
            sum -= v;
            rows[j / 3][1 + 3 * block + j % 3] |= static_cast<uint32_t>(v) << shift;
        }
    };
    auto redSum = [](int b) { return b; };
    auto greenSum = [&](int b) { return sums - 1 - b; };
    auto blueSum = [&](int b) { return b * 7 % sums; };
    for (int b = 0; b < sums; ++b) {
        fill(b, 0, redSum(b));
        fill(b, 8, greenSum(b));
        fill(b, 16, blueSum(b));
    }
    std::vector<uint32_t> out(n);
    smoothRow(rows[0].data() + 1, rows[1].data() + 1, rows[2].data() + 1, out.data(), n);
    auto mean = [](int sum) { return toInt16(sum / 9.0); };
    for (int b = 0; b < sums; ++b)
        ASSERT_EQ(static_cast<Colour>(out[3 * b + 1]), rgb(mean(redSum(b)), mean(greenSum(b)), mean(blueSum(b))))
            << "block " << b;
}

TEST(Presets, WhiteDotOnBlack)
{
    Surface pic = uniformSurface(7, 7, 0);
    pic.row(3)[3] = 0x00FFFFFF;
    Document s = openedDocument(pic);
    ASSERT_TRUE(smooth(s));
    Document e = openedDocument(pic);
    ASSERT_TRUE(edge(e));
    for (int y = 1; y <= 5; ++y)
        for (int x = 1; x <= 5; ++x) {
            const int dx = std::abs(x - 3), dy = std::abs(y - 3);
            EXPECT_EQ(s.Picture1.GetPixel(x, y), dx <= 1 && dy <= 1 ? rgb(28, 28, 28) : 0) << x << "," << y;
            EXPECT_EQ(e.Picture1.GetPixel(x, y), dx + dy <= 1 ? 0x00FFFFFF : 0) << x << "," << y;
        }
}

TEST(Presets, UniformPictureAndBlackWhiteBoundary)
{
    const Colour c = rgb(10, 200, 77);
    Document s = openedDocument(uniformSurface(6, 5, c));
    ASSERT_TRUE(smooth(s));
    Document e = openedDocument(uniformSurface(6, 5, c));
    ASSERT_TRUE(edge(e));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool border = x == 0 || y == 0 || x == 5 || y == 4;
            EXPECT_EQ(s.Picture1.GetPixel(x, y), border ? kPictureBackColor : c);
            EXPECT_EQ(e.Picture1.GetPixel(x, y), border ? kPictureBackColor : 0);
        }

    Surface boundary = uniformSurface(8, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            boundary.row(y)[x] = 0x00FFFFFF;
    Document b = openedDocument(boundary);
    ASSERT_TRUE(edge(b));
    for (int x = 1; x <= 6; ++x)
        EXPECT_EQ(b.Picture1.GetPixel(x, 2), x == 3 || x == 4 ? 0x00FFFFFF : 0) << x;
}

TEST(Presets, SmoothTwiceTakesInTheBorder)
{
    const Colour c = rgb(90, 90, 90);
    Document doc = openedDocument(uniformSurface(7, 7, c));
    ASSERT_TRUE(smooth(doc));
    ASSERT_TRUE(smooth(doc));
    const Surface& out = doc.Picture1;
    EXPECT_EQ(out.GetPixel(0, 3), kPictureBackColor);
    EXPECT_EQ(out.GetPixel(3, 3), c);
    // Beside a side three of the nine come from the first pass's grey border,
    // in a corner five of them.
    auto mix = [](int inner, int outer) {
        auto one = [&](int back) { return static_cast<int>(std::lround((inner * 90 + outer * back) / 9.0)); };
        return rgb(one(getred(kPictureBackColor)), one(getgreen(kPictureBackColor)),
                   one(getblue(kPictureBackColor)));
    };
    EXPECT_EQ(out.GetPixel(1, 3), mix(6, 3));
    EXPECT_EQ(out.GetPixel(1, 1), mix(4, 5));
    // Undo gives back the first result with its border.
    Document once = openedDocument(uniformSurface(7, 7, c));
    ASSERT_TRUE(smooth(once));
    doc.undo();
    EXPECT_TRUE(doc.Picture1.samePixels(once.Picture1));
}
