#include "storage_frame.h"

#include "catalogue.h"
#include "hrpt_lock.h"
#include "json.h"
#include "keys.h"
#include "log.h"
#include "reader.h"
#include "text.h"

namespace {
constexpr int kIndexLibrary = 6;  // @@hrpt-library-not-available
}  // namespace

int storage_precheck(napi_env, InstanceData* data) {
  if (is_hrpt_loaded.load(std::memory_order_acquire) == 0) load_hrpt_functions();
  if (is_hrpt_loaded.load(std::memory_order_acquire) != 0) return 0;
  set_failure(data, VRA_ERR_LIBRARY, kIndexLibrary, "", "HRPT library not available");
  VRA_LOG_ERROR("%s", data->description);
  return -1;
}

int read_storage_guid(napi_env env, napi_value request, InstanceData* base) {
  auto* data = static_cast<StorageData*>(base);
  return read_identity_key(env, request, data, get_guid_data, comn_keys[comn_key::guid], data->guid);
}

int read_storage_dn(napi_env env, napi_value request, StorageData* data) {
  return read_identity_key(env, request, data, get_dn_data, comn_keys[comn_key::dn], data->dn);
}

int read_object_name(napi_env env, napi_value request, InstanceData* data, const char* key, char* field) {
  return read_request_key(env, request, data, key, Presence::required, [&] {
           return get_named_property_to_string(env, request, key, field, HRPT_NAME_SIZE);
         }) < 0;
}

bool storage_authorise(StorageData* data, Authorise how, FsUidScope& fsuid) {
  int error = 0;
  const int rc = how == Authorise::by_dn
                     ? set_uid_for_storage_operations_by_dn(data->dn, fsuid, data->description, &error)
                     : set_uid_for_storage_operations(data->guid, fsuid, data->description, &error);
  if (rc == 0) return true;
  data->error_code = error;
  data->error_index = VRA_INDEX_AUTHORIZE;
  VRA_LOG_INFO("Failed to validate credentials or authorize user for %s", data->operation_name);
  return false;
}

bool storage_entry_available(StorageData* data, bool bound, const char* entry) {
  if (bound) return true;
  set_failure(data, VRA_ERR_LIBRARY, kIndexLibrary, "", "HRPT library not available");
  VRA_LOG_ERROR("%s: %s not found", data->description, entry);
  return false;
}

bool storage_lock(StorageData* data) {
  const int rc = get_hrpt_lock();
  if (rc == 0) return true;
  set_failure(data, rc, VRA_INDEX_HRPT_LOCK, "", "Unable to acquire the HRPT lock");
  VRA_LOG_ERROR("Unable to acquire the HRPT lock");
  return false;
}

void storage_call_failed(StorageData* data, int32_t result, int error_index, const char* object) {
  const ErrorTagRow* row = find_error_row(error_index);
  set_failure(data, result, error_index, "", "%s", row ? row->message : "");
  VRA_LOG_ERROR("%s %s due to error %d", data->description, object, result);
}
