#include "tests/support/settings_key.h"

#include "shared/settings_store.h"

#include <windows.h>

#include <stdio.h>

PrivateSettingsKey::PrivateSettingsKey(const char *tag) : previous_(g_pszSettingsKey)
{
    snprintf(name_, sizeof name_, "Software\\Vexa\\twinreel-test-%s-%lu", tag, GetCurrentProcessId());
    RegDeleteTreeA(HKEY_CURRENT_USER, name_);
    g_pszSettingsKey = name_;
}

PrivateSettingsKey::~PrivateSettingsKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, name_);
    g_pszSettingsKey = previous_;
}
