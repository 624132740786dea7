#pragma once
// The per-user settings key, whose creation marks a user's first run, and the
// associations of .asc and .ans files with this program.
#include "platform/win32.h"

// The settings key's handle, kept open for the rest of the run; null when the
// key could not be created or opened.
extern HKEY settings_key;

// Creates or opens HKEY_CURRENT_USER\Software\Kolt\Glyphora, then rewrites the
// file associations. 1 when this call created the key (the user's first run),
// 0 when it existed or could not be created.
int open_settings_key();

// Writes the five association keys under HKEY_CLASSES_ROOT, pointing them at
// the running program file. Registry failures are ignored.
void register_file_types();
