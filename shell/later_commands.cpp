#include "shell/later_commands.h"

// Playback in the view: the play loop is not part of the program yet.
void PlayInViewCommand(HWND, int)
{
}

// The full-screen stereo devices (page flip, Direct3D, OpenGL, 3D Vision).
void FullScreenPlayCommand(HWND, int)
{
}

void MediaPlayerCommand(HWND)
{
}

void ShutterSettingsCommand(HWND)
{
}

void DisplaySettingsCommand(HWND)
{
}

void AnaglyphSettingsCommand(HWND, int)
{
}

void ChromaKeySettingsCommand(HWND)
{
}

// Easy adjustment, automatic alignment, the per-frame steps and the cosima
// alignment.
void AlignmentCommand(HWND, int)
{
}
