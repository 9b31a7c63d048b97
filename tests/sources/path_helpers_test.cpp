#include "shared/path_helpers.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

// Shift-JIS pieces: a kanji whose second byte is a backslash, and a
// half-width katakana (a single byte above 0x80).
const std::string kHyou = "\x95\x5C";  // 表
const std::string kKa = "\xB6";        // ｶ

}  // namespace

TEST(PathHelpers, CutsAtSingleByteSeparatorsOnly)
{
    struct Case {
        std::string path, withoutExt, folder, name, ext;
    } cases[] = {
        {"C:\\a\\b.avi", "C:\\a\\b", "C:\\a\\", "b.avi", "avi"},
        {"C:\\a\\b", "C:\\a", "C:\\a\\", "b", "C:\\a\\b"},
        {"b.avi", "b", "b.avi", "b.avi", "avi"},
        {"ab", "ab", "ab", "ab", "ab"},
        {"C:\\" + kHyou + "\\x.avi", "C:\\" + kHyou + "\\x", "C:\\" + kHyou + "\\", "x.avi", "avi"},
        // The kanji's second byte is not a separator: no folder inside it.
        {"C:\\d" + kHyou + "x.avi", "C:\\d" + kHyou + "x", "C:\\", "d" + kHyou + "x.avi", "avi"},
        // A half-width katakana is one character: the backslash after it is one.
        {"C:\\" + kKa + "\\" + kKa + ".avi", "C:\\" + kKa + "\\" + kKa, "C:\\" + kKa + "\\", kKa + ".avi", "avi"},
        {"C:\\dir." + kHyou + "\\file", "C:\\dir." + kHyou, "C:\\dir." + kHyou + "\\", "file", kHyou + "\\file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        char out[260];
        CopyPathWithoutExtension(out, c.path.c_str());
        EXPECT_EQ(out, c.withoutExt);
        CopyFolderOfPath(out, c.path.c_str());
        EXPECT_EQ(out, c.folder);
        GetFileNameFromPath(out, c.path.c_str());
        EXPECT_EQ(out, c.name);
        GetFileExtension(out, c.path.c_str());
        EXPECT_EQ(out, c.ext);
    }
}

TEST(PathHelpers, NeverOverrunsTheDestinationNorSplitsACharacter)
{
    std::string path = "C:\\" + kHyou + kHyou + "abc";
    char small[6];
    memset(small, 'Z', sizeof small);
    GetFileNameFromPath(small, sizeof small, path.c_str());
    // Five bytes of room: the two kanji, then "a".
    EXPECT_EQ(std::string(small), kHyou + kHyou + "a");
    char room[7];
    CopyPathText(room, sizeof room, path.c_str());
    EXPECT_EQ(std::string(room), "C:\\" + kHyou);
}
