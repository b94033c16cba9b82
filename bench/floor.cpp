// The benchmarks' floor: the cheapest possible Node-API async round trip
// (create a Promise, queue empty work, resolve it with an empty object).
#include <node_api.h>

#include "module.h"

namespace {

struct Request {
  napi_async_work work;
  napi_deferred deferred;
};

void execute(napi_env, void*) {}

void complete(napi_env env, napi_status, void* raw) {
  auto* request = static_cast<Request*>(raw);
  napi_value result;
  napi_create_object(env, &result);
  napi_resolve_deferred(env, request->deferred, result);
  napi_delete_async_work(env, request->work);
  delete request;
}

napi_value floor_call(napi_env env, napi_callback_info) {
  auto* request = new Request{};
  napi_value promise, name;
  napi_create_promise(env, &request->deferred, &promise);
  napi_create_string_utf8(env, "floor", NAPI_AUTO_LENGTH, &name);
  napi_create_async_work(env, nullptr, name, execute, complete, request, &request->work);
  napi_queue_async_work(env, request->work);
  return promise;
}

napi_value Init(napi_env env, napi_value exports) {
  napi_property_descriptor d = {};
  d.utf8name = "floor_call";
  d.method = floor_call;
  napi_define_properties(env, exports, 1, &d);
  return exports;
}

}  // namespace

VRA_MODULE(Init)
