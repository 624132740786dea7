#pragma once
// glyphora-shot's command line: what to render, how, and where to.
#include <cstdint>
#include <string>
#include <vector>

#include "render/viewer.h"

enum class ShotMode {
    window,     // what a window of columns x rows cells shows
    whole,      // the whole shown text, nothing cut and no blank padding
    thumbnail,  // the top of the piece at full width, scaled down to thumbnail_px
};

struct ShotRequest {
    ShotMode mode = ShotMode::window;
    uint32_t columns = kStartViewCols;
    uint32_t rows = kStartViewRows;
    bool sized = false;
    uint32_t thumbnail_px = 0;
    bool wrap = false;
    bool has_top = false;
    uint32_t top = 0;
    bool has_left = false;
    uint32_t left = 0;
    std::vector<std::string> inputs;
    std::string output;   // with one input and no out_dir
    std::string out_dir;  // empty unless --out-dir
    // --standard: ANSI read as the standard has it; --columns: its screen's
    // width (0: SAUCE's, else 80); --info: what the reading found, printed.
    bool standard = false;
    uint32_t screen_columns = 0;
    bool info = false;
    uint32_t jobs = 0;    // pictures made at once with --out-dir; 0: one per core
};

// At most this many jobs: each may have a picture open for writing.
constexpr uint32_t kMaxJobs = 256;

enum class ParseOutcome { run, help, version, usage_error };

struct ParsedCommand {
    ParseOutcome outcome = ParseOutcome::usage_error;
    ShotRequest request;
    std::string problem;  // what is wrong with the command line, for usage errors
};

ParsedCommand parse_shot_command(int argc, const char* const* argv);

// The usage lines, and the whole --help text (which ends with the exit codes).
extern const char kShotUsage[];
extern const char kShotHelp[];

// Why `request` cannot run where its output would go, or "" when it can: a
// PNG for standard output is not sent to a terminal.
std::string output_problem(const ShotRequest& request, bool output_is_terminal);

// Exit codes.
constexpr int kShotWritten = 0;
constexpr int kShotFailed = 1;
constexpr int kShotUsageError = 2;
