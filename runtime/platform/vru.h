// The identity translation library libvru.so.0 (linked): users by GUID, name
// or SID, and their security equivalence. Shared by the add-ons and the
// testbed's stand-in.
#pragma once

#include <cstdint>

constexpr int VRU_GUID_SIZE = 16;
constexpr int VRU_SID_SIZE = 72;       // a SID in its raw form
constexpr int VRU_SEV_ENTRY_SIZE = 16;  // one security-equivalence entry (a GUID)
constexpr int32_t VRU_USER_DIRECTORY = 1;  // user type; any other value: an AD user
// The caller's security-equivalence list is too small; the count now holds
// the number of entries needed.
constexpr int32_t VRU_ERR_BUFFER_TOO_SMALL = -9009;

extern "C" {

// GUID text into its 16-byte form; 0 on success.
int32_t vrulib_string_to_guid(const char* text, uint8_t* guid);

// The user of a GUID: type, raw SID, user id, a value not read by the add-ons,
// and the user's name (allocated by the library, freed by the caller).
int32_t vrulib_get_userinfo_from_guid(const uint8_t* guid, int32_t* user_type, uint8_t* sid, uint32_t* uid,
                                      int32_t* reserved, char** name);

// The user of a distinguished name: type, GUID, raw SID, user id and a value
// not read by the add-ons.
int32_t vrulib_get_userinfo_from_name(const char* dn, int32_t* user_type, uint8_t* guid, uint8_t* sid, uint32_t* uid,
                                      int32_t* reserved);

// The security equivalence of a name given in UTF-16 (terminated): *count
// holds the capacity of list in entries on entry and the entries written (or
// needed, with VRU_ERR_BUFFER_TOO_SMALL) on return; *supervisor the user's
// supervisor flag.
int32_t vrulib_get_sevlist_from_name(const uint16_t* name, uint32_t* count, uint8_t* list, int32_t* supervisor);

// The security equivalence of a raw SID: the list is allocated by the library
// and freed by the caller.
int32_t vrulib_get_sevlist_from_sid(const uint8_t* sid, uint32_t* count, uint8_t** list, int32_t* supervisor);

}  // extern "C"
