// The management libraries the add-ons do not link: each is opened by name at
// run time and its entry points are stored in global function pointers that
// carry the entry points' own names, so that the code calls HRPT_GetPoolInfo(...)
// as if it were linked. A library's flag tells whether it is bound; an entry
// point that the library lacks stays null and must not be called.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "platform/cifsmgmtclient.h"
#include "platform/hrpt.h"
#include "platform/qlmsdk.h"

#define VRA_DECLARE_ENTRY_POINT(result, name, params) extern result(*name) params;
HRPT_ENTRY_POINTS(VRA_DECLARE_ENTRY_POINT)
QLMSDK_ENTRY_POINTS(VRA_DECLARE_ENTRY_POINT)
CIFSMGMTCLIENT_ENTRY_POINTS(VRA_DECLARE_ENTRY_POINT)
#undef VRA_DECLARE_ENTRY_POINT

struct BindingRow {
  const char* name;
  void** slot;  // the global pointer that receives the entry point
};

extern const BindingRow hrpt_functions[163];
extern const BindingRow qlmsdk_functions[46];
extern const BindingRow cifsmgmtclient_functions[20];

// 1 once the library could be opened (also when some entry points were not
// found), else 0. Read them with acquire order before calling entry points.
extern std::atomic<uint8_t> is_hrpt_loaded;
extern std::atomic<uint8_t> is_qlmsdk_loaded;
extern std::atomic<uint8_t> is_cifsmgmtclient_loaded;

// Opens the library file by name and binds rows; flag becomes 1 when the
// library opened (and, with require_all, every entry point was found), else 0.
// loaded_message ("%s": the file) is logged at info level on success.
void bind_entry_points(const char* file, std::span<const BindingRow> rows, std::atomic<uint8_t>& flag,
                       const char* loaded_message, bool require_all);

// Bind the library and set its flag. Safe to call from several threads.
void load_hrpt_functions();
void load_qlmsdk_functions();
void load_cifsmgmtclient_functions();

// Code of a management library that is not available.
constexpr int VRA_ERR_LIBRARY = 40030;
