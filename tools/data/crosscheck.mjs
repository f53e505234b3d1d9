// Puts each hand-written capital beside the English capital of world-countries and the Japanese
// city name of CLDR (time-zone exemplar cities), and the name beside CLDR's territory name.
// A row where CLDR disagrees must carry a note in countries.tsv that says why.
//   node crosscheck.mjs            prints only the rows that need a look
//   node crosscheck.mjs --all      prints every row
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { readTable } from './lib/table.mjs';

const require = createRequire(import.meta.url);
const here = path.dirname(fileURLToPath(import.meta.url));
const countries = require('world-countries/countries.json');
const zonesJa = require('cldr-dates-full/main/ja/timeZoneNames.json').main.ja.dates.timeZoneNames.zone;
const zonesEn = require('cldr-dates-full/main/en/timeZoneNames.json').main.en.dates.timeZoneNames.zone;

function cities(tree, prefix = []) {
  const out = {};
  for (const [k, v] of Object.entries(tree)) {
    const id = [...prefix, k];
    const leaf = Object.keys(v).length === 0 || 'exemplarCity' in v || 'long' in v || 'short' in v;
    if (!leaf) Object.assign(out, cities(v, id));
    else out[id.join('/')] = v?.exemplarCity ?? k.replace(/_/g, ' ');
  }
  return out;
}
const en = cities(zonesEn);
const ja = cities(zonesJa);
const jaByEnglish = {};
const plain = (s) => s.normalize('NFD').replace(/[\u0300-\u036f]/g, '').toLowerCase();
for (const [id, name] of Object.entries(ja)) {
  jaByEnglish[plain(id.split('/').pop().replace(/_/g, ' '))] = name;
  if (en[id]) jaByEnglish[plain(en[id])] = name;
}
const territory = new Intl.DisplayNames('ja', { type: 'region' });

const { rows, notes } = readTable(path.join(here, 'countries.tsv'));
const all = process.argv.includes('--all');
let questions = 0;
for (const r of rows) {
  const wc = countries.find((c) => c.cca2 === r.iso);
  const english = wc.capital.join(' / ');
  const cldrCity = wc.capital.map((c) => jaByEnglish[plain(c)] ?? jaByEnglish[plain(c.replace(/ City$/, ''))]).filter(Boolean).join(' / ');
  const cldrName = territory.of(r.iso);
  const note = (notes[r.iso] ?? []).join(' ');
  const bare = r.capital.replace(/（.*）/, '');
  const cityDiffers = cldrCity && !cldrCity.split(' / ').includes(bare);
  const nameDiffers = cldrName !== r.name;
  const unexplained = (cityDiffers && !/首都/.test(note)) || (nameDiffers && !/国名/.test(note) && !cldrName.startsWith(r.name));
  if (unexplained) questions++;
  if (all || unexplained)
    console.log([unexplained ? '??' : '  ', r.id, r.iso, r.name, cldrName, r.capital, english, cldrCity || '-', note].join('\t'));
}
console.log(`${rows.length} rows, ${questions} without a reason for a difference`);
process.exitCode = questions ? 1 : 0;
