// The versions add-on: one sphere, no library, no lock, no log-level control.
#include "module.h"
#include "sphere.h"
#include "version.h"

namespace {

napi_value Init(napi_env env, napi_value exports) {
  static constexpr SphereExport spheres[] = {{"version_sphere", version_sphere}};
  return define_spheres(env, exports, spheres);
}

}  // namespace

VRA_MODULE(Init)
