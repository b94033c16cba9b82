// The product release file: lines "VERSION = <word>" and
// "PATCHLEVEL = <word>" (spaces around "=" optional); the last line of a key
// wins and other lines are ignored.
#pragma once

#include <cstddef>

constexpr const char* kReleaseFile = "/etc/tarvik-release";
constexpr size_t kReleaseLineSize = 256;  // lines of at most 255 bytes
constexpr size_t kReleaseValueSize = 32;  // values are cut to 31 characters

// Parses one line into version or patch (each kReleaseValueSize bytes); a line
// that does not parse leaves both unchanged.
void parse_release_line(const char* line, char* version, char* patch);
