#pragma once
// A folder of art rendered in one go: one PNG per file, each failure reported
// on its own while the rest go on.
#include <cstdio>
#include <string>

#include "tools/shot/shot_render.h"

// Below this many files no progress line is shown: they are over at once.
constexpr size_t kProgressFiles = 10;

// DIR/NAME.png, NAME being the input's file name without its extension; with
// `whole_name`, DIR/NAME.EXT.png, the name a later file takes when an
// earlier one of the run wrote its NAME.png.
std::string batch_output_path(const std::string& dir, const std::string& input, bool whole_name = false);

// Renders request.inputs into request.out_dir, each pack's art members into
// its own folder there, on request.jobs threads; each failure and each
// picture a limit cut a line on `errors` ("glyphora-shot: " and the message,
// in the order of the pieces). A later piece whose NAME.png an earlier one
// wrote takes NAME.EXT.png; when that is taken too, it fails; so does one
// whose picture would replace a file the run reads (an input, by name or as
// the same file), whatever their order. With
// `progress`, a line on `errors` that each finished piece rewrites (done of
// total). The exit code: kShotWritten when every PNG was written, else
// kShotFailed.
int render_batch(const ShotRequest& request, std::FILE* errors, bool progress,
                 const ShotTuning& tuning = ShotTuning());
