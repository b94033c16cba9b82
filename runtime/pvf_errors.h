// Symbolic names of the file-system and volume-manager error numbers
// (20000 to 24999); a failed answer carries the name as its description.
#pragma once

#include <cstdint>

struct PvfErrorRow {
  int32_t number;
  const char* name;
};

// Rows ordered by number, closed by {0, "End of table"}.
extern const PvfErrorRow pvfErrorTable[];

// The name of a number of the range, "zERR_UNKNOWN_ERROR" for an unnamed one,
// null outside the range.
const char* get_pvf_err_string_from_number(int32_t number);
