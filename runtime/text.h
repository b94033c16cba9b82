// Bounded text helpers for the fixed-size fields of requests and answers.
#pragma once

#include <cstddef>

// Copies at most size - 1 bytes of src into dst and terminates it; a null
// src is copied as "". Nothing is written when size is 0.
void copy_text(char* dst, size_t size, const char* src);

template <size_t N>
void copy_text(char (&dst)[N], const char* src) {
  copy_text(dst, N, src);
}

// snprintf into dst with the bound size; the result is always terminated.
void format_text(char* dst, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
