#include "cluster.h"

#include <unistd.h>

#include "binding.h"
#include "log.h"
#include "text.h"

namespace {

// Binds the cluster SDK on first need; 0, or 40030 with the message.
int ensure_qlmsdk(char* message, size_t size) {
  if (is_qlmsdk_loaded.load(std::memory_order_acquire) == 0) load_qlmsdk_functions();
  if (is_qlmsdk_loaded.load(std::memory_order_acquire) != 0) return 0;
  format_text(message, size, "QLMSDK library not available");
  VRA_LOG_ERROR("%s", message);
  return VRA_ERR_LIBRARY;
}

// An entry point the bound library lacks answers as an unavailable library.
int missing_entry(const char* name, char* message, size_t size) {
  format_text(message, size, "QLMSDK library not available");
  VRA_LOG_ERROR("%s: %s not found", message, name);
  return VRA_ERR_LIBRARY;
}

}  // namespace

int get_current_node_info(int32_t pid, char* node_name, char* message, size_t size) {
  if (int rc = ensure_qlmsdk(message, size)) return rc;
  if (QLM_NodeNumber == nullptr) return missing_entry("QLM_NodeNumber", message, size);
  if (QLM_NodeNumToName == nullptr) return missing_entry("QLM_NodeNumToName", message, size);
  uint32_t node = 0;
  if (int32_t rc = QLM_NodeNumber(&pid, &node)) {
    format_text(message, size, "Failed to get node id information");
    VRA_LOG_ERROR("%s due to error %d", message, rc);
    return convert_qlm_code_to_napi_code(rc);
  }
  if (int32_t rc = QLM_NodeNumToName(&pid, node, node_name)) {
    format_text(message, size, "Failed to get node information");
    VRA_LOG_ERROR("%s due to error %d", message, rc);
    return convert_qlm_code_to_napi_code(rc);
  }
  return 0;
}

int get_cluster_resource_and_node_info(char* name, void* record, char* node_name, char* message, size_t size) {
  if (int rc = ensure_qlmsdk(message, size)) return rc;
  if (QLM_FindResource == nullptr) return missing_entry("QLM_FindResource", message, size);
  int32_t pid = getpid();
  make_upper_case(name);
  int32_t rc = QLM_FindResource(&pid, name, 1, record);
  if (rc == QLM_RESOURCE_FOUND) return node_name != nullptr ? get_current_node_info(pid, node_name, message, size) : 0;
  format_text(message, size, "Failed to find resource for pool");
  VRA_LOG_ERROR("%s %s due to error %d", message, name, rc);
  return convert_qlm_code_to_napi_code(rc);
}

int get_cluster_info_by_poolname(qlm_pool_record* record, char* message, size_t size) {
  if (int rc = ensure_qlmsdk(message, size)) return rc;
  if (record == nullptr || record->pool_name[0] == '\0') return VRA_ERR_BAD_VALUE;
  if (QLM_GetPoolInfo == nullptr) return missing_entry("QLM_GetPoolInfo", message, size);
  int32_t rc = QLM_GetPoolInfo(record);
  if (rc != 0) {
    format_text(message, size, "Failed to get cluster info for pool");
    VRA_LOG_ERROR("%s %s due to error %d", message, record->pool_name, rc);
  }
  return convert_qlm_code_to_napi_code(rc);
}
