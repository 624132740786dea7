#pragma once
// A file name as it may reach a terminal: a name is a stranger's bytes, and
// ESC, CSI (0x9b) or BEL in one would be acted on (set the title, the
// clipboard) instead of shown.
#include <string>
#include <string_view>

// `name` with every byte a terminal could act on written out: ESC as \e, other
// C0 bytes and DEL as \xNN, C1 controls (in UTF-8, U+0080..U+009F) and bytes
// that are not valid UTF-8 as \xNN for each byte, and the backslash as \\ so
// that no escape is ambiguous. Printable UTF-8 passes as it is.
std::string shown_name(std::string_view name);
