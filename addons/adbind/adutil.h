#pragma once

#include <atomic>
#include <cstdint>

#include <node_api.h>

// Whether HRPT_JoinServerToAD is bound.
extern std::atomic<uint8_t> is_adbind_hrpt_loaded;
// Binds the one volume-manager entry point this add-on uses; the flag stays 0
// when the library or the entry point is missing.
void load_adbind_hrpt_functions();

napi_value adutil_sphere(napi_env env, napi_callback_info info);
