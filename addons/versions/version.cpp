// version_sphere: which product release is installed and which version the
// REST layer's add-ons report. One operation, GetVersionDetails (1001).
#include "version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "json.h"
#include "keys.h"
#include "log.h"
#include "reader.h"
#include "release_file.h"
#include "sphere.h"
#include "text.h"

namespace {

constexpr const char* kRestVersion = "1.0.0";
constexpr const char* kNotFound = "not found";
constexpr int32_t kGetVersionDetails = 1001;
constexpr unsigned kStorageVersionBit = 1u << 0;
constexpr unsigned kAdbindVersionBit = 1u << 1;

constexpr int VRA_ERR_RELEASE_MISSING = 40026;
constexpr int VRA_ERR_RELEASE_UNREADABLE = 40027;
constexpr int kVersionInfoIndex = 144;  // @@failed-to-get-the-version-info

struct VersionData : InstanceData {
  unsigned version_flags;
  char version[kReleaseValueSize];
  char patch[kReleaseValueSize];
};

// Reads an optional boolean key; true sets bit in version_flags.
int read_version_flag(napi_env env, napi_value request, VersionData* data, const char* key, unsigned bit) {
  bool wanted = false;
  if (read_request_key(env, request, data, key, Presence::optional_logged,
                       [&] { return get_named_property_to_bool(env, request, key, &wanted); }) < 0) {
    VRA_LOG_ERROR("Failed to get data for getting version information.");
    return -1;
  }
  if (wanted) data->version_flags |= bit;
  return 0;
}

int get_version_info_data(napi_env env, napi_value request, InstanceData* base) {
  auto* data = static_cast<VersionData*>(base);
  if (read_version_flag(env, request, data, version_keys[version_key::storageVersion], kStorageVersionBit)) return -1;
  return read_version_flag(env, request, data, version_keys[version_key::adbindVersion], kAdbindVersionBit);
}

void get_vra_version(napi_env, void* raw) {
  auto* data = instance_of<VersionData>(raw);
  FILE* file = fopen(kReleaseFile, "re");
  if (file == nullptr) {
    int error = errno;
    data->error_index = kVersionInfoIndex;
    VRA_LOG_ERROR("Failed to open file to get VRA version due to error %d", error);
    copy_text(data->description, "Failed to open file to get VRA version");
    data->error_code = error == ENOENT ? VRA_ERR_RELEASE_MISSING : VRA_ERR_RELEASE_UNREADABLE;
    return;
  }
  char line[kReleaseLineSize];
  while (fgets(line, sizeof line, file) != nullptr) parse_release_line(line, data->version, data->patch);
  if (data->version[0] == '\0') copy_text(data->version, kNotFound);
  if (data->patch[0] == '\0') copy_text(data->patch, kNotFound);
  data->error_code = 0;
  fclose(file);
}

void version_error_json(napi_env env, int32_t error_code, const char* description, const char* operation_name,
                        napi_value result) {
  create_string_utf8(env, result, comn_keys[comn_key::status], "failure");
  create_string_utf8(env, result, comn_keys[comn_key::operation], operation_name);
  napi_value error;
  if (napi_create_object(env, &error) != napi_ok) {
    VRA_LOG_ERROR("Failed to create napi object to error info");
    return;
  }
  create_int64(env, error, comn_keys[comn_key::errorCode], error_code);
  create_string_utf8(env, error, comn_keys[comn_key::description], description);
  if (napi_set_named_property(env, result, comn_keys[comn_key::error], error) != napi_ok)
    VRA_LOG_ERROR("Failed to set error object to json");
}

void version_success_json(napi_env env, const char* operation_name, napi_value result) {
  success_json(env, operation_name, result);
}

void version_info_json(napi_env env, VersionData* data, napi_value result) {
  napi_value vra;
  if (napi_create_object(env, &vra) != napi_ok) {
    VRA_LOG_ERROR("Failed to create NAPI object to store VRA version information");
    return;
  }
  create_string_utf8(env, vra, version_keys[version_key::version], data->version);
  create_string_utf8(env, vra, version_keys[version_key::patch], data->patch);
  if (napi_set_named_property(env, result, version_keys[version_key::vra], vra) != napi_ok)
    VRA_LOG_ERROR("Failed to copy VRA version information into return object");

  napi_value rest;
  if (napi_create_object(env, &rest) != napi_ok) {
    VRA_LOG_ERROR("Failed to create NAPI object to store VRA-Rest version information");
    return;
  }
  create_string_utf8(env, rest, version_keys[version_key::version], kRestVersion);
  if (data->version_flags & kStorageVersionBit)
    create_string_utf8(env, rest, version_keys[version_key::storageVersion], kRestVersion);
  if (data->version_flags & kAdbindVersionBit)
    create_string_utf8(env, rest, version_keys[version_key::adbindVersion], kRestVersion);
  if (napi_set_named_property(env, result, version_keys[version_key::vraRest], rest) != napi_ok)
    VRA_LOG_ERROR("Failed to copy VRA-Rest version information into return object");
}

// This add-on answers `operation` before `status` and never writes `errorID`
// or `args`.
void version_work_complete(napi_env env, napi_status, void* raw) {
  if (raw == nullptr) return;
  auto* data = instance_of<VersionData>(raw);
  napi_value result;
  if (!begin_answer(env, data, &result)) return;
  if (data->operation_name[0] != '\0')
    create_string_utf8(env, result, comn_keys[comn_key::operation], data->operation_name);
  if (data->error_code != 0)
    version_error_json(env, data->error_code, data->description, data->operation_name, result);
  else
    version_success_json(env, data->operation_name, result);
  if (data->operation == kGetVersionDetails && data->error_code == 0) version_info_json(env, data, result);
  settle_request(env, data, result);
}

constexpr Operation kVersionOperations[] = {
    {kGetVersionDetails, "GetVersionDetails", "GetVersionDetails", get_version_info_data, get_vra_version, nullptr},
};

constexpr Sphere kVersionSphere = {
    .name = "version_sphere",
    .area = "version",
    .allocate = allocate_instance<VersionData>,
    .release = release_instance<VersionData>,
    .operations = kVersionOperations,
    .tag_operation_failure = false,
    .complete = version_work_complete,
};

}  // namespace

napi_value version_sphere(napi_env env, napi_callback_info info) {
  return run_sphere(env, info, kVersionSphere);
}
