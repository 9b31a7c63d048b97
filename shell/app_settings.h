// The settings read once when the main window is created, in their fixed
// order, with the clamps that keep each in its range.
#ifndef TWR_SHELL_APP_SETTINGS_H
#define TWR_SHELL_APP_SETTINGS_H

// Reads every user setting of the settings key into the application state
// (values that are absent keep their start values) and builds what depends
// on them: the gamma tables, the full-screen size, the repeat menu check,
// the outside alignment tool.
void ReadAppSettings();

#endif
