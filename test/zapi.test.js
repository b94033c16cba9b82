'use strict';
// The file-system call layer against the testbed's stand-in module: real
// files and folders in the sample server's volumes, reached through the
// preload shim's /dev/zapi.
const test = require('node:test');
const assert = require('node:assert/strict');
const { run } = require('./lib/testbed');

// Inside the sandboxed functions the name-space values are written out:
// 0x40000000 UTF-8 names, 0x10000000 by path, 4 long names.
const NOT_FOUND = 20407;

// A SID in its packed 68-byte form, as hex: revision, sub-authority count,
// 48-bit big-endian authority, 32-bit little-endian sub-authorities.
function packSid(text) {
  const [revision, authority, ...subs] = text.split('-').slice(1).map(BigInt);
  const bytes = Buffer.alloc(68);
  bytes[0] = Number(revision);
  bytes[1] = subs.length;
  bytes.writeUIntBE(Number(authority), 2, 6);
  subs.forEach((v, i) => bytes.writeUInt32LE(Number(v), 8 + 4 * i));
  return bytes.toString('hex');
}

test('a folder opened, enumerated page by page, wildcard-read, queried by name; every key closed', () => {
  const r = run(({ probe, journal, sandbox }) => {
    const fs = require('node:fs');
    const p = probe();
    const out = {};
    const root = p.zRootKey(1001);
    out.root = root.status;
    const dir = p.zOpen(root.key, 0x50000004, 'VOL1:/docs', 16);
    out.open = dir.status;
    out.dirInfo = p.zGetInfo(dir.key, 0x80001, 1588);
    // live entries, one page per call, until the folder is exhausted
    const pages = [];
    let cookie = 0n;
    for (;;) {
      const e = p.zEnumerate(dir.key, cookie, 0, 83, 2100);
      if (e.status !== 0) { out.enumerateEnd = e.status; break; }
      pages.push({ name: e.info.name, zid: e.info.zid, cookie: e.cookie, attributes: e.info.attributes });
      cookie = e.cookie;
    }
    out.pages = pages;
    // a cookie survives the removal of entries already returned
    const first = p.zEnumerate(dir.key, 0n, 0, 83, 2100);
    fs.unlinkSync(`/media/pvf/VOL1/docs/${first.info.name}`);
    const after = [];
    for (let c = first.cookie; ;) {
      const e = p.zEnumerate(dir.key, c, 0, 83, 2100);
      if (e.status !== 0) break;
      after.push(e.info.name);
      c = e.cookie;
    }
    out.removed = first.info.name;
    out.after = after;
    // wildcards, case-insensitive, then rewound
    const wild = (pattern) => {
      const names = [];
      for (;;) {
        const w = p.zWildRead(dir.key, pattern, 0, 83, 2100);
        if (w.status !== 0) { names.push(w.status); break; }
        names.push(w.info.name);
      }
      p.zWildRewind(dir.key);
      return names;
    };
    out.wildReports = wild('REPORT-Q?.TXT');
    out.wildAll = wild('*');
    out.wildNone = wild('*.pdf');
    // by name, UTF-8 and UTF-16, absolute from the root key
    out.byName = p.zGetInfoByName(root.key, 0x40000000, 'VOL1:\\docs\\reports\\annual.txt', 0x80051, 1588);
    out.byName16 = p.zGetInfoByName(root.key, 4, 'vol1:/docs/reports/annual.txt', 0x51, 1588);
    out.relative = p.zGetInfoByName(dir.key, 0x40000000, 'reports', 0x51, 1588);
    out.missing = p.zGetInfoByName(root.key, 0x40000000, 'VOL1:/docs/nothing-here', 0x51, 1588);
    out.noVolume = p.zOpen(root.key, 0x40000000, 'NOVOL:/', 16);
    out.escape = p.zOpen(root.key, 0x40000000, 'VOL1:/docs/../../etc', 16);
    out.tooSmall = p.zGetInfoByName(root.key, 0x40000000, 'VOL1:/docs', 0x51, 1100);
    out.shared = p.zGetInfoByName(root.key, 0x40000000, 'VOL1:/shared', 0x51, 1588);
    out.otherVolume = p.zGetInfoByName(root.key, 0x40000000, 'DATA:/projects', 0x51, 1588);
    out.closeDir = p.zClose(dir.key).status;
    out.closeAgain = p.zClose(dir.key).status;
    out.closeRoot = p.zClose(root.key).status;
    out.openKeys = JSON.parse(fs.readFileSync(`${sandbox}/state/zapi.json`, 'utf8')).openKeys;
    out.journal = journal('zapi').map((j) => [j.call, j.args.path ?? j.args.pattern ?? null, j.result]);
    out.sizes = Object.fromEntries(['report-q2.txt', 'notes.md', 'report-q1.txt'].map((f) => [f, fs.statSync(`${sandbox}/volumes/VOL1/docs/${f}`).size]));
    return out;
  });
  assert.equal(r.root, 0);
  assert.equal(r.open, 0);
  const dir = r.dirInfo.info;
  assert.equal(dir.name, 'docs');
  assert.equal(dir.attributes & 0x10, 0x10);
  assert.equal(dir.quota, 1048576n);
  assert.equal(dir.quotaUsed, BigInt(Object.values(r.sizes).reduce((a, b) => a + b, 0) + 'Annual summary\n'.length));
  assert.deepEqual(dir.trustees, [
    { identity: '7d9e8f102a3b4c5d8e9f0a1b2c3d4e5f', form: 0, rights: 3 },
    { identity: packSid('S-1-5-21-3623811015-3361044348-30300820-1105'), form: 1, rights: 507 },
  ]);
  assert.equal(dir.owner, '5c3b1c2a0d4e4f6a9b8c1a2b3c4d5e6f');
  // pages: every entry once, in ZID order, each cookie the entry's ZID
  assert.deepEqual(r.pages.map((e) => e.name).sort(), ['notes.md', 'report-q1.txt', 'report-q2.txt', 'reports']);
  assert.deepEqual(r.pages.map((e) => e.cookie), r.pages.map((e) => e.zid));
  assert.ok(r.pages.every((e, i) => i === 0 || e.zid > r.pages[i - 1].zid));
  assert.equal(r.enumerateEnd, NOT_FOUND);
  assert.equal(r.pages.find((e) => e.name === 'reports').attributes & 0x10, 0x10);
  assert.deepEqual(r.after, r.pages.map((e) => e.name).filter((n) => n !== r.removed));
  const reports = r.wildReports.filter((n) => typeof n === 'string');
  assert.deepEqual(reports.sort(), ['report-q1.txt', 'report-q2.txt'].filter((n) => n !== r.removed));
  assert.equal(r.wildReports.at(-1), NOT_FOUND);
  assert.equal(r.wildAll.length, 4, 'three entries left, then the end');
  assert.deepEqual(r.wildNone, [NOT_FOUND]);
  for (const byName of [r.byName, r.byName16]) {
    assert.equal(byName.status, 0);
    assert.equal(byName.info.name, 'annual.txt');
    assert.equal(byName.info.size, 15n);
  }
  assert.equal(r.byName.info.quota, 0x7FFFFFFFFFFFFFFFn, 'no quota reads as none');
  assert.equal(r.byName.info.quotaUsed, 0n);
  assert.equal(r.byName.info.volumeId, r.dirInfo.info.volumeId);
  assert.notEqual(r.otherVolume.info.volumeId, r.dirInfo.info.volumeId);
  assert.equal(r.relative.info.name, 'reports');
  assert.equal(r.missing.status, NOT_FOUND);
  assert.equal(r.noVolume.status, NOT_FOUND);
  assert.equal(r.escape.status, NOT_FOUND);
  assert.equal(r.tooSmall.status, 20004);
  assert.equal(r.shared.info.identityForms & 1, 1, 'the owner is a SID');
  assert.equal(r.shared.info.inheritedRightsMask, 3);
  assert.deepEqual([r.closeDir, r.closeAgain, r.closeRoot], [0, 20011, 0]);
  assert.equal(r.openKeys, 0);
  assert.deepEqual(r.journal.slice(0, 3), [['zRootKey', null, 0], ['zOpen', 'VOL1:/docs', 0], ['zGetInfo', null, 0]]);
});

test('the module works as root and gives the thread its file-system user id back', () => {
  const r = run(({ probe }) => {
    const p = probe();
    const root = p.zRootKey(1001);
    const before = p.fsuid(1001);
    const info = p.zGetInfoByName(root.key, 0x40000000, 'VOL1:/docs/notes.md', 0x51, 1588);
    const during = p.fsuid(-1);
    p.fsuid(before);
    p.zClose(root.key);
    return { status: info.status, during };
  });
  assert.deepEqual(r, { status: 0, during: 1001 });
});

test('an injected status reaches the caller', () => {
  const r = run(({ probe }) => {
    const p = probe();
    const root = p.zRootKey(0);
    return p.zOpen(root.key, 0x40000000, 'VOL1:/docs', 16).status;
  }, { files: { 'state/zapi.json': JSON.stringify({ faults: { zOpen: { result: 20012 } } }) } });
  assert.equal(r, 20012);
});
