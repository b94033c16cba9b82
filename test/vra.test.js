'use strict';
// The command-line tool, as an administrator runs it on the sample server.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { ROOT } = require('./lib/testbed');

function vra(args, input) {
  const r = spawnSync(path.join(ROOT, 'testbed/run'), ['--', process.execPath, path.join(ROOT, 'bin/vra'), ...args], {
    encoding: 'utf8', input: input ?? '', timeout: 60000,
  });
  return { status: r.status, stdout: r.stdout, stderr: r.stderr };
}

test('vra call: answers, exit status and messages', () => {
  const cases = [
    { args: ['call', 'versions', 'version_sphere', '{"operation":1001}'], status: 0, out: /"status": "success"[\s\S]*"version": "2023"/ },
    { args: ['call', 'versions', 'version_sphere'], input: '{"operation":1001,"storageVersion":true}', status: 0, out: /"storageVersion": "1.0.0"/ },
    { args: ['call', 'versions', 'version_sphere'], input: '', status: 1, out: /"errorCode": 40002/ },
    { args: ['call', 'versions', 'version_sphere', '{"operation":1002}'], status: 2, out: /^undefined\n$/ },
    { args: ['call', 'versions', 'version_sphere', '{"operation":1001'], status: 2, err: /not valid JSON: .*position 17/ },
    { args: ['call', 'versions', 'no_sphere', '{}'], status: 2, err: /unknown sphere 'no_sphere' of versions \(spheres: version_sphere\)/ },
    { args: ['call', 'nothing', 'version_sphere', '{}'], status: 2, err: /unknown deliverable 'nothing' \(built: .*versions/ },
    { args: ['call', '../build/Release/versions', 'version_sphere', '{}'], status: 2, err: /unknown deliverable/ },
    { args: ['frobnicate'], status: 2, err: /unknown command 'frobnicate'/ },
    { args: [], status: 2, err: /usage: vra call/ },
  ];
  for (const c of cases) {
    const r = vra(c.args, c.input);
    const label = `vra ${c.args.join(' ')}: ${r.stderr}`;
    assert.equal(r.status, c.status, label);
    if (c.out) assert.match(r.stdout, c.out, label);
    if (c.err) assert.match(r.stderr, c.err, label);
  }
});

test('vra tour: every add-on built so far answers', () => {
  const r = vra(['tour']);
  assert.equal(r.status, 0, r.stderr);
  for (const sphere of ['versions.version_sphere', 'pvf_volumes.pvf_device_sphere', 'uidmap.uidmap_sphere', 'adbind.adutil_sphere']) assert.match(r.stdout, new RegExp(`# ${sphere}: `));
  // the only failure shown is the one the tour announces
  assert.equal(r.stdout.match(/"status": "failure"/g)?.length, 1);
  assert.match(r.stdout, /"errorCode": 40031/);
  assert.doesNotMatch(r.stdout, /^undefined$/m);
});
