// Whole files read and written by the tests.
#ifndef TWR_TESTS_TEST_FILES_H
#define TWR_TESTS_TEST_FILES_H

#include <stdio.h>

#include <string>
#include <vector>

// The file's bytes; empty when it cannot be read.
inline std::vector<unsigned char> ReadWholeFile(const std::string &path)
{
    std::vector<unsigned char> v;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return v;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        v.insert(v.end(), buf, buf + n);
    fclose(f);
    return v;
}

inline bool WriteWholeFile(const std::string &path, const std::vector<unsigned char> &v)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(v.data(), 1, v.size(), f) == v.size();
    return fclose(f) == 0 && ok;
}

#endif
