// Stand-in of the volume-manager library libhrpt.so. It exports every entry
// point of the add-ons' binding table; those it does not serve answer
// kUnimplemented. The supervisor flag of a user id comes from the sandbox's
// users database (state/users.json, see the identity stand-in). State
// (state/hrpt.json):
//   {"joinResult": 0}    what HRPT_JoinServerToAD answers
// The volume-manager lock is modelled: HRPT_Lock fails with kLockBusy while
// another thread holds it, and HRPT_Close releases it.
#include <cstdint>
#include <string>

#include "platform/hrpt.h"
#include "testbed.h"

namespace {

constexpr const char* kLibrary = "hrpt";
constexpr int32_t kLockBusy = -16;  // held by another thread: the caller's serialisation failed

}  // namespace

extern "C" TESTBED_EXPORT int32_t HRPT_Open(int32_t flags, void* handle) {
  testbed::Call call(kLibrary, "HRPT_Open", {{"flags", flags}});
  if (auto injected = call.injected()) return call.finish(*injected);
  if (handle != nullptr) *static_cast<hrpt_handle_t*>(handle) = 1;
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t HRPT_Lock(uint32_t mode) {
  testbed::Call call(kLibrary, "HRPT_Lock", {{"mode", mode}});
  if (auto injected = call.injected()) return call.finish(*injected);
  if (testbed::hrpt_lock_held_by_another_thread()) return call.finish(kLockBusy);
  testbed::set_hrpt_lock_holder(true);
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t HRPT_Close(void) {
  testbed::Call call(kLibrary, "HRPT_Close", testbed::json::object());
  // Journaled while still held, so that the journal's order is the lock's.
  int32_t result = call.finish(call.injected().value_or(0));
  testbed::set_hrpt_lock_holder(false);
  return result;
}

extern "C" TESTBED_EXPORT int32_t HRPT_GetUserSupervisorPrivilegeData(uint32_t* uid, int32_t* privilege) {
  testbed::Call call(kLibrary, "HRPT_GetUserSupervisorPrivilegeData", {{"uid", uid ? *uid : 0}});
  if (auto injected = call.injected()) return call.finish(*injected);
  if (uid == nullptr || privilege == nullptr) return call.finish(testbed::kUnimplemented);
  testbed::json users = testbed::read_state("users");
  int32_t supervisor = 0;
  if (auto list = users.find("users"); list != users.end() && list->is_array())
    for (const auto& user : *list)
      if (user.is_object() && user.value("uid", -1LL) == static_cast<long long>(*uid) && user.value("supervisor", false))
        supervisor = 1;
  *privilege = supervisor;
  return call.finish(0);
}

extern "C" TESTBED_EXPORT int32_t HRPT_JoinServerToAD(const char* user, const char* password, const char* domain,
                                                      const char* container, const char* dns_address,
                                                      int32_t use_precreated_object, int32_t generate_uids,
                                                      uint32_t first_uid, uint32_t last_uid,
                                                      const char* supervisor_group) {
  auto text = [](const char* s) { return std::string(s ? s : ""); };
  // Arguments in the order of the interface (an array keeps it).
  testbed::Call call(kLibrary, "HRPT_JoinServerToAD",
                     {{"ordered", testbed::json::array({text(user), text(password), text(domain), text(container),
                                                        text(dns_address), use_precreated_object, generate_uids,
                                                        first_uid, last_uid, text(supervisor_group)})}});
  if (auto injected = call.injected()) return call.finish(*injected);
  testbed::json state = testbed::read_state(kLibrary);
  return call.finish(state.value("joinResult", 0));
}
