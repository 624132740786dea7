#include "tools/shot/pack_batch.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <numeric>

#include "document/file_extension.h"
#include "pack/zip_names.h"
#include "tools/shot/shot_batch.h"
#include "tools/shot/shown_name.h"

namespace {

constexpr char kPackExtension[] = ".zip";

std::string file_name(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes `folder` for a pack's pictures, or finds it there as a folder (not a
// link to one elsewhere): "" or the reason it cannot be written into.
std::string make_folder(const std::string& folder) {
    if (mkdir(folder.c_str(), 0777) == 0) return "";
    const int reason = errno;
    struct stat st {};
    if (reason == EEXIST && lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return "";
    return std::strerror(reason == EEXIST ? ENOTDIR : reason);
}

// Pieces that share a name they may take, joined: a union-find over names.
class NameGroups {
public:
    size_t find(size_t p) {
        while (parent_[p] != p) p = parent_[p] = parent_[parent_[p]];
        return p;
    }
    void add(size_t piece, const std::string (&names)[2]) {
        parent_.push_back(piece);
        for (const std::string& name : names) {
            const auto [it, fresh] = first_.emplace(name, piece);
            if (!fresh) parent_[find(piece)] = find(it->second);
        }
    }
    std::vector<std::vector<size_t>> groups() {
        std::vector<std::vector<size_t>> out;
        std::map<size_t, size_t> slot;
        for (size_t p = 0; p < parent_.size(); ++p) {
            const auto [it, fresh] = slot.emplace(find(p), out.size());
            if (fresh) out.emplace_back();
            out[it->second].push_back(p);
        }
        return out;
    }

private:
    std::vector<size_t> parent_;
    std::map<std::string, size_t> first_;
};

}  // namespace

bool is_pack_name(const std::string& input) { return has_extension(input, kPackExtension); }

std::string pack_folder(const std::string& dir, const std::string& pack, bool whole_name) {
    std::string name = file_name(pack);
    const std::string stem = name.substr(0, name.size() - (sizeof kPackExtension - 1));
    if (!whole_name && !stem.empty() && stem != "." && stem != "..") name = stem;
    const bool joined = dir.empty() || dir.back() == '/';
    return dir + (joined ? "" : "/") + name;
}

std::string member_picture_name(const std::string& path) {
    const std::string_view last = member_file_name(path);
    std::string name;
    for (size_t i = 0; i < last.size(); ++i) {
        const uint8_t b = uint8_t(last[i]);
        // C1 controls are U+0080..U+009F: C2 80..C2 9F in UTF-8.
        const bool c1 = b == 0xC2 && i + 1 < last.size() && uint8_t(last[i + 1]) <= 0x9F && uint8_t(last[i + 1]) >= 0x80;
        if (c1) ++i;
        name += b < 0x20 || b == 0x7F || c1 ? '_' : char(b);
    }
    return name;
}

BatchPlan plan_batch(const std::vector<std::string>& inputs, const std::string& dir,
                     const std::function<void(const std::string&)>& report) {
    BatchPlan plan;
    std::map<std::string, const std::string*> folders;
    NameGroups names;
    const auto add = [&](Piece piece) {
        names.add(plan.pieces.size(), piece.outputs);
        plan.pieces.push_back(std::move(piece));
    };
    for (const std::string& input : inputs) {
        if (!is_pack_name(input)) {
            add(Piece{&input, nullptr, nullptr, shown_name(input),
                      {batch_output_path(dir, input), batch_output_path(dir, input, true)}});
            continue;
        }
        PackReader reader;
        PackPlan pack;
        std::string error;
        const std::string shown = shown_name(input);
        if (!reader.open_file(input, error) || !reader.list_art(pack.art, error)) {
            report("cannot read " + shown + ": " + error);
            plan.failed = true;
            continue;
        }
        pack.path = input;
        pack.folder = pack_folder(dir, input);
        if (folders.count(pack.folder)) pack.folder = pack_folder(dir, input, true);
        const auto earlier = folders.find(pack.folder);
        if (earlier != folders.end()) {
            report("cannot write into " + shown_name(pack.folder) + " for " + shown + ": it holds the pictures of " +
                   shown_name(*earlier->second));
            plan.failed = true;
            continue;
        }
        const std::string problem = make_folder(pack.folder);
        if (!problem.empty()) {
            report("cannot write into " + shown_name(pack.folder) + ": " + problem);
            plan.failed = true;
            continue;
        }
        folders.emplace(pack.folder, &input);
        const PackPlan& kept = plan.packs.emplace_back(std::move(pack));
        for (const PackMember& member : kept.art) {
            const std::string picture = member_picture_name(member.path);
            add(Piece{&kept.path, &kept, &member, shown + ": " + shown_name(member.path),
                      {batch_output_path(kept.folder, picture), batch_output_path(kept.folder, picture, true)}});
        }
    }
    plan.groups = names.groups();
    return plan;
}
