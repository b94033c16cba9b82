// The PVF file system's device /dev/zapi: the request record handed over with
// one pread64 (the function number as the offset), the information record
// the file system fills, and the function numbers. Shared by the add-on's
// call layer and the testbed's stand-in module.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr const char* ZAPI_DEVICE = "/dev/zapi";

struct zapi_request {
  uint8_t reserved0[4];
  uint8_t buffer_count;  // caller buffers described below: 0, 1 or 2
  uint8_t reserved1[11];
  uint64_t key;          // the key acted on; the new key on return of opening calls
  uint8_t reserved2[16];
  uint64_t buffer1;
  uint64_t length1;      // bytes, terminator included for names
  uint64_t buffer2;
  uint64_t length2;
  uint8_t reserved3[8];
  uint8_t params[128];   // offsets 80 to 207, laid out per function
};
static_assert(sizeof(zapi_request) == 208);
static_assert(offsetof(zapi_request, buffer_count) == 4);
static_assert(offsetof(zapi_request, key) == 16);
static_assert(offsetof(zapi_request, buffer1) == 40);
static_assert(offsetof(zapi_request, length1) == 48);
static_assert(offsetof(zapi_request, buffer2) == 56);
static_assert(offsetof(zapi_request, length2) == 64);
static_assert(offsetof(zapi_request, params) == 80);

// Function numbers (the pread64 offset).
enum zapi_function : int64_t {
  ZAPI_ABORT_XACTION = 1, ZAPI_ADD_TRUSTEE = 2, ZAPI_BEGIN_TASK = 4, ZAPI_BEGIN_XACTION = 5,
  ZAPI_CHANGE_CONNECTION = 6, ZAPI_COMMIT_XACTION = 7, ZAPI_CREATE = 8, ZAPI_DELETE = 9,
  ZAPI_DELETE_TRUSTEE = 10, ZAPI_END_TASK = 13, ZAPI_FLUSH = 14, ZAPI_GET_FILE_MAP = 15, ZAPI_GET_INFO = 16,
  ZAPI_GET_INHERITED_RIGHTS_MASK = 17, ZAPI_GET_TRUSTEE = 18, ZAPI_LINK = 20, ZAPI_LOCK_BYTE_RANGE = 21,
  ZAPI_MODIFY_INFO = 22, ZAPI_OPEN = 23, ZAPI_ZID_OPEN = 24, ZAPI_RENAME = 26, ZAPI_SET_EOF = 27,
  ZAPI_SET_INHERITED_RIGHTS_MASK = 28, ZAPI_UNLOCK_BYTE_RANGE = 30, ZAPI_WILD_READ = 31, ZAPI_WILD_REWIND = 32,
  ZAPI_WRITE = 33, ZAPI_ENUMERATE = 34, ZAPI_GET_EFFECTIVE_RIGHTS = 35, ZAPI_ZID_DELETE = 36, ZAPI_ZID_CREATE = 37,
  ZAPI_ZID_LINK = 38, ZAPI_ZID_RENAME = 39, ZAPI_GET_INFO_BY_NAME = 41, ZAPI_MODIFY_INFO_BY_NAME = 42,
  ZAPI_NEW_CONNECTION = 43, ZAPI_ROOT_KEY = 1000, ZAPI_CLOSE = 1001, ZAPI_READ = 1002,
};

// Name-space value: the name space in the low bits, and flags.
enum : uint32_t {
  ZNS_DOS = 0, ZNS_MAC = 1, ZNS_UNIX = 2, ZNS_LONG = 4,
  ZNS_UTF8 = 0x40000000,      // names are UTF-8 (else UTF-16)
  ZNS_BY_PATH = 0x10000000,   // opened or queried by path
  ZNS_DELETED = 0x20000000,   // deleted (salvageable) objects by ZID
};
// zWildRead's character format for UTF-8 patterns.
constexpr uint32_t ZAPI_CHARFMT_UTF8 = 6;

// Status numbers the callers act on.
enum : int64_t {
  zERR_BUFFER_TOO_SMALL = 20004,
  zERR_BAD_PARAMETER = 20008,
  zERR_NAME_NOT_FOUND_IN_DIRECTORY = 20407,
};

// The information record (version 5).
constexpr uint32_t ZINFO_VERSION = 5;
constexpr size_t ZINFO_SIZE = 1588;
constexpr size_t ZINFO_BROWSE_SIZE = 2100;
constexpr uint64_t ZINFO_MASK_DIRECTORY_QUOTA = 0x80000;
constexpr int64_t ZINFO_NO_QUOTA = 0x7FFFFFFFFFFFFFFF;
constexpr uint32_t ZATTR_DIRECTORY = 0x10;
constexpr uint32_t ZATTR_MAY_BE_JUNCTION = 0x200000;

// Field offsets of the information record.
enum zinfo_offset : size_t {
  ZINFO_VERSION_AT = 0,
  ZINFO_VARIABLE_AREA_AT = 8,
  ZINFO_IDENTITY_FORMS_AT = 12,
  ZINFO_ZID_AT = 24,
  ZINFO_SIZE_AT = 48,
  ZINFO_VOLUME_ID_AT = 56,
  ZINFO_ATTRIBUTES_AT = 76,
  ZINFO_ATTRIBUTE_MASK_AT = 80,
  ZINFO_NAME_AT = 116,
  ZINFO_NAME_COUNT_AT = 120,
  ZINFO_NAME_TABLE_AT = 124,
  ZINFO_CREATED_AT = 128,
  ZINFO_ARCHIVED_AT = 136,
  ZINFO_MODIFIED_AT = 144,
  ZINFO_ACCESSED_AT = 152,
  ZINFO_OWNER_AT = 168,
  ZINFO_ARCHIVER_AT = 184,
  ZINFO_MODIFIER_AT = 200,
  ZINFO_DELETED_TIME_AT = 280,
  ZINFO_DELETOR_AT = 288,
  ZINFO_QUOTA_AT = 700,
  ZINFO_QUOTA_USED_AT = 708,
  ZINFO_INHERITED_RIGHTS_AT = 716,
  ZINFO_TRUSTEE_COUNT_AT = 720,
  ZINFO_TRUSTEES_OFFSET_AT = 724,
  ZINFO_OWNER_SID_AT = 736,
  ZINFO_ARCHIVER_SID_AT = 804,
  ZINFO_MODIFIER_SID_AT = 872,
  ZINFO_DELETOR_SID_AT = 1008,
  ZINFO_TRUSTEES_AT = 1076,
};
constexpr size_t ZINFO_TRUSTEE_SIZE = 76;  // identity 68, form 4, rights 4
constexpr size_t ZAPI_GUID_SIZE = 16;
constexpr size_t ZAPI_SID_SIZE = 68;
constexpr size_t ZAPI_BLOB_LIMIT = 65536;
