#include "tools/shot/shot_options.h"

#include <cstring>

#include "document/standard_decode.h"
#include "platform/output_file.h"

const char kShotUsage[] =
    "usage: glyphora-shot [--size COLSxROWS | --whole | --thumbnail PX] [--wrap] [--top ROW] [--left COL]\n"
    "                     [--standard [--columns N]] FILE OUT.png\n"
    "       glyphora-shot [options] [--jobs N] --out-dir DIR FILE|PACK.zip...\n"
    "       glyphora-shot [--standard] [--columns N] --info FILE\n"
    "       glyphora-shot --help | --version\n";

const char kShotHelp[] =
    "Renders ANSI and ASCII art as Glyphora's window shows it, as a PNG.\n"
    "\n"
    "  --size COLSxROWS  a window of COLS x ROWS character cells (84x30 when not\n"
    "                    given); one larger than the viewer's frame (64 MiB) keeps\n"
    "                    the rows that fit, and a line on standard error says so\n"
    "  --whole           the whole text: as many columns as its widest line, as many\n"
    "                    rows as it has\n"
    "  --thumbnail PX    the top of the piece at its full width, at most as tall as it\n"
    "                    is wide, scaled down so neither side passes PX pixels;\n"
    "                    wrapped at column 81 when a row read has over 80 characters\n"
    "  --wrap            lines wrapped at column 81, as \"Wrap lines\" shows them\n"
    "  --top ROW         scroll down to row ROW (not with --whole)\n"
    "  --left COL        scroll right to column COL (only in a window)\n"
    "  --out-dir DIR     one PNG per FILE, named DIR/NAME.png after FILE's name\n"
    "                    without its extension, or DIR/NAME.EXT.png when an earlier\n"
    "                    FILE took that name; the other files go on when one fails.\n"
    "                    A PACK.zip gives DIR/PACK/ with a PNG for each of its art\n"
    "                    members (.ans .asc .nfo .diz .txt .ice), named as files are;\n"
    "                    a member that cannot be read is named with its reason\n"
    "  --jobs N          with --out-dir, N pictures made at once (one per core\n"
    "                    when not given); the pictures are the same for any N\n"
    "  --standard        read ANSI as the standard and the art scene read it: a screen\n"
    "                    as wide as the art's SAUCE record says (else 80 columns),\n"
    "                    cursor moves, ESC[0m to grey on black, bold and iCE blink\n"
    "                    as bright colours; SUB and SAUCE end the art. Files whose\n"
    "                    name ends in .ans or whose first 4 KB hold ESC[ are ANSI,\n"
    "                    others plain text in grey. Without it, Glyphora's own rules\n"
    "  --columns N       the standard reading's screen is N columns wide (1-4096)\n"
    "  --info            print what the reading found in FILE, as key: value lines\n"
    "                    (reading, columns, rows; SAUCE's title, author, group,\n"
    "                    date, font and iCE flag when it has them); no picture\n"
    "  -h, --help        this text\n"
    "  --version         the program's name and version\n"
    "\n"
    "FILE - reads standard input, OUT.png - writes standard output (not a terminal):\n"
    "  cat art.ans | glyphora-shot - - | display\n"
    "OUT.png is replaced whole once its picture is made, never left half-written;\n"
    "through a symlink, its target is replaced and the link kept. A FIFO or a\n"
    "character device is written straight through.\n"
    "\n"
    "A thumbnail reads only the start of FILE: the rows down to --top and 1000\n"
    "more, at 82 characters a row, from at most 16 bytes of FILE a character; it\n"
    "is as wide as the widest of the rows read.\n"
    "\n"
    "Exit status: 0 every PNG was written, 1 a file could not be read or a PNG not\n"
    "written, 2 a bad command line.\n";

namespace {

// A whole unsigned decimal number that fits 32 bits, from `text` up to `end`
// (or the string's end when `end` is null). No sign, no spaces, no empty text.
bool parse_count(const char* text, const char* end, uint32_t& value) {
    if (!end) end = text + std::strlen(text);
    if (text == end) return false;
    uint64_t v = 0;
    for (const char* c = text; c != end; ++c) {
        if (*c < '0' || *c > '9') return false;
        v = v * 10 + uint64_t(*c - '0');
        if (v > 0xFFFFFFFFull) return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

bool parse_size(const char* text, uint32_t& columns, uint32_t& rows) {
    const char* x = std::strchr(text, 'x');
    return x && parse_count(text, x, columns) && parse_count(x + 1, nullptr, rows);
}

class Parser {
public:
    ParsedCommand result;
    std::string mode_option;
    bool seen_wrap = false;
    bool seen_out_dir = false;
    bool seen_columns = false;
    bool seen_jobs = false;

    bool fail(const std::string& problem) {
        if (result.problem.empty()) result.problem = problem;
        return false;
    }

    bool choose_mode(const char* option) {
        if (mode_option == option) return fail(mode_option + " given twice");
        if (!mode_option.empty()) return fail(mode_option + " and " + option +
                                              ": choose one of --size, --whole and --thumbnail");
        mode_option = option;
        return true;
    }

    // The option `arg` with its value, if it takes one; false on a problem.
    bool option(const char* arg, const char* value) {
        ShotRequest& r = result.request;
        const bool has_value = value != nullptr;
        const std::string name = arg;
        if (name == "--wrap") {
            if (seen_wrap) return fail("--wrap given twice");
            return seen_wrap = r.wrap = true;
        }
        if (name == "--standard" || name == "--info") {
            bool& flag = name == "--standard" ? r.standard : r.info;
            if (flag) return fail(name + " given twice");
            return flag = true;
        }
        if (name == "--columns") {
            if (seen_columns) return fail("--columns given twice");
            seen_columns = true;
            if (!has_value) return fail(name + " needs a value");
            if (!parse_count(value, nullptr, r.screen_columns) || r.screen_columns == 0 ||
                r.screen_columns > kMaxStandardColumns)
                return fail("--columns " + std::string(value) + ": expected a width from 1 to " +
                            std::to_string(kMaxStandardColumns));
            return true;
        }
        if (name != "--size" && name != "--whole" && name != "--thumbnail" && name != "--top" &&
            name != "--left" && name != "--out-dir" && name != "--jobs")
            return fail("unknown option " + name);
        if (name == "--whole") {
            r.mode = ShotMode::whole;
            return choose_mode(arg);
        }
        if (!has_value) return fail(name + " needs a value");
        if (name == "--size") {
            r.sized = true;
            if (!parse_size(value, r.columns, r.rows))
                return fail("--size " + std::string(value) + ": expected COLSxROWS, such as 80x25");
            if (r.columns == 0 || r.rows == 0)
                return fail("--size " + std::string(value) + ": a window has at least one column and one row");
            return choose_mode(arg);
        }
        if (name == "--thumbnail") {
            r.mode = ShotMode::thumbnail;
            if (!parse_count(value, nullptr, r.thumbnail_px) || r.thumbnail_px == 0)
                return fail("--thumbnail " + std::string(value) + ": expected a size in pixels, such as 256");
            return choose_mode(arg);
        }
        if (name == "--out-dir") {
            if (seen_out_dir) return fail("--out-dir given twice");
            if (!*value) return fail("--out-dir needs a folder");
            seen_out_dir = true;
            r.out_dir = value;
            return true;
        }
        if (name == "--jobs") {
            if (seen_jobs) return fail("--jobs given twice");
            seen_jobs = true;
            if (!parse_count(value, nullptr, r.jobs) || r.jobs == 0 || r.jobs > kMaxJobs)
                return fail("--jobs " + std::string(value) + ": expected a number from 1 to " +
                            std::to_string(kMaxJobs));
            return true;
        }
        bool& has = name == "--top" ? r.has_top : r.has_left;
        uint32_t& where = name == "--top" ? r.top : r.left;
        if (has) return fail(name + " given twice");
        has = true;
        if (!parse_count(value, nullptr, where))
            return fail(name + " " + std::string(value) + ": expected a row or column number from 0");
        return true;
    }

    bool takes_value(const char* arg) {
        return !std::strcmp(arg, "--size") || !std::strcmp(arg, "--thumbnail") || !std::strcmp(arg, "--top") ||
               !std::strcmp(arg, "--left") || !std::strcmp(arg, "--out-dir") || !std::strcmp(arg, "--columns") ||
               !std::strcmp(arg, "--jobs");
    }

    // Options that could change nothing in the chosen mode are refused, so a
    // mistaken command line never quietly renders something else.
    bool check_combination() {
        const ShotRequest& r = result.request;
        if (seen_columns && !r.standard) return fail("--columns sets the standard reading's width: add --standard");
        if (r.info) {
            if (!mode_option.empty() || r.wrap || r.has_top || r.has_left || seen_out_dir)
                return fail("--info prints what a file holds and draws nothing: it takes no picture options");
            if (r.inputs.size() != 1) return fail("--info takes one FILE");
            return true;
        }
        if (r.mode == ShotMode::whole && (r.has_top || r.has_left))
            return fail(std::string(r.has_top ? "--top" : "--left") +
                        " scrolls a window; --whole shows every row and column");
        if (r.mode == ShotMode::thumbnail && r.has_left)
            return fail("--left scrolls a window; --thumbnail shows every column");
        if (r.inputs.empty()) return fail(seen_out_dir ? "no FILE to render" : "expected FILE OUT.png");
        if (seen_out_dir) return true;
        if (seen_jobs) return fail("--jobs makes pictures at once for --out-dir; one FILE OUT.png is one picture");
        if (r.inputs.size() != 2) return fail(r.inputs.size() == 1 ? "expected OUT.png after FILE"
                                                                    : "expected only FILE OUT.png (or --out-dir DIR)");
        result.request.output = r.inputs.back();
        result.request.inputs.pop_back();
        return true;
    }
};

}  // namespace

ParsedCommand parse_shot_command(int argc, const char* const* argv) {
    Parser p;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!options_done && (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h"))) {
            p.result.outcome = ParseOutcome::help;
            return p.result;
        }
        if (!options_done && !std::strcmp(arg, "--version")) {
            p.result.outcome = ParseOutcome::version;
            return p.result;
        }
        if (!options_done && !std::strcmp(arg, "--")) {
            options_done = true;
        } else if (!options_done && arg[0] == '-' && arg[1] != '\0') {
            const bool valued = p.takes_value(arg);
            const char* value = valued && i + 1 < argc ? argv[i + 1] : nullptr;
            if (valued) ++i;
            if (!p.option(arg, value)) return p.result;
        } else {
            p.result.request.inputs.push_back(arg);
        }
    }
    if (p.check_combination()) p.result.outcome = ParseOutcome::run;
    return p.result;
}

std::string output_problem(const ShotRequest& request, bool output_is_terminal) {
    if (request.info || !request.out_dir.empty() || !is_standard_stream(request.output) || !output_is_terminal) return "";
    return "OUT is - (standard output), which is a terminal: redirect it to a file or a program";
}
