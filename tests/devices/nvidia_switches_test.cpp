// "Auto Reg. Set": choosing a device in the settings dialog rewrites the
// NVIDIA driver's stereo switches under HKEY_LOCAL_MACHINE, only where the
// driver has them. Each value is checked in this process and with Windows'
// own "reg query".
#include "devices/nvidia_switches.h"

#include "tests/devices/nvidia_registry.h"
#include "tests/devices/w3d_dialog_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const DWORD kOglOn = 1, kOglOff = 0;  // the 4 bytes 01 00 00 00 / 00 00 00 00 read as one number

class NvidiaSwitches : public W3DDialogTest {
protected:
    std::unique_ptr<NvidiaRegistry> registry;

    void SetUp() override
    {
        registry.reset(new NvidiaRegistry);
        ASSERT_TRUE(registry->Usable()) << "this machine has NVIDIA driver keys of its own";
        W3DDialogTest::SetUp();
        g_nAutoRegSet = 123;
    }
    void TearDown() override
    {
        W3DDialogTest::TearDown();
        registry.reset();
        g_nAutoRegSet = 0;
    }

    long Ogl() { return NvidiaRegistry::Read(registry->OglKey(), "Ogl_EnableStereoSupport"); }
    static long Stereo(const char *name) { return NvidiaRegistry::Read(NvidiaRegistry::StereoKey(), name); }
    std::string OglByTool() { return NvidiaRegistry::Query(registry->OglKey(), "Ogl_EnableStereoSupport"); }
    static std::string StereoByTool(const char *name) { return NvidiaRegistry::Query(NvidiaRegistry::StereoKey(), name); }
};

TEST_F(NvidiaSwitches, ChoosingEachDeviceSwitchesTheDriver)
{
    struct Row {
        const char *dialog;
        int source, id;
        bool openGlStereo;
    } rows[] = {
        {"W3D", 0, 4068, false}, {"W3D", 0, 4069, false}, {"W3D", 0, 4070, true}, {"W3D", 0, 4071, false},
        {"W3DOPEN", 1, 4070, true}, {"W3DOPEN", 1, 4069, false},
        // A file played as it is keeps OpenGL in a window of its own size.
        {"FOPEN", 2, 4070, false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.dialog) + " " + std::to_string(r.id));
        // Seeded the other way round.
        registry->SeedOgl(r.openGlStereo ? kOglOff : kOglOn);
        registry->SeedStereo(r.openGlStereo ? 1 : 0, r.openGlStereo ? 1 : 0);
        g_nPlaySource = r.source;
        Open(r.dialog);
        Click(r.id);
        long vision = r.openGlStereo ? 0 : 1;
        EXPECT_EQ(Ogl(), (long)(r.openGlStereo ? kOglOn : kOglOff));
        EXPECT_EQ(Stereo("StereoEnable"), vision);
        EXPECT_EQ(Stereo("StereoDefaultOn"), vision);
        EXPECT_EQ(OglByTool(), r.openGlStereo ? "REG_BINARY 01000000" : "REG_BINARY 00000000");
        EXPECT_EQ(StereoByTool("StereoEnable"), vision ? "REG_DWORD 0x1" : "REG_DWORD 0x0");
        EXPECT_EQ(StereoByTool("StereoDefaultOn"), vision ? "REG_DWORD 0x1" : "REG_DWORD 0x0");
    }
}

TEST_F(NvidiaSwitches, WithoutAutoRegSetTheDriverIsLeftAlone)
{
    g_nAutoRegSet = 0;
    registry->SeedOgl(kOglOff);
    registry->SeedStereo(1, 1);
    Open("W3D");
    Click(4070);
    EXPECT_EQ(Ogl(), (long)kOglOff);
    EXPECT_EQ(Stereo("StereoEnable"), 1);
    EXPECT_EQ(OglByTool(), "REG_BINARY 00000000");
}

TEST_F(NvidiaSwitches, NothingIsCreatedWhereTheDriverHasNoKeys)
{
    Open("W3D");
    for (int id : {4070, 4068})
        Click(id);
    EXPECT_FALSE(NvidiaRegistry::KeyExists(registry->OglKey()));
    EXPECT_FALSE(NvidiaRegistry::KeyExists(NvidiaRegistry::StereoKey()));
    EXPECT_EQ(OglByTool(), "");
    EXPECT_EQ(StereoByTool("StereoEnable"), "");
}

TEST_F(NvidiaSwitches, NothingIsCreatedWhereTheKeysLackTheValues)
{
    registry->SeedOglKeyOnly();
    registry->SeedStereo(-1, 1);
    const BYTE on[4] = {1, 0, 0, 0};
    DWORD off = 0;
    SetOglStereoSupport(on);
    SetNvidiaStereoEnable(&off);
    EXPECT_EQ(Ogl(), -1);
    EXPECT_EQ(Stereo("StereoEnable"), -1);
    EXPECT_EQ(Stereo("StereoDefaultOn"), 1);
    EXPECT_EQ(OglByTool(), "");
    EXPECT_EQ(StereoByTool("StereoDefaultOn"), "REG_DWORD 0x1");
}

TEST_F(NvidiaSwitches, ADriverWithoutTheDefaultSwitchDoesNotGetOne)
{
    registry->SeedStereo(0, -1);
    DWORD on = 1;
    SetNvidiaStereoEnable(&on);
    EXPECT_EQ(Stereo("StereoEnable"), 1);
    EXPECT_EQ(Stereo("StereoDefaultOn"), -1);
    EXPECT_EQ(StereoByTool("StereoDefaultOn"), "");
}

TEST_F(NvidiaSwitches, AValueOf999CountsAsAbsent)
{
    registry->SeedOgl(999);
    registry->SeedStereo(999, 999);
    const BYTE on[4] = {1, 0, 0, 0};
    DWORD off = 0;
    SetOglStereoSupport(on);
    SetNvidiaStereoEnable(&off);
    EXPECT_EQ(Ogl(), 999);
    EXPECT_EQ(Stereo("StereoEnable"), 999);
    EXPECT_EQ(Stereo("StereoDefaultOn"), 999);
}

}  // namespace
