// The storage add-on: devices, partitions, RAID devices, pools, volumes,
// pool snapshots and user quotas, through the volume manager.
#include "binding.h"
#include "config.h"
#include "hrpt_lock.h"
#include "module.h"
#include "probes.h"
#include "sphere.h"
#include "spheres.h"

namespace {

napi_value Init(napi_env env, napi_value exports) {
  is_list_xattr_qn_metadata_enabled.store(0);
  is_hrpt_loaded.store(0);
  is_qlmsdk_loaded.store(0);
  if (is_pvf_service_active() == 0) {
    enable_list_xattr_qn_metadata();
    is_list_xattr_qn_metadata_enabled.store(1);
  }
  load_hrpt_functions();
  load_qlmsdk_functions();
  init_hrpt_mutex();
  static constexpr SphereExport spheres[] = {
      {"native_config_sphere", native_config_sphere},
      {"pvf_device_sphere", pvf_device_sphere},
  };
  return define_spheres(env, exports, spheres);
}

}  // namespace

VRA_MODULE(Init)
