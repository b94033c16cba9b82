// uidmap_sphere: the caller's Linux user id and supervisor flag. One
// operation, GetUIDFromDN (101); no file-system user id is changed and no
// supervisor rights are needed.
#include "uidmap.h"

#include "identity.h"
#include "json.h"
#include "keys.h"
#include "log.h"
#include "sphere.h"
#include "text.h"

namespace {

struct UidmapData : InstanceData {
  uint32_t uid;
  int32_t supervisor;
  char dn[VRA_DN_SIZE];
};

// The dn failure keeps the reader's code but says it in this sphere's words.
int read_uidmap_identity(napi_env env, napi_value request, InstanceData* base) {
  auto* data = static_cast<UidmapData*>(base);
  const char* key = comn_keys[comn_key::dn];
  if (read_identity_key(env, request, data, get_dn_data, key, data->dn) == 0) return 0;
  format_text(data->description, 128, "Failed to extract/convert '%s'", key);
  return -1;
}

void get_user_id(napi_env, void* raw) {
  auto* data = instance_of<UidmapData>(raw);
  int error = 0;
  if (get_uidmap_by_dn(data->dn, &data->supervisor, &data->uid, data->description, &error) != 0) {
    data->error_code = error;
    data->error_index = 17;  // @@failed-to-get-user-info
    copy_text(data->description, "Failed to get user info");
    VRA_LOG_ERROR("%s, error: %d", data->description, error);
  }
}

// User ids are unsigned: one at or above 2^31 is answered as such.
void uid_answer(napi_env env, InstanceData* base, napi_value result) {
  auto* data = static_cast<UidmapData*>(base);
  create_int64(env, result, uidmap_keys[uidmap_key::uid], static_cast<int64_t>(data->uid));
  create_int64(env, result, uidmap_keys[uidmap_key::isSupervisor], data->supervisor);
}

// The catalogue tag, without the file-system error name.
void uidmap_work_complete(napi_env env, napi_status status, void* raw) {
  if (raw != nullptr) set_error_tag(static_cast<InstanceData*>(raw));
  sphere_work_complete(env, status, raw);
}

constexpr Operation kUidmapOperations[] = {
    {101, "GetUIDFromDN", nullptr, nullptr, get_user_id, uid_answer},
};

constexpr Sphere kUidmapSphere = {
    .name = "uidmap_sphere",
    .area = "uidmap",
    .allocate = allocate_instance<UidmapData>,
    .release = release_instance<UidmapData>,
    .operations = kUidmapOperations,
    .read_identity = read_uidmap_identity,
    .operation_failure = "Failed to extract/convert '%s. Retry.'",
    .complete = uidmap_work_complete,
};

}  // namespace

napi_value uidmap_sphere(napi_env env, napi_callback_info info) {
  return run_sphere(env, info, kUidmapSphere);
}
