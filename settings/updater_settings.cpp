// The process-wide settings of one run, all empty when the process starts.
#include "settings/updater_settings.h"

UpdaterSettingsRecord UpdaterSettings;
char UpdateIniPath[260];
char SetupIniPath[260];
