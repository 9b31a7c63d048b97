#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

struct Case {
    const char *line, *left, *right;
};

TEST(CommandLine, Split)
{
    static const Case cases[] = {
        {"a.avi b.avi", "a.avi", "b.avi"},
        {"\"C:\\my movies\\l.avi\" r.avi", "C:\\my movies\\l.avi", "r.avi"},
        // The closing quote is the last character (how Wine passes a quoted
        // argument): the terminating NUL is not skipped.
        {"\"C:\\a b\\l.avi\"", "C:\\a b\\l.avi", ""},
        {"\"l.avi\" \"r.avi\"", "l.avi", "r.avi"},
        {"a b c", "a", "c"},
        {"one twolong c", "one", "c"},
        {" a.avi", "", "a.avi"},
        {"", "", ""},
        {"a.avi ", "a.avi", ""},
    };
    for (const Case &c : cases) {
        char slots[kCommandLineSlots][kCommandLineSlotBytes];
        SplitCommandLine(c.line, slots);
        EXPECT_STREQ(slots[0], c.left) << c.line;
        EXPECT_STREQ(slots[1], c.right) << c.line;
    }
}

TEST(CommandLine, LongPathsStayInTheirSlots)
{
    std::string line(600, 'x');
    line += " y";
    char buffer[kCommandLineSlots][kCommandLineSlotBytes];
    SplitCommandLine(line.c_str(), buffer);
    EXPECT_EQ(strlen(buffer[0]), (size_t)kCommandLineSlotBytes - 1);
    EXPECT_STREQ(buffer[1], "y");
}

TEST(CommandLine, PresentName)
{
    EXPECT_TRUE(CommandLineNamePresent("C:\\a.avi"));
    EXPECT_FALSE(CommandLineNamePresent(""));
    EXPECT_FALSE(CommandLineNamePresent("\x1e"));
    // A first byte of 0x80 or more reads as a negative number.
    EXPECT_FALSE(CommandLineNamePresent("\x83\x65.avi"));
}

}  // namespace
