#pragma once
// One file rendered as a ShotRequest asks and written as one PNG.
#include <string>

#include "platform/png_image.h"
#include "shell/view_frame.h"
#include "tools/shot/input_bytes.h"
#include "tools/shot/shot_options.h"

// How a whole piece or a thumbnail is composed a band of rows at a time: in
// small bands, so the little of the frame in use stays in cache and a short
// process touches (and faults in) few fresh pages; a large piece in larger
// ones, so there are at most max_bands (each composition walks the text from
// its start to the band's first row), but never of more than max_band_bytes,
// which bounds the memory of any picture: a row of the widest PNG (125,000
// cells) takes 16,000,000 bytes.
struct ShotTuning {
    uint32_t band_bytes = 64u << 10;
    uint32_t max_bands = 16;
    uint32_t max_band_bytes = 16u << 20;
    PngCompression compression;
};

// True when `output` now holds the PNG of `input`; otherwise false, with the
// message (which names the file concerned and the reason) in `error`. "-" as
// input is standard input, as output standard output. When a limit cut the
// picture, `notice` (if given) says what was drawn and why.
bool render_shot(const ShotRequest& request, const std::string& input, const std::string& output,
                 std::string& error, const ShotTuning& tuning = ShotTuning(), std::string* notice = nullptr);

// render_shot for a file whose bytes are already read (a pack's member,
// named `name` in messages): the same picture the file would give, made
// from `bytes`, which it takes.
bool render_given(const ShotRequest& request, const std::string& name, InputBytes& bytes,
                  const std::string& output, std::string& error, const ShotTuning& tuning = ShotTuning(),
                  std::string* notice = nullptr);
