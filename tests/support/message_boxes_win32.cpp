#include "tests/support/message_boxes.h"

#include "shared/message_box.h"

#include <windows.h>

namespace {

BoxAnswerer *s_answerer;

int Answer(HWND, const char *text, const char *caption, UINT type)
{
    MSG quit;
    bool quitPending = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    s_answerer->shown.push_back(ShownBox{text ? text : "", caption ? caption : "", type, quitPending});
    if (s_answerer->answer != kAnswerYesOrOk)
        return s_answerer->answer;
    return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

}  // namespace

BoxAnswerer::BoxAnswerer(int answer) : answer(answer)
{
    s_answerer = this;
    g_pfnMessageBoxHook = Answer;
}

BoxAnswerer::~BoxAnswerer()
{
    g_pfnMessageBoxHook = nullptr;
    s_answerer = nullptr;
}

std::vector<std::string> BoxAnswerer::Texts() const
{
    std::vector<std::string> texts;
    for (const ShownBox &box : shown)
        texts.push_back(box.text);
    return texts;
}
