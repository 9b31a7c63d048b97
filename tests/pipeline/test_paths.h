// Files the pipeline's tests write: a folder of the build tree, named as
// the program sees it (through Wine's drive Z: on Windows).
#ifndef TWR_TESTS_PIPELINE_TEST_PATHS_H
#define TWR_TESTS_PIPELINE_TEST_PATHS_H

#include <stdio.h>

#include <string>
#include <vector>

#ifndef TWR_TEST_OUT_DIR
#error "TWR_TEST_OUT_DIR names the folder the tests write into"
#endif

inline std::string ProgramPath(const std::string &unixPath)
{
#ifdef _WIN32
    std::string w = "Z:";
    for (char c : unixPath)
        w += c == '/' ? '\\' : c;
    return w;
#else
    return unixPath;
#endif
}

// A file of the output folder.
inline std::string OutPath(const std::string &name)
{
    return ProgramPath(std::string(TWR_TEST_OUT_DIR) + "/" + name);
}

inline std::vector<unsigned char> FileBytes(const std::string &path)
{
    std::vector<unsigned char> bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    return bytes;
}

inline bool WriteFileBytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

inline bool FileExists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

#endif
