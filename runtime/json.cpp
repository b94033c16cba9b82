#include "json.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "log.h"
#include "text.h"

namespace {

constexpr size_t kMessageBound = 128;

bool is_object(napi_env env, napi_value value, napi_status* status) {
  napi_valuetype type;
  *status = napi_typeof(env, value, &type);
  if (*status != napi_ok) return false;
  if (type == napi_object || type == napi_function) return true;
  *status = napi_object_expected;
  return false;
}

// Steps shared by every property reader: fetch the property of an object,
// then its type.
int fetch(napi_env env, napi_value object, const char* key, napi_value* value, napi_valuetype* type,
          const char* typeof_failure) {
  napi_status status;
  if (!is_object(env, object, &status) || (status = napi_get_named_property(env, object, key, value)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("'%s' value could not be extracted, error: %d", key, status);
    return VRA_ERR_FETCH;
  }
  if ((status = napi_typeof(env, *value, type)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR(typeof_failure, key, status);
    return VRA_ERR_TYPEOF;
  }
  return 0;
}

// Length, allocation and copy of a string value into a new text.
int copy_new_text(napi_env env, napi_value value, const char* key, char** out) {
  size_t length = 0;
  napi_status status = napi_get_value_string_utf8(env, value, nullptr, 0, &length);
  if (status != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("'%s' value's length could not be found, error: %d", key, status);
    return VRA_ERR_STRING;
  }
  char* text = static_cast<char*>(calloc(length + 1, 1));
  if (text == nullptr) {
    VRA_LOG_ERROR("Failed to allocate memory to store received '%s'", key);
    return VRA_ERR_NO_MEMORY;
  }
  *out = text;
  if ((status = napi_get_value_string_utf8(env, value, text, length + 1, &length)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("'%s' value could not be converted, error: %d", key, status);
    return VRA_ERR_STRING;
  }
  return 0;
}

// Numeric and boolean readers differ only in the accepted type, the
// conversion and the code.
template <class T, class Convert>
int read_scalar(napi_env env, napi_value object, const char* key, T* out, napi_valuetype accepted, int code,
                const char* typeof_failure, Convert convert) {
  napi_value value;
  napi_valuetype type;
  if (int rc = fetch(env, object, key, &value, &type, typeof_failure)) return rc;
  if (type != accepted) return 0;
  T converted{};
  napi_status status = convert(value, &converted);
  if (status != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("'%s' value could not be converted, error: %d", key, status);
    return code;
  }
  *out = converted;
  return 0;
}

bool make_string(napi_env env, const char* text, napi_value* value, napi_status* status) {
  *status = napi_create_string_utf8(env, text, strlen(text), value);
  return *status == napi_ok;
}

}  // namespace

void clear_pending_exception(napi_env env) {
  bool pending = false;
  if (napi_is_exception_pending(env, &pending) == napi_ok && pending) {
    napi_value ignored;
    napi_get_and_clear_last_exception(env, &ignored);
  }
}

bool validate_key(napi_env env, napi_value object, const char* key, bool log_absent) {
  bool present = false;
  napi_status status;
  if (is_object(env, object, &status)) status = napi_has_named_property(env, object, key, &present);
  if (status == napi_ok && present) return true;
  clear_pending_exception(env);
  if (log_absent) VRA_LOG_ERROR("Failed to check if key '%s' is present in JSON object, error: %d", key, status);
  return false;
}

int get_named_property_to_string(napi_env env, napi_value object, const char* key, char* buffer, size_t size) {
  napi_value value;
  napi_valuetype type;
  if (int rc = fetch(env, object, key, &value, &type, "Failed to check the napi_typeof of %s, error: %d")) return rc;
  if (type != napi_string) {
    VRA_LOG_ERROR("Unknown type of value received (%s).", key);
    return VRA_ERR_NOT_STRING;
  }
  size_t copied = 0;
  napi_status status = napi_get_value_string_utf8(env, value, buffer, size, &copied);
  if (status != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("'%s' value could not be converted: %zu, error: %d", key, copied, status);
    return VRA_ERR_STRING;
  }
  return 0;
}

int get_named_property_to_string_ext(napi_env env, napi_value object, const char* key, char** out) {
  napi_value value;
  napi_valuetype type;
  if (int rc = fetch(env, object, key, &value, &type, "Failed to check the napi_typeof of %s, error: %d")) return rc;
  if (type != napi_string) {
    VRA_LOG_ERROR("Unknown type of value received for: %s", key);
    return VRA_ERR_NOT_STRING;
  }
  return copy_new_text(env, value, key, out);
}

int get_named_property_to_uint32(napi_env env, napi_value object, const char* key, uint32_t* out) {
  return read_scalar(env, object, key, out, napi_number, VRA_ERR_UINT32, "Failed to check the napi_typeof of: %s, error: %d",
                     [env](napi_value v, uint32_t* r) { return napi_get_value_uint32(env, v, r); });
}

int get_named_property_to_int32(napi_env env, napi_value object, const char* key, int32_t* out) {
  return read_scalar(env, object, key, out, napi_number, VRA_ERR_INT32, "Failed to check the napi_typeof of %s, error: %d",
                     [env](napi_value v, int32_t* r) { return napi_get_value_int32(env, v, r); });
}

int get_named_property_to_int64(napi_env env, napi_value object, const char* key, int64_t* out) {
  return read_scalar(env, object, key, out, napi_number, VRA_ERR_INT64, "Failed to check the napi_typeof of %s, error: %d",
                     [env](napi_value v, int64_t* r) { return napi_get_value_int64(env, v, r); });
}

int get_named_property_to_uint64(napi_env env, napi_value object, const char* key, uint64_t* out) {
  return read_scalar(env, object, key, out, napi_bigint, VRA_ERR_INT64, "Failed to check the napi_typeof of %s, error: %d",
                     [env](napi_value v, uint64_t* r) {
                       bool lossless;
                       return napi_get_value_bigint_uint64(env, v, r, &lossless);
                     });
}

int get_named_property_to_bool(napi_env env, napi_value object, const char* key, bool* out) {
  return read_scalar(env, object, key, out, napi_boolean, VRA_ERR_BOOL, "Failed to check the napi_typeof of %s, error: %d",
                     [env](napi_value v, bool* r) { return napi_get_value_bool(env, v, r); });
}

int get_named_value_to_string(napi_env env, napi_value value, const char* key, char** out) {
  return copy_new_text(env, value, key, out);
}

int get_named_value_to_string_ext(napi_env env, napi_value value, const char* key, char* buffer, size_t size,
                                  size_t* length) {
  napi_status status = napi_get_value_string_utf8(env, value, nullptr, 0, length);
  if (status != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("'%s' value's length could not be found, error: %d", key, status);
    return VRA_ERR_STRING;
  }
  if (size == 0 || *length + 1 > size) {
    if (size) buffer[0] = '\0';
    VRA_LOG_ERROR("'%s' value does not fit %zu bytes: %zu", key, size, *length);
    return VRA_ERR_STRING;
  }
  if ((status = napi_get_value_string_utf8(env, value, buffer, *length + 1, length)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("'%s' value could not be converted, error: %d", key, status);
    return VRA_ERR_STRING;
  }
  return 0;
}

void create_string_utf8(napi_env env, napi_value object, const char* key, const char* text) {
  if (text == nullptr) text = "";
  napi_value value;
  napi_status status;
  if (!make_string(env, text, &value, &status)) {
    VRA_LOG_ERROR("Failed to create NAPI string for %s: %s, error: %d", key, text, status);
    return;
  }
  napi_set_named_property(env, object, key, value);
}

void create_pwd_string_utf8(napi_env env, napi_value object, const char* key, const char* text) {
  if (text == nullptr) text = "";
  napi_value value;
  napi_status status;
  if (!make_string(env, text, &value, &status)) {
    VRA_LOG_ERROR("Failed to create NAPI string for %s: ****, error: %d", key, status);
    return;
  }
  napi_set_named_property(env, object, key, value);
}

void create_boolean(napi_env env, napi_value object, const char* key, int value) {
  napi_value v;
  bool flag = (value & 0xff) != 0;
  napi_status status = napi_get_boolean(env, flag, &v);
  if (status != napi_ok) {
    VRA_LOG_ERROR("Failed to create NAPI value for %s: %d, error: %d", key, flag, status);
    return;
  }
  napi_set_named_property(env, object, key, v);
}

void create_int64(napi_env env, napi_value object, const char* key, int64_t value) {
  napi_value v;
  napi_status status = napi_create_int64(env, value, &v);
  if (status != napi_ok) {
    VRA_LOG_ERROR("Failed to create NAPI value for %s: %" PRId64 ", error: %d", key, value, status);
    return;
  }
  napi_set_named_property(env, object, key, v);
}

namespace {
template <class T, class Create>
void create_small_number(napi_env env, napi_value object, const char* key, T value, Create create) {
  napi_value v;
  napi_status status = create(&v);
  if (status != napi_ok) {
    char shown[16];
    snprintf(shown, sizeof shown, "%u\n", static_cast<unsigned>(value));
    VRA_LOG_ERROR("Failed to create napi int for %s: %s, error: %d", key, shown, status);
    return;
  }
  napi_set_named_property(env, object, key, v);
}
}  // namespace

void create_int32(napi_env env, napi_value object, const char* key, int32_t value) {
  create_small_number(env, object, key, value, [&](napi_value* v) { return napi_create_int32(env, value, v); });
}

void create_uint32(napi_env env, napi_value object, const char* key, uint32_t value) {
  create_small_number(env, object, key, value, [&](napi_value* v) { return napi_create_uint32(env, value, v); });
}

void create_double(napi_env env, napi_value object, const char* key, double value) {
  napi_value v;
  napi_status status = napi_create_double(env, value, &v);
  if (status != napi_ok) {
    VRA_LOG_ERROR("Failed to create napi double for %s: %lf, error: %d", key, value, status);
    return;
  }
  napi_set_named_property(env, object, key, v);
}

void create_uint32_to_string_utf8(napi_env env, napi_value object, const char* key, uint32_t value) {
  char text[64] = {};
  snprintf(text, sizeof text, "%u", value);
  create_string_utf8(env, object, key, text);
}

void create_int64_to_string_utf8(napi_env env, napi_value object, const char* key, int64_t value) {
  char text[64] = {};
  snprintf(text, sizeof text, "%" PRId64, value);
  create_string_utf8(env, object, key, text);
}

void create_uint64_to_string_utf8(napi_env env, napi_value object, const char* key, uint64_t value) {
  char text[64] = {};
  snprintf(text, sizeof text, "%" PRIu64, value);
  create_string_utf8(env, object, key, text);
}

void create_ull_to_string_utf8(napi_env env, napi_value object, const char* key, unsigned long long value) {
  char text[64] = {};
  snprintf(text, sizeof text, "%llu", value);
  create_string_utf8(env, object, key, text);
}

void add_string_to_array(napi_env env, const char* text, uint32_t index, napi_value array) {
  if (text == nullptr) text = "";
  napi_value value;
  napi_status status;
  if (!make_string(env, text, &value, &status)) {
    VRA_LOG_ERROR("Failed to create NAPI string, error: %d", status);
    return;
  }
  if ((status = napi_set_element(env, array, index, value)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("Failed to add data into NAPI array, error: %d", status);
  }
}

int add_string_to_array_ext(napi_env env, napi_value array, uint32_t index, const char* text, char* message) {
  if (text == nullptr) text = "";
  napi_value value;
  napi_status status;
  if (!make_string(env, text, &value, &status)) {
    VRA_LOG_ERROR("Failed to create NAPI string for: %s, error: %d", text, status);
    format_text(message, kMessageBound, "Failed to create NAPI string for: %s", text);
    return status;
  }
  if ((status = napi_set_element(env, array, index, value)) != napi_ok) {
    clear_pending_exception(env);
    VRA_LOG_ERROR("Failed to add NAPI string \"%s\" into array object, error: %d", text, status);
    format_text(message, kMessageBound, "Failed to add NAPI string \"%s\" into array object", text);
    return status;
  }
  return 0;
}
