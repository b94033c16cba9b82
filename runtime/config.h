#pragma once

#include <node_api.h>

// native_config_sphere({logLevel: "error" | "warn" | "info" | "debug"}), in
// any case: sets this add-on's log level. Returns undefined; a refused
// request is only logged and leaves the level unchanged.
napi_value native_config_sphere(napi_env env, napi_callback_info info);
