// Start-up probes of the file-system service.
#pragma once

#include <atomic>
#include <cstdint>

// Set once the metadata-listing switch has been applied.
extern std::atomic<uint8_t> is_list_xattr_qn_metadata_enabled;

// The raw status of "systemctl -q is-active tarvik-pvf.service"; 0 means
// the file-system service is running.
int is_pvf_service_active();
// Runs the file-system console command that enables listing the metadata
// extended attributes.
void enable_list_xattr_qn_metadata();
