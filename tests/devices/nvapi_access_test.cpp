// The NVAPI client layer against the stand-in "nvapi.dll" (standins/nvapi,
// its call log as the oracle), a library without the query export and a
// file that does not exist. The library is loaded by full path; each case
// starts from an unbound table (ResetNvApiForTests).
#include "devices/nvapi_access.h"

#include "tests/support/host_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string Standin() { return HostPath(TWR_NVAPI_STANDIN); }
std::string NoExport() { return HostPath(TWR_NVAPI_NO_EXPORT); }

class NvApiAccessTest : public testing::Test {
protected:
    void SetUp() override
    {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        log = std::string(dir) + "twr_nvapi_" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("TWR_NVAPI_LOG", log.c_str());
        for (const char *v : {"TWR_NVAPI_INIT", "TWR_NVAPI_ISENABLED", "TWR_NVAPI_ENABLED", "TWR_NVAPI_ENABLE",
                              "TWR_NVAPI_HIDE"})
            SetEnvironmentVariableA(v, nullptr);
        ResetNvApiForTests();
    }
    void TearDown() override
    {
        ResetNvApiForTests();
        g_pszNvApiLibrary = "nvapi.dll";
        SetEnvironmentVariableA("TWR_NVAPI_LOG", nullptr);
        DeleteFileA(log.c_str());
    }
    std::string Log() const { return ReadWholeText(log); }
    int Count(const std::string &line) const
    {
        std::string text = Log();
        int n = 0;
        for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
            n++;
        return n;
    }

    std::string log;
    std::string library;
};

TEST_F(NvApiAccessTest, EachWayTheLoadCanFailGivesItsStatusAndLeavesTheEntriesUnbound)
{
    struct Case {
        const char *name;
        std::string library;
        const char *init;  // TWR_NVAPI_INIT
        const char *hide;  // TWR_NVAPI_HIDE
        NvAPI_Status want;
    } cases[] = {
        {"no library", HostPath(std::string(TWR_NVAPI_NO_EXPORT) + ".missing"), nullptr, nullptr,
         NVAPI_LIBRARY_NOT_FOUND},
        {"no query export", NoExport(), nullptr, nullptr, NVAPI_ERROR},
        {"initialise fails", Standin(), "-1", nullptr, NVAPI_ERROR},
        {"initialise fails with another status", Standin(), "-104", nullptr, NVAPI_ERROR},
        {"no initialise function", Standin(), nullptr, "0150E828", NVAPI_ERROR},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ResetNvApiForTests();
        library = c.library;
        g_pszNvApiLibrary = library.c_str();
        SetEnvironmentVariableA("TWR_NVAPI_INIT", c.init);
        SetEnvironmentVariableA("TWR_NVAPI_HIDE", c.hide);
        EXPECT_EQ(c.want, NvAPI_Initialize());
        // Nothing bound: every call answers "not initialised" and reaches
        // no library.
        NvU8 enabled = 7;
        EXPECT_EQ(NVAPI_API_NOT_INITIALIZED, NvAPI_Stereo_IsEnabled(&enabled));
        EXPECT_EQ(7, enabled);
        EXPECT_EQ(NVAPI_API_NOT_INITIALIZED, NvAPI_Stereo_Enable());
        EXPECT_EQ(NVAPI_API_NOT_INITIALIZED, NvAPI_Stereo_CreateConfigurationProfileRegistryKey(0));
        EXPECT_EQ(0, Count("IsEnabled")) << Log();
        EXPECT_EQ(0, Count("Enable result"));
        // A failed load is tried again at the next call.
        EXPECT_EQ(c.want, NvAPI_Initialize());
    }
}

TEST_F(NvApiAccessTest, TheErrorTextIsClearedWhenTheCallFails)
{
    library = HostPath(std::string(TWR_NVAPI_NO_EXPORT) + ".missing");
    g_pszNvApiLibrary = library.c_str();
    ASSERT_EQ(NVAPI_LIBRARY_NOT_FOUND, NvAPI_Initialize());
    NvAPI_ShortString text;
    memset(text, 'x', sizeof text);
    EXPECT_EQ(NVAPI_API_NOT_INITIALIZED, NvAPI_GetErrorMessage(NVAPI_LIBRARY_NOT_FOUND, text));
    EXPECT_EQ('\0', text[0]);
}

TEST_F(NvApiAccessTest, AnInitialisedLibraryAnswersThroughEveryEntryAndLoadsOnce)
{
    library = Standin();
    g_pszNvApiLibrary = library.c_str();
    SetEnvironmentVariableA("TWR_NVAPI_INIT", "1");  // a positive status is no failure
    SetEnvironmentVariableA("TWR_NVAPI_ENABLED", "0");
    SetEnvironmentVariableA("TWR_NVAPI_ENABLE", "-7");
    ASSERT_EQ(NVAPI_OK, NvAPI_Initialize());
    ASSERT_EQ(NVAPI_OK, NvAPI_Initialize());
    // The initialise function once, then each entry of the table once.
    EXPECT_EQ(1, Count("Query id=0x0150e828 found=1")) << Log();
    EXPECT_EQ(1, Count("Initialize result=1"));
    for (const char *id : {"0x6c2d048c", "0x348ff8e1", "0x239c4545", "0xbe7692ec"})
        EXPECT_EQ(1, Count(std::string("Query id=") + id + " found=1")) << id;

    NvU8 enabled = 9;
    EXPECT_EQ(NVAPI_OK, NvAPI_Stereo_IsEnabled(&enabled));
    EXPECT_EQ(0, enabled);
    EXPECT_EQ(-7, NvAPI_Stereo_Enable());
    EXPECT_EQ(NVAPI_OK, NvAPI_Stereo_CreateConfigurationProfileRegistryKey(NVAPI_STEREO_DEFAULT_REGISTRY_PROFILE));
    EXPECT_EQ(1, Count("CreateProfileKey profile=0 result=0"));
    NvAPI_ShortString text;
    EXPECT_EQ(NVAPI_OK, NvAPI_GetErrorMessage(-3, text));
    EXPECT_STREQ("NVAPI stand-in status -3", text);
    // The environment is read at every call.
    SetEnvironmentVariableA("TWR_NVAPI_ISENABLED", "-140");
    EXPECT_EQ(-140, NvAPI_Stereo_IsEnabled(&enabled));
}

TEST_F(NvApiAccessTest, AnEntryTheDriverLacksAnswersNotImplemented)
{
    library = Standin();
    g_pszNvApiLibrary = library.c_str();
    SetEnvironmentVariableA("TWR_NVAPI_HIDE", "348FF8E1,239c4545");
    ASSERT_EQ(NVAPI_OK, NvAPI_Initialize());
    NvU8 enabled = 5;
    EXPECT_EQ(NVAPI_NO_IMPLEMENTATION, NvAPI_Stereo_IsEnabled(&enabled));
    EXPECT_EQ(5, enabled);
    EXPECT_EQ(NVAPI_NO_IMPLEMENTATION, NvAPI_Stereo_Enable());
    EXPECT_EQ(NVAPI_OK, NvAPI_Stereo_CreateConfigurationProfileRegistryKey(0));
    EXPECT_EQ(1, Count("Query id=0x348ff8e1 found=0")) << Log();
}

}  // namespace
