// The storage add-on's spheres, in registration order.
#pragma once

#include <node_api.h>

napi_value pvf_device_sphere(napi_env env, napi_callback_info info);
