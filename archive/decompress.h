// Expanding one compressed stream of the archive's format.
#ifndef UPDATER_ARCHIVE_DECOMPRESS_H
#define UPDATER_ARCHIVE_DECOMPRESS_H

#include <stdint.h>

// Expands the stream of streamLength bytes into exactly outputSize bytes.
// 1 when the stream ended with its end code after filling the output
// exactly; 0 for a stream that would write past the output, read past its
// end, copy from before the output's start, or end before the output is
// full. Never touches memory outside the two areas.
int Decompress(uint8_t* output, uint32_t outputSize, const uint8_t* stream,
               uint32_t streamLength);

#endif
