// Files the pipeline's tests write: a folder of the build tree, named as
// the program sees it (through Wine's drive Z: on Windows).
#ifndef TWR_TESTS_PIPELINE_TEST_PATHS_H
#define TWR_TESTS_PIPELINE_TEST_PATHS_H

#include "tests/support/host_files.h"

#include <string>

#ifndef TWR_TEST_OUT_DIR
#error "TWR_TEST_OUT_DIR names the folder the tests write into"
#endif

// A file of the output folder.
inline std::string OutPath(const std::string &name) { return HostFile(TWR_TEST_OUT_DIR, name); }

#endif
