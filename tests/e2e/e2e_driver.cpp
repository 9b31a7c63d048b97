// twr_e2e: drives the running program from beside it, in the same Wine
// desktop, by a script of steps. See tests/e2e/README.md for the language.
//
// usage: twr_e2e [--launch "PROGRAM ARGS"] [--log FILE] [--status FILE]
//                [--limit SECONDS] (--script FILE | --steps "STEP; STEP")
//
// Every wait polls with a time limit; a failed step ends the run with exit
// status 1 after ending the launched program.
#include "tests/support/host_files.h"
#include "tests/support/screen_capture.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

HANDLE g_process;           // the launched program
DWORD g_processId;
HWND g_target;              // the window the steps talk to
HWND g_dialog;              // the last dialog or message box found
FILE *g_log;
std::string g_statusPath;
// Generous: waits poll, so a slow machine (CI on two busy cores) costs
// nothing when the program is quick.
const int kDefaultWaitMs = 20000;
const int kPollMs = 20;

std::wstring Wide(const std::string &utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    return w;
}

std::string Utf8(const std::wstring &w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

// Output goes to stdout and, when given, to the log file, both UTF-8.
void Say(const char *fmt, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), buf, (DWORD)strlen(buf), &written, nullptr);
    if (g_log) {
        fputs(buf, g_log);
        fflush(g_log);
    }
}

void Finish(int status)
{
    if (g_process && WaitForSingleObject(g_process, 0) == WAIT_TIMEOUT) {
        if (status != 0)
            Say("e2e: ending the program\n");
        TerminateProcess(g_process, 99);
        WaitForSingleObject(g_process, 2000);
    }
    if (!g_statusPath.empty()) {
        FILE *f = _wfopen(Wide(g_statusPath).c_str(), L"wb");
        if (f) {
            fprintf(f, "%d\n", status);
            fclose(f);
        }
    }
    if (g_log)
        fclose(g_log);
    ExitProcess(status);
}

// ---- windows ----

std::wstring ClassOf(HWND w)
{
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    return buf;
}

std::wstring TextOf(HWND w)
{
    // WM_GETTEXT crosses processes; a hung program must not hang the driver.
    wchar_t buf[1024] = {};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, 1024, (LPARAM)buf, SMTO_ABORTIFHUNG, 2000, &result))
        return std::wstring();
    return buf;
}

bool OfProgram(HWND w)
{
    if (!g_processId)
        return true;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid == g_processId;
}

struct FindRequest {
    std::wstring cls;       // empty: any
    std::wstring textPart;  // empty: any
    bool dialogWithChild;   // only dialogs that have one of the children below
    int children[2];
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM param)
{
    FindRequest *r = (FindRequest *)param;
    if (!IsWindowVisible(w) || !OfProgram(w))
        return TRUE;
    if (!r->cls.empty() && ClassOf(w) != r->cls)
        return TRUE;
    if (!r->textPart.empty() && TextOf(w).find(r->textPart) == std::wstring::npos)
        return TRUE;
    if (r->dialogWithChild && !GetDlgItem(w, r->children[0]) && !GetDlgItem(w, r->children[1]))
        return TRUE;
    r->found = w;
    return FALSE;
}

BOOL CALLBACK PrintTopLevel(HWND w, LPARAM)
{
    if (!IsWindowVisible(w) || !OfProgram(w))
        return TRUE;
    RECT r;
    GetWindowRect(w, &r);
    Say("window: %s \"%s\" (%ld,%ld)-(%ld,%ld)\n", Utf8(ClassOf(w)).c_str(), Utf8(TextOf(w)).c_str(), r.left, r.top,
        r.right, r.bottom);
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND w, LPARAM)
{
    RECT r;
    GetWindowRect(w, &r);
    Say("  child: %s id %d%s (%ld,%ld)-(%ld,%ld)\n", Utf8(ClassOf(w)).c_str(), GetDlgCtrlID(w),
        IsWindowVisible(w) ? "" : " hidden", r.left, r.top, r.right, r.bottom);
    return TRUE;
}

// The first child of the target (at any depth) of a class.
struct ChildSearch {
    std::wstring cls;
    HWND found;
};

BOOL CALLBACK FindChildOfClass(HWND w, LPARAM param)
{
    ChildSearch *c = (ChildSearch *)param;
    if (ClassOf(w) == c->cls) {
        c->found = w;
        return FALSE;
    }
    return TRUE;
}

// A control of a dialog by its id: a direct child, or one of an inner
// dialog.
struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindControlById(HWND w, LPARAM param)
{
    ControlSearch *c = (ControlSearch *)param;
    if (GetDlgCtrlID(w) == c->id) {
        c->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindControl(HWND dialog, int id)
{
    HWND c = GetDlgItem(dialog, id);
    if (c)
        return c;
    ControlSearch search = {id, nullptr};
    EnumChildWindows(dialog, FindControlById, (LPARAM)&search);
    return search.found;
}

// Polls until check() is true or the time is up.
template <typename F> bool WaitFor(int ms, F check)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (check())
            return true;
        if ((int)(GetTickCount() - start) >= ms)
            return false;
        Sleep(kPollMs);
    }
}

HWND WaitTopLevel(FindRequest req, int ms)
{
    req.found = nullptr;
    WaitFor(ms, [&] {
        req.found = nullptr;
        EnumWindows(FindTopLevel, (LPARAM)&req);
        return req.found != nullptr;
    });
    return req.found;
}

struct TextSearch {
    std::wstring part;
    bool found;
};

BOOL CALLBACK FindChildText(HWND w, LPARAM param)
{
    TextSearch *s = (TextSearch *)param;
    if (TextOf(w).find(s->part) != std::wstring::npos) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}

bool HasChildText(HWND dlg, const std::wstring &part)
{
    TextSearch s = {part, false};
    EnumChildWindows(dlg, FindChildText, (LPARAM)&s);
    return s.found;
}

struct BoxSearch {
    std::wstring part;
    HWND found;
};

BOOL CALLBACK FindBox(HWND h, LPARAM param)
{
    BoxSearch *b = (BoxSearch *)param;
    if (IsWindowVisible(h) && OfProgram(h) && ClassOf(h) == L"#32770" && HasChildText(h, b->part)) {
        b->found = h;
        return FALSE;
    }
    return TRUE;
}

// ---- the program's menu, read inside its process by the hook DLL ----

struct MenuLine {
    int depth;
    wchar_t kind;
    UINT id;
    UINT state;
    std::wstring text;
};

std::wstring g_menuReply;
bool g_menuReplied;
LPARAM g_settleAsked;  // the number of the last settle question
int g_settleAnswer;    // its answer: -1 none yet, 0 input still queued, 1 settled

UINT SettleMessage()
{
    static UINT msg = RegisterWindowMessageW(L"TwrE2eSettle");
    return msg;
}

LRESULT CALLBACK ReplyWndProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        const COPYDATASTRUCT *cd = (const COPYDATASTRUCT *)lParam;
        g_menuReply.assign((const wchar_t *)cd->lpData, cd->cbData / sizeof(wchar_t));
        while (!g_menuReply.empty() && g_menuReply.back() == 0)
            g_menuReply.pop_back();
        g_menuReplied = true;
        return TRUE;
    }
    if (msg == SettleMessage()) {
        if ((LPARAM)wParam == g_settleAsked)
            g_settleAnswer = (int)lParam;
        return 0;
    }
    return DefWindowProcW(w, msg, wParam, lParam);
}

// The driver's window that the hook answers.
HWND ReplyWindow()
{
    static HWND reply;
    if (!reply) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ReplyWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TwrE2eReply";
        RegisterClassW(&wc);
        reply = CreateWindowW(L"TwrE2eReply", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    }
    return reply;
}

// Serves the driver's own messages (the hook's answers) until done() or the
// time is up.
template <typename F> void PumpUntil(int ms, F done)
{
    DWORD start = GetTickCount();
    while (!done() && (int)(GetTickCount() - start) < ms) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        if (!done())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
}

// Hooks a thread of the program with twr_e2e_hook.dll (beside the driver);
// null with the reason in error.
HHOOK HookThread(DWORD thread, std::string *error)
{
    static HMODULE hookDll;
    static HOOKPROC hookProc;
    if (!hookDll) {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        wchar_t *slash = wcsrchr(path, L'\\');
        lstrcpyW(slash ? slash + 1 : path, L"twr_e2e_hook.dll");
        hookDll = LoadLibraryW(path);
        hookProc = hookDll ? (HOOKPROC)(void *)GetProcAddress(hookDll, "TwrE2eGetMsgProc") : nullptr;
    }
    if (!hookProc) {
        *error = "twr_e2e_hook.dll is missing beside the driver";
        return nullptr;
    }
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, hookProc, hookDll, thread);
    if (!hook)
        *error = "cannot hook the program's thread";
    return hook;
}

HHOOK HookProgram(std::string *error)
{
    return HookThread(GetWindowThreadProcessId(g_target, nullptr), error);
}

bool ProgramEnded()
{
    return g_process && WaitForSingleObject(g_process, 0) == WAIT_OBJECT_0;
}

bool ThreadEnded(DWORD thread)
{
    HANDLE h = OpenThread(SYNCHRONIZE, FALSE, thread);
    bool ended = !h || WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    if (h)
        CloseHandle(h);
    return ended;
}

// Waits until the thread has taken every key and button sent to it and has
// painted what was invalid (see e2e_hook.cpp). A round trip through its
// queue alone does not show that: the round trip's posted message is served
// before input queued earlier. True also when the thread or the program has
// ended meanwhile (a key may close it).
bool Settle(DWORD thread, int ms, std::string *error)
{
    if (!thread || ProgramEnded() || ThreadEnded(thread))
        return true;
    HHOOK hook = HookThread(thread, error);
    if (!hook)
        return ProgramEnded() || ThreadEnded(thread);
    static LPARAM asked;
    bool settled = false, ended = false;
    WaitFor(ms, [&] {
        g_settleAsked = ++asked;
        g_settleAnswer = -1;
        if (!PostThreadMessageW(thread, SettleMessage(), (WPARAM)ReplyWindow(), g_settleAsked))
            return ended = true;
        // A busy program answers late: the question stands until the time is up.
        PumpUntil(ms, [&] { return g_settleAnswer >= 0 || (ended = ProgramEnded() || ThreadEnded(thread)); });
        settled = g_settleAnswer == 1;
        return settled || ended;
    });
    UnhookWindowsHookEx(hook);
    if (!settled && !ended)
        *error = "the program has not taken its input";
    return settled || ended;
}

// Asks the hook in the program for the target's menu; false when no answer.
bool QueryMenu(std::vector<MenuLine> &lines, std::string *error)
{
    HHOOK hook = HookProgram(error);
    if (!hook)
        return false;
    g_menuReplied = false;
    PostMessageW(g_target, RegisterWindowMessageW(L"TwrE2eMenuQuery"), (WPARAM)ReplyWindow(), 0);
    PumpUntil(5000, [] { return g_menuReplied; });
    UnhookWindowsHookEx(hook);
    if (!g_menuReplied) {
        *error = "the program did not answer the menu query";
        return false;
    }
    lines.clear();
    size_t pos = 0;
    while (pos < g_menuReply.size()) {
        size_t end = g_menuReply.find(L'\n', pos);
        if (end == std::wstring::npos)
            end = g_menuReply.size();
        std::wstring l = g_menuReply.substr(pos, end - pos);
        pos = end + 1;
        MenuLine ml = {};
        wchar_t kind = 0;
        int used = 0;
        if (swscanf(l.c_str(), L"%d\t%lc\t%u\t%u\t%n", &ml.depth, &kind, &ml.id, &ml.state, &used) < 4)
            continue;
        ml.kind = kind;
        for (size_t i = used; i < l.size(); i++) {
            if (l[i] == L'\\' && i + 1 < l.size() && l[i + 1] == L't') {
                ml.text += L'\t';
                i++;
            } else if (l[i] == L'\\' && i + 1 < l.size() && l[i + 1] == L'\\') {
                ml.text += L'\\';
                i++;
            } else {
                ml.text += l[i];
            }
        }
        lines.push_back(ml);
    }
    return true;
}

const MenuLine *FindItem(const std::vector<MenuLine> &lines, UINT id)
{
    for (const MenuLine &l : lines)
        if (l.kind == L'I' && l.id == id)
            return &l;
    return nullptr;
}

// ---- keys ----

WORD KeyCode(const std::string &name)
{
    static const struct {
        const char *name;
        WORD vk;
    } names[] = {{"Enter", VK_RETURN}, {"Esc", VK_ESCAPE},  {"Space", VK_SPACE}, {"Backspace", VK_BACK},
                 {"Tab", VK_TAB},      {"Home", VK_HOME},   {"End", VK_END},     {"PageUp", VK_PRIOR},
                 {"PageDown", VK_NEXT}, {"Up", VK_UP},      {"Down", VK_DOWN},   {"Left", VK_LEFT},
                 {"Right", VK_RIGHT},  {"Delete", VK_DELETE}, {"Insert", VK_INSERT}};
    for (const auto &n : names)
        if (!_stricmp(n.name, name.c_str()))
            return n.vk;
    if ((name[0] == 'F' || name[0] == 'f') && name.size() > 1 && isdigit((unsigned char)name[1])) {
        int n = atoi(name.c_str() + 1);
        if (n >= 1 && n <= 24)
            return (WORD)(VK_F1 + n - 1);
    }
    if (name.size() == 1 && isalnum((unsigned char)name[0]))
        return (WORD)toupper((unsigned char)name[0]);
    return 0;
}

void AddKey(std::vector<INPUT> &in, WORD vk, bool up)
{
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.wScan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT || vk == VK_HOME || vk == VK_END ||
        vk == VK_PRIOR || vk == VK_NEXT || vk == VK_DELETE || vk == VK_INSERT)
        i.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    in.push_back(i);
}

// ---- images ----


// Waits until the program is idle and two captures 50 ms apart agree (a
// window that has just appeared may not have drawn its frame yet), then
// writes the picture as a BMP file.
bool Screenshot(const std::string &path, const RECT &r, int ms)
{
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return false;
    if (g_process)
        WaitForInputIdle(g_process, ms);
    std::vector<BYTE> bits = CaptureScreenRect(r), next;
    WaitFor(ms, [&] {
        Sleep(50);
        next = CaptureScreenRect(r);
        bool same = next == bits;
        bits.swap(next);
        return same;
    });
    if (bits.empty())
        return false;
    FILE *f = _wfopen(Wide(HostPath(path)).c_str(), L"wb");
    if (!f)
        return false;
    const std::vector<BYTE> file = BmpFileOf(bits, w, h);
    const bool written = fwrite(file.data(), 1, file.size(), f) == file.size();
    return fclose(f) == 0 && written;
}

// ---- the script ----

struct Step {
    int line;
    std::vector<std::string> words;
};

// Splits one step into words; "..." groups words, with \" \\ \t \n inside.
std::vector<std::string> SplitWords(const std::string &s)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isspace((unsigned char)s[i]))
            i++;
        if (i >= s.size() || s[i] == '#')
            break;
        std::string w;
        if (s[i] == '"') {
            for (i++; i < s.size() && s[i] != '"'; i++) {
                if (s[i] == '\\' && i + 1 < s.size()) {
                    char c = s[++i];
                    w += c == 't' ? '\t' : c == 'n' ? '\n' : c;
                } else {
                    w += s[i];
                }
            }
            i++;
        } else {
            while (i < s.size() && !isspace((unsigned char)s[i]))
                w += s[i++];
        }
        out.push_back(w);
    }
    return out;
}

// ${NAME} takes the value of an environment variable.
std::string Expand(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); i++) {
        size_t end;
        if (s.compare(i, 2, "${") == 0 && (end = s.find('}', i)) != std::string::npos) {
            std::wstring name = Wide(s.substr(i + 2, end - i - 2));
            wchar_t value[1024] = {};
            GetEnvironmentVariableW(name.c_str(), value, 1024);
            out += Utf8(value);
            i = end;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<Step> ParseScript(const std::string &text, char separator)
{
    std::vector<Step> steps;
    int line = 1;
    std::string cur;
    bool quoted = false;
    auto flush = [&] {
        std::vector<std::string> words = SplitWords(Expand(cur));
        if (!words.empty())
            steps.push_back({line, words});
        cur.clear();
    };
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if ((c == '\n' || (c == separator && !quoted))) {
            flush();
            quoted = false;
            if (c == '\n')
                line++;
        } else if (c != '\r') {
            cur += c;
        }
    }
    flush();
    return steps;
}

int Number(const std::string &s)
{
    return (int)strtol(s.c_str(), nullptr, 0);
}

// The optional time limit argument (milliseconds) at position i.
int Limit(const std::vector<std::string> &w, size_t i)
{
    return w.size() > i ? Number(w[i]) : kDefaultWaitMs;
}

[[noreturn]] void Fail(const Step &s, const char *fmt, ...)
{
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    Say("e2e: FAILED at step %d (%s): %s\n", s.line, s.words[0].c_str(), buf);
    Finish(1);
    ExitProcess(1);
}

void NeedTarget(const Step &s)
{
    if (!g_target || !IsWindow(g_target))
        Fail(s, "no target window (use 'window' first)");
}

void NeedArgs(const Step &s, size_t n)
{
    if (s.words.size() < n + 1)
        Fail(s, "needs %d argument(s)", (int)n);
}

// In front, and activated by its own thread: that thread has made it its
// active window and given it (or a child) the keyboard focus. The desktop
// calls it the foreground window as soon as it is brought to the front, before
// the thread has handled the activation; keys sent meanwhile go to it without
// a focus, as system keys, which its accelerators ignore.
bool Foreground(HWND w, int ms)
{
    DWORD thread = GetWindowThreadProcessId(w, nullptr);
    return WaitFor(ms, [&] {
        if (GetForegroundWindow() != w) {
            SetForegroundWindow(w);
            return false;
        }
        GUITHREADINFO gti = {};
        gti.cbSize = sizeof gti;
        return GetGUIThreadInfo(thread, &gti) && gti.hwndActive == w &&
               (gti.hwndFocus == w || IsChild(w, gti.hwndFocus));
    });
}

// The clipboard's sequence number when the last command, message or key was
// sent. The clipboard steps open the clipboard only once it has changed
// since then: while the driver holds it open the program's OpenClipboard
// would fail and its copy would be lost.
DWORD g_clipboardAtAction = 0xFFFFFFFF;

bool ClipboardChangedSinceAction()
{
    return g_clipboardAtAction == 0xFFFFFFFF || GetClipboardSequenceNumber() != g_clipboardAtAction;
}

bool ClipboardText(std::wstring *out)
{
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(nullptr))
        return false;
    bool ok = false;
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    if (h) {
        const wchar_t *p = (const wchar_t *)GlobalLock(h);
        if (p) {
            *out = p;
            ok = true;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return ok;
}

bool ClipboardDib(const std::string &path, int *w, int *h)
{
    if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(nullptr))
        return false;
    bool ok = false;
    HANDLE hd = GetClipboardData(CF_DIB);
    const BITMAPINFOHEADER *bi = hd ? (const BITMAPINFOHEADER *)GlobalLock(hd) : nullptr;
    if (bi) {
        SIZE_T size = GlobalSize(hd);
        *w = bi->biWidth;
        *h = bi->biHeight;
        FILE *f = _wfopen(Wide(HostPath(path)).c_str(), L"wb");
        if (f) {
            DWORD colours = bi->biClrUsed ? bi->biClrUsed : (bi->biBitCount <= 8 ? 1u << bi->biBitCount : 0);
            if (bi->biCompression == BI_BITFIELDS)
                colours = 3;
            BITMAPFILEHEADER fh = {};
            fh.bfType = 0x4D42;
            fh.bfOffBits = (DWORD)(sizeof fh + bi->biSize + colours * 4);
            fh.bfSize = (DWORD)(sizeof fh + size);
            fwrite(&fh, sizeof fh, 1, f);
            fwrite(bi, 1, size, f);
            ok = fclose(f) == 0;
        }
        GlobalUnlock(hd);
    }
    CloseClipboard();
    return ok;
}

void Run(const Step &s)
{
    const std::vector<std::string> &w = s.words;
    const std::string &op = w[0];
    if (op == "command" || op == "message" || op == "key")
        g_clipboardAtAction = GetClipboardSequenceNumber();
    if (op == "window") {
        FindRequest r = {};
        r.cls = Wide(w.size() > 1 ? w[1] : "2REELS");
        g_target = WaitTopLevel(r, Limit(w, 2));
        if (!g_target)
            Fail(s, "no window of class %s", Utf8(r.cls).c_str());
        // A window becomes visible while its program still sets it up (sizes
        // it, places its children): the steps begin once the program has
        // settled.
        std::string error;
        if (!Settle(GetWindowThreadProcessId(g_target, nullptr), Limit(w, 2), &error))
            Fail(s, "%s", error.c_str());
    } else if (op == "title-is" || op == "title-has") {
        NeedArgs(s, 1);
        NeedTarget(s);
        std::wstring want = Wide(w[1]);
        bool exact = op == "title-is";
        std::wstring last;
        if (!WaitFor(Limit(w, 2), [&] {
                last = TextOf(g_target);
                return exact ? last == want : last.find(want) != std::wstring::npos;
            }))
            Fail(s, "title is \"%s\", wanted %s\"%s\"", Utf8(last).c_str(), exact ? "" : "a part ", w[1].c_str());
    } else if (op == "print-title") {
        NeedTarget(s);
        Say("title: %s\n", Utf8(TextOf(g_target)).c_str());
    } else if (op == "command") {
        NeedArgs(s, 1);
        NeedTarget(s);
        PostMessageW(g_target, WM_COMMAND, (WPARAM)Number(w[1]), 0);
    } else if (op == "message") {
        NeedArgs(s, 1);
        NeedTarget(s);
        PostMessageW(g_target, (UINT)Number(w[1]), w.size() > 2 ? (WPARAM)Number(w[2]) : 0,
                     w.size() > 3 ? (LPARAM)Number(w[3]) : 0);
    } else if (op == "key") {
        NeedArgs(s, 1);
        NeedTarget(s);
        for (size_t k = 1; k < w.size(); k++) {
            std::vector<WORD> mods;
            std::string rest = w[k], part;
            size_t plus;
            while ((plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size()) {
                part = rest.substr(0, plus);
                rest = rest.substr(plus + 1);
                if (!_stricmp(part.c_str(), "Ctrl"))
                    mods.push_back(VK_CONTROL);
                else if (!_stricmp(part.c_str(), "Shift"))
                    mods.push_back(VK_SHIFT);
                else if (!_stricmp(part.c_str(), "Alt"))
                    mods.push_back(VK_MENU);
                else
                    Fail(s, "unknown modifier %s", part.c_str());
            }
            WORD vk = KeyCode(rest);
            if (!vk)
                Fail(s, "unknown key %s", rest.c_str());
            if (!Foreground(g_target, kDefaultWaitMs))
                Fail(s, "cannot bring the window to the front");
            DWORD thread = GetWindowThreadProcessId(g_target, nullptr);
            std::vector<INPUT> in;
            for (WORD m : mods)
                AddKey(in, m, false);
            AddKey(in, vk, false);
            AddKey(in, vk, true);
            for (size_t m = mods.size(); m-- > 0;)
                AddKey(in, mods[m], true);
            if (SendInput((UINT)in.size(), in.data(), sizeof(INPUT)) != in.size())
                Fail(s, "SendInput refused the keys");
            // The next key, and the next step, find what this key did.
            std::string error;
            if (!Settle(thread, kDefaultWaitMs, &error))
                Fail(s, "%s", error.c_str());
        }
    } else if (op == "file-dialog") {
        // The name field is control 0x480 under Wine and 0x47C on Windows.
        NeedArgs(s, 1);
        FindRequest r = {};
        r.cls = L"#32770";
        r.dialogWithChild = true;
        r.children[0] = 0x480;
        r.children[1] = 0x47C;
        HWND dlg = WaitTopLevel(r, Limit(w, 2));
        if (!dlg)
            Fail(s, "no file dialog");
        // The dialog shows before it has settled: its file list, filled and
        // selected meanwhile, writes the selected name (perhaps a folder's,
        // which OK would open) into the name field.
        std::string error;
        if (!Settle(GetWindowThreadProcessId(dlg, nullptr), Limit(w, 2), &error))
            Fail(s, "%s", error.c_str());
        HWND name = GetDlgItem(dlg, 0x480) ? GetDlgItem(dlg, 0x480) : GetDlgItem(dlg, 0x47C);
        std::wstring path = Wide(HostPath(w[1]));
        DWORD_PTR result;
        SendMessageTimeoutW(name, WM_SETTEXT, 0, (LPARAM)path.c_str(), SMTO_ABORTIFHUNG, 2000, &result);
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
        if (!WaitFor(Limit(w, 2), [&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }))
            Fail(s, "the file dialog stays open, its name field showing \"%s\"", Utf8(TextOf(name)).c_str());
    } else if (op == "dialog") {
        NeedArgs(s, 1);
        FindRequest r = {};
        r.cls = L"#32770";
        r.textPart = Wide(w[1]);
        g_dialog = WaitTopLevel(r, Limit(w, 2));
        if (!g_dialog)
            Fail(s, "no dialog titled \"%s\"", w[1].c_str());
    } else if (op == "box") {
        // A message box (or any dialog) of the program that shows the text.
        NeedArgs(s, 1);
        std::wstring part = Wide(w[1]);
        BoxSearch b = {Wide(w[1]), nullptr};
        WaitFor(Limit(w, 2), [&] {
            b.found = nullptr;
            EnumWindows(FindBox, (LPARAM)&b);
            return b.found != nullptr;
        });
        HWND found = b.found;
        if (!found)
            Fail(s, "no box shows \"%s\"", w[1].c_str());
        g_dialog = found;
    } else if (op == "answer") {
        NeedArgs(s, 1);
        static const struct {
            const char *name;
            int id;
        } buttons[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"yes", IDYES},
                       {"no", IDNO},       {"retry", IDRETRY},   {"ignore", IDIGNORE}, {"abort", IDABORT}};
        int id = 0;
        for (const auto &b : buttons)
            if (!_stricmp(b.name, w[1].c_str()))
                id = b.id;
        if (!id)
            Fail(s, "unknown answer %s", w[1].c_str());
        HWND dlg = g_dialog && IsWindow(g_dialog) && GetDlgItem(g_dialog, id) ? g_dialog : nullptr;
        if (!dlg) {
            FindRequest r = {};
            r.cls = L"#32770";
            r.dialogWithChild = true;
            r.children[0] = r.children[1] = id;
            dlg = WaitTopLevel(r, Limit(w, 2));
        }
        if (!dlg || !GetDlgItem(dlg, id))
            Fail(s, "no box with the button %s", w[1].c_str());
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
        if (!WaitFor(Limit(w, 2), [&] { return !IsWindow(dlg); }))
            Fail(s, "the box stays open");
        g_dialog = nullptr;
    } else if (op == "click" || op == "set-text" || op == "text-is") {
        NeedArgs(s, 1);
        if (!g_dialog || !IsWindow(g_dialog))
            Fail(s, "no dialog (use 'dialog' or 'box' first)");
        int id = Number(w[1]);
        HWND c = FindControl(g_dialog, id);
        if (!c)
            Fail(s, "the dialog has no control %d", id);
        // A control of an inner dialog (a file dialog's option panel) is
        // clicked through its own parent.
        HWND owner = GetParent(c);
        if (op == "click") {
            wchar_t cls[32] = L"";
            GetClassNameW(c, cls, 32);
            LONG style = GetWindowLongW(c, GWL_STYLE) & 0x0F;
            // Radio buttons and check boxes change their state as a click would.
            if (!lstrcmpiW(cls, L"Button") && (style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON))
                SendMessageTimeoutW(c, BM_SETCHECK, BST_CHECKED, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
            else if (!lstrcmpiW(cls, L"Button") && (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX))
                SendMessageTimeoutW(c, BM_SETCHECK,
                                    SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0,
                                    SMTO_ABORTIFHUNG, 2000, nullptr);
            PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)c);
        } else if (op == "set-text") {
            NeedArgs(s, 2);
            DWORD_PTR result;
            SendMessageTimeoutW(c, WM_SETTEXT, 0, (LPARAM)Wide(w[2]).c_str(), SMTO_ABORTIFHUNG, 2000, &result);
        } else {
            NeedArgs(s, 2);
            std::wstring last;
            if (!WaitFor(Limit(w, 3), [&] { return (last = TextOf(c)) == Wide(w[2]); }))
                Fail(s, "control %d shows \"%s\"", id, Utf8(last).c_str());
        }
    } else if (op == "clipboard-text") {
        NeedArgs(s, 1);
        std::wstring want = Wide(w[1]), last;
        if (!WaitFor(Limit(w, 2), [&] { return ClipboardChangedSinceAction() && ClipboardText(&last) && last == want; }))
            Fail(s, "the clipboard holds \"%s\"", Utf8(last).c_str());
    } else if (op == "clipboard-dib") {
        NeedArgs(s, 1);
        int cw = 0, ch = 0;
        if (!WaitFor(Limit(w, 2), [&] { return ClipboardChangedSinceAction() && ClipboardDib(w[1], &cw, &ch); }))
            Fail(s, "no image on the clipboard");
        Say("clipboard image: %d x %d\n", cw, ch);
    } else if (op == "screenshot") {
        NeedArgs(s, 1);
        std::string part = w.size() > 2 ? w[2] : "window";
        // The picture and its place are the program's once it has settled:
        // input taken, and painted (now, not when its queue runs empty).
        if (g_target && IsWindow(g_target) && OfProgram(g_target)) {
            std::string error;
            if (!Settle(GetWindowThreadProcessId(g_target, nullptr), Limit(w, 3), &error))
                Fail(s, "%s", error.c_str());
        }
        RECT r;
        if (part == "desktop") {
            GetWindowRect(GetDesktopWindow(), &r);
        } else {
            NeedTarget(s);
            if (part == "client") {
                GetClientRect(g_target, &r);
                MapWindowPoints(g_target, nullptr, (POINT *)&r, 2);
            } else if (part.compare(0, 6, "child=") == 0) {
                ChildSearch c = {Wide(part.substr(6)), nullptr};
                EnumChildWindows(g_target, FindChildOfClass, (LPARAM)&c);
                if (!c.found)
                    Fail(s, "the window has no child of class %s", part.c_str() + 6);
                GetClientRect(c.found, &r);
                MapWindowPoints(c.found, nullptr, (POINT *)&r, 2);
            } else {
                GetWindowRect(g_target, &r);
            }
        }
        if (!Screenshot(w[1], r, Limit(w, 3)))
            Fail(s, "cannot write %s", w[1].c_str());
        Say("screenshot %s: %ld x %ld\n", w[1].c_str(), r.right - r.left, r.bottom - r.top);
    } else if (op == "menu-item" || op == "menu-state") {
        // menu-item ID TEXT [ms]: the item shows TEXT ("\t" before its key).
        // menu-state ID checked|unchecked|grayed|enabled|absent [ms].
        NeedArgs(s, 2);
        NeedTarget(s);
        UINT id = (UINT)Number(w[1]);
        std::string error, last = "absent";
        bool ok = WaitFor(Limit(w, 3), [&] {
            std::vector<MenuLine> lines;
            if (!QueryMenu(lines, &error))
                return true;
            const MenuLine *item = FindItem(lines, id);
            if (op == "menu-item") {
                last = item ? Utf8(item->text) : "absent";
                return item && item->text == Wide(w[2]);
            }
            if (!item)
                return last = "absent", w[2] == "absent";
            bool checked = item->state & MFS_CHECKED, grayed = item->state & MFS_GRAYED;
            last = std::string(checked ? "checked" : "unchecked") + (grayed ? ", grayed" : ", enabled");
            return (w[2] == "checked" && checked) || (w[2] == "unchecked" && !checked) ||
                   (w[2] == "grayed" && grayed) || (w[2] == "enabled" && !grayed);
        });
        if (!error.empty())
            Fail(s, "%s", error.c_str());
        if (!ok)
            Fail(s, "item %u is %s%s%s", id, op == "menu-item" ? "\"" : "", last.c_str(),
                 op == "menu-item" ? "\"" : "");
    } else if (op == "sync") {
        // A round trip through the program's message queue: everything posted
        // or typed before has been handled, and painted.
        NeedTarget(s);
        std::string error;
        if (!Settle(GetWindowThreadProcessId(g_target, nullptr), kDefaultWaitMs, &error))
            Fail(s, "%s", error.c_str());
    } else if (op == "menu-dump") {
        NeedTarget(s);
        std::vector<MenuLine> lines;
        std::string error;
        if (!QueryMenu(lines, &error))
            Fail(s, "%s", error.c_str());
        for (const MenuLine &l : lines)
            Say("menu: %*s%c %u %s%s\n", 2 * l.depth, "", (char)l.kind, l.id, Utf8(l.text).c_str(),
                (l.state & MFS_CHECKED) ? " [checked]" : (l.state & MFS_GRAYED) ? " [grayed]" : "");
    } else if (op == "close") {
        NeedTarget(s);
        PostMessageW(g_target, WM_CLOSE, 0, 0);
    } else if (op == "gone") {
        HWND t = g_target;
        if (!WaitFor(Limit(w, 1), [&] { return !t || !IsWindow(t); }))
            Fail(s, "the window is still there");
    } else if (op == "exit-code") {
        NeedArgs(s, 1);
        if (!g_process)
            Fail(s, "no program was launched");
        if (WaitForSingleObject(g_process, Limit(w, 2)) != WAIT_OBJECT_0)
            Fail(s, "the program is still running");
        DWORD code = 0;
        GetExitCodeProcess(g_process, &code);
        if ((int)code != Number(w[1]))
            Fail(s, "the program ended with %lu", code);
    } else if (op == "idle") {
        if (g_process && WaitForInputIdle(g_process, Limit(w, 1)) != 0)
            Fail(s, "the program does not settle");
    } else if (op == "drop") {
        // drop FILE...: the files dropped on the target window.
        NeedArgs(s, 1);
        NeedTarget(s);
        std::wstring names;
        for (size_t k = 1; k < w.size(); k++)
            names += Wide(HostPath(w[k])) + L"\n";
        if (names.size() > 255)
            Fail(s, "the names are longer than 255 characters");
        std::string error;
        HHOOK hook = HookProgram(&error);
        if (!hook)
            Fail(s, "%s", error.c_str());
        ATOM atom = GlobalAddAtomW(names.c_str());
        g_clipboardAtAction = GetClipboardSequenceNumber();
        PostMessageW(g_target, RegisterWindowMessageW(L"TwrE2eDrop"), atom, 0);
        // The hook deletes the atom once it has posted the drop.
        bool taken = WaitFor(kDefaultWaitMs, [&] { return GlobalFindAtomW(names.c_str()) == 0; });
        UnhookWindowsHookEx(hook);
        if (!taken)
            Fail(s, "the program did not take the drop");
    } else if (op == "drag") {
        // drag CLASS X1 Y1 X2 Y2: the left button pressed at (X1, Y1) of the
        // target's child window of that class (client coordinates), moved in
        // steps to (X2, Y2) and released there; equal points make a click.
        NeedArgs(s, 5);
        NeedTarget(s);
        ChildSearch c = {Wide(w[1]), nullptr};
        EnumChildWindows(g_target, FindChildOfClass, (LPARAM)&c);
        if (!c.found)
            Fail(s, "the window has no child of class %s", w[1].c_str());
        if (!Foreground(g_target, kDefaultWaitMs))
            Fail(s, "cannot bring the window to the front");
        POINT a = {Number(w[2]), Number(w[3])}, b = {Number(w[4]), Number(w[5])};
        ClientToScreen(c.found, &a);
        ClientToScreen(c.found, &b);
        int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        auto move = [&](POINT p, DWORD flags) {
            INPUT in = {};
            in.type = INPUT_MOUSE;
            in.mi.dx = (LONG)((p.x * 65535LL + sw / 2) / (sw - 1));
            in.mi.dy = (LONG)((p.y * 65535LL + sh / 2) / (sh - 1));
            in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
            if (SendInput(1, &in, sizeof in) != 1)
                Fail(s, "SendInput refused the mouse");
            Sleep(15);
        };
        move(a, 0);
        move(a, MOUSEEVENTF_LEFTDOWN);
        for (int k = 1; k <= 8; k++)
            move(POINT{a.x + (b.x - a.x) * k / 8, a.y + (b.y - a.y) * k / 8}, 0);
        move(b, MOUSEEVENTF_LEFTUP);
        std::string error;
        if (!Settle(GetWindowThreadProcessId(g_target, nullptr), kDefaultWaitMs, &error))
            Fail(s, "%s", error.c_str());
    } else if (op == "print-windows") {
        // The program's visible top-level windows, and the target's children.
        EnumWindows(PrintTopLevel, 0);
        if (g_target && IsWindow(g_target))
            EnumChildWindows(g_target, PrintChild, 0);
    } else if (op == "echo") {
        std::string text;
        for (size_t k = 1; k < w.size(); k++)
            text += (k > 1 ? " " : "") + w[k];
        Say("%s\n", text.c_str());
    } else {
        Fail(s, "unknown step");
    }
}

DWORD WINAPI Watchdog(LPVOID seconds)
{
    Sleep((DWORD)(UINT_PTR)seconds * 1000);
    Say("e2e: FAILED: the run took longer than %u s\n", (unsigned)(UINT_PTR)seconds);
    Finish(3);
    return 0;
}

std::string ReadFile(const std::string &path)
{
    std::string text;
    FILE *f = _wfopen(Wide(HostPath(path)).c_str(), L"rb");
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

int wmain(int argc, wchar_t **argv)
{
    std::string launch, script, steps, logPath;
    int limit = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string opt = Utf8(argv[i]), value = Utf8(argv[i + 1]);
        if (opt == "--launch")
            launch = value;
        else if (opt == "--script")
            script = value;
        else if (opt == "--steps")
            steps = value;
        else if (opt == "--log")
            logPath = value;
        else if (opt == "--status")
            g_statusPath = HostPath(value);
        else if (opt == "--limit")
            limit = atoi(value.c_str());
    }
    if (!logPath.empty())
        g_log = _wfopen(Wide(HostPath(logPath)).c_str(), L"w");
    if (script.empty() && steps.empty()) {
        Say("usage: twr_e2e [--launch CMD] [--log FILE] [--status FILE] [--limit S] (--script FILE | --steps S)\n");
        Finish(2);
    }
    CreateThread(nullptr, 0, Watchdog, (LPVOID)(UINT_PTR)limit, 0, nullptr);

    std::vector<Step> list = script.empty() ? ParseScript(steps, ';') : ParseScript(ReadFile(script), '\n');
    if (list.empty()) {
        Say("e2e: no steps in %s\n", script.empty() ? "--steps" : script.c_str());
        Finish(2);
    }
    if (!launch.empty()) {
        // Each run starts from the program's built-in settings, whatever an
        // earlier run of the shared prefix left (TWR_E2E_KEEP_SETTINGS keeps
        // them).
        if (!GetEnvironmentVariableW(L"TWR_E2E_KEEP_SETTINGS", nullptr, 0))
            RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vexa\\twinreel");
        // The program's path may be a Unix path; the rest is passed as it is.
        size_t cut = launch[0] == '"' ? launch.find('"', 1) + 1 : launch.find(' ');
        std::string prog = launch.substr(0, cut), rest = cut == std::string::npos ? "" : launch.substr(cut);
        if (prog[0] == '"')
            prog = prog.substr(1, prog.size() - 2);
        std::wstring cmd = Wide("\"" + HostPath(prog) + "\"" + rest);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            Say("e2e: cannot start %s (error %lu)\n", Utf8(cmd).c_str(), GetLastError());
            Finish(2);
        }
        g_process = pi.hProcess;
        g_processId = pi.dwProcessId;
        CloseHandle(pi.hThread);
    }
    for (const Step &s : list) {
        Say("e2e: %d: %s\n", s.line, s.words[0].c_str());
        Run(s);
    }
    Say("e2e: passed (%d steps)\n", (int)list.size());
    Finish(0);
    return 0;
}
