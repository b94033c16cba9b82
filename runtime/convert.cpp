#include "convert.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cstring>

#include "log.h"
#include "text.h"

int get_size_from_bytes(uint64_t bytes, uint64_t* sectors) {
  *sectors = bytes >> 9;
  return 0;
}

int hostname_to_ip(const char* name, char* out) {
  // Reentrant lookup: callers run on the worker pool, several at a time.
  hostent entry, *result = nullptr;
  char scratch[2048];
  int error = 0;
  if (gethostbyname_r(name, &entry, scratch, sizeof scratch, &result, &error) != 0 || result == nullptr) {
    VRA_LOG_ERROR("Failed to get IP corresponding to %s due to error %d", name, error);
    return -1;
  }
  if (result->h_addrtype != AF_INET || result->h_addr_list[0] == nullptr) return -1;
  in_addr address;
  memcpy(&address, result->h_addr_list[0], sizeof address);
  char text[INET_ADDRSTRLEN];
  if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) return -1;
  copy_text(out, VRA_IPV4_TEXT_SIZE, text);
  return 0;
}

int validate_ipv4(const char* text) {
  in_addr scratch;
  return text != nullptr && inet_pton(AF_INET, text, &scratch) == 1 ? 1 : 0;
}

namespace {

void put_unit(void* buffer, size_t index, uint16_t unit) {
  auto* bytes = static_cast<uint8_t*>(buffer) + 2 * index;
  bytes[0] = static_cast<uint8_t>(unit & 0xFF);
  bytes[1] = static_cast<uint8_t>(unit >> 8);
}

uint16_t get_unit(const void* source, size_t index) {
  const auto* bytes = static_cast<const uint8_t*>(source) + 2 * index;
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

bool is_high_surrogate(uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

int convert_utf8_to_unicode(const char* text, void* buffer, size_t size) {
  if (text == nullptr || buffer == nullptr || size < 2) return -1;
  const size_t capacity = size / 2 - 1;  // units that leave room for the terminator
  const auto* s = reinterpret_cast<const uint8_t*>(text);
  size_t count = 0;
  auto fail = [&] {
    put_unit(buffer, count, 0);
    return -1;
  };
  while (*s != 0) {
    const uint8_t lead = *s;
    uint32_t code;
    int extra;
    if (lead < 0x80) {
      code = lead;
      extra = 0;
    } else if (lead >= 0xC0 && lead <= 0xDF) {
      code = lead & 0x1F;
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      code = lead & 0x0F;
      extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      code = lead & 0x07;
      extra = 3;
    } else {
      return fail();
    }
    for (int i = 1; i <= extra; ++i) {
      const uint8_t next = s[i];  // a terminator fails the test, so nothing is read past it
      if (next < 0x80 || next > 0xBF) return fail();
      code = code << 6 | (next & 0x3F);
    }
    if (extra == 3) {
      if (code < 0x10000 || code > 0x10FFFF) return fail();
      if (count + 2 > capacity) return fail();
      code -= 0x10000;
      put_unit(buffer, count++, static_cast<uint16_t>(0xD800 | code >> 10));
      put_unit(buffer, count++, static_cast<uint16_t>(0xDC00 | (code & 0x3FF)));
    } else {
      if (count + 1 > capacity) return fail();
      put_unit(buffer, count++, static_cast<uint16_t>(code));
    }
    s += 1 + extra;
  }
  put_unit(buffer, count, 0);
  return static_cast<int>(count);
}

int convert_unicodechar_to_utf8char(uint16_t unit, char* out) {
  auto* o = reinterpret_cast<uint8_t*>(out);
  if (unit < 0x80) {
    o[0] = static_cast<uint8_t>(unit);
    return 1;
  }
  if (unit < 0x800) {
    o[0] = static_cast<uint8_t>(0xC0 | unit >> 6);
    o[1] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
    return 2;
  }
  o[0] = static_cast<uint8_t>(0xE0 | unit >> 12);
  o[1] = static_cast<uint8_t>(0x80 | (unit >> 6 & 0x3F));
  o[2] = static_cast<uint8_t>(0x80 | (unit & 0x3F));
  return 3;
}

int convert_unicode_to_utf8(const void* source, char* buffer) {
  size_t written = 0;
  auto* o = reinterpret_cast<uint8_t*>(buffer);
  for (size_t i = 0;; ++i) {
    const uint16_t unit = get_unit(source, i);
    if (unit == 0) break;
    const uint16_t next = is_high_surrogate(unit) ? get_unit(source, i + 1) : 0;
    if (is_low_surrogate(next)) {
      const uint32_t code = 0x10000 + ((static_cast<uint32_t>(unit) - 0xD800) << 10) + (next - 0xDC00);
      o[written++] = static_cast<uint8_t>(0xF0 | code >> 18);
      o[written++] = static_cast<uint8_t>(0x80 | (code >> 12 & 0x3F));
      o[written++] = static_cast<uint8_t>(0x80 | (code >> 6 & 0x3F));
      o[written++] = static_cast<uint8_t>(0x80 | (code & 0x3F));
      ++i;
    } else {
      written += convert_unicodechar_to_utf8char(unit, buffer + written);
    }
  }
  buffer[written] = '\0';
  return static_cast<int>(written);
}
