// Playback in the view (2024 the pair, 2025 the left movie, 2026 the right
// movie) with the follow-up chain and repeat; a save command that arrives
// while the view plays; the alignment commands (automatic alignment, the
// per-frame rotation steps).
#ifndef TWR_SHELL_PLAY_COMMANDS_H
#define TWR_SHELL_PLAY_COMMANDS_H

#include "shared/wintypes.h"

void PlayInViewCommand(HWND main, int id);

// A save command during playback would run its save loop inside the play
// loop and end with the busy state cleared while the play loop still uses
// the movies. While the view plays, the save cancels the playback and is
// posted again once the loop has ended; while anything else plays it is
// dropped. True when the command was taken here (not to be dispatched).
bool DeferCommandWhilePlaying(int id, WPARAM wParam, LPARAM lParam);
// A stop or a confirmed exit also forgets a deferred command.
void ForgetDeferredCommand();
// The save commands that run a save loop.
bool IsSaveLoopCommand(int id);

// IDM_EASY_ADJUST, IDM_AUTO_ALIGN, IDM_ADJUST_STEP_BACK,
// IDM_ADJUST_STEP_FORWARD, IDM_COSIMA_ALIGN.
void AlignmentCommand(HWND main, int id);

#endif
