// glyphora-shot: ANSI and ASCII art as Glyphora's window shows it, as PNG
// pictures: a window's view, the whole piece, a thumbnail, or a folder of art
// in one go (see --help and glyphora-shot(1)). It runs the program's own
// Viewer on a virtual window, so every picture is what the program would show.
#include <unistd.h>

#include <cstdio>

#include "tools/shot/shot_batch.h"
#include "tools/shot/shot_info.h"
#include "tools/shot/shot_options.h"
#include "tools/shot/shot_render.h"
#include "tools/shot/shown_name.h"

int main(int argc, char** argv) {
    ParsedCommand command = parse_shot_command(argc, argv);
    if (command.outcome == ParseOutcome::help || command.outcome == ParseOutcome::version) {
        if (command.outcome == ParseOutcome::help)
            std::printf("%s\n%s", kShotUsage, kShotHelp);
        else
            std::printf("glyphora-shot %s\n", GLYPHORA_VERSION);
        return std::fflush(stdout) == 0 ? kShotWritten : kShotFailed;
    }
    if (command.outcome == ParseOutcome::run)
        command.problem = output_problem(command.request, isatty(STDOUT_FILENO) == 1);
    if (command.outcome == ParseOutcome::usage_error || !command.problem.empty()) {
        std::fprintf(stderr, "glyphora-shot: %s\n%sTry 'glyphora-shot --help' for more.\n",
                     shown_name(command.problem).c_str(), kShotUsage);
        return kShotUsageError;
    }
    const ShotRequest& request = command.request;
    std::string error, notice;
    if (request.info) {
        if (print_info(request, request.inputs.front(), stdout, error)) return kShotWritten;
        std::fprintf(stderr, "glyphora-shot: %s\n", error.c_str());
        return kShotFailed;
    }
    if (!request.out_dir.empty()) return render_batch(request, stderr, isatty(STDERR_FILENO) == 1);
    const bool written = render_shot(request, request.inputs.front(), request.output, error, ShotTuning(), &notice);
    const std::string& message = written ? notice : error;
    if (!message.empty()) std::fprintf(stderr, "glyphora-shot: %s\n", message.c_str());
    return written ? kShotWritten : kShotFailed;
}
