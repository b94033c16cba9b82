#include <cctype>
#include <cstring>

#include "cluster.h"

void make_upper_case(char* text) {
  char upper[64] = {};
  for (size_t i = 0; i < sizeof upper - 1 && text[i] != '\0'; ++i)
    upper[i] = static_cast<char>(toupper(static_cast<unsigned char>(text[i])));
  memset(text, 0, sizeof upper);
  memcpy(text, upper, sizeof upper);
}

int convert_qlm_code_to_napi_code(int code) {
  if (code == 0) return 0;
  if (code >= 1 && code <= 30) return code + 40599;
  return 40602;
}

int convert_clstr_code_to_napi_code(int code) {
  if (code >= 2 && code <= 8) return 40604 + code;
  if (code == 30) return 40629;
  return 40605;
}
