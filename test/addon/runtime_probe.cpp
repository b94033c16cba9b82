// Test-only add-on: exposes the runtime's readers, writers and envelope
// writers to JS, and a sphere built on the shared machinery with the generic
// completion. Never shipped.
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/fsuid.h>
#include <unistd.h>

#include "binding.h"
#include <vector>

#include "catalogue.h"
#include "convert.h"
#include "zapi.h"
#include "cluster.h"
#include "hrpt_lock.h"
#include "identity.h"
#include "probes.h"
#include "config.h"
#include "json.h"
#include "log.h"
#include "keys.h"
#include "module.h"
#include "reader.h"
#include "sphere.h"
#include "text.h"

namespace {

napi_value undefined_value(napi_env env) {
  napi_value v;
  napi_get_undefined(env, &v);
  return v;
}

std::string string_arg(napi_env env, napi_value v) {
  size_t len = 0;
  if (napi_get_value_string_utf8(env, v, nullptr, 0, &len) != napi_ok) return {};
  std::string s(len, '\0');
  napi_get_value_string_utf8(env, v, s.data(), len + 1, &len);
  return s;
}

napi_value make_string(napi_env env, const char* s) {
  napi_value v;
  napi_create_string_utf8(env, s, NAPI_AUTO_LENGTH, &v);
  return v;
}

napi_value make_int(napi_env env, int64_t n) {
  napi_value v;
  napi_create_int64(env, n, &v);
  return v;
}

// read(kind, object, key[, size]) -> {code, value} ; value is absent when the
// reader left its output unchanged.
napi_value probe_read(napi_env env, napi_callback_info info) {
  size_t argc = 4;
  napi_value argv[4];
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  std::string kind = string_arg(env, argv[0]);
  std::string key = string_arg(env, argv[2]);
  uint32_t size = 0;
  napi_get_value_uint32(env, argv[3], &size);
  napi_value object = argv[1], out, value = nullptr;
  napi_create_object(env, &out);
  int code = 0;
  const char* k = key.c_str();
  if (kind == "string") {
    std::string buf(size ? size : 1, '\x7f');
    code = get_named_property_to_string(env, object, k, buf.data(), size);
    if (code == 0) value = make_string(env, buf.c_str());
  } else if (kind == "string_ext" || kind == "value_string") {
    char* text = nullptr;
    code = kind == "string_ext" ? get_named_property_to_string_ext(env, object, k, &text)
                                : get_named_value_to_string(env, object, k, &text);
    if (text != nullptr) value = make_string(env, text);
    free(text);
  } else if (kind == "value_string_ext") {
    std::string buf(size ? size : 1, '\x7f');
    size_t length = 0;
    code = get_named_value_to_string_ext(env, object, k, buf.data(), size, &length);
    if (code == 0) value = make_string(env, buf.c_str());
    create_int64(env, out, "length", static_cast<int64_t>(length));
  } else if (kind == "uint32") {
    uint32_t v = 0xA5A5A5A5;
    code = get_named_property_to_uint32(env, object, k, &v);
    if (v != 0xA5A5A5A5) napi_create_uint32(env, v, &value);
  } else if (kind == "int32") {
    int32_t v = -0x5A5A5A5A;
    code = get_named_property_to_int32(env, object, k, &v);
    if (v != -0x5A5A5A5A) napi_create_int32(env, v, &value);
  } else if (kind == "int64") {
    int64_t v = INT64_MIN;
    code = get_named_property_to_int64(env, object, k, &v);
    if (v != INT64_MIN) napi_create_bigint_int64(env, v, &value);
  } else if (kind == "uint64") {
    uint64_t v = 0xA5A5A5A5A5A5A5A5ull;
    code = get_named_property_to_uint64(env, object, k, &v);
    if (v != 0xA5A5A5A5A5A5A5A5ull) napi_create_bigint_uint64(env, v, &value);
  } else if (kind == "bool") {
    uint8_t raw = 0x5A;
    bool* v = reinterpret_cast<bool*>(&raw);
    code = get_named_property_to_bool(env, object, k, v);
    if (raw != 0x5A) napi_get_boolean(env, raw != 0, &value);
  } else if (kind == "validate") {
    napi_get_boolean(env, validate_key(env, object, k, true), &value);
  }
  napi_set_named_property(env, out, "code", make_int(env, code));
  if (value != nullptr) napi_set_named_property(env, out, "value", value);
  return out;
}

// write(kind, key, value) -> object holding what the writer wrote.
napi_value probe_write(napi_env env, napi_callback_info info) {
  size_t argc = 3;
  napi_value argv[3];
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  std::string kind = string_arg(env, argv[0]);
  std::string key = string_arg(env, argv[1]);
  napi_value v = argv[2], out;
  napi_create_object(env, &out);
  const char* k = key.c_str();
  napi_valuetype type;
  napi_typeof(env, v, &type);
  double d = 0;
  if (type == napi_number) napi_get_value_double(env, v, &d);
  uint64_t u64 = 0;
  int64_t i64 = 0;
  bool lossless;
  if (type == napi_bigint) {
    napi_get_value_bigint_uint64(env, v, &u64, &lossless);
    napi_get_value_bigint_int64(env, v, &i64, &lossless);
  }
  if (kind == "string") create_string_utf8(env, out, k, type == napi_null ? nullptr : string_arg(env, v).c_str());
  else if (kind == "pwd") create_pwd_string_utf8(env, out, k, string_arg(env, v).c_str());
  else if (kind == "boolean") create_boolean(env, out, k, static_cast<int>(d));
  else if (kind == "int64") create_int64(env, out, k, i64);
  else if (kind == "int32") create_int32(env, out, k, static_cast<int32_t>(d));
  else if (kind == "uint32") create_uint32(env, out, k, static_cast<uint32_t>(d));
  else if (kind == "double") create_double(env, out, k, d);
  else if (kind == "uint32_text") create_uint32_to_string_utf8(env, out, k, static_cast<uint32_t>(d));
  else if (kind == "int64_text") create_int64_to_string_utf8(env, out, k, i64);
  else if (kind == "uint64_text") create_uint64_to_string_utf8(env, out, k, u64);
  else if (kind == "ull_text") create_ull_to_string_utf8(env, out, k, u64);
  return out;
}

// strings(texts) -> array written with add_string_to_array and _ext in turn.
napi_value probe_strings(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value argv[1], array;
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  uint32_t n = 0;
  napi_get_array_length(env, argv[0], &n);
  napi_create_array(env, &array);
  for (uint32_t i = 0; i < n; ++i) {
    napi_value e;
    napi_get_element(env, argv[0], i, &e);
    std::string s = string_arg(env, e);
    char message[129] = {};
    if (i % 2 == 0) add_string_to_array(env, s.c_str(), i, array);
    else add_string_to_array_ext(env, array, i, s.c_str(), message);
  }
  return array;
}

// envelope(code, description, errorId, args, operationName) -> error_json's
// result, or success_json's when code is 0.
napi_value probe_envelope(napi_env env, napi_callback_info info) {
  size_t argc = 5;
  napi_value argv[5], out;
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  int32_t code = 0;
  napi_get_value_int32(env, argv[0], &code);
  std::string text[4];
  const char* ptr[4];
  for (int i = 0; i < 4; ++i) {
    napi_valuetype t;
    napi_typeof(env, argv[i + 1], &t);
    text[i] = string_arg(env, argv[i + 1]);
    ptr[i] = t == napi_string ? text[i].c_str() : nullptr;
  }
  napi_create_object(env, &out);
  if (code == 0) success_json(env, ptr[3], out);
  else error_json(env, code, ptr[0], ptr[1], ptr[2], ptr[3], out);
  return out;
}

// A sphere on the shared machinery with the generic completion:
//   1 EchoName: requires `name` (a string cut to 15 characters), answers it;
//   2 FailInWork: optional `count` and `value` (int32); the work fails with
//     code `count` (30001), catalogue row `value` (7) and args "probe".
struct ProbeData : InstanceData {
  char name[16];
  int32_t count;
  int32_t index;
  char dn[VRA_DN_SIZE];
  char guid[VRA_GUID_TEXT_SIZE];
  int64_t fsuid;
};

int read_echo(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<ProbeData*>(base);
  const char* key = comn_keys[comn_key::name];
  return read_request_key(env, request, d, key, Presence::required, [&] {
           return get_named_property_to_string(env, request, key, d->name, sizeof d->name);
         }) < 0;
}

void echo_work(napi_env, void*) {}

void echo_answer(napi_env env, InstanceData* base, napi_value result) {
  create_string_utf8(env, result, comn_keys[comn_key::name], static_cast<ProbeData*>(base)->name);
}

int read_fail(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<ProbeData*>(base);
  d->count = 30001;
  d->index = 7;
  const char* count = comn_keys[comn_key::count];
  const char* index = comn_keys[comn_key::value];
  return read_request_key(env, request, d, count, Presence::optional,
                          [&] { return get_named_property_to_int32(env, request, count, &d->count); }) < 0 ||
         read_request_key(env, request, d, index, Presence::optional,
                          [&] { return get_named_property_to_int32(env, request, index, &d->index); }) < 0;
}

void fail_work(napi_env, void* raw) {
  auto* d = instance_of<ProbeData>(raw);
  set_failure(d, d->count, d->index, "probe", "work failed with %d", d->count);
}

// 3 HoldLock: takes the volume-manager lock, holds it `count` ms, releases it.
int read_hold(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<ProbeData*>(base);
  const char* key = comn_keys[comn_key::count];
  return read_request_key(env, request, d, key, Presence::optional,
                          [&] { return get_named_property_to_int32(env, request, key, &d->count); }) < 0;
}

void hold_work(napi_env, void* raw) {
  auto* d = instance_of<ProbeData>(raw);
  if (int rc = get_hrpt_lock()) {
    set_failure(d, rc, VRA_INDEX_HRPT_LOCK, "", "Unable to acquire the HRPT lock: %d", rc);
    return;
  }
  usleep(static_cast<useconds_t>(d->count) * 1000);
  put_hrpt_lock();
}

// 4 AsUser: works as the caller named by `dn` (file and folder style): the
// answer's `value` is the file-system user id in force during the work.
int read_as_user(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<ProbeData*>(base);
  return read_identity_key(env, request, d, get_dn_data, comn_keys[comn_key::dn], d->dn);
}

void as_user_work(napi_env, void* raw) {
  auto* d = instance_of<ProbeData>(raw);
  int32_t supervisor = 0;
  uint32_t uid = 0;
  int error = 0;
  if (get_uidmap_by_dn(d->dn, &supervisor, &uid, d->description, &error) != 0) {
    d->error_code = error;
    d->error_index = VRA_INDEX_AUTHORIZE;
    return;
  }
  FsUidScope fsuid;
  if (set_fs_uid_to_user(fsuid, uid) != 0) {
    set_failure(d, 1, VRA_INDEX_AUTHORIZE, "", "Failed to switch the file-system user id to %u", uid);
    return;
  }
  d->fsuid = setfsuid(static_cast<uid_t>(-1));
}

void as_user_answer(napi_env env, InstanceData* base, napi_value result) {
  create_int64(env, result, comn_keys[comn_key::value], static_cast<ProbeData*>(base)->fsuid);
}

// 5 AsSupervisor: authorises the caller named by `guid` as the storage
// add-on does; `value` is the file-system user id in force during the work.
int read_guid(napi_env env, napi_value request, InstanceData* base) {
  auto* d = static_cast<ProbeData*>(base);
  return read_identity_key(env, request, d, get_guid_data, comn_keys[comn_key::guid], d->guid);
}

void as_supervisor_work(napi_env, void* raw) {
  auto* d = instance_of<ProbeData>(raw);
  FsUidScope fsuid;
  int error = 0;
  if (set_uid_for_storage_operations(d->guid, fsuid, d->description, &error) != 0) {
    d->error_code = error;
    d->error_index = VRA_INDEX_AUTHORIZE;
    return;
  }
  d->fsuid = setfsuid(static_cast<uid_t>(-1));
}

constexpr Operation kProbeOperations[] = {
    {1, "EchoName", nullptr, read_echo, echo_work, echo_answer},
    {2, "FailInWork", "worker to fail", read_fail, fail_work, echo_answer},
    {3, "HoldLock", nullptr, read_hold, hold_work, nullptr},
    {4, "AsUser", nullptr, read_as_user, as_user_work, as_user_answer},
    {5, "AsSupervisor", nullptr, read_guid, as_supervisor_work, as_user_answer},
};

constexpr Sphere kProbeSphere = {
    .name = "probe_sphere",
    .area = "probe",
    .allocate = allocate_instance<ProbeData>,
    .release = release_instance<ProbeData>,
    .operations = kProbeOperations,
    .operation_failure = "Failed to extract/convert %s",
};

napi_value probe_sphere(napi_env env, napi_callback_info info) { return run_sphere(env, info, kProbeSphere); }

// keys(table) -> the key table as an array.
napi_value probe_keys(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value argv[1], array;
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  std::string table = string_arg(env, argv[0]);
  struct { const char* name; const char* const* keys; size_t size; } tables[] = {
#define T(t) {#t, t, std::size(t)}
      T(comn_keys), T(device_keys), T(partition_keys), T(raid_keys), T(pool_keys), T(volume_keys),
      T(snapshot_keys), T(uq_keys), T(properties_keys), T(operations_keys), T(qlm_keys), T(dwv_keys),
      T(jrh_keys), T(servers_keys), T(vtx_keys), T(adutil_keys), T(version_keys), T(uidmap_keys),
#undef T
  };
  for (auto& t : tables) {
    if (table != t.name) continue;
    napi_create_array(env, &array);
    for (size_t i = 0; i < t.size; ++i) add_string_to_array(env, t.keys[i], static_cast<uint32_t>(i), array);
    return array;
  }
  return undefined_value(env);
}

// log(priority, text): one log line through the runtime's gate.
napi_value probe_log(napi_env env, napi_callback_info info) {
  size_t argc = 2;
  napi_value argv[2];
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  int32_t priority = 0;
  napi_get_value_int32(env, argv[0], &priority);
  vra_log(priority, "probe_log", 1, "%s", string_arg(env, argv[1]).c_str());
  return undefined_value(env);
}

// catalogue(id) -> {tag, message} of the row, or undefined.
napi_value probe_catalogue(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value argv[1], out;
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  int32_t id = 0;
  napi_get_value_int32(env, argv[0], &id);
  const char* tag = get_err_tag_from_index(id);
  const ErrorTagRow* row = find_error_row(id);
  if (tag == nullptr || row == nullptr) return undefined_value(env);
  napi_create_object(env, &out);
  create_string_utf8(env, out, "tag", tag);
  create_string_utf8(env, out, "message", row->message);
  return out;
}

// bind(library) -> {loaded, missing: [entry points left null]}
napi_value probe_bind(napi_env env, napi_callback_info info) {
  size_t argc = 1;
  napi_value argv[1], out, missing;
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  std::string library = string_arg(env, argv[0]);
  std::span<const BindingRow> rows;
  std::atomic<uint8_t>* flag = nullptr;
  if (library == "hrpt") load_hrpt_functions(), rows = hrpt_functions, flag = &is_hrpt_loaded;
  else if (library == "qlmsdk") load_qlmsdk_functions(), rows = qlmsdk_functions, flag = &is_qlmsdk_loaded;
  else if (library == "cifsmgmtclient")
    load_cifsmgmtclient_functions(), rows = cifsmgmtclient_functions, flag = &is_cifsmgmtclient_loaded;
  else return undefined_value(env);
  napi_create_object(env, &out);
  create_int32(env, out, "loaded", flag->load());
  napi_create_array(env, &missing);
  uint32_t n = 0;
  for (const BindingRow& row : rows)
    if (*row.slot == nullptr) add_string_to_array(env, row.name, n++, missing);
  napi_set_named_property(env, out, "missing", missing);
  return out;
}

// probes() -> {active: is_pvf_service_active()}; enable() runs the switch.
napi_value probe_service(napi_env env, napi_callback_info) {
  napi_value out;
  napi_create_object(env, &out);
  create_int32(env, out, "active", is_pvf_service_active());
  return out;
}

napi_value probe_enable(napi_env env, napi_callback_info) {
  enable_list_xattr_qn_metadata();
  return undefined_value(env);
}

// cluster(kind, name) -> {code, message, name, node, address}: the shared
// cluster lookups, run on the calling thread.
napi_value probe_cluster(napi_env env, napi_callback_info info) {
  size_t argc = 2;
  napi_value argv[2], out;
  napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr);
  std::string kind = string_arg(env, argv[0]);
  std::string name = string_arg(env, argv[1]);
  char message[129] = {};
  char node[QLM_NODE_NAME_SIZE] = {};
  char field[80] = {};
  copy_text(field, name.c_str());
  int code = 0;
  napi_create_object(env, &out);
  if (kind == "node") {
    code = get_current_node_info(getpid(), node, message, sizeof message);
  } else if (kind == "resource" || kind == "resourceAndNode") {
    uint8_t record[1024] = {};
    code = get_cluster_resource_and_node_info(field, record, kind == "resource" ? nullptr : node, message, sizeof message);
    create_string_utf8(env, out, "name", field);
  } else if (kind == "pool") {
    qlm_pool_record record = {};
    copy_text(record.pool_name, name.c_str());
    code = get_cluster_info_by_poolname(&record, message, sizeof message);
    create_string_utf8(env, out, "address", record.address);
  }
  create_int32(env, out, "code", code);
  create_string_utf8(env, out, "message", message);
  create_string_utf8(env, out, "node", node);
  return out;
}

#include "zapi_probe.inc"

napi_value Init(napi_env env, napi_value exports) {
  static constexpr SphereExport spheres[] = {
      {"native_config_sphere", native_config_sphere},
      {"bind", probe_bind},
      {"zRootKey", probe_zRootKey},
      {"zOpen", probe_zOpen},
      {"zClose", probe_zClose},
      {"zGetInfo", probe_zGetInfo},
      {"zGetInfoByName", probe_zGetInfoByName},
      {"zEnumerate", probe_zEnumerate},
      {"zWildRead", probe_zWildRead},
      {"zWildRewind", probe_zWildRewind},
      {"fsuid", probe_fsuid},
      {"cluster", probe_cluster},
      {"service", probe_service},
      {"enableMetadata", probe_enable},
      {"log", probe_log},
      {"catalogue", probe_catalogue},
      {"probe_sphere", probe_sphere}, {"read", probe_read},         {"write", probe_write},
      {"strings", probe_strings},     {"envelope", probe_envelope}, {"keys", probe_keys},
  };
  return define_spheres(env, exports, spheres);
}

}  // namespace

VRA_MODULE(Init)
