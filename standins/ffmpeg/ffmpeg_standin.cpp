// "ffmpeg.exe" for machines that run the program under Wine without a
// Windows build of ffmpeg: a Windows console program that takes ffmpeg's
// command line, hands the work to the machine's own ffmpeg and ends with
// its exit code once it has finished, as the real program would.
//
// Wine starts a Linux program from a Windows process but gives back no
// process handle, so it cannot be waited for, and Windows paths reach it
// untranslated. So every argument that is a Windows path is turned into
// the Linux path of the same file, a shell script runs ffmpeg with them
// and writes its exit code into a marker file when ffmpeg has ended, and
// this program waits for that marker. ffmpeg's messages are passed on to
// this program's standard error.
#include <windows.h>

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char kLinuxFfmpeg[] = "/usr/bin/ffmpeg";

typedef char *(CDECL *UnixFileName)(LPCWSTR);

std::string Utf8(const wchar_t *text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

bool IsWindowsPath(const wchar_t *arg)
{
    bool drive = ((arg[0] | 0x20) >= 'a' && (arg[0] | 0x20) <= 'z') && arg[1] == ':' && (arg[2] == '\\' || arg[2] == '/');
    return drive || (arg[0] == '\\' && arg[1] == '\\');
}

std::string UnixPath(UnixFileName toUnix, const wchar_t *path)
{
    char *unix = toUnix(path);
    if (!unix)
        return std::string();
    std::string out(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

std::string ShellQuoted(const std::string &s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool Exists(const std::string &windowsPath)
{
    return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadText(const std::string &path)
{
    std::string text;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    fclose(f);
    return text;
}

}  // namespace

int main()
{
    UnixFileName toUnix =
        (UnixFileName)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!toUnix) {
        fprintf(stderr, "ffmpeg stand-in: this program runs only under Wine\n");
        return 1;
    }
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 1;

    // The work files: <temp>\twrffNNNN.tmp as the base name.
    char folder[MAX_PATH], base[MAX_PATH];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "twrff", 0, base))
        return 1;
    std::string script = std::string(base) + ".sh", marker = std::string(base) + ".end",
                log = std::string(base) + ".log", pidFile = std::string(base) + ".pid";
    std::wstring wbase(base, base + strlen(base));
    std::string unixBase = UnixPath(toUnix, wbase.c_str());
    if (unixBase.empty())
        return 1;

    std::string command = ShellQuoted(kLinuxFfmpeg);
    for (int i = 1; i < argc; i++) {
        std::string arg = IsWindowsPath(argv[i]) ? UnixPath(toUnix, argv[i]) : Utf8(argv[i]);
        command += " " + ShellQuoted(arg);
    }
    std::string end = ShellQuoted(unixBase + ".end");
    std::string text = "echo $$ > " + ShellQuoted(unixBase + ".pid") + "\n" + command + " </dev/null >" +
                       ShellQuoted(unixBase + ".log") + " 2>&1\n" + "echo $? > " + end + ".part && mv " + end +
                       ".part " + end + "\n";
    FILE *f = fopen(script.c_str(), "wb");
    if (!f || fwrite(text.data(), 1, text.size(), f) != text.size() || fclose(f) != 0)
        return 1;

    // Wine takes the command line apart as a Windows one: double quotes.
    std::string shell = "/bin/sh \"" + unixBase + ".sh\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    int code = 1;
    if (CreateProcessA(nullptr, &shell[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        if (pi.hProcess)
            CloseHandle(pi.hProcess);
        if (pi.hThread)
            CloseHandle(pi.hThread);
        // Wait for the marker; give up when the shell has gone without
        // writing one (its /proc entry vanished).
        std::string procEntry;
        for (int tick = 0; !Exists(marker); tick++) {
            Sleep(20);
            if (procEntry.empty() && Exists(pidFile)) {
                int pid = atoi(ReadText(pidFile).c_str());
                if (pid > 0)
                    procEntry = "Z:\\proc\\" + std::to_string(pid);
            }
            if (tick % 50 == 49 && !procEntry.empty() && !Exists(procEntry) && !Exists(marker))
                break;
        }
        if (Exists(marker))
            code = atoi(ReadText(marker).c_str());
    }
    std::string messages = ReadText(log);
    fwrite(messages.data(), 1, messages.size(), stderr);
    DeleteFileA(script.c_str());
    DeleteFileA(marker.c_str());
    DeleteFileA(log.c_str());
    DeleteFileA(pidFile.c_str());
    DeleteFileA(base);
    LocalFree(argv);
    return code;
}
