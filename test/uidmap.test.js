'use strict';
// uidmap_sphere: the caller's user id and supervisor flag.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run, callAll, assertEnvelope } = require('./lib/testbed');

const ok = (uid, isSupervisor) => ({ status: 'success', operation: 'GetUIDFromDN', uid, isSupervisor });
const fail = (operation, errorCode, description, errorID, args) =>
  ({ status: 'failure', operation, error: { errorCode, description, errorID, ...(args && { args }) } });

test('GetUIDFromDN answers the uid and the supervisor flag', () => {
  const cases = [
    [{ operation: 101, dn: 'cn=admin,o=tarvik' }, ok(0, 1)],
    [{ operation: 101, dn: 'CN=JDoe,OU=Staff,O=Tarvik' }, ok(1001, 0)],
    // an AD user: flag from its SID; a uid of 2^31 or more stays unsigned
    [{ operation: 101, dn: 'cn=alice,cn=users,dc=example,dc=com' }, ok(3000000000, 1)],
    [{ operation: 101, dn: 'cn=nobody,o=tarvik' }, fail('GetUIDFromDN', -9011, 'Failed to get user info', '@@failed-to-get-user-info')],
    [{ operation: 101 }, fail('', 40016, "Failed to extract/convert 'dn'", '@@failed-to-extract-convert', 'dn')],
    [{ operation: 101, dn: ['cn=admin'] }, fail('', 40011, "Failed to extract/convert 'dn'", '@@failed-to-extract-convert', 'dn')],
    ['<no argument>', fail('', 40002, "Failed to extract/convert 'operation. Retry.'", '@@failed-to-extract-convert', 'operation')],
  ];
  const answers = callAll('uidmap', 'uidmap_sphere', cases.map((c) => c[0]));
  cases.forEach(([request, expected], i) => assertEnvelope(answers[i], expected, JSON.stringify(request)));
});

test('unknown operations give undefined; the module registers its spheres in order', () => {
  const r = run(({ addon }) => {
    const m = addon('uidmap');
    return {
      spheres: Object.getOwnPropertyNames(m),
      answers: [m.uidmap_sphere({ operation: 102, dn: 'cn=admin,o=tarvik' }), m.uidmap_sphere({ dn: 'cn=admin,o=tarvik' })],
      config: m.native_config_sphere({ logLevel: 'info' }),
    };
  });
  assert.deepEqual(r.spheres, ['native_config_sphere', 'uidmap_sphere']);
  assert.deepEqual(r.answers, [undefined, undefined]);
  assert.equal(r.config, undefined);
});
