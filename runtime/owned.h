// Memory that a library or a C allocation hands over: released with free().
#pragma once

#include <cstdlib>
#include <memory>

struct FreeDeleter {
  void operator()(void* p) const { free(p); }
};

template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;
