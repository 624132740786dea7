#pragma once
// The files a run reads, taken down before it writes anything: no picture of
// the run may replace one of them, whatever the order they come in.
#include <sys/types.h>

#include <string>
#include <vector>

class RunInputs {
public:
    explicit RunInputs(const std::vector<std::string>& inputs);

    // The input that writing `output` would replace (the same file, or the
    // same name where no file is yet), or null.
    const std::string* replaced_by(const std::string& output) const;

private:
    struct Known {
        const std::string* input;
        bool exists;
        dev_t device;
        ino_t inode;
        std::string name;  // its folder's real path and its own name
    };
    std::vector<Known> known_;
};
