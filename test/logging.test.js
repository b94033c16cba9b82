'use strict';
// Error catalogue, log lines and their gating, and native_config_sphere, as
// captured by the testbed's syslog shim.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run } = require('./lib/testbed');

test('catalogue lookups', () => {
  const rows = run(({ probe }) => {
    const { catalogue } = probe();
    return Object.fromEntries([-1, 0, 2, 82, 181, 191, 193, 345, 346, 465, 466, 467, 468].map((id) => [id, catalogue(id)]));
  });
  assert.equal(rows[-1], undefined);
  assert.equal(rows[0], undefined);
  assert.equal(rows[466], undefined);
  assert.equal(rows[468], undefined);
  assert.deepEqual(rows[2], { tag: '@@failed-to-extract-convert', message: 'Failed to extract/convert %s' });
  assert.equal(rows[181].tag, '@@failed-to-open');
  assert.deepEqual([rows[191], rows[193]], [
    { tag: '@@failed-to-create-file', message: 'Failed to create file: %s' },
    { tag: '@@failed-to-create-file', message: 'Failed to write to file: %s' },
  ]);
  assert.match(rows[82].message, /%$/);
  assert.equal(rows[345].tag, 'failed-to-scan-jrh-junction');
  assert.equal(rows[346].tag, 'failed-to-list-jrh-junction');
  assert.equal(rows[465].tag, '@@failed-to-set-resource-data');
  assert.deepEqual(rows[467], { tag: '@@failed-to-load-vlrpc-library', message: 'VLRPC library might not be available to resolve the JRH junction' });
});

test('log lines: prefix, priority and gating by native_config_sphere', () => {
  const { lines, returned, threw } = run(({ probe, sandbox }) => {
    const fs = require('node:fs');
    const p = probe();
    const returned = [];
    let threw = false;
    const config = (arg) => { try { returned.push(arg === '<none>' ? p.native_config_sphere() : p.native_config_sphere(arg)); } catch { threw = true; } };
    p.log(3, 'error at 3');
    p.log(6, 'info at 3');
    config({ logLevel: 'INFO' });
    p.log(6, 'info at 6');
    p.log(7, 'debug at 6');
    config({ logLevel: 'verbose' });   // 7 characters: refused, level stays 6
    config({ logLevel: 'trace' });     // names no level: refused
    config({});                        // missing: refused
    config({ logLevel: 7 });
    config('<none>');
    config({ get logLevel() { throw new Error('getter'); } });
    p.log(6, 'info still at 6');
    config({ logLevel: 'Debug' });
    p.log(7, 'debug at 7');
    config({ logLevel: 'warn' });
    p.log(6, 'info at 4');
    p.log(4, 'warn at 4');
    config({ logLevel: 'error' });
    p.log(4, 'warn at 3');
    p.catalogue(181);
    return { lines: fs.readFileSync(`${sandbox}/syslog`, 'utf8').trim().split('\n'), returned, threw };
  });
  assert.equal(threw, false);
  assert.ok(returned.every((r) => r === undefined));
  const probeLines = lines.filter((l) => l.includes('<probe_log:1>'));
  assert.deepEqual(probeLines, [
    '3 VRA-REST: <probe_log:1> error at 3',
    '6 VRA-REST: <probe_log:1> info at 6',
    '6 VRA-REST: <probe_log:1> info still at 6',
    '7 VRA-REST: <probe_log:1> debug at 7',
    '4 VRA-REST: <probe_log:1> warn at 4',
  ]);
  const configLines = lines.filter((l) => l.includes('<native_config_sphere:')).map((l) => l.replace(/^3 VRA-REST: <native_config_sphere:\d+> /, ''));
  assert.deepEqual(configLines, [
    'Log level string size is more than expected: 6 <7>',
    'Read invalid log level from prod.env file: trace',
    'Failed to get log level string length, error: 3',
    'Failed to get log level string length, error: 3',
    'Failed to read native configuration, error: 2',
    'Failed to read native configuration, error: 9',
  ]);
  assert.ok(lines.some((l) => /^3 VRA-REST: <get_err_tag_from_index:\d+> get_err_tag_from_index: error id: 181$/.test(l)), lines.join('\n'));
});
