#include "tools/shot/run_inputs.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/output_file.h"

namespace {

// `path` as its folder's real path and its last part, so that ./a.png, a.png
// and dir/../a.png are one name whether or not a.png exists yet.
std::string full_name(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    char real[PATH_MAX];
    if (!realpath(folder.c_str(), real)) return path;
    return std::string(real) + "/" + last;
}

}  // namespace

RunInputs::RunInputs(const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        Known known{&input, false, 0, 0, ""};
        struct stat st {};
        // Standard input may be a file too: the one the shell redirected.
        if (is_standard_stream(input)) {
            known.exists = fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode);
        } else {
            known.exists = stat(input.c_str(), &st) == 0;
            known.name = full_name(input);
        }
        known.device = st.st_dev;
        known.inode = st.st_ino;
        known_.push_back(known);
    }
}

const std::string* RunInputs::replaced_by(const std::string& output) const {
    if (is_standard_stream(output)) return nullptr;
    struct stat st {};
    const bool exists = stat(output.c_str(), &st) == 0;
    const std::string name = full_name(output);
    for (const Known& known : known_) {
        if (known.exists && exists && known.device == st.st_dev && known.inode == st.st_ino) return known.input;
        if (!known.name.empty() && known.name == name) return known.input;
    }
    return nullptr;
}
