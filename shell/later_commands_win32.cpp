#include "shell/later_commands.h"

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
