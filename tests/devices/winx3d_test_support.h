// What the WinX3D driver tests share: the folders the build prepared, the
// stand-in driver's settings (environment variables it reads when it is
// loaded) and its log.
#ifndef TWR_TESTS_DEVICES_WINX3D_TEST_SUPPORT_H
#define TWR_TESTS_DEVICES_WINX3D_TEST_SUPPORT_H

#include "devices/winx3d_driver.h"
#include "tests/support/host_files.h"
#include "tests/support/w3d_registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <sstream>
#include <string>
#include <vector>

// A folder the build made: "driver" (the stand-in), "no_export" (a
// "W3D_DD.DLL" without the fill export), "empty".
inline std::string W3DDir(const char *name) { return HostFile(TWR_W3D_DIRS, name); }

// The stand-in's settings for one test: set on construction, unset when
// it ends.
class StandinSettings {
public:
    ~StandinSettings()
    {
        for (const std::string &name : set_)
            SetEnvironmentVariableA(name.c_str(), nullptr);
    }
    void Set(const char *name, const std::string &value)
    {
        SetEnvironmentVariableA(name, value.c_str());
        set_.push_back(name);
    }

private:
    std::vector<std::string> set_;
};

// The registry taken over, the stand-in installed and its log fresh.
class StandinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[64];
        snprintf(name, sizeof name, "log-%lu.txt", GetCurrentProcessId());
        log_ = W3DDir(name);
        DeleteFileA(log_.c_str());
        settings_.Set("TWR_W3D_LOG", log_);
        ASSERT_TRUE(registry_.SetFolder(W3DDir("driver")));
    }
    void TearDown() override { DeleteFileA(log_.c_str()); }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadWholeText(log_));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // The log's lines that begin with `call` and a space.
    std::vector<std::string> LogOf(const std::string &call) const
    {
        std::vector<std::string> found;
        for (const std::string &line : LogLines())
            if (line.compare(0, call.size() + 1, call + " ") == 0)
                found.push_back(line);
        return found;
    }

    W3DRegistry registry_;
    StandinSettings settings_;
    std::string log_;
};

// The value of field `key` in a log line ("" when absent).
inline std::string LogField(const std::string &line, const std::string &key)
{
    std::istringstream in(line);
    for (std::string word; in >> word;)
        if (word.compare(0, key.size() + 1, key + "=") == 0)
            return word.substr(key.size() + 1);
    return "";
}

#endif
