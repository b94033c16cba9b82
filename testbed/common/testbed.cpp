#include "testbed.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace testbed {
namespace {

std::string sandbox_path(const char* folder, const char* library, const char* suffix) {
  const char* sandbox = getenv("VRA_SANDBOX");
  if (sandbox == nullptr) return {};
  std::string dir = std::string(sandbox) + "/" + folder;
  mkdir(dir.c_str(), 0755);
  return dir + "/" + library + suffix;
}

std::string read_file(int fd) {
  std::string text;
  char buf[65536];
  lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
  return text;
}

void write_file(int fd, const std::string& text) {
  if (ftruncate(fd, 0) != 0) return;
  lseek(fd, 0, SEEK_SET);
  for (size_t done = 0; done < text.size();) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::atomic<pid_t> hrpt_lock_holder{0};

}  // namespace

void with_state(const char* library, const std::function<void(json&)>& fn) {
  std::string path = sandbox_path("state", library, ".json");
  json state = json::object();
  if (path.empty()) {
    fn(state);
    return;
  }
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    fn(state);
    return;
  }
  while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  std::string text = read_file(fd);
  if (!text.empty()) state = json::parse(text, nullptr, false);
  if (state.is_discarded() || !state.is_object()) state = json::object();
  json before = state;
  fn(state);
  if (state != before) write_file(fd, state.dump(2) + "\n");
  flock(fd, LOCK_UN);
  close(fd);
}

json read_state(const char* library) {
  json copy;
  with_state(library, [&](json& state) { copy = state; });
  return copy;
}

Call::Call(const char* library, const char* entry, json args)
    : library_(library), entry_(entry), args_(std::move(args)), locked_(hrpt_lock_held_by_this_thread()) {
  int delay_ms = 0;
  with_state(library, [&](json& state) {
    json& calls = state["calls"];
    if (!calls.is_object()) calls = json::object();
    const int64_t count = (calls[entry].is_number_integer() ? calls[entry].get<int64_t>() : 0) + 1;
    calls[entry] = count;
    auto faults = state.find("faults");
    if (faults == state.end() || !faults->is_object()) return;
    auto fault = faults->find(entry);
    if (fault == faults->end() || !fault->is_object()) return;
    auto number = [&](const char* key) -> std::optional<int64_t> {
      auto v = fault->find(key);
      if (v == fault->end() || !v->is_number_integer()) return std::nullopt;
      return v->get<int64_t>();
    };
    if (fault->contains("call") && number("call") != count) return;
    delay_ms = static_cast<int>(number("delayMs").value_or(0));
    if (auto result = number("result")) injected_ = static_cast<int32_t>(*result);
  });
  if (delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
}

int32_t Call::finish(int32_t result) {
  std::string path = sandbox_path("journal", library_, ".jsonl");
  if (path.empty()) return result;
  json line = {{"call", entry_},   {"args", args_},        {"result", result},
               {"thread", gettid()}, {"locked", locked_}, {"injected", injected_.has_value()}};
  std::string text = line.dump() + "\n";
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) {
    ssize_t ignored = write(fd, text.data(), text.size());
    (void)ignored;
    close(fd);
  }
  return result;
}

int32_t unimplemented(const char* library, const char* entry) {
  return Call(library, entry, json::object()).finish(kUnimplemented);
}

bool hrpt_lock_held_by_this_thread() { return hrpt_lock_holder.load() == gettid(); }

bool hrpt_lock_held_by_another_thread() {
  pid_t holder = hrpt_lock_holder.load();
  return holder != 0 && holder != gettid();
}

void set_hrpt_lock_holder(bool held_by_this_thread) {
  if (held_by_this_thread) hrpt_lock_holder.store(gettid());
  else {
    pid_t self = gettid();
    hrpt_lock_holder.compare_exchange_strong(self, 0);
  }
}

}  // namespace testbed
