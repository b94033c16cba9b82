#include "hrpt_lock.h"

#include <cerrno>

#include "binding.h"
#include "log.h"

pthread_mutex_t hrpt_mutex = PTHREAD_MUTEX_INITIALIZER;

void init_hrpt_mutex() {
  pthread_mutex_init(&hrpt_mutex, nullptr);
  VRA_LOG_INFO("HRPT Mutex initialized");
}

int get_hrpt_lock() {
  int rc = pthread_mutex_lock(&hrpt_mutex);
  if (rc != 0 && rc != EDEADLK) return rc;
  // A library bound without these entry points cannot be locked: answer as
  // for an unavailable library rather than call a null pointer.
  if (is_hrpt_loaded.load(std::memory_order_acquire) == 0 || HRPT_Open == nullptr || HRPT_Lock == nullptr ||
      HRPT_Close == nullptr) {
    pthread_mutex_unlock(&hrpt_mutex);
    VRA_LOG_ERROR("Failed to get HRPT lock with error : %d", VRA_ERR_LIBRARY);
    return VRA_ERR_LIBRARY;
  }
  hrpt_handle_t handle = 0;
  HRPT_Open(0, &handle);
  rc = HRPT_Lock(HRPT_LOCK_MODE);
  if (rc != 0) {
    HRPT_Close();  // the volume manager was opened above: never leave it open
    pthread_mutex_unlock(&hrpt_mutex);
    VRA_LOG_ERROR("Failed to get HRPT lock with error : %d", rc);
    return rc;
  }
  VRA_LOG_INFO("HRPT lock acquired");
  return 0;
}

int put_hrpt_lock() {
  HRPT_Close();
  pthread_mutex_unlock(&hrpt_mutex);
  VRA_LOG_INFO("HRPT lock released");
  return 0;
}
