#include "tools/shot/shot_batch.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "tools/shot/run_inputs.h"
#include "tools/shot/shown_name.h"

std::string batch_output_path(const std::string& dir, const std::string& input, bool whole_name) {
    const size_t slash = input.find_last_of('/');
    std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    // A leading dot names a hidden file; it is no extension.
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0 && !whole_name) name.erase(dot);
    const bool joined = dir.empty() || dir.back() == '/';
    return dir + (joined ? "" : "/") + name + ".png";
}

namespace {

// Erases the progress line, if one is shown, before a message or at the end.
void clear_progress(std::FILE* errors, bool progress) {
    if (progress) std::fputs("\r\x1b[K", errors);
}

}  // namespace

int render_batch(const ShotRequest& request, std::FILE* errors, bool progress, const ShotTuning& tuning) {
    struct stat st {};
    const int found = stat(request.out_dir.c_str(), &st);
    if (found != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(errors, "glyphora-shot: cannot write into %s: %s\n", shown_name(request.out_dir).c_str(),
                     std::strerror(found != 0 ? errno : ENOTDIR));
        return kShotFailed;
    }
    const size_t total = request.inputs.size();
    progress = progress && total >= kProgressFiles;
    std::map<std::string, const std::string*> written_from;
    const RunInputs run_inputs(request.inputs);
    int status = kShotWritten;
    std::string error, notice;
    for (size_t i = 0; i < total; ++i) {
        const std::string& input = request.inputs[i];
        if (progress) std::fprintf(errors, "\r\x1b[K%zu/%zu %s", i, total, shown_name(input).c_str());
        std::string output = batch_output_path(request.out_dir, input);
        if (written_from.count(output)) output = batch_output_path(request.out_dir, input, true);
        const auto earlier = written_from.find(output);
        const std::string* read = run_inputs.replaced_by(output);
        bool ok;
        if (earlier != written_from.end()) {
            error = "cannot write " + shown_name(output) + " for " + shown_name(input) + ": it is the picture of " +
                    shown_name(*earlier->second);
            ok = false;
        } else if (read) {
            error = "cannot write " + shown_name(output) + (read == &input ? "" : " for " + shown_name(input)) +
                    ": it is " + shown_name(*read) + (read == &input ? " itself" : ", an input of this run");
            ok = false;
        } else {
            ok = render_shot(request, input, output, error, tuning, &notice);
        }
        if (ok) written_from.emplace(output, &input);
        if (!ok || !notice.empty()) {
            clear_progress(errors, progress);
            std::fprintf(errors, "glyphora-shot: %s\n", (ok ? notice : error).c_str());
        }
        if (!ok) status = kShotFailed;
    }
    clear_progress(errors, progress);
    return status;
}
