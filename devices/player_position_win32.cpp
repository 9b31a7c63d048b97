#include "devices/player_position.h"

#include "devices/page_flip_geometry.h"
#include "devices/stereo_player_state.h"
#include "state/app_state.h"

int &PlayerCurrentFrame() { return g_nPlaySource != 0 ? g_nPlayFrame : g_nFrame; }

int PlayerLastFrame()
{
    if (g_nPlaySource == 0)
        return g_nClipLength - 1;
    return (g_pPlayMovie ? g_pPlayMovie->nFrames : g_nPlayFrames) - 1;
}

int &PlayerOffsetX() { return g_nPlaySource != 0 ? g_nFileShiftX : g_nShiftX; }
int &PlayerOffsetY() { return g_nPlaySource != 0 ? g_nFileShiftY : g_nShiftY; }

int PlayerDigit(WPARAM key)
{
    if (key >= '0' && key <= '9')
        return (int)(key - '0');
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
        return (int)(key - VK_NUMPAD0);
    return -1;
}

bool StepPlayerFrame(int delta)
{
    W3DFrameStep step = StepW3DFrame(PlayerCurrentFrame(), PlayerLastFrame(), delta, g_bRepeat);
    PlayerCurrentFrame() = step.frame;
    return step.draw;
}

bool PlayThenShowHelp(const PlayerPlayback &p, bool fromStart)
{
    do {
        if (fromStart)
            PlayerCurrentFrame() = 0;
    } while (p.play(p.ctx) == 0 && (!p.open || p.open(p.ctx)));
    if (p.open && !p.open(p.ctx))
        return false;
    int help = g_bShowHelp;
    g_bShowHelp = 1;
    p.draw(p.ctx);
    g_bShowHelp = help;
    return true;
}
