// Every entry point of the binding table; hrpt.cpp serves some for real.
#include "platform/hrpt.h"
#include "stubs.h"

TESTBED_STUB("hrpt")
HRPT_ENTRY_POINTS(TESTBED_STUB_ENTRY)
