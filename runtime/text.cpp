#include "text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

void copy_text(char* dst, size_t size, const char* src) {
  if (size == 0) return;
  if (src == nullptr) src = "";
  size_t n = strnlen(src, size - 1);
  memmove(dst, src, n);  // src may be dst itself
  dst[n] = '\0';
}

void format_text(char* dst, size_t size, const char* format, ...) {
  if (size == 0) return;
  va_list ap;
  va_start(ap, format);
  int n = vsnprintf(dst, size, format, ap);
  va_end(ap);
  if (n < 0) dst[0] = '\0';
}
