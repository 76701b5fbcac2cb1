// The compressor for the archive's stream format (authoring side only; the
// updater itself never compresses).
#ifndef UPDATER_ARCHIVE_COMPRESS_H
#define UPDATER_ARCHIVE_COMPRESS_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

// A complete stream, end code included, that Decompress expands back into
// exactly `size` bytes of `data`.
std::vector<uint8_t> Compress(const uint8_t* data, size_t size);

#endif
