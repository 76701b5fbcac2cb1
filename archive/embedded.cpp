// The archive the updater carries among its own resources.
#include "archive/embedded.h"

ArchiveOpenResult OpenEmbeddedArchive(SysModule instance) {
  const uint8_t* start = 0;
  uint32_t size = 0;
  // The platform layer finds, loads and locks the resource; a program
  // without it (or with an empty one) simply has no archive.
  if (!SysLoadArchiveImage(instance, &start, &size) || start == 0 ||
      size == 0) {
    return ImageMissing;
  }
  return OpenArchiveImage(start, size);
}
