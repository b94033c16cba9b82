'use strict';
// npm run bench: each figure as a ratio to the floor measured in the same
// run (a bare Node-API async work round trip at the same concurrency), with
// absolute rates, times and peak RSS as context. Every trial runs in a fresh
// process on the sample server.
const path = require('node:path');
const { spawnSync } = require('node:child_process');

const ROOT = path.resolve(__dirname, '..');
const REQUESTS = Number(process.env.VRA_BENCH_REQUESTS || 20000);
const CONCURRENCY = [1, 16, 256];

function trial(target, concurrency) {
  const r = spawnSync(path.join(ROOT, 'testbed/run'), ['--', process.execPath, path.join(__dirname, 'trial.js'), target, String(concurrency), String(REQUESTS)], {
    encoding: 'utf8',
    timeout: 300000,
  });
  if (r.status !== 0) throw new Error(`trial ${target} c=${concurrency} failed: ${r.stderr}`);
  return JSON.parse(r.stdout.trim().split('\n').pop());
}

const rows = [];
// Each target against the floor at the same concurrency.
const TARGETS = [
  ['version', 'version_sphere GetVersionDetails'],
  // every request looks the caller up in the identity stand-in, which reads
  // the sandbox's users file under a lock: the figure bounds the add-on's own
  // overhead from above
  ['uidmap', 'uidmap_sphere GetUIDFromDN'],
];
for (const c of CONCURRENCY) {
  const floor = trial('floor', c);
  rows.push({ name: `floor (empty async work)`, c, ...floor, ratio: 1 });
  for (const [target, name] of TARGETS) {
    const t = trial(target, c);
    rows.push({ name, c, ...t, ratio: t.rps / floor.rps });
  }
}

const fmt = (n, d = 0) => n.toFixed(d).padStart(10);
console.log(`${REQUESTS} requests per trial, each trial in a fresh process\n`);
console.log(`${'trial'.padEnd(36)} ${'conc'.padStart(5)} ${'req/s'.padStart(10)} ${'ratio'.padStart(10)} ${'ms'.padStart(10)} ${'peak RSS MiB'.padStart(13)}`);
for (const r of rows) {
  console.log(`${r.name.padEnd(36)} ${String(r.c).padStart(5)} ${fmt(r.rps)} ${fmt(r.ratio, 3)} ${fmt(r.ms, 1)} ${fmt(r.maxRssKiB / 1024, 1).padStart(13)}`);
}
