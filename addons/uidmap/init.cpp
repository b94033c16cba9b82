// The uidmap add-on: the caller's user id and supervisor flag.
#include "config.h"
#include "module.h"
#include "sphere.h"
#include "uidmap.h"

namespace {

napi_value Init(napi_env env, napi_value exports) {
  static constexpr SphereExport spheres[] = {
      {"native_config_sphere", native_config_sphere},
      {"uidmap_sphere", uidmap_sphere},
  };
  return define_spheres(env, exports, spheres);
}

}  // namespace

VRA_MODULE(Init)
