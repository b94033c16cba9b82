#include "zapi.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

extern "C" {
const GUID_t zANYONE_USERID = {{2, 0, 0, 0}};
const GUID_t zSUPERVISOR_USERID = {{3, 0, 0, 0}};
const GUID_t zROOT = {{0, 0, 0, 0}};
const uint8_t zINVALID_SID[68] = {};
}

namespace {

// The device, opened once by zRootKey and never closed.
std::atomic<int> zapi_fd{-1};

constexpr uint32_t kAllOnes32 = 0xFFFFFFFF;
constexpr uint32_t kVolumeIdGiven = 0x10;  // bit 4 of the field at 92

// One request record on the caller's stack, filled field by field; the
// offsets are those of the record (80 to 207 for the parameter area).
class Request {
 public:
  explicit Request(Key_t key) {
    memset(&record_, 0, sizeof record_);
    record_.key = key;
  }
  void u32(size_t offset, uint32_t value) { memcpy(at(offset), &value, sizeof value); }
  void u64(size_t offset, uint64_t value) { memcpy(at(offset), &value, sizeof value); }
  void bytes(size_t offset, const void* data, size_t size) { memcpy(at(offset), data, size); }
  uint32_t get32(size_t offset) const {
    uint32_t v;
    memcpy(&v, at(offset), sizeof v);
    return v;
  }
  uint64_t get64(size_t offset) const {
    uint64_t v;
    memcpy(&v, at(offset), sizeof v);
    return v;
  }
  void get_bytes(size_t offset, void* out, size_t size) const { memcpy(out, at(offset), size); }
  void count(uint8_t n) { record_.buffer_count = n; }
  void buffer1(const void* data, uint64_t length) {
    record_.buffer1 = reinterpret_cast<uint64_t>(data);
    record_.length1 = length;
  }
  void buffer2(const void* data, uint64_t length) {
    record_.buffer2 = reinterpret_cast<uint64_t>(data);
    record_.length2 = length;
  }
  Key_t key() const { return record_.key; }
  // One pread64 with the function number as the offset.
  STATUS send(int64_t function) {
    ssize_t rc = pread64(zapi_fd.load(std::memory_order_acquire), &record_, sizeof record_, function);
    if (rc == -1) return errno;
    return rc;
  }

 private:
  uint8_t* at(size_t offset) { return reinterpret_cast<uint8_t*>(&record_) + offset; }
  const uint8_t* at(size_t offset) const { return reinterpret_cast<const uint8_t*>(&record_) + offset; }
  zapi_request record_;
};

// Length of a name in bytes, terminator included.
uint64_t name_length(const void* name, bool utf8) {
  if (name == nullptr) return 0;
  if (utf8) return strlen(static_cast<const char*>(name)) + 1;
  const auto* units = static_cast<const unicode_t*>(name);
  size_t n = 0;
  while (units[n] != 0) ++n;
  return 2 * (n + 1);
}

bool utf8_names(NINT name_space) { return (name_space & ZNS_UTF8) != 0; }

// The trustee identity: 68 bytes of a SID when extended, else a 16-byte GUID.
void put_identity(Request& r, size_t offset, const void* identity, NINT extended) {
  r.bytes(offset, identity, extended ? ZAPI_SID_SIZE : ZAPI_GUID_SIZE);
}

// Version 2 to 5 with the directory-quota mask: an object without a quota
// must read as having none and nothing used.
void preset_information(QUAD mask, NINT version, void* record) {
  if (record == nullptr || version < 2 || version > 5 || !(mask & ZINFO_MASK_DIRECTORY_QUOTA)) return;
  const int64_t none = ZINFO_NO_QUOTA, zero = 0;
  memcpy(static_cast<uint8_t*>(record) + ZINFO_QUOTA_AT, &none, sizeof none);
  memcpy(static_cast<uint8_t*>(record) + ZINFO_QUOTA_USED_AT, &zero, sizeof zero);
}

// The ZID calls' field at 92: `base`, plus bit 4 and the volume ID at 120
// when one is given.
void put_volume(Request& r, uint32_t base, const VolumeID_t* volume_id) {
  if (volume_id != nullptr) {
    r.bytes(120, volume_id, sizeof *volume_id);
    base |= kVolumeIdGiven;
  }
  r.u32(92, base);
}

}  // namespace

extern "C" {

STATUS zRootKey(NINT connection, Key_t* root_key) {
  if (zapi_fd.load(std::memory_order_acquire) == -1) {
    int fd = open(ZAPI_DEVICE, O_RDONLY | O_CLOEXEC);
    if (fd == -1) return errno;
    int expected = -1;
    // Two threads racing keep one descriptor and close the other.
    if (!zapi_fd.compare_exchange_strong(expected, fd, std::memory_order_acq_rel)) close(fd);
  }
  Request r(0);
  r.u32(80, connection);
  STATUS status = r.send(ZAPI_ROOT_KEY);
  if (status == 0 && root_key != nullptr) *root_key = r.key();
  return status;
}

STATUS zAbortXaction(Key_t key, Xid_t xid) {
  Request r(key);
  r.u64(80, xid);
  r.u64(96, 0);
  return r.send(ZAPI_ABORT_XACTION);
}

STATUS zAddTrusteeEx(Key_t key, Xid_t xid, const void* identity, NINT rights, NINT extended) {
  if (identity == nullptr) return kAllOnes32;
  Request r(key);
  r.u64(80, xid);
  r.u64(96, 0);
  r.u32(112, extended);
  put_identity(r, 116, identity, extended);
  r.u32(184, rights);
  r.u32(188, 0);
  return r.send(ZAPI_ADD_TRUSTEE);
}

STATUS zAddTrustee(Key_t key, Xid_t xid, const void* identity, NINT rights) {
  return zAddTrusteeEx(key, xid, identity, rights, 0);
}

STATUS zBeginTask(Key_t key, NINT task, NINT* ret_task) {
  Request r(key);
  r.u64(80, 0);
  r.u32(88, task);
  r.u64(96, 0);
  STATUS status = r.send(ZAPI_BEGIN_TASK);
  if (status == 0 && ret_task != nullptr) *ret_task = r.get32(88);
  return status;
}

STATUS zBeginXaction(Key_t key, NINT task, Xid_t parent_xid, Xid_t* ret_xid) {
  Request r(key);
  r.u64(80, parent_xid);
  r.u32(88, task);
  r.u64(96, 0);
  STATUS status = r.send(ZAPI_BEGIN_XACTION);
  if (status == 0 && ret_xid != nullptr) *ret_xid = r.get64(112);
  return status;
}

STATUS zChangeConnection(Key_t key, NINT a2, NINT a3, Key_t* ret_key) {
  Request r(key);
  r.u32(80, a2);
  r.u32(88, a3);
  STATUS status = r.send(ZAPI_CHANGE_CONNECTION);
  if (status == 0 && ret_key != nullptr) *ret_key = r.key();
  return status;
}

STATUS zClose(Key_t key) {
  Request r(key);
  return r.send(ZAPI_CLOSE);
}

STATUS zCommitXaction(Key_t key, Xid_t xid) {
  Request r(key);
  r.u64(80, xid);
  r.u64(96, 0);
  return r.send(ZAPI_COMMIT_XACTION);
}

STATUS zCreate(Key_t key, NINT task, Xid_t xid, NINT name_space, const void* path, NINT a6, NINT a7, QUAD a8, NINT a9,
               Key_t* ret_key) {
  Request r(key);
  if (path != nullptr) {
    r.count(1);
    r.buffer1(path, name_length(path, utf8_names(name_space)));
  }
  r.u64(80, xid);
  r.u32(88, task);
  r.u32(92, ret_key != nullptr ? 1 : 0);
  r.u64(96, a8);
  r.u32(112, name_space);
  r.u32(120, a9);
  r.u32(124, a6);
  r.u32(128, a7);
  STATUS status = r.send(ZAPI_CREATE);
  if (status != 0) return status;
  if (ret_key != nullptr) *ret_key = r.key();
  else zClose(r.key());  // nobody will hold the new key
  return 0;
}

STATUS zDelete(Key_t key, Xid_t xid, NINT name_space, const void* path, NINT a5, QUAD a6) {
  Request r(key);
  if (path != nullptr) {
    r.count(1);
    r.buffer1(path, name_length(path, utf8_names(name_space)));
  }
  r.u64(80, xid);
  r.u32(88, 0);
  r.u64(96, a6);
  r.u32(112, name_space);
  r.u32(120, a5);
  return r.send(ZAPI_DELETE);
}

STATUS zDeleteTrusteeEx(Key_t key, Xid_t xid, const void* identity, NINT extended) {
  Request r(key);
  r.u64(80, xid);
  r.u64(96, 0);
  r.u32(112, extended);
  if (identity != nullptr) put_identity(r, 116, identity, extended);
  return r.send(ZAPI_DELETE_TRUSTEE);
}

STATUS zDeleteTrustee(Key_t key, Xid_t xid, const void* identity) { return zDeleteTrusteeEx(key, xid, identity, 0); }

STATUS zEndTask(Key_t key, NINT task) {
  Request r(key);
  r.u64(80, 0);
  r.u32(88, task);
  r.u64(96, 0);
  return r.send(ZAPI_END_TASK);
}

STATUS zEnumerate(Key_t key, QUAD cookie, NINT a3, NINT a4, QUAD mask, NINT size, NINT version, void* record,
                  QUAD* ret_cookie) {
  preset_information(mask, version, record);
  Request r(key);
  r.count(1);
  r.buffer1(record, size);
  r.u64(96, mask);
  r.u32(112, version);
  r.u32(116, 0);
  r.u32(120, a3);
  r.u32(124, a4);
  r.u64(128, cookie);
  STATUS status = r.send(ZAPI_ENUMERATE);
  if (status == 0 && ret_cookie != nullptr) *ret_cookie = r.get64(128);
  return status;
}

STATUS zFlush(Key_t key) {
  Request r(key);
  r.u64(96, 0);
  return r.send(ZAPI_FLUSH);
}

STATUS zGetFileMap(Key_t key, QUAD, QUAD a3, NINT a4, NINT size, void* buffer, QUAD* a7, NINT* a8) {
  Request r(key);
  r.buffer1(buffer, size);
  r.u64(80, 0);
  r.u32(92, 0);
  r.u64(96, 0);
  r.u64(112, a3);
  r.u32(128, a4);
  STATUS status = r.send(ZAPI_GET_FILE_MAP);
  if (status == 0) {
    if (a7 != nullptr) *a7 = r.get64(120);
    if (a8 != nullptr) *a8 = r.get32(132);
  }
  return status;
}

STATUS zGetInfo(Key_t key, QUAD mask, NINT size, NINT version, void* record) {
  preset_information(mask, version, record);
  Request r(key);
  r.buffer1(record, size);
  r.u64(80, 0);
  r.u32(92, 0);
  r.u64(96, mask);
  r.u32(112, version);
  return r.send(ZAPI_GET_INFO);
}

STATUS zGetInfoByName(Key_t key, NINT name_space, const void* path, QUAD mask, NINT size, NINT version, NINT a7,
                      void* record) {
  preset_information(mask, version, record);
  Request r(key);
  r.count(path != nullptr ? 2 : 1);
  r.buffer1(record, size);
  if (path != nullptr) r.buffer2(path, name_length(path, utf8_names(name_space)));
  r.u64(80, 0);
  r.u32(92, a7 != 0 ? 8 : 0);
  r.u64(96, mask);
  r.u32(112, name_space);
  r.u32(120, version);
  return r.send(ZAPI_GET_INFO_BY_NAME);
}

STATUS zGetInheritedRightsMask(Key_t key, NINT* mask) {
  Request r(key);
  r.u64(80, 0);
  r.u64(96, 0);
  STATUS status = r.send(ZAPI_GET_INHERITED_RIGHTS_MASK);
  if (status == 0 && mask != nullptr) *mask = r.get32(196);
  return status;
}

namespace {
STATUS get_trustee(Key_t key, NINT cursor, void* identity, NINT* rights, QUAD* next_cursor, NINT* extended,
                   uint32_t form_field) {
  Request r(key);
  r.u64(80, 0);
  r.u32(92, form_field);
  r.u64(96, 0);
  r.u32(192, cursor);
  STATUS status = r.send(ZAPI_GET_TRUSTEE);
  if (status != 0) return status;
  const uint32_t sid = extended != nullptr ? r.get32(112) : 0;
  if (extended != nullptr) *extended = sid;
  if (identity != nullptr) r.get_bytes(116, identity, sid ? ZAPI_SID_SIZE : ZAPI_GUID_SIZE);
  if (rights != nullptr) *rights = r.get32(184);
  if (next_cursor != nullptr) {
    const uint32_t next = r.get32(192);
    *next_cursor = next == kAllOnes32 ? ~QUAD{0} : next;
  }
  return 0;
}
}  // namespace

STATUS zGetTrusteeEx(Key_t key, NINT cursor, void* identity, NINT* rights, QUAD* next_cursor, NINT* extended) {
  return get_trustee(key, cursor, identity, rights, next_cursor, extended, 0);
}

STATUS zGetTrustee(Key_t key, NINT cursor, void* identity, NINT* rights, QUAD* next_cursor) {
  return get_trustee(key, cursor, identity, rights, next_cursor, nullptr, 16);
}

namespace {
// zLink and zRename: two names, each encoded by its own name-space value.
STATUS two_names(int64_t function, Key_t key, Xid_t xid, NINT ns1, const void* name1, NINT a5, NINT ns2,
                 const void* name2, QUAD flags) {
  Request r(key);
  r.count(2);
  if (name1 != nullptr) r.buffer1(name1, name_length(name1, utf8_names(ns1)));
  if (name2 != nullptr) r.buffer2(name2, name_length(name2, utf8_names(ns2)));
  r.u64(80, xid);
  r.u32(88, 0);
  r.u64(96, flags);
  r.u32(112, ns1);
  r.u32(120, a5);
  r.u32(124, ns2);
  return r.send(function);
}
}  // namespace

STATUS zLink(Key_t key, Xid_t xid, NINT name_space1, const void* name1, NINT a5, NINT name_space2, const void* name2,
             QUAD a8) {
  return two_names(ZAPI_LINK, key, xid, name_space1, name1, a5, name_space2, name2, a8 | 0x2);
}

STATUS zLockByteRange(Key_t key, Xid_t xid, QUAD a3, QUAD a4, QUAD a5, NINT a6) {
  Request r(key);
  r.u64(80, xid);
  r.u64(96, a3);
  r.u64(112, a4);
  r.u64(120, a5);
  r.u32(128, a6);
  return r.send(ZAPI_LOCK_BYTE_RANGE);
}

STATUS zModifyInfo(Key_t key, Xid_t xid, QUAD mask, NINT size, NINT version, const void* record) {
  Request r(key);
  r.buffer1(record, size);
  r.u64(80, xid);
  r.u32(92, 0);
  r.u64(96, mask);
  r.u32(112, version);
  return r.send(ZAPI_MODIFY_INFO);
}

STATUS zModifyInfoByName(Key_t key, Xid_t xid, NINT name_space, const void* path, QUAD mask, NINT size,
                         NINT version, const void* record) {
  Request r(key);
  r.count(path != nullptr ? 2 : 1);
  r.buffer1(record, size);
  if (path != nullptr) r.buffer2(path, name_length(path, utf8_names(name_space)));
  r.u64(80, xid);
  r.u32(92, 0);
  r.u64(96, mask);
  r.u32(112, name_space);
  r.u32(120, version);
  return r.send(ZAPI_MODIFY_INFO_BY_NAME);
}

STATUS zNewConnection(Key_t a1, const unicode_t* name) {
  if (name == nullptr) return zERR_BAD_PARAMETER;
  Request r(a1);
  r.buffer1(name, name_length(name, false));
  return r.send(ZAPI_NEW_CONNECTION);
}

STATUS zNewConnectionWithBlob(Key_t a1, const unicode_t* name, NINT blob_length, const void* blob) {
  if (name == nullptr || blob == nullptr || blob_length == 0 || blob_length > ZAPI_BLOB_LIMIT)
    return zERR_BAD_PARAMETER;
  Request r(a1);
  r.count(2);
  r.buffer1(name, name_length(name, false));
  r.buffer2(blob, blob_length);
  return r.send(ZAPI_NEW_CONNECTION);
}

STATUS zOpen(Key_t key, NINT task, NINT name_space, const void* path, NINT rights, Key_t* ret_key) {
  Request r(key);
  if (path != nullptr) {
    r.count(1);
    r.buffer1(path, name_length(path, utf8_names(name_space)));
  }
  r.u64(80, 0);
  r.u32(88, task);
  r.u32(112, name_space);
  r.u32(120, rights);
  STATUS status = r.send(ZAPI_OPEN);
  if (status == 0 && ret_key != nullptr) *ret_key = r.key();
  return status;
}

STATUS zRead(Key_t key, Xid_t, QUAD offset, NINT length, void* buffer, NINT* count) {
  Request r(key);
  r.buffer1(buffer, length);
  r.u64(80, 0);
  r.u32(92, 0);
  r.u64(112, offset);
  r.u32(132, length);
  r.u32(136, 0);
  STATUS status = r.send(ZAPI_READ);
  if (status == 0 && count != nullptr) *count = r.get32(136);
  return status;
}

STATUS zRename(Key_t key, Xid_t xid, NINT name_space1, const void* name1, NINT a5, NINT name_space2,
               const void* name2, QUAD a8) {
  return two_names(ZAPI_RENAME, key, xid, name_space1, name1, a5, name_space2, name2, a8);
}

STATUS zSetEOF(Key_t key, Xid_t xid, QUAD a3, QUAD a4) {
  Request r(key);
  r.u64(80, xid);
  r.u64(96, a4);
  r.u64(112, a3);
  return r.send(ZAPI_SET_EOF);
}

STATUS zSetInheritedRightsMask(Key_t key, Xid_t xid, NINT mask) {
  Request r(key);
  r.u64(80, xid);
  r.u64(96, 0);
  r.u32(196, mask);
  return r.send(ZAPI_SET_INHERITED_RIGHTS_MASK);
}

STATUS zUnlockByteRange(Key_t key, Xid_t xid, QUAD a3, QUAD a4) {
  Request r(key);
  r.u64(80, xid);
  r.u64(96, 0);
  r.u64(112, a3);
  r.u64(120, a4);
  return r.send(ZAPI_UNLOCK_BYTE_RANGE);
}

STATUS zWildRead(Key_t key, NINT character_format, NINT a3, const void* pattern, NINT a5, QUAD mask, NINT size,
                 NINT version, void* record) {
  preset_information(mask, version, record);
  Request r(key);
  r.count(pattern != nullptr ? 2 : 1);
  r.buffer1(record, size);
  if (pattern != nullptr) r.buffer2(pattern, name_length(pattern, character_format == ZAPI_CHARFMT_UTF8));
  r.u64(96, mask);
  r.u32(112, version);
  r.u32(116, character_format);
  r.u32(120, a3);
  r.u32(124, a5);
  return r.send(ZAPI_WILD_READ);
}

STATUS zWildRewind(Key_t key) {
  Request r(key);
  return r.send(ZAPI_WILD_REWIND);
}

STATUS zWrite(Key_t key, Xid_t xid, QUAD offset, NINT length, const void* buffer, NINT* count) {
  Request r(key);
  r.buffer1(buffer, length);
  r.u64(80, xid);
  r.u32(92, 0);
  r.u64(112, offset);
  r.u32(132, length);
  r.u32(136, 0);
  STATUS status = r.send(ZAPI_WRITE);
  if (status == 0 && count != nullptr) *count = r.get32(136);
  return status;
}

STATUS zGetEffectiveRightsEx(Key_t key, const void* identity, NINT* rights, NINT extended) {
  Request r(key);
  r.u32(80, extended);
  if (identity != nullptr) put_identity(r, 84, identity, extended);
  r.u32(152, 0);
  STATUS status = r.send(ZAPI_GET_EFFECTIVE_RIGHTS);
  if (status == 0 && rights != nullptr) *rights = r.get32(152);
  return status;
}

STATUS zGetEffectiveRights(Key_t key, GUID_t guid, NINT* rights) { return zGetEffectiveRightsEx(key, &guid, rights, 0); }

STATUS zZIDDelete(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, QUAD a5) {
  Request r(key);
  r.u64(80, xid);
  r.u32(88, 0);
  put_volume(r, 0, volume_id);
  r.u64(96, a5);
  r.u32(112, kAllOnes32);
  r.u64(136, zid);
  return r.send(ZAPI_ZID_DELETE);
}

STATUS zZIDDelete2(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, NINT name_space, QUAD a6) {
  Request r(key);
  r.u64(80, xid);
  r.u32(88, 0);
  put_volume(r, 0, volume_id);
  r.u64(96, a6);
  r.u32(112, name_space);
  r.u64(136, zid);
  return r.send(ZAPI_ZID_DELETE);
}

STATUS zZIDCreate(Key_t key, NINT task, Xid_t xid, NINT name_space, const VolumeID_t* volume_id, Zid_t zid,
                  const void* name, NINT a8, NINT a9, QUAD a10, NINT a11, Key_t* ret_key) {
  Request r(key);
  if (name != nullptr) {
    r.count(1);
    r.buffer1(name, name_length(name, utf8_names(name_space)));
  }
  r.u64(80, xid);
  r.u32(88, task);
  put_volume(r, ret_key != nullptr ? 1 : 0, volume_id);
  r.u64(96, a10);
  r.u32(112, name_space);
  r.u64(136, zid);
  r.u32(152, a11);
  r.u32(156, a8);
  r.u32(160, a9);
  STATUS status = r.send(ZAPI_ZID_CREATE);
  if (status != 0) return status;
  if (ret_key != nullptr) *ret_key = r.key();
  else zClose(r.key());
  return 0;
}

namespace {
// zZIDLink and zZIDRename: one name, encoded by its name-space value.
STATUS zid_name(int64_t function, Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, QUAD a5,
                NINT name_space, const void* name, QUAD flags) {
  Request r(key);
  r.count(1);
  if (name != nullptr) r.buffer1(name, name_length(name, utf8_names(name_space)));
  r.u64(80, xid);
  r.u32(88, 0);
  put_volume(r, 0, volume_id);
  r.u64(96, flags);
  r.u32(112, name_space);
  r.u64(136, zid);
  r.u64(144, a5);
  return r.send(function);
}
}  // namespace

STATUS zZIDLink(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, QUAD a5, NINT name_space,
                const void* name, QUAD a8) {
  return zid_name(ZAPI_ZID_LINK, key, xid, volume_id, zid, a5, name_space, name, a8 | 0x2);
}

STATUS zZIDOpen(Key_t key, NINT task, NINT name_space, const VolumeID_t* volume_id, Zid_t zid, NINT rights,
                Key_t* ret_key) {
  Request r(key);
  r.u64(80, 0);
  r.u32(88, task);
  put_volume(r, 0, volume_id);
  r.u32(112, name_space);
  r.u64(136, zid);
  r.u32(152, rights);
  STATUS status = r.send(ZAPI_ZID_OPEN);
  if (status == 0 && ret_key != nullptr) *ret_key = r.key();
  return status;
}

STATUS zZIDRename(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, QUAD a5, NINT name_space,
                  const void* name, QUAD a8) {
  return zid_name(ZAPI_ZID_RENAME, key, xid, volume_id, zid, a5, name_space, name, a8);
}

STATUS zZIDRename2(Key_t key, Xid_t xid, const VolumeID_t* volume_id, Zid_t zid, NINT flags, Zid_t a6,
                   NINT name_space, const void* name, QUAD a9) {
  Request r(key);
  r.count(1);
  if (name != nullptr) r.buffer1(name, name_length(name, utf8_names(name_space)));
  r.u64(80, xid);
  r.u32(88, 0);
  put_volume(r, flags & ZNS_DELETED, volume_id);
  r.u64(96, a9);
  r.u32(112, name_space);
  r.u64(136, zid);
  r.u64(144, a6);
  return r.send(ZAPI_ZID_RENAME);
}

const unicode_t* zInfoGetFileName(const void* record, NINT index) {
  const auto* base = static_cast<const uint8_t*>(record);
  uint32_t version, count, table, entry;
  memcpy(&version, base + ZINFO_VERSION_AT, sizeof version);
  memcpy(&count, base + ZINFO_NAME_COUNT_AT, sizeof count);
  memcpy(&table, base + ZINFO_NAME_TABLE_AT, sizeof table);
  if (version > 5 || index >= count || table == 0) return nullptr;
  memcpy(&entry, base + table + 4 * size_t{index}, sizeof entry);
  if (entry == 0) return nullptr;
  return reinterpret_cast<const unicode_t*>(base + entry);
}

}  // extern "C"
