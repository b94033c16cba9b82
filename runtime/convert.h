// Conversions shared by several areas: sizes, host names, IPv4 texts and
// UTF-8/UTF-16 text. They report failure by their result only.
#pragma once

#include <cstddef>
#include <cstdint>

// The number of whole 512-byte sectors in bytes; returns 0.
int get_size_from_bytes(uint64_t bytes, uint64_t* sectors);

// The dotted IPv4 text of the first address of a host name into out (16
// bytes); 0, or -1 when the name does not resolve or has no address.
constexpr size_t VRA_IPV4_TEXT_SIZE = 16;
int hostname_to_ip(const char* name, char* out);

// 1 for a valid dotted IPv4 address, 0 otherwise.
int validate_ipv4(const char* text);

// UTF-8 text into little-endian UTF-16 units in a buffer of size bytes,
// terminated by a 0x0000 unit. A character outside the basic plane becomes a
// surrogate pair. Returns the number of units written (terminator excluded),
// or -1 for a null argument, a size below 2, an invalid sequence or a buffer
// too small (the units decoded so far are then terminated).
int convert_utf8_to_unicode(const char* text, void* buffer, size_t size);

// Little-endian UTF-16 units up to a 0x0000 unit into UTF-8, terminated. A
// valid surrogate pair becomes one 4-byte sequence; a lone surrogate is written
// unit by unit. The buffer holds three bytes per unit plus one. Returns the
// number of bytes written (terminator excluded).
int convert_unicode_to_utf8(const void* source, char* buffer);

// One UTF-16 unit as 1 to 3 UTF-8 bytes (no terminator); returns the count.
int convert_unicodechar_to_utf8char(uint16_t unit, char* out);
