// Shared state between the files of the simulated Windows.
#ifndef UPDATER_PLATFORM_HOST_INTERNAL_H
#define UPDATER_PLATFORM_HOST_INTERNAL_H

// Each part of the host layer forgets its settings; HostReset calls them all.
void HostResetMemory();
void HostResetPaths();

// 1 when a host folder is mapped to the drive letter.
int HostDriveMapped(char letter);

#endif
