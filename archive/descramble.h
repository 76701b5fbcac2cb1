// The scrambling transform: its own inverse, keyed by the block's length.
#ifndef UPDATER_ARCHIVE_DESCRAMBLE_H
#define UPDATER_ARCHIVE_DESCRAMBLE_H

#include <stdint.h>

#define ScrambleSeed 0x3A9C7E21u

void Descramble(uint8_t* block, uint32_t length);

#endif
