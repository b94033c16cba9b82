'use strict';
// One benchmark trial in a fresh process (run inside the testbed):
//   node bench/trial.js <target> <concurrency> <requests>
// Keeps <concurrency> requests in flight until <requests> have completed,
// after a warm-up, and prints {rps, ms, maxRssKiB} as JSON.
const path = require('node:path');

const [target, concurrencyText, countText] = process.argv.slice(2);
const concurrency = Number(concurrencyText);
const count = Number(countText);
const BUILD = path.resolve(__dirname, '..', process.env.VRA_BUILD_DIR || 'build');

const targets = {
  floor: () => {
    const { floor_call } = require(path.join(BUILD, 'bench', 'floor.node'));
    return () => floor_call();
  },
  version: () => {
    const { version_sphere } = require(path.join(BUILD, 'Release', 'versions.node'));
    return () => version_sphere({ operation: 1001 });
  },
  devices: () => {
    const { pvf_device_sphere } = require(path.join(BUILD, 'Release', 'pvf_volumes.node'));
    const request = { operation: 401, guid: '5c3b1c2a-0d4e-4f6a-9b8c-1a2b3c4d5e6f', dn: 'cn=admin,o=tarvik', bootDevice: true };
    return () => pvf_device_sphere(request);
  },
  uidmap: () => {
    const { uidmap_sphere } = require(path.join(BUILD, 'Release', 'uidmap.node'));
    return () => uidmap_sphere({ operation: 101, dn: 'cn=admin,o=tarvik' });
  },
};

async function drive(call, total) {
  let started = 0;
  async function lane() {
    while (started < total) {
      started++;
      await call();
    }
  }
  await Promise.all(Array.from({ length: Math.min(concurrency, total) }, lane));
}

(async () => {
  const call = targets[target]();
  await drive(call, Math.min(2000, count));
  const t0 = process.hrtime.bigint();
  await drive(call, count);
  const ms = Number(process.hrtime.bigint() - t0) / 1e6;
  process.stdout.write(`${JSON.stringify({ rps: (count / ms) * 1000, ms, maxRssKiB: process.resourceUsage().maxRSS })}\n`);
})();
