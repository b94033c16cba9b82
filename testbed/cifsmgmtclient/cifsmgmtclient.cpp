// Stand-in of the CIFS management client libcifsmgmtclient.so: every entry
// point of the binding table; those not served yet answer kUnimplemented.
#include "platform/cifsmgmtclient.h"
#include "stubs.h"

TESTBED_STUB("cifsmgmtclient")
CIFSMGMTCLIENT_ENTRY_POINTS(TESTBED_STUB_ENTRY)
