#include "sphere.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "catalogue.h"
#include "json.h"
#include "keys.h"
#include "log.h"
#include "pvf_errors.h"
#include "text.h"

namespace {

constexpr size_t kDescriptionBound = 128;
constexpr size_t kArgsLength = 63;
constexpr const char* kErrorResource = "Deferred promise from async work item for NAPI";

const Operation* find_operation(const Sphere& sphere, int32_t code) {
  for (const Operation& row : sphere.operations)
    if (row.code == code) return &row;
  return nullptr;
}

// A Promise made but not handed out must still be settled, or its deferred
// would never be released.
void abandon_promise(napi_env env, napi_deferred deferred) {
  napi_value undefined;
  if (napi_get_undefined(env, &undefined) == napi_ok) napi_resolve_deferred(env, deferred, undefined);
}

}  // namespace

void set_failure(InstanceData* data, int code, int index, const char* args, const char* format, ...) {
  data->error_code = code;
  data->error_index = index;
  copy_text(data->args, kArgsLength + 1, args);
  va_list ap;
  va_start(ap, format);
  char text[kDescriptionBound];
  int n = vsnprintf(text, sizeof text, format, ap);
  va_end(ap);
  copy_text(data->description, n < 0 ? "" : text);
}

napi_value run_sphere(napi_env env, napi_callback_info info, const Sphere& sphere) {
  InstanceData* data = sphere.allocate();
  if (data == nullptr) {
    VRA_LOG_ERROR("Memory allocation for %s instance data failed.", sphere.area);
    return nullptr;
  }
  data->sphere = &sphere;

  size_t argc = 2;
  napi_value argv[2];
  if (napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr) != napi_ok) {
    VRA_LOG_ERROR("Failed to be retrieve data.");
    sphere.release(data);
    return nullptr;
  }
  napi_value request = argv[0];  // undefined when the sphere was called without argument

  int rc = 0;
  if (sphere.precheck != nullptr && sphere.precheck(env, data) != 0) goto error_path;

  {
    // An absent or non-numeric operation reads as success without a value and
    // selects no row below.
    const char* key = comn_keys[comn_key::operation];
    int32_t code = INT32_MIN;
    if ((rc = get_named_property_to_int32(env, request, key, &code)) != 0) {
      data->error_code = rc;
      format_text(data->description, kDescriptionBound, sphere.operation_failure, key);
      if (sphere.tag_operation_failure) {
        data->error_index = 2;
        copy_text(data->args, kArgsLength + 1, key);
      }
      VRA_LOG_ERROR("%s", data->description);
      goto error_path;
    }

    if (sphere.read_identity != nullptr && sphere.read_identity(env, request, data) != 0) goto error_path;

    const Operation* row = find_operation(sphere, code);
    if (row == nullptr) {
      VRA_LOG_ERROR("A request has been received for an unknown operation: %d.", code);
      sphere.release(data);
      return nullptr;
    }
    data->operation = code;
    data->row = row;
    copy_text(data->operation_name, row->name);
    if (row->read != nullptr && row->read(env, request, data) != 0) goto error_path;

    rc = create_promise_and_async_work(env, row->resource ? row->resource : row->name, &data->promise,
                                       &data->deferred, &data->work, row->work, sphere.complete, data);
    if (rc != 0) {
      VRA_LOG_ERROR("Failed to create promise and async work: %d", rc);
      sphere.release(data);
      return nullptr;
    }
    return data->promise;
  }

error_path:
  if ((rc = create_promise_for_error(env, data, data->description, data->error_code)) != 0) {
    VRA_LOG_ERROR("Failed to create error promise: %d", rc);
    sphere.release(data);
    return nullptr;
  }
  return data->promise;
}

int create_promise_and_async_work(napi_env env, const char* resource_name, napi_value* promise,
                                  napi_deferred* deferred, napi_async_work* work, napi_async_execute_callback execute,
                                  napi_async_complete_callback complete, void* data) {
  napi_value resource;
  napi_status status = napi_create_string_utf8(env, resource_name, NAPI_AUTO_LENGTH, &resource);
  if (status != napi_ok) {
    VRA_LOG_ERROR("Failed to create napi string, error: %d", status);
    return VRA_ERR_RESOURCE_NAME;
  }
  if ((status = napi_create_promise(env, deferred, promise)) != napi_ok) {
    VRA_LOG_ERROR("Failed to create promise, error: %d", status);
    return VRA_ERR_PROMISE;
  }
  if ((status = napi_create_async_work(env, nullptr, resource, execute, complete, data, work)) != napi_ok) {
    VRA_LOG_ERROR("Failed to create async worker, error %d", status);
    abandon_promise(env, *deferred);
    return VRA_ERR_ASYNC_WORK;
  }
  if ((status = napi_queue_async_work(env, *work)) != napi_ok) {
    VRA_LOG_ERROR("The async work could not be queued, error: %d", status);
    if ((status = napi_delete_async_work(env, *work)) != napi_ok)
      VRA_LOG_ERROR("Failed to delete async work, error: %d", status);
    abandon_promise(env, *deferred);
    return VRA_ERR_QUEUE;
  }
  return 0;
}

int create_promise_for_error(napi_env env, InstanceData* data, const char* text, int32_t code) {
  if (napi_create_promise(env, &data->deferred, &data->promise) != napi_ok) {
    VRA_LOG_ERROR("Failed to create the promise for the operation - %d", data->operation);
    return VRA_ERR_PROMISE;
  }
  napi_value resource;
  if (napi_create_string_utf8(env, kErrorResource, NAPI_AUTO_LENGTH, &resource) != napi_ok) {
    VRA_LOG_ERROR("Failed to create NAPI value for the operation - %d.", data->operation);
    abandon_promise(env, data->deferred);
    return VRA_ERR_RESOURCE_NAME;
  }
  data->error_code = code;
  data->operation = VRA_ERROR_OPERATION;
  if (text != data->description) copy_text(data->description, kDescriptionBound, text);
  if (napi_create_async_work(env, nullptr, resource, error_promise_work, data->sphere->complete, data, &data->work) !=
      napi_ok) {
    VRA_LOG_ERROR("An async worker could not be created for the error scenario.");
    abandon_promise(env, data->deferred);
    return VRA_ERR_ASYNC_WORK;
  }
  napi_status status = napi_queue_async_work(env, data->work);
  if (status != napi_ok) {
    VRA_LOG_ERROR("The async work could not be queued due to the error - %d", status);
    if (napi_delete_async_work(env, data->work) != napi_ok) VRA_LOG_ERROR("Failed to delete async work");
    abandon_promise(env, data->deferred);
    return VRA_ERR_QUEUE;
  }
  return 0;
}

void error_promise_work(napi_env, void*) {}

void success_json(napi_env env, const char* operation_name, napi_value result) {
  create_string_utf8(env, result, comn_keys[comn_key::status], "success");
  create_string_utf8(env, result, comn_keys[comn_key::operation], operation_name);
}

void error_json(napi_env env, int32_t error_code, const char* description, const char* error_id, const char* args,
                const char* operation_name, napi_value result) {
  create_string_utf8(env, result, comn_keys[comn_key::status], "failure");
  create_string_utf8(env, result, comn_keys[comn_key::operation], operation_name);
  napi_value error;
  napi_status status = napi_create_object(env, &error);
  if (status != napi_ok) {
    VRA_LOG_ERROR("Failed to create napi object to error info, error: %d", status);
    return;
  }
  create_int64(env, error, comn_keys[comn_key::errorCode], error_code);
  create_string_utf8(env, error, comn_keys[comn_key::description], description);
  if (error_id != nullptr && error_id[0] != '\0') {
    create_string_utf8(env, error, comn_keys[comn_key::errorID], error_id);
    if (args != nullptr && args[0] != '\0') create_string_utf8(env, error, comn_keys[comn_key::args], args);
  }
  if ((status = napi_set_named_property(env, result, comn_keys[comn_key::error], error)) != napi_ok)
    VRA_LOG_ERROR("Failed to set error object to json, error: %d", status);
}

void set_error_name(InstanceData* data) {
  if (data->error_code == 0) return;
  if (const char* name = get_pvf_err_string_from_number(data->error_code)) {
    memset(data->description, 0, sizeof data->description);
    copy_text(data->description, name);
  }
}

void set_error_tag(InstanceData* data) {
  if (data->error_index == 0) return;
  if (const char* tag = get_err_tag_from_index(data->error_index)) copy_text(data->error_id, tag);
}

void finish_error_fields(InstanceData* data) {
  set_error_name(data);
  set_error_tag(data);
}

void settle_request(napi_env env, InstanceData* data, napi_value result) {
  napi_status status = napi_resolve_deferred(env, data->deferred, result);
  if (status != napi_ok) VRA_LOG_ERROR("Failed to resolve promise, %d", status);
  if ((status = napi_delete_async_work(env, data->work)) != napi_ok)
    VRA_LOG_ERROR("Failed to remove async worker, %d", status);
  data->sphere->release(data);
}

bool begin_answer(napi_env env, InstanceData* data, napi_value* result) {
  if (napi_create_object(env, result) == napi_ok) return true;
  VRA_LOG_ERROR("Failed to create NAPI object.");
  napi_delete_async_work(env, data->work);
  data->sphere->release(data);  // the Promise stays pending
  return false;
}

void sphere_work_complete(napi_env env, napi_status, void* raw) {
  auto* data = static_cast<InstanceData*>(raw);
  if (data == nullptr) return;
  napi_value result;
  if (!begin_answer(env, data, &result)) return;
  const Sphere& sphere = *data->sphere;
  if (data->error_code != 0) {
    error_json(env, data->error_code, data->description, data->error_id, data->args, data->operation_name, result);
    if (sphere.failure_keys != nullptr) sphere.failure_keys(env, data, result);
  } else {
    success_json(env, data->operation_name, result);
    if (data->operation != VRA_ERROR_OPERATION && data->row != nullptr && data->row->answer != nullptr)
      data->row->answer(env, data, result);
  }
  settle_request(env, data, result);
}

void sphere_work_complete_ext(napi_env env, napi_status status, void* raw) {
  if (raw != nullptr) finish_error_fields(static_cast<InstanceData*>(raw));
  sphere_work_complete(env, status, raw);
}

napi_value define_spheres(napi_env env, napi_value exports, std::span<const SphereExport> spheres) {
  std::vector<napi_property_descriptor> descriptors(spheres.size());
  for (size_t i = 0; i < spheres.size(); ++i) {
    descriptors[i].utf8name = spheres[i].name;
    descriptors[i].method = spheres[i].method;
  }
  napi_status status = napi_define_properties(env, exports, descriptors.size(), descriptors.data());
  if (status != napi_ok) VRA_LOG_ERROR("Failed to define the spheres, error: %d", status);
  return exports;
}
