// Files of the build tree as the program under test names them, and whole
// files read and written by the tests.
#ifndef TWR_TESTS_SUPPORT_HOST_FILES_H
#define TWR_TESTS_SUPPORT_HOST_FILES_H

#include <string>
#include <vector>

// A Unix path as the program opens it: under Wine an absolute path lies on
// drive Z: (which maps the root) and takes backslashes; natively the path
// itself.
std::string HostPath(const std::string &unixPath);

// The file `name` of the folder `dir`, as HostPath names it.
std::string HostFile(const std::string &dir, const std::string &name);

// The file's bytes; empty when it cannot be read.
std::vector<unsigned char> ReadWholeFile(const std::string &path);

bool WriteWholeFile(const std::string &path, const std::vector<unsigned char> &bytes);

// The same, the bytes held in a string (line ends as they are).
std::string ReadWholeText(const std::string &path);
bool WriteWholeText(const std::string &path, const std::string &text);

bool FileExists(const std::string &path);

#endif
