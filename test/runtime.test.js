'use strict';
// The shared runtime as every add-on uses it: property readers and writers,
// envelope writers, key tables and the generic sphere lifecycle, reached
// through a test-only add-on.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, assertEnvelope } = require('./lib/testbed');

test('property readers: codes, cut strings and untouched outputs', () => {
  // [kind, request (built inside the sandbox), key, size, expected]
  const results = run(({ probe }) => {
    const { read } = probe();
    const thrower = { get k() { throw new Error('getter'); } };
    const proto = Object.create({ k: 'inherited' });
    const cases = [
      ['string', { k: 'abcdef' }, 'k', 4],
      ['string', { k: 'abc' }, 'k', 4],
      ['string', { k: 'ééé' }, 'k', 4],          // never a cut character
      ['string', { k: 12 }, 'k', 4],
      ['string', {}, 'k', 4],
      ['string', proto, 'k', 64],
      ['string', thrower, 'k', 4],
      ['string_ext', { k: 'x'.repeat(5000) }, 'k'],
      ['string_ext', { k: null }, 'k'],
      ['uint32', { k: -1 }, 'k'],
      ['uint32', { k: 3.9 }, 'k'],
      ['uint32', { k: '7' }, 'k'],
      ['uint32', {}, 'k'],
      ['int32', { k: 2 ** 31 }, 'k'],
      ['int32', { k: -5.5 }, 'k'],
      ['int64', { k: 2 ** 53 }, 'k'],
      ['int64', { k: 5n }, 'k'],
      ['uint64', { k: 2n ** 64n - 1n }, 'k'],
      ['uint64', { k: 5 }, 'k'],
      ['bool', { k: true }, 'k'],
      ['bool', { k: false }, 'k'],
      ['bool', { k: 'true' }, 'k'],
      ['bool', thrower, 'k'],
      ['validate', { k: undefined }, 'k'],
      ['validate', proto, 'k'],
      ['validate', {}, 'k'],
      ['validate', new Proxy({}, { has() { throw new Error('has'); } }), 'k'],
      ['value_string', 'héllo', 'k'],
      ['value_string', 5, 'k'],
      ['value_string_ext', 'abc', 'k', 4],
      ['value_string_ext', 'abcd', 'k', 4],
    ];
    const out = cases.map(([kind, obj, key, size]) => read(kind, obj, key, size ?? 0));
    // nothing stays pending: a read after a throwing getter still works
    out.push(read('string', { k: 'after' }, 'k', 16));
    return out;
  });
  const expected = [
    { code: 0, value: 'abc' },
    { code: 0, value: 'abc' },
    { code: 0, value: 'é' },
    { code: 40011 },
    { code: 40011 },
    { code: 0, value: 'inherited' },
    { code: 40002 },
    { code: 0, value: 'x'.repeat(5000) },
    { code: 40011 },
    { code: 0, value: 4294967295 },
    { code: 0, value: 3 },
    { code: 0 },
    { code: 0 },
    { code: 0, value: -2147483648 },
    { code: 0, value: -5 },
    { code: 0, value: 2n ** 53n },
    { code: 0 },
    { code: 0, value: 2n ** 64n - 1n },
    { code: 0 },
    { code: 0, value: true },
    { code: 0, value: false },
    { code: 0 },
    { code: 40002 },
    { code: 0, value: true },
    { code: 0, value: true },
    { code: 0, value: false },
    { code: 0, value: false },
    { code: 0, value: 'héllo' },
    { code: 40004 },
    { code: 0, value: 'abc', length: 3 },
    { code: 40004, length: 4 },   // does not fit: refused, never overrun
    { code: 0, value: 'after' },
  ];
  results.forEach((r, i) => assert.deepEqual({ ...r }, expected[i], `case ${i}`));
});

test('a request that is not an object fails every property reader with 40002', () => {
  const codes = run(({ probe }) => {
    const { read } = probe();
    const kinds = ['string', 'string_ext', 'uint32', 'int32', 'int64', 'uint64', 'bool'];
    return [undefined, null, 5, 'text', true].flatMap((req) => kinds.map((k) => read(k, req, 'operation', 8).code));
  });
  assert.ok(codes.every((c) => c === 40002), JSON.stringify(codes));
});

test('property writers', () => {
  const written = run(({ probe }) => {
    const { write, strings } = probe();
    return [
      write('string', 'k', 'text'),
      write('string', 'k', null),
      write('pwd', 'k', 'secret'),
      write('boolean', 'k', 1),
      write('boolean', 'k', 256),   // the low byte decides
      write('int64', 'k', -(2n ** 40n)),
      write('int32', 'k', -7),
      write('uint32', 'k', 4294967295),
      write('double', 'k', 1.5),
      write('uint32_text', 'k', 4294967295),
      write('int64_text', 'k', -(2n ** 63n)),
      write('uint64_text', 'k', 2n ** 64n - 1n),
      write('ull_text', 'k', 2n ** 64n - 1n),
      strings(['a', 'b', '', 'ünï']),
    ];
  });
  assert.deepEqual(written, [
    { k: 'text' }, { k: '' }, { k: 'secret' }, { k: true }, { k: false },
    { k: -(2 ** 40) }, { k: -7 }, { k: 4294967295 }, { k: 1.5 },
    { k: '4294967295' }, { k: '-9223372036854775808' }, { k: '18446744073709551615' }, { k: '18446744073709551615' },
    ['a', 'b', '', 'ünï'],
  ]);
});

test('envelope writers: errorID only with a tag, args only with tag and args', () => {
  const envelopes = run(({ probe }) => {
    const { envelope } = probe();
    return [
      envelope(0, null, null, null, 'Op'),
      envelope(40016, 'Data received does not contain name', '@@data-received-does-not-contain', 'name', 'Op'),
      envelope(40016, 'd', '', 'name', 'Op'),
      envelope(40016, 'd', '@@tag', '', 'Op'),
      envelope(-1, null, null, null, null),
    ];
  });
  const expected = [
    { status: 'success', operation: 'Op' },
    { status: 'failure', operation: 'Op', error: { errorCode: 40016, description: 'Data received does not contain name', errorID: '@@data-received-does-not-contain', args: 'name' } },
    { status: 'failure', operation: 'Op', error: { errorCode: 40016, description: 'd' } },
    { status: 'failure', operation: 'Op', error: { errorCode: 40016, description: 'd', errorID: '@@tag' } },
    { status: 'failure', operation: '', error: { errorCode: -1, description: '' } },
  ];
  envelopes.forEach((e, i) => assertEnvelope(e, expected[i], `envelope ${i}`));
});

test('key tables hold their keys in order', () => {
  const tables = run(({ probe }) => {
    const { keys } = probe();
    const names = ['comn_keys', 'device_keys', 'partition_keys', 'raid_keys', 'pool_keys', 'volume_keys', 'snapshot_keys',
      'uq_keys', 'properties_keys', 'operations_keys', 'qlm_keys', 'dwv_keys', 'jrh_keys', 'servers_keys', 'vtx_keys',
      'adutil_keys', 'version_keys', 'uidmap_keys'];
    return Object.fromEntries(names.map((n) => [n, keys(n)]));
  });
  const sizes = Object.fromEntries(Object.entries(tables).map(([n, t]) => [n, t.length]));
  assert.deepEqual(sizes, {
    comn_keys: 50, device_keys: 8, partition_keys: 20, raid_keys: 41, pool_keys: 54, volume_keys: 19, snapshot_keys: 6,
    uq_keys: 2, properties_keys: 4, operations_keys: 14, qlm_keys: 50, dwv_keys: 48, jrh_keys: 62, servers_keys: 56,
    vtx_keys: 79, adutil_keys: 8, version_keys: 7, uidmap_keys: 2,
  });
  // positions the envelope and the request depend on, and a few far ends
  const picks = [
    ['comn_keys', 0, 'description'], ['comn_keys', 3, 'operation'], ['comn_keys', 4, 'status'], ['comn_keys', 7, 'errorID'],
    ['comn_keys', 8, 'args'], ['comn_keys', 9, 'dn'], ['comn_keys', 27, 'authToken'], ['comn_keys', 49, 'logLevel'],
    ['operations_keys', 9, 'delete'], ['vtx_keys', 57, 'MFAGraceTime'], ['vtx_keys', 78, 'resyncPercent'],
    ['jrh_keys', 61, 'pauseComment'], ['version_keys', 1, 'vra'], ['uidmap_keys', 1, 'isSupervisor'],
  ];
  for (const [table, i, key] of picks) assert.equal(tables[table][i], key, `${table}[${i}]`);
});

test('generic sphere lifecycle: reader, work and completion', () => {
  const answers = run(async ({ probe }) => {
    const { probe_sphere } = probe();
    const out = [];
    for (const r of [
      { operation: 1, name: 'short' },
      { operation: 1, name: 'a name longer than fifteen' },
      { operation: 1 },
      { operation: 1, name: 7 },
      { operation: 2, count: 30005 },
      { operation: 2 },
      { operation: 2, value: 466 },
      { operation: 2, value: 345 },
      null,
    ]) out.push(await probe_sphere(r));
    out.push(probe_sphere({ operation: 404 }), probe_sphere({ name: 'x' }));
    return out;
  });
  const fail = (operation, errorCode, description, errorID, args) =>
    ({ status: 'failure', operation, error: { errorCode, description, ...(errorID && { errorID, args }) } });
  const expected = [
    { status: 'success', operation: 'EchoName', name: 'short' },
    { status: 'success', operation: 'EchoName', name: 'a name longer t' },
    fail('EchoName', 40016, 'Data received does not contain name', '@@data-received-does-not-contain', 'name'),
    fail('EchoName', 40011, 'Failed to extract/convert name', '@@failed-to-extract-convert', 'name'),
    fail('FailInWork', 30005, 'work failed with 30005', '@@memory-allocation-failure', 'probe'),
    fail('FailInWork', 30001, 'work failed with 30001', '@@memory-allocation-failure', 'probe'),
    // an index without a catalogue row: neither errorID nor args
    fail('FailInWork', 30001, 'work failed with 30001'),
    // the two tags without "@@" are answered as they stand
    fail('FailInWork', 30001, 'work failed with 30001', 'failed-to-scan-jrh-junction', 'probe'),
    fail('', 40002, 'Failed to extract/convert operation', '@@failed-to-extract-convert', 'operation'),
    undefined,
    undefined,
  ];
  answers.forEach((a, i) => assertEnvelope(a, expected[i], `answer ${i}`));
});
