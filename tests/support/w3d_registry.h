// The WinX3D driver's registry key HKLM "SOFTWARE\W3D" in a test's hands:
// taken away while the object lives (the test starts from nothing) and put
// back as it was, values and subkeys, when it ends. Tests that use it hold
// the ctest RESOURCE_LOCK w3d_registry.
#ifndef TWR_TESTS_SUPPORT_W3D_REGISTRY_H
#define TWR_TESTS_SUPPORT_W3D_REGISTRY_H

#include <windows.h>

#include <memory>
#include <string>

class W3DRegistry {
public:
    W3DRegistry();
    ~W3DRegistry();
    W3DRegistry(const W3DRegistry &) = delete;
    W3DRegistry &operator=(const W3DRegistry &) = delete;

    // "WIN3D": the folder the driver is loaded from (a Windows path).
    bool SetFolder(const std::string &folder) { return SetText("", "WIN3D", folder); }
    // Values of "SOFTWARE\W3D\<subkey>" (subkey "" for the key itself),
    // creating the key.
    bool SetText(const std::string &subkey, const std::string &name, const std::string &text);
    bool SetNumber(const std::string &subkey, const std::string &name, DWORD value);
    bool SetBytes(const std::string &subkey, const std::string &name, DWORD type, const void *data, DWORD bytes);
    // Removes the whole key again.
    void Clear();

    static const char *Key() { return "SOFTWARE\\W3D"; }

private:
    struct Node;
    static std::unique_ptr<Node> Snapshot(HKEY parent, const std::string &name);
    static void Restore(HKEY parent, const std::string &name, const Node &node);
    std::unique_ptr<Node> saved_;  // null when the key did not exist
};

#endif
