#include "config.h"

#include <strings.h>

#include "json.h"
#include "keys.h"
#include "log.h"

namespace {

struct LevelName {
  const char* name;
  int32_t level;
};

constexpr LevelName kLevels[] = {{"debug", LOG_DEBUG}, {"error", LOG_ERR}, {"info", LOG_INFO}, {"warn", LOG_WARNING}};

}  // namespace

napi_value native_config_sphere(napi_env env, napi_callback_info info) {
  size_t argc = 2;
  napi_value argv[2];
  if (napi_get_cb_info(env, info, &argc, argv, nullptr, nullptr) != napi_ok) {
    VRA_LOG_ERROR("Failed to retrieve data.");
    return nullptr;
  }
  napi_value value;
  napi_valuetype type;
  napi_status status = napi_typeof(env, argv[0], &type);
  if (status == napi_ok && type != napi_object && type != napi_function) status = napi_object_expected;
  if (status != napi_ok ||
      (status = napi_get_named_property(env, argv[0], comn_keys[comn_key::logLevel], &value)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("Failed to read native configuration, error: %d", status);
    return nullptr;
  }
  size_t length = 0;
  if ((status = napi_get_value_string_utf8(env, value, nullptr, 0, &length)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("Failed to get log level string length, error: %d", status);
    return nullptr;
  }
  char word[6];
  if (length > sizeof word - 1) {
    VRA_LOG_ERROR("Log level string size is more than expected: %d <%lu>", static_cast<int>(sizeof word), length);
    return nullptr;
  }
  if ((status = napi_get_value_string_utf8(env, value, word, sizeof word, &length)) != napi_ok) {
    VRA_LOG_ERROR("Failed to get the log level string, error: %d", status);
    return nullptr;
  }
  for (const LevelName& l : kLevels) {
    if (strcasecmp(word, l.name) == 0) {
      vra_rest_log_level.store(l.level, std::memory_order_relaxed);
      return nullptr;
    }
  }
  VRA_LOG_ERROR("Read invalid log level from prod.env file: %s", word);
  return nullptr;
}
