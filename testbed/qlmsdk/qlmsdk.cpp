// Stand-in of the cluster SDK libqlmsdk.so: every entry point of the binding
// table; those not served yet answer kUnimplemented.
#include "platform/qlmsdk.h"
#include "stubs.h"

TESTBED_STUB("qlmsdk")
QLMSDK_ENTRY_POINTS(TESTBED_STUB_ENTRY)
