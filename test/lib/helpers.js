'use strict';
// Handed to code that runs inside a testbed sandbox (see testbed.js run()).
const fs = require('node:fs');
const path = require('node:path');

const BUILD = path.resolve(__dirname, '../..', process.env.VRA_BUILD_DIR || 'build');
const sandbox = process.env.VRA_SANDBOX;

const lines = (file) => (fs.existsSync(file) ? fs.readFileSync(file, 'utf8').split('\n').filter(Boolean) : []);

module.exports = {
  sandbox,
  addon: (name) => require(path.join(BUILD, 'Release', `${name}.node`)),
  probe: () => require(path.join(BUILD, 'test', 'runtime_probe.node')),
  // The lines of a stand-in's call journal, parsed.
  journal: (library) => lines(path.join(sandbox, 'journal', `${library}.jsonl`)).map((l) => JSON.parse(l)),
  // The captured syslog lines ("<priority> <text>").
  syslog: () => lines(path.join(sandbox, 'syslog')),
};
