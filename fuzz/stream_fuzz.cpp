// Fuzz target for the stream format.
//
// The input's first two bytes choose an output size (0 to 65535, little-
// endian) and the rest is decoded as a raw stream into an output area of
// exactly that size, which must never fault whatever the bytes are. The
// decoder must also be deterministic: a second decode into a fresh area
// gives the same result and, when it accepts, the same bytes.
//
// The whole input is then compressed and expanded again, which must give it
// back exactly.

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <vector>

#include "archive/compress.h"
#include "archive/decompress.h"

namespace {

// Exactly sized heap blocks, so that the address sanitizer sees every
// access past either end.
std::unique_ptr<uint8_t[]> Block(size_t size) {
  return std::unique_ptr<uint8_t[]>(new uint8_t[size]);
}

void CheckRawStream(const uint8_t* data, size_t size) {
  if (size < 2) return;
  const uint32_t outputSize = (uint32_t)data[0] | (uint32_t)data[1] << 8;
  const size_t streamLength = size - 2;
  auto stream = Block(streamLength);
  if (streamLength) memcpy(stream.get(), data + 2, streamLength);

  auto first = Block(outputSize);
  auto second = Block(outputSize);
  memset(first.get(), 0x00, outputSize);
  memset(second.get(), 0xFF, outputSize);
  const int a =
      Decompress(first.get(), outputSize, stream.get(), (uint32_t)streamLength);
  const int b = Decompress(second.get(), outputSize, stream.get(),
                           (uint32_t)streamLength);
  if (a != b || (a != 0 && a != 1)) abort();
  // An accepted stream defines every output byte, whatever was there.
  if (a == 1 && memcmp(first.get(), second.get(), outputSize) != 0) abort();
}

void CheckRoundTrip(const uint8_t* data, size_t size) {
  std::vector<uint8_t> packed = Compress(data, size);
  auto stream = Block(packed.size());
  memcpy(stream.get(), packed.data(), packed.size());
  auto restored = Block(size);
  if (Decompress(restored.get(), (uint32_t)size, stream.get(),
                 (uint32_t)packed.size()) != 1) {
    abort();
  }
  if (size && memcmp(restored.get(), data, size) != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckRawStream(data, size);
  CheckRoundTrip(data, size);
  return 0;
}
