// Stand-in of the identity translation library libvru.so.0. It answers from
// the users database of the sandbox (state/users.json), which other stand-ins
// share:
//   {"users": [{"dn": "cn=admin,o=tarvik", "guid": "8-4-4-4-12 hex",
//               "sid": "S-1-5-21-...", "uid": 0, "type": "directory" | "ad",
//               "objectClass": "User", "supervisor": true,
//               "securityEquivalence": ["<guid text>", ...]}]}
// Names are matched without regard to case. Unknown users answer
// kUserNotFound, an unreadable GUID text kBadGuid.
#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "convert.h"
#include "platform/vru.h"
#include "testbed.h"

namespace {

using testbed::json;

constexpr const char* kLibrary = "vru";
constexpr const char* kUsers = "users";
constexpr int32_t kUserNotFound = -9011;
constexpr int32_t kBadGuid = -9003;

bool parse_guid(const std::string& text, uint8_t* out) {
  std::string hex;
  for (char c : text) {
    if (isxdigit(static_cast<unsigned char>(c))) hex += c;
    else if (c != '-' && c != '{' && c != '}') return false;
  }
  if (hex.size() != 2 * VRU_GUID_SIZE) return false;
  for (int i = 0; i < VRU_GUID_SIZE; ++i) out[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  return true;
}

// "S-1-5-21-a-b-c-rid" in its raw form: revision, sub-authority count,
// 48-bit authority (big-endian), sub-authorities (32-bit little-endian).
void encode_sid(const std::string& text, uint8_t* out) {
  memset(out, 0, VRU_SID_SIZE);
  std::vector<uint64_t> parts;
  size_t pos = 2;  // after "S-"
  while (pos < text.size()) {
    size_t next = text.find('-', pos);
    parts.push_back(strtoull(text.substr(pos, next - pos).c_str(), nullptr, 10));
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  if (parts.size() < 2) return;
  size_t subs = std::min<size_t>(parts.size() - 2, 15);
  out[0] = static_cast<uint8_t>(parts[0]);
  out[1] = static_cast<uint8_t>(subs);
  for (int i = 0; i < 6; ++i) out[2 + i] = static_cast<uint8_t>(parts[1] >> (8 * (5 - i)));
  for (size_t s = 0; s < subs; ++s)
    for (int b = 0; b < 4; ++b) out[8 + 4 * s + b] = static_cast<uint8_t>(parts[2 + s] >> (8 * b));
}

std::vector<json> users() {
  json state = testbed::read_state(kUsers);
  auto list = state.find("users");
  if (list == state.end() || !list->is_array()) return {};
  return list->get<std::vector<json>>();
}

template <class Match>
std::optional<json> find_user(Match match) {
  for (const json& user : users())
    if (user.is_object() && match(user)) return user;
  return std::nullopt;
}

std::string text_of(const json& user, const char* key) {
  auto v = user.find(key);
  return v != user.end() && v->is_string() ? v->get<std::string>() : std::string();
}

void describe(const json& user, int32_t* user_type, uint8_t* sid, uint32_t* uid, int32_t* reserved) {
  if (user_type) *user_type = text_of(user, "type") == "ad" ? 2 : VRU_USER_DIRECTORY;
  if (sid) encode_sid(text_of(user, "sid"), sid);
  if (uid) *uid = user.value("uid", 0u);
  if (reserved) *reserved = 0;
}

std::vector<std::string> equivalence(const json& user) {
  std::vector<std::string> out;
  if (auto list = user.find("securityEquivalence"); list != user.end() && list->is_array())
    for (const json& e : *list)
      if (e.is_string()) out.push_back(e.get<std::string>());
  return out;
}

void fill_list(const std::vector<std::string>& guids, uint8_t* list) {
  for (size_t i = 0; i < guids.size(); ++i)
    if (!parse_guid(guids[i], list + i * VRU_SEV_ENTRY_SIZE)) memset(list + i * VRU_SEV_ENTRY_SIZE, 0, VRU_SEV_ENTRY_SIZE);
}

}  // namespace

extern "C" TESTBED_EXPORT int32_t vrulib_string_to_guid(const char* text, uint8_t* guid) {
  testbed::Call call(kLibrary, "vrulib_string_to_guid", {{"text", text ? text : ""}});
  if (auto injected = call.injected()) return call.finish(*injected);
  return call.finish(text != nullptr && guid != nullptr && parse_guid(text, guid) ? 0 : kBadGuid);
}

extern "C" TESTBED_EXPORT int32_t vrulib_get_userinfo_from_guid(const uint8_t* guid, int32_t* user_type, uint8_t* sid,
                                                                uint32_t* uid, int32_t* reserved, char** name) {
  char text[2 * VRU_GUID_SIZE + 1] = {};
  for (int i = 0; guid && i < VRU_GUID_SIZE; ++i) snprintf(text + 2 * i, 3, "%02x", guid[i]);
  testbed::Call call(kLibrary, "vrulib_get_userinfo_from_guid", {{"guid", text}});
  if (auto injected = call.injected()) return call.finish(*injected);
  auto user = find_user([&](const json& u) {
    uint8_t g[VRU_GUID_SIZE];
    return guid != nullptr && parse_guid(text_of(u, "guid"), g) && memcmp(g, guid, VRU_GUID_SIZE) == 0;
  });
  if (!user) return call.finish(kUserNotFound);
  describe(*user, user_type, sid, uid, reserved);
  if (name) *name = strdup(text_of(*user, "dn").c_str());
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t vrulib_get_userinfo_from_name(const char* dn, int32_t* user_type, uint8_t* guid,
                                                                uint8_t* sid, uint32_t* uid, int32_t* reserved) {
  testbed::Call call(kLibrary, "vrulib_get_userinfo_from_name", {{"dn", dn ? dn : ""}});
  if (auto injected = call.injected()) return call.finish(*injected);
  auto user = find_user([&](const json& u) { return dn != nullptr && strcasecmp(text_of(u, "dn").c_str(), dn) == 0; });
  if (!user) return call.finish(kUserNotFound);
  describe(*user, user_type, sid, uid, reserved);
  if (guid && !parse_guid(text_of(*user, "guid"), guid)) memset(guid, 0, VRU_GUID_SIZE);
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t vrulib_get_sevlist_from_name(const uint16_t* name, uint32_t* count, uint8_t* list,
                                                               int32_t* supervisor) {
  std::string utf8;
  if (name != nullptr) {
    size_t units = 0;
    while (name[units] != 0) ++units;
    utf8.resize(3 * units + 1);
    utf8.resize(static_cast<size_t>(convert_unicode_to_utf8(name, utf8.data())));
  }
  testbed::Call call(kLibrary, "vrulib_get_sevlist_from_name", {{"name", utf8}, {"capacity", count ? *count : 0}});
  if (auto injected = call.injected()) return call.finish(*injected);
  auto user = find_user([&](const json& u) { return strcasecmp(text_of(u, "dn").c_str(), utf8.c_str()) == 0; });
  if (!user || count == nullptr || supervisor == nullptr) return call.finish(kUserNotFound);
  std::vector<std::string> guids = equivalence(*user);
  if (guids.size() > *count || list == nullptr) {
    *count = static_cast<uint32_t>(guids.size());
    return call.finish(VRU_ERR_BUFFER_TOO_SMALL);
  }
  fill_list(guids, list);
  *count = static_cast<uint32_t>(guids.size());
  *supervisor = user->value("supervisor", false) ? 1 : 0;
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t vrulib_get_sevlist_from_sid(const uint8_t* sid, uint32_t* count, uint8_t** list,
                                                              int32_t* supervisor) {
  testbed::Call call(kLibrary, "vrulib_get_sevlist_from_sid", testbed::json::object());
  if (auto injected = call.injected()) return call.finish(*injected);
  auto user = find_user([&](const json& u) {
    uint8_t raw[VRU_SID_SIZE];
    encode_sid(text_of(u, "sid"), raw);
    return sid != nullptr && memcmp(raw, sid, VRU_SID_SIZE) == 0;
  });
  if (!user || count == nullptr || list == nullptr || supervisor == nullptr) return call.finish(kUserNotFound);
  std::vector<std::string> guids = equivalence(*user);
  *list = static_cast<uint8_t*>(calloc(guids.size() + 1, VRU_SEV_ENTRY_SIZE));
  fill_list(guids, *list);
  *count = static_cast<uint32_t>(guids.size());
  *supervisor = user->value("supervisor", false) ? 1 : 0;
  return call.finish(0);
}
