#include "log.h"

#include <cstdarg>
#include <cstdio>

std::atomic<int32_t> vra_rest_log_level{LOG_ERR};

void vra_log(int priority, const char* function, int line, const char* format, ...) {
  if (vra_rest_log_level.load(std::memory_order_relaxed) < priority) return;
  char text[1024];
  int prefix = snprintf(text, sizeof text, "VRA-REST: <%s:%d> ", function, line);
  if (prefix < 0) return;
  if (static_cast<size_t>(prefix) < sizeof text) {
    va_list ap;
    va_start(ap, format);
    vsnprintf(text + prefix, sizeof text - prefix, format, ap);
    va_end(ap);
  }
  syslog(priority, "%s", text);
}
