'use strict';
// Runs code in a fresh testbed sandbox (testbed/run) and brings back what it
// returns. The code runs in its own node process, so add-on globals never
// leak between runs.
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const v8 = require('node:v8');
const assert = require('node:assert/strict');

const ROOT = path.resolve(__dirname, '../..');
const BUILD = path.resolve(ROOT, process.env.VRA_BUILD_DIR || 'build');
const SAMPLE = path.join(ROOT, 'testbed/sample');
const MARK = '\u0000vra-result:';

// A fixture directory: the sample server with `files` laid over it
// ({relative path: text, or null to remove, or {symlink: target}}).
function makeFixture(files = {}) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'vra-fixture-'));
  fs.cpSync(SAMPLE, dir, { recursive: true });
  for (const [rel, content] of Object.entries(files)) {
    const file = path.join(dir, rel);
    fs.rmSync(file, { force: true, recursive: true });
    if (content === null) continue;
    fs.mkdirSync(path.dirname(file), { recursive: true });
    if (typeof content === 'object') fs.symlinkSync(content.symlink, file);
    else fs.writeFileSync(file, content);
  }
  return dir;
}

// Helpers handed to the code that runs inside the sandbox.
const PRELUDE = `const helpers = require(${JSON.stringify(path.join(__dirname, 'helpers.js'))});`;

// run(fn, {files, args, env, wrap}): fn(helpers, args) runs inside a sandbox
// made from the sample server and `files` (in a node process started with
// `env` added, under the `wrap` command if given); its (awaited) result is
// returned, undefined and key order included. The run must exit cleanly (a sanitizer report
// fails it).
function run(fn, { files, args, env, wrap = [] } = {}) {
  const fixture = makeFixture(files);
  const code = `${PRELUDE}
Promise.resolve((${fn})(helpers, ${JSON.stringify(args ?? null)})).then((r) => {
  process.stdout.write(${JSON.stringify(MARK)} + require('node:v8').serialize(r).toString('base64') + '\\n');
});`;
  try {
    const child = spawnSync(path.join(ROOT, 'testbed/run'), ['--root', fixture, '--', ...wrap, process.execPath, '-e', code], {
      encoding: 'utf8',
      env: { ...process.env, ...env },
      timeout: 120000,
      maxBuffer: 64 * 1024 * 1024,
    });
    const detail = `status ${child.status} signal ${child.signal}\n--- stderr ---\n${child.stderr}\n--- stdout ---\n${child.stdout?.slice(0, 4000)}`;
    assert.equal(child.status, 0, `sandboxed run failed: ${detail}`);
    const line = child.stdout.split('\n').find((l) => l.startsWith(MARK));
    assert.ok(line, `sandboxed run reported nothing: ${detail}`);
    return v8.deserialize(Buffer.from(line.slice(MARK.length), 'base64'));
  } finally {
    fs.rmSync(fixture, { recursive: true, force: true });
  }
}

// Calls one sphere with each request in turn, awaiting each answer.
function callAll(deliverable, sphere, requests, options = {}) {
  return run(
    async ({ addon }, { deliverable, sphere, requests }) => {
      const fn = addon(deliverable)[sphere];
      const answers = [];
      for (const r of requests) answers.push(await fn(...(r === '<no argument>' ? [] : [r])));
      return answers;
    },
    { ...options, args: { deliverable, sphere, requests } },
  );
}

// Whole-envelope comparison, key order included.
function assertEnvelope(actual, expected, message) {
  assert.deepStrictEqual(actual, expected, message);
  assert.equal(JSON.stringify(actual), JSON.stringify(expected), `${message ?? ''} (key order)`);
}

module.exports = { run, callAll, assertEnvelope, makeFixture, ROOT, BUILD };
