// pack_list PACK.zip: the pack reader's view of a pack, one line per art
// member in gallery order, for comparing the page's own reader with it:
//   PATH<TAB>ok<TAB>SIZE<TAB>FNV1A64   the member's bytes: their count and FNV-1a 64 hash
//   PATH<TAB>error<TAB>REASON          a member that cannot be read
// A pack that cannot be read at all gives one line, error<TAB>MESSAGE, and exit status 1.
#include <cinttypes>
#include <cstdio>

#include "pack/pack_reader.h"

namespace {

uint64_t fnv1a64(const uint8_t* bytes, uint32_t size) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint32_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pack_list PACK.zip\n");
        return 2;
    }
    PackReader pack;
    std::vector<PackMember> art;
    std::string error;
    if (!pack.open_file(argv[1], error) || !pack.list_art(art, error)) {
        std::printf("error\t%s\n", error.c_str());
        return 1;
    }
    for (const PackMember& member : art) {
        PackBytes bytes;
        std::string reason;
        if (pack.read(member, bytes, reason))
            std::printf("%s\tok\t%" PRIu32 "\t%016" PRIx64 "\n", member.path.c_str(), bytes.size,
                        fnv1a64(bytes.bytes.get(), bytes.size));
        else
            std::printf("%s\terror\t%s\n", member.path.c_str(), reason.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
