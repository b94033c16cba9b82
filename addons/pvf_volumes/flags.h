// {value, name} flag tables of the storage records, and the one routine that
// turns a flag word into the JSON array of the names of its set bits, in
// table order.
#pragma once

#include <node_api.h>

#include <cstdint>
#include <span>

struct FlagName {
  uint64_t value;
  const char* name;
};

extern const FlagName device_flag[17];
extern const FlagName raid_flag[6];
extern const FlagName partition_flag[15];
extern const FlagName pool_flag[10];

void add_flag_names_to_json(napi_env env, napi_value object, const char* key, std::span<const FlagName> table,
                            uint64_t flags);

// Under `flags` (`raidFlags` for the RAID flags).
void add_device_flags_to_json(napi_env env, napi_value object, uint64_t flags);
void add_raid_flags_to_json(napi_env env, napi_value object, uint64_t flags);
void add_partition_flags_to_json(napi_env env, napi_value object, uint64_t flags);
void add_pool_flags_to_json(napi_env env, napi_value object, uint64_t flags);

// Device flags the answers test.
enum : uint32_t {
  DEVICE_INITIALIZED = 0x1,
  DEVICE_SHARED = 0x2,
  DEVICE_GPT = 0x20,
  DEVICE_LVM_VOLUME = 0x1000,
  DEVICE_CSM = 0x800,
  DEVICE_BOOT = 0x100,
};
