#include "identity.h"

#include <sys/fsuid.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "binding.h"
#include "convert.h"
#include "json.h"
#include "keys.h"
#include "log.h"
#include "owned.h"
#include "platform/vru.h"
#include "probes.h"
#include "text.h"

namespace {

constexpr size_t kDescriptionBound = 128;
constexpr uint32_t kSevListCapacity = 20;

int read_identity_string(napi_env env, napi_value request, const char* key, char* buffer, size_t size,
                         bool log_absent, char* description, int* error) {
  if (!validate_key(env, request, key, log_absent)) {
    format_text(description, kDescriptionBound, "Data received does not contain %s", key);
    *error = VRA_ERR_MISSING;
  } else if (int rc = get_named_property_to_string(env, request, key, buffer, size)) {
    format_text(description, kDescriptionBound, "Failed to extract/convert %s", key);
    *error = rc;
  } else {
    return 0;
  }
  VRA_LOG_ERROR("%s", description);
  return -1;
}

int fail(char* description, int* error, int code, const char* text) {
  format_text(description, kDescriptionBound, "%s", text);
  VRA_LOG_ERROR("%s", description);
  *error = code;
  return -1;
}

// The supervisor flag from the security equivalence of a directory user,
// looked up by name; the list grows once when the library asks for more.
int supervisor_from_name(const char* name, int32_t* supervisor, char* description, int* error) {
  uint32_t count = kSevListCapacity;
  Owned<uint8_t> list(static_cast<uint8_t*>(calloc(count, VRU_SEV_ENTRY_SIZE)));
  if (!list) return fail(description, error, VRA_ERR_NO_MEMORY, "Failed to allocate memory to get sev list");
  const size_t units = 2 * strlen(name) + 2;
  Owned<uint16_t> wide(static_cast<uint16_t*>(calloc(units, sizeof(uint16_t))));
  if (!wide) return fail(description, error, VRA_ERR_NO_MEMORY, "Failed to allocate memory for storing unicode name");
  if (convert_utf8_to_unicode(name, wide.get(), units * sizeof(uint16_t)) < 0)
    return fail(description, error, VRA_ERR_UTF16, "Unicode conversion failed for user info");
  int32_t rc = vrulib_get_sevlist_from_name(wide.get(), &count, list.get(), supervisor);
  if (rc != 0) {
    VRA_LOG_ERROR("%d", rc);
    if (rc == VRU_ERR_BUFFER_TOO_SMALL) {
      list.reset(static_cast<uint8_t*>(calloc(count ? count : 1, VRU_SEV_ENTRY_SIZE)));
      if (!list) return fail(description, error, VRA_ERR_NO_MEMORY, "Failed to allocate memory to get sev list");
      rc = vrulib_get_sevlist_from_name(wide.get(), &count, list.get(), supervisor);
    }
    if (rc != 0) return fail(description, error, rc, "Failed to get sevlist for the user");
  }
  return 0;
}

// Steps shared by both lookups once the user is known: the supervisor flag
// from the volume manager when it can answer, else from the identity library.
int supervisor_of(const char* name, int32_t user_type, const uint8_t* sid, uint32_t uid, int32_t* supervisor,
                  char* description, int* error) {
  // The bound flag first: it is free, while the service probe forks a shell.
  if (is_hrpt_loaded.load(std::memory_order_acquire) != 0 && HRPT_GetUserSupervisorPrivilegeData != nullptr &&
      is_pvf_service_active() == 0) {
    int32_t privilege = 0;
    if (int32_t rc = HRPT_GetUserSupervisorPrivilegeData(&uid, &privilege)) {
      format_text(description, kDescriptionBound, "Failed to get logged in user info");
      VRA_LOG_ERROR("%s due to error %d", description, rc);
      *error = rc;
      return -1;
    }
    *supervisor = privilege;
  } else if (user_type == VRU_USER_DIRECTORY) {
    if (supervisor_from_name(name, supervisor, description, error) != 0) return -1;
  } else {
    uint32_t count = 0;
    uint8_t* raw = nullptr;
    int32_t rc = vrulib_get_sevlist_from_sid(sid, &count, &raw, supervisor);
    Owned<uint8_t> list(raw);
    if (rc != 0) return fail(description, error, rc, "Failed to get sevlist for the AD user");
  }
  VRA_LOG_INFO("User: %s Supervisor: %d", name, *supervisor);
  return 0;
}

int authorise(int lookup, int32_t supervisor, FsUidScope& scope, char* description, int* error) {
  if (lookup != 0) return -1;
  if (supervisor == 0) return fail(description, error, VRA_ERR_NOT_SUPERVISOR, "Logged in user has insufficient privilege");
  VRA_LOG_INFO("Logged in user has supervisor rights");
  if (set_fs_uid_to_root(scope) != 0)
    return fail(description, error, VRA_ERR_NOT_SUPERVISOR, "Failed to switch the file-system user id to root");
  return 0;
}

}  // namespace

int get_guid_data(napi_env env, napi_value request, char* guid, char* description, int* error) {
  return read_identity_string(env, request, comn_keys[comn_key::guid], guid, VRA_GUID_TEXT_SIZE, false, description,
                              error);
}

int get_dn_data(napi_env env, napi_value request, char* dn, char* description, int* error) {
  return read_identity_string(env, request, comn_keys[comn_key::dn], dn, VRA_DN_SIZE, false, description, error);
}

int get_authToken_data(napi_env env, napi_value request, char* token, char* description, int* error) {
  return read_identity_string(env, request, comn_keys[comn_key::authToken], token, VRA_AUTH_TOKEN_SIZE, true,
                              description, error);
}

int read_identity_key(napi_env env, napi_value request, InstanceData* data, IdentityReader reader, const char* key,
                      char* field) {
  if (reader(env, request, field, data->description, &data->error_code) == 0) return 0;
  data->error_index = 2;
  copy_text(data->args, 64, key);
  return -1;
}

int get_uidmap(const char* guid_text, int32_t* supervisor, uint32_t* uid, char* description, int* error) {
  uint8_t guid[VRU_GUID_SIZE] = {};
  if (vrulib_string_to_guid(guid_text, guid) != 0)
    return fail(description, error, VRA_ERR_GUID, "Failed to get guid for the user");
  int32_t user_type = 0, reserved = 0;
  uint8_t sid[VRU_SID_SIZE] = {};
  char* raw_name = nullptr;
  int32_t rc = vrulib_get_userinfo_from_guid(guid, &user_type, sid, uid, &reserved, &raw_name);
  Owned<char> name(raw_name);
  if (rc != 0) {
    VRA_LOG_ERROR("Guid based look up has failed with %d", rc);
    return fail(description, error, rc, "Failed to get logged in user info");
  }
  return supervisor_of(name ? name.get() : "", user_type, sid, *uid, supervisor, description, error);
}

int get_uidmap_by_dn(const char* dn, int32_t* supervisor, uint32_t* uid, char* description, int* error) {
  int32_t user_type = 0, reserved = 0;
  uint8_t guid[VRU_GUID_SIZE] = {};
  uint8_t sid[VRU_SID_SIZE] = {};
  int32_t rc = vrulib_get_userinfo_from_name(dn, &user_type, guid, sid, uid, &reserved);
  if (rc != 0) {
    VRA_LOG_ERROR("Name based look up has failed with %d", rc);
    return fail(description, error, rc, "Failed to get logged in user info");
  }
  return supervisor_of(dn, user_type, sid, *uid, supervisor, description, error);
}

int FsUidScope::enter(uid_t uid) {
  restore();
  const uid_t previous = static_cast<uid_t>(setfsuid(uid));
  // setfsuid answers the previous value whether or not it changed anything:
  // ask again (an invalid id changes nothing) to see what is in force.
  const uid_t now = static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1)));
  if (now != uid) {
    setfsuid(previous);
    VRA_LOG_ERROR("Failed to switch the file-system user id to %u", uid);
    return -1;
  }
  previous_ = previous;
  active_ = previous != uid;
  return 0;
}

void FsUidScope::restore() {
  if (!active_) return;
  setfsuid(previous_);
  active_ = false;
}

int set_fs_uid_to_root(FsUidScope& scope) { return scope.enter(0); }

int set_fs_uid_to_user(FsUidScope& scope, uid_t uid) { return scope.enter(uid); }

int set_uid_for_storage_operations(const char* guid, FsUidScope& scope, char* description, int* error) {
  int32_t supervisor = 0;
  uint32_t uid = 0;
  const int lookup = get_uidmap(guid, &supervisor, &uid, description, error);
  return authorise(lookup, supervisor, scope, description, error);
}

int set_uid_for_storage_operations_by_dn(const char* dn, FsUidScope& scope, char* description, int* error) {
  int32_t supervisor = 0;
  uint32_t uid = 0;
  const int lookup = get_uidmap_by_dn(dn, &supervisor, &uid, description, error);
  return authorise(lookup, supervisor, scope, description, error);
}
