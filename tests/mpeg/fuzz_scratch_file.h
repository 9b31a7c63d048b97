// The file a fuzz target hands to the readers that take a file name. One
// per process, in $TMPDIR (or /tmp), rewritten for every input; it and the
// files made beside it (an output, a GOP list) are removed when the process
// ends, so a long fuzzing run or a replay of the corpus leaves nothing behind.
#ifndef TWR_TESTS_MPEG_FUZZ_SCRATCH_FILE_H
#define TWR_TESTS_MPEG_FUZZ_SCRATCH_FILE_H

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

class FuzzScratchFile {
public:
    // name: the target's name; extension: added to the file's name.
    FuzzScratchFile(const char *name, const char *extension = "")
    {
        const char *dir = getenv("TMPDIR");
        path_ = std::string(dir && *dir ? dir : "/tmp") + "/" + name + "." + std::to_string(getpid()) + extension;
    }
    ~FuzzScratchFile()
    {
        remove(path_.c_str());
        for (const std::string &other : beside_)
            remove(other.c_str());
    }
    FuzzScratchFile(const FuzzScratchFile &) = delete;
    FuzzScratchFile &operator=(const FuzzScratchFile &) = delete;

    const char *Path() const { return path_.c_str(); }

    // Writes the bytes as the file's whole content; false when it cannot.
    bool Write(const uint8_t *data, size_t size) const
    {
        FILE *f = fopen(path_.c_str(), "wb");
        if (!f)
            return false;
        bool ok = fwrite(data, 1, size, f) == size;
        return fclose(f) == 0 && ok;
    }

    // The name of a file made beside this one (the path with suffix added),
    // removed with it.
    std::string Beside(const char *suffix)
    {
        std::string other = path_ + suffix;
        for (const std::string &known : beside_)
            if (known == other)
                return other;
        beside_.push_back(other);
        return other;
    }

private:
    std::string path_;
    std::vector<std::string> beside_;
};

#endif
