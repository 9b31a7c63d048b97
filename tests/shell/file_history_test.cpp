#include "shell/file_history.h"

#include "state/app_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FileHistory : public testing::Test {
protected:
    void SetUp() override { ClearHistory(); }
    void TearDown() override { ClearHistory(); }
    static std::string Menu(int k)
    {
        char text[600];
        HistoryMenuText(k, text, sizeof text);
        return text;
    }
};

TEST_F(FileHistory, NewestFirstAndSixthPushesOut)
{
    for (int i = 0; i < 6; i++) {
        std::string r = "C:\\r" + std::to_string(i) + ".avi", l = "C:\\m\\l" + std::to_string(i) + ".avi";
        EXPECT_TRUE(RecordHistory(r.c_str(), l.c_str(), i));
    }
    for (int k = 0; k < 5; k++) {
        int i = 5 - k;
        EXPECT_EQ(Menu(k), "C:\\r" + std::to_string(i) + ".avi/l" + std::to_string(i) + ".avi");
        EXPECT_EQ(g_nHistoryType[k], i);
    }
}

TEST_F(FileHistory, ReopeningKeepsTheOrderAndTakesTheType)
{
    RecordHistory("C:\\a_R.avi", "C:\\a_L.avi", 0);
    RecordHistory("C:\\s.avi", "", 4);
    RecordHistory("C:\\b_R.avi", "C:\\b_L.avi", 0);
    RecordHistory("C:\\c_R.avi", "C:\\c_L.avi", 0);
    // The first pair is entry 3 now: only its type changes.
    EXPECT_FALSE(RecordHistory("C:\\a_R.avi", "C:\\a_L.avi", 9));
    EXPECT_STREQ(g_szHistory[6], "C:\\a_R.avi");
    EXPECT_EQ(g_nHistoryType[3], 9);
    EXPECT_EQ(Menu(2), "C:\\s.avi");
    // A single file matches only as a single file.
    EXPECT_TRUE(RecordHistory("C:\\s.avi", "C:\\x.avi", 0));
    char types[64];
    FormatHistoryTypes(types, sizeof types);
    EXPECT_STREQ(types, "0,0,0,4,9,");
}

TEST_F(FileHistory, ClearEmptiesEverything)
{
    RecordHistory("C:\\a.avi", "", 3);
    ClearHistory();
    EXPECT_STREQ(g_szHistory[0], "");
    char types[64];
    FormatHistoryTypes(types, sizeof types);
    EXPECT_STREQ(types, "0,0,0,0,0,");
}

}  // namespace
