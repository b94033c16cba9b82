'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, callAll, assertEnvelope } = require('./lib/testbed');

const OK = (vraRest, vra = { version: '2023', patch: '1' }) => ({
  operation: 'GetVersionDetails',
  status: 'success',
  vra,
  vraRest,
});
const FAIL = (errorCode, description, operation = 'GetVersionDetails') =>
  operation
    ? { operation, status: 'failure', error: { errorCode, description } }
    : { status: 'failure', operation, error: { errorCode, description } };

test('GetVersionDetails answers the release and the REST version, flags in order', () => {
  const cases = [
    [{ operation: 1001 }, OK({ version: '1.0.0' })],
    [{ operation: 1001, storageVersion: true, adbindVersion: true }, OK({ version: '1.0.0', storageVersion: '1.0.0', adbindVersion: '1.0.0' })],
    [{ adbindVersion: true, storageVersion: true, operation: 1001 }, OK({ version: '1.0.0', storageVersion: '1.0.0', adbindVersion: '1.0.0' })],
    [{ operation: 1001, adbindVersion: true }, OK({ version: '1.0.0', adbindVersion: '1.0.0' })],
    [{ operation: 1001, storageVersion: false, adbindVersion: false }, OK({ version: '1.0.0' })],
    // a flag of another type is ignored, not refused
    [{ operation: 1001, storageVersion: 'true', adbindVersion: 1 }, OK({ version: '1.0.0' })],
    // numbers are converted as Node-API does: truncated toward zero
    [{ operation: 1001.9 }, OK({ version: '1.0.0' })],
  ];
  const answers = callAll('versions', 'version_sphere', cases.map((c) => c[0]));
  cases.forEach(([request, expected], i) => assertEnvelope(answers[i], expected, JSON.stringify(request)));
});

test('unknown, absent or non-numeric operation gives undefined and no Promise', () => {
  const answers = run(({ addon }) => {
    const { version_sphere } = addon('versions');
    return [{ operation: 1002 }, { operation: '1001' }, {}, { operation: null }, { operation: true }, { storageVersion: true }]
      .map((r) => version_sphere(r));
  });
  assert.deepEqual(answers, [undefined, undefined, undefined, undefined, undefined, undefined]);
});

test('a request that cannot be read answers a resolved failure envelope', async () => {
  const answers = run(async ({ addon }) => {
    const { version_sphere } = addon('versions');
    const calls = [
      () => version_sphere(),
      () => version_sphere(undefined),
      () => version_sphere(null),
      () => version_sphere(5),
      () => version_sphere({ get operation() { throw new Error('getter'); } }),
      () => version_sphere(new Proxy({}, { get() { throw new Error('trap'); } })),
      () => version_sphere({ operation: 1001, get storageVersion() { throw new Error('getter'); } }),
      () => version_sphere({ operation: 1001, storageVersion: true, get adbindVersion() { throw new Error('getter'); } }),
      // a throwing presence check reads as an absent optional key
      () => version_sphere(new Proxy({ operation: 1001 }, { has(t, k) { if (k !== 'operation') throw new Error('has'); return k in t; } })),
    ];
    const out = [];
    for (const call of calls) {
      let threw = false, answer;
      try { answer = await call(); } catch { threw = true; }
      out.push({ threw, answer });
    }
    return out;
  });
  const readOp = FAIL(40002, 'Failed to extract/convert operation. Retry.', '');
  const expected = [
    readOp, readOp, readOp, readOp, readOp, readOp,
    FAIL(40002, 'Failed to extract/convert storageVersion'),
    FAIL(40002, 'Failed to extract/convert adbindVersion'),
    OK({ version: '1.0.0' }),
  ];
  answers.forEach((a, i) => {
    assert.equal(a.threw, false, `call ${i} threw into JS`);
    assertEnvelope(a.answer, expected[i], `call ${i}`);
  });
});

test('release file variants', () => {
  const cases = [
    { file: 'VERSION = 24.4\n', vra: { version: '24.4', patch: 'not found' } },
    { file: 'PATCHLEVEL=3\n', vra: { version: 'not found', patch: '3' } },
    { file: 'NAME="Server"\nVERSION_ID="24"\n', vra: { version: 'not found', patch: 'not found' } },
    { file: 'VERSION = 1\r\nPATCHLEVEL = 2\r\nVERSION = 3\r\n', vra: { version: '3', patch: '2' } },
    { file: `VERSION = ${'9'.repeat(40)}\n`, vra: { version: '9'.repeat(31), patch: 'not found' } },
    { file: `${'#'.repeat(600)}\nVERSION = 5\n`, vra: { version: '5', patch: 'not found' } },
  ];
  for (const c of cases) {
    const [answer] = callAll('versions', 'version_sphere', [{ operation: 1001 }], { files: { 'etc/tarvik-release': c.file } });
    assertEnvelope(answer, OK({ version: '1.0.0' }, c.vra), JSON.stringify(c.file.slice(0, 40)));
  }
});

test('a missing release file answers 40026, an unopenable one 40027, without vra', () => {
  const [missing] = callAll('versions', 'version_sphere', [{ operation: 1001, storageVersion: true }], { files: { 'etc/tarvik-release': null } });
  assertEnvelope(missing, FAIL(40026, 'Failed to open file to get VRA version'));
  // a symlink loop cannot be opened (ELOOP)
  const [loop] = callAll('versions', 'version_sphere', [{ operation: 1001 }], { files: { 'etc/tarvik-release': { symlink: 'tarvik-release' } } });
  assertEnvelope(loop, FAIL(40027, 'Failed to open file to get VRA version'));
});

test('each request makes exactly one async work item and one completion', () => {
  const seen = run(async ({ addon }) => {
    const hooks = require('node:async_hooks');
    const inits = {}, befores = {}, types = new Map();
    const h = hooks.createHook({
      init(id, type) { types.set(id, type); inits[type] = (inits[type] ?? 0) + 1; },
      before(id) { const t = types.get(id); befores[t] = (befores[t] ?? 0) + 1; },
    });
    const { version_sphere } = addon('versions');
    h.enable();
    await version_sphere({ operation: 1001 });
    await version_sphere({});  // unknown operation: nothing is queued
    await version_sphere(null);
    await version_sphere({ operation: 1001, storageVersion: 1n });  // ignored type
    h.disable();
    const pick = (o) => Object.fromEntries(Object.entries(o).filter(([k]) => !/^(PROMISE|TickObject|Immediate)$/.test(k)));
    return { inits: pick(inits), befores: pick(befores) };
  });
  const expected = { GetVersionDetails: 2, 'Deferred promise from async work item for NAPI': 1 };
  assert.deepEqual(seen.inits, expected);
  assert.deepEqual(seen.befores, expected);
});

test('ten thousand concurrent requests all resolve, each with its own answer', () => {
  const result = run(async ({ addon }) => {
    const { version_sphere } = addon('versions');
    const requests = Array.from({ length: 10000 }, (_, i) =>
      i % 3 === 0 ? null : { operation: 1001, storageVersion: i % 2 === 0, adbindVersion: i % 5 === 0 });
    const answers = await Promise.all(requests.map((r) => version_sphere(r)));
    let wrong = 0;
    answers.forEach((a, i) => {
      const r = requests[i];
      if (r === null) { if (a.error?.errorCode !== 40002) wrong++; return; }
      const rest = a.vraRest ?? {};
      if (a.status !== 'success' || ('storageVersion' in rest) !== r.storageVersion || ('adbindVersion' in rest) !== r.adbindVersion) wrong++;
    });
    return { count: answers.length, wrong };
  });
  assert.deepEqual(result, { count: 10000, wrong: 0 });
});
