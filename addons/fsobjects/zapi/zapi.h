// The add-on's client layer of the PVF file system: one function per request,
// each packing its arguments into the 208-byte request record and handing it
// over with one pread64 on /dev/zapi. Every function returns 0, the errno of
// a failed device request, or the file system's status number; out-parameters
// are written only on success. Keys, buffers and records belong to the caller.
// zRootKey must be the process's first call: it opens the device.
//
// Names (paths, patterns) are passed as UTF-8 when the name-space value has
// ZNS_UTF8 (the pattern of zWildRead: character format 6), else as UTF-16.
#pragma once

#include <cstdint>

#include "platform/pvf_device.h"

extern "C" {

typedef uint64_t Key_t;
typedef uint64_t Xid_t;
typedef uint64_t Zid_t;
typedef uint64_t QUAD;
typedef uint32_t NINT;
typedef int64_t STATUS;
typedef uint16_t unicode_t;
typedef struct {
  uint8_t bytes[16];
} VolumeID_t;
typedef struct {
  uint32_t words[4];
} GUID_t;

extern const GUID_t zANYONE_USERID;      // the public trustee: words 2, 0, 0, 0
extern const GUID_t zSUPERVISOR_USERID;  // words 3, 0, 0, 0
extern const GUID_t zROOT;               // zero
extern const uint8_t zINVALID_SID[68];   // zero

STATUS zRootKey(NINT connection, Key_t* root_key);
STATUS zAbortXaction(Key_t key, Xid_t xid);
STATUS zAddTrusteeEx(Key_t key, Xid_t xid, const void* identity, NINT rights, NINT extended);
STATUS zAddTrustee(Key_t key, Xid_t xid, const void* identity, NINT rights);
STATUS zBeginTask(Key_t key, NINT task, NINT* ret_task);
STATUS zBeginXaction(Key_t key, NINT task, Xid_t parent_xid, Xid_t* ret_xid);
STATUS zChangeConnection(Key_t key, NINT a2, NINT a3, Key_t* ret_key);
STATUS zClose(Key_t key);
STATUS zCommitXaction(Key_t key, Xid_t xid);
STATUS zCreate(Key_t key, NINT task, Xid_t xid, NINT name_space, const void* path, NINT a6, NINT a7, QUAD a8, NINT a9,
               Key_t* ret_key);
STATUS zDelete(Key_t key, Xid_t xid, NINT name_space, const void* path, NINT a5, QUAD a6);
STATUS zDeleteTrusteeEx(Key_t key, Xid_t xid, const void* identity, NINT extended);
STATUS zDeleteTrustee(Key_t key, Xid_t xid, const void* identity);
STATUS zEndTask(Key_t key, NINT task);
STATUS zEnumerate(Key_t key, QUAD cookie, NINT a3, NINT a4, QUAD mask, NINT size, NINT version, void* record,
                  QUAD* ret_cookie);
STATUS zFlush(Key_t key);
STATUS zGetFileMap(Key_t key, QUAD a2, QUAD a3, NINT a4, NINT size, void* buffer, QUAD* a7, NINT* a8);
STATUS zGetInfo(Key_t key, QUAD mask, NINT size, NINT version, void* record);
STATUS zGetInfoByName(Key_t key, NINT name_space, const void* path, QUAD mask, NINT size, NINT version, NINT a7,
                      void* record);
STATUS zGetInheritedRightsMask(Key_t key, NINT* mask);
STATUS zGetTrusteeEx(Key_t key, NINT cursor, void* identity, NINT* rights, QUAD* next_cursor, NINT* extended);
STATUS zGetTrustee(Key_t key, NINT cursor, void* identity, NINT* rights, QUAD* next_cursor);
STATUS zLink(Key_t key, Xid_t xid, NINT name_space1, const void* name1, NINT a5, NINT name_space2, const void* name2,
             QUAD a8);
STATUS zLockByteRange(Key_t key, Xid_t xid, QUAD a3, QUAD a4, QUAD a5, NINT a6);
STATUS zModifyInfo(Key_t key, Xid_t xid, QUAD mask, NINT size, NINT version, const void* record);
STATUS zModifyInfoByName(Key_t key, Xid_t xid, NINT name_space, const void* path, QUAD mask, NINT size,
                         NINT version, const void* record);
STATUS zNewConnection(Key_t a1, const unicode_t* name);
STATUS zNewConnectionWithBlob(Key_t a1, const unicode_t* name, NINT blob_length, const void* blob);
STATUS zOpen(Key_t key, NINT task, NINT name_space, const void* path, NINT rights, Key_t* ret_key);
STATUS zRead(Key_t key, Xid_t a2, QUAD offset, NINT length, void* buffer, NINT* count);
STATUS zRename(Key_t key, Xid_t xid, NINT name_space1, const void* name1, NINT a5, NINT name_space2,
               const void* name2, QUAD a8);
STATUS zSetEOF(Key_t key, Xid_t xid, QUAD a3, QUAD a4);
STATUS zSetInheritedRightsMask(Key_t key, Xid_t xid, NINT mask);
STATUS zUnlockByteRange(Key_t key, Xid_t xid, QUAD a3, QUAD a4);
STATUS zWildRead(Key_t key, NINT character_format, NINT a3, const void* pattern, NINT a5, QUAD mask, NINT size,
                 NINT version, void* record);
STATUS zWildRewind(Key_t key);
STATUS zWrite(Key_t key, Xid_t xid, QUAD offset, NINT length, const void* buffer, NINT* count);
STATUS zGetEffectiveRightsEx(Key_t key, const void* identity, NINT* rights, NINT extended);
STATUS zGetEffectiveRights(Key_t key, GUID_t guid, NINT* rights);
STATUS zZIDDelete(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, QUAD a5);
STATUS zZIDDelete2(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, NINT name_space, QUAD a6);
STATUS zZIDCreate(Key_t key, NINT task, Xid_t xid, NINT name_space, const VolumeID_t* volume_id, Zid_t zid,
                  const void* name, NINT a8, NINT a9, QUAD a10, NINT a11, Key_t* ret_key);
STATUS zZIDLink(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, QUAD a5, NINT name_space,
                const void* name, QUAD a8);
STATUS zZIDOpen(Key_t key, NINT task, NINT name_space, const VolumeID_t* volume_id, Zid_t zid, NINT rights,
                Key_t* ret_key);
STATUS zZIDRename(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, QUAD a5, NINT name_space,
                  const void* name, QUAD a8);
STATUS zZIDRename2(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, NINT flags, Zid_t a6,
                   NINT name_space, const void* name, QUAD a9);
const unicode_t* zInfoGetFileName(const void* record, NINT index);

}  // extern "C"
