#pragma once
// The frame shared by the colour operations' passes: a row rule
// rule(const uint32_t* src, uint32_t* dst, int n) run over the loop ranges by
// dopixelpass, its output streamed past the caches on big pictures.
#include <cstddef>
#include <cstdint>

#include "document/pixelpass.h"
#include "document/rowstream.h"

namespace pixpad {

template <class Rule>
bool runColourPass(Document& doc, Rule rule, PassInputs inputs)
{
    const bool stream = streamingPays(doc.Picture1.pixelCount());
    RowMapRule pass([rule, stream](const uint32_t* s, uint32_t* d, int n) {
        writeRow(d, static_cast<std::size_t>(n), stream,
                 [&](std::size_t begin, uint32_t* out, std::size_t count) {
                     rule(s + begin, out, static_cast<int>(count));
                 });
    });
    return dopixelpass(doc, pass, inputs);
}

} // namespace pixpad
