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

function trial(target, concurrency, requests) {
  const r = spawnSync(path.join(ROOT, 'testbed/run'), ['--', process.execPath, path.join(__dirname, 'trial.js'), target, String(concurrency), String(requests)], {
    encoding: 'utf8',
    timeout: 300000,
  });
  if (r.status !== 0) throw new Error(`trial ${target} c=${concurrency} failed: ${r.stderr}`);
  return JSON.parse(r.stdout.trim().split('\n').pop());
}

const rows = [];
// Each target against the floor at the same concurrency. Targets whose work
// goes through the stand-ins (a JSON state file under a lock per library
// call) run fewer requests; their figures bound the add-on's own overhead
// from above.
const TARGETS = [
  ['version', 'version_sphere GetVersionDetails', 1],
  ['uidmap', 'uidmap_sphere GetUIDFromDN', 4],
  // caller lookup (which probes the file-system service with a forked
  // command on every request), volume-manager lock, a list of four devices
  ['devices', 'pvf_device_sphere FetchDevicesOnServer', 50],
];
for (const c of CONCURRENCY) {
  const floor = trial('floor', c, REQUESTS);
  rows.push({ name: `floor (empty async work)`, c, n: REQUESTS, ...floor, ratio: 1 });
  for (const [target, name, divisor] of TARGETS) {
    const n = Math.max(200, Math.floor(REQUESTS / divisor));
    const t = trial(target, c, n);
    rows.push({ name, c, n, ...t, ratio: t.rps / floor.rps });
  }
}

const fmt = (n, d = 0) => n.toFixed(d).padStart(10);
console.log('each trial in a fresh process; ratio = req/s against the floor at the same concurrency\n');
console.log(`${'trial'.padEnd(40)} ${'conc'.padStart(5)} ${'requests'.padStart(9)} ${'req/s'.padStart(10)} ${'ratio'.padStart(10)} ${'ms'.padStart(10)} ${'peak RSS MiB'.padStart(13)}`);
for (const r of rows) {
  console.log(`${r.name.padEnd(40)} ${String(r.c).padStart(5)} ${String(r.n).padStart(9)} ${fmt(r.rps)} ${fmt(r.ratio, 3)} ${fmt(r.ms, 1)} ${fmt(r.maxRssKiB / 1024, 1).padStart(13)}`);
}
