// Readers of request properties and writers of answer properties. Readers
// return 0 or a reader code; writers log their failures and go on. None of
// them throws into JS: an exception raised while reading (a throwing getter
// or Proxy trap) is cleared and reported as the read's failure.
#pragma once

#include <node_api.h>

#include <cstddef>
#include <cstdint>

// Reader codes.
enum : int {
  VRA_ERR_FETCH = 40002,       // the property could not be fetched
  VRA_ERR_TYPEOF = 40003,      // its type could not be determined
  VRA_ERR_STRING = 40004,      // a string's length or text could not be read
  VRA_ERR_UINT32 = 40005,
  VRA_ERR_INT32 = 40006,
  VRA_ERR_INT64 = 40007,
  VRA_ERR_BOOL = 40008,
  VRA_ERR_NOT_STRING = 40011,  // a string was expected and another type found
  VRA_ERR_MISSING = 40016,     // a required property is missing
  VRA_ERR_NO_MEMORY = 40017,
};

// A failed Node-API call may leave a JS exception pending (a throwing getter
// or Proxy trap); it must not reach the caller, and every later Node-API call
// would fail while it is pending: clear it.
void clear_pending_exception(napi_env env);

// True when the object reports the key present (inherited properties and
// properties holding undefined count). With log_absent, a false answer is
// logged with the Node-API status (0 when the key is merely absent).
bool validate_key(napi_env env, napi_value object, const char* key, bool log_absent);

// String into the caller's buffer, cut to size - 1 bytes and terminated.
int get_named_property_to_string(napi_env env, napi_value object, const char* key, char* buffer, size_t size);
// String into a new malloc'ed text of length + 1 bytes; *out belongs to the
// caller also when the copy failed.
int get_named_property_to_string_ext(napi_env env, napi_value object, const char* key, char** out);
// Numbers and booleans: a value of another type (undefined included) leaves
// *out unchanged and returns 0.
int get_named_property_to_uint32(napi_env env, napi_value object, const char* key, uint32_t* out);
int get_named_property_to_int32(napi_env env, napi_value object, const char* key, int32_t* out);
int get_named_property_to_int64(napi_env env, napi_value object, const char* key, int64_t* out);
int get_named_property_to_uint64(napi_env env, napi_value object, const char* key, uint64_t* out);  // BigInt only
int get_named_property_to_bool(napi_env env, napi_value object, const char* key, bool* out);

// A string value already fetched (key names it in log lines only) into a new
// malloc'ed text; *out belongs to the caller.
int get_named_value_to_string(napi_env env, napi_value value, const char* key, char** out);
// A string value into the caller's buffer of `size` bytes; *length receives
// the text's length. A text that does not fit (length + 1 > size) is refused
// with 40004 and the buffer is left empty.
int get_named_value_to_string_ext(napi_env env, napi_value value, const char* key, char* buffer, size_t size,
                                  size_t* length);

// Writers of a named property; a null text is written as "".
void create_string_utf8(napi_env env, napi_value object, const char* key, const char* text);
void create_pwd_string_utf8(napi_env env, napi_value object, const char* key, const char* text);
void create_boolean(napi_env env, napi_value object, const char* key, int value);  // low byte of value
void create_int64(napi_env env, napi_value object, const char* key, int64_t value);
void create_int32(napi_env env, napi_value object, const char* key, int32_t value);
void create_uint32(napi_env env, napi_value object, const char* key, uint32_t value);
void create_double(napi_env env, napi_value object, const char* key, double value);
// 64-bit quantities do not fit a JS number exactly: decimal text instead.
void create_uint32_to_string_utf8(napi_env env, napi_value object, const char* key, uint32_t value);
void create_int64_to_string_utf8(napi_env env, napi_value object, const char* key, int64_t value);
void create_uint64_to_string_utf8(napi_env env, napi_value object, const char* key, uint64_t value);
void create_ull_to_string_utf8(napi_env env, napi_value object, const char* key, unsigned long long value);

// Writers of an array element.
void add_string_to_array(napi_env env, const char* text, uint32_t index, napi_value array);
// Returns the Node-API status; on failure also writes a message into the
// caller's 128-byte-bounded message buffer (usually its description).
int add_string_to_array_ext(napi_env env, napi_value array, uint32_t index, const char* text, char* message);
