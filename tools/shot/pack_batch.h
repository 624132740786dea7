#pragma once
// What a --out-dir run makes, planned before any picture: a piece for each
// file and for each art member of each pack, with the names its picture may
// take, and the pieces that may take each other's names put in one group
// (made in order, by one job), so the pictures are the same for any jobs.
#include <deque>
#include <string>
#include <vector>

#include "pack/pack_reader.h"
#include "tools/shot/shot_jobs.h"

// Whether `input` is read as a pack: its name ends in .zip, in any case.
bool is_pack_name(const std::string& input);

// DIR/PACK, PACK being the pack's file name without .zip; with `whole_name`
// (an earlier pack of the run took that folder), with it. A name that would
// leave nothing, "." or ".." keeps its .zip.
std::string pack_folder(const std::string& dir, const std::string& pack, bool whole_name = false);

// The file name a member's picture is named after: the last part of its path
// ('/' and '\' both part it), each control character (C0, DEL, C1) as '_'.
// It holds no slash, so the picture lands in the pack's folder whatever the
// path says.
std::string member_picture_name(const std::string& path);

struct PackPlan {
    std::string path;  // the pack, as given
    std::string folder;
    std::vector<PackMember> art;
};

struct Piece {
    const std::string* input = nullptr;  // the file, or the pack's path
    const PackPlan* pack = nullptr;      // null for a file
    const PackMember* member = nullptr;
    std::string shown;                   // its name in messages
    std::string outputs[2];              // NAME.png, or NAME.EXT.png when an earlier piece took that
};

struct BatchPlan {
    std::deque<PackPlan> packs;
    std::vector<Piece> pieces;                // in the order of the command line and the packs' lists
    std::vector<std::vector<size_t>> groups;  // ordered by their first piece
    bool failed = false;                      // a pack could not be read or given its folder
};

// Plans the run of `inputs` into `dir`: reads each pack's list and makes its
// folder; a pack that cannot be read or given one is reported on `report`
// and sets `failed`.
BatchPlan plan_batch(const std::vector<std::string>& inputs, const std::string& dir,
                     const std::function<void(const std::string&)>& report);
