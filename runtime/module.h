// Module registration: the two symbols a Node-API add-on exports. Every
// other symbol of an add-on is hidden.
#pragma once

#include <node_api.h>

#define VRA_MODULE(init)                                                                                  \
  extern "C" __attribute__((visibility("default"))) int32_t node_api_module_get_api_version_v1(void) {  \
    return 8;                                                                                             \
  }                                                                                                       \
  extern "C" __attribute__((visibility("default"))) napi_value napi_register_module_v1(napi_env env,    \
                                                                                        napi_value exports) { \
    return init(env, exports);                                                                            \
  }
