#pragma once
// One file rendered as a ShotRequest asks and written as one PNG.
#include <string>

#include "platform/png_image.h"
#include "shell/view_frame.h"
#include "tools/shot/shot_options.h"

struct ShotTuning {
    uint32_t band_bytes = kMaxFrameBytes;  // frame bytes per band of a whole piece
    PngCompression compression;
};

// True when `output` now holds the PNG of `input`; otherwise false, with the
// message (which names the file concerned and the reason) in `error`.
bool render_shot(const ShotRequest& request, const std::string& input, const std::string& output,
                 std::string& error, const ShotTuning& tuning = ShotTuning());
