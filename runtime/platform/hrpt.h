// The volume-manager library libhrpt.so: entry points and constants shared by
// the add-ons (which bind them by name) and the testbed's stand-in.
#pragma once

#include <cstddef>
#include <cstdint>

// HRPT_Lock mode taken around every volume-manager operation.
constexpr uint32_t HRPT_LOCK_MODE = 0x10000022;

// HRPT_Open(0, &handle): the handle is opaque to the add-ons.
using hrpt_handle_t = uint64_t;

// Object names in the records: at most 63 bytes and a terminator.
constexpr size_t HRPT_NAME_SIZE = 64;

// A device, from HRPT_GetDeviceListAndMetadata (array) and HRPT_GetDeviceInfo
// (one record, whose name the caller sets). Sizes count logical sectors.
struct hrpt_device_record {
  char name[64];
  char path[128];
  uint64_t size;
  uint64_t native_size;
  uint64_t free_size;
  uint64_t used_size;
  uint32_t flags;  // device flags
  uint32_t major;
  uint32_t minor;
  uint16_t sectors;  // per track
  uint16_t heads;
  uint8_t reserved0[2];
  uint8_t raid_type;  // 0 RAID0, 1 RAID1 (mirror), 5 RAID5
  uint8_t segments;
  uint8_t loaded_segments;
  uint8_t old_segments;
  uint8_t raid_flags;
  uint8_t restripe_percent;
  uint8_t group_sync;
  uint8_t reserved1[7];
  uint32_t missing_segments;
  uint8_t reserved2[4];
  uint64_t element_size;
  uint32_t stripe_size;  // in 512-byte units
  uint32_t member_map;
  uint32_t inactive_map;
  uint32_t sync_map;
  uint8_t guid[16];
  uint32_t logical_sector_size;
  uint32_t physical_sector_size;
  uint8_t provisioning;  // 0 thick, 2 thin, any other value a RAID device
  uint8_t reserved3[7];
};
static_assert(sizeof(hrpt_device_record) == 320);
static_assert(offsetof(hrpt_device_record, path) == 64);
static_assert(offsetof(hrpt_device_record, size) == 192);
static_assert(offsetof(hrpt_device_record, native_size) == 200);
static_assert(offsetof(hrpt_device_record, free_size) == 208);
static_assert(offsetof(hrpt_device_record, used_size) == 216);
static_assert(offsetof(hrpt_device_record, flags) == 224);
static_assert(offsetof(hrpt_device_record, major) == 228);
static_assert(offsetof(hrpt_device_record, minor) == 232);
static_assert(offsetof(hrpt_device_record, sectors) == 236);
static_assert(offsetof(hrpt_device_record, heads) == 238);
static_assert(offsetof(hrpt_device_record, raid_type) == 242);
static_assert(offsetof(hrpt_device_record, segments) == 243);
static_assert(offsetof(hrpt_device_record, loaded_segments) == 244);
static_assert(offsetof(hrpt_device_record, old_segments) == 245);
static_assert(offsetof(hrpt_device_record, raid_flags) == 246);
static_assert(offsetof(hrpt_device_record, restripe_percent) == 247);
static_assert(offsetof(hrpt_device_record, group_sync) == 248);
static_assert(offsetof(hrpt_device_record, missing_segments) == 256);
static_assert(offsetof(hrpt_device_record, element_size) == 264);
static_assert(offsetof(hrpt_device_record, stripe_size) == 272);
static_assert(offsetof(hrpt_device_record, member_map) == 276);
static_assert(offsetof(hrpt_device_record, inactive_map) == 280);
static_assert(offsetof(hrpt_device_record, sync_map) == 284);
static_assert(offsetof(hrpt_device_record, guid) == 288);
static_assert(offsetof(hrpt_device_record, logical_sector_size) == 304);
static_assert(offsetof(hrpt_device_record, physical_sector_size) == 308);
static_assert(offsetof(hrpt_device_record, provisioning) == 312);

// A partition of a device, from HRPT_GetDevicePartitionListV2 (array).
struct hrpt_device_partition_record {
  char name[64];
  char device_name[64];
  char pool_name[64];
  uint8_t reserved0[208];
  uint32_t type;   // partition type code
  uint32_t flags;  // partition flags
  uint64_t start;
  uint64_t size;   // in logical sectors
  uint8_t reserved1[17];
  uint8_t restripe_percent;
  uint8_t reserved2[2];
  uint32_t logical_sector_size;
  uint8_t provisioning;  // non-zero: thin
  uint8_t reserved3[7];
};
static_assert(sizeof(hrpt_device_partition_record) == 456);
static_assert(offsetof(hrpt_device_partition_record, device_name) == 64);
static_assert(offsetof(hrpt_device_partition_record, pool_name) == 128);
static_assert(offsetof(hrpt_device_partition_record, type) == 400);
static_assert(offsetof(hrpt_device_partition_record, flags) == 404);
static_assert(offsetof(hrpt_device_partition_record, start) == 408);
static_assert(offsetof(hrpt_device_partition_record, size) == 416);
static_assert(offsetof(hrpt_device_partition_record, restripe_percent) == 441);
static_assert(offsetof(hrpt_device_partition_record, logical_sector_size) == 444);
static_assert(offsetof(hrpt_device_partition_record, provisioning) == 448);

// A pool on a device, from HRPT_GetDevicePoolsV2 (array): the plain pool record.
struct hrpt_device_pool_record {
  char name[64];
  uint8_t reserved0[192];
  uint64_t size;
  uint8_t reserved1[40];
  uint32_t flags;  // pool flags
  uint8_t reserved2[8];
  uint32_t sector_size;
  uint8_t reserved3[80];
};
static_assert(sizeof(hrpt_device_pool_record) == 400);
static_assert(offsetof(hrpt_device_pool_record, size) == 256);
static_assert(offsetof(hrpt_device_pool_record, flags) == 304);
static_assert(offsetof(hrpt_device_pool_record, sector_size) == 316);

// HRPT_PartTypeToString writes into a buffer of this size.
constexpr size_t HRPT_PART_TYPE_SIZE = 64;

// Entry points of libhrpt.so, in binding-table order: X(result, name, parameters).
// A parameter list of (...) stands for an entry point whose signature is fixed
// by the area that first calls it; until then it is bound but never called.
#define HRPT_ENTRY_POINTS(X) \
  X(int32_t, HRPT_Open, (int32_t flags, void* handle)) \
  X(int32_t, HRPT_Close, (void)) \
  X(int32_t, HRPT_Lock, (uint32_t mode)) \
  X(int32_t, HRPT_Unlock, (...)) \
  X(int32_t, HRPT_Refresh, (...)) \
  X(int32_t, HRPT_RepairFromFile, (...)) \
  X(int32_t, HRPT_GetUserSupervisorPrivilegeData, (uint32_t* uid, int32_t* privilege)) \
  X(int32_t, HRPT_InitializeDisk, (const char* name, int32_t gpt, uint32_t options)) \
  X(int32_t, HRPT_InitializeDiskGPT, (...)) \
  X(int32_t, HRPT_SetDiskShared, (const char* name, uint32_t shared)) \
  X(int32_t, HRPT_GetDeviceList, (...)) \
  X(int32_t, HRPT_GetDeviceInfo, (hrpt_device_record* record)) \
  X(int32_t, HRPT_GetSectorSize, (const char* name, uint32_t* sector_size)) \
  X(int32_t, HRPT_GetDeviceListAndMetadata, (hrpt_device_record** list, int32_t* count, uint32_t mask)) \
  X(int32_t, HRPT_ValidateDevice, (...)) \
  X(int32_t, HRPT_GetDevicePartitionList, (...)) \
  X(int32_t, HRPT_GetDevicePartitionListV2, (const char* name, hrpt_device_partition_record** list, int32_t* count)) \
  X(int32_t, HRPT_GetDevicePools, (...)) \
  X(int32_t, HRPT_GetDevicePoolsV2, (const char* name, hrpt_device_pool_record** list, int32_t* count)) \
  X(int32_t, HRPT_CreatePartition, (...)) \
  X(int32_t, HRPT_ExpandPartition, (...)) \
  X(int32_t, HRPT_DeletePartition, (...)) \
  X(int32_t, HRPT_ModifyLabel, (...)) \
  X(int32_t, HRPT_GetPartitionList, (...)) \
  X(int32_t, HRPT_GetPartitionInfo, (...)) \
  X(int32_t, HRPT_GetPartitionListAndMetadata, (...)) \
  X(int32_t, HRPT_EnableCacheToPool, (...)) \
  X(int32_t, HRPT_DisableCacheFromPool, (...)) \
  X(int32_t, HRPT_SyncPoolCache, (...)) \
  X(int32_t, HRPT_CreatePoolWithPartition, (...)) \
  X(int32_t, HRPT_CreatePool, (...)) \
  X(int32_t, HRPT_DeletePool, (...)) \
  X(int32_t, HRPT_ExpandPoolWithPartition, (...)) \
  X(int32_t, HRPT_ExpandPool, (...)) \
  X(int32_t, HRPT_RenamePool, (...)) \
  X(int32_t, HRPT_MountPool, (...)) \
  X(int32_t, HRPT_DismountAllVolumesFromPool, (...)) \
  X(int32_t, HRPT_UnmountPool, (...)) \
  X(int32_t, HRPT_UnmountCacheEnabledPool, (...)) \
  X(int32_t, HRPT_GetPoolList, (...)) \
  X(int32_t, HRPT_GetNextPoolName, (...)) \
  X(int32_t, HRPT_GetPoolInfo, (...)) \
  X(int32_t, HRPT_GetPoolState, (...)) \
  X(int32_t, HRPT_GetFstrimState, (...)) \
  X(int32_t, HRPT_ChangePoolState, (...)) \
  X(int32_t, HRPT_IsPoolNameAcceptable, (...)) \
  X(int32_t, HRPT_GetPoolDeviceList, (...)) \
  X(int32_t, HRPT_GetVolumesOnPool, (...)) \
  X(int32_t, HRPT_MovePool, (...)) \
  X(int32_t, HRPT_DeleteMovePool, (...)) \
  X(int32_t, HRPT_GetMoveList, (...)) \
  X(int32_t, HRPT_GetMoveInfo, (...)) \
  X(int32_t, HRPT_GetPoolSnapshotFlags, (...)) \
  X(int32_t, HRPT_GetGroupInfo, (...)) \
  X(int32_t, HRPT_FstrimPool, (...)) \
  X(int32_t, HRPT_UpgradePoolMediaFormat, (...)) \
  X(int32_t, HRPT_ModifyPoolAutoDiscard, (...)) \
  X(int32_t, HRPT_GetPoolListAndMetadata, (...)) \
  X(int32_t, HRPT_CreatePoolV2, (...)) \
  X(int32_t, HRPT_ExpandPoolV2, (...)) \
  X(int32_t, HRPT_ModifyPoolWaterMark, (...)) \
  X(int32_t, HRPT_GetPoolExtMetadata, (...)) \
  X(int32_t, HRPT_UpgradePoolMediaFormatV2, (...)) \
  X(int32_t, HRPT_GetDeletedVolumesOnPool, (...)) \
  X(int32_t, HRPT_PoolADJoin, (...)) \
  X(int32_t, HRPT_MovePoolV2, (...)) \
  X(int32_t, HRPT_GetPoolDeviceListV2, (...)) \
  X(int32_t, HRPT_GetPoolAutoDiscardState, (...)) \
  X(int32_t, HRPT_IsPoolReadyForADJoin, (...)) \
  X(int32_t, HRPT_CreateVolume, (...)) \
  X(int32_t, HRPT_CreateVolume2, (...)) \
  X(int32_t, HRPT_DeleteVolume, (...)) \
  X(int32_t, HRPT_RenameVolume, (...)) \
  X(int32_t, HRPT_GetVolumeList, (...)) \
  X(int32_t, HRPT_GetVolumeInfo, (...)) \
  X(int32_t, HRPT_GetVolumeState, (...)) \
  X(int32_t, HRPT_GetDeletedVolumeInfo, (...)) \
  X(int32_t, HRPT_DeletedVolumeAction, (...)) \
  X(int32_t, HRPT_GetVolumeHostPool, (...)) \
  X(int32_t, HRPT_ChangeVolumeInfo, (...)) \
  X(int32_t, HRPT_ChangeVolumeState, (...)) \
  X(int32_t, HRPT_GetCompressionStats, (...)) \
  X(int32_t, HRPT_nameStringToID, (...)) \
  X(int32_t, HRPT_GetVolumeListAndMetadataOnServer, (...)) \
  X(int32_t, HRPT_GetVolumeListAndMetadataOnPool, (...)) \
  X(int32_t, HRPT_DeletedVolumeActionV2, (...)) \
  X(int32_t, HRPT_GetMRQVolumePairList, (...)) \
  X(int32_t, HRPT_CreateLinuxVolume, (...)) \
  X(int32_t, HRPT_DeleteLinuxVolume, (...)) \
  X(int32_t, HRPT_GetLinuxVolumeList, (...)) \
  X(int32_t, HRPT_GetLinuxVolumeFSTypes, (...)) \
  X(int32_t, HRPT_ChangeLinuxMount, (...)) \
  X(int32_t, HRPT_ChangeLinuxState, (...)) \
  X(int32_t, HRPT_ValidateMountpoint, (...)) \
  X(int32_t, HRPT_CreateVSSD, (...)) \
  X(int32_t, HRPT_DeleteVSSD, (...)) \
  X(int32_t, HRPT_ExpandVSSD, (...)) \
  X(int32_t, HRPT_RenameVSSD, (...)) \
  X(int32_t, HRPT_GetVssdPartitionList, (...)) \
  X(int32_t, CheckListForDuplicateDevice, (...)) \
  X(int32_t, HRPT_CreateRaid, (...)) \
  X(int32_t, HRPT_CreateRaidWithPartition, (...)) \
  X(int32_t, HRPT_DeleteRaid, (...)) \
  X(int32_t, HRPT_DeleteRaidV2, (...)) \
  X(int32_t, HRPT_ExpandRaid, (...)) \
  X(int32_t, HRPT_ValidateDeviceAndExpandRaid, (...)) \
  X(int32_t, HRPT_RemoveRaidPartition, (...)) \
  X(int32_t, HRPT_GetRaidPartitionList, (...)) \
  X(int32_t, HRPT_RestripeRaid, (...)) \
  X(int32_t, HRPT_RenameRaid, (...)) \
  X(int32_t, HRPT_RemoveMirror, (...)) \
  X(int32_t, HRPT_RaidCommand, (...)) \
  X(int32_t, HRPT_GetRaidInfoWithPoolandPartList, (...)) \
  X(int32_t, HRPT_GetRaidListWithPoolandPartList, (...)) \
  X(int32_t, HRPT_GetPoolsOnRaid, (...)) \
  X(int32_t, HRPT_AddPoolToYQR, (...)) \
  X(int32_t, HRPT_RemovePoolFromYQR, (...)) \
  X(int32_t, HRPT_GetPoolYQRName, (...)) \
  X(int32_t, HRPT_GetPoolYQRObject, (...)) \
  X(int32_t, HRPT_RenamePoolYQRObject, (...)) \
  X(int32_t, HRPT_GetServerNameFromYQR, (...)) \
  X(int32_t, HRPT_GetVolumeYQRName, (...)) \
  X(int32_t, HRPT_AddVolumeToYQR, (...)) \
  X(int32_t, HRPT_GetVTXServerName, (...)) \
  X(int32_t, HRPT_UpdatePoolYQR, (...)) \
  X(int32_t, HRPT_UpdateVolumeYQR, (...)) \
  X(int32_t, HRPT_RemoveVolumeFromYQR, (...)) \
  X(int32_t, HRPT_RemoveVolumeFromVLDB, (...)) \
  X(int32_t, IPCGetMRQPairList, (...)) \
  X(int32_t, HRPT_CreateSnapshot, (...)) \
  X(int32_t, HRPT_CreateSnapshotWithPartition, (...)) \
  X(int32_t, HRPT_DeleteSnapshot, (...)) \
  X(int32_t, HRPT_GetSnapshotList, (...)) \
  X(int32_t, HRPT_GetSnapshotInfo, (...)) \
  X(int32_t, HRPT_ChangeSnapshotState, (...)) \
  X(int32_t, HRPT_GetSnapshotListAndMetadata, (...)) \
  X(int32_t, HRPT_CreateSnapshotV2, (...)) \
  X(int32_t, HRPT_GetClusterName, (...)) \
  X(int32_t, HRPT_GetClusterPoolNames, (...)) \
  X(int32_t, HRPT_GetClusterPoolStatus, (...)) \
  X(int32_t, HRPT_IsClusterEnabled, (...)) \
  X(int32_t, HRPT_ClusterEnablePool, (...)) \
  X(int32_t, HRPT_ClusterEnableVolume, (...)) \
  X(int32_t, HRPT_MRQEnableClusterVolume, (...)) \
  X(int32_t, HRPT_MRQDisableClusterVolume, (...)) \
  X(int32_t, HRPT_ModifyResourceScriptsForMRQ, (...)) \
  X(int32_t, HRPT_InitializeSBDPartition, (...)) \
  X(int32_t, HRPT_SetClusterResource, (...)) \
  X(int32_t, HRPT_CheckVolumeId, (...)) \
  X(int32_t, HRPT_SafeToUpgradePVFMedia, (...)) \
  X(int32_t, HRPT_RenameResource, (...)) \
  X(int32_t, HRPT_GetResourceProtocolInfo, (...)) \
  X(int32_t, HRPT_GetDeviceMapperMajorNumber, (...)) \
  X(int32_t, HRPT_ProcessADUtil, (...)) \
  X(int32_t, HRPT_PerformKinit, (...)) \
  X(int32_t, HRPT_GetADDomainDetails, (...)) \
  X(int32_t, HRPT_GetDefaultDC, (...)) \
  X(int32_t, HRPT_JoinServerToAD, (const char* user, const char* password, const char* domain, const char* container, const char* dns_address, int32_t use_precreated_object, int32_t generate_uids, uint32_t first_uid, uint32_t last_uid, const char* supervisor_group)) \
  X(int32_t, HRPT_PartTypeToString, (uint32_t type, char* text)) \
  X(int32_t, HRPT_ValidateObjectName, (...)) \
  X(int32_t, HRPT_GetPoolType, (...)) \
  X(int32_t, HRPT_IsPoolCacheEnabled, (...)) \
  X(int32_t, execute_command_with_result, (...))
