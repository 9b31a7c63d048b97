// Files the pipeline's tests write: a folder of the build tree, named as
// the program sees it (through Wine's drive Z: on Windows).
#ifndef TWR_TESTS_PIPELINE_TEST_PATHS_H
#define TWR_TESTS_PIPELINE_TEST_PATHS_H

#include "tests/test_files.h"

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

inline bool FileExists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

#endif
