// Stand-in of the PVF kernel module behind /dev/zapi, served in process: the
// testbed's shim hands it every request record read from the device.
//
// Volumes are the tmpfs mounts that testbed/run makes from the fixture's
// volumes/ folder (the mount table lists them under their names); objects are
// the real files and folders in them, ZIDs their inode numbers, a volume ID is
// derived from the volume's name. The file-system metadata (attribute bits,
// owner and other identities, trustees, inherited rights mask, directory
// quota) is kept in the extended attribute trusted.vra of each object, seeded
// from the fixture's volumes.json when the module starts in a sandbox.
//
// Keys form a table per root key (the user id given to zRootKey); a closed or
// unknown key fails with kBadKey. Every request is journaled (journal/zapi.jsonl)
// and the number of open keys is kept in state/zapi.json ("openKeys"). The
// module does its disk work as root and gives the calling thread its
// file-system user id back afterwards.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert.h"
#include "platform/pvf_device.h"
#include "testbed.h"

namespace {

using testbed::json;

constexpr const char* kLibrary = "zapi";
constexpr const char* kMetaAttribute = "trusted.vra";
constexpr int64_t kBadKey = 20011;
constexpr int64_t kUnsupported = 20020;
constexpr int64_t kNotFound = zERR_NAME_NOT_FOUND_IN_DIRECTORY;

// ---- the request record --------------------------------------------------------

struct Record {
  zapi_request* r;
  uint32_t u32(size_t offset) const {
    uint32_t v;
    memcpy(&v, reinterpret_cast<const uint8_t*>(r) + offset, sizeof v);
    return v;
  }
  uint64_t u64(size_t offset) const {
    uint64_t v;
    memcpy(&v, reinterpret_cast<const uint8_t*>(r) + offset, sizeof v);
    return v;
  }
  void put64(size_t offset, uint64_t v) { memcpy(reinterpret_cast<uint8_t*>(r) + offset, &v, sizeof v); }
};

std::string decode_name(const void* data, uint64_t length, bool utf8) {
  if (data == nullptr || length == 0) return {};
  if (utf8) return std::string(static_cast<const char*>(data), strnlen(static_cast<const char*>(data), length));
  std::vector<uint16_t> units(length / 2 + 1, 0);
  memcpy(units.data(), data, length / 2 * 2);
  std::string out(3 * units.size() + 1, '\0');
  out.resize(static_cast<size_t>(convert_unicode_to_utf8(units.data(), out.data())));
  return out;
}

const char* function_name(int64_t f) {
  switch (f) {
    case ZAPI_ROOT_KEY: return "zRootKey";
    case ZAPI_CLOSE: return "zClose";
    case ZAPI_OPEN: return "zOpen";
    case ZAPI_GET_INFO: return "zGetInfo";
    case ZAPI_GET_INFO_BY_NAME: return "zGetInfoByName";
    case ZAPI_ENUMERATE: return "zEnumerate";
    case ZAPI_WILD_READ: return "zWildRead";
    case ZAPI_WILD_REWIND: return "zWildRewind";
    default: return "unsupported";
  }
}

// ---- volumes and objects ---------------------------------------------------------

struct Object {
  std::string volume;     // as the mount table names it
  std::string mount_dir;
  std::string relative;   // "" for the volume's root, else "a/b"
  std::string full() const { return relative.empty() ? mount_dir : mount_dir + "/" + relative; }
  std::string name() const {
    if (relative.empty()) return volume;
    size_t slash = relative.rfind('/');
    return slash == std::string::npos ? relative : relative.substr(slash + 1);
  }
};

std::optional<std::pair<std::string, std::string>> find_volume(const std::string& name) {
  std::ifstream mounts("/proc/self/mounts");
  std::string source, dir, type, rest;
  while (mounts >> source >> dir >> type && std::getline(mounts, rest))
    if (type == "tmpfs" && strcasecmp(source.c_str(), name.c_str()) == 0) return std::pair{source, dir};
  return std::nullopt;
}

// "VOL:/a\b" (absolute) or "a/b" relative to `base`; ".." is refused.
std::optional<Object> resolve(const std::string& path, const Object* base) {
  Object o;
  std::string rest;
  size_t colon = path.find(':');
  if (colon != std::string::npos) {
    auto volume = find_volume(path.substr(0, colon));
    if (!volume) return std::nullopt;
    o.volume = volume->first;
    o.mount_dir = volume->second;
    rest = path.substr(colon + 1);
  } else {
    if (base == nullptr) return std::nullopt;
    o = *base;
    rest = path;
  }
  std::replace(rest.begin(), rest.end(), '\\', '/');
  std::stringstream parts(rest);
  std::string part;
  while (std::getline(parts, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    o.relative = o.relative.empty() ? part : o.relative + "/" + part;
  }
  struct stat st;
  if (lstat(o.full().c_str(), &st) != 0) return std::nullopt;
  return o;
}

void volume_id(const std::string& volume, uint8_t* out) {
  uint64_t h1 = 1469598103934665603ull, h2 = 1099511628211ull * 31;
  for (char c : volume) {
    const auto u = static_cast<uint8_t>(toupper(static_cast<unsigned char>(c)));
    h1 = (h1 ^ u) * 1099511628211ull;
    h2 = (h2 ^ u) * 14695981039346656037ull;
  }
  memcpy(out, &h1, 8);
  memcpy(out + 8, &h2, 8);
}

json metadata(const std::string& path) {
  char buffer[65536];
  ssize_t n = lgetxattr(path.c_str(), kMetaAttribute, buffer, sizeof buffer);
  if (n <= 0) return json::object();
  json meta = json::parse(std::string(buffer, static_cast<size_t>(n)), nullptr, false);
  return meta.is_object() ? meta : json::object();
}

bool parse_guid(const std::string& text, uint8_t* out) {
  std::string hex;
  for (char c : text)
    if (isxdigit(static_cast<unsigned char>(c))) hex += c;
  if (hex.size() != 32) return false;
  for (int i = 0; i < 16; ++i) out[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  return true;
}

// "S-1-5-21-..." packed: revision, count, 48-bit authority, sub-authorities.
void pack_sid(const std::string& text, uint8_t* out) {
  std::vector<uint64_t> parts;
  std::stringstream s(text.size() > 2 ? text.substr(2) : "");
  std::string part;
  while (std::getline(s, part, '-')) parts.push_back(strtoull(part.c_str(), nullptr, 10));
  if (parts.size() < 2) return;
  const size_t subs = std::min<size_t>(parts.size() - 2, 15);
  out[0] = static_cast<uint8_t>(parts[0]);
  out[1] = static_cast<uint8_t>(subs);
  for (int i = 0; i < 6; ++i) out[2 + i] = static_cast<uint8_t>(parts[1] >> (8 * (5 - i)));
  for (size_t k = 0; k < subs; ++k)
    for (int b = 0; b < 4; ++b) out[8 + 4 * k + b] = static_cast<uint8_t>(parts[2 + k] >> (8 * b));
}

// An identity of the metadata: {"guid": ...} or {"sid": ...}; true for a SID.
bool put_identity(const json& who, uint8_t* guid_field, uint8_t* sid_field) {
  if (!who.is_object()) return false;
  if (who.contains("sid") && who["sid"].is_string()) {
    if (sid_field) pack_sid(who["sid"].get<std::string>(), sid_field);
    return true;
  }
  if (who.contains("guid") && who["guid"].is_string() && guid_field) parse_guid(who["guid"].get<std::string>(), guid_field);
  return false;
}

uint64_t used_below(const std::string& dir) {
  uint64_t total = 0;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
      std::string p = dir + "/" + e->d_name;
      struct stat st;
      if (lstat(p.c_str(), &st) != 0) continue;
      total += S_ISDIR(st.st_mode) ? used_below(p) : static_cast<uint64_t>(st.st_size);
    }
    closedir(d);
  }
  return total;
}

template <class T>
void put(uint8_t* record, size_t offset, T value) {
  memcpy(record + offset, &value, sizeof value);
}

// Fills the information record for an object; 20004 when it does not fit.
int64_t fill_info(const Object& o, uint8_t* record, uint64_t size, uint32_t version) {
  struct stat st;
  if (lstat(o.full().c_str(), &st) != 0) return kNotFound;
  const json meta = metadata(o.full());
  const json trustees = meta.contains("trustees") && meta["trustees"].is_array() ? meta["trustees"] : json::array();
  std::vector<uint16_t> name(o.name().size() + 1, 0);
  const int units = convert_utf8_to_unicode(o.name().c_str(), name.data(), name.size() * 2);
  name.resize(units < 0 ? 1 : static_cast<size_t>(units) + 1);
  const size_t name_at = ZINFO_TRUSTEES_AT + ZINFO_TRUSTEE_SIZE * trustees.size();
  const size_t table_at = (name_at + 2 * name.size() + 3) & ~size_t{3};
  const size_t total = table_at + 4;
  if (record == nullptr || size < total) return zERR_BUFFER_TOO_SMALL;

  int64_t preset_quota, preset_used;  // the caller's "no quota" preset survives
  memcpy(&preset_quota, record + ZINFO_QUOTA_AT, 8);
  memcpy(&preset_used, record + ZINFO_QUOTA_USED_AT, 8);
  memset(record, 0, total);
  put<uint32_t>(record, ZINFO_VERSION_AT, version);
  put<uint32_t>(record, ZINFO_VARIABLE_AREA_AT, ZINFO_TRUSTEES_AT);
  uint8_t forms = 0;
  if (put_identity(meta.value("owner", json()), record + ZINFO_OWNER_AT, record + ZINFO_OWNER_SID_AT)) forms |= 0x1;
  if (put_identity(meta.value("modifier", json()), record + ZINFO_MODIFIER_AT, record + ZINFO_MODIFIER_SID_AT)) forms |= 0x2;
  if (put_identity(meta.value("archiver", json()), record + ZINFO_ARCHIVER_AT, record + ZINFO_ARCHIVER_SID_AT)) forms |= 0x8;
  record[ZINFO_IDENTITY_FORMS_AT] = forms;
  put<uint64_t>(record, ZINFO_ZID_AT, st.st_ino);
  const bool directory = S_ISDIR(st.st_mode);
  put<uint64_t>(record, ZINFO_SIZE_AT, directory ? 0 : static_cast<uint64_t>(st.st_size));
  volume_id(o.volume, record + ZINFO_VOLUME_ID_AT);
  uint32_t attributes = meta.value("attributes", 0u);
  if (directory) attributes |= ZATTR_DIRECTORY;
  if (S_ISLNK(st.st_mode)) attributes |= ZATTR_MAY_BE_JUNCTION;
  put<uint32_t>(record, ZINFO_ATTRIBUTES_AT, attributes);
  put<uint32_t>(record, ZINFO_NAME_AT, static_cast<uint32_t>(name_at));
  put<uint32_t>(record, ZINFO_NAME_COUNT_AT, 1);
  put<uint32_t>(record, ZINFO_NAME_TABLE_AT, static_cast<uint32_t>(table_at));
  put<uint64_t>(record, ZINFO_CREATED_AT, static_cast<uint64_t>(st.st_ctim.tv_sec));
  put<uint64_t>(record, ZINFO_ARCHIVED_AT, meta.value("archived", 0ull));
  put<uint64_t>(record, ZINFO_MODIFIED_AT, static_cast<uint64_t>(st.st_mtim.tv_sec));
  put<uint64_t>(record, ZINFO_ACCESSED_AT, static_cast<uint64_t>(st.st_atim.tv_sec));
  if (meta.contains("quota") && meta["quota"].is_number_integer()) {
    put<int64_t>(record, ZINFO_QUOTA_AT, meta["quota"].get<int64_t>());
    put<int64_t>(record, ZINFO_QUOTA_USED_AT, static_cast<int64_t>(used_below(o.full())));
  } else {
    put<int64_t>(record, ZINFO_QUOTA_AT, preset_quota);
    put<int64_t>(record, ZINFO_QUOTA_USED_AT, preset_used);
  }
  put<uint32_t>(record, ZINFO_INHERITED_RIGHTS_AT, meta.value("inheritedRightsMask", 0x1FFu));
  put<uint32_t>(record, ZINFO_TRUSTEE_COUNT_AT, static_cast<uint32_t>(trustees.size()));
  put<uint32_t>(record, ZINFO_TRUSTEES_OFFSET_AT, ZINFO_TRUSTEES_AT);
  for (size_t i = 0; i < trustees.size(); ++i) {
    uint8_t* entry = record + ZINFO_TRUSTEES_AT + ZINFO_TRUSTEE_SIZE * i;
    const bool sid = put_identity(trustees[i], entry, entry);
    put<uint32_t>(entry, 68, sid ? 1 : 0);
    put<uint32_t>(entry, 72, trustees[i].value("rights", 0u));
  }
  memcpy(record + name_at, name.data(), 2 * name.size());
  put<uint32_t>(record, table_at, static_cast<uint32_t>(name_at));
  return 0;
}

// The live entries of a folder, by inode number.
std::vector<std::pair<uint64_t, std::string>> entries(const Object& dir) {
  std::vector<std::pair<uint64_t, std::string>> out;
  if (DIR* d = opendir(dir.full().c_str())) {
    while (dirent* e = readdir(d))
      if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) out.emplace_back(e->d_ino, e->d_name);
    closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

Object child(const Object& dir, const std::string& name) {
  Object o = dir;
  o.relative = dir.relative.empty() ? name : dir.relative + "/" + name;
  return o;
}

bool wildcard(const char* pattern, const char* name, bool fold) {
  for (; *pattern; ++pattern, ++name) {
    if (*pattern == '*') {
      for (const char* n = name;; ++n) {
        if (wildcard(pattern + 1, n, fold)) return true;
        if (!*n) return false;
      }
    }
    if (!*name) return false;
    if (*pattern != '?' && (fold ? tolower(static_cast<unsigned char>(*pattern)) != tolower(static_cast<unsigned char>(*name))
                                 : *pattern != *name))
      return false;
  }
  return *name == 0;
}

// ---- keys -------------------------------------------------------------------------

struct KeyEntry {
  uint32_t uid;
  bool root;
  Object object;
  uint64_t wild_cursor = 0;
};

std::mutex keys_mutex;
std::unordered_map<uint64_t, KeyEntry> keys;
uint64_t next_key = 1;

uint64_t add_key(KeyEntry entry) {
  uint64_t key = (uint64_t{entry.uid} << 32) | (next_key++ & 0xFFFFFFFF);
  keys.emplace(key, std::move(entry));
  return key;
}

void publish_open_keys() {
  const size_t n = keys.size();
  testbed::with_state(kLibrary, [&](json& state) { state["openKeys"] = n; });
}

// The fixture's metadata, applied once per sandbox.
void seed_metadata() {
  const char* sandbox = getenv("VRA_SANDBOX");
  if (sandbox == nullptr) return;
  const std::string lock = std::string(sandbox) + "/.zapi-seeded";
  int fd = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  flock(fd, LOCK_EX);
  struct stat st;
  if (fstat(fd, &st) == 0 && st.st_size == 0) {
    std::ifstream in(std::string(sandbox) + "/volumes.json");
    json volumes = in ? json::parse(in, nullptr, false) : json::object();
    if (volumes.is_object()) {
      for (auto& [volume, objects] : volumes.items()) {
        auto mount = find_volume(volume);
        if (!mount || !objects.is_object()) continue;
        for (auto& [path, meta] : objects.items()) {
          std::string full = path.empty() || path == "/" ? mount->second : mount->second + "/" + path;
          std::string text = meta.dump();
          lsetxattr(full.c_str(), kMetaAttribute, text.data(), text.size(), 0);
        }
      }
    }
    ssize_t ignored = write(fd, "seeded\n", 7);
    (void)ignored;
  }
  flock(fd, LOCK_UN);
  close(fd);
}

struct AsRoot {
  uid_t previous = static_cast<uid_t>(setfsuid(0));
  ~AsRoot() { setfsuid(previous); }
};

// ---- requests ---------------------------------------------------------------------

int64_t serve(Record rec, int64_t function, json& args) {
  zapi_request* r = rec.r;
  const uint64_t key = r->key;
  args["key"] = key;
  std::lock_guard<std::mutex> guard(keys_mutex);
  if (function == ZAPI_ROOT_KEY) {
    const uint32_t uid = rec.u32(80);
    args["uid"] = uid;
    r->key = add_key({uid, true, {}});
    publish_open_keys();
    return 0;
  }
  auto it = keys.find(key);
  if (it == keys.end()) return kBadKey;
  KeyEntry& entry = it->second;
  const Object* base = entry.root ? nullptr : &entry.object;
  switch (function) {
    case ZAPI_CLOSE:
      keys.erase(it);
      publish_open_keys();
      return 0;
    case ZAPI_OPEN: {
      const uint32_t ns = rec.u32(112);
      const std::string path = decode_name(reinterpret_cast<void*>(r->buffer1), r->length1, ns & ZNS_UTF8);
      args["nameSpace"] = ns;
      args["path"] = path;
      args["rights"] = rec.u32(120);
      auto o = resolve(path, base);
      if (!o) return kNotFound;
      r->key = add_key({entry.uid, false, *o});
      publish_open_keys();
      return 0;
    }
    case ZAPI_GET_INFO:
      if (entry.root) return kUnsupported;
      args["mask"] = rec.u64(96);
      return fill_info(entry.object, reinterpret_cast<uint8_t*>(r->buffer1), r->length1, rec.u32(112));
    case ZAPI_GET_INFO_BY_NAME: {
      const uint32_t ns = rec.u32(112);
      const std::string path = decode_name(reinterpret_cast<void*>(r->buffer2), r->length2, ns & ZNS_UTF8);
      args["nameSpace"] = ns;
      args["path"] = path;
      args["mask"] = rec.u64(96);
      auto o = r->buffer_count >= 2 ? resolve(path, base) : (base ? std::optional<Object>(*base) : std::nullopt);
      if (!o) return kNotFound;
      return fill_info(*o, reinterpret_cast<uint8_t*>(r->buffer1), r->length1, rec.u32(120));
    }
    case ZAPI_ENUMERATE: {
      const uint64_t cookie = rec.u64(128);
      const uint32_t which = rec.u32(120);
      args["cookie"] = cookie;
      args["entries"] = which;
      if (entry.root || which != 0) return kNotFound;  // no deleted entries yet
      for (const auto& [ino, name] : entries(entry.object)) {
        if (ino <= cookie) continue;
        int64_t status = fill_info(child(entry.object, name), reinterpret_cast<uint8_t*>(r->buffer1), r->length1,
                                   rec.u32(112));
        if (status == 0) rec.put64(128, ino);
        args["name"] = name;
        return status;
      }
      return kNotFound;
    }
    case ZAPI_WILD_READ: {
      const uint32_t format = rec.u32(116);
      const uint32_t ns = rec.u32(120);
      std::string pattern = r->buffer_count >= 2
                                ? decode_name(reinterpret_cast<void*>(r->buffer2), r->length2, format == ZAPI_CHARFMT_UTF8)
                                : "*";
      args["pattern"] = pattern;
      if (entry.root) return kUnsupported;
      for (const auto& [ino, name] : entries(entry.object)) {
        if (ino <= entry.wild_cursor || !wildcard(pattern.c_str(), name.c_str(), ns != ZNS_UNIX)) continue;
        int64_t status = fill_info(child(entry.object, name), reinterpret_cast<uint8_t*>(r->buffer1), r->length1,
                                   rec.u32(112));
        if (status == 0) entry.wild_cursor = ino;
        args["name"] = name;
        return status;
      }
      return kNotFound;
    }
    case ZAPI_WILD_REWIND:
      entry.wild_cursor = 0;
      return 0;
    default:
      return kUnsupported;
  }
}

}  // namespace

// The shim's entry: serves one request record; the pread64 result (a status
// number, 0 for success).
extern "C" TESTBED_EXPORT int64_t testbed_zapi_serve(void* record, int64_t function) {
  static std::once_flag seeded;
  std::call_once(seeded, [] {
    AsRoot root;
    seed_metadata();
  });
  AsRoot root;
  json args = json::object();
  testbed::Call call(kLibrary, function_name(function), json::object());
  int64_t status;
  if (auto injected = call.injected()) {
    status = *injected;
  } else {
    status = serve(Record{static_cast<zapi_request*>(record)}, function, args);
  }
  args["function"] = function;
  call.set_args(std::move(args));
  return call.finish(static_cast<int32_t>(status));
}
