#include "convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Decodes into a buffer of `size` bytes; returns the result and the units
// up to the terminator.
std::pair<int, std::vector<uint16_t>> to_utf16(const char* text, size_t size) {
  std::vector<uint8_t> buffer(size + 8, 0xEE);
  int n = convert_utf8_to_unicode(text, buffer.data(), size);
  std::vector<uint16_t> units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    uint16_t u = static_cast<uint16_t>(buffer[i] | buffer[i + 1] << 8);
    if (u == 0) break;
    units.push_back(u);
  }
  EXPECT_EQ(buffer[size], 0xEE) << "wrote past the buffer";
  return {n, units};
}

std::string to_utf8(std::vector<uint16_t> units) {
  units.push_back(0);
  std::string out(units.size() * 3 + 1, '\x7f');
  int n = convert_unicode_to_utf8(units.data(), out.data());
  EXPECT_EQ(out[n], '\0');
  return out.substr(0, n);
}

}  // namespace

TEST(Utf8ToUtf16, Cases) {
  struct Case {
    const char* text;
    size_t size;
    int result;
    std::vector<uint16_t> units;
  } cases[] = {
      {"abc", 8, 3, {'a', 'b', 'c'}},
      {"", 2, 0, {}},
      {"\xC3\xA9", 4, 1, {0xE9}},                            // é
      {"\xE2\x82\xAC", 4, 1, {0x20AC}},                      // €
      {"\xF0\x9F\x98\x80", 6, 2, {0xD83D, 0xDE00}},          // U+1F600 as a surrogate pair
      {"a\xF0\x9F\x98\x80", 6, -1, {'a'}},                   // the pair does not fit: terminated after 'a'
      {"\xF4\x90\x80\x80", 8, -1, {}},                       // beyond U+10FFFF
      {"\xF0\x8F\xBF\xBF", 8, -1, {}},                       // overlong 4-byte form
      {"\xF8\x88\x80\x80\x80", 8, -1, {}},                   // 5-byte lead
      {"ab\x80", 8, -1, {'a', 'b'}},                         // stray continuation byte
      {"\xC3", 8, -1, {}},                                   // truncated at the terminator
      {"\xE2\x28\xA1", 8, -1, {}},                           // bad continuation
      {"abcd", 8, -1, {'a', 'b', 'c'}},                      // 8 bytes hold 3 units and the terminator
      {"abc", 1, -1, {}},                                    // size below 2
  };
  for (const Case& c : cases) {
    auto [n, units] = to_utf16(c.text, c.size);
    EXPECT_EQ(n, c.result) << c.text;
    EXPECT_EQ(units, c.units) << c.text;
  }
  uint16_t buf[4];
  EXPECT_EQ(convert_utf8_to_unicode(nullptr, buf, sizeof buf), -1);
  EXPECT_EQ(convert_utf8_to_unicode("a", nullptr, 8), -1);
}

TEST(Utf16ToUtf8, Cases) {
  EXPECT_EQ(to_utf8({'a', 0xE9, 0x20AC}), "a\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(to_utf8({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");         // a valid pair: one 4-byte sequence
  EXPECT_EQ(to_utf8({0xD83D, 'x'}), "\xED\xA0\xBD" "x");            // lone high surrogate: unit by unit
  EXPECT_EQ(to_utf8({0xDE00, 0xD83D}), "\xED\xB8\x80\xED\xA0\xBD");  // reversed pair: unit by unit
  EXPECT_EQ(to_utf8({0xD83D}), "\xED\xA0\xBD");                     // high surrogate before the terminator
  EXPECT_EQ(to_utf8({}), "");
  char out[4];
  EXPECT_EQ(convert_unicodechar_to_utf8char(0x7F, out), 1);
  EXPECT_EQ(convert_unicodechar_to_utf8char(0x80, out), 2);
  EXPECT_EQ(convert_unicodechar_to_utf8char(0x7FF, out), 2);
  EXPECT_EQ(convert_unicodechar_to_utf8char(0x800, out), 3);
  EXPECT_EQ(convert_unicodechar_to_utf8char(0xFFFF, out), 3);
}

TEST(Utf8RoundTrip, OutsideTheBasicPlane) {
  const char* text = "dir-\xF0\x9D\x84\x9E-\xE6\x97\xA5.txt";  // U+1D11E and U+65E5
  uint16_t units[32];
  ASSERT_GT(convert_utf8_to_unicode(text, units, sizeof units), 0);
  char back[100];
  convert_unicode_to_utf8(units, back);
  EXPECT_STREQ(back, text);
}

TEST(Sizes, WholeSectors) {
  struct Case {
    uint64_t bytes, sectors;
  } cases[] = {{0, 0}, {511, 0}, {512, 1}, {1023, 1}, {1024, 2}, {10485760, 20480}, {~0ull, ~0ull >> 9}};
  for (const Case& c : cases) {
    uint64_t sectors = 7;
    EXPECT_EQ(get_size_from_bytes(c.bytes, &sectors), 0);
    EXPECT_EQ(sectors, c.sectors) << c.bytes;
  }
}

TEST(Ipv4, Validation) {
  for (const char* good : {"0.0.0.0", "10.1.2.3", "255.255.255.255"}) EXPECT_EQ(validate_ipv4(good), 1) << good;
  for (const char* bad : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "a.b.c.d", "", "::1", " 1.2.3.4"})
    EXPECT_EQ(validate_ipv4(bad), 0) << bad;
  EXPECT_EQ(validate_ipv4(nullptr), 0);
}

TEST(HostnameToIp, NumericAndLocalNames) {
  char out[VRA_IPV4_TEXT_SIZE];
  ASSERT_EQ(hostname_to_ip("127.0.0.1", out), 0);
  EXPECT_STREQ(out, "127.0.0.1");
  ASSERT_EQ(hostname_to_ip("localhost", out), 0);  // from /etc/hosts
  EXPECT_STREQ(out, "127.0.0.1");
}
