#include "pvf_errors.h"

#include <gtest/gtest.h>

#include <string>

TEST(PvfErrors, NamesUnknownsAndOutside) {
  struct Case {
    int number;
    const char* name;  // null: none
  } cases[] = {
      {20000, "zERR_NO_MEMORY"},     {20002, "zERR_NOT_CONNECTED"},    {23350, "zERR_HRPT_HAS_POOL"},
      {24999, "zERR_GENERIC_PVF_ERROR"}, {20003, "zERR_UNKNOWN_ERROR"}, {20407, "zERR_UNKNOWN_ERROR"},
      {19999, nullptr},              {25000, nullptr},                 {40017, nullptr},
      {-1, nullptr},                 {0, nullptr},
  };
  for (const Case& c : cases) {
    const char* name = get_pvf_err_string_from_number(c.number);
    if (c.name == nullptr) EXPECT_EQ(name, nullptr) << c.number;
    else EXPECT_EQ(std::string(name ? name : "(none)"), c.name) << c.number;
  }
}

TEST(PvfErrors, TableIsOrderedAndClosed) {
  int previous = 19999;
  const PvfErrorRow* row = pvfErrorTable;
  for (; row->number != 0; ++row) {
    EXPECT_GT(row->number, previous);
    EXPECT_LE(row->number, 24999);
    previous = row->number;
  }
  EXPECT_STREQ(row->name, "End of table");
}
