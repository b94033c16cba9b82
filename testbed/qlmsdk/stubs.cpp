// Every entry point of the binding table; qlmsdk.cpp serves some for real.
#include "platform/qlmsdk.h"
#include "stubs.h"

TESTBED_STUB("qlmsdk")
QLMSDK_ENTRY_POINTS(TESTBED_STUB_ENTRY)
