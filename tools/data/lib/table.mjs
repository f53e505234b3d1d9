// Reads countries.tsv, the hand-kept table every generated file comes from, and checks it.
import fs from 'node:fs';

export const REGIONS = ['アジア', '大洋州', '北米', '中南米', '欧州', '中東', 'アフリカ'];

// The five lists the program loads, each with the regions it gathers.
export const LISTS = [
  { key: 'asia&taiyou', regions: ['アジア', '大洋州'] },
  { key: 'europe', regions: ['欧州'] },
  { key: 'america', regions: ['北米', '中南米'] },
  { key: 'chuutou&africa', regions: ['中東', 'アフリカ'] },
  { key: 'sekai', regions: REGIONS },
];

const SMALL = { ぁ: 'あ', ぃ: 'い', ぅ: 'う', ぇ: 'え', ぉ: 'お', っ: 'つ', ゃ: 'や', ゅ: 'ゆ', ょ: 'よ', ゎ: 'わ' };
const VOWEL_OF = (() => {
  const rows = ['あかさたなはまやらわがざだばぱゃ', 'いきしちにひみりぎじぢびぴぃ', 'うくすつぬふむゆるぐずづぶぷゅぅっ', 'えけせてねへめれげぜでべぺぇ', 'おこそとのほもよろをごぞどぼぽょぉ'];
  const vowels = 'あいうえお';
  const map = {};
  rows.forEach((r, i) => { for (const ch of r) map[ch] = vowels[i]; });
  return map;
})();

// Dictionary order of a hiragana reading: voiced and small kana sort with their plain kana, the
// long-vowel mark as the vowel it lengthens, the middle dot not at all. Ties fall back to the
// reading itself, which puts plain before voiced before half-voiced.
export function gojuonKey(reading) {
  let out = '';
  let prev = '';
  for (const ch of reading.replace(/[・\s]/g, '')) {
    let c = ch;
    if (c === 'ー') c = VOWEL_OF[prev] ?? '';
    else {
      c = SMALL[c] ?? c;
      c = c.normalize('NFD').replace(/[\u3099\u309A]/g, '').normalize('NFC');
    }
    out += c;
    prev = ch === 'ー' ? prev : ch;
  }
  return out;
}

export function compareReadings(a, b) {
  const ka = gojuonKey(a);
  const kb = gojuonKey(b);
  if (ka !== kb) return ka < kb ? -1 : 1;
  return a < b ? -1 : a > b ? 1 : 0;
}

const COLUMNS = ['id', 'iso', 'reading', 'name', 'capital', 'region', 'lat', 'lon', 'zoom'];

export function readTable(path) {
  const rows = [];
  const notes = {};
  let pending = [];
  const lines = fs.readFileSync(path, 'utf8').split('\n');
  lines.forEach((line, i) => {
    if (line.trim() === '') { pending = []; return; }
    if (line.startsWith('#')) { pending.push(line.replace(/^#\s?/, '')); return; }
    const f = line.split('\t');
    if (f.length !== COLUMNS.length) throw new Error(`${path}:${i + 1}: ${f.length} columns, want ${COLUMNS.length}`);
    const r = Object.fromEntries(COLUMNS.map((c, k) => [c, f[k].trim()]));
    r.id = Number(r.id);
    r.lat = Number(r.lat);
    r.lon = Number(r.lon);
    r.zoom = Number(r.zoom);
    r.line = i + 1;
    if (pending.length) notes[r.iso] = pending;
    pending = [];
    rows.push(r);
  });
  check(rows);
  return { rows, notes };
}

function check(rows) {
  const fail = (r, why) => { throw new Error(`countries.tsv:${r.line} (${r.iso}): ${why}`); };
  const seen = { iso: new Set(), name: new Set() };
  rows.forEach((r, i) => {
    if (r.id !== i + 1) fail(r, `flag ID ${r.id} on row ${i + 1}`);
    if (!/^[A-Z]{2}$/.test(r.iso)) fail(r, 'bad ISO code');
    if (!/^[ぁ-ゖー・]+$/.test(r.reading)) fail(r, 'reading must be hiragana');
    if (!r.name || !r.capital) fail(r, 'empty name or capital');
    if (/[",\r\n]/.test(r.name + r.capital)) fail(r, 'name or capital holds a comma or quote');
    if (!REGIONS.includes(r.region)) fail(r, `unknown region ${r.region}`);
    if (!(Math.abs(r.lat) <= 90 && Math.abs(r.lon) <= 180)) fail(r, 'bad coordinates');
    if (!(Number.isInteger(r.zoom) && r.zoom >= 2 && r.zoom <= 18)) fail(r, 'bad zoom');
    for (const k of ['iso', 'name']) {
      if (seen[k].has(r[k])) fail(r, `duplicate ${k}`);
      seen[k].add(r[k]);
    }
    if (i > 0 && compareReadings(rows[i - 1].reading, r.reading) >= 0)
      fail(r, `out of gojūon order after ${rows[i - 1].name}`);
  });
}

export function mapUrl(r) {
  return `https://www.openstreetmap.org/#map=${r.zoom}/${r.lat}/${r.lon}`;
}
