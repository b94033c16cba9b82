#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cluster.h"

TEST(ClusterCodes, QlmResults) {
  struct Case {
    int code, expected;
  } cases[] = {{0, 0}, {1, 40600}, {13, 40612}, {30, 40629}, {31, 40602}, {-1, 40602}, {1000, 40602}};
  for (const Case& c : cases) EXPECT_EQ(convert_qlm_code_to_napi_code(c.code), c.expected) << c.code;
}

TEST(ClusterCodes, ClusterStateResults) {
  struct Case {
    int code, expected;
  } cases[] = {{0, 40605}, {1, 40605}, {2, 40606}, {8, 40612}, {9, 40605}, {29, 40605}, {30, 40629}, {31, 40605}, {-4, 40605}};
  for (const Case& c : cases) EXPECT_EQ(convert_clstr_code_to_napi_code(c.code), c.expected) << c.code;
}

TEST(MakeUpperCase, InPlaceCutTo63) {
  char field[64] = "pool1_server";
  make_upper_case(field);
  EXPECT_STREQ(field, "POOL1_SERVER");
  char wide[80];
  std::string seventy(70, 'a');
  memcpy(wide, seventy.c_str(), 71);
  make_upper_case(wide);
  EXPECT_EQ(std::string(wide), std::string(63, 'A'));
  char mixed[64] = "Vol-é_9";  // bytes above 0x7F stay as they are
  make_upper_case(mixed);
  EXPECT_STREQ(mixed, "VOL-é_9");
}
