'use strict';
// pvf_device_sphere and the storage frame it shares with the other storage
// spheres.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { run, assertEnvelope, BUILD } = require('./lib/testbed');

const ADMIN = { guid: '5c3b1c2a-0d4e-4f6a-9b8c-1a2b3c4d5e6f', dn: 'cn=admin,o=tarvik' };
const JDOE = { guid: '7d9e8f10-2a3b-4c5d-8e9f-0a1b2c3d4e5f', dn: 'cn=jdoe,ou=staff,o=tarvik' };
const DEVICE_CALLS = /^HRPT_(GetDevice|InitializeDisk|SetDiskShared|GetSectorSize)/;

// Calls pvf_device_sphere with each request; returns the answers and the
// volume manager's journal.
const device = (requests, options = {}) => run(async ({ addon, journal }, requests) => {
  const m = addon('pvf_volumes');
  const answers = [];
  for (const r of requests) answers.push(await m.pvf_device_sphere(r));
  return { answers, journal: journal('hrpt') };
}, { ...options, args: requests });

const sample = require('../testbed/sample/state/hrpt.json');
const withDevices = (...extra) => ({ 'state/hrpt.json': JSON.stringify({ ...sample, devices: [...sample.devices, ...extra] }) });
const faults = (entry, result) => ({ 'state/hrpt.json': JSON.stringify({ ...sample, faults: { [entry]: { result } } }) });

test('device listing: boot devices left out unless asked for, positions consecutive', () => {
  const { answers } = device([{ operation: 401, ...ADMIN, bootDevice: false }, { operation: 401, ...ADMIN, bootDevice: true }]);
  assert.deepEqual(answers[0].devices.map((d) => d.deviceName), ['sdb', 'sdc', 'md0']);
  assert.deepEqual(answers[1].devices.map((d) => d.deviceName), ['sda', 'sdb', 'sdc', 'md0']);
  assert.deepEqual(Object.keys(answers[0]), ['status', 'operation', 'devices']);
});

test('device objects: every key in order, sizes in bytes, format, type and flags', () => {
  const mirror = { name: 'md1', path: '/dev/md1', size: 2048, flags: 0x1d, raidType: 1, stripeSize: 128, provisioning: 1, logicalSectorSize: 4096, physicalSectorSize: 4096, raidFlags: 0x22, guid: '00112233-4455-6677-8899-aabbccddeeff' };
  const csm = { name: 'sdd', path: '/dev/sdd', flags: 0x800, provisioning: 7, raidType: 9, logicalSectorSize: 512 };
  const { answers } = device([
    { operation: 402, ...ADMIN, deviceName: 'md0' },
    { operation: 402, ...ADMIN, deviceName: 'md1' },
    { operation: 402, ...ADMIN, deviceName: 'sdd' },
  ], { files: withDevices(mirror, csm) });
  assertEnvelope(answers[0], {
    status: 'success', operation: 'FetchDeviceInfo',
    device: {
      deviceName: 'md0', path: '/dev/md0', size: '21472739328', sizeNative: '21472739328', freeSize: '21472739328', usedSize: '0',
      elementSize: '65536', major: 9, minor: 0, stripeSize: 65536, memberMap: 7, inactiveMap: 0, syncMap: 7,
      logicalSectorSize: 512, physicalSectorSize: 512, raidType: 'RAID5', sectors: 0, heads: 0, numberOfSegments: 3,
      loadedSegments: 3, oldSegments: 0, missingSegments: 0, restripePercent: 0, groupSync: 0, format: 'GPT',
      deviceType: 'Local', raidFlags: ['ENABLED'], flags: ['INITIALIZED', 'RAID', 'ENABLED', 'GPT'],
      guid: 'c0ffee00-1234-4abc-9def-0123456789ab',
    },
  });
  const md1 = answers[1].device;
  assert.equal(md1.stripeSize, 0, 'a mirror reports no stripe');
  assert.equal(md1.size, String(2048 * 4096));
  assert.equal(md1.raidType, 'RAID1');
  assert.equal('provisionType' in md1, false);
  assert.equal(md1.format, 'MSDOS');
  assert.deepEqual(md1.raidFlags, ['RESTRIPING', 'PAUSED']);
  assert.deepEqual(md1.flags, ['INITIALIZED', 'RAID', 'MIRROR', 'ENABLED']);
  const sdd = answers[2].device;
  assert.equal(sdd.format, 'CSM');
  assert.equal('raidType' in sdd || 'provisionType' in sdd, false, 'an unknown RAID type gets neither key');
});

test('device sector size, partitions and pools', () => {
  const { answers } = device([
    { operation: 405, ...ADMIN, deviceName: 'sdb' },
    { operation: 406, ...ADMIN, deviceName: 'sda' },
    { operation: 407, ...ADMIN, deviceName: 'sdb' },
  ]);
  assertEnvelope(answers[0], { status: 'success', operation: 'GetDeviceSectorSize', deviceName: 'sdb', sectorSize: 512 });
  assertEnvelope(answers[1], {
    status: 'success', operation: 'GetDevicePartitionsList', deviceName: 'sda',
    partitions: [
      { partitionName: 'sda1', deviceName: 'sda', poolName: '', type: 'EFI System', flags: ['ACTIVE', 'BOOT_PARTITION'], start: '2048', size: '536870912', logicalSectorSize: 512, restripePercent: 0, provisionType: 'Thick' },
      { partitionName: 'sda2', deviceName: 'sda', poolName: '', type: 'Linux', flags: ['ACTIVE'], start: '1050624', size: '42410704896', logicalSectorSize: 512, restripePercent: 0, provisionType: 'Thick' },
    ],
  });
  assertEnvelope(answers[2], {
    status: 'success', operation: 'GetDevicePoolsList', deviceName: 'sdb',
    pools: [{ poolName: 'POOL1', size: '21472739328', flags: ['SHARED', 'MOUNTED'], sectorSize: 512 }],
  });
  // Without the type-name entry point the type code is answered in decimal.
  const reduced = device([{ operation: 406, ...ADMIN, deviceName: 'sda' }],
    { files: { 'lib/libhrpt.so': { symlink: path.join(BUILD, 'testbed/without-HRPT_PartTypeToString/libhrpt.so') } } });
  assert.deepEqual(reduced.answers[0].partitions.map((p) => p.type), ['239', '131']);
});

test('initialising and sharing: options reach the volume manager', () => {
  const { answers, journal } = device([
    { operation: 403, ...ADMIN, deviceName: 'sdc', format: 'gpt', shared: true },
    { operation: 403, ...ADMIN, deviceName: 'sdc', format: 'MSDOS', shared: false, force: true, shareOverride: true },
    { operation: 404, ...ADMIN, deviceName: 'sdb', shared: false },
    { operation: 402, ...ADMIN, deviceName: 'sdb' },
    { operation: 403, ...ADMIN, deviceName: 'sdc', format: 'EFI', shared: true },
  ]);
  assertEnvelope(answers[0], { status: 'success', operation: 'InitializeDevice', deviceName: 'sdc' });
  assertEnvelope(answers[2], { status: 'success', operation: 'SetDeviceShared', deviceName: 'sdb' });
  assert.equal(answers[3].device.deviceType, 'Local');
  assertEnvelope(answers[4], {
    status: 'failure', operation: 'InitializeDevice',
    error: { errorCode: 40800, description: "Invalid device format type: EFI. Use 'GPT' or 'MSDOS'", errorID: '@@invalid-device-format-type' },
    deviceName: 'sdc',
  });
  const calls = journal.filter((j) => DEVICE_CALLS.test(j.call));
  assert.deepEqual(calls.map((j) => [j.call, j.args, j.locked]), [
    ['HRPT_InitializeDisk', { name: 'sdc', gpt: 1, options: 0x10000 }, true],
    ['HRPT_InitializeDisk', { name: 'sdc', gpt: 0, options: 0x20000 | 0x1000000 | 0x10000000 }, true],
    ['HRPT_SetDiskShared', { name: 'sdb', shared: 0 }, true],
    ['HRPT_GetDeviceInfo', { name: 'sdb' }, true],
  ]);
});

// [operation, request keys, entry point, catalogue tag]
const OPERATIONS = [
  [401, { dn: ADMIN.dn, bootDevice: true }, 'HRPT_GetDeviceListAndMetadata', '@@failed-to-get-the-list-of-devices', 'FetchDevicesOnServer'],
  [402, { deviceName: 'sdb' }, 'HRPT_GetDeviceInfo', '@@failed-to-get-the-device-info', 'FetchDeviceInfo'],
  [403, { deviceName: 'sdc', format: 'GPT', shared: false }, 'HRPT_InitializeDisk', '@@failed-to-initialize-device', 'InitializeDevice'],
  [404, { deviceName: 'sdb', shared: true }, 'HRPT_SetDiskShared', '@@failed-to-set-device-shared', 'SetDeviceShared'],
  [405, { deviceName: 'sdb' }, 'HRPT_GetSectorSize', '@@failed-to-get-device-sector-size', 'GetDeviceSectorSize'],
  [406, { deviceName: 'sdb' }, 'HRPT_GetDevicePartitionListV2', '@@failed-to-get-device-partitions', 'GetDevicePartitionsList'],
  [407, { deviceName: 'sdb' }, 'HRPT_GetDevicePoolsV2', '@@failed-to-get-device-pools', 'GetDevicePoolsList'],
];

test('library failures: the file-system name as description, the operation\'s tag, the device named', () => {
  for (const [operation, keys, entry, errorID, name] of OPERATIONS) {
    const { answers } = device([{ operation, guid: ADMIN.guid, ...keys }], { files: faults(entry, 23302) });
    assertEnvelope(answers[0], {
      status: 'failure', operation: name,
      error: { errorCode: 23302, description: 'zERR_HRPT_DEVICE_HAS_RAID', errorID },
      ...(keys.deviceName && { deviceName: keys.deviceName }),
    }, name);
  }
  // A number without a file-system name keeps the catalogue message.
  const { answers } = device([{ operation: 405, ...ADMIN, deviceName: 'sdb' }], { files: faults('HRPT_GetSectorSize', -3) });
  assert.equal(answers[0].error.description, 'Failed to get device sector size');
});

test('callers without supervisor rights are refused on every operation, before any device call', () => {
  const { answers, journal } = device(OPERATIONS.map(([operation, keys]) => ({ operation, guid: JDOE.guid, ...keys, ...(keys.dn && { dn: JDOE.dn }) })));
  answers.forEach((a, i) => {
    assert.equal(a.status, 'failure');
    assert.deepEqual(a.error, { errorCode: 40031, description: 'Logged in user has insufficient privilege', errorID: '@@failed-to-validate-credentials-or-authorize-user' }, OPERATIONS[i][4]);
  });
  assert.deepEqual(journal.filter((j) => DEVICE_CALLS.test(j.call) || /Lock|Open/.test(j.call)), []);
});

test('request checks of the frame and the readers', () => {
  const { answers, journal } = device([
    { operation: 401, ...ADMIN },
    { operation: 401, guid: ADMIN.guid, bootDevice: true },
    { operation: 402, dn: ADMIN.dn, deviceName: 'sdb' },
    { operation: 402, ...ADMIN, deviceName: 5 },
    { operation: 403, ...ADMIN, deviceName: 'sdc', format: 'GPT' },
    { operation: 402, ...ADMIN, deviceName: 'a-device-name-longer-than-sixty-three-bytes-is-cut-at-sixty-three-bytes' },
    { guid: ADMIN.guid },
  ]);
  const fail = (operation, errorCode, description, errorID, args, extra = {}) =>
    ({ status: 'failure', operation, error: { errorCode, description, errorID, args }, ...extra });
  assertEnvelope(answers[0], fail('FetchDevicesOnServer', 40016, 'Data received does not contain bootDevice', '@@data-received-does-not-contain', 'bootDevice'));
  assertEnvelope(answers[1], fail('FetchDevicesOnServer', 40016, 'Data received does not contain dn', '@@failed-to-extract-convert', 'dn'));
  assertEnvelope(answers[2], fail('', 40016, 'Data received does not contain guid', '@@failed-to-extract-convert', 'guid'));
  assertEnvelope(answers[3], fail('FetchDeviceInfo', 40011, 'Failed to extract/convert deviceName', '@@failed-to-extract-convert', 'deviceName'));
  assertEnvelope(answers[4], fail('InitializeDevice', 40016, 'Data received does not contain shared', '@@data-received-does-not-contain', 'shared', { deviceName: 'sdc' }));
  assert.equal(answers[5].deviceName, 'a-device-name-longer-than-sixty-three-bytes-is-cut-at-sixty-thr');
  assert.equal(answers[6], undefined);
  assert.equal(journal.filter((j) => j.call === 'HRPT_GetDeviceInfo').length, 1);
  const unknown = run(({ addon }) => [addon('pvf_volumes').pvf_device_sphere({ operation: 408, ...{ guid: 'g' } }), addon('pvf_volumes').pvf_device_sphere({ operation: 101, guid: 'g' })]);
  assert.deepEqual(unknown, [undefined, undefined]);
});

test('without the volume manager every device request answers 40030', () => {
  const { answers } = device(OPERATIONS.map(([operation, keys]) => ({ operation, guid: ADMIN.guid, ...keys })), { files: { 'lib/ABSENT': 'libhrpt.so\n' } });
  for (const a of answers) {
    assertEnvelope(a, { status: 'failure', operation: '', error: { errorCode: 40030, description: 'HRPT library not available', errorID: '@@hrpt-library-not-available' } });
  }
});

test('a lock that cannot be taken: index 36, and the volume manager is closed again', () => {
  const { answers, journal } = device([{ operation: 405, ...ADMIN, deviceName: 'sdb' }], { files: faults('HRPT_Lock', 23357) });
  assertEnvelope(answers[0], {
    status: 'failure', operation: 'GetDeviceSectorSize',
    error: { errorCode: 23357, description: 'zERR_HRPT_POOL_NOT_ACTIVE', errorID: '@@unable-to-acquire-the-hrpt-lock' },
    deviceName: 'sdb',
  });
  assert.deepEqual(journal.map((j) => j.call).filter((c) => c !== 'HRPT_GetUserSupervisorPrivilegeData'), ['HRPT_Open', 'HRPT_Lock', 'HRPT_Close']);
});

test('start-up: service probe, metadata switch, bindings, spheres in order', () => {
  const start = (files) => run(({ addon, journal, syslog }) => {
    const m = addon('pvf_volumes');
    return { spheres: Object.getOwnPropertyNames(m), pvf: journal('pvf').length, systemctl: journal('systemctl').length };
  }, { files });
  assert.deepEqual(start({}), { spheres: ['native_config_sphere', 'pvf_device_sphere'], pvf: 1, systemctl: 1 });
  assert.deepEqual(start({ 'state/services': '' }), { spheres: ['native_config_sphere', 'pvf_device_sphere'], pvf: 0, systemctl: 1 });
});
