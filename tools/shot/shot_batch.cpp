#include "tools/shot/shot_batch.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "tools/shot/pack_batch.h"
#include "tools/shot/shot_jobs.h"

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

// Each job's own reader of the pack it is in: members of one pack are made
// one after another, so a job opens each pack it works in once.
struct JobPack {
    const PackPlan* pack = nullptr;
    std::unique_ptr<PackReader> reader;
    std::string error;
};

// The bytes of a piece: a file is read as it is made; a member is read here.
bool read_member(const Piece& piece, JobPack& job, InputBytes& bytes, std::string& error) {
    if (job.pack != piece.pack) {
        job.pack = piece.pack;
        job.reader = std::make_unique<PackReader>();
        if (!job.reader->open_file(piece.pack->path, job.error)) job.error = "cannot read pack: " + job.error;
        else job.error.clear();
    }
    PackBytes member;
    if (!job.error.empty() || !job.reader->read(*piece.member, member, error)) {
        error = piece.shown + ": " + (job.error.empty() ? error : job.error);
        return false;
    }
    bytes.bytes = std::move(member.bytes);
    bytes.size = member.size;
    return true;
}

class BatchRun {
public:
    const ShotRequest& request;
    const ShotTuning& tuning;
    const BatchPlan& plan;
    BatchReport& report;
    const RunInputs& inputs;
    std::vector<JobPack> jobs;
    // A member's bytes and what its picture makes of them cost memory; a
    // run holds few at once, whatever its number of jobs.
    MemoryGate gate{kMaxMemberSize};
    std::atomic<bool> failed{false};

    // The pieces of one group, in order: a later one whose NAME.png an earlier
    // one wrote takes NAME.EXT.png; when that is taken too, it fails.
    void make_group(size_t group, unsigned worker) {
        std::map<std::string, const std::string*> written_from;
        for (const size_t p : plan.groups[group]) {
            const Piece& piece = plan.pieces[p];
            std::string output = piece.outputs[0];
            if (written_from.count(output)) output = piece.outputs[1];
            const auto earlier = written_from.find(output);
            const std::string* read = inputs.replaced_by(output);
            std::string error, notice;
            bool ok;
            if (earlier != written_from.end()) {
                error = "cannot write " + shown_name(output) + " for " + piece.shown + ": it is the picture of " +
                        *earlier->second;
                ok = false;
            } else if (read) {
                const bool itself = read == piece.input && !piece.member;
                error = "cannot write " + shown_name(output) + (itself ? "" : " for " + piece.shown) + ": it is " +
                        shown_name(*read) + (itself ? " itself" : ", an input of this run");
                ok = false;
            } else {
                ok = make(piece, output, worker, error, notice);
            }
            if (ok) written_from.emplace(output, &piece.shown);
            std::vector<std::string> lines;
            if (!ok || !notice.empty()) lines.push_back(ok ? notice : error);
            if (!ok) failed = true;
            report.done(p, std::move(lines));
        }
    }

    bool make(const Piece& piece, const std::string& output, unsigned worker, std::string& error, std::string& notice) {
        if (!piece.member) return render_shot(request, *piece.input, output, error, tuning, &notice);
        // A member refused by its entry is never read: it holds nothing.
        const uint64_t held = piece.member->problem.empty() ? piece.member->size : 0;
        gate.enter(held);
        InputBytes bytes;
        const bool ok = read_member(piece, jobs[worker], bytes, error) &&
                        render_given(request, piece.shown, bytes, output, error, tuning, &notice);
        bytes = InputBytes();
        gate.leave(held);
        return ok;
    }
};

}  // namespace

int render_batch(const ShotRequest& request, std::FILE* errors, bool progress, const ShotTuning& tuning) {
    struct stat st {};
    const int found = stat(request.out_dir.c_str(), &st);
    if (found != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(errors, "glyphora-shot: cannot write into %s: %s\n", shown_name(request.out_dir).c_str(),
                     std::strerror(found != 0 ? errno : ENOTDIR));
        return kShotFailed;
    }
    const auto say = [&](const std::string& line) { std::fprintf(errors, "glyphora-shot: %s\n", line.c_str()); };
    const BatchPlan plan = plan_batch(request.inputs, request.out_dir, say);
    const size_t total = plan.pieces.size();
    BatchReport report(errors, progress && total >= kProgressFiles, total);
    const unsigned jobs = request.jobs ? request.jobs : std::min(default_jobs(), kMaxJobs);
    const RunInputs run_inputs(request.inputs);
    BatchRun run{request, tuning, plan, report, run_inputs, std::vector<JobPack>(jobs)};
    run_tasks(plan.groups.size(), jobs, [&](size_t group, unsigned worker) { run.make_group(group, worker); });
    report.finish();
    return plan.failed || run.failed ? kShotFailed : kShotWritten;
}
