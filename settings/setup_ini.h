// The installed game's settings file SETUP.INI, left by the game's own
// installer in the install folder.
#ifndef UPDATER_SETTINGS_SETUP_INI_H
#define UPDATER_SETTINGS_SETUP_INI_H

// Validates the [SETUP] section of the file at SetupIniPath as a complete
// installer settings file and takes GameTitle, GameClass and DiskCheckFiles
// into UpdaterSettings. Keys are taken in a fixed order and reading stops at
// the first failure, whose box (if any) has been shown when 0 is returned.
int ReadInstalledSetup();

#endif
