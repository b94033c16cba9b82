// The request lifecycle, written once for every sphere of every add-on.
//
// A sphere is a descriptor (Sphere) whose handler table holds one row per
// operation (Operation): {code, name, resource name, input reader, work
// function, answer writer}. run_sphere() does the JS-thread part of a call:
// allocate the instance data, run the pre-checks, read `operation` and the
// caller's identity, select the row, run its reader and queue its work; any
// failure on the way becomes a resolved failure envelope through the error
// path. The completion function (sphere_work_complete_ext unless the sphere
// names its own) builds the envelope on the JS thread, resolves the Promise
// and releases the instance data and everything it owns.
#pragma once

#include <node_api.h>

#include <cstdint>
#include <new>
#include <span>

struct Sphere;
struct Operation;

// Lifecycle codes.
enum : int {
  VRA_ERR_RESOURCE_NAME = 40000,  // the async work's resource name could not be created
  VRA_ERR_QUEUE = 40009,          // the async work could not be queued
  VRA_ERR_PROMISE = 40010,        // the Promise could not be created
  VRA_ERR_ASYNC_WORK = 40021,     // the async work could not be created
};

// Operation code of a request that has been turned into an error answer.
constexpr int32_t VRA_ERROR_OPERATION = 99;

// The common part of every sphere's instance data. A sphere's own record
// derives from it and adds its parameters and results; it is value-initialised
// (zero-filled) at allocation, owns every buffer and list the request
// allocates, and is released by its sphere's release function on every path.
struct InstanceData {
  napi_async_work work;
  napi_deferred deferred;
  napi_value promise;
  char operation_name[64];
  int32_t operation;
  int32_t error_code;
  char description[129];  // written with a bound of 128 bytes
  char error_id[129];     // catalogue tag, filled by the completion step
  char args[129];         // at most 63 characters are copied in
  int32_t error_index;    // catalogue row; 0 for none
  const Sphere* sphere;   // the sphere that made this request
  const Operation* row;   // the selected operation; null before selection
};

// Records a failure: code, catalogue row, args (at most 63 characters) and a
// description formatted with a bound of 128 bytes.
void set_failure(InstanceData* data, int code, int index, const char* args, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

// The three roles of an operation's code. A reader returns 0, or nonzero
// after set_failure(); a work function runs on a worker thread and uses no
// Node-API; an answer writer adds the data keys of a successful answer.
using InputReader = int (*)(napi_env env, napi_value request, InstanceData* data);
using WorkFunction = napi_async_execute_callback;  // (env, data)
using AnswerWriter = void (*)(napi_env env, InstanceData* data, napi_value result);

struct Operation {
  int32_t code;
  const char* name;      // answered as `operation`
  const char* resource;  // resource name of the async work; null: the name
  InputReader read;      // null when the operation takes no parameters
  WorkFunction work;
  AnswerWriter answer;   // null when a successful answer has no data keys
};

// A sphere's instance data is allocated value-initialised (zero-filled) and
// released through its own type, so that the members it owns are freed.
template <class Data>
InstanceData* allocate_instance() {
  return new (std::nothrow) Data{};
}

template <class Data>
void release_instance(InstanceData* data) {
  delete static_cast<Data*>(data);
}

void sphere_work_complete_ext(napi_env env, napi_status status, void* data);

// A sphere: what it is called, its instance data and its handler table, then
// what sets it apart from the common case (each member below `operations`
// has the default most spheres use).
struct Sphere {
  const char* name;  // the JS name, e.g. "version_sphere"
  const char* area;  // names the sphere in its log lines, e.g. "version"
  InstanceData* (*allocate)();
  void (*release)(InstanceData* data);
  std::span<const Operation> operations;
  // Area pre-check (library bound, service running); returns 0 or nonzero
  // after set_failure().
  int (*precheck)(napi_env env, InstanceData* data) = nullptr;
  // Reads the caller's identity keys; returns 0, or nonzero after recording
  // the failure.
  int (*read_identity)(napi_env env, napi_value request, InstanceData* data) = nullptr;
  // Description when `operation` cannot be read ("%s" is the key); with
  // tag_operation_failure the failure also gets error index 2 and the key as
  // args.
  const char* operation_failure = "Failed to extract/convert %s. Retry.";
  bool tag_operation_failure = true;
  // Completion function: the shared one, or the sphere's own.
  napi_async_complete_callback complete = sphere_work_complete_ext;
  // Keys a failed answer carries besides `error` (the object the request
  // named, for example).
  AnswerWriter failure_keys = nullptr;
};

// The instance data handed to a work or completion function.
template <class Data>
Data* instance_of(void* data) {
  return static_cast<Data*>(static_cast<InstanceData*>(data));
}

// The JS-thread part of a sphere call: returns the Promise, or undefined
// (a null napi_value) when no Promise could be made or the operation code is
// unknown.
napi_value run_sphere(napi_env env, napi_callback_info info, const Sphere& sphere);

int create_promise_and_async_work(napi_env env, const char* resource_name, napi_value* promise,
                                  napi_deferred* deferred, napi_async_work* work, napi_async_execute_callback execute,
                                  napi_async_complete_callback complete, void* data);
int create_promise_for_error(napi_env env, InstanceData* data, const char* text, int32_t code);
void error_promise_work(napi_env env, void* data);

// Envelope writers: `status`, `operation`, and on failure `error` with
// `errorCode`, `description`, then `errorID` when the tag is not empty and
// `args` when both tag and args are not empty.
void success_json(napi_env env, const char* operation_name, napi_value result);
void error_json(napi_env env, int32_t error_code, const char* description, const char* error_id, const char* args,
                const char* operation_name, napi_value result);

// Completion steps. The companion finishes the error fields (the file-system
// error name as description, the catalogue tag as error id), then the plain
// completion builds the envelope, resolves, deletes the work and releases.
void finish_error_fields(InstanceData* data);
// Its two halves: the file-system error name replacing the description, and
// the catalogue tag of error_index.
void set_error_name(InstanceData* data);
void set_error_tag(InstanceData* data);
void sphere_work_complete(napi_env env, napi_status status, void* data);
// Creates the result object: the first step of every completion function.
// When it cannot, the work item and the instance data are released (the
// Promise stays pending) and false is returned.
bool begin_answer(napi_env env, InstanceData* data, napi_value* result);
// Resolves the request's Promise with result, deletes its work item and
// releases the instance data: the last step of every completion function.
void settle_request(napi_env env, InstanceData* data, napi_value result);

// Defines the spheres on exports with one napi_define_properties call.
struct SphereExport {
  const char* name;
  napi_callback method;
};
napi_value define_spheres(napi_env env, napi_value exports, std::span<const SphereExport> spheres);
