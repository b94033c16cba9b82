'use strict';
// What every shipped add-on must look like to the loader.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { BUILD } = require('./lib/testbed');

const release = path.join(BUILD, 'Release');
const addons = fs.readdirSync(release).filter((f) => f.endsWith('.node'));

test('each add-on exports only the two registration symbols and carries no RUNPATH', () => {
  assert.ok(addons.includes('versions.node'));
  for (const file of addons) {
    const full = path.join(release, file);
    const symbols = execFileSync('nm', ['-D', '--defined-only', full], { encoding: 'utf8' })
      .split('\n').filter(Boolean).map((l) => l.split(' ').pop()).sort();
    assert.deepEqual(symbols, ['napi_register_module_v1', 'node_api_module_get_api_version_v1'], file);
    const dynamic = execFileSync('readelf', ['-d', full], { encoding: 'utf8' });
    assert.doesNotMatch(dynamic, /RPATH|RUNPATH/, file);
  }
});
