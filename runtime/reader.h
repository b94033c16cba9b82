// The input-reader convention shared by every sphere: test the key's
// presence, read it with the reader that fits its type, and on failure record
// code, catalogue row, args and description in the instance data:
//   absent and required  -> 40016, row 4, "Data received does not contain %s"
//   present, read failed -> reader's code, row 2, "Failed to extract/convert %s"
#pragma once

#include "json.h"
#include "log.h"
#include "sphere.h"

enum class Presence {
  required,
  optional,
  optional_logged,  // optional, and its absence is logged
};

// Returns 1 when the key was read, 0 when an optional key is absent (the
// field keeps its default), -1 on failure. read() returns a reader code.
template <class Read>
int read_request_key(napi_env env, napi_value request, InstanceData* data, const char* key, Presence presence,
                     Read read) {
  if (!validate_key(env, request, key, presence == Presence::optional_logged)) {
    if (presence != Presence::required) return 0;
    set_failure(data, VRA_ERR_MISSING, 4, key, "Data received does not contain %s", key);
    VRA_LOG_ERROR("%s", data->description);
    return -1;
  }
  if (int rc = read()) {
    set_failure(data, rc, 2, key, "Failed to extract/convert %s", key);
    VRA_LOG_ERROR("%s", data->description);
    return -1;
  }
  return 1;
}
