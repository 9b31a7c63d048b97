// Loaded into the program by the driver's message hook, to read what only
// the program's own process can read: its menu (Wine refuses another
// process's menu handles). The driver posts the registered message
// "TwrE2eMenuQuery" to the program's window with its own window in wParam;
// the hook answers with WM_COPYDATA, one line per menu entry:
//   depth TAB kind TAB id TAB state TAB text
// (kind P popup, I item, S separator; state the MF_ bits of GetMenuState).
//
// "TwrE2eSettle", posted to the program's thread with the driver's window in
// wParam and a number in lParam, is answered with the same message to that
// window, the number in wParam and in lParam 1 once the thread has
// taken every key and button sent to it and has painted what was invalid
// (0 while input is still queued: posted messages overtake input, so a
// round trip alone does not show that a key was handled; the driver asks
// again).
//
// It also drops files on the program's window, as the shell would: the
// driver posts "TwrE2eDrop" with a global atom holding the file names, one
// per line; the hook makes the drop block (which only the receiving
// process can own) and posts WM_DROPFILES.
#include <windows.h>

#include <shlobj.h>

#include <string>

namespace {

void Describe(HMENU menu, int depth, std::wstring &out)
{
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
        wchar_t text[512] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
        mi.dwTypeData = text;
        mi.cch = 511;
        if (!GetMenuItemInfoW(menu, i, TRUE, &mi))
            continue;
        wchar_t head[64];
        wchar_t kind = (mi.fType & MFT_SEPARATOR) ? L'S' : mi.hSubMenu ? L'P' : L'I';
        wsprintfW(head, L"%d\t%c\t%u\t%u\t", depth, kind, kind == L'I' ? mi.wID : 0, mi.fState);
        out += head;
        // A tab is written as \t and a backslash as \\, so that both survive.
        for (const wchar_t *p = text; *p; p++)
            out += *p == L'\t' ? std::wstring(L"\\t") : *p == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, *p);
        out += L'\n';
        if (mi.hSubMenu)
            Describe(mi.hSubMenu, depth + 1, out);
    }
}

void Drop(HWND target, ATOM atom)
{
    wchar_t names[256] = {};
    UINT n = GlobalGetAtomNameW(atom, names, 256);
    GlobalDeleteAtom(atom);
    if (!n)
        return;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + (n + 2) * sizeof(wchar_t));
    DROPFILES *df = h ? (DROPFILES *)GlobalLock(h) : nullptr;
    if (!df)
        return;
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    wchar_t *p = (wchar_t *)(df + 1);
    for (UINT i = 0; i < n; i++)
        p[i] = names[i] == L'\n' ? L'\0' : names[i];
    GlobalUnlock(h);
    PostMessageW(target, WM_DROPFILES, (WPARAM)h, 0);
}

BOOL CALLBACK PaintNow(HWND w, LPARAM)
{
    if (IsWindowVisible(w))
        RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// 1 when no key or button waits in this thread's queue; then the thread's
// windows are painted now instead of when the queue runs empty, and the
// paint is pushed to the screen, so that a screenshot taken after the
// answer shows it.
LPARAM Settle()
{
    if (GetInputState())
        return 0;
    EnumThreadWindows(GetCurrentThreadId(), PaintNow, 0);
    GdiFlush();
    // Wine copies what was painted to the screen when the thread waits.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    return 1;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK TwrE2eGetMsgProc(int code, WPARAM wParam, LPARAM lParam)
{
    static UINT query = RegisterWindowMessageW(L"TwrE2eMenuQuery");
    static UINT drop = RegisterWindowMessageW(L"TwrE2eDrop");
    static UINT settle = RegisterWindowMessageW(L"TwrE2eSettle");
    const MSG *m = (const MSG *)lParam;
    if (code >= 0 && wParam == PM_REMOVE && m->message == settle)
        PostMessageW((HWND)m->wParam, settle, (WPARAM)m->lParam, Settle());
    if (code >= 0 && wParam == PM_REMOVE && m->message == drop)
        Drop(m->hwnd, (ATOM)m->wParam);
    if (code >= 0 && wParam == PM_REMOVE && m->message == query) {
        HMENU menu = GetMenu(m->hwnd);
        std::wstring out;
        if (menu) {
            // As when the user opens the menu: the window updates its checks.
            SendMessageW(m->hwnd, WM_INITMENU, (WPARAM)menu, 0);
            Describe(menu, 0, out);
        }
        COPYDATASTRUCT cd = {query, (DWORD)((out.size() + 1) * sizeof(wchar_t)), (void *)out.c_str()};
        DWORD_PTR result;
        SendMessageTimeoutW((HWND)m->wParam, WM_COPYDATA, (WPARAM)m->hwnd, (LPARAM)&cd, SMTO_ABORTIFHUNG, 5000,
                            &result);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
