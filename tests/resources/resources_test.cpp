// Loads every menu, accelerator table, dialog template, string, bitmap,
// cursor and the icon from the built program and compares them with the
// tables of what the program must carry (expected_*.h).
//
// usage: resources_test PROGRAM.exe [gtest options]
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/resources/expected_dialogs.h"
#include "tests/resources/expected_tables.h"
#include "tests/support/host_files.h"

namespace {

HMODULE g_program;
std::string g_programPath;

std::wstring Wide(const char *utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
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

// The text of string id, or an empty string with *found false.
std::wstring String(int id, bool *found)
{
    const wchar_t *p = nullptr;
    int n = LoadStringW(g_program, id, (LPWSTR)&p, 0);
    *found = n > 0;
    return n > 0 ? std::wstring(p, n) : std::wstring();
}

TEST(Resources, ProgramLoads)
{
    ASSERT_NE(g_program, nullptr) << "cannot load " << g_programPath;
}

TEST(Resources, EveryGivenStringIsPresentAndExact)
{
    for (const ExpectedString &e : kStrings) {
        bool found;
        std::wstring got = String(e.id, &found);
        EXPECT_TRUE(found) << "string " << e.id << " is missing";
        if (found) {
            EXPECT_EQ(Utf8(got), e.text) << "string " << e.id;
        }
    }
}

TEST(Resources, StringsOfTheOpenerAndAlignmentDialogsArePresentAndExact)
{
    for (const ExpectedString &e : kStringsOfOtherParts) {
        bool found;
        std::wstring got = String(e.id, &found);
        EXPECT_TRUE(found) << "string " << e.id << " is missing";
        if (found) {
            EXPECT_EQ(Utf8(got), e.text) << "string " << e.id;
        }
    }
}

TEST(Resources, EveryToolbarButtonHasATip)
{
    for (int command : kToolbarCommands) {
        bool found;
        String(command + 200, &found);
        EXPECT_TRUE(found) << "no tip for button " << command;
    }
    for (int id = kViewHelpFirst; id <= kViewHelpLast; id++) {
        bool found;
        String(id, &found);
        EXPECT_TRUE(found) << "view help line " << id << " is missing";
    }
    bool found;
    EXPECT_NE(String(2406, &found).find(L"://"), std::wstring::npos) << "help page address";
}

TEST(Resources, AnsiTextsArriveInCodePage932)
{
    // The program reads its texts through LoadStringA under code page 932.
    if (GetACP() != 932)
        GTEST_SKIP() << "code page " << GetACP();
    char buf[64] = {};
    ASSERT_GT(LoadStringA(g_program, 2305, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "\x83\x63\x83\x43\x83\x93\x83\x8a\x81\x5b\x83\x8b");  // ツインリール
}

// Walks a menu into the flat form of the tables.
void FlattenMenu(HMENU menu, int depth, std::vector<ExpectedMenuEntry> &out, std::vector<std::string> &texts)
{
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
        wchar_t text[256] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = 255;
        ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &mi));
        texts.push_back(Utf8(text));
        ExpectedMenuEntry e = {depth, 'I', (int)mi.wID, nullptr};
        if (mi.fType & MFT_SEPARATOR) {
            e.kind = 'S';
            e.id = 0;
        } else if (mi.hSubMenu) {
            e.kind = 'P';
            e.id = 0;
        }
        out.push_back(e);
        if (mi.hSubMenu)
            FlattenMenu(mi.hSubMenu, depth + 1, out, texts);
    }
}

void CheckMenu(const char *name, const ExpectedMenuEntry *expected, size_t count)
{
    SCOPED_TRACE(name);
    HMENU menu = LoadMenuW(g_program, Wide(name).c_str());
    ASSERT_NE(menu, nullptr) << "menu " << name << " is missing";
    std::vector<ExpectedMenuEntry> got;
    std::vector<std::string> texts;
    FlattenMenu(menu, 0, got, texts);
    DestroyMenu(menu);
    // The drop-down menus are shown from their first popup: only it counts.
    size_t n = got.size();
    for (size_t i = 0; i < n && i < count; i++) {
        EXPECT_EQ(got[i].depth, expected[i].depth) << "entry " << i << " " << expected[i].text;
        EXPECT_EQ(got[i].kind, expected[i].kind) << "entry " << i << " " << expected[i].text;
        EXPECT_EQ(got[i].id, expected[i].id) << "entry " << i << " " << expected[i].text;
        if (expected[i].kind != 'S') {
            EXPECT_EQ(texts[i], expected[i].text) << "entry " << i;
        }
    }
    EXPECT_EQ(n, count) << "number of entries";
}

TEST(Resources, MainMenu)
{
    CheckMenu("2REELS", kMenu_Main, TWR_N(kMenu_Main));
}

TEST(Resources, DropDownMenus)
{
    CheckMenu("toolsm", kMenu_toolsm, TWR_N(kMenu_toolsm));
    CheckMenu("toolsmc", kMenu_toolsmc, TWR_N(kMenu_toolsmc));
    CheckMenu("toolsbs", kMenu_toolsbs, TWR_N(kMenu_toolsbs));
    CheckMenu("toolab", kMenu_toolab, TWR_N(kMenu_toolab));
}

TEST(Resources, PlayerMenu)
{
    CheckMenu("PLAYAVI", kMenu_PLAYAVI, TWR_N(kMenu_PLAYAVI));
}

TEST(Resources, AcceleratorTable)
{
    HACCEL accel = LoadAcceleratorsW(g_program, L"2REELS");
    ASSERT_NE(accel, nullptr);
    int n = CopyAcceleratorTableW(accel, nullptr, 0);
    std::vector<ACCEL> got(n);
    CopyAcceleratorTableW(accel, got.data(), n);
    ASSERT_EQ(n, TWR_N(kAccelerators));
    // Each key combination once, with its command; every entry a virtual key.
    for (const ExpectedAccel &e : kAccelerators) {
        int matches = 0;
        for (const ACCEL &a : got) {
            if (a.key == e.key && (a.fVirt & (FCONTROL | FSHIFT | FALT)) == e.modifiers) {
                matches++;
                EXPECT_EQ(a.cmd, e.command) << "key " << e.key << " modifiers " << (int)e.modifiers;
                EXPECT_TRUE(a.fVirt & FVIRTKEY) << "key " << e.key;
                EXPECT_TRUE(a.fVirt & FNOINVERT) << "key " << e.key;
            }
        }
        EXPECT_EQ(matches, 1) << "key " << e.key << " modifiers " << (int)e.modifiers;
    }
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

ControlKind KindOf(HWND control)
{
    wchar_t cls[64] = {};
    GetClassNameW(control, cls, 64);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    if (!lstrcmpiW(cls, L"Button")) {
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return kCheck;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return kRadio;
        case BS_GROUPBOX:
            return kGroup;
        default:
            return kPush;
        }
    }
    if (!lstrcmpiW(cls, L"Edit"))
        return kEdit;
    if (!lstrcmpiW(cls, L"ScrollBar"))
        return kScroll;
    if (!lstrcmpiW(cls, L"ComboBox"))
        return kCombo;
    return kStatic;
}

std::string TextOf(HWND w)
{
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return Utf8(text);
}

BOOL CALLBACK CollectText(HWND child, LPARAM param)
{
    ((std::vector<std::string> *)param)->push_back(TextOf(child));
    return TRUE;
}

class DialogTemplates : public ::testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplates, ControlsAsRequired)
{
    const ExpectedDialog &d = GetParam();
    std::wstring name = d.name ? Wide(d.name) : std::wstring();
    LPCWSTR res = d.name ? name.c_str() : MAKEINTRESOURCEW(d.number);
    // Panels are children of the file dialog; give them a hidden parent.
    HWND parent = CreateWindowW(L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    HWND dlg = CreateDialogParamW(g_program, res, d.panel ? parent : nullptr, QuietDialogProc, 0);
    ASSERT_NE(dlg, nullptr) << "dialog " << (d.name ? d.name : "900") << " does not load";

    if (d.caption) {
        EXPECT_EQ(TextOf(dlg), d.caption);
    }
    LONG style = GetWindowLongW(dlg, GWL_STYLE);
    EXPECT_EQ((style & WS_CHILD) != 0, d.panel) << "panels are children, the others pop-ups";
    if (d.panel) {
        EXPECT_TRUE(style & DS_CONTROL);
    }

    for (int i = 0; i < d.controlCount; i++) {
        const ExpectedControl &c = d.controls[i];
        HWND w = GetDlgItem(dlg, c.id);
        EXPECT_NE(w, nullptr) << "control " << c.id << " is missing";
        if (!w)
            continue;
        EXPECT_EQ(KindOf(w), c.kind) << "control " << c.id;
        if (c.text) {
            EXPECT_EQ(TextOf(w), c.text) << "control " << c.id;
        }
    }
    std::vector<std::string> texts;
    EnumChildWindows(dlg, CollectText, (LPARAM)&texts);
    for (int i = 0; i < d.textCount; i++) {
        bool shown = false;
        for (const std::string &t : texts)
            shown |= t == d.texts[i];
        EXPECT_TRUE(shown) << "no control shows " << d.texts[i];
    }
    for (int i = 0; i < d.absentCount; i++)
        EXPECT_EQ(GetDlgItem(dlg, d.absent[i]), nullptr) << "control " << d.absent[i] << " should not exist";

    DestroyWindow(dlg);
    DestroyWindow(parent);
}

std::string DialogName(const ::testing::TestParamInfo<ExpectedDialog> &info)
{
    return info.param.name ? std::string(info.param.name) : std::to_string(info.param.number);
}

INSTANTIATE_TEST_SUITE_P(All, DialogTemplates, ::testing::ValuesIn(kDialogs), DialogName);

TEST(Resources, AutoRegSetStartsHidden)
{
    HWND dlg = CreateDialogParamW(g_program, L"W3D", nullptr, QuietDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(dlg, 1432), GWL_STYLE) & WS_VISIBLE);
    DestroyWindow(dlg);
}

TEST(Resources, ToolbarStrips)
{
    // Image sizes and counts are fixed by the toolbars; the background is
    // the mask colour.
    struct Strip {
        int id, imageWidth, images;
    } strips[] = {{131, 18, 12}, {700, 16, 26}, {133, 20, 11}};
    for (const Strip &s : strips) {
        HBITMAP bmp = (HBITMAP)LoadImageW(g_program, MAKEINTRESOURCEW(s.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(bmp, nullptr) << "bitmap " << s.id;
        DIBSECTION ds = {};
        ASSERT_EQ(GetObjectW(bmp, sizeof ds, &ds), (int)sizeof ds);
        EXPECT_EQ(ds.dsBm.bmWidth, s.imageWidth * s.images) << "bitmap " << s.id;
        EXPECT_EQ(ds.dsBm.bmHeight, 17) << "bitmap " << s.id;
        EXPECT_EQ(ds.dsBm.bmBitsPixel, 24) << "bitmap " << s.id;
        const BYTE *topLeft = (const BYTE *)ds.dsBm.bmBits + (ds.dsBm.bmHeight - 1) * ds.dsBm.bmWidthBytes;
        EXPECT_EQ(topLeft[0], 0xC0);
        EXPECT_EQ(topLeft[1], 0xC0);
        EXPECT_EQ(topLeft[2], 0xC0);
        DeleteObject(bmp);
    }
}

TEST(Resources, CursorsAndIcon)
{
    for (const wchar_t *name : {L"COLOR", L"IDOU", L"NOTHING", L"SEL"})
        EXPECT_NE(LoadImageW(g_program, name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE), nullptr) << Utf8(name);
    for (int size : {16, 32}) {
        HICON icon = (HICON)LoadImageW(g_program, L"2REELS", IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        ICONINFO ii = {};
        if (icon && GetIconInfo(icon, &ii)) {
            BITMAP bm = {};
            GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, size);
            DeleteObject(ii.hbmColor);
            DeleteObject(ii.hbmMask);
        }
    }
}

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: resources_test PROGRAM.exe\n");
        return 2;
    }
    g_programPath = argv[1];
    std::string path = HostPath(g_programPath);
    g_program = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return RUN_ALL_TESTS();
}
