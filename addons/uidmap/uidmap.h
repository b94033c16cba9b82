#pragma once

#include <node_api.h>

napi_value uidmap_sphere(napi_env env, napi_callback_info info);
