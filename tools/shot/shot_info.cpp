#include "tools/shot/shot_info.h"

#include "tools/shot/shot_view.h"
#include "tools/shot/shown_name.h"

namespace {

// SAUCE's texts are a stranger's bytes too: shown as a file name is.
void line(std::FILE* out, const char* key, const std::string& value) {
    std::fprintf(out, "%s: %s\n", key, shown_name(value).c_str());
}

}  // namespace

bool print_info(const ShotRequest& request, const std::string& input, std::FILE* out, std::string& error) {
    ShotView view;
    view.reading = request.standard ? kStandardReading : kGlyphoraReading;
    view.columns = request.screen_columns;
    if (!view.open(input, nullptr, false, error)) return false;
    const Document& doc = *view.viewer->document;
    const bool standard = doc.reading == kStandardReading;
    line(out, "reading", standard ? (doc.read_as_ansi ? "standard ANSI" : "standard plain text")
                                  : (doc.is_ansi ? "Glyphora ANSI" : "Glyphora plain text"));
    // Glyphora's width counts the line's end; the screen's is its own.
    line(out, "columns", std::to_string(standard ? doc.screen_columns : doc.max_line_width - 1));
    line(out, "rows", std::to_string(doc.line_count));
    if (standard && doc.screen_cut) line(out, "cut", "yes: the file moves the cursor further than its size allows");
    const Sauce& s = doc.sauce;
    if (standard && s.found) {
        if (*s.title) line(out, "title", s.title);
        if (*s.author) line(out, "author", s.author);
        if (*s.group) line(out, "group", s.group);
        if (*s.date) line(out, "date", s.date);
        if (*s.font) line(out, "font", s.font);
        if (s.columns()) line(out, "sauce columns", std::to_string(s.columns()));
        line(out, "ice colours", s.ice_colours() ? "yes" : "no");
    }
    return std::fflush(out) == 0 || (error = "cannot write the information", false);
}
