// pvf_device_sphere: the server's disk devices (operations 401 to 407).
#include <strings.h>
#include <uuid/uuid.h>

#include <cstdlib>
#include <cstring>

#include "flags.h"
#include "json.h"
#include "keys.h"
#include "log.h"
#include "owned.h"
#include "reader.h"
#include "spheres.h"
#include "storage_frame.h"
#include "text.h"

namespace {

enum : uint32_t {
  kIncludeBootDevices = 0x1,
  kInitShared = 0x10000,
  kInitLocal = 0x20000,
  kInitForce = 0x1000000,
  kInitShareOverride = 0x10000000,
  kAllDevices = 0xffff,
};
constexpr int VRA_ERR_FORMAT = 40800;
constexpr int kIndexFormat = 18;  // @@invalid-device-format-type

struct DeviceData : StorageData {
  int32_t count;
  uint32_t options;
  int32_t gpt;
  uint32_t sectorSize;
  Owned<hrpt_device_record> devices;  // the list, or the one record of FetchDeviceInfo
  Owned<hrpt_device_partition_record> partitions;
  Owned<hrpt_device_pool_record> pools;
  char deviceName[HRPT_NAME_SIZE];
};

DeviceData* device_of(void* raw) { return instance_of<DeviceData>(raw); }

// ---- readers ---------------------------------------------------------------

int read_bool(napi_env env, napi_value request, InstanceData* data, const char* key, Presence presence, bool* value) {
  return read_request_key(env, request, data, key, presence,
                          [&] { return get_named_property_to_bool(env, request, key, value); }) < 0;
}

int read_device_name(napi_env env, napi_value request, DeviceData* d) {
  return read_object_name(env, request, d, device_keys[device_key::deviceName], d->deviceName);
}

int get_device_list_data(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<DeviceData*>(base);
  bool boot = false;
  if (read_storage_dn(env, request, d) ||
      read_bool(env, request, d, device_keys[device_key::bootDevice], Presence::required, &boot))
    return -1;
  if (boot) d->options |= kIncludeBootDevices;
  return 0;
}

int get_device_name_data(napi_env env, napi_value request, InstanceData* base) {
  return read_device_name(env, request, static_cast<DeviceData*>(base));
}

int get_device_info_data(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<DeviceData*>(base);
  if (read_device_name(env, request, d)) return -1;
  d->devices.reset(static_cast<hrpt_device_record*>(calloc(1, sizeof(hrpt_device_record))));
  if (!d->devices) {
    set_failure(d, VRA_ERR_NO_MEMORY, 0, "", "Memory allocation failed for device info");
    VRA_LOG_ERROR("%s", d->description);
    return -1;
  }
  copy_text(d->devices->name, d->deviceName);
  return 0;
}

int get_device_init_data(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<DeviceData*>(base);
  if (read_device_name(env, request, d)) return -1;
  const char* format_key = device_keys[device_key::format];
  char format[10] = {};
  if (read_request_key(env, request, d, format_key, Presence::required, [&] {
        return get_named_property_to_string(env, request, format_key, format, sizeof format);
      }) < 0)
    return -1;
  if (strcasecmp(format, "GPT") == 0) {
    d->gpt = 1;
  } else if (strcasecmp(format, "MSDOS") == 0) {
    d->gpt = 0;
  } else {
    set_failure(d, VRA_ERR_FORMAT, kIndexFormat, "", "Invalid device format type: %s. Use 'GPT' or 'MSDOS'", format);
    VRA_LOG_ERROR("%s", d->description);
    return -1;
  }
  bool shared = false, force = false, share_override = false;
  if (read_bool(env, request, d, device_keys[device_key::shared], Presence::required, &shared) ||
      read_bool(env, request, d, device_keys[device_key::force], Presence::optional, &force) ||
      read_bool(env, request, d, device_keys[device_key::shareOverride], Presence::optional, &share_override))
    return -1;
  d->options |= shared ? kInitShared : kInitLocal;
  if (force) d->options |= kInitForce;
  if (share_override) d->options |= kInitShareOverride;
  return 0;
}

int get_device_shared_setting_data(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<DeviceData*>(base);
  bool shared = false;
  if (read_device_name(env, request, d) ||
      read_bool(env, request, d, device_keys[device_key::shared], Presence::required, &shared))
    return -1;
  d->options = shared ? 1 : 0;
  return 0;
}

// ---- work functions ----------------------------------------------------------

void get_device_list(napi_env, void* raw) {
  DeviceData* d = device_of(raw);
  storage_work(d, Authorise::by_dn, 37, "devices", STORAGE_ENTRY(HRPT_GetDeviceListAndMetadata), [&] {
    hrpt_device_record* list = nullptr;
    int32_t rc = HRPT_GetDeviceListAndMetadata(&list, &d->count, kAllDevices);
    d->devices.reset(list);
    return rc;
  });
}

void fetch_device_info(napi_env, void* raw) {
  DeviceData* d = device_of(raw);
  storage_work(d, Authorise::by_guid, 38, d->deviceName, STORAGE_ENTRY(HRPT_GetDeviceInfo),
               [&] { return HRPT_GetDeviceInfo(d->devices.get()); });
}

void init_device(napi_env, void* raw) {
  DeviceData* d = device_of(raw);
  storage_work(d, Authorise::by_guid, 39, d->deviceName, STORAGE_ENTRY(HRPT_InitializeDisk),
               [&] { return HRPT_InitializeDisk(d->deviceName, d->gpt, d->options); });
}

void share_device(napi_env, void* raw) {
  DeviceData* d = device_of(raw);
  storage_work(d, Authorise::by_guid, 40, d->deviceName, STORAGE_ENTRY(HRPT_SetDiskShared),
               [&] { return HRPT_SetDiskShared(d->deviceName, d->options); });
}

void fetch_device_sector_size(napi_env, void* raw) {
  DeviceData* d = device_of(raw);
  storage_work(d, Authorise::by_guid, 41, d->deviceName, STORAGE_ENTRY(HRPT_GetSectorSize),
               [&] { return HRPT_GetSectorSize(d->deviceName, &d->sectorSize); });
}

void fetch_device_partitions(napi_env, void* raw) {
  DeviceData* d = device_of(raw);
  storage_work(d, Authorise::by_guid, 42, d->deviceName, STORAGE_ENTRY(HRPT_GetDevicePartitionListV2), [&] {
    hrpt_device_partition_record* list = nullptr;
    int32_t rc = HRPT_GetDevicePartitionListV2(d->deviceName, &list, &d->count);
    d->partitions.reset(list);
    return rc;
  });
}

void fetch_device_pools(napi_env, void* raw) {
  DeviceData* d = device_of(raw);
  storage_work(d, Authorise::by_guid, 43, d->deviceName, STORAGE_ENTRY(HRPT_GetDevicePoolsV2), [&] {
    hrpt_device_pool_record* list = nullptr;
    int32_t rc = HRPT_GetDevicePoolsV2(d->deviceName, &list, &d->count);
    d->pools.reset(list);
    return rc;
  });
}

// ---- answers -------------------------------------------------------------------

const char* device_format(uint32_t flags) {
  if (flags & DEVICE_INITIALIZED) return (flags & DEVICE_GPT) ? "GPT" : "MSDOS";
  if (flags & DEVICE_CSM) return "CSM";
  if (flags & DEVICE_LVM_VOLUME) return "LVM";
  return "None";
}

void device_list_json(napi_env env, napi_value o, const hrpt_device_record& r) {
  const uint64_t sector = r.logical_sector_size;
  create_string_utf8(env, o, device_keys[device_key::deviceName], r.name);
  create_string_utf8(env, o, comn_keys[comn_key::path], r.path);
  create_uint64_to_string_utf8(env, o, raid_keys[raid_key::size], r.size * sector);
  create_uint64_to_string_utf8(env, o, raid_keys[raid_key::sizeNative], r.native_size * sector);
  create_uint64_to_string_utf8(env, o, raid_keys[raid_key::freeSize], r.free_size * sector);
  create_uint64_to_string_utf8(env, o, raid_keys[raid_key::usedSize], r.used_size * sector);
  create_uint64_to_string_utf8(env, o, raid_keys[raid_key::elementSize], r.element_size);
  create_uint32(env, o, raid_keys[raid_key::major], r.major);
  create_uint32(env, o, raid_keys[raid_key::minor], r.minor);
  create_int64(env, o, raid_keys[raid_key::stripeSize], r.raid_type == 1 ? 0 : int64_t{r.stripe_size} * 512);
  create_uint32(env, o, raid_keys[raid_key::memberMap], r.member_map);
  create_uint32(env, o, raid_keys[raid_key::inactiveMap], r.inactive_map);
  create_uint32(env, o, raid_keys[raid_key::syncMap], r.sync_map);
  create_uint32(env, o, raid_keys[raid_key::logicalSectorSize], r.logical_sector_size);
  create_uint32(env, o, raid_keys[raid_key::physicalSectorSize], r.physical_sector_size);
  if (r.provisioning == 0 || r.provisioning == 2) {
    create_string_utf8(env, o, raid_keys[raid_key::provisionType], r.provisioning == 0 ? "Thick" : "Thin");
  } else if (r.raid_type == 0 || r.raid_type == 1 || r.raid_type == 5) {
    const char* type = r.raid_type == 0 ? "RAID0" : r.raid_type == 1 ? "RAID1" : "RAID5";
    create_string_utf8(env, o, raid_keys[raid_key::raidType], type);
  }
  create_uint32(env, o, raid_keys[raid_key::sectors], r.sectors);
  create_uint32(env, o, raid_keys[raid_key::heads], r.heads);
  create_uint32(env, o, raid_keys[raid_key::numberOfSegments], r.segments);
  create_uint32(env, o, raid_keys[raid_key::loadedSegments], r.loaded_segments);
  create_uint32(env, o, raid_keys[raid_key::oldSegments], r.old_segments);
  create_uint32(env, o, raid_keys[raid_key::missingSegments], r.missing_segments);
  create_uint32(env, o, raid_keys[raid_key::restripePercent], r.restripe_percent);
  create_uint32(env, o, raid_keys[raid_key::groupSync], r.group_sync);
  create_string_utf8(env, o, device_keys[device_key::format], device_format(r.flags));
  create_string_utf8(env, o, raid_keys[raid_key::deviceType], (r.flags & DEVICE_SHARED) ? "Shared" : "Local");
  add_raid_flags_to_json(env, o, r.raid_flags);
  add_device_flags_to_json(env, o, r.flags);
  char guid[37] = {};
  uuid_unparse(r.guid, guid);
  create_string_utf8(env, o, comn_keys[comn_key::guid], guid);
}

void devices_answer(napi_env env, InstanceData* base, napi_value result) {
  auto* d = static_cast<DeviceData*>(base);
  const bool include_boot = d->options & kIncludeBootDevices;
  add_records_to_json(env, result, device_keys[device_key::devices], d->devices.get(), d->count, device_list_json,
                      [&](const hrpt_device_record& r) { return include_boot || !(r.flags & DEVICE_BOOT); });
}

void device_answer(napi_env env, InstanceData* base, napi_value result) {
  auto* d = static_cast<DeviceData*>(base);
  napi_value o;
  if (napi_create_object(env, &o) != napi_ok) {
    VRA_LOG_ERROR("Failed to create object to store device info");
    return;
  }
  device_list_json(env, o, *d->devices);
  napi_set_named_property(env, result, partition_keys[partition_key::device], o);
}

void device_name_answer(napi_env env, InstanceData* base, napi_value result) {
  create_string_utf8(env, result, device_keys[device_key::deviceName], static_cast<DeviceData*>(base)->deviceName);
}

void sector_size_answer(napi_env env, InstanceData* base, napi_value result) {
  auto* d = static_cast<DeviceData*>(base);
  device_name_answer(env, d, result);
  create_uint32(env, result, device_keys[device_key::sectorSize], d->sectorSize);
}

// The partition's type name from the volume manager; the code in decimal
// when the library lacks the entry point.
void partition_type_text(uint32_t type, char* text) {
  memset(text, 0, HRPT_PART_TYPE_SIZE);
  if (HRPT_PartTypeToString != nullptr) HRPT_PartTypeToString(type, text);
  else format_text(text, HRPT_PART_TYPE_SIZE, "%u", type);
  text[HRPT_PART_TYPE_SIZE - 1] = '\0';
}

void device_partition_info_json(napi_env env, napi_value o, const hrpt_device_partition_record& r) {
  create_string_utf8(env, o, partition_keys[partition_key::partitionName], r.name);
  create_string_utf8(env, o, partition_keys[partition_key::deviceName], r.device_name);
  create_string_utf8(env, o, partition_keys[partition_key::poolName], r.pool_name);
  char type[HRPT_PART_TYPE_SIZE];
  partition_type_text(r.type, type);
  create_string_utf8(env, o, comn_keys[comn_key::type], type);
  add_partition_flags_to_json(env, o, r.flags);
  create_uint64_to_string_utf8(env, o, partition_keys[partition_key::start], r.start);
  create_uint64_to_string_utf8(env, o, partition_keys[partition_key::size], r.size * uint64_t{r.logical_sector_size});
  create_uint32(env, o, partition_keys[partition_key::logicalSectorSize], r.logical_sector_size);
  create_uint32(env, o, partition_keys[partition_key::restripePercent], r.restripe_percent);
  create_string_utf8(env, o, partition_keys[partition_key::provisionType], r.provisioning ? "Thin" : "Thick");
}

void partitions_answer(napi_env env, InstanceData* base, napi_value result) {
  auto* d = static_cast<DeviceData*>(base);
  device_name_answer(env, d, result);
  add_records_to_json(env, result, partition_keys[partition_key::partitions], d->partitions.get(), d->count,
                      device_partition_info_json);
}

void device_pool_info_json(napi_env env, napi_value o, const hrpt_device_pool_record& r) {
  create_string_utf8(env, o, pool_keys[pool_key::poolName], r.name);
  create_uint64_to_string_utf8(env, o, pool_keys[pool_key::size], r.size);
  add_pool_flags_to_json(env, o, r.flags);
  create_uint32(env, o, pool_keys[pool_key::sectorSize], r.sector_size);
}

void pools_answer(napi_env env, InstanceData* base, napi_value result) {
  auto* d = static_cast<DeviceData*>(base);
  device_name_answer(env, d, result);
  add_records_to_json(env, result, pool_keys[pool_key::pools], d->pools.get(), d->count, device_pool_info_json);
}

// A failed answer names the device it was about.
void device_failure_keys(napi_env env, InstanceData* base, napi_value result) {
  auto* d = static_cast<DeviceData*>(base);
  if (d->deviceName[0] != '\0') device_name_answer(env, d, result);
}

constexpr Operation kDeviceOperations[] = {
    {401, "FetchDevicesOnServer", "worker to list devices", get_device_list_data, get_device_list, devices_answer},
    {402, "FetchDeviceInfo", nullptr, get_device_info_data, fetch_device_info, device_answer},
    {403, "InitializeDevice", nullptr, get_device_init_data, init_device, device_name_answer},
    {404, "SetDeviceShared", nullptr, get_device_shared_setting_data, share_device, device_name_answer},
    {405, "GetDeviceSectorSize", nullptr, get_device_name_data, fetch_device_sector_size, sector_size_answer},
    {406, "GetDevicePartitionsList", nullptr, get_device_name_data, fetch_device_partitions, partitions_answer},
    {407, "GetDevicePoolsList", nullptr, get_device_name_data, fetch_device_pools, pools_answer},
};

void device_work_complete_ext(napi_env env, napi_status status, void* raw) {
  sphere_work_complete_ext(env, status, raw);
}

constexpr Sphere kDeviceSphere = {
    .name = "pvf_device_sphere",
    .area = "device",
    .allocate = allocate_instance<DeviceData>,
    .release = release_instance<DeviceData>,
    .operations = kDeviceOperations,
    .precheck = storage_precheck,
    .read_identity = read_storage_guid,
    .complete = device_work_complete_ext,
    .failure_keys = device_failure_keys,
};

}  // namespace

napi_value pvf_device_sphere(napi_env env, napi_callback_info info) {
  return run_sphere(env, info, kDeviceSphere);
}
