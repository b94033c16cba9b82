#include "release_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parsed {
  std::string version, patch;
};

Parsed parse(std::initializer_list<const char*> lines) {
  char version[kReleaseValueSize] = {}, patch[kReleaseValueSize] = {};
  for (const char* line : lines) parse_release_line(line, version, patch);
  return {version, patch};
}

}  // namespace

TEST(ReleaseFile, Lines) {
  struct Case {
    const char* line;
    const char* version;
    const char* patch;
  } cases[] = {
      {"VERSION = 2023\n", "2023", ""},
      {"VERSION=2023\n", "2023", ""},
      {"VERSION   =   24.4 extra\n", "24.4", ""},
      {"PATCHLEVEL = 1\n", "", "1"},
      {"PATCHLEVEL=7\n", "", "7"},
      {"VERSION_ID=\"15\"\n", "", ""},      // another key starting with VERSION
      {"version = 1\n", "", ""},            // case matters
      {"  VERSION = 1\n", "", ""},          // must begin the line
      {"VERSION = \n", "", ""},             // no value
      {"NAME=\"Tarvik\"\n", "", ""},
      {"VERSION = 0123456789012345678901234567890123456789\n", "0123456789012345678901234567890", ""},
  };
  for (const Case& c : cases) {
    Parsed p = parse({c.line});
    EXPECT_EQ(p.version, c.version) << c.line;
    EXPECT_EQ(p.patch, c.patch) << c.line;
  }
}

TEST(ReleaseFile, LastParsedLineWins) {
  Parsed p = parse({"VERSION = 1\n", "PATCHLEVEL = 2\n", "VERSION = 3\n", "VERSION =\n", "PATCHLEVEL = 4\n"});
  EXPECT_EQ(p.version, "3");
  EXPECT_EQ(p.patch, "4");
}
