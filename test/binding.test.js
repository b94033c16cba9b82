'use strict';
// Binding the management libraries, the volume-manager lock and the service
// probes, against the testbed's stand-ins.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { run, BUILD } = require('./lib/testbed');

const bindAll = ({ probe, syslog }) => {
  const p = probe();
  p.native_config_sphere({ logLevel: 'info' });
  const bound = Object.fromEntries(['hrpt', 'qlmsdk', 'cifsmgmtclient'].map((l) => [l, p.bind(l)]));
  const lines = syslog().filter((l) => /<bind_entry_points:/.test(l)).map((l) => l.replace(/<bind_entry_points:\d+> /, ''));
  return { bound, lines };
};

test('libraries present: bound with every entry point', () => {
  const { bound, lines } = run(bindAll);
  assert.deepEqual(bound, {
    hrpt: { loaded: 1, missing: [] },
    qlmsdk: { loaded: 1, missing: [] },
    cifsmgmtclient: { loaded: 1, missing: [] },
  });
  assert.deepEqual(lines, [
    '6 VRA-REST: Successfully loaded libhrpt.so',
    '6 VRA-REST: Successfully loaded libqlmsdk.so',
    '6 VRA-REST: Successfully loaded library: libcifsmgmtclient.so',
  ]);
});

test('binding lines are info lines: not written at the default level', () => {
  const lines = run(({ probe, syslog }) => {
    probe().bind('hrpt');
    return syslog();
  });
  assert.deepEqual(lines.filter((l) => /<bind_entry_points:/.test(l)), []);
});

test('binding failures: absent, not a library, one entry point missing', () => {
  const cases = [
    { name: 'absent', files: { 'lib/ABSENT': 'libhrpt.so\n' }, loaded: 0, missing: 163, line: /^6 VRA-REST: Failed to load libhrpt.so library due to error: libhrpt.so: cannot open shared object file/ },
    { name: 'not a library', files: { 'lib/libhrpt.so': 'this is not an ELF file\n' }, loaded: 0, missing: 163, line: /^6 VRA-REST: Failed to load libhrpt.so library due to error: .*(invalid ELF header|file too short)/ },
    { name: 'missing entry point', files: { 'lib/libhrpt.so': { symlink: path.join(BUILD, 'testbed/without-HRPT_GetDeviceList/libhrpt.so') } }, loaded: 1, missing: ['HRPT_GetDeviceList'], line: /^3 VRA-REST: Failed to load HRPT_GetDeviceList function from libhrpt.so library due to error: .*undefined symbol: HRPT_GetDeviceList/ },
  ];
  for (const c of cases) {
    const { bound, lines } = run(bindAll, { files: c.files });
    assert.equal(bound.hrpt.loaded, c.loaded, c.name);
    if (typeof c.missing === 'number') assert.equal(bound.hrpt.missing.length, c.missing, c.name);
    else assert.deepEqual(bound.hrpt.missing, c.missing, c.name);
    assert.equal(bound.qlmsdk.loaded, 1, c.name);
    assert.ok(lines.some((l) => c.line.test(l)), `${c.name}: ${lines.join('\n')}`);
    // the missing name is logged once per binding
    assert.equal(lines.filter((l) => /function from libhrpt/.test(l)).length, c.name === 'missing entry point' ? 1 : 0, c.name);
  }
});

// Runs `count` HoldLock requests at once, each holding the lock `hold` ms.
const holdLock = async ({ probe, journal }, { count, hold, bind }) => {
  const p = probe();
  if (bind) p.bind('hrpt');
  const answers = await Promise.all(Array.from({ length: count }, () => p.probe_sphere({ operation: 3, count: hold })));
  return { answers, journal: journal('hrpt') };
};

test('the volume-manager lock serialises concurrent work', () => {
  const { answers, journal } = run(holdLock, { args: { count: 12, hold: 5, bind: true } });
  assert.ok(answers.every((a) => a.status === 'success'), JSON.stringify(answers));
  const calls = journal.map((j) => j.call);
  assert.equal(calls.filter((c) => c === 'HRPT_Open').length, 12);
  assert.equal(calls.filter((c) => c === 'HRPT_Close').length, 12);
  // replay: Open, Lock, Close by one thread at a time; nobody else inside
  let inside = null;
  for (const j of journal) {
    assert.equal(j.result, 0, JSON.stringify(j));
    if (j.call === 'HRPT_Open') { assert.equal(inside, null, 'opened while another thread is inside'); inside = j.thread; }
    else { assert.equal(j.thread, inside, `${j.call} by a thread outside the lock`); }
    if (j.call === 'HRPT_Lock') assert.deepEqual(j.args, { mode: 0x10000022 });
    if (j.call === 'HRPT_Close') { assert.equal(j.locked, true); inside = null; }
  }
  assert.equal(inside, null);
});

test('a lock that cannot be taken fails with its code and index 36, and closes the volume manager', () => {
  const faults = { faults: { HRPT_Lock: { result: 23001, call: 2 } } };
  const { answers, journal } = run(holdLock, { args: { count: 3, hold: 1, bind: true }, files: { 'state/hrpt.json': JSON.stringify(faults) } });
  const failed = answers.filter((a) => a.status === 'failure');
  assert.equal(failed.length, 1);
  assert.deepEqual(failed[0], {
    status: 'failure', operation: 'HoldLock',
    error: { errorCode: 23001, description: 'zERR_UNKNOWN_ERROR', errorID: '@@unable-to-acquire-the-hrpt-lock' },
  });
  const calls = journal.map((j) => j.call);
  assert.equal(calls.filter((c) => c === 'HRPT_Open').length, 3);
  assert.equal(calls.filter((c) => c === 'HRPT_Close').length, 3, 'every HRPT_Open is paired with HRPT_Close');
  const injected = journal.findIndex((j) => j.injected);
  assert.equal(journal[injected].call, 'HRPT_Lock');
  assert.equal(journal[injected + 1].call, 'HRPT_Close');
  assert.equal(journal[injected + 1].thread, journal[injected].thread);
});

test('without the library, or without its lock entry point, the lock answers 40030 and calls nothing', () => {
  const absent = run(holdLock, { args: { count: 2, hold: 1, bind: true }, files: { 'lib/ABSENT': 'libhrpt.so\n' } });
  const noLock = run(holdLock, {
    args: { count: 2, hold: 1, bind: true },
    files: { 'lib/libhrpt.so': { symlink: path.join(BUILD, 'testbed/without-HRPT_Lock/libhrpt.so') } },
  });
  for (const { answers, journal } of [absent, noLock]) {
    assert.deepEqual(answers.map((a) => a.error), Array(2).fill({ errorCode: 40030, description: 'Unable to acquire the HRPT lock: 40030', errorID: '@@unable-to-acquire-the-hrpt-lock' }));
    assert.deepEqual(journal, []);
  }
});

test('file-system error numbers replace the description with their names', () => {
  const answers = run(async ({ probe }) => {
    const p = probe();
    const out = [];
    for (const count of [20000, 23350, 24999, 20407, 19999, 40017, -1]) out.push((await p.probe_sphere({ operation: 2, count })).error.description);
    return out;
  });
  assert.deepEqual(answers, ['zERR_NO_MEMORY', 'zERR_HRPT_HAS_POOL', 'zERR_GENERIC_PVF_ERROR', 'zERR_UNKNOWN_ERROR',
    'work failed with 19999', 'work failed with 40017', 'work failed with -1']);
});

test('service probe and metadata switch run their commands', () => {
  const running = run(({ probe, journal }) => {
    const p = probe();
    const active = p.service().active;
    p.enableMetadata();
    return { active, systemctl: journal('systemctl'), pvf: journal('pvf') };
  });
  assert.equal(running.active, 0);
  assert.deepEqual(running.systemctl, [{ call: 'systemctl', args: ['-q', 'is-active', 'tarvik-pvf.service'] }]);
  assert.deepEqual(running.pvf, [{ call: 'pvf', args: ['/ListXattrQNmetadata'] }]);
  const stopped = run(({ probe, syslog }) => {
    const p = probe();
    const active = p.service().active;
    p.enableMetadata();
    return { active, lines: syslog() };
  }, { files: { 'state/services': '', 'state/pvf-status': '4' } });
  assert.notEqual(stopped.active, 0);
  assert.ok(stopped.lines.some((l) => /^3 VRA-REST: <enable_list_xattr_qn_metadata:\d+> Failed to execute command using system function: 1024\.$/.test(l)), stopped.lines.join('\n'));
});

test('stand-in state stays consistent under concurrent threads and processes', () => {
  const counts = run(async ({ sandbox }, { helpers }) => {
    const { spawn } = require('node:child_process');
    const fs = require('node:fs');
    const child = `
      const h = require(${JSON.stringify(helpers)});
      const p = h.probe(); p.bind('hrpt');
      Promise.all(Array.from({ length: 25 }, () => p.probe_sphere({ operation: 3, count: 0 })));`;
    await Promise.all([0, 1, 2].map(() => new Promise((resolve, reject) => {
      spawn(process.execPath, ['-e', child], { stdio: 'inherit' }).on('exit', (code) => (code === 0 ? resolve() : reject(new Error(`child ${code}`))));
    })));
    return JSON.parse(fs.readFileSync(`${sandbox}/state/hrpt.json`, 'utf8')).calls;
  }, { args: { helpers: require.resolve('./lib/helpers.js') } });
  assert.deepEqual(counts, { HRPT_Open: 75, HRPT_Lock: 75, HRPT_Close: 75 });
});

test('an injected delay holds the call back', () => {
  const elapsed = run(async ({ probe }) => {
    const p = probe();
    p.bind('hrpt');
    const t0 = Date.now();
    await p.probe_sphere({ operation: 3, count: 0 });
    return Date.now() - t0;
  }, { files: { 'state/hrpt.json': JSON.stringify({ faults: { HRPT_Open: { delayMs: 300 } } }) } });
  assert.ok(elapsed >= 290, `the request took ${elapsed} ms`);
});
