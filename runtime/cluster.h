// Lookups over the cluster SDK shared by the storage, cluster and server
// add-ons, and the conversion of cluster result codes into the add-ons'
// error codes. The lookups run on worker threads and write their failure
// message into the caller's buffer (message, size).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/qlmsdk.h"

// Upper-cases a 64-byte text field in place (C locale, at most 63 characters).
void make_upper_case(char* text);

// Add-on error code of a cluster SDK result: 0 stays 0, 1..30 become
// 40600..40629, anything else 40602.
int convert_qlm_code_to_napi_code(int code);
// Add-on error code of a cluster-state result of the volume manager's cluster
// calls: 2..8 become 40606..40612, 30 becomes 40629, anything else 40605.
int convert_clstr_code_to_napi_code(int code);

// The name of the node this server is (into QLM_NODE_NAME_SIZE bytes); 0 or
// an error code.
int get_current_node_info(int32_t pid, char* node_name, char* message, size_t size);
// Looks up the cluster resource of name (a 64-byte field, upper-cased in
// place); with node_name, also the node this server is. 0 or an error code.
int get_cluster_resource_and_node_info(char* name, void* record, char* node_name, char* message, size_t size);
// The cluster data of the pool named in record; 0 or an error code (40018 for
// no record or an empty pool name).
int get_cluster_info_by_poolname(qlm_pool_record* record, char* message, size_t size);

enum : int {
  VRA_ERR_BAD_VALUE = 40018,
};
