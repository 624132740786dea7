// The snapshot tool's command line: what each form asks for, and the problem
// named for each wrong one.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/shot/shot_options.h"

namespace {

// The parse of a space-separated command line, as one line of text: the
// request's fields for a run, "help", or "usage: " and the problem.
std::string parse(const std::string& line) {
    std::vector<std::string> words{"glyphora-shot"};
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w == "''" ? "" : w);
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    const ParsedCommand c = parse_shot_command(int(argv.size()), argv.data());
    if (c.outcome == ParseOutcome::help) return "help";
    if (c.outcome == ParseOutcome::version) return "version";
    if (c.outcome == ParseOutcome::usage_error) return "usage: " + c.problem;
    const ShotRequest& r = c.request;
    std::string s = r.mode == ShotMode::whole ? "whole" : r.mode == ShotMode::thumbnail ? "thumb" : "window";
    if (r.mode == ShotMode::window) s += " " + std::to_string(r.columns) + "x" + std::to_string(r.rows);
    if (r.mode == ShotMode::thumbnail) s += " " + std::to_string(r.thumbnail_px);
    if (r.wrap) s += " wrap";
    if (r.has_top) s += " top " + std::to_string(r.top);
    if (r.has_left) s += " left " + std::to_string(r.left);
    for (const std::string& input : r.inputs) s += " <" + input + ">";
    if (!r.output.empty()) s += " -> " + r.output;
    if (!r.out_dir.empty()) s += " into " + r.out_dir;
    if (r.standard) s += " standard";
    if (r.screen_columns) s += " columns " + std::to_string(r.screen_columns);
    if (r.info) s += " info";
    return s;
}

}  // namespace

TEST(ShotOptions, FormsAndTheirRequests) {
    const char* const cases[][2] = {
        {"a.ans a.png", "window 84x30 <a.ans> -> a.png"},
        {"--size 40x10 --wrap --top 50 --left 7 a b", "window 40x10 wrap top 50 left 7 <a> -> b"},
        {"--size 1x1 a b", "window 1x1 <a> -> b"},
        {"--left 4294967295 --top 0 a b", "window 84x30 top 0 left 4294967295 <a> -> b"},
        {"--whole --wrap a b", "whole wrap <a> -> b"},
        {"a --whole b", "whole <a> -> b"},
        {"--thumbnail 256 --top 3 a b", "thumb 256 top 3 <a> -> b"},
        {"--whole --out-dir out a b c", "whole <a> <b> <c> into out"},
        {"a --out-dir out", "window 84x30 <a> into out"},
        {"-- --whole -x", "window 84x30 <--whole> -> -x"},
        {"- b", "window 84x30 <-> -> b"},
        {"- -", "window 84x30 <-> -> -"},
        {"--whole --out-dir out - a", "whole <-> <a> into out"},
        {"a b --version", "version"},
        {"--version --help", "version"},
        {"-- --version b", "window 84x30 <--version> -> b"},
        {"--whole a b --help", "help"},
        {"-h", "help"},
        {"--bogus -h", "usage: unknown option --bogus"},
        {"--standard --thumbnail 256 a b", "thumb 256 <a> -> b standard"},
        {"--standard --columns 160 --whole a b", "whole <a> -> b standard columns 160"},
        {"--standard --columns 4096 --out-dir o a", "window 84x30 <a> into o standard columns 4096"},
        {"--info a", "window 84x30 <a> info"},
        {"--standard --columns 40 --info a", "window 84x30 <a> standard columns 40 info"},
    };
    for (const auto& c : cases) EXPECT_EQ(parse(c[0]), c[1]) << c[0];
}

TEST(ShotOptions, WrongLinesNameTheirProblem) {
    const char* const cases[][2] = {
        {"", "expected FILE OUT.png"},
        {"one", "expected OUT.png after FILE"},
        {"a b c", "expected only FILE OUT.png"},
        {"--out-dir out", "no FILE to render"},
        {"--size", "--size needs a value"},
        {"a b --top", "--top needs a value"},
        {"--size 80 a b", "expected COLSxROWS"},
        {"--size 80x a b", "expected COLSxROWS"},
        {"--size x25 a b", "expected COLSxROWS"},
        {"--size 80x25x3 a b", "expected COLSxROWS"},
        {"--size -80x25 a b", "expected COLSxROWS"},
        {"--size 80X25 a b", "expected COLSxROWS"},
        {"--size 4294967296x1 a b", "expected COLSxROWS"},
        {"--size 0x0 a b", "a window has at least one column and one row"},
        {"--size 0x25 a b", "a window has at least one column"},
        {"--size 80x0 a b", "a window has at least one column"},
        {"--top -1 a b", "expected a row or column number"},
        {"--top 1.5 a b", "expected a row or column number"},
        {"--left '' a b", "expected a row or column number"},
        {"--left 99999999999 a b", "expected a row or column number"},
        {"--thumbnail 0 a b", "expected a size in pixels"},
        {"--thumbnail big a b", "expected a size in pixels"},
        {"--zoom 2 a b", "unknown option --zoom"},
        {"--wrap=1 a b", "unknown option --wrap=1"},
        {"-w a b", "unknown option -w"},
        {"--whole --size 8x8 a b", "--whole and --size: choose one of"},
        {"--thumbnail 64 --whole a b", "--thumbnail and --whole: choose one of"},
        {"--whole --whole a b", "--whole given twice"},
        {"--wrap --wrap a b", "--wrap given twice"},
        {"--top 1 --top 2 a b", "--top given twice"},
        {"--out-dir x --out-dir y a", "--out-dir given twice"},
        {"--out-dir '' a", "--out-dir needs a folder"},
        {"--whole --top 3 a b", "--top scrolls a window; --whole shows every row"},
        {"--whole --left 3 a b", "--left scrolls a window; --whole"},
        {"--thumbnail 9 --left 3 a b", "--left scrolls a window; --thumbnail"},
        {"--columns 80 a b", "--columns sets the standard reading's width: add --standard"},
        {"--standard --columns 0 a b", "expected a width from 1 to 4096"},
        {"--standard --columns 4097 a b", "expected a width from 1 to 4096"},
        {"--standard --columns a b", "expected a width"},
        {"--standard --columns 80 --columns 80 a b", "--columns given twice"},
        {"--standard --standard a b", "--standard given twice"},
        {"--info --info a", "--info given twice"},
        {"--info a b", "--info takes one FILE"},
        {"--info --whole a", "--info prints what a file holds and draws nothing"},
        {"--info --out-dir o a", "--info prints what a file holds"},
    };
    for (const auto& c : cases) {
        const std::string got = parse(c[0]);
        EXPECT_EQ(got.rfind("usage: ", 0), 0u) << c[0] << " -> " << got;
        EXPECT_NE(got.find(c[1]), std::string::npos) << c[0] << " -> " << got;
    }
}

TEST(ShotOptions, APictureForStandardOutputIsNotSentToATerminal) {
    ShotRequest to_file, to_output, folder;
    to_file.output = "out.png";
    to_output.output = "-";
    folder.out_dir = "-";
    folder.inputs = {"-"};
    EXPECT_EQ(output_problem(to_file, true), "");
    EXPECT_EQ(output_problem(to_output, false), "");
    EXPECT_EQ(output_problem(folder, true), "");
    EXPECT_EQ(output_problem(to_output, true),
              "OUT is - (standard output), which is a terminal: redirect it to a file or a program");
}
