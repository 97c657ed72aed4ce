// Every neighbourhood filter gives the same picture whether its rows are
// shared among threads or not.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/workers.h"
#include "filters/filters.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

struct ThreadCount {
    explicit ThreadCount(int n) : saved(Workers::shared().threads()) { Workers::shared().setThreads(n); }
    ~ThreadCount() { Workers::shared().setThreads(saved); }
    int saved;
};

void custom5x5(Document& doc)
{
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            doc.filter.Matrix[r][c] = static_cast<int16_t>((r * 5 + c) % 7 - 2);
    doc.filter.Divide = -3;
    doc.filter.Bias = 17;
    doc.filter.HalfSize = 2;
}

// Only a picture with a single bright pixel far down keeps this from
// overflowing, so the check has to look at every band.
void risky3x3(Document& doc)
{
    clearmatrix(doc.filter);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            doc.filter.Matrix[r][c] = 60;
    doc.filter.Divide = 50;
    doc.filter.Bias = 0;
    doc.filter.HalfSize = 1;
}

} // namespace

TEST(FilterThreads, OneThreadAndThreeThreadsAgree)
{
    Surface pic = randomSurface(301, 157, 99);
    Surface dark = pic;
    for (std::size_t i = 0; i < dark.pixelCount(); ++i)
        dark.data()[i] &= 0x003F3F3F;
    Surface darkButOne = dark;
    darkButOne.row(150)[290] = 0x00FF0000;

    const std::vector<std::pair<std::string, std::function<bool(Document&)>>> commands = {
        {"smooth", smooth},
        {"edge", edge},
        {"sharpen", sharpen},
        {"emboss", emboss},
        {"diffuse", diffuse},
        {"custom", [](Document& d) { custom5x5(d); return dofiltering(d); }},
        {"risky", [](Document& d) { risky3x3(d); return dofiltering(d); }},
    };
    for (const auto& entry : commands) {
        const std::string& name = entry.first;
        const auto& command = entry.second;
        for (const Surface* input : {&pic, &dark, &darkButOne}) {
            auto runWith = [&](int threads, std::string& error) {
                ThreadCount count(threads);
                Document doc = openedDocument(*input);
                doc.diffuseRandom.advance(12345);
                try {
                    EXPECT_TRUE(command(doc));
                } catch (const FilterOverflow& e) {
                    error = e.what();
                }
                return doc;
            };
            std::string error1, error3;
            const Document one = runWith(1, error1);
            const Document three = runWith(3, error3);
            EXPECT_EQ(error1, error3) << name;
            EXPECT_TRUE(one.Picture1.samePixels(three.Picture1)) << name;
            EXPECT_EQ(one.diffuseRandom, three.diffuseRandom) << name;
        }
    }
}
