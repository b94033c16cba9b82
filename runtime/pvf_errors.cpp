// The names belong to the file-system library and document its numbers; the
// volume manager's own numbers have names beginning with zERR_HRPT_.
#include "pvf_errors.h"

const PvfErrorRow pvfErrorTable[] = {
    {20000, "zERR_NO_MEMORY"},
    {20001, "zERR_BAD_CONNECTION_ID"},
    {20002, "zERR_NOT_CONNECTED"},
    {20799, "zERR_INVALID_VOLUME_PASSWORD"},
    {20801, "zERR_VOLUME_NOT_FOUND"},
    {23302, "zERR_HRPT_DEVICE_HAS_RAID"},
    {23316, "zERR_HRPT_SIZE_TOO_SMALL"},
    {23337, "zERR_HRPT_OBJECT_EXISTS"},
    {23350, "zERR_HRPT_HAS_POOL"},
    {23357, "zERR_HRPT_POOL_NOT_ACTIVE"},
    {23375, "zERR_HRPT_NOT_A_MIRROR"},
    {23391, "zERR_HRPT_QBEL_OBJECT_NOT_FOUND"},
    {23398, "zERR_HRPT_NO_MRQ_PAIRS"},
    {24999, "zERR_GENERIC_PVF_ERROR"},
    {0, "End of table"},
};

const char* get_pvf_err_string_from_number(int32_t number) {
  if (number < 20000 || number > 24999) return nullptr;
  for (const PvfErrorRow* row = pvfErrorTable; row->number != 0; ++row)
    if (row->number == number) return row->name;
  return "zERR_UNKNOWN_ERROR";
}
