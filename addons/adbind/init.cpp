// The adbind add-on: joining the server to an Active Directory domain.
#include "adutil.h"
#include "config.h"
#include "log.h"
#include "module.h"
#include "sphere.h"

namespace {

napi_value Init(napi_env env, napi_value exports) {
  load_adbind_hrpt_functions();
  VRA_LOG_INFO("ADUtil queue has been initialized");
  static constexpr SphereExport spheres[] = {
      {"native_config_sphere", native_config_sphere},
      {"adutil_sphere", adutil_sphere},
  };
  return define_spheres(env, exports, spheres);
}

}  // namespace

VRA_MODULE(Init)
