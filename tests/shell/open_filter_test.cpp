#include "shell/open_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The NUL-separated entries up to the double NUL.
std::vector<std::string> Entries(const char *filter, size_t size)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < size && filter[i]) {
        out.push_back(filter + i);
        i += out.back().size() + 1;
    }
    return out;
}

TEST(OpenFilter, VideoOnly)
{
    char f[1024];
    BuildOpenFilter(f, sizeof f, nullptr, false);
    std::vector<std::string> e = Entries(f, sizeof f);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0], "Video File(AVI MPEG1/2)");
    EXPECT_EQ(e[1], "*.AVI;*.AVS;*.mp2;*.m2p;*.mpg;*.mpeg;*.m2v;*m1v;*.vob;*.m2t;*.ssg;*.ts;*.bs");
}

TEST(OpenFilter, PluginAndAvisynth)
{
    char f[1024];
    BuildOpenFilter(f, sizeof f, "QuickTime|*.mov;*.mp4", true);
    std::vector<std::string> e = Entries(f, sizeof f);
    ASSERT_EQ(e.size(), 8u);
    EXPECT_EQ(e[1].substr(e[1].size() - 12), ";*.mov;*.mp4");
    EXPECT_EQ(e[2], "QuickTime");
    EXPECT_EQ(e[3], "*.mov;*.mp4");
    EXPECT_EQ(e[4], "OpenDML via AVISynth");
    EXPECT_EQ(e[5], "*.*");
    EXPECT_EQ(e[6], "DirectShow via AVISynth");
}

TEST(OpenFilter, SmallBufferKeepsTheEnd)
{
    char f[120];
    BuildOpenFilter(f, sizeof f, "Q|*.mov", true);
    EXPECT_EQ(f[sizeof f - 1], '\0');
    EXPECT_EQ(f[sizeof f - 2], '\0');
    EXPECT_EQ(Entries(f, sizeof f)[0], "Video File(AVI MPEG1/2)");
}

}  // namespace
