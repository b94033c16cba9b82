// Stand-in of the cluster SDK libqlmsdk.so. State (state/qlmsdk.json):
//   {"node": {"number": 1, "name": "vra-node1"},
//    "resources": ["POOL1_SERVER", ...],                 names as the SDK keeps them
//    "pools": {"POOL1": {"address": "192.0.2.10"}}}
// Served: QLM_NodeNumber, QLM_NodeNumToName, QLM_FindResource (13 when the
// resource exists, kNotFound otherwise), QLM_GetPoolInfo. The rest of the
// binding table answers kUnimplemented (stubs.cpp).
#include <cstring>
#include <string>

#include "platform/qlmsdk.h"
#include "testbed.h"

namespace {

using testbed::json;
constexpr const char* kLibrary = "qlmsdk";
constexpr int32_t kNotFound = 5;

json section(const char* key) {
  json state = testbed::read_state(kLibrary);
  auto v = state.find(key);
  return v == state.end() ? json() : *v;
}

}  // namespace

extern "C" TESTBED_EXPORT int32_t QLM_NodeNumber(int32_t* pid, uint32_t* node) {
  testbed::Call call(kLibrary, "QLM_NodeNumber", {{"pid", pid ? *pid : 0}});
  if (auto injected = call.injected()) return call.finish(*injected);
  json n = section("node");
  if (!n.is_object() || node == nullptr) return call.finish(kNotFound);
  *node = n.value("number", 0u);
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t QLM_NodeNumToName(int32_t* pid, uint32_t node, char* name) {
  testbed::Call call(kLibrary, "QLM_NodeNumToName", {{"pid", pid ? *pid : 0}, {"node", node}});
  if (auto injected = call.injected()) return call.finish(*injected);
  json n = section("node");
  if (!n.is_object() || name == nullptr || n.value("number", 0u) != node) return call.finish(kNotFound);
  std::string text = n.value("name", std::string());
  snprintf(name, QLM_NODE_NAME_SIZE, "%s", text.c_str());
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t QLM_FindResource(int32_t* pid, const char* name, int32_t flag, void* record) {
  testbed::Call call(kLibrary, "QLM_FindResource", {{"pid", pid ? *pid : 0}, {"name", name ? name : ""}, {"flag", flag}});
  if (auto injected = call.injected()) return call.finish(*injected);
  json resources = section("resources");
  if (resources.is_array() && name != nullptr)
    for (const json& r : resources)
      if (r.is_string() && r.get<std::string>() == name) return call.finish(QLM_RESOURCE_FOUND);
  return call.finish(kNotFound);
}

extern "C" TESTBED_EXPORT int32_t QLM_GetPoolInfo(qlm_pool_record* record) {
  std::string pool = record ? std::string(record->pool_name, strnlen(record->pool_name, sizeof record->pool_name)) : "";
  testbed::Call call(kLibrary, "QLM_GetPoolInfo", {{"poolName", pool}});
  if (auto injected = call.injected()) return call.finish(*injected);
  json pools = section("pools");
  if (!pools.is_object() || !pools.contains(pool) || !pools[pool].is_object()) return call.finish(kNotFound);
  std::string address = pools[pool].value("address", std::string());
  snprintf(record->address, sizeof record->address, "%s", address.c_str());
  return call.finish(0);
}
