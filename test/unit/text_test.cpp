#include "text.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CopyText, CutsToSizeMinusOneAndTerminates) {
  char buf[8];
  memset(buf, 'x', sizeof buf);
  copy_text(buf, "0123456789");
  EXPECT_STREQ(buf, "0123456");
  copy_text(buf, nullptr);
  EXPECT_STREQ(buf, "");
  copy_text(buf, 0, "abc");  // size 0 writes nothing
  EXPECT_STREQ(buf, "");
}

TEST(CopyText, OverlappingSelfCopyKeepsText) {
  char buf[16] = "description";
  copy_text(buf, 5, buf);
  EXPECT_STREQ(buf, "desc");
}

TEST(FormatText, BoundsAndTerminates) {
  char buf[129];
  char big[300];
  memset(big, 'a', sizeof big - 1);
  big[sizeof big - 1] = '\0';
  format_text(buf, 128, "Data received does not contain %s", big);
  EXPECT_EQ(strlen(buf), 127u);
  EXPECT_EQ(strncmp(buf, "Data received does not contain aaa", 34), 0);
}
