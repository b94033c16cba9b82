// Weak definitions of every entry point of a library's binding table that
// answer kUnimplemented; a stand-in defines the entry points it serves for
// real, which take precedence.
#pragma once

#include "testbed.h"

#define TESTBED_STUB(library)                                                                  \
  [[maybe_unused]] static constexpr const char* testbed_stub_library = library;
#define TESTBED_STUB_ENTRY(result, name, params)                                               \
  extern "C" TESTBED_EXPORT __attribute__((weak)) result name params {                         \
    return static_cast<result>(testbed::unimplemented(testbed_stub_library, #name));           \
  }
