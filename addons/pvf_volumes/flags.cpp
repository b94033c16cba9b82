#include "flags.h"

#include <iterator>

#include "json.h"
#include "keys.h"
#include "log.h"

const FlagName device_flag[] = {
    {0x1, "INITIALIZED"}, {0x2, "SHARED"},       {0x4, "RAID"},      {0x8, "MIRROR"},      {0x10, "ENABLED"},
    {0x20, "GPT"},        {0x40, "MSDOS"},       {0x80, "LVM"},      {0x100, "BOOT_DEVICE"}, {0x200, "SWAP"},
    {0x400, "MULTIPATH"}, {0x800, "CSM"},        {0x1000, "LVM_VOLUME"}, {0x2000, "RAID0"}, {0x4000, "NO_DELETE"},
    {0x8000, "INVALID"},  {0x10000, "SCSI_LBA"},
};
static_assert(std::size(device_flag) == 17);

const FlagName raid_flag[] = {
    {0x1, "ENABLED"}, {0x2, "RESTRIPING"}, {0x4, "DEACTIVE"}, {0x8, "SHARED"}, {0x10, "SUSPEND"}, {0x20, "PAUSED"},
};
static_assert(std::size(raid_flag) == 6);

const FlagName partition_flag[] = {
    {0x1, "FREE PARTITION"}, {0x2, "SHARED"},         {0x4, "RAID"},     {0x8, "HAS_POOL"},  {0x10, "ACTIVE"},
    {0x20, "INSYNC"},        {0x40, "LOGICAL"},       {0x80, "LVM"},     {0x100, "BOOT_PARTITION"},
    {0x200, "EXPANDABLE"},   {0x400, "HAS QN_PARTITION"}, {0x800, "MOVE"}, {0x1000, "DM"},     {0x2000, "NO_ADJUST"},
    {0x4000, "NO_DELETE"},
};
static_assert(std::size(partition_flag) == 15);

const FlagName pool_flag[] = {
    {0x2, "SHARED"}, {0x4, "MOUNTED"}, {0x8, "SNAPSHOT"}, {0x10, "HAS_SNAPSHOT"}, {0x80, "LVM"},
    {0x100, "MOVE"}, {0x200, "64BIT"}, {0x1000, "AD_ENABLED"}, {0x2000, "ADISCARD_ENABLED"}, {0x8000, "INVALID"},
};
static_assert(std::size(pool_flag) == 10);

void add_flag_names_to_json(napi_env env, napi_value object, const char* key, std::span<const FlagName> table,
                            uint64_t flags) {
  napi_value array;
  if (napi_create_array(env, &array) != napi_ok) {
    VRA_LOG_ERROR("Failed to create array to store %s", key);
    return;
  }
  uint32_t index = 0;
  for (const FlagName& row : table)
    if (flags & row.value) add_string_to_array(env, row.name, index++, array);
  if (napi_set_named_property(env, object, key, array) != napi_ok) VRA_LOG_ERROR("Failed to set %s", key);
}

void add_device_flags_to_json(napi_env env, napi_value object, uint64_t flags) {
  add_flag_names_to_json(env, object, comn_keys[comn_key::flags], device_flag, flags);
}

void add_raid_flags_to_json(napi_env env, napi_value object, uint64_t flags) {
  add_flag_names_to_json(env, object, raid_keys[raid_key::raidFlags], raid_flag, flags);
}

void add_partition_flags_to_json(napi_env env, napi_value object, uint64_t flags) {
  add_flag_names_to_json(env, object, comn_keys[comn_key::flags], partition_flag, flags);
}

void add_pool_flags_to_json(napi_env env, napi_value object, uint64_t flags) {
  add_flag_names_to_json(env, object, comn_keys[comn_key::flags], pool_flag, flags);
}
