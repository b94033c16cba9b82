#include "release_file.h"

#include <cstdio>
#include <cstring>

static_assert(kReleaseValueSize == 32, "the scan widths below hold 31 characters");

void parse_release_line(const char* line, char* version, char* patch) {
  char value[kReleaseValueSize];
  if (strncmp(line, "VERSION", 7) == 0) {
    if (sscanf(line, "VERSION = %31s", value) == 1) memcpy(version, value, kReleaseValueSize);
  } else if (strncmp(line, "PATCHLEVEL", 10) == 0) {
    if (sscanf(line, "PATCHLEVEL = %31s", value) == 1) memcpy(patch, value, kReleaseValueSize);
  }
}
