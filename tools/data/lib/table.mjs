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

const COLUMNS = ['id', 'iso', 'reading', 'name', 'capital', 'region', 'lat', 'lon', 'zoom', 'checked', 'flag'];

// Facts that changed since this year are logged row by row, as notes of the form
// "# 変更 2019-01-16 首都: ...", newest first.
export const LOG_SINCE = 2018;
const CHANGE = /^変更\s+(\d{4}(?:-\d{2}(?:-\d{2})?)?)\s+([^:：\s]+)[:：]\s*(.+)$/;

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
    r.flag = Number(r.flag);
    r.line = i + 1;
    r.changes = pending.map((n) => n.match(CHANGE)).filter(Boolean).map(([, date, what, text]) => ({ date, what, text }));
    if (pending.some((n) => /^変更/.test(n) && !CHANGE.test(n))) throw new Error(`${path}:${i + 1}: a change note reads "# 変更 2019-01-16 項目: 内容"`);
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
    checkDates(r, fail);
    for (const k of ['iso', 'name']) {
      if (seen[k].has(r[k])) fail(r, `duplicate ${k}`);
      seen[k].add(r[k]);
    }
    if (i > 0 && compareReadings(rows[i - 1].reading, r.reading) >= 0)
      fail(r, `out of gojūon order after ${rows[i - 1].name}`);
  });
}

function isDay(text) {
  const d = new Date(`${text}T00:00:00Z`);
  return /^\d{4}-\d{2}-\d{2}$/.test(text) && !Number.isNaN(d.getTime()) && d.toISOString().startsWith(text);
}

// The dates that tell how old a row is: when it was checked, when its flag was adopted, and what
// changed since LOG_SINCE. A flag change logged must be the flag the row shows.
function checkDates(r, fail) {
  if (!isDay(r.checked)) fail(r, `checked ${r.checked} is not a day (YYYY-MM-DD)`);
  if (r.checked > new Date().toISOString().slice(0, 10)) fail(r, `checked ${r.checked} lies ahead`);
  const checkedYear = Number(r.checked.slice(0, 4));
  if (!(Number.isInteger(r.flag) && r.flag >= 1200 && r.flag <= checkedYear)) fail(r, `bad flag adoption year ${r.flag}`);
  let previous = '9999';
  for (const c of r.changes) {
    const year = Number(c.date.slice(0, 4));
    if (c.date.length === 10 && !isDay(c.date)) fail(r, `change date ${c.date} is not a day`);
    if (year < LOG_SINCE || c.date.slice(0, 7) > r.checked.slice(0, 7)) fail(r, `change date ${c.date} outside ${LOG_SINCE} to ${r.checked}`);
    if (c.date > previous) fail(r, 'changes not newest first');
    previous = c.date;
  }
  const flagChange = r.changes.find((c) => c.what === '国旗');
  if (flagChange && Number(flagChange.date.slice(0, 4)) !== r.flag) fail(r, `flag changed in ${flagChange.date} but adopted ${r.flag}`);
}

export function mapUrl(r) {
  return `https://www.openstreetmap.org/#map=${r.zoom}/${r.lat}/${r.lon}`;
}
