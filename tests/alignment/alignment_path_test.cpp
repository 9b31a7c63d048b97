#include "alignment/alignment_file.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

std::string FilePath(const char *movie, const char *sub = "alignment")
{
    char path[kAlignmentPathBytes];
    strcpy(path, movie);
    EXPECT_TRUE(MakeAlignmentFilePath(path, sub)) << movie;
    return path;
}

std::string ValuePath(const char *movie)
{
    char path[kAlignmentPathBytes] = "unchanged";
    if (!MakeAlignmentValuePath(path, movie))
        return "(none)";
    return path;
}

TEST(AlignmentPath, SubFolderGoesBetweenFolderAndName)
{
    EXPECT_EQ(FilePath("C:\\movies\\left.avi"), "C:\\movies\\alignment\\left.avi");
    EXPECT_EQ(FilePath("C:\\left.avi"), "C:\\alignment\\left.avi");
    // No folder part: the sub-folder and the name follow the name itself.
    EXPECT_EQ(FilePath("left.avi"), "left.avialignment\\left.avi");
}

TEST(AlignmentPath, ValueFileIsTheNameWithAlv)
{
    EXPECT_EQ(ValuePath("C:\\movies\\left.avi"), "C:\\movies\\alignment\\left.alv");
    EXPECT_EQ(ValuePath("C:\\movies\\take.2.mpg"), "C:\\movies\\alignment\\take.2.alv");
}

TEST(AlignmentPath, DoubleByteNamesKeepTheirFolders)
{
    // "表" (0x95 0x5C) ends the name with a second byte that looks like a
    // backslash; "動画" (0x93 0xAE 0x89 0xE6) is a folder whose last byte is
    // 0x80 or more, so its separator follows a byte of 0x80 or more.
    EXPECT_EQ(ValuePath("C:\\movies\\\x95\x5C.avi"), "C:\\movies\\alignment\\\x95\x5C.alv");
    EXPECT_EQ(ValuePath("C:\\\x93\xAE\x89\xE6\\left.avi"), "C:\\\x93\xAE\x89\xE6\\alignment\\left.alv");
    EXPECT_EQ(ValuePath("D:\\\x95\x5C\\\x95\x5C.avi"), "D:\\\x95\x5C\\alignment\\\x95\x5C.alv");
}

TEST(AlignmentPath, PathsThatWouldNotFitHaveNoValueFile)
{
    // 10 bytes of "alignment\" are added: a 250-byte path no longer fits.
    std::string movie = "C:\\" + std::string(243, 'a') + ".avi";
    ASSERT_EQ(movie.size(), 250u);
    char path[kAlignmentPathBytes];
    strcpy(path, movie.c_str());
    EXPECT_FALSE(MakeAlignmentFilePath(path, "alignment"));
    EXPECT_EQ(std::string(path), movie);
    EXPECT_EQ(ValuePath(movie.c_str()), "(none)");
    std::string shorter = "C:\\" + std::string(240, 'a') + ".avi";
    EXPECT_EQ(ValuePath(shorter.c_str()), "C:\\alignment\\" + std::string(240, 'a') + ".alv");
    EXPECT_EQ(ValuePath(std::string(400, 'b').c_str()), "(none)");
}

TEST(AlignmentPath, SideFilesTakeTheirExtensionWhereItFits)
{
    // A movie with a one-letter extension leaves room for the sub-folder
    // but not always for the four bytes of the side file's extension: 242
    // letters make a path of 259 bytes, 243 one that does not fit.
    const std::string a242(242, 'a'), a243(243, 'a');
    struct Case {
        std::string movie;
        const char *extension;
        std::string expected;  // empty: no side file
    } cases[] = {
        {"C:\\movies\\left.avi", ".alv", "C:\\movies\\alignment\\left.alv"},
        {"C:\\movies\\left.avi", ".csv", "C:\\movies\\alignment\\left.csv"},
        {"C:\\movies\\a.b.mpg", ".csv", "C:\\movies\\alignment\\a.b.csv"},
        {"C:\\\x93\xAE\x89\xE6\\\x95\x5C.avi", ".csv", "C:\\\x93\xAE\x89\xE6\\alignment\\\x95\x5C.csv"},
        {"C:\\" + a242 + ".m", ".alv", "C:\\alignment\\" + a242 + ".alv"},
        {"C:\\" + a242 + ".m", ".csv", "C:\\alignment\\" + a242 + ".csv"},
        {"C:\\" + a243 + ".m", ".alv", ""},
        {"C:\\" + a243 + ".m", ".csv", ""},
        {std::string(400, 'b'), ".csv", ""},
    };
    for (const Case &c : cases) {
        char out[kAlignmentPathBytes] = "unchanged";
        bool made = MakeAlignmentSidePath(out, c.movie.c_str(), c.extension);
        EXPECT_EQ(made, !c.expected.empty()) << c.movie.size() << " bytes, " << c.extension;
        EXPECT_EQ(std::string(out), made ? c.expected : "unchanged") << c.movie.size() << " bytes, " << c.extension;
    }
}

} // namespace
