// The cluster SDK libqlmsdk.so: entry points shared by the add-ons (which bind
// them by name) and the testbed's stand-in. Every call but QLM_GetPoolInfo takes
// first the address of the caller's process id (32-bit); every call returns a
// 32-bit code, 0 for success. Records returned through out-pointers are
// allocated by the SDK and released by the caller with free().
#pragma once

#include <cstddef>
#include <cstdint>

// QLM_NodeNumToName writes the node's name into a buffer of this size.
constexpr size_t QLM_NODE_NAME_SIZE = 256;
// QLM_FindResource answers this when the resource exists.
constexpr int32_t QLM_RESOURCE_FOUND = 13;

// The cluster SDK's pool record (792 bytes, zero-filled by the caller, who
// writes the pool name; QLM_GetPoolInfo fills the rest).
struct qlm_pool_record {
  uint8_t reserved0[644];
  char pool_name[128];  // at most 127 bytes
  char address[20];     // the pool resource's address text
};
static_assert(sizeof(qlm_pool_record) == 792);
static_assert(offsetof(qlm_pool_record, pool_name) == 644);
static_assert(offsetof(qlm_pool_record, address) == 772);

// Entry points of libqlmsdk.so, in binding-table order: X(result, name, parameters).
// A parameter list of (...) stands for an entry point whose signature is fixed
// by the area that first calls it; until then it is bound but never called.
#define QLMSDK_ENTRY_POINTS(X) \
  X(int32_t, QLM_Register, (...)) \
  X(int32_t, QLM_Deregister, (...)) \
  X(int32_t, QLM_ResourceControl, (...)) \
  X(int32_t, QLM_Query_Epoch, (...)) \
  X(int32_t, QLM_Lock, (...)) \
  X(int32_t, QLM_TryLock, (...)) \
  X(int32_t, QLM_UnLock, (...)) \
  X(int32_t, QLM_NumPools, (...)) \
  X(int32_t, QLM_WherePools, (...)) \
  X(int32_t, QLM_WhatVolumes, (...)) \
  X(int32_t, QLM_NumVolumeObjects, (...)) \
  X(int32_t, QLM_WhereVolumeObjects, (...)) \
  X(int32_t, QLM_WhatVolumeObjects, (...)) \
  X(int32_t, QLM_ClusterIPAddress, (...)) \
  X(int32_t, QLM_ClusterIPAddressAndPort, (...)) \
  X(int32_t, QLM_NodeNumber, (int32_t* pid, uint32_t* node)) \
  X(int32_t, QLM_MyNodeIPAddress, (...)) \
  X(int32_t, QLM_MyNodeResourcesCount, (...)) \
  X(int32_t, QLM_ClusterName, (...)) \
  X(int32_t, QLM_NodeNumToName, (int32_t* pid, uint32_t node, char* name)) \
  X(int32_t, QLM_NumberResources, (...)) \
  X(int32_t, QLM_ListResources, (...)) \
  X(int32_t, QLM_ReadResource, (...)) \
  X(int32_t, QLM_ListNodes, (...)) \
  X(int32_t, QLM_FindResource, (int32_t* pid, const char* name, int32_t flag, void* record)) \
  X(int32_t, QLM_IsVirtualServer, (...)) \
  X(int32_t, QLM_FindVirtualServer, (...)) \
  X(int32_t, QLM_MaintenanceMode, (...)) \
  X(int32_t, QLM_Rebuild_Database, (...)) \
  X(int32_t, QLM_Rexec, (...)) \
  X(int32_t, QLM_ClusterDN, (...)) \
  X(int32_t, QLM_GetPoolInfo, (qlm_pool_record* record)) \
  X(int32_t, QLM_GetBasicClusterConfiguration, (...)) \
  X(int32_t, QLM_GetClusterConfigurationByType, (...)) \
  X(int32_t, QLM_SetClusterConfigurationByType, (...)) \
  X(int32_t, QLM_NumNodesJoined, (...)) \
  X(int32_t, QLM_ListNodesAndGetStatusFromSBD, (...)) \
  X(int32_t, QLM_ExecuteResourceAction, (...)) \
  X(int32_t, QLM_GetResourcesInformation, (...)) \
  X(int32_t, QLM_GetResourceConfigurationByType, (...)) \
  X(int32_t, QLM_SetResourceConfigurationByType, (...)) \
  X(int32_t, QLM_CreateResource, (...)) \
  X(int32_t, QLM_ListTemplates, (...)) \
  X(int32_t, QLM_AutoRepairCluster, (...)) \
  X(int32_t, QLM_RunReport, (...)) \
  X(int32_t, QLM_GetEventLogs, (...))
