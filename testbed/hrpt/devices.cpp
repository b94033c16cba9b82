// The volume-manager stand-in's device model. State (state/hrpt.json):
//   {"devices": [{"name": "sdb", "path": "/dev/sdb", "size": 20971520,
//     "nativeSize", "freeSize", "usedSize" (logical sectors), "flags": 51,
//     "major", "minor", "sectors", "heads", "raidType", "segments",
//     "loadedSegments", "oldSegments", "raidFlags", "restripePercent",
//     "groupSync", "missingSegments", "elementSize", "stripeSize",
//     "memberMap", "inactiveMap", "syncMap", "guid": "8-4-4-4-12 hex",
//     "logicalSectorSize": 512, "physicalSectorSize": 4096, "provisioning": 0,
//     "partitions": [{"name", "pool", "type", "flags", "start", "size",
//                     "restripePercent", "logicalSectorSize", "provisioning"}],
//     "pools": [{"name", "size", "flags", "sectorSize"}]}]}
// Lists are allocated with malloc for the caller to free. An unknown device
// answers kNoSuchDevice.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/hrpt.h"
#include "testbed.h"

namespace {

using testbed::json;
constexpr const char* kLibrary = "hrpt";
constexpr int32_t kNoSuchDevice = 23301;

enum : uint32_t {
  kInitialized = 0x1, kShared = 0x2, kGpt = 0x20, kMsdos = 0x40,
  kInitShared = 0x10000, kInitLocal = 0x20000,
};

template <class T>
T number(const json& o, const char* key) {
  auto v = o.find(key);
  return v != o.end() && v->is_number() ? v->get<T>() : T{};
}

std::string text(const json& o, const char* key) {
  auto v = o.find(key);
  return v != o.end() && v->is_string() ? v->get<std::string>() : std::string();
}

void put(char* field, size_t size, const std::string& value) { snprintf(field, size, "%s", value.c_str()); }

void parse_guid(const std::string& s, uint8_t* out) {
  std::string hex;
  for (char c : s)
    if (isxdigit(static_cast<unsigned char>(c))) hex += c;
  for (size_t i = 0; i < 16 && 2 * i + 1 < hex.size(); ++i)
    out[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
}

void fill_device(const json& d, hrpt_device_record& r) {
  memset(&r, 0, sizeof r);
  put(r.name, sizeof r.name, text(d, "name"));
  put(r.path, sizeof r.path, text(d, "path"));
  r.size = number<uint64_t>(d, "size");
  r.native_size = number<uint64_t>(d, "nativeSize");
  r.free_size = number<uint64_t>(d, "freeSize");
  r.used_size = number<uint64_t>(d, "usedSize");
  r.flags = number<uint32_t>(d, "flags");
  r.major = number<uint32_t>(d, "major");
  r.minor = number<uint32_t>(d, "minor");
  r.sectors = number<uint16_t>(d, "sectors");
  r.heads = number<uint16_t>(d, "heads");
  r.raid_type = number<uint8_t>(d, "raidType");
  r.segments = number<uint8_t>(d, "segments");
  r.loaded_segments = number<uint8_t>(d, "loadedSegments");
  r.old_segments = number<uint8_t>(d, "oldSegments");
  r.raid_flags = number<uint8_t>(d, "raidFlags");
  r.restripe_percent = number<uint8_t>(d, "restripePercent");
  r.group_sync = number<uint8_t>(d, "groupSync");
  r.missing_segments = number<uint32_t>(d, "missingSegments");
  r.element_size = number<uint64_t>(d, "elementSize");
  r.stripe_size = number<uint32_t>(d, "stripeSize");
  r.member_map = number<uint32_t>(d, "memberMap");
  r.inactive_map = number<uint32_t>(d, "inactiveMap");
  r.sync_map = number<uint32_t>(d, "syncMap");
  parse_guid(text(d, "guid"), r.guid);
  r.logical_sector_size = number<uint32_t>(d, "logicalSectorSize");
  r.physical_sector_size = number<uint32_t>(d, "physicalSectorSize");
  r.provisioning = number<uint8_t>(d, "provisioning");
}

json devices() {
  json state = testbed::read_state(kLibrary);
  auto list = state.find("devices");
  return list != state.end() && list->is_array() ? *list : json::array();
}

const json* find_device(const json& list, const char* name) {
  for (const json& d : list)
    if (d.is_object() && name != nullptr && text(d, "name") == name) return &d;
  return nullptr;
}

// Changes one device's flags in the state; false when there is no such device.
template <class Change>
bool change_device(const char* name, Change change) {
  bool found = false;
  testbed::with_state(kLibrary, [&](json& state) {
    auto list = state.find("devices");
    if (list == state.end() || !list->is_array()) return;
    for (json& d : *list) {
      if (!d.is_object() || name == nullptr || text(d, "name") != name) continue;
      uint32_t flags = number<uint32_t>(d, "flags");
      change(flags);
      d["flags"] = flags;
      found = true;
    }
  });
  return found;
}

template <class Record, class Fill>
Record* make_list(const json& items, int32_t* count, Fill fill) {
  const size_t n = items.is_array() ? items.size() : 0;
  auto* list = static_cast<Record*>(calloc(n ? n : 1, sizeof(Record)));
  for (size_t i = 0; i < n; ++i) fill(items[i], list[i]);
  *count = static_cast<int32_t>(n);
  return list;
}

// A request about one named device: journaled, faults applied, kNoSuchDevice
// for an unknown name; otherwise answer(device) gives the result.
template <class Answer>
int32_t on_device(const char* entry, const char* name, json args, Answer answer) {
  testbed::Call call(kLibrary, entry, std::move(args));
  if (auto injected = call.injected()) return call.finish(*injected);
  json list = devices();
  const json* d = find_device(list, name);
  return call.finish(d == nullptr ? kNoSuchDevice : answer(*d));
}

}  // namespace

extern "C" TESTBED_EXPORT int32_t HRPT_GetDeviceListAndMetadata(hrpt_device_record** list, int32_t* count,
                                                                uint32_t mask) {
  testbed::Call call(kLibrary, "HRPT_GetDeviceListAndMetadata", {{"mask", mask}});
  if (auto injected = call.injected()) return call.finish(*injected);
  *list = make_list<hrpt_device_record>(devices(), count, fill_device);
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t HRPT_GetDeviceInfo(hrpt_device_record* record) {
  std::string name = record ? std::string(record->name, strnlen(record->name, sizeof record->name)) : "";
  return on_device("HRPT_GetDeviceInfo", name.c_str(), {{"name", name}}, [&](const json& d) {
    fill_device(d, *record);
    return 0;
  });
}

extern "C" TESTBED_EXPORT int32_t HRPT_InitializeDisk(const char* name, int32_t gpt, uint32_t options) {
  testbed::Call call(kLibrary, "HRPT_InitializeDisk", {{"name", name ? name : ""}, {"gpt", gpt}, {"options", options}});
  if (auto injected = call.injected()) return call.finish(*injected);
  bool found = change_device(name, [&](uint32_t& flags) {
    flags = (flags & ~(kGpt | kMsdos)) | kInitialized | (gpt ? kGpt : kMsdos);
    if (options & kInitShared) flags |= kShared;
    if (options & kInitLocal) flags &= ~kShared;
  });
  return call.finish(found ? 0 : kNoSuchDevice);
}

extern "C" TESTBED_EXPORT int32_t HRPT_SetDiskShared(const char* name, uint32_t shared) {
  testbed::Call call(kLibrary, "HRPT_SetDiskShared", {{"name", name ? name : ""}, {"shared", shared}});
  if (auto injected = call.injected()) return call.finish(*injected);
  bool found = change_device(name, [&](uint32_t& flags) { flags = shared ? (flags | kShared) : (flags & ~kShared); });
  return call.finish(found ? 0 : kNoSuchDevice);
}

extern "C" TESTBED_EXPORT int32_t HRPT_GetSectorSize(const char* name, uint32_t* sector_size) {
  return on_device("HRPT_GetSectorSize", name, {{"name", name ? name : ""}}, [&](const json& d) {
    *sector_size = number<uint32_t>(d, "logicalSectorSize");
    return 0;
  });
}

extern "C" TESTBED_EXPORT int32_t HRPT_GetDevicePartitionListV2(const char* name, hrpt_device_partition_record** list,
                                                                int32_t* count) {
  return on_device("HRPT_GetDevicePartitionListV2", name, {{"name", name ? name : ""}}, [&](const json& d) {
    *list = make_list<hrpt_device_partition_record>(d.value("partitions", json::array()), count,
                                                    [&](const json& p, hrpt_device_partition_record& r) {
                                                      put(r.name, sizeof r.name, text(p, "name"));
                                                      put(r.device_name, sizeof r.device_name, name);
                                                      put(r.pool_name, sizeof r.pool_name, text(p, "pool"));
                                                      r.type = number<uint32_t>(p, "type");
                                                      r.flags = number<uint32_t>(p, "flags");
                                                      r.start = number<uint64_t>(p, "start");
                                                      r.size = number<uint64_t>(p, "size");
                                                      r.restripe_percent = number<uint8_t>(p, "restripePercent");
                                                      r.logical_sector_size = number<uint32_t>(p, "logicalSectorSize");
                                                      r.provisioning = number<uint8_t>(p, "provisioning");
                                                    });
    return 0;
  });
}

extern "C" TESTBED_EXPORT int32_t HRPT_GetDevicePoolsV2(const char* name, hrpt_device_pool_record** list,
                                                        int32_t* count) {
  return on_device("HRPT_GetDevicePoolsV2", name, {{"name", name ? name : ""}}, [&](const json& d) {
    *list = make_list<hrpt_device_pool_record>(d.value("pools", json::array()), count,
                                               [&](const json& p, hrpt_device_pool_record& r) {
                                                 put(r.name, sizeof r.name, text(p, "name"));
                                                 r.size = number<uint64_t>(p, "size");
                                                 r.flags = number<uint32_t>(p, "flags");
                                                 r.sector_size = number<uint32_t>(p, "sectorSize");
                                               });
    return 0;
  });
}

extern "C" TESTBED_EXPORT int32_t HRPT_PartTypeToString(uint32_t type, char* out) {
  testbed::Call call(kLibrary, "HRPT_PartTypeToString", {{"type", type}});
  const char* name = type == 0x83 ? "Linux" : type == 0x82 ? "Linux swap" : type == 0xfd ? "Linux raid autodetect"
                   : type == 0x8e ? "Linux LVM" : type == 0xef ? "EFI System" : type == 0x69 ? "PVF" : "Unknown";
  if (out != nullptr) snprintf(out, HRPT_PART_TYPE_SIZE, "%s", name);
  return call.finish(0);
}
