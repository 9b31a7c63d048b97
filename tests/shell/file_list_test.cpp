// The batch file list and the names of saved files.
#include "shell/file_list.h"
#include "shell/save_names.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

// The list as a file (tmpfile: read in text mode as the program reads it).
struct List {
    FILE *f;
    explicit List(const std::string &text)
    {
        f = tmpfile();
        fwrite(text.data(), 1, text.size(), f);
        rewind(f);
    }
    ~List() { fclose(f); }
    FILE *Rewound()
    {
        rewind(f);
        return f;
    }
};

}  // namespace

// The example of three lines: a comment, a stereo file saved as a stereo
// movie, a pair saved as left and right movies with every frame aligned.
TEST(FileList, EntriesOfTheExampleList)
{
    List list("# a comment line\n"
              "11,0,0,0,0,a.avi,11,b.avi\n"
              "21,1,0,0,0,l.avi,r.avi,21,x.avi,y.avi\r\n");
    EXPECT_EQ(CountListEntries(list.Rewound()), 2);
    FileListEntry e = {};
    ASSERT_TRUE(FindListEntry(list.Rewound(), 0, &e));
    EXPECT_EQ(e.type, 11);
    EXPECT_EQ(e.allFrames, 0);
    EXPECT_STREQ(e.source1, "a.avi");
    EXPECT_STREQ(e.source2, "a.avi");
    EXPECT_EQ(e.outputType, 11);
    EXPECT_STREQ(e.output1, "b.avi");
    EXPECT_STREQ(e.output2, "b.avi");
    ASSERT_TRUE(FindListEntry(list.Rewound(), 1, &e));
    EXPECT_EQ(e.type, 21);
    EXPECT_EQ(e.allFrames, 1);
    EXPECT_STREQ(e.source1, "l.avi");
    EXPECT_STREQ(e.source2, "r.avi");
    EXPECT_EQ(e.outputType, 21);
    EXPECT_STREQ(e.output1, "x.avi");
    EXPECT_STREQ(e.output2, "y.avi") << "the line end is not part of the name";
    EXPECT_FALSE(FindListEntry(list.Rewound(), 2, &e));
}

TEST(FileList, WhichLinesAreEntries)
{
    struct Case {
        const char *line;
        bool counted, entry;
    } cases[] = {
        {"11,0,0,0,0,a.avi,11,b.avi", true, true},
        {" 21 ,0,0,0,0,l.avi,r.avi,21,x.avi,y.avi", true, true},
        {"30,0,0,0,0,a.avi,11,b.avi", false, false},   // beyond 29
        {"0,0,0,0,0,a.avi,11,b.avi", false, false},
        {"11x,0,0,0,0,a.avi,11,b.avi", true, false},   // counted by its number, not an entry
        {"11,0,0,a.avi", true, false},                 // 3 commas: counted, never read
        {",,,,,,", false, false},
        {"", false, false},
    };
    for (const Case &c : cases) {
        List list(std::string(c.line) + "\n");
        EXPECT_EQ(CountListEntries(list.Rewound()), c.counted ? 1 : 0) << c.line;
        FileListEntry e = {};
        EXPECT_EQ(FindListEntry(list.Rewound(), 0, &e), c.entry) << c.line;
    }
}

// Runs of commas count as one separator; a missing name leaves the one
// there was; a line of more than 511 characters is read as pieces.
TEST(FileList, FieldsAndLongLines)
{
    List list("11,,0,,0,0,0,a.avi,,11,,b.avi\n"
              "11,0,0,0,0,c.avi,11\n");
    FileListEntry e = {};
    ASSERT_TRUE(FindListEntry(list.Rewound(), 0, &e));
    EXPECT_STREQ(e.source1, "a.avi");
    EXPECT_STREQ(e.output1, "b.avi");
    ASSERT_TRUE(FindListEntry(list.Rewound(), 1, &e));
    EXPECT_STREQ(e.source1, "c.avi");
    EXPECT_STREQ(e.output1, "b.avi") << "no output name: the last one stays";

    std::string name(600, 'n');
    List longLine("11,0,0,0,0," + name + ",11,out.avi\n21,0,0,0,0,l.avi,r.avi,11,s.avi\n");
    // The first 511 characters are a line of its own, the rest another.
    EXPECT_EQ(CountListEntries(longLine.Rewound()), 2);
    ASSERT_TRUE(FindListEntry(longLine.Rewound(), 0, &e));
    EXPECT_EQ(strlen(e.source1), 511u - strlen("11,0,0,0,0,"));
    ASSERT_TRUE(FindListEntry(longLine.Rewound(), 1, &e));
    EXPECT_STREQ(e.output1, "s.avi");
}

TEST(SaveNames, ExtensionAndNumberedFiles)
{
    struct Case {
        const char *path, *base;
    } cases[] = {
        {"C:\\movies\\movie.avi", "C:\\movies\\movie"},
        {"C:\\movies\\trip", "C:\\movies\\trip"},
        {"C:\\a.b\\name", "C:\\a.b\\name"},
        {"C:\\v\\x.y.avi", "C:\\v\\x.y"},
        // Shift-JIS: the second byte 0x5C of "表" is not a separator.
        {"C:\\\x95\x5C.avi", "C:\\\x95\x5C"},
    };
    for (const Case &c : cases) {
        char base[260];
        CutFileExtension(base, sizeof base, c.path);
        EXPECT_STREQ(base, c.base) << c.path;
    }
    char name[260];
    NumberedSaveName(name, sizeof name, "C:\\movies\\movie", 1, ".avi");
    EXPECT_STREQ(name, "C:\\movies\\movie01.avi");
    NumberedSaveName(name, sizeof name, "C:\\movies\\trip", 2, "_r.avi");
    EXPECT_STREQ(name, "C:\\movies\\trip02_r.avi");
}
