// Names reach the terminal with nothing it could act on.
#include <gtest/gtest.h>

#include "tools/shot/shown_name.h"

TEST(ShownName, EscapesWhatATerminalActsOn) {
    const struct { std::string in, out; } cases[] = {
        {"art.ans", "art.ans"},
        {"zażółć.ans", "zażółć.ans"},                       // printable UTF-8 stays
        {"a\x1b]52;c;QUJD\x07.ans", "a\\e]52;c;QUJD\\x07.ans"},  // OSC 52 and BEL
        {"t\x1b]0;owned\x1b\\x", "t\\e]0;owned\\e\\\\x"},
        {"tab\there\nnl\x7f", "tab\\x09here\\x0anl\\x7f"},
        {"csi\x9b" "31m", "csi\\x9b31m"},                     // a lone C1 byte is not UTF-8
        {"utf8c1\xc2\x9b" "2J", "utf8c1\\xc2\\x9b2J"},        // C1 written in UTF-8
        {"\xc2\xa0nbsp", "\xc2\xa0nbsp"},
        {"over\xc0\xaflong", "over\\xc0\\xaflong"},
        {"surrogate\xed\xa0\x80", "surrogate\\xed\\xa0\\x80"},
        {"cut\xe2\x94", "cut\\xe2\\x94"},
        {"back\\slash", "back\\\\slash"},
        {std::string("nul\0x", 5), "nul\\x00x"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown_name(c.in), c.out) << c.out;
}
