// adutil_sphere: joins the server to an Active Directory domain through the
// volume manager's HRPT_JoinServerToAD. One operation, JoinServerToAD (2001).
#include "adutil.h"

#include "binding.h"
#include "convert.h"
#include "identity.h"
#include "json.h"
#include "keys.h"
#include "log.h"
#include "reader.h"
#include "sphere.h"
#include "text.h"

std::atomic<uint8_t> is_adbind_hrpt_loaded{0};

void load_adbind_hrpt_functions() {
  static const BindingRow rows[] = {{"HRPT_JoinServerToAD", reinterpret_cast<void**>(&HRPT_JoinServerToAD)}};
  bind_entry_points("libhrpt.so", rows, is_adbind_hrpt_loaded, "Successfully loaded %s", true);
}

namespace {

enum : int {
  VRA_ERR_IPV4 = 40029,
  VRA_ERR_UID_RANGE = 40032,
};
constexpr uint64_t kGenerateUids = 1u << 0;
constexpr uint64_t kUsePrecreatedObject = 1u << 1;

struct AdutilData : InstanceData {
  char guid[VRA_GUID_TEXT_SIZE];
  char dn[VRA_DN_SIZE];
  char user[20];
  char password[128];
  char domain[128];
  char dns_address[20];
  char container[256];
  char group[256];
  uint64_t flags;
  uint32_t first_uid;
  uint32_t last_uid;
};

int check_library(napi_env, InstanceData* data) {
  if (is_adbind_hrpt_loaded.load(std::memory_order_acquire) == 0) load_adbind_hrpt_functions();
  if (is_adbind_hrpt_loaded.load(std::memory_order_acquire) != 0) return 0;
  set_failure(data, VRA_ERR_LIBRARY, 6, "", "HRPT library not available");
  VRA_LOG_ERROR("%s", data->description);
  return -1;
}

int read_adutil_identity(napi_env env, napi_value request, InstanceData* base) {
  auto* data = static_cast<AdutilData*>(base);
  return read_identity_key(env, request, data, get_guid_data, comn_keys[comn_key::guid], data->guid);
}

int fail_with(InstanceData* data, int code, int index, const char* args, const char* description) {
  set_failure(data, code, index, args, "%s", description);
  VRA_LOG_ERROR("%s", data->description);
  return -1;
}

// Text keys are read into their fields with room for one character less
// than the field holds (userName 18 characters in 20 bytes, and so on).
int read_text(napi_env env, napi_value request, InstanceData* data, const char* key, char* field, size_t field_size) {
  return read_request_key(env, request, data, key, Presence::required, [&] {
           return get_named_property_to_string(env, request, key, field, field_size - 1);
         }) < 0;
}

int read_flag(napi_env env, napi_value request, InstanceData* data, const char* key, bool* value) {
  return read_request_key(env, request, data, key, Presence::required,
                          [&] { return get_named_property_to_bool(env, request, key, value); }) < 0;
}

// startUID and endUID must be numbers: a value of another type would read
// as 0 without error.
int read_uid(napi_env env, napi_value request, InstanceData* data, const char* key, uint32_t* uid) {
  return read_request_key(env, request, data, key, Presence::required, [&] {
           napi_value value;
           napi_valuetype type;
           if (napi_get_named_property(env, request, key, &value) != napi_ok ||
               napi_typeof(env, value, &type) != napi_ok) {
             clear_pending_exception(env);
             return static_cast<int>(VRA_ERR_FETCH);
           }
           if (type != napi_number) return static_cast<int>(VRA_ERR_UINT32);
           return get_named_property_to_uint32(env, request, key, uid);
         }) < 0;
}

int get_join_server_to_ad_data(napi_env env, napi_value request, AdutilData* data) {
  const char* group_key = adutil_keys[adutil_key::ADSupervisorGroup];
  const char* container_key = adutil_keys[adutil_key::container];
  const char* dns_key = adutil_keys[adutil_key::dnsIP];
  const char* domain_key = adutil_keys[adutil_key::domain];
  const char* generate_key = adutil_keys[adutil_key::generateADUID];
  const char* password_key = comn_keys[comn_key::password];
  const char* user_key = comn_keys[comn_key::userName];
  const char* precreated_key = adutil_keys[adutil_key::usePreCreatedObject];
  for (const char* key : {group_key, container_key, dns_key, domain_key, generate_key, password_key, user_key,
                          precreated_key}) {
    if (!validate_key(env, request, key, false)) {
      set_failure(data, VRA_ERR_MISSING, 4, key, "Data received does not contain %s", key);
      VRA_LOG_ERROR("%s", data->description);
      return -1;
    }
  }
  if (read_text(env, request, data, user_key, data->user, sizeof data->user) ||
      read_text(env, request, data, password_key, data->password, sizeof data->password) ||
      read_text(env, request, data, domain_key, data->domain, sizeof data->domain) ||
      read_text(env, request, data, dns_key, data->dns_address, sizeof data->dns_address))
    return -1;
  if (validate_ipv4(data->dns_address) != 1) return fail_with(data, VRA_ERR_IPV4, 3, "", "Invalid IP received");
  if (read_text(env, request, data, container_key, data->container, sizeof data->container) ||
      read_text(env, request, data, group_key, data->group, sizeof data->group))
    return -1;
  bool generate = false, precreated = false;
  if (read_flag(env, request, data, generate_key, &generate)) return -1;
  if (generate) {
    data->flags |= kGenerateUids;
    if (read_uid(env, request, data, adutil_keys[adutil_key::startUID], &data->first_uid) ||
        read_uid(env, request, data, adutil_keys[adutil_key::endUID], &data->last_uid))
      return -1;
    // A range containing 0 would map directory users to root.
    if (data->first_uid >= data->last_uid || data->first_uid == 0)
      return fail_with(data, VRA_ERR_UID_RANGE, 5, "", "Invalid UID range provided");
  }
  if (read_flag(env, request, data, precreated_key, &precreated)) return -1;
  if (precreated) data->flags |= kUsePrecreatedObject;
  return 0;
}

int read_join(napi_env env, napi_value request, InstanceData* base) {
  auto* data = static_cast<AdutilData*>(base);
  if (read_identity_key(env, request, data, get_dn_data, comn_keys[comn_key::dn], data->dn) != 0) return -1;
  if (get_join_server_to_ad_data(env, request, data) != 0) {
    VRA_LOG_ERROR("Failed to get create AD Util data for joining server to AD.");
    return -1;
  }
  return 0;
}

void join_server_to_AD(napi_env, void* raw) {
  auto* data = instance_of<AdutilData>(raw);
  FsUidScope fsuid;  // gives the thread its previous file-system user id back
  int error = 0;
  if (set_uid_for_storage_operations_by_dn(data->dn, fsuid, data->description, &error) != 0) {
    data->error_code = error;
    data->error_index = VRA_INDEX_AUTHORIZE;
    VRA_LOG_INFO("Failed to validate credentials or authorize user for %s", data->operation_name);
    return;
  }
  const int generate = (data->flags & kGenerateUids) ? 1 : 0;
  const int precreated = (data->flags & kUsePrecreatedObject) ? 1 : 0;
  VRA_LOG_INFO("UN: %s P: %s Domain: %s Ip: %s", data->user, "****", data->domain, data->dns_address);
  VRA_LOG_INFO("Grp: %s Cont: %s", data->group, data->container);
  VRA_LOG_INFO("startUID: %u  endUID: %u", data->first_uid, data->last_uid);
  VRA_LOG_INFO("adGuid: %d preCreated: %d", generate, precreated);
  int32_t rc = HRPT_JoinServerToAD(data->user, data->password, data->domain, data->container, data->dns_address,
                                   precreated, generate, data->first_uid, data->last_uid, data->group);
  if (rc != 0) {
    set_failure(data, rc, 1, "", "Failed to join server to AD");
    VRA_LOG_ERROR("Failed to join server to AD domain due to error %d", rc);
  }
}

void adutil_work_complete_ext(napi_env env, napi_status status, void* raw) {
  sphere_work_complete_ext(env, status, raw);
}

constexpr Operation kAdutilOperations[] = {
    {2001, "JoinServerToAD", nullptr, read_join, join_server_to_AD, nullptr},
};

constexpr Sphere kAdutilSphere = {
    .name = "adutil_sphere",
    .area = "AD util",
    .allocate = allocate_instance<AdutilData>,
    .release = release_instance<AdutilData>,
    .operations = kAdutilOperations,
    .precheck = check_library,
    .read_identity = read_adutil_identity,
    .complete = adutil_work_complete_ext,
};

}  // namespace

napi_value adutil_sphere(napi_env env, napi_callback_info info) {
  return run_sphere(env, info, kAdutilSphere);
}
