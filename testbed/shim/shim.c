/* The testbed's preload shim. It intercepts only what has no other seam;
 * everything else goes to the C library untouched.
 *
 * syslog: every line is appended to $VRA_SANDBOX/syslog as
 * "<priority> <text>\n" (one write per line, so lines from several threads
 * never interleave), instead of reaching the machine's log. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <syslog.h>
#include <unistd.h>

#define SHIM_EXPORT __attribute__((visibility("default")))

static void capture(int priority, const char* format, va_list ap) {
  const char* sandbox = getenv("VRA_SANDBOX");
  if (sandbox == NULL) return;
  char path[4096];
  if (snprintf(path, sizeof path, "%s/syslog", sandbox) >= (int)sizeof path) return;
  char line[8192];
  int n = snprintf(line, sizeof line, "%d ", LOG_PRI(priority));
  int m = vsnprintf(line + n, sizeof line - n - 1, format, ap);
  if (m < 0) return;
  n += m < (int)(sizeof line - n - 1) ? m : (int)(sizeof line - n - 2);
  line[n++] = '\n';
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t ignored = write(fd, line, (size_t)n);
  (void)ignored;
  close(fd);
}

SHIM_EXPORT void vsyslog(int priority, const char* format, va_list ap) { capture(priority, format, ap); }

SHIM_EXPORT void syslog(int priority, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  capture(priority, format, ap);
  va_end(ap);
}

SHIM_EXPORT void __vsyslog_chk(int priority, int flag, const char* format, va_list ap) {
  (void)flag;
  capture(priority, format, ap);
}

SHIM_EXPORT void __syslog_chk(int priority, int flag, const char* format, ...) {
  (void)flag;
  va_list ap;
  va_start(ap, format);
  capture(priority, format, ap);
  va_end(ap);
}
