#include "tests/devices/nvidia_registry.h"

#include <stdio.h>
#include <string.h>

#include <sstream>

namespace {

bool Exists(const char *key)
{
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

void SetValue(const std::string &key, const char *name, DWORD type, DWORD value)
{
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (name)
        RegSetValueExA(k, name, 0, type, (const BYTE *)&value, sizeof value);
    RegCloseKey(k);
}

}  // namespace

NvidiaRegistry::NvidiaRegistry()
{
    long current = Read("SYSTEM\\Select", "Current");
    if (current < 0) {
        createdSelect_ = !Exists("SYSTEM\\Select");
        createdCurrent_ = true;
        SetValue("SYSTEM\\Select", "Current", REG_DWORD, 1);
        current = 1;
    }
    char key[96];
    snprintf(key, sizeof key, "SYSTEM\\ControlSet%03ld\\Services\\nv", current);
    nvKey_ = key;
    oglKey_ = nvKey_ + "\\Device0";
    usable_ = !Exists(nvKey_.c_str()) && !Exists("SOFTWARE\\NVIDIA Corporation");
}

NvidiaRegistry::~NvidiaRegistry()
{
    if (createdNv_)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, nvKey_.c_str());
    if (createdNvidia_)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\NVIDIA Corporation");
    if (createdSelect_)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SYSTEM\\Select");
    else if (createdCurrent_)
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\Select", "Current");
}

void NvidiaRegistry::SeedOglKeyOnly()
{
    if (!usable_)
        return;
    createdNv_ = true;
    SetValue(oglKey_, nullptr, 0, 0);
}

void NvidiaRegistry::SeedOgl(DWORD value)
{
    if (!usable_)
        return;
    createdNv_ = true;
    SetValue(oglKey_, "Ogl_EnableStereoSupport", REG_BINARY, value);
}

void NvidiaRegistry::SeedStereo(long enable, long defaultOn)
{
    if (!usable_)
        return;
    createdNvidia_ = true;
    SetValue(StereoKey(), nullptr, 0, 0);
    if (enable >= 0)
        SetValue(StereoKey(), "StereoEnable", REG_DWORD, (DWORD)enable);
    if (defaultOn >= 0)
        SetValue(StereoKey(), "StereoDefaultOn", REG_DWORD, (DWORD)defaultOn);
}

long NvidiaRegistry::Read(const std::string &key, const char *name)
{
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return -1;
    DWORD value = 0, bytes = sizeof value;
    LONG rc = RegQueryValueExA(k, name, nullptr, nullptr, (BYTE *)&value, &bytes);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS ? (long)value : -1;
}

bool NvidiaRegistry::KeyExists(const std::string &key) { return Exists(key.c_str()); }

std::string NvidiaRegistry::Query(const std::string &key, const char *name)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return "";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string command = "reg.exe query \"HKEY_LOCAL_MACHINE\\" + key + "\" /v " + name;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string output;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        CloseHandle(writeEnd);
        writeEnd = nullptr;
        char buffer[512];
        DWORD got;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got)
            output.append(buffer, got);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    if (writeEnd)
        CloseHandle(writeEnd);
    CloseHandle(readEnd);
    // "    NAME    TYPE    DATA" on a line of its own.
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, type, data;
        if (words >> first >> type >> data && first == name)
            return type + " " + data;
    }
    return "";
}
