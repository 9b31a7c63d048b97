// A settings key of the test's own: the program's settings go to
// HKEY_CURRENT_USER\Software\Vexa\twinreel-test-TAG-PID while it lives,
// emptied when it is taken and removed when it ends, so that tests neither
// read nor change the user's settings and parallel runs stay apart.
#ifndef TWR_TESTS_SUPPORT_SETTINGS_KEY_H
#define TWR_TESTS_SUPPORT_SETTINGS_KEY_H

class PrivateSettingsKey {
public:
    explicit PrivateSettingsKey(const char *tag);
    ~PrivateSettingsKey();
    PrivateSettingsKey(const PrivateSettingsKey &) = delete;
    PrivateSettingsKey &operator=(const PrivateSettingsKey &) = delete;

    const char *Name() const { return name_; }

private:
    char name_[128];
    const char *previous_;
};

#endif
