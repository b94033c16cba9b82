/* The testbed's preload shim. It intercepts only what has no other seam;
 * everything else goes to the C library untouched.
 *
 * syslog: every line is appended to $VRA_SANDBOX/syslog as
 * "<priority> <text>\n" (one write per line, so lines from several threads
 * never interleave), instead of reaching the machine's log.
 *
 * /dev/zapi: opening the device (open, open64, openat, openat64 and their
 * fortified forms) gives a descriptor on /dev/null that the shim remembers;
 * pread and pread64 (and their fortified forms) on it hand the request record
 * to the stand-in file-system module (libvra_zapi.so, loaded on first use)
 * and return its status; close forgets the descriptor. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#define SHIM_EXPORT __attribute__((visibility("default")))

/* ---- syslog ---------------------------------------------------------------- */

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

/* ---- /dev/zapi --------------------------------------------------------------- */

#define MAX_ZAPI_FDS 64
static _Atomic int zapi_fds[MAX_ZAPI_FDS]; /* descriptor + 1; 0 for a free slot */

static int is_zapi_fd(int fd) {
  if (fd < 0) return 0;
  for (int i = 0; i < MAX_ZAPI_FDS; ++i)
    if (atomic_load(&zapi_fds[i]) == fd + 1) return 1;
  return 0;
}

static void remember(int fd) {
  for (int i = 0; i < MAX_ZAPI_FDS; ++i) {
    int expected = 0;
    if (atomic_compare_exchange_strong(&zapi_fds[i], &expected, fd + 1)) return;
  }
}

static void forget(int fd) {
  for (int i = 0; i < MAX_ZAPI_FDS; ++i) {
    int expected = fd + 1;
    atomic_compare_exchange_strong(&zapi_fds[i], &expected, 0);
  }
}

static int is_zapi_path(const char* path) { return path != NULL && strcmp(path, "/dev/zapi") == 0; }

/* The C library's function, looked up once. */
#define REAL(name, type)                                         \
  ({                                                             \
    static __typeof__((type)0) real_;                            \
    if (real_ == NULL) real_ = (type)dlsym(RTLD_NEXT, name);     \
    real_;                                                       \
  })

static int open_zapi(int flags) {
  int fd = REAL("open", int (*)(const char*, int, ...))("/dev/null", O_RDONLY | (flags & O_CLOEXEC));
  if (fd >= 0) remember(fd);
  return fd;
}

/* A mode argument follows only with O_CREAT or O_TMPFILE (which includes the
 * O_DIRECTORY bit, so test all of its bits). */
static mode_t mode_of(int flags, va_list ap) {
  const int needs_mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE;
  return needs_mode ? va_arg(ap, mode_t) : 0;
}

#define OPEN_WRAPPER(name)                                                              \
  SHIM_EXPORT int name(const char* path, int flags, ...) {                              \
    va_list ap;                                                                         \
    va_start(ap, flags);                                                                \
    mode_t mode = mode_of(flags, ap);                                                   \
    va_end(ap);                                                                         \
    if (is_zapi_path(path)) return open_zapi(flags);                                    \
    return REAL(#name, int (*)(const char*, int, ...))(path, flags, mode);              \
  }
OPEN_WRAPPER(open)
OPEN_WRAPPER(open64)

#define OPENAT_WRAPPER(name)                                                            \
  SHIM_EXPORT int name(int dirfd, const char* path, int flags, ...) {                   \
    va_list ap;                                                                         \
    va_start(ap, flags);                                                                \
    mode_t mode = mode_of(flags, ap);                                                   \
    va_end(ap);                                                                         \
    if (is_zapi_path(path)) return open_zapi(flags);                                    \
    return REAL(#name, int (*)(int, const char*, int, ...))(dirfd, path, flags, mode);  \
  }
OPENAT_WRAPPER(openat)
OPENAT_WRAPPER(openat64)

SHIM_EXPORT int __open_2(const char* path, int flags) {
  if (is_zapi_path(path)) return open_zapi(flags);
  return REAL("__open_2", int (*)(const char*, int))(path, flags);
}
SHIM_EXPORT int __open64_2(const char* path, int flags) {
  if (is_zapi_path(path)) return open_zapi(flags);
  return REAL("__open64_2", int (*)(const char*, int))(path, flags);
}
SHIM_EXPORT int __openat_2(int dirfd, const char* path, int flags) {
  if (is_zapi_path(path)) return open_zapi(flags);
  return REAL("__openat_2", int (*)(int, const char*, int))(dirfd, path, flags);
}
SHIM_EXPORT int __openat64_2(int dirfd, const char* path, int flags) {
  if (is_zapi_path(path)) return open_zapi(flags);
  return REAL("__openat64_2", int (*)(int, const char*, int))(dirfd, path, flags);
}

typedef int64_t (*serve_fn)(void*, int64_t);
static serve_fn zapi_serve;
static pthread_once_t zapi_once = PTHREAD_ONCE_INIT;

static void load_module(void) {
  void* module = dlopen("libvra_zapi.so", RTLD_NOW | RTLD_LOCAL);
  if (module != NULL) zapi_serve = (serve_fn)dlsym(module, "testbed_zapi_serve");
  if (zapi_serve == NULL) fprintf(stderr, "testbed shim: no file-system module: %s\n", dlerror());
}

static ssize_t serve_request(void* buffer, size_t size, off64_t function) {
  pthread_once(&zapi_once, load_module);
  if (zapi_serve == NULL || size < 208) {
    errno = ENODEV;
    return -1;
  }
  return (ssize_t)zapi_serve(buffer, (int64_t)function);
}

SHIM_EXPORT ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset) {
  if (is_zapi_fd(fd)) return serve_request(buffer, size, offset);
  return REAL("pread64", ssize_t (*)(int, void*, size_t, off64_t))(fd, buffer, size, offset);
}
SHIM_EXPORT ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
  if (is_zapi_fd(fd)) return serve_request(buffer, size, offset);
  return REAL("pread", ssize_t (*)(int, void*, size_t, off_t))(fd, buffer, size, offset);
}
SHIM_EXPORT ssize_t __pread64_chk(int fd, void* buffer, size_t size, off64_t offset, size_t buffer_size) {
  if (is_zapi_fd(fd)) return serve_request(buffer, size, offset);
  return REAL("__pread64_chk", ssize_t (*)(int, void*, size_t, off64_t, size_t))(fd, buffer, size, offset, buffer_size);
}
SHIM_EXPORT ssize_t __pread_chk(int fd, void* buffer, size_t size, off_t offset, size_t buffer_size) {
  if (is_zapi_fd(fd)) return serve_request(buffer, size, offset);
  return REAL("__pread_chk", ssize_t (*)(int, void*, size_t, off_t, size_t))(fd, buffer, size, offset, buffer_size);
}

SHIM_EXPORT int close(int fd) {
  if (is_zapi_fd(fd)) forget(fd);
  return REAL("close", int (*)(int))(fd);
}
