// A stand-in for NVIDIA's "nvapi.dll": no stereo driver behind it, but its
// one export nvapi_QueryInterface hands out the five functions the program
// asks for (NULL for any other id), each answering as the environment says
// and writing down what it was given. The log is the tests' oracle.
//
// Environment (read at every call, so a test may change it with
// SetEnvironmentVariableA between calls; numbers decimal or 0x hex):
//   TWR_NVAPI_LOG         log file (appended, one line per call); no log
//                         when unset
//   TWR_NVAPI_INIT        status of NvAPI_Initialize (default 0)
//   TWR_NVAPI_ISENABLED   status of NvAPI_Stereo_IsEnabled (default 0)
//   TWR_NVAPI_ENABLED     the byte it writes (default 1; written only
//                         when its status is 0)
//   TWR_NVAPI_ENABLE      status of NvAPI_Stereo_Enable (default 0)
//   TWR_NVAPI_HIDE        ids (hex, comma-separated) answered NULL by the
//                         query, as by a driver that lacks them
//
// Log lines (LF ends):
//   Query id=0x<8 hex> found=<0|1>
//   Initialize result=<r>
//   GetErrorMessage status=<s> result=0 text=<the text written>
//   IsEnabled result=<r> enabled=<byte|unset>
//   Enable result=<r>
//   CreateProfileKey profile=<p> result=0
// GetErrorMessage writes "NVAPI stand-in status <s>".
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

long Setting(const char *name, long fallback)
{
    char v[64];
    DWORD n = GetEnvironmentVariableA(name, v, sizeof v);
    if (n == 0 || n >= sizeof v)
        return fallback;
    return strtol(v, nullptr, 0);
}

void Log(const char *format, ...)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("TWR_NVAPI_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    FILE *f = fopen(path, "ab");
    if (!f)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

bool Hidden(unsigned id)
{
    char v[512];
    DWORD n = GetEnvironmentVariableA("TWR_NVAPI_HIDE", v, sizeof v);
    if (n == 0 || n >= sizeof v)
        return false;
    for (char *p = v; *p;) {
        char *end = nullptr;
        unsigned long x = strtoul(p, &end, 16);
        if (end == p)
            break;
        if ((unsigned)x == id)
            return true;
        p = end;
        while (*p == ',' || *p == ' ')
            p++;
    }
    return false;
}

int __cdecl Initialize()
{
    int r = (int)Setting("TWR_NVAPI_INIT", 0);
    Log("Initialize result=%d", r);
    return r;
}

int __cdecl GetErrorMessage(int status, char *text)
{
    if (text)
        _snprintf(text, 64, "NVAPI stand-in status %d", status), text[63] = 0;
    Log("GetErrorMessage status=%d result=0 text=%s", status, text ? text : "");
    return 0;
}

int __cdecl IsEnabled(unsigned char *enabled)
{
    int r = (int)Setting("TWR_NVAPI_ISENABLED", 0);
    if (r == 0 && enabled) {
        *enabled = (unsigned char)Setting("TWR_NVAPI_ENABLED", 1);
        Log("IsEnabled result=%d enabled=%d", r, *enabled);
    } else {
        Log("IsEnabled result=%d enabled=unset", r);
    }
    return r;
}

int __cdecl Enable()
{
    int r = (int)Setting("TWR_NVAPI_ENABLE", 0);
    Log("Enable result=%d", r);
    return r;
}

int __cdecl CreateProfileKey(int profile)
{
    Log("CreateProfileKey profile=%d result=0", profile);
    return 0;
}

}  // namespace

extern "C" void *__cdecl nvapi_QueryInterface(unsigned id)
{
    void *f = nullptr;
    switch (id) {
    case 0x0150E828u: f = (void *)Initialize; break;
    case 0x6C2D048Cu: f = (void *)GetErrorMessage; break;
    case 0x348FF8E1u: f = (void *)IsEnabled; break;
    case 0x239C4545u: f = (void *)Enable; break;
    case 0xBE7692ECu: f = (void *)CreateProfileKey; break;
    default: break;
    }
    if (f && Hidden(id))
        f = nullptr;
    Log("Query id=0x%08x found=%d", id, f ? 1 : 0);
    return f;
}
