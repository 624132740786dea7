#pragma once
// The native GetModuleFileNameA reports the running program's own path. Tests
// that need a particular program path (long, with spaces) put one in its place.

// From now on GetModuleFileNameA(NULL, ...) reports path; null returns to the
// program's real path.
void set_module_path_for_tests(const char* path);
