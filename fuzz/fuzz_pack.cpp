// Any bytes as a ZIP pack: the reader lists its art members and reads each,
// within the member limit, and every member it cannot read has one of the
// reasons the page's reader gives too. The sanitizers catch the rest.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pack/pack_reader.h"

namespace {

void check(bool ok, const char* what, const std::string& detail = "") {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
        std::abort();
    }
}

bool starts(const std::string& text, const char* prefix) {
    return text.compare(0, std::string(prefix).size(), prefix) == 0;
}

// The reasons a member may be refused with, and no other text.
bool known_reason(const std::string& reason) {
    return reason == "encrypted" || reason == "bad CRC" || reason == "larger than 64 MiB" || reason == "corrupt" ||
           reason == "out of memory" || starts(reason, "corrupt at byte ") ||
           starts(reason, "unsupported method");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PackReader pack;
    std::vector<PackMember> art;
    std::string error;
    if (!pack.open_memory(data, size, error) || !pack.list_art(art, error)) {
        check(!error.empty(), "a pack refused without a message");
        return 0;
    }
    for (size_t i = 0; i < art.size(); ++i) {
        const PackMember& member = art[i];
        check(!member.path.empty(), "an art member without a path");
        check(i == 0 || art[i - 1].path <= member.path, "members out of order", member.path);
        PackBytes bytes;
        std::string reason;
        if (pack.read(member, bytes, reason)) {
            check(bytes.bytes != nullptr && bytes.size == member.size, "bytes not of the declared size", member.path);
            check(member.size <= kMaxMemberSize, "a member over the limit read", member.path);
        } else {
            check(known_reason(reason), "an unknown reason", reason);
        }
    }
    return 0;
}
