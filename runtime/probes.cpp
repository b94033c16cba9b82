#include "probes.h"

#include <cstdlib>

#include "log.h"

std::atomic<uint8_t> is_list_xattr_qn_metadata_enabled{0};

int is_pvf_service_active() {
  return system("systemctl -q is-active tarvik-pvf.service");
}

void enable_list_xattr_qn_metadata() {
  int status = system("/sbin/pvf  /ListXattrQNmetadata");
  if (status != 0) VRA_LOG_ERROR("Failed to execute command using system function: %d.", status);
}
