'use strict';
// adutil_sphere: joining the server to an Active Directory domain.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { run, callAll, assertEnvelope, BUILD } = require('./lib/testbed');

const JOIN = {
  operation: 2001,
  guid: '5c3b1c2a-0d4e-4f6a-9b8c-1a2b3c4d5e6f',
  dn: 'cn=admin,o=tarvik',
  ADSupervisorGroup: 'cn=vra-admins,cn=users,dc=example,dc=com',
  container: 'cn=Computers,dc=example,dc=com',
  dnsIP: '192.0.2.53',
  domain: 'example.com',
  generateADUID: true,
  startUID: 50000,
  endUID: 60000,
  password: 'S3cret-Pa55',
  userName: 'Administrator',
  usePreCreatedObject: true,
};
const without = (key) => Object.fromEntries(Object.entries(JOIN).filter(([k]) => k !== key));
const fail = (errorCode, description, errorID, args) =>
  ({ status: 'failure', operation: 'JoinServerToAD', error: { errorCode, description, ...(errorID && { errorID }), ...(args && { args }) } });

test('a supervisor joins: the arguments reach the volume manager in order, the password never reaches the log', () => {
  const r = run(async ({ addon, journal, syslog }, join) => {
    const m = addon('adbind');
    m.native_config_sphere({ logLevel: 'debug' });
    const answer = await m.adutil_sphere({ ...join, userName: 'Administrator-of-the-domain' });
    return { answer, joins: journal('hrpt').filter((j) => j.call === 'HRPT_JoinServerToAD').map((j) => j.args.ordered), log: syslog() };
  }, { args: JOIN });
  assertEnvelope(r.answer, { status: 'success', operation: 'JoinServerToAD' });
  assert.deepEqual(r.joins, [[
    'Administrator-of-t', 'S3cret-Pa55', 'example.com', 'cn=Computers,dc=example,dc=com', '192.0.2.53',
    1, 1, 50000, 60000, 'cn=vra-admins,cn=users,dc=example,dc=com',
  ]]);
  assert.ok(r.log.some((l) => / P: \*\*\*\* /.test(l)), r.log.join('\n'));
  assert.ok(!r.log.some((l) => l.includes('S3cret-Pa55')), 'password in the log');
});

test('request checks', () => {
  const cases = [
    [without('usePreCreatedObject'), fail(40016, 'Data received does not contain usePreCreatedObject', '@@data-received-does-not-contain', 'usePreCreatedObject')],
    [without('ADSupervisorGroup'), fail(40016, 'Data received does not contain ADSupervisorGroup', '@@data-received-does-not-contain', 'ADSupervisorGroup')],
    [{ ...JOIN, dnsIP: 'dc1' }, fail(40029, 'Invalid IP received', '@@invalid-ip-received')],
    [{ ...JOIN, dnsIP: '192.0.2.256' }, fail(40029, 'Invalid IP received', '@@invalid-ip-received')],
    [{ ...JOIN, password: 7 }, fail(40011, 'Failed to extract/convert password', '@@failed-to-extract-convert', 'password')],
    [{ ...JOIN, startUID: 60000 }, fail(40032, 'Invalid UID range provided', '@@invalid-uid-range-provided')],
    [{ ...JOIN, startUID: 60000, endUID: 60000 }, fail(40032, 'Invalid UID range provided', '@@invalid-uid-range-provided')],
    // a range holding 0 would map directory users to root
    [{ ...JOIN, startUID: 0, endUID: 100 }, fail(40032, 'Invalid UID range provided', '@@invalid-uid-range-provided')],
    // UIDs must be numbers: a text would read as 0
    [{ ...JOIN, startUID: '100' }, fail(40005, 'Failed to extract/convert startUID', '@@failed-to-extract-convert', 'startUID')],
    [{ ...JOIN, endUID: true }, fail(40005, 'Failed to extract/convert endUID', '@@failed-to-extract-convert', 'endUID')],
    [without('endUID'), fail(40016, 'Data received does not contain endUID', '@@data-received-does-not-contain', 'endUID')],
    // without generated UIDs the range is not read
    [{ ...without('startUID'), generateADUID: false, endUID: 'x' }, { status: 'success', operation: 'JoinServerToAD' }],
    [without('dn'), fail(40016, 'Data received does not contain dn', '@@failed-to-extract-convert', 'dn')],
    [{ ...JOIN, dn: 'cn=jdoe,ou=staff,o=tarvik' }, fail(40031, 'Logged in user has insufficient privilege', '@@failed-to-validate-credentials-or-authorize-user')],
    [{ ...JOIN, dn: 'cn=nobody' }, fail(-9011, 'Failed to get logged in user info', '@@failed-to-validate-credentials-or-authorize-user')],
  ];
  const answers = callAll('adbind', 'adutil_sphere', cases.map((c) => c[0]));
  cases.forEach(([request, expected], i) => assertEnvelope(answers[i], expected, `case ${i}`));
  const guidless = callAll('adbind', 'adutil_sphere', [without('guid'), { ...without('guid'), operation: 2002 }]);
  assertEnvelope(guidless[0], { status: 'failure', operation: '', error: { errorCode: 40016, description: 'Data received does not contain guid', errorID: '@@failed-to-extract-convert', args: 'guid' } });
  assert.equal(guidless[1].error.args, 'guid');
  assert.equal(run(({ addon }) => addon('adbind').adutil_sphere({ operation: 2002, guid: 'g' })), undefined);
});

test('the join\'s own failure: its code, with a file-system name as description', () => {
  for (const [result, description] of [[23350, 'zERR_HRPT_HAS_POOL'], [-5, 'Failed to join server to AD']]) {
    const [answer] = callAll('adbind', 'adutil_sphere', [JOIN], { files: { 'state/hrpt.json': JSON.stringify({ joinResult: result }) } });
    assertEnvelope(answer, fail(result, description, '@@failed-to-join-server-to-ad'));
  }
});

test('without the library or without its join entry point every request answers 40030', () => {
  const reduced = { 'lib/libhrpt.so': { symlink: path.join(BUILD, 'testbed/without-HRPT_JoinServerToAD/libhrpt.so') } };
  for (const files of [{ 'lib/ABSENT': 'libhrpt.so\n' }, { 'lib/libhrpt.so': 'not a library' }, reduced]) {
    const r = run(async ({ addon, journal }, join) => {
      const m = addon('adbind');
      return { answers: [await m.adutil_sphere(join), await m.adutil_sphere({ operation: 2002 })], calls: journal('hrpt') };
    }, { args: JOIN, files });
    for (const a of r.answers) assertEnvelope(a, { status: 'failure', operation: '', error: { errorCode: 40030, description: 'HRPT library not available', errorID: '@@hrpt-library-not-available' } });
    assert.deepEqual(r.calls, []);
  }
});
