// Every command in every state: before any Open, on the smallest pictures and
// in long random sequences. Whatever runs, the document must stay whole:
// Picture1 is ImageWidth x ImageHeight, no pixel carries a stray top byte, a
// refused command changes nothing, and Undo gives back exactly the picture as
// it was before the last command. The sanitizer build runs these too, so a
// read outside a picture anywhere on these paths is caught there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <exception>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "colour/colourops.h"
#include "filters/filters.h"
#include "geometry/geometry.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

struct Command {
    const char* name;
    std::function<void(Document&, std::mt19937&, std::string&)> run;
    bool resizes = false;
    bool isUndo = false;
};

int pick(std::mt19937& gen, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); }

// Custom filter settings as the dialog or pixpad-batch could hand them over,
// plus the out-of-range reaches and the divisor 0 that only other callers send.
void randomFilter(Document& doc, std::mt19937& gen, std::string& detail)
{
    FilterSettings& f = doc.filter;
    const int scale = pick(gen, 0, 3) == 0 ? 9999 : 9;
    for (auto& row : f.Matrix)
        for (auto& w : row)
            w = static_cast<int16_t>(pick(gen, 0, 2) == 0 ? 0 : pick(gen, -scale, scale));
    f.Divide = static_cast<int16_t>(pick(gen, 0, 4) == 0 ? 0 : pick(gen, -300, 300));
    f.Bias = static_cast<int16_t>(pick(gen, 0, 1) == 0 ? 0 : pick(gen, -9999, 9999));
    f.HalfSize = static_cast<int16_t>(pick(gen, 0, 9) == 0 ? pick(gen, -3, 5) : pick(gen, 0, 2));
    std::ostringstream s;
    s << " Divide " << f.Divide << " Bias " << f.Bias << " HalfSize " << f.HalfSize;
    detail = s.str();
}

std::vector<Command> allCommands()
{
    auto pass = [](const char* name, bool (*fn)(Document&)) {
        return Command{name, [fn](Document& d, std::mt19937&, std::string&) { fn(d); }};
    };
    return {
        {"invert", [](Document& d, std::mt19937&, std::string&) { invert(d); }},
        pass("keepRed", keepRed),
        pass("keepGreen", keepGreen),
        pass("keepBlue", keepBlue),
        pass("grayScale", grayScale),
        pass("mask", mask),
        pass("solarize", solarize),
        pass("smooth", smooth),
        pass("edge", edge),
        pass("sharpen", sharpen),
        pass("emboss", emboss),
        pass("diffuse", diffuse),
        {"dofiltering",
         [](Document& d, std::mt19937& g, std::string& detail) {
             randomFilter(d, g, detail);
             dofiltering(d);
         }},
        {"flipHorizontal", [](Document& d, std::mt19937&, std::string&) { flipHorizontal(d); }},
        {"flipVertical", [](Document& d, std::mt19937&, std::string&) { flipVertical(d); }},
        {"rotateEntry", [](Document& d, std::mt19937&, std::string&) { rotateEntry(d); }},
        {"resizePicture",
         [](Document& d, std::mt19937& g, std::string& detail) {
             // Mostly small sizes, now and then one the picture can't take.
             int w = pick(g, 1, 9), h = pick(g, 1, 9);
             switch (pick(g, 0, 11)) {
             case 0: w = 0; break;
             case 1: h = pick(g, -40000, -1); break;
             case 2: w = 32768; break;
             case 3: w = 20000, h = 20000; break; // more pixels than the budget
             default: break;
             }
             detail = " to " + std::to_string(w) + "x" + std::to_string(h);
             resizePicture(d, w, h);
         },
         true},
        {"undo", [](Document& d, std::mt19937&, std::string&) { d.undo(); }, false, true},
    };
}

struct State {
    Surface p1, p2;
    int16_t w, h;
    explicit State(const Document& d) : p1(d.Picture1), p2(d.Picture2), w(d.ImageWidth), h(d.ImageHeight) {}
};

// Empty when the document is sound.
std::string soundness(const Document& d)
{
    std::ostringstream s;
    if (d.Picture1.width() != d.ImageWidth || d.Picture1.height() != d.ImageHeight)
        s << "Picture1 is " << d.Picture1.width() << "x" << d.Picture1.height() << " but the document "
          << d.ImageWidth << "x" << d.ImageHeight << "; ";
    if (d.Picture2.width() != d.ImageWidth || d.Picture2.height() != d.ImageHeight)
        s << "Picture2 is " << d.Picture2.width() << "x" << d.Picture2.height() << "; ";
    for (int y = 0; y < d.Picture1.height(); ++y)
        for (int x = 0; x < d.Picture1.width(); ++x)
            if (d.Picture1.row(y)[x] & 0xFF000000u) {
                s << "pixel " << x << "," << y << " has a top byte; ";
                return s.str();
            }
    return s.str();
}

// Runs `steps` random commands on `doc` and checks each step against the
// state before it. Failures name the seed and the steps that led there.
void runSequence(Document& doc, uint32_t seed, int steps)
{
    const std::vector<Command> commands = allCommands();
    std::mt19937 gen(seed);
    std::string trail;
    for (int step = 0; step < steps; ++step) {
        const Command& c = commands[pick(gen, 0, static_cast<int>(commands.size()) - 1)];
        std::string detail;
        const State before(doc);
        bool refused = false;
        try {
            c.run(doc, gen, detail);
        } catch (const std::exception& e) {
            refused = true;
            ASSERT_NE(std::string(e.what()), "") << "a refusal must say why";
        }
        trail += std::string(" ") + c.name + detail + (refused ? " (refused)" : "");
        if (trail.size() > 600)
            trail.erase(0, trail.size() - 600);
        const std::string where = "seed " + std::to_string(seed) + ", step " + std::to_string(step) +
                                  ", after ..." + trail;
        ASSERT_EQ(soundness(doc), "") << where;

        if (refused) {
            ASSERT_TRUE(doc.Picture1.samePixels(before.p1)) << where;
            ASSERT_TRUE(doc.Picture2.samePixels(before.p2)) << where;
            ASSERT_EQ(doc.ImageWidth, before.w) << where;
            ASSERT_EQ(doc.ImageHeight, before.h) << where;
            continue;
        }
        if (c.isUndo) {
            ASSERT_TRUE(doc.Picture1.samePixels(before.p2)) << where;
            ASSERT_TRUE(doc.Picture2.samePixels(before.p2)) << where;
            continue;
        }
        if (c.resizes) {
            // The layout took a fresh undo copy: Undo keeps the resized picture.
            ASSERT_TRUE(doc.Picture2.samePixels(doc.Picture1)) << where;
        } else {
            ASSERT_EQ(doc.ImageWidth, before.w) << where;
            ASSERT_EQ(doc.ImageHeight, before.h) << where;
        }
        // Undo now and then, and check it brings back the state before the
        // command exactly.
        if (pick(gen, 0, 2) == 0) {
            const Surface result = doc.Picture1;
            doc.undo();
            trail += " undo";
            ASSERT_TRUE(doc.Picture1.samePixels(c.resizes ? result : before.p1)) << where << " undo";
            ASSERT_EQ(soundness(doc), "") << where << " undo";
        }
    }
}

const std::pair<int, int> kTinySizes[] = {{1, 1}, {1, 2}, {1, 7}, {2, 1}, {7, 1}, {2, 2},
                                          {3, 3}, {4, 4}, {5, 5}, {1, 31}, {31, 1}, {6, 5}};

uint32_t baseSeed()
{
    // PIXPAD_SEED replays a failure printed by an earlier run.
    if (const char* s = std::getenv("PIXPAD_SEED"))
        return static_cast<uint32_t>(std::strtoul(s, nullptr, 10));
    return std::random_device{}();
}

} // namespace

TEST(EveryState, EachCommandBeforeAnyOpenLeavesAnEmptySoundDocument)
{
    for (const Command& c : allCommands()) {
        if (c.resizes)
            continue; // Resize gives the document a size; the sequences cover it
        for (uint32_t seed = 0; seed < 8; ++seed) {
            SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed));
            Document doc;
            RecordingObserver obs;
            doc.observer = &obs;
            std::mt19937 gen(seed);
            std::string detail;
            try {
                c.run(doc, gen, detail);
            } catch (const std::exception&) {
                // Refusing is fine; changing something is not (checked below).
            }
            EXPECT_EQ(doc.ImageWidth, 0);
            EXPECT_EQ(doc.ImageHeight, 0);
            EXPECT_TRUE(doc.Picture1.isEmpty());
            EXPECT_TRUE(doc.Picture2.isEmpty());
            EXPECT_TRUE(obs.rows.empty()) << "a pass over no picture reported a row";
            EXPECT_EQ(obs.started, obs.finished);
        }
    }
}

TEST(EveryState, EachCommandOnTheSmallestAndThinnestPicturesThenUndo)
{
    std::vector<std::pair<int, int>> sizes(std::begin(kTinySizes), std::end(kTinySizes));
    sizes.insert(sizes.end(), {{32767, 1}, {1, 32767}, {32767, 2}, {3, 32767}});
    for (auto [w, h] : sizes) {
        for (const Command& c : allCommands()) {
            for (uint32_t seed = 0; seed < 6; ++seed) {
                SCOPED_TRACE(std::string(c.name) + " on " + std::to_string(w) + "x" + std::to_string(h) +
                             " seed " + std::to_string(seed));
                const Surface pic = randomSurface(w, h, 1000 * w + h + seed);
                Document doc = openedDocument(pic);
                std::mt19937 gen(seed);
                std::string detail;
                bool refused = false;
                try {
                    c.run(doc, gen, detail);
                } catch (const std::exception&) {
                    refused = true;
                }
                SCOPED_TRACE(detail);
                EXPECT_EQ(soundness(doc), "");
                if (refused || c.resizes) {
                    EXPECT_TRUE(doc.Picture2.samePixels(refused ? pic : doc.Picture1));
                    continue;
                }
                EXPECT_EQ(doc.ImageWidth, w);
                EXPECT_EQ(doc.ImageHeight, h);
                doc.undo();
                EXPECT_TRUE(doc.Picture1.samePixels(pic));
            }
        }
    }
}

TEST(EveryState, RandomSequencesFromEveryStartingSize)
{
    const uint32_t seed0 = baseSeed();
    std::cout << "[ robust  ] seeds start at " << seed0 << " (PIXPAD_SEED replays)\n";
    std::vector<std::pair<int, int>> starts(std::begin(kTinySizes), std::end(kTinySizes));
    starts.insert(starts.begin(), {0, 0});
    for (size_t i = 0; i < starts.size(); ++i) {
        const auto [w, h] = starts[i];
        const uint32_t seed = seed0 + static_cast<uint32_t>(i);
        Document doc;
        if (w > 0)
            doc.setOpenedPicture(randomSurface(w, h, seed));
        runSequence(doc, seed, 400);
        if (HasFatalFailure())
            return;
    }
}

// A pass abandoned part-way (the window closing) still leaves Undo able to
// bring back the picture from before it, and the document sound in size.
TEST(EveryState, AbandonedPassesLeaveUndoIntact)
{
    const std::vector<Command> commands = allCommands();
    std::mt19937 gen(77);
    for (int round = 0; round < 200; ++round) {
        const int w = pick(gen, 1, 40), h = pick(gen, 1, 40);
        const Surface pic = randomSurface(w, h, round);
        Document doc = openedDocument(pic);
        RecordingObserver obs;
        obs.abandonAfter = pick(gen, 1, h);
        doc.observer = &obs;
        const Command& c = commands[pick(gen, 1, 12)]; // the pixel passes
        std::string detail;
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(w) + "x" + std::to_string(h) +
                     " abandoned after " + std::to_string(obs.abandonAfter));
        try {
            c.run(doc, gen, detail);
        } catch (const std::exception&) {
        }
        EXPECT_EQ(obs.started, obs.finished);
        EXPECT_EQ(doc.Picture1.width(), w);
        EXPECT_EQ(doc.Picture1.height(), h);
        doc.undo();
        EXPECT_TRUE(doc.Picture1.samePixels(pic));
    }
}

// A document handed on by value (a helper returning it, a container growing)
// must lay itself out, not the document it was moved or copied from, which
// may be gone by then.
TEST(EveryState, MovedAndCopiedDocumentsTakeTheirOwnUndoCopy)
{
    const Surface pic = randomSurface(5, 4, 3);
    auto check = [&](Document& d, const char* how) {
        resizePicture(d, 3, 7);
        EXPECT_TRUE(d.Picture2.samePixels(d.Picture1)) << how;
        EXPECT_EQ(soundness(d), "") << how;
    };
    std::vector<Document> docs(1);
    docs[0].setOpenedPicture(Surface(pic));
    docs.resize(20); // moves the first document to new storage
    check(docs[0], "moved");
    Document copy = docs[0];
    docs.clear();
    check(copy, "copied");
    Document target;
    {
        Document source;
        source.setOpenedPicture(Surface(pic));
        target = source;
    }
    check(target, "assigned from a document now gone");
}
