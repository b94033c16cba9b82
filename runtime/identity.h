// The caller's identity: the request's dn, guid and authToken, their lookup
// through the identity library into a user id and a supervisor flag, and the
// worker thread's file-system user id.
#pragma once

#include <node_api.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "sphere.h"

constexpr size_t VRA_DN_SIZE = 256;
constexpr size_t VRA_GUID_TEXT_SIZE = 190;
constexpr size_t VRA_AUTH_TOKEN_SIZE = 4096;

enum : int {
  VRA_ERR_GUID = 40024,          // the caller's GUID text could not be converted
  VRA_ERR_UTF16 = 40025,         // a UTF-8 text could not be converted to UTF-16
  VRA_ERR_NOT_SUPERVISOR = 40031,
};

// Request readers: 0, or -1 after writing description (128-byte bound) and
// *error. They set no catalogue row: the sphere does (row 2, the key as args).
int get_guid_data(napi_env env, napi_value request, char* guid, char* description, int* error);
int get_dn_data(napi_env env, napi_value request, char* dn, char* description, int* error);
int get_authToken_data(napi_env env, napi_value request, char* token, char* description, int* error);

// A sphere's identity step: one of the readers above into the instance data's
// field, with row 2 and the key as args on failure.
using IdentityReader = int (*)(napi_env, napi_value, char*, char*, int*);
int read_identity_key(napi_env env, napi_value request, InstanceData* data, IdentityReader reader, const char* key,
                      char* field);

// Look the caller up by GUID text or by distinguished name (worker thread):
// 0 with *supervisor and *uid, or -1 after writing description and *error.
int get_uidmap(const char* guid, int32_t* supervisor, uint32_t* uid, char* description, int* error);
int get_uidmap_by_dn(const char* dn, int32_t* supervisor, uint32_t* uid, char* description, int* error);

// The worker thread's file-system user id for the life of a work function.
// enter() switches it and checks that the switch took effect; the previous
// value comes back when the scope ends, on every path, so that nothing is
// left behind on a thread that the host's own file work shares.
class FsUidScope {
 public:
  FsUidScope() = default;
  FsUidScope(const FsUidScope&) = delete;
  FsUidScope& operator=(const FsUidScope&) = delete;
  ~FsUidScope() { restore(); }
  // 0, or -1 when the switch did not take effect (nothing is left changed).
  int enter(uid_t uid);
  void restore();

 private:
  bool active_ = false;
  uid_t previous_ = 0;
};

// setfsuid(0) / setfsuid(uid) within the scope; 0 or -1 as FsUidScope::enter.
int set_fs_uid_to_root(FsUidScope& scope);
int set_fs_uid_to_user(FsUidScope& scope, uid_t uid);

// Authorises an administrative request: 0 when the caller has supervisor
// rights (the thread then works as root within the scope), else -1 after
// writing description and *error (40031 for a caller without the rights).
int set_uid_for_storage_operations(const char* guid, FsUidScope& scope, char* description, int* error);
int set_uid_for_storage_operations_by_dn(const char* dn, FsUidScope& scope, char* description, int* error);

// Catalogue row of a caller that could not be authorised.
constexpr int VRA_INDEX_AUTHORIZE = 10;
