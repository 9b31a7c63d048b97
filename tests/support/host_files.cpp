#include "tests/support/host_files.h"

#include <stdio.h>

std::string HostPath(const std::string &unixPath)
{
#ifdef _WIN32
    std::string path = !unixPath.empty() && unixPath[0] == '/' ? "Z:" + unixPath : unixPath;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
#else
    return unixPath;
#endif
}

std::string HostFile(const std::string &dir, const std::string &name) { return HostPath(dir + "/" + name); }

std::vector<unsigned char> ReadWholeFile(const std::string &path)
{
    std::vector<unsigned char> bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

bool WriteWholeFile(const std::string &path, const std::vector<unsigned char> &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string ReadWholeText(const std::string &path)
{
    std::vector<unsigned char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

bool WriteWholeText(const std::string &path, const std::string &text)
{
    return WriteWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()));
}

bool FileExists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}
