#pragma once
// A ZIP member's name as people read it, and which members are art.
#include <cstdint>
#include <string>
#include <string_view>

// The general purpose flag bit that says a name is UTF-8; without it the name
// is in code page 437, as DOS wrote it.
constexpr uint32_t kZipUtf8Flag = 1u << 11;

// `raw` in UTF-8: from CP437 (0x84 is "ä"), or, when `utf8`, as a browser's
// UTF-8 decoder reads it: each broken sequence one U+FFFD.
std::string zip_name_utf8(std::string_view raw, bool utf8);

// Whether `path` names art: a file (not a folder) ending in .ans, .asc, .nfo,
// .diz, .txt or .ice, in any case.
bool is_art_name(std::string_view path);

// The file name at the end of `path`, after its last '/' or '\' (DOS packs
// use either).
std::string_view member_file_name(std::string_view path);
