#pragma once
// glyphora-shot --info: what a reading found in one file, as key: value lines.
#include <cstdio>
#include <string>

#include "tools/shot/shot_options.h"

// Prints the lines for `input` to `out`: reading, columns, rows, then SAUCE's
// title, author, group, date, font and iCE flag when the file has a record
// (the standard reading only). False with the reason in `error` when the file
// cannot be read.
bool print_info(const ShotRequest& request, const std::string& input, std::FILE* out, std::string& error);
