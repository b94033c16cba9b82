'use strict';
// The caller's identity: lookups through the identity library, the supervisor
// flag, and the worker thread's file-system user id; the shared cluster
// lookups.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run } = require('./lib/testbed');

const ADMIN = 'cn=admin,o=tarvik';
const JDOE = 'cn=jdoe,ou=staff,o=tarvik';

// A directory user whose security equivalence needs more than 20 entries.
const manyEquivalences = (n) => {
  const users = require('../testbed/sample/state/users.json');
  const guid = (i) => `00000000-0000-0000-0000-${String(i).padStart(12, '0')}`;
  return JSON.stringify({ users: [...users.users, { dn: 'cn=busy,o=tarvik', guid: guid(999999), sid: 'S-1-5-21-1-2-3-77', uid: 1077, type: 'directory', supervisor: true, securityEquivalence: Array.from({ length: n }, (_, i) => guid(i)) }] });
};

test('a security-equivalence list over 20 entries is read in two calls', () => {
  const { answer, calls } = run(async ({ addon, journal }) => {
    const answer = await addon('uidmap').uidmap_sphere({ operation: 101, dn: 'cn=busy,o=tarvik' });
    return { answer, calls: journal('vru').filter((j) => j.call === 'vrulib_get_sevlist_from_name').map((j) => [j.args.capacity, j.result]) };
  }, { files: { 'state/users.json': manyEquivalences(25) } });
  assert.deepEqual(answer, { status: 'success', operation: 'GetUIDFromDN', uid: 1077, isSupervisor: 1 });
  assert.deepEqual(calls, [[20, -9009], [25, 0]]);
});

test('the supervisor flag comes from the volume manager when it can answer, else from the identity library', () => {
  const probeRun = (files) => run(async ({ probe, journal }) => {
    const p = probe();
    p.bind('hrpt');
    const a = await p.probe_sphere({ operation: 4, dn: 'cn=admin,o=tarvik' });
    return { a, hrpt: journal('hrpt').map((j) => j.call), vru: journal('vru').map((j) => j.call), systemctl: journal('systemctl').length };
  }, { files });
  // The journals show who was asked.
  const running = probeRun({});
  assert.deepEqual(running.hrpt, ['HRPT_GetUserSupervisorPrivilegeData']);
  assert.deepEqual(running.vru, ['vrulib_get_userinfo_from_name']);
  assert.equal(running.systemctl, 1);
  const stopped = probeRun({ 'state/services': '' });
  assert.deepEqual(stopped.hrpt, []);
  assert.deepEqual(stopped.vru, ['vrulib_get_userinfo_from_name', 'vrulib_get_sevlist_from_name']);
  assert.equal(stopped.a.value, 0);
  // Add-ons that never bind the volume manager do not probe the service.
  const unbound = run(async ({ addon, journal }) => {
    await addon('uidmap').uidmap_sphere({ operation: 101, dn: 'cn=admin,o=tarvik' });
    return journal('systemctl').length;
  });
  assert.equal(unbound, 0);
});

test("lookup failures carry the library's code and their description", () => {
  const answers = run(async ({ probe }) => {
    const p = probe();
    const out = [];
    for (const dn of ['cn=nobody,o=tarvik', 'cn=admin,o=tarvik']) out.push(await p.probe_sphere({ operation: 4, dn }));
    out.push(await p.probe_sphere({ operation: 4 }));
    out.push(await p.probe_sphere({ operation: 4, dn: 42 }));
    return out;
  }, { files: { 'state/vru.json': JSON.stringify({ faults: { vrulib_get_sevlist_from_name: { result: -77 } } }) } });
  assert.deepEqual(answers.map((a) => [a.error?.errorCode, a.error?.description, a.error?.args]), [
    [-9011, 'Failed to get logged in user info', undefined],
    [-77, 'Failed to get sevlist for the user', undefined],
    [40016, 'Data received does not contain dn', 'dn'],
    [40011, 'Failed to extract/convert dn', 'dn'],
  ]);
});

test('administrative callers by GUID: supervisors work as root, others are refused', () => {
  const answers = run(async ({ probe }) => {
    const p = probe();
    const out = [];
    for (const guid of ['5c3b1c2a-0d4e-4f6a-9b8c-1a2b3c4d5e6f', '{B4E6F2A1-93C8-4D7E-A0B1-C2D3E4F5A6B7}',
      '7d9e8f10-2a3b-4c5d-8e9f-0a1b2c3d4e5f', 'not-a-guid', '00000000-0000-0000-0000-000000000000']) {
      out.push(await p.probe_sphere({ operation: 5, guid }));
    }
    return out.map((a) => a.value ?? [a.error.errorCode, a.error.description]);
  });
  assert.deepEqual(answers, [
    0,   // directory supervisor
    0,   // AD supervisor, found by its SID
    [40031, 'Logged in user has insufficient privilege'],
    [40024, 'Failed to get guid for the user'],
    [-9011, 'Failed to get logged in user info'],
  ]);
});

test('a dn of 300 characters is cut to 255 before the lookup', () => {
  const looked = run(async ({ addon, journal }) => {
    await addon('uidmap').uidmap_sphere({ operation: 101, dn: 'x'.repeat(300) });
    return journal('vru')[0].args.dn.length;
  });
  assert.equal(looked, 255);
});

test('the file-system user id is restored for the host\'s own file work', () => {
  const seen = run(async ({ probe, sandbox }) => {
    const fs = require('node:fs');
    const p = probe();
    const answer = await p.probe_sphere({ operation: 4, dn: 'cn=jdoe,ou=staff,o=tarvik' });
    // With one worker thread, Node's own asynchronous file work runs on the
    // thread the request just used.
    const file = `${sandbox}/tmp/after-request`;
    await fs.promises.writeFile(file, 'x');
    return { answer, owner: fs.statSync(file).uid };
  }, { env: { UV_THREADPOOL_SIZE: '1' } });
  assert.deepEqual(seen.answer, { status: 'success', operation: 'AsUser', value: 1001 });
  assert.equal(seen.owner, 0);
});

test('a switch of the file-system user id that does not take effect fails the request', () => {
  const answer = run(async ({ probe }) => probe().probe_sphere({ operation: 4, dn: 'cn=jdoe,ou=staff,o=tarvik' }),
    { wrap: ['setpriv', '--bounding-set=-setuid', '--'] });
  assert.deepEqual(answer, {
    status: 'failure', operation: 'AsUser',
    error: { errorCode: 1, description: 'Failed to switch the file-system user id to 1001', errorID: '@@failed-to-validate-credentials-or-authorize-user' },
  });
});

test('cluster lookups over the cluster SDK', () => {
  const r = run(({ probe, journal }) => {
    const p = probe();
    return {
      node: p.cluster('node', ''),
      lower: p.cluster('resource', 'pool1_server'),
      withNode: p.cluster('resourceAndNode', 'Pool1_Server'),
      long: p.cluster('resource', 'r'.repeat(70)),
      pool: p.cluster('pool', 'POOL1'),
      unknownPool: p.cluster('pool', 'NOPOOL'),
      emptyPool: p.cluster('pool', ''),
      calls: journal('qlmsdk').map((j) => j.call),
    };
  });
  assert.deepEqual(r.node, { code: 0, message: '', node: 'vra-node1' });
  assert.deepEqual(r.lower, { name: 'POOL1_SERVER', code: 0, message: '', node: '' });
  assert.deepEqual(r.withNode, { name: 'POOL1_SERVER', code: 0, message: '', node: 'vra-node1' });
  assert.deepEqual(r.long, { name: 'R'.repeat(63), code: 40604, message: 'Failed to find resource for pool', node: '' });
  assert.deepEqual(r.pool, { address: '192.0.2.10', code: 0, message: '', node: '' });
  assert.deepEqual(r.unknownPool, { address: '', code: 40604, message: 'Failed to get cluster info for pool', node: '' });
  assert.deepEqual(r.emptyPool, { address: '', code: 40018, message: '', node: '' });
  // the empty pool name never reached the SDK
  assert.equal(r.calls.filter((c) => c === 'QLM_GetPoolInfo').length, 2);
  const absent = run(({ probe }) => probe().cluster('node', ''), { files: { 'lib/ABSENT': 'libqlmsdk.so\n' } });
  assert.deepEqual(absent, { code: 40030, message: 'QLMSDK library not available', node: '' });
});
