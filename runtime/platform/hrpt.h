// The volume-manager library libhrpt.so: entry points and constants shared by
// the add-ons (which bind them by name) and the testbed's stand-in.
#pragma once

#include <cstdint>

// HRPT_Lock mode taken around every volume-manager operation.
constexpr uint32_t HRPT_LOCK_MODE = 0x10000022;

// HRPT_Open(0, &handle): the handle is opaque to the add-ons.
using hrpt_handle_t = uint64_t;

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
  X(int32_t, HRPT_InitializeDisk, (...)) \
  X(int32_t, HRPT_InitializeDiskGPT, (...)) \
  X(int32_t, HRPT_SetDiskShared, (...)) \
  X(int32_t, HRPT_GetDeviceList, (...)) \
  X(int32_t, HRPT_GetDeviceInfo, (...)) \
  X(int32_t, HRPT_GetSectorSize, (...)) \
  X(int32_t, HRPT_GetDeviceListAndMetadata, (...)) \
  X(int32_t, HRPT_ValidateDevice, (...)) \
  X(int32_t, HRPT_GetDevicePartitionList, (...)) \
  X(int32_t, HRPT_GetDevicePartitionListV2, (...)) \
  X(int32_t, HRPT_GetDevicePools, (...)) \
  X(int32_t, HRPT_GetDevicePoolsV2, (...)) \
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
  X(int32_t, HRPT_PartTypeToString, (...)) \
  X(int32_t, HRPT_ValidateObjectName, (...)) \
  X(int32_t, HRPT_GetPoolType, (...)) \
  X(int32_t, HRPT_IsPoolCacheEnabled, (...)) \
  X(int32_t, execute_command_with_result, (...))
