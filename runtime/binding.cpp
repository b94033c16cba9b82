#include "binding.h"

#include <dlfcn.h>

#include <iterator>
#include <mutex>
#include <span>

#include "log.h"

#define VRA_DEFINE_ENTRY_POINT(result, name, params) result(*name) params = nullptr;
HRPT_ENTRY_POINTS(VRA_DEFINE_ENTRY_POINT)
QLMSDK_ENTRY_POINTS(VRA_DEFINE_ENTRY_POINT)
CIFSMGMTCLIENT_ENTRY_POINTS(VRA_DEFINE_ENTRY_POINT)
#undef VRA_DEFINE_ENTRY_POINT

#define VRA_BINDING_ROW(result, name, params) {#name, reinterpret_cast<void**>(&name)},
const BindingRow hrpt_functions[] = {HRPT_ENTRY_POINTS(VRA_BINDING_ROW)};
const BindingRow qlmsdk_functions[] = {QLMSDK_ENTRY_POINTS(VRA_BINDING_ROW)};
const BindingRow cifsmgmtclient_functions[] = {CIFSMGMTCLIENT_ENTRY_POINTS(VRA_BINDING_ROW)};
#undef VRA_BINDING_ROW
static_assert(std::size(hrpt_functions) == 163);
static_assert(std::size(qlmsdk_functions) == 46);
static_assert(std::size(cifsmgmtclient_functions) == 20);

std::atomic<uint8_t> is_hrpt_loaded{0};
std::atomic<uint8_t> is_qlmsdk_loaded{0};
std::atomic<uint8_t> is_cifsmgmtclient_loaded{0};

namespace {
std::mutex binding_mutex;  // one binding at a time
}  // namespace

void bind_entry_points(const char* file, std::span<const BindingRow> rows, std::atomic<uint8_t>& flag,
                       const char* loaded_message, bool require_all) {
  std::lock_guard<std::mutex> guard(binding_mutex);
  dlerror();
  void* handle = dlopen(file, RTLD_LAZY);
  if (handle == nullptr) {
    const char* error = dlerror();
    VRA_LOG_INFO("Failed to load %s library due to error: %s", file, error ? error : "");
    flag.store(0, std::memory_order_release);
    return;
  }
  VRA_LOG_INFO(loaded_message, file);
  bool complete = true;
  for (const BindingRow& row : rows) {
    dlerror();
    *row.slot = dlsym(handle, row.name);
    if (const char* error = dlerror()) {
      VRA_LOG_ERROR("Failed to load %s function from %s library due to error: %s", row.name, file, error);
      complete = false;
    }
  }
  flag.store(complete || !require_all ? 1 : 0, std::memory_order_release);
}

void load_hrpt_functions() {
  bind_entry_points("libhrpt.so", hrpt_functions, is_hrpt_loaded, "Successfully loaded %s", false);
}

void load_qlmsdk_functions() {
  bind_entry_points("libqlmsdk.so", qlmsdk_functions, is_qlmsdk_loaded, "Successfully loaded %s", false);
}

void load_cifsmgmtclient_functions() {
  bind_entry_points("libcifsmgmtclient.so", cifsmgmtclient_functions, is_cifsmgmtclient_loaded,
                    "Successfully loaded library: %s", false);
}
