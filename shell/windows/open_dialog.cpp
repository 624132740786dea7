// The Open dialog.
#include "render/viewer.h"
#include "shell/path_buffer.h"

namespace {

// Pairs of description and pattern, ended by an empty string.
constexpr char kFilters[] =
    "ASCII/ANSI Files (*.asc;*.ans)\0*.asc;*.ans\0"
    "Text Files (*.txt)\0*.txt\0"
    "All Files (*.*)\0*.*\0";

// The record without the three fields Windows 2000 added.
constexpr DWORD kOpenFileNameSize = 76;
constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST;

}  // namespace

char* Viewer::choose_file() {
    char* path = reusable_path_buffer(*this);
    if (path == nullptr) return nullptr;
    OPENFILENAMEA record{};
    record.lStructSize = kOpenFileNameSize;
    record.hwndOwner = window;
    record.lpstrFilter = kFilters;
    record.nFilterIndex = 1;
    record.lpstrFile = path;
    record.nMaxFile = kPathSize;
    record.Flags = kOpenFlags;
    record.lpstrDefExt = "asc";
    // Cancelled or failed (a path too long for the buffer among the causes):
    // no path, so nothing opens.
    return chosen_path(GetOpenFileNameA(&record), path, kPathSize);
}
