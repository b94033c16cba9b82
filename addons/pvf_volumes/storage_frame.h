// What every storage sphere adds to the request lifecycle: the volume
// manager bound before anything is read, the caller's GUID, authorisation
// of every work function, the volume-manager lock around the library call,
// the sphere's object name on failed answers, and the library's lists owned
// by the instance data until the answer is built.
//
// A storage operation is a row of its sphere's handler table plus:
//   - a reader built from read_request_key / read_object_name;
//   - a work function that calls storage_work() with the library call;
//   - an answer writer for its data keys.
#pragma once

#include <node_api.h>

#include <cstdint>

#include "binding.h"
#include "hrpt_lock.h"
#include "identity.h"
#include "log.h"
#include "sphere.h"

struct StorageData : InstanceData {
  char guid[VRA_GUID_TEXT_SIZE];
  char dn[VRA_DN_SIZE];
};

// Sphere pre-check: binds the volume manager again when it is not bound;
// 40030 "HRPT library not available", row 6, when it stays unbound.
int storage_precheck(napi_env env, InstanceData* data);
// Sphere identity step: the caller's guid (row 2 and the key on failure).
int read_storage_guid(napi_env env, napi_value request, InstanceData* data);
// Reader step for operations that authorise by DN.
int read_storage_dn(napi_env env, napi_value request, StorageData* data);
// A required object name (device, pool, ...), cut at 63 bytes.
int read_object_name(napi_env env, napi_value request, InstanceData* data, const char* key, char* field);

enum class Authorise { by_guid, by_dn };

// The frame's steps around the library call, as separate pieces for
// storage_work(): each records the failure and returns false.
bool storage_authorise(StorageData* data, Authorise how, FsUidScope& fsuid);
bool storage_lock(StorageData* data);
void storage_call_failed(StorageData* data, int32_t result, int error_index, const char* object);
bool storage_entry_available(StorageData* data, bool bound, const char* entry);

// A storage work function: authorise (supervisors only, working as root),
// take the volume-manager lock, make the library call, release the lock. A
// non-zero result fails the request with error_index and its catalogue
// message; `object` names the request's object in the log.
template <class Call>
void storage_work(StorageData* data, Authorise how, int error_index, const char* object, bool entry_bound,
                  const char* entry, Call&& call) {
  FsUidScope fsuid;
  if (!storage_authorise(data, how, fsuid)) return;
  if (!storage_entry_available(data, entry_bound, entry)) return;
  if (!storage_lock(data)) return;
  const int32_t result = call();
  put_hrpt_lock();
  if (result != 0) storage_call_failed(data, result, error_index, object);
}

#define STORAGE_ENTRY(name) (name != nullptr), #name

// Adds under `key` an array with one object per record of a library list,
// written by write(env, object, record); records that keep(record) turns
// down are left out and the positions stay consecutive. What cannot be built
// is logged and left out.
template <class Record, class Write, class Keep>
void add_records_to_json(napi_env env, napi_value result, const char* key, const Record* records, int32_t count,
                         Write write, Keep keep) {
  napi_value array;
  if (napi_create_array(env, &array) != napi_ok) {
    VRA_LOG_ERROR("Failed to create array to store %s", key);
    return;
  }
  uint32_t position = 0;
  for (int32_t i = 0; records != nullptr && i < count; ++i) {
    if (!keep(records[i])) continue;
    napi_value object;
    if (napi_create_object(env, &object) != napi_ok) {
      VRA_LOG_ERROR("Failed to create object to store %s", key);
      continue;
    }
    write(env, object, records[i]);
    if (napi_set_element(env, array, position, object) == napi_ok) ++position;
  }
  if (napi_set_named_property(env, result, key, array) != napi_ok) VRA_LOG_ERROR("Failed to set %s", key);
}

template <class Record, class Write>
void add_records_to_json(napi_env env, napi_value result, const char* key, const Record* records, int32_t count,
                         Write write) {
  add_records_to_json(env, result, key, records, count, write, [](const Record&) { return true; });
}
