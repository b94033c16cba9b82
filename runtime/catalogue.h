// The error catalogue (catalogue.cpp) and its lookups.
#pragma once

#include <cstdint>

struct ErrorTagRow {
  int32_t index;
  const char* tag;      // answered as errorID; begins with "@@" but in rows 345 and 346
  const char* message;  // English text; "%s" is filled by the answer's args
};

extern const ErrorTagRow errorTagMap[468];

// The row with that index, or null (0, 466 and anything outside 1..467).
const ErrorTagRow* find_error_row(int32_t id);
// The tag of that row, or null; every lookup is logged at error level.
const char* get_err_tag_from_index(int32_t id);
