// The CIFS management client libcifsmgmtclient.so: entry points shared by the
// add-ons (which bind them by name) and the testbed's stand-in.
#pragma once

#include <cstdint>

// Entry points of libcifsmgmtclient.so, in binding-table order: X(result, name, parameters).
// A parameter list of (...) stands for an entry point whose signature is fixed
// by the area that first calls it; until then it is bound but never called.
#define CIFSMGMTCLIENT_ENTRY_POINTS(X) \
  X(int32_t, CIFSLIB_GetShareNames, (...)) \
  X(int32_t, CIFSLIB_ListAllShares, (...)) \
  X(int32_t, CIFSLIB_CreateShare, (...)) \
  X(int32_t, CIFSLIB_ChangeShareConfiguration, (...)) \
  X(int32_t, CIFSLIB_ChangeShareFeatureConfiguration, (...)) \
  X(int32_t, CIFSLIB_RemoveShare, (...)) \
  X(int32_t, CIFSLIB_ListOpenFiles, (...)) \
  X(int32_t, CIFSLIB_CloseOpenFile, (...)) \
  X(int32_t, CIFSLIB_CloseAllOpenFiles, (...)) \
  X(int32_t, CIFSLIB_GetConnectionsCount, (...)) \
  X(int32_t, CIFSLIB_GetConnectionsList, (...)) \
  X(int32_t, CIFSLIB_GetConnectionDetails, (...)) \
  X(int32_t, CIFSLIB_GetConnectionMappedShares, (...)) \
  X(int32_t, CIFSLIB_ListInvalidUsers, (...)) \
  X(int32_t, CIFSLIB_AddPermanentInvalidUser, (...)) \
  X(int32_t, CIFSLIB_RemoveInvalidUser, (...)) \
  X(int32_t, CIFSLIB_MakePermanentInvalidUser, (...)) \
  X(int32_t, CIFSLIB_ListUserContexts, (...)) \
  X(int32_t, CIFSLIB_AddUserContext, (...)) \
  X(int32_t, CIFSLIB_RemoveUserContext, (...))
