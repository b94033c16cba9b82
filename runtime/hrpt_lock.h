// The process-wide lock around volume-manager work: hrpt_mutex, then the
// volume manager opened and its own lock taken. At most one work function is
// between get_hrpt_lock and put_hrpt_lock at a time.
#pragma once

#include <pthread.h>

extern pthread_mutex_t hrpt_mutex;

// Initialises hrpt_mutex (default type); done once by the storage add-on's Init.
void init_hrpt_mutex();
// 0 when the caller holds the lock, else an error number: a pthread_mutex_lock
// error, the volume manager's lock result, or 40030 when the volume manager's
// open, lock or close entry point is not bound.
int get_hrpt_lock();
// Closes the volume manager and releases the mutex; returns 0. Call it on
// every path after a successful get_hrpt_lock.
int put_hrpt_lock();

// Error index of a lock that could not be acquired.
constexpr int VRA_INDEX_HRPT_LOCK = 36;
