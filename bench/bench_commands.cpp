// Times every command's whole work (undo copy, clear, pixel work) on big and
// ordinary pictures, beside memcpy of the same bytes and, when OpenCV is
// available, beside the nearest OpenCV operation run on one thread.
//
//   pixpad_bench [--size WxH]... [--repeat N] [--threads N] [--only NAME]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/benchsupport.h"
#include "colour/colourops.h"
#include "document/document.h"
#include "document/workers.h"
#include "filters/filters.h"
#include "geometry/geometry.h"

#ifdef PIXPAD_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

using namespace pixpad;
using namespace pixpad::bench;

namespace {

struct Row {
    std::string command;
    double ms;
    std::string reference;
    double refMs;
    double goal; // allowed ratio to the reference; 0 = none
};


void benchSize(int w, int h, int repeat, const std::string& only)
{
    std::printf("\n%d x %d, %d thread(s), median of %d\n", w, h, Workers::shared().threads(), repeat);
    const Surface picture = randomPicture(w, h);
    Document doc;
    doc.setOpenedPicture(Surface(picture));

    const size_t rgbBytes = static_cast<size_t>(w) * h * 3, rgbxBytes = static_cast<size_t>(w) * h * 4;
    std::vector<unsigned char> a(rgbxBytes, 1), b(rgbxBytes, 2);
    const double memRgb = timeIt(repeat, nullptr, [&] { std::memcpy(b.data(), a.data(), rgbBytes); });
    const double memRgbx = timeIt(repeat, nullptr, [&] { std::memcpy(b.data(), a.data(), rgbxBytes); });
    std::printf("memcpy RGB %.2f ms, RGBX %.2f ms\n", memRgb, memRgbx);

    std::vector<Row> rows;
    auto ref = [&](const char* name) -> double {
#ifdef PIXPAD_HAVE_OPENCV
        cv::setNumThreads(1);
        cv::Mat src(h, w, CV_8UC3), dst;
        cv::randu(src, cv::Scalar::all(0), cv::Scalar::all(255));
        std::string n = name;
        if (n == "bitwise_not")
            return timeIt(repeat, nullptr, [&] { cv::bitwise_not(src, dst); });
        if (n == "cvtColor")
            return timeIt(repeat, nullptr, [&] { cv::cvtColor(src, dst, cv::COLOR_BGR2GRAY); });
        if (n == "flip h")
            return timeIt(repeat, nullptr, [&] { cv::flip(src, dst, 1); });
        if (n == "flip v")
            return timeIt(repeat, nullptr, [&] { cv::flip(src, dst, 0); });
        if (n == "blur 3x3")
            return timeIt(repeat, nullptr, [&] { cv::blur(src, dst, cv::Size(3, 3)); });
        if (n == "laplacian") {
            cv::Mat k = (cv::Mat_<float>(3, 3) << 0, -1, 0, -1, 4, -1, 0, -1, 0), tmp;
            return timeIt(repeat, nullptr, [&] {
                cv::filter2D(src, tmp, CV_16S, k);
                cv::convertScaleAbs(tmp, dst);
            });
        }
        if (n == "emboss 2-tap") {
            cv::Mat k = (cv::Mat_<float>(3, 3) << 0, 0, 0, 0, 1, 0, 0, 0, -1);
            return timeIt(repeat, nullptr, [&] { cv::filter2D(src, dst, -1, k, cv::Point(-1, -1), 128); });
        }
        if (n == "filter2D 5x5") {
            cv::Mat k(5, 5, CV_32F, cv::Scalar(1.0f / 25));
            return timeIt(repeat, nullptr, [&] { cv::filter2D(src, dst, -1, k); });
        }
        if (n == "resize 200%")
            return timeIt(repeat, nullptr,
                          [&] { cv::resize(src, dst, cv::Size(2 * w, 2 * h), 0, 0, cv::INTER_NEAREST); });
#endif
        (void)name;
        return 0;
    };

    // Every command starts from the same photo, as a user meets it in steady
    // state: the original picture is put back (untimed) into the buffers the
    // document already owns, so a run pays for the work and not for fresh
    // pages, and no command works on what an earlier one left (a mask's black
    // and white, say).
    auto restore = [&] {
        doc.Picture1.setPicture(picture);
        doc.ImageWidth = static_cast<int16_t>(w);
        doc.ImageHeight = static_cast<int16_t>(h);
        doc.takeUndoCopy();
    };
    auto add = [&](const char* command, const std::function<void()>& run, const char* refName, double goal,
                   const std::function<void()>& prepare = nullptr) {
        if (!only.empty() && std::string(command).find(only) == std::string::npos)
            return;
        double ms = -1;
        try {
            ms = timeIt(repeat, prepare ? prepare : std::function<void()>(restore), run);
        } catch (const std::exception& e) {
            std::printf("%-16s failed: %s\n", command, e.what());
        }
        rows.push_back({command, ms, refName, ref(refName), goal});
    };

    add("invert", [&] { invert(doc); }, "bitwise_not", 1.5);
    add("red", [&] { keepRed(doc); }, "bitwise_not", 1.5);
    add("green", [&] { keepGreen(doc); }, "bitwise_not", 1.5);
    add("blue", [&] { keepBlue(doc); }, "bitwise_not", 1.5);
    add("mask", [&] { mask(doc); }, "bitwise_not", 1.5);
    add("solarize", [&] { solarize(doc); }, "bitwise_not", 1.5);
    add("grayscale", [&] { grayScale(doc); }, "cvtColor", 2.0);
    add("flip-horizontal", [&] { flipHorizontal(doc); }, "flip h", 1.0);
    add("flip-vertical", [&] { flipVertical(doc); }, "flip v", 1.5);
    add("smooth", [&] { smooth(doc); }, "blur 3x3", 1.0);
    add("edge", [&] { edge(doc); }, "laplacian", 1.0);
    add("emboss", [&] { emboss(doc); }, "emboss 2-tap", 1.0);
    add("sharpen", [&] { sharpen(doc); }, "emboss 2-tap", 1.5);
    add("diffuse", [&] { diffuse(doc); }, "blur 3x3", 1.0);
    add("custom 5x5", [&] { dofiltering(doc); }, "filter2D 5x5", 1.0, [&] {
        setCustom5x5(doc.filter);
        restore();
    });
    add("resize 200%", [&] { resizePicture(doc, 2 * w, 2 * h); }, "resize 200%", 1.0, restore);
    // Cold: a document fresh from Open each time, so both enlarged buffers are
    // new memory (the first resize after opening a photo).
    std::unique_ptr<Document> fresh;
    add("resize cold", [&] { resizePicture(*fresh, 2 * w, 2 * h); }, "resize 200%", 0, [&] {
        fresh.reset();
        fresh = std::make_unique<Document>();
        fresh->setOpenedPicture(Surface(picture));
    });
    fresh.reset();

    std::printf("%-16s %9s   %-14s %9s %7s %6s\n", "command", "ms", "reference", "ref ms", "ratio", "goal");
    for (const Row& r : rows) {
        if (r.refMs > 0 && r.ms >= 0 && r.goal > 0)
            std::printf("%-16s %9.2f   %-14s %9.2f %7.2f %6.2f%s\n", r.command.c_str(), r.ms, r.reference.c_str(),
                        r.refMs, r.ms / r.refMs, r.goal, r.ms / r.refMs <= r.goal ? "" : "  (over)");
        else if (r.refMs > 0 && r.ms >= 0)
            std::printf("%-16s %9.2f   %-14s %9.2f %7.2f %6s\n", r.command.c_str(), r.ms, r.reference.c_str(),
                        r.refMs, r.ms / r.refMs, "-");
        else if (r.ms >= 0)
            std::printf("%-16s %9.2f   %-14s %9s %7s %6s\n", r.command.c_str(), r.ms, r.reference.c_str(), "-", "-", "-");
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::pair<int, int>> sizes;
    int repeat = 7;
    std::string only; // run only the commands whose name contains this
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--size" && i + 1 < argc) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) == 2 && w > 0 && h > 0)
                sizes.emplace_back(w, h);
        } else if (a == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (a == "--threads" && i + 1 < argc) {
            Workers::shared().setThreads(std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: pixpad_bench [--size WxH]... [--repeat N] [--threads N] [--only NAME]\n");
            return 2;
        }
    }
    if (sizes.empty())
        sizes = {{6000, 4000}, {1024, 768}};
#ifndef PIXPAD_HAVE_OPENCV
    std::printf("(built without OpenCV: no reference column; install libopencv-imgproc-dev to get one)\n");
#endif
    for (auto [w, h] : sizes)
        benchSize(w, h, repeat, only);
    return 0;
}
