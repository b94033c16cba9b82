// What every stand-in library shares: its state file, its call journal and
// its fault and delay table, all in the sandbox of testbed/run.
//
//   $VRA_SANDBOX/state/<library>.json     the stand-in's state (seeded by the
//                                         fixture, changed by calls)
//   $VRA_SANDBOX/journal/<library>.jsonl  one JSON line per call:
//       {"call": entry point, "args": {...}, "result": code,
//        "thread": thread id, "locked": inside the volume-manager lock}
//
// Faults and delays sit in the state under "faults":
//   {"faults": {"HRPT_Lock": {"result": 23001, "call": 2, "delayMs": 50}}}
// "result" is returned instead of the call's own answer; "call" (1-based)
// limits the fault to that call of the entry point (without it: every call);
// "delayMs" makes the call wait first. Calls are counted in the state under
// "calls", so the count holds across threads and processes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#define TESTBED_EXPORT __attribute__((visibility("default")))

namespace testbed {

using json = nlohmann::json;

// Answer of an entry point that no caller uses.
constexpr int32_t kUnimplemented = -1;

// Runs fn on the library's state under a lock that holds across threads and
// processes, and writes the state back when fn changed it.
TESTBED_EXPORT void with_state(const char* library, const std::function<void(json&)>& fn);
TESTBED_EXPORT json read_state(const char* library);

// One call of an entry point. The constructor counts the call and applies its
// delay; injected() is the fault's result for this call, if any. finish()
// journals the call with its result and returns the result: call it before
// the entry point returns, on every path.
class TESTBED_EXPORT Call {
 public:
  Call(const char* library, const char* entry, json args);
  std::optional<int32_t> injected() const { return injected_; }
  // Arguments known only once the call has been decoded.
  void set_args(json args) { args_ = std::move(args); }
  int32_t finish(int32_t result);

 private:
  const char* library_;
  const char* entry_;
  json args_;
  bool locked_;
  std::optional<int32_t> injected_;
};

// Journals a call of an entry point that no caller uses and answers kUnimplemented.
TESTBED_EXPORT int32_t unimplemented(const char* library, const char* entry);

// The volume-manager lock as the stand-ins see it (process-wide).
TESTBED_EXPORT bool hrpt_lock_held_by_this_thread();
TESTBED_EXPORT bool hrpt_lock_held_by_another_thread();
TESTBED_EXPORT void set_hrpt_lock_holder(bool held_by_this_thread);

}  // namespace testbed
