#include "alignment/easy_settings.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const int kStart[kEasyFields] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

TEST(EasySettings, FieldsRoundTrip)
{
    const int values[kEasyFields] = {-12, 900, -1000, 1000, 12, -7, 0, -899, 899, 3, 35, -100, 100, 20, 1};
    char text[256];
    FormatEasyFields(text, sizeof text, values);
    EXPECT_STREQ(text, "-12,900,-1000,1000,12,-7,0,-899,899,3,35,-100,100,20,1,");
    int back[kEasyFields] = {};
    EXPECT_EQ(ParseEasyFields(text, back), kEasyFields);
    EXPECT_EQ(std::vector<int>(back, back + kEasyFields), std::vector<int>(values, values + kEasyFields));
}

TEST(EasySettings, ParsingKeepsWhatIsNotGiven)
{
    struct Case {
        const char *text;
        int read;
        std::vector<int> expected;
    } cases[] = {
        // '*' keeps a field's value.
        {"*,20,*,*,*,*,*,*,*,*,*,*,*,*,0,", 15, {1, 20, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0}},
        // The reader's default text: no number, the first value becomes 0.
        {kEasyMissingValue, 1, {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        // A short line sets its fields only; a last field needs no comma.
        {"100,-5", 2, {100, -5, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {"", 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {",,", 2, {0, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        // Past fifteen fields nothing more is read.
        {"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,99,99,", 15, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // A number followed by text reads as its number; a huge field is cut.
        {" 7x,*junk,12345678901234567890123456789012345678", 3,
         {7, 2, atoi("1234567890123456789012345678901"), 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
    };
    for (const Case &c : cases) {
        int values[kEasyFields];
        std::copy(kStart, kStart + kEasyFields, values);
        EXPECT_EQ(ParseEasyFields(c.text, values), c.read) << c.text;
        EXPECT_EQ(std::vector<int>(values, values + kEasyFields), c.expected) << c.text;
    }
}

TEST(EasySettings, FormatIsCutToTheBuffer)
{
    char small[10];
    FormatEasyFields(small, sizeof small, kStart);
    EXPECT_STREQ(small, "1,2,3,4,5");
}

}  // namespace
