// Logging of every add-on: one syslog line per event, gated by the add-on's
// own level. Lines read "VRA-REST: <function:line> message".
#pragma once

#include <syslog.h>

#include <atomic>
#include <cstdint>

// Syslog priority up to which lines are written: error 3, warn 4, info 6,
// debug 7. Starts at 3; written on the JS thread only, read by every thread.
extern std::atomic<int32_t> vra_rest_log_level;

void vra_log(int priority, const char* function, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

#define VRA_LOG_ERROR(...) vra_log(LOG_ERR, __func__, __LINE__, __VA_ARGS__)
#define VRA_LOG_INFO(...) vra_log(LOG_INFO, __func__, __LINE__, __VA_ARGS__)
