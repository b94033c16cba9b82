// Layouts of the volume manager's records, checked against the documented
// offsets and sizes written here as literals.
#include <gtest/gtest.h>

#include <cstddef>

#include "platform/hrpt.h"
#include "platform/qlmsdk.h"

#define AT(type, field, offset) EXPECT_EQ(offsetof(type, field), size_t{offset}) << #type "." #field

TEST(HrptRecords, Device) {
  EXPECT_EQ(sizeof(hrpt_device_record), 320u);
  AT(hrpt_device_record, name, 0);
  AT(hrpt_device_record, path, 64);
  AT(hrpt_device_record, size, 192);
  AT(hrpt_device_record, native_size, 200);
  AT(hrpt_device_record, free_size, 208);
  AT(hrpt_device_record, used_size, 216);
  AT(hrpt_device_record, flags, 224);
  AT(hrpt_device_record, major, 228);
  AT(hrpt_device_record, minor, 232);
  AT(hrpt_device_record, sectors, 236);
  AT(hrpt_device_record, heads, 238);
  AT(hrpt_device_record, raid_type, 242);
  AT(hrpt_device_record, segments, 243);
  AT(hrpt_device_record, loaded_segments, 244);
  AT(hrpt_device_record, old_segments, 245);
  AT(hrpt_device_record, raid_flags, 246);
  AT(hrpt_device_record, restripe_percent, 247);
  AT(hrpt_device_record, group_sync, 248);
  AT(hrpt_device_record, missing_segments, 256);
  AT(hrpt_device_record, element_size, 264);
  AT(hrpt_device_record, stripe_size, 272);
  AT(hrpt_device_record, member_map, 276);
  AT(hrpt_device_record, inactive_map, 280);
  AT(hrpt_device_record, sync_map, 284);
  AT(hrpt_device_record, guid, 288);
  AT(hrpt_device_record, logical_sector_size, 304);
  AT(hrpt_device_record, physical_sector_size, 308);
  AT(hrpt_device_record, provisioning, 312);
  EXPECT_EQ(sizeof(hrpt_device_record::name), 64u);
  EXPECT_EQ(sizeof(hrpt_device_record::path), 128u);
  EXPECT_EQ(sizeof(hrpt_device_record::sectors), 2u);
  EXPECT_EQ(sizeof(hrpt_device_record::raid_type), 1u);
  EXPECT_EQ(sizeof(hrpt_device_record::guid), 16u);
}

TEST(HrptRecords, DevicePartitionAndPool) {
  EXPECT_EQ(sizeof(hrpt_device_partition_record), 456u);
  AT(hrpt_device_partition_record, name, 0);
  AT(hrpt_device_partition_record, device_name, 64);
  AT(hrpt_device_partition_record, pool_name, 128);
  AT(hrpt_device_partition_record, type, 400);
  AT(hrpt_device_partition_record, flags, 404);
  AT(hrpt_device_partition_record, start, 408);
  AT(hrpt_device_partition_record, size, 416);
  AT(hrpt_device_partition_record, restripe_percent, 441);
  AT(hrpt_device_partition_record, logical_sector_size, 444);
  AT(hrpt_device_partition_record, provisioning, 448);
  EXPECT_EQ(sizeof(hrpt_device_pool_record), 400u);
  AT(hrpt_device_pool_record, name, 0);
  AT(hrpt_device_pool_record, size, 256);
  AT(hrpt_device_pool_record, flags, 304);
  AT(hrpt_device_pool_record, sector_size, 316);
}

TEST(QlmRecords, Pool) {
  EXPECT_EQ(sizeof(qlm_pool_record), 792u);
  AT(qlm_pool_record, pool_name, 644);
  EXPECT_EQ(sizeof(qlm_pool_record::pool_name), 128u);
  AT(qlm_pool_record, address, 772);
}
