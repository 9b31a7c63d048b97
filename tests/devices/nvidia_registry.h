// The NVIDIA driver's two stereo switches seeded under HKEY_LOCAL_MACHINE
// for a test and put back as they were when it ends: the keys this
// creates are removed, "SYSTEM\Select" "Current" is used as the machine
// has it (created, and removed afterwards, only where it is missing).
#ifndef TWR_TESTS_DEVICES_NVIDIA_REGISTRY_H
#define TWR_TESTS_DEVICES_NVIDIA_REGISTRY_H

#include <windows.h>

#include <string>

class NvidiaRegistry {
public:
    NvidiaRegistry();
    ~NvidiaRegistry();
    NvidiaRegistry(const NvidiaRegistry &) = delete;
    NvidiaRegistry &operator=(const NvidiaRegistry &) = delete;

    // False when the machine already has a driver key: the test must not
    // run over it.
    bool Usable() const { return usable_; }

    // Creates the device key with "Ogl_EnableStereoSupport" = the 4 bytes
    // of value (REG_BINARY).
    void SeedOgl(DWORD value);
    // Creates the device key without the value.
    void SeedOglKeyOnly();
    // Creates the 3D Vision key with the values given (a negative one is
    // left out).
    void SeedStereo(long enable, long defaultOn);

    const std::string &OglKey() const { return oglKey_; }
    static const char *StereoKey() { return "SOFTWARE\\NVIDIA Corporation\\Global\\Stereo3D"; }

    // In this process: the value's 4 bytes as a number, or -1 when absent.
    static long Read(const std::string &key, const char *name);
    static bool KeyExists(const std::string &key);
    // Windows' own "reg query" program on the value: "REG_DWORD 0x1",
    // "REG_BINARY 01000000", or "" when it finds none.
    static std::string Query(const std::string &key, const char *name);

private:
    bool usable_ = false, createdSelect_ = false, createdCurrent_ = false, createdNv_ = false, createdNvidia_ = false;
    std::string nvKey_, oglKey_;
};

#endif
