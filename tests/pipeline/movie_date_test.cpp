// The 3DS date search and rewrite on search areas made here: where the
// anchor and the date texts lie, what is taken, what is refused, and that
// nothing but the date characters changes.
#include "pipeline/movie_date.h"

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

namespace {

typedef std::vector<BYTE> Bytes;

// A search area of filler bytes with texts put at the offsets given.
Bytes Area(std::initializer_list<std::pair<size_t, const char *>> texts, size_t size = kDateSearchBytes)
{
    Bytes a(size);
    for (size_t i = 0; i < size; i++)
        a[i] = (BYTE)(i * 7 + 3) | 0x80;  // never a digit, ':' or "Nint"
    for (auto &t : texts)
        memcpy(&a[t.first], t.second, strlen(t.second));
    return a;
}

const MovieDate kNew = {2012, 3, 4, 5, 6, 7};

}  // namespace

TEST(MovieDate, FindsTheFirstDateAfterTheAnchor)
{
    struct Case {
        const char *what;
        Bytes area;
        bool found;
        MovieDate date;
    } cases[] = {
        {"date after the anchor", Area({{500, "Nintendo"}, {900, "2011:02:26 13:05:09"}}), true, {2011, 2, 26, 13, 5, 9}},
        {"first of two", Area({{500, "Nintendo"}, {900, "2011:02:26 13:05:09"}, {950, "1999:12:31 23:59:58"}}), true,
         {2011, 2, 26, 13, 5, 9}},
        {"date before the anchor is not taken",
         Area({{100, "2001:01:01 01:01:01"}, {500, "Nintendo"}, {900, "2011:02:26 13:05:09"}}), true, {2011, 2, 26, 13, 5, 9}},
        {"only a date before the anchor", Area({{100, "2001:01:01 01:01:01"}, {500, "Nintendo"}}), false, {}},
        {"anchor only at offset 0", Area({{0, "Nintendo"}, {900, "2011:02:26 13:05:09"}}), false, {}},
        {"no anchor", Area({{900, "2011:02:26 13:05:09"}}), false, {}},
        {"the anchor at the last place", Area({{kDateSearchBytes - 4, "Nint"}}), false, {}},
        // Only the first two digits and the colons are tested; each field
        // reads as atoi reads it (blanks, then digits up to a non-digit).
        {"loose fields", Area({{10, "Nint"}, {40, "20x1:7a: 5?1 :  :  "}}), true, {20, 7, 5, 1, 0, 0}},
        {"a date that would run past the area",
         Area({{10, "Nint"}, {kDateSearchBytes - 18, "2011:02:26 13:05:0"}}), false, {}},
        {"a date that ends at the area's end",
         Area({{10, "Nint"}, {kDateSearchBytes - 19, "2011:02:26 13:05:09"}}), true, {2011, 2, 26, 13, 5, 9}},
        {"a short area", Area({{1, "Nint"}, {5, "2011:02:26 13:05:09"}}, 24), true, {2011, 2, 26, 13, 5, 9}},
        {"an area too short for a date", Area({{1, "Nint"}, {5, "2011:02:26 13:05"}}, 21), false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        MovieDate d = {-1, -1, -1, -1, -1, -1};
        EXPECT_EQ(FindMovieDate(c.area.data(), c.area.size(), &d), c.found);
        if (c.found)
            EXPECT_EQ(memcmp(&d, &c.date, sizeof d), 0)
                << d.year << "/" << d.month << "/" << d.day << " " << d.hour << ":" << d.minute << ":" << d.second;
    }
    Bytes empty;
    MovieDate d;
    EXPECT_FALSE(FindMovieDate(empty.data(), 0, &d));
    EXPECT_EQ(FindDateAnchor(empty.data(), 0), -1);
}

// Every date text after the anchor is rewritten, the bytes around them
// stay as they were.
TEST(MovieDate, RewritesEveryDateAfterTheAnchorAndNothingElse)
{
    const size_t dates[3] = {1200, 1346, 1366};
    Bytes a = Area({{100, "2001:01:01 01:01:01"}, {500, "Nintendo"}, {dates[0], "2011:02:26 13:05:09"},
                    {dates[1], "2011:02:26 13:05:09"}, {dates[2], "2011:02:26 13:05:09"},
                    {kDateSearchBytes - 10, "2011:02:26"}});
    Bytes before = a;
    EXPECT_EQ(RewriteMovieDates(a.data(), a.size(), kNew), 3);
    for (size_t i = 0; i < a.size(); i++) {
        bool inDate = false;
        for (size_t p : dates)
            inDate = inDate || (i >= p && i < p + kDateTextBytes);
        if (!inDate)
            ASSERT_EQ(a[i], before[i]) << i;
    }
    for (size_t p : dates)
        EXPECT_EQ(memcmp(&a[p], "2012:03:04 05:06:07", kDateTextBytes), 0);
    MovieDate d;
    ASSERT_TRUE(FindMovieDate(a.data(), a.size(), &d));
    EXPECT_EQ(memcmp(&d, &kNew, sizeof d), 0);

    // The date as read, written again: the same bytes.
    Bytes again = a;
    EXPECT_EQ(RewriteMovieDates(again.data(), again.size(), d), 3);
    EXPECT_EQ(again, a);
}

// A date part that does not fit its width would overrun the text: nothing
// is rewritten.
TEST(MovieDate, PartsThatDoNotFitAreRefused)
{
    const MovieDate refused[] = {
        {10000, 1, 1, 0, 0, 0}, {2011, 100, 1, 0, 0, 0}, {2011, 1, 100, 0, 0, 0}, {2011, 1, 1, 100, 0, 0},
        {2011, 1, 1, 0, 100, 0}, {2011, 1, 1, 0, 0, 100}, {-1, 1, 1, 0, 0, 0},     {2011, 1, 1, 0, 0, -5},
    };
    Bytes a = Area({{500, "Nintendo"}, {900, "2011:02:26 13:05:09"}});
    Bytes before = a;
    for (const MovieDate &d : refused) {
        SCOPED_TRACE(d.year * 1000 + d.second);
        EXPECT_EQ(RewriteMovieDates(a.data(), a.size(), d), 0);
        EXPECT_EQ(a, before);
    }
    const MovieDate widest = {9999, 99, 99, 99, 99, 99}, least = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(RewriteMovieDates(a.data(), a.size(), widest), 1);
    EXPECT_EQ(memcmp(&a[900], "9999:99:99 99:99:99", kDateTextBytes), 0);
    EXPECT_EQ(RewriteMovieDates(a.data(), a.size(), least), 1);
    EXPECT_EQ(memcmp(&a[900], "0000:00:00 00:00:00", kDateTextBytes), 0);
}

// A search area of nothing but date-like bytes: every text found lies
// inside the area, and a rewrite stays inside it.
TEST(MovieDate, HostileAreaStaysInside)
{
    // "11xx:xx:x" repeated: a date text at every ninth byte.
    Bytes a(kDateSearchBytes + 64);
    for (size_t i = 0; i < a.size(); i++)
        a[i] = i % 9 < 2 ? '1' : i % 9 == 4 || i % 9 == 7 ? ':' : 'x';
    memcpy(&a[2], "Nint", 4);
    Bytes tail(a.begin() + kDateSearchBytes, a.end());
    int count = RewriteMovieDates(a.data(), a.size(), kNew);
    EXPECT_GT(count, 0);
    EXPECT_EQ(Bytes(a.begin() + kDateSearchBytes, a.end()), tail);
}
