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

struct Library {
  const char* file;
  std::span<const BindingRow> rows;
  std::atomic<uint8_t>* flag;
  const char* loaded_message;  // "%s" is the file name
  std::mutex* mutex;           // one binding of a library at a time
};

void bind_library(const Library& library) {
  std::lock_guard<std::mutex> guard(*library.mutex);
  dlerror();
  void* handle = dlopen(library.file, RTLD_LAZY);
  if (handle == nullptr) {
    const char* error = dlerror();
    VRA_LOG_INFO("Failed to load %s library due to error: %s", library.file, error ? error : "");
    library.flag->store(0, std::memory_order_release);
    return;
  }
  VRA_LOG_INFO(library.loaded_message, library.file);
  for (const BindingRow& row : library.rows) {
    dlerror();
    *row.slot = dlsym(handle, row.name);
    if (const char* error = dlerror())
      VRA_LOG_ERROR("Failed to load %s function from %s library due to error: %s", row.name, library.file, error);
  }
  library.flag->store(1, std::memory_order_release);
}

std::mutex hrpt_binding, qlmsdk_binding, cifsmgmtclient_binding;

}  // namespace

void load_hrpt_functions() {
  bind_library({"libhrpt.so", hrpt_functions, &is_hrpt_loaded, "Successfully loaded %s", &hrpt_binding});
}

void load_qlmsdk_functions() {
  bind_library({"libqlmsdk.so", qlmsdk_functions, &is_qlmsdk_loaded, "Successfully loaded %s", &qlmsdk_binding});
}

void load_cifsmgmtclient_functions() {
  bind_library({"libcifsmgmtclient.so", cifsmgmtclient_functions, &is_cifsmgmtclient_loaded,
                "Successfully loaded library: %s", &cifsmgmtclient_binding});
}
