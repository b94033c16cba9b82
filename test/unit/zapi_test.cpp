// The file-system call layer's request records, byte for byte. The device is
// replaced inside this test program: opening /dev/zapi gives a fake
// descriptor, and pread64 on it records the request and answers as the test
// says. Expected offsets and values are written from the documented layout.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <barrier>
#include <cerrno>
#include <thread>
#include <cstdarg>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "zapi.h"

namespace {

constexpr int kFakeDevice = 777;

struct Sent {
  int64_t function;
  std::array<uint8_t, 208> record;
};
std::vector<Sent> sent;
// Answers a request: may write into the record; returns the pread64 result.
std::function<ssize_t(uint8_t* record, int64_t function)> answer = [](uint8_t*, int64_t) { return 0; };

uint64_t read_at(const Sent& s, size_t offset, int width) {
  uint64_t v = 0;
  memcpy(&v, s.record.data() + offset, width);
  return v;
}

void write_at(uint8_t* record, size_t offset, uint64_t value, int width) { memcpy(record + offset, &value, width); }

struct Field {
  size_t offset;
  int width;
  uint64_t value;
};

// Every documented field has its value and every other byte is zero.
void expect_record(const Sent& s, int64_t function, std::vector<Field> fields) {
  EXPECT_EQ(s.function, function);
  std::array<bool, 208> covered{};
  for (const Field& f : fields) {
    EXPECT_EQ(read_at(s, f.offset, f.width), f.value) << "function " << function << " offset " << f.offset;
    for (int i = 0; i < f.width; ++i) covered[f.offset + i] = true;
  }
  for (size_t i = 0; i < 208; ++i)
    if (!covered[i]) {
      EXPECT_EQ(s.record[i], 0) << "function " << function << " stray byte at " << i;
    }
}

uint64_t addr(const void* p) { return reinterpret_cast<uint64_t>(p); }

class Zapi : public ::testing::Test {
 protected:
  void SetUp() override {
    sent.clear();
    answer = [](uint8_t* record, int64_t function) {
      if (function == ZAPI_ROOT_KEY) write_at(record, 16, 0x1000, 8);
      return ssize_t{0};
    };
    Key_t root = 0;
    ASSERT_EQ(zRootKey(1001, &root), 0);
    ASSERT_EQ(root, 0x1000u);
    expect_record(sent.at(0), ZAPI_ROOT_KEY, {{80, 4, 1001}});
    sent.clear();
  }
};

}  // namespace

// The device's open: the flags it was given, and an optional rendezvous that
// holds two openers until both have arrived (to race zRootKey).
std::atomic<int> open_flags{0};
std::atomic<int> next_fake{kFakeDevice};
std::barrier<>* rendezvous = nullptr;
std::vector<int> closed;
std::mutex record_mutex;

extern "C" int open(const char* path, int flags, ...) {
  if (strcmp(path, "/dev/zapi") == 0) {
    open_flags = flags;
    if (rendezvous != nullptr) rendezvous->arrive_and_wait();
    return next_fake++;
  }
  va_list ap;
  va_start(ap, flags);
  mode_t mode = va_arg(ap, mode_t);
  va_end(ap);
  using open_fn = int (*)(const char*, int, ...);
  static auto real = reinterpret_cast<open_fn>(dlsym(RTLD_NEXT, "open"));
  return real(path, flags, mode);
}

extern "C" int close(int fd) {
  if (fd >= kFakeDevice && fd < kFakeDevice + 10) {
    std::lock_guard<std::mutex> guard(record_mutex);
    closed.push_back(fd);
    return 0;
  }
  using close_fn = int (*)(int);
  static auto real = reinterpret_cast<close_fn>(dlsym(RTLD_NEXT, "close"));
  return real(fd);
}

int last_fd = -1;

extern "C" ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset) {
  if (fd >= kFakeDevice && fd < kFakeDevice + 10) last_fd = fd;
  if (fd < kFakeDevice || fd >= kFakeDevice + 10) {
    using pread_fn = ssize_t (*)(int, void*, size_t, off64_t);
    static auto real = reinterpret_cast<pread_fn>(dlsym(RTLD_NEXT, "pread64"));
    return real(fd, buffer, size, offset);
  }
  EXPECT_EQ(size, 208u);
  Sent s{offset, {}};
  memcpy(s.record.data(), buffer, 208);
  {
    std::lock_guard<std::mutex> guard(record_mutex);  // requests may come from several threads
    sent.push_back(s);
  }
  return answer(static_cast<uint8_t*>(buffer), offset);
}

TEST(ZapiDevice, CallBeforeRootKeyFailsWithTheDescriptorError) {
  EXPECT_EQ(zClose(5), EBADF);
  EXPECT_EQ(zOpen(5, 0, ZNS_UTF8, "V:/", 1, nullptr), EBADF);
}

TEST(ZapiDevice, RacingRootKeysKeepOneDescriptorAndCloseTheOther) {
  std::barrier<> both(2);
  rendezvous = &both;
  answer = [](uint8_t*, int64_t) { return ssize_t{0}; };
  std::thread a([] { EXPECT_EQ(zRootKey(1, nullptr), 0); });
  std::thread b([] { EXPECT_EQ(zRootKey(2, nullptr), 0); });
  a.join();
  b.join();
  rendezvous = nullptr;
  EXPECT_NE(open_flags & O_CLOEXEC, 0) << "the device is opened close-on-exec";
  ASSERT_EQ(closed.size(), 1u);
  ASSERT_EQ(zClose(1), 0);
  EXPECT_NE(last_fd, closed[0]) << "requests go to the descriptor that was kept";
  EXPECT_EQ(zRootKey(3, nullptr), 0);
  EXPECT_EQ(closed.size(), 1u) << "a stored descriptor is never replaced";
}

TEST(ZapiDevice, StatusAndErrno) {
  answer = [](uint8_t*, int64_t) { return ssize_t{0}; };
  Key_t root;
  ASSERT_EQ(zRootKey(0, &root), 0);
  answer = [](uint8_t*, int64_t) { return ssize_t{20407}; };
  EXPECT_EQ(zClose(9), 20407);
  answer = [](uint8_t*, int64_t) {
    errno = EIO;
    return ssize_t{-1};
  };
  EXPECT_EQ(zClose(9), EIO);
  // out-parameters are written only on success
  Key_t untouched = 42;
  answer = [](uint8_t* record, int64_t) {
    write_at(record, 16, 0x77, 8);
    return ssize_t{20004};
  };
  EXPECT_EQ(zOpen(9, 0, ZNS_UTF8, "V:/", 1, &untouched), 20004);
  EXPECT_EQ(untouched, 42u);
}

TEST_F(Zapi, NamesUtf8AndUtf16Lengths) {
  const char utf8[] = "a";
  const unicode_t utf16[] = {'a', 0};
  Key_t key;
  ASSERT_EQ(zOpen(0x1000, 3, ZNS_UTF8 | ZNS_BY_PATH | ZNS_LONG, utf8, 16, &key), 0);
  ASSERT_EQ(zOpen(0x1000, 0, ZNS_LONG, utf16, 1, &key), 0);
  ASSERT_EQ(zOpen(0x1000, 0, ZNS_LONG, nullptr, 1, &key), 0);
  expect_record(sent[0], 23, {{4, 1, 1}, {16, 8, 0x1000}, {40, 8, addr(utf8)}, {48, 8, 2}, {88, 4, 3},
                              {112, 4, 0x50000004}, {120, 4, 16}});
  expect_record(sent[1], 23, {{4, 1, 1}, {16, 8, 0x1000}, {40, 8, addr(utf16)}, {48, 8, 4}, {112, 4, 4}, {120, 4, 1}});
  expect_record(sent[2], 23, {{16, 8, 0x1000}, {112, 4, 4}, {120, 4, 1}});
}

TEST_F(Zapi, InformationCalls) {
  std::vector<uint8_t> record(1588, 0xAB);
  const char path[] = "VOL1:/docs";
  ASSERT_EQ(zGetInfoByName(0x1000, ZNS_UTF8, path, 0x80051, 1588, 5, 1, record.data()), 0);
  ASSERT_EQ(zGetInfoByName(0x1000, ZNS_UTF8, nullptr, 0x51, 1588, 5, 0, record.data()), 0);
  ASSERT_EQ(zGetInfo(0x2000, 0x1, 1588, 5, record.data()), 0);
  expect_record(sent[0], 41, {{4, 1, 2}, {16, 8, 0x1000}, {40, 8, addr(record.data())}, {48, 8, 1588},
                              {56, 8, addr(path)}, {64, 8, 11}, {92, 4, 8}, {96, 8, 0x80051}, {112, 4, 0x40000000},
                              {120, 4, 5}});
  expect_record(sent[1], 41, {{4, 1, 1}, {16, 8, 0x1000}, {40, 8, addr(record.data())}, {48, 8, 1588},
                              {96, 8, 0x51}, {112, 4, 0x40000000}, {120, 4, 5}});
  expect_record(sent[2], 16, {{16, 8, 0x2000}, {40, 8, addr(record.data())}, {48, 8, 1588}, {96, 8, 1},
                              {112, 4, 5}});
}

TEST_F(Zapi, DirectoryQuotaPreset) {
  std::vector<uint8_t> record(1588, 0xAB);
  auto quota = [&] {
    int64_t q, used;
    memcpy(&q, record.data() + 700, 8);
    memcpy(&used, record.data() + 708, 8);
    return std::pair{q, used};
  };
  ASSERT_EQ(zGetInfo(0x2000, 0x80000, 1588, 5, record.data()), 0);
  EXPECT_EQ(quota(), (std::pair<int64_t, int64_t>{0x7FFFFFFFFFFFFFFF, 0}));
  std::fill(record.begin(), record.end(), 0xAB);
  ASSERT_EQ(zGetInfo(0x2000, 0x80000, 1588, 6, record.data()), 0);  // version 6: untouched
  ASSERT_EQ(zEnumerate(0x2000, 0, 0, 0xFFFFFFFF, 0x1, 2100, 5, record.data(), nullptr), 0);  // no quota bit
  EXPECT_EQ(record[700], 0xAB);
  ASSERT_EQ(zWildRead(0x2000, 6, 0, "*", 0xFFFFFFFF, 0x80053, 2100, 5, record.data()), 0);
  EXPECT_EQ(quota(), (std::pair<int64_t, int64_t>{0x7FFFFFFFFFFFFFFF, 0}));
}

TEST_F(Zapi, EnumerateAndWildRead) {
  std::vector<uint8_t> record(2100);
  answer = [](uint8_t* r, int64_t function) {
    if (function == ZAPI_ENUMERATE) write_at(r, 128, 0x55, 8);
    return ssize_t{0};
  };
  QUAD next = 0;
  ASSERT_EQ(zEnumerate(0x2000, 0x44, 3, 0xFFFFFFFF, 4243, 1588, 5, record.data(), &next), 0);
  EXPECT_EQ(next, 0x55u);
  expect_record(sent[0], 34, {{4, 1, 1}, {16, 8, 0x2000}, {40, 8, addr(record.data())}, {48, 8, 1588}, {96, 8, 4243},
                              {112, 4, 5}, {120, 4, 3}, {124, 4, 0xFFFFFFFF}, {128, 8, 0x44}});
  const char pattern[] = "*.txt";
  const unicode_t wide[] = {'*', 0};
  ASSERT_EQ(zWildRead(0x2000, 6, 0, pattern, 0xFFFFFFFF, 83, 2100, 5, record.data()), 0);
  ASSERT_EQ(zWildRead(0x2000, 0, 4, wide, 7, 83, 2100, 5, record.data()), 0);
  ASSERT_EQ(zWildRead(0x2000, 6, 0, nullptr, 7, 83, 2100, 5, record.data()), 0);
  ASSERT_EQ(zWildRewind(0x2000), 0);
  expect_record(sent[1], 31, {{4, 1, 2}, {16, 8, 0x2000}, {40, 8, addr(record.data())}, {48, 8, 2100},
                              {56, 8, addr(pattern)}, {64, 8, 6}, {96, 8, 83}, {112, 4, 5}, {116, 4, 6},
                              {124, 4, 0xFFFFFFFF}});
  expect_record(sent[2], 31, {{4, 1, 2}, {16, 8, 0x2000}, {40, 8, addr(record.data())}, {48, 8, 2100},
                              {56, 8, addr(wide)}, {64, 8, 4}, {96, 8, 83}, {112, 4, 5}, {120, 4, 4}, {124, 4, 7}});
  expect_record(sent[3], 31, {{4, 1, 1}, {16, 8, 0x2000}, {40, 8, addr(record.data())}, {48, 8, 2100}, {96, 8, 83},
                              {112, 4, 5}, {116, 4, 6}, {124, 4, 7}});
  expect_record(sent[4], 32, {{16, 8, 0x2000}});
}

TEST_F(Zapi, CreateWithoutOutKeyClosesTheNewKey) {
  answer = [](uint8_t* r, int64_t function) {
    if (function == ZAPI_CREATE) write_at(r, 16, 0x3333, 8);
    return ssize_t{0};
  };
  const char path[] = "VOL1:/new";
  ASSERT_EQ(zCreate(0x1000, 2, 0x9, ZNS_UTF8, path, 6, 7, 0x8888, 9, nullptr), 0);
  ASSERT_EQ(sent.size(), 2u);
  expect_record(sent[0], 8, {{4, 1, 1}, {16, 8, 0x1000}, {40, 8, addr(path)}, {48, 8, 10}, {80, 8, 0x9}, {88, 4, 2},
                             {96, 8, 0x8888}, {112, 4, ZNS_UTF8}, {120, 4, 9}, {124, 4, 6}, {128, 4, 7}});
  expect_record(sent[1], 1001, {{16, 8, 0x3333}});
  Key_t key = 0;
  ASSERT_EQ(zCreate(0x1000, 2, 0x9, ZNS_UTF8, nullptr, 6, 7, 0x8888, 9, &key), 0);
  EXPECT_EQ(key, 0x3333u);
  expect_record(sent[2], 8, {{16, 8, 0x1000}, {80, 8, 0x9}, {88, 4, 2}, {92, 4, 1}, {96, 8, 0x8888}, {112, 4, ZNS_UTF8},
                             {120, 4, 9}, {124, 4, 6}, {128, 4, 7}});
  ASSERT_EQ(sent.size(), 3u);
}

TEST_F(Zapi, TrusteeCalls) {
  uint8_t sid[68];
  for (int i = 0; i < 68; ++i) sid[i] = static_cast<uint8_t>(i + 1);
  answer = [](uint8_t* r, int64_t function) {
    if (function == ZAPI_GET_TRUSTEE) {
      write_at(r, 112, 1, 4);
      for (int i = 0; i < 68; ++i) r[116 + i] = static_cast<uint8_t>(0xC0 + i % 16);
      write_at(r, 184, 0x1FB, 4);
      write_at(r, 192, 0xFFFFFFFF, 4);
    }
    return ssize_t{0};
  };
  EXPECT_EQ(zAddTrusteeEx(0x2000, 0, nullptr, 1, 0), 0xFFFFFFFF);
  ASSERT_TRUE(sent.empty());
  ASSERT_EQ(zAddTrusteeEx(0x2000, 0x7, sid, 0x1FB, 1), 0);
  ASSERT_EQ(zAddTrustee(0x2000, 0x7, &zANYONE_USERID, 0x3), 0);
  std::vector<Field> f0 = {{16, 8, 0x2000}, {80, 8, 7}, {112, 4, 1}, {184, 4, 0x1FB}};
  for (int i = 0; i < 68; ++i) f0.push_back({116 + size_t(i), 1, uint64_t(i + 1)});
  expect_record(sent[0], 2, f0);
  expect_record(sent[1], 2, {{16, 8, 0x2000}, {80, 8, 7}, {116, 4, 2}, {184, 4, 3}});
  uint8_t identity[68] = {};
  NINT rights = 0, extended = 0;
  QUAD next = 0;
  ASSERT_EQ(zGetTrusteeEx(0x2000, 4, identity, &rights, &next, &extended), 0);
  EXPECT_EQ(next, ~QUAD{0});
  EXPECT_EQ(rights, 0x1FBu);
  EXPECT_EQ(extended, 1u);
  EXPECT_EQ(identity[67], 0xC0 + 67 % 16);
  expect_record(sent[2], 18, {{16, 8, 0x2000}, {192, 4, 4}});
  uint8_t guid[68] = {};
  ASSERT_EQ(zGetTrustee(0x2000, 0, guid, &rights, &next), 0);
  expect_record(sent[3], 18, {{16, 8, 0x2000}, {92, 4, 16}});
  EXPECT_EQ(guid[15], 0xCF);
  EXPECT_EQ(guid[16], 0) << "a GUID read takes 16 bytes only";
  ASSERT_EQ(zDeleteTrusteeEx(0x2000, 0, &zSUPERVISOR_USERID, 0), 0);
  expect_record(sent[4], 10, {{16, 8, 0x2000}, {116, 4, 3}});
  answer = [](uint8_t* r, int64_t) {
    write_at(r, 152, 0xFF, 4);
    return ssize_t{0};
  };
  ASSERT_EQ(zGetEffectiveRights(0x2000, zSUPERVISOR_USERID, &rights), 0);
  EXPECT_EQ(rights, 0xFFu);
  expect_record(sent[5], 35, {{16, 8, 0x2000}, {84, 4, 3}});
  ASSERT_EQ(zGetEffectiveRightsEx(0x2000, sid, &rights, 1), 0);
  std::vector<Field> f6 = {{16, 8, 0x2000}, {80, 4, 1}};
  for (int i = 0; i < 68; ++i) f6.push_back({84 + size_t(i), 1, uint64_t(i + 1)});
  expect_record(sent[6], 35, f6);
  answer = [](uint8_t* r, int64_t) {
    write_at(r, 196, 0x1F, 4);
    return ssize_t{0};
  };
  NINT mask = 0;
  ASSERT_EQ(zGetInheritedRightsMask(0x2000, &mask), 0);
  EXPECT_EQ(mask, 0x1Fu);
  ASSERT_EQ(zSetInheritedRightsMask(0x2000, 3, 0xFB), 0);
  expect_record(sent[8], 28, {{16, 8, 0x2000}, {80, 8, 3}, {196, 4, 0xFB}});
}

TEST_F(Zapi, ConnectionBlobLimit) {
  const unicode_t name[] = {'u', 's', 'r', 0};
  std::vector<uint8_t> blob(65537, 1);
  EXPECT_EQ(zNewConnectionWithBlob(0, name, 65537, blob.data()), 20008);
  EXPECT_EQ(zNewConnectionWithBlob(0, name, 0, blob.data()), 20008);
  EXPECT_EQ(zNewConnectionWithBlob(0, nullptr, 10, blob.data()), 20008);
  EXPECT_EQ(zNewConnectionWithBlob(0, name, 10, nullptr), 20008);
  EXPECT_EQ(zNewConnection(0, nullptr), 20008);
  ASSERT_TRUE(sent.empty());
  ASSERT_EQ(zNewConnectionWithBlob(0x5, name, 65536, blob.data()), 0);
  ASSERT_EQ(zNewConnection(0x5, name), 0);
  expect_record(sent[0], 43, {{4, 1, 2}, {16, 8, 5}, {40, 8, addr(name)}, {48, 8, 8}, {56, 8, addr(blob.data())},
                              {64, 8, 65536}});
  expect_record(sent[1], 43, {{16, 8, 5}, {40, 8, addr(name)}, {48, 8, 8}});
}

TEST_F(Zapi, TwoNameCalls) {
  const char from[] = "V:/a";
  const unicode_t to[] = {'b', 0};
  ASSERT_EQ(zRename(0x2000, 4, ZNS_UTF8, from, 5, ZNS_LONG, to, 0x10), 0);
  ASSERT_EQ(zLink(0x2000, 4, ZNS_UTF8, from, 5, ZNS_LONG, nullptr, 0x10), 0);
  expect_record(sent[0], 26, {{4, 1, 2}, {16, 8, 0x2000}, {40, 8, addr(from)}, {48, 8, 5}, {56, 8, addr(to)},
                              {64, 8, 4}, {80, 8, 4}, {96, 8, 0x10}, {112, 4, ZNS_UTF8}, {120, 4, 5}, {124, 4, 4}});
  expect_record(sent[1], 20, {{4, 1, 2}, {16, 8, 0x2000}, {40, 8, addr(from)}, {48, 8, 5}, {80, 8, 4}, {96, 8, 0x12},
                              {112, 4, ZNS_UTF8}, {120, 4, 5}, {124, 4, 4}});
}

TEST_F(Zapi, ZidCalls) {
  VolumeID_t volume;
  for (int i = 0; i < 16; ++i) volume.bytes[i] = static_cast<uint8_t>(0xA0 + i);
  std::vector<Field> volume_fields;
  for (int i = 0; i < 16; ++i) volume_fields.push_back({120 + size_t(i), 1, uint64_t(0xA0 + i)});
  auto with_volume = [&](std::vector<Field> f) {
    f.insert(f.end(), volume_fields.begin(), volume_fields.end());
    return f;
  };
  answer = [](uint8_t* r, int64_t function) {
    if (function == ZAPI_ZID_OPEN || function == ZAPI_ZID_CREATE) write_at(r, 16, 0x4444, 8);
    return ssize_t{0};
  };
  Key_t key = 0;
  ASSERT_EQ(zZIDOpen(0x2000, 0, ZNS_DELETED | ZNS_BY_PATH, &volume, 0x99, 17, &key), 0);
  EXPECT_EQ(key, 0x4444u);
  ASSERT_EQ(zZIDOpen(0x2000, 0, 0, nullptr, 0x99, 17, &key), 0);
  ASSERT_EQ(zZIDDelete2(0x1000, 0, &volume, 0x99, ZNS_DELETED, 0), 0);
  ASSERT_EQ(zZIDDelete(0x1000, 3, nullptr, 0x99, 7), 0);
  const char name[] = "V:/restored";
  ASSERT_EQ(zZIDRename2(0x1000, 0, &volume, 0x99, ZNS_DELETED | 0x1, 0x99, ZNS_UTF8, name, 1), 0);
  ASSERT_EQ(zZIDLink(0x1000, 0, nullptr, 0x99, 0x5, ZNS_UTF8, nullptr, 0), 0);
  ASSERT_EQ(zZIDCreate(0x1000, 1, 2, ZNS_UTF8, &volume, 0x99, name, 8, 9, 10, 11, nullptr), 0);
  expect_record(sent[0], 24, with_volume({{16, 8, 0x2000}, {92, 4, 0x10}, {112, 4, 0x30000000}, {136, 8, 0x99}, {152, 4, 17}}));
  expect_record(sent[1], 24, {{16, 8, 0x2000}, {136, 8, 0x99}, {152, 4, 17}});
  expect_record(sent[2], 36, with_volume({{16, 8, 0x1000}, {92, 4, 0x10}, {112, 4, ZNS_DELETED}, {136, 8, 0x99}}));
  expect_record(sent[3], 36, {{16, 8, 0x1000}, {80, 8, 3}, {96, 8, 7}, {112, 4, 0xFFFFFFFF}, {136, 8, 0x99}});
  expect_record(sent[4], 39, with_volume({{4, 1, 1}, {16, 8, 0x1000}, {40, 8, addr(name)}, {48, 8, 12},
                                          {92, 4, 0x20000010}, {96, 8, 1}, {112, 4, ZNS_UTF8}, {136, 8, 0x99},
                                          {144, 8, 0x99}}));
  expect_record(sent[5], 38, {{4, 1, 1}, {16, 8, 0x1000}, {96, 8, 2}, {112, 4, ZNS_UTF8}, {136, 8, 0x99}, {144, 8, 5}});
  expect_record(sent[6], 37, with_volume({{4, 1, 1}, {16, 8, 0x1000}, {40, 8, addr(name)}, {48, 8, 12}, {80, 8, 2},
                                          {88, 4, 1}, {92, 4, 0x10}, {96, 8, 10}, {112, 4, ZNS_UTF8}, {136, 8, 0x99},
                                          {152, 4, 11}, {156, 4, 8}, {160, 4, 9}}));
  expect_record(sent[7], 1001, {{16, 8, 0x4444}});
}

TEST_F(Zapi, DataAndTransactionCalls) {
  std::vector<uint8_t> data(100);
  answer = [](uint8_t* r, int64_t function) {
    if (function == ZAPI_READ || function == ZAPI_WRITE) write_at(r, 136, 60, 4);
    if (function == ZAPI_BEGIN_XACTION) write_at(r, 112, 0x77, 8);
    if (function == ZAPI_BEGIN_TASK) write_at(r, 88, 9, 4);
    if (function == ZAPI_GET_FILE_MAP) {
      write_at(r, 120, 0x1234, 8);
      write_at(r, 132, 5, 4);
    }
    return ssize_t{0};
  };
  NINT count = 0;
  ASSERT_EQ(zRead(0x2000, 0xDEAD, 0x100000000, 100, data.data(), &count), 0);
  EXPECT_EQ(count, 60u);
  expect_record(sent[0], 1002, {{16, 8, 0x2000}, {40, 8, addr(data.data())}, {48, 8, 100}, {112, 8, 0x100000000},
                                {132, 4, 100}});
  ASSERT_EQ(zWrite(0x2000, 3, 8, 100, data.data(), &count), 0);
  expect_record(sent[1], 33, {{16, 8, 0x2000}, {40, 8, addr(data.data())}, {48, 8, 100}, {80, 8, 3}, {112, 8, 8},
                              {132, 4, 100}});
  Xid_t xid = 0;
  ASSERT_EQ(zBeginXaction(0x2000, 6, 0x5, &xid), 0);
  EXPECT_EQ(xid, 0x77u);
  expect_record(sent[2], 5, {{16, 8, 0x2000}, {80, 8, 5}, {88, 4, 6}});
  NINT task = 0;
  ASSERT_EQ(zBeginTask(0x2000, 4, &task), 0);
  EXPECT_EQ(task, 9u);
  QUAD a7 = 0;
  NINT a8 = 0;
  ASSERT_EQ(zGetFileMap(0x2000, 0xBEEF, 0x30, 2, 100, data.data(), &a7, &a8), 0);
  EXPECT_EQ(a7, 0x1234u);
  EXPECT_EQ(a8, 5u);
  expect_record(sent[4], 15, {{16, 8, 0x2000}, {40, 8, addr(data.data())}, {48, 8, 100}, {112, 8, 0x30}, {128, 4, 2}});
  ASSERT_EQ(zLockByteRange(0x2000, 1, 2, 3, 4, 5), 0);
  expect_record(sent[5], 21, {{16, 8, 0x2000}, {80, 8, 1}, {96, 8, 2}, {112, 8, 3}, {120, 8, 4}, {128, 4, 5}});
  ASSERT_EQ(zSetEOF(0x2000, 1, 2, 3), 0);
  expect_record(sent[6], 27, {{16, 8, 0x2000}, {80, 8, 1}, {96, 8, 3}, {112, 8, 2}});
  ASSERT_EQ(zModifyInfoByName(0x1000, 2, ZNS_UTF8, "V:/", 0xCA2F10AF, 1588, 5, data.data()), 0);
  expect_record(sent[7], 42, {{4, 1, 2}, {16, 8, 0x1000}, {40, 8, addr(data.data())}, {48, 8, 1588}, {56, 8, read_at(sent[7], 56, 8)},
                              {64, 8, 4}, {80, 8, 2}, {96, 8, 0xCA2F10AF}, {112, 4, ZNS_UTF8}, {120, 4, 5}});
  ASSERT_EQ(zDelete(0x1000, 2, ZNS_UTF8, "V:/x", 3, 4), 0);
  expect_record(sent[8], 9, {{4, 1, 1}, {16, 8, 0x1000}, {40, 8, read_at(sent[8], 40, 8)}, {48, 8, 5}, {80, 8, 2},
                             {96, 8, 4}, {112, 4, ZNS_UTF8}, {120, 4, 3}});
}

TEST_F(Zapi, RemainingLayouts) {
  const VolumeID_t* no_volume = nullptr;
  ASSERT_EQ(zAbortXaction(0x2000, 0x11), 0);
  ASSERT_EQ(zCommitXaction(0x2000, 0x12), 0);
  Key_t key;
  ASSERT_EQ(zChangeConnection(0x2000, 0x21, 0x22, &key), 0);
  ASSERT_EQ(zEndTask(0x2000, 0x31), 0);
  ASSERT_EQ(zFlush(0x2000), 0);
  std::vector<uint8_t> record(1588);
  ASSERT_EQ(zModifyInfo(0x2000, 0x41, 0xCA2F10AF, 1588, 5, record.data()), 0);
  ASSERT_EQ(zUnlockByteRange(0x2000, 0x51, 0x52, 0x53), 0);
  const char name[] = "V:/n";
  ASSERT_EQ(zZIDRename(0x1000, 0x61, no_volume, 0x62, 0x63, ZNS_UTF8, name, 0x64), 0);
  NINT mask;
  ASSERT_EQ(zGetInheritedRightsMask(0x2000, &mask), 0);
  NINT task;
  ASSERT_EQ(zBeginTask(0x2000, 0x71, &task), 0);
  expect_record(sent[0], 1, {{16, 8, 0x2000}, {80, 8, 0x11}});
  expect_record(sent[1], 7, {{16, 8, 0x2000}, {80, 8, 0x12}});
  expect_record(sent[2], 6, {{16, 8, 0x2000}, {80, 4, 0x21}, {88, 4, 0x22}});
  expect_record(sent[3], 13, {{16, 8, 0x2000}, {88, 4, 0x31}});
  expect_record(sent[4], 14, {{16, 8, 0x2000}});
  expect_record(sent[5], 22, {{16, 8, 0x2000}, {40, 8, addr(record.data())}, {48, 8, 1588}, {80, 8, 0x41},
                              {96, 8, 0xCA2F10AF}, {112, 4, 5}});
  expect_record(sent[6], 30, {{16, 8, 0x2000}, {80, 8, 0x51}, {112, 8, 0x52}, {120, 8, 0x53}});
  expect_record(sent[7], 39, {{4, 1, 1}, {16, 8, 0x1000}, {40, 8, addr(name)}, {48, 8, 5}, {80, 8, 0x61}, {96, 8, 0x64},
                              {112, 4, ZNS_UTF8}, {136, 8, 0x62}, {144, 8, 0x63}});
  expect_record(sent[8], 17, {{16, 8, 0x2000}});
  expect_record(sent[9], 4, {{16, 8, 0x2000}, {88, 4, 0x71}});
}

TEST(ZapiNames, InfoGetFileName) {
  std::vector<uint8_t> record(2100, 0);
  auto put = [&](size_t offset, uint32_t value) { memcpy(record.data() + offset, &value, 4); };
  put(0, 5);
  put(120, 2);
  put(124, 1500);
  put(1500, 1600);
  put(1504, 0);
  const unicode_t name[] = {'x', 0};
  memcpy(record.data() + 1600, name, sizeof name);
  EXPECT_EQ(zInfoGetFileName(record.data(), 0), reinterpret_cast<const unicode_t*>(record.data() + 1600));
  EXPECT_EQ(zInfoGetFileName(record.data(), 1), nullptr);  // empty entry
  EXPECT_EQ(zInfoGetFileName(record.data(), 2), nullptr);  // beyond the count
  put(0, 6);
  EXPECT_EQ(zInfoGetFileName(record.data(), 0), nullptr);  // version above 5
  put(0, 5);
  put(124, 0);
  EXPECT_EQ(zInfoGetFileName(record.data(), 0), nullptr);  // no table
}
