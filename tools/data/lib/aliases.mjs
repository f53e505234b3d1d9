// The other names of each country, for the study search: data/betsumei.csv, CP932, CR LF, one
// alias a line as "flag ID,kind,alias". Made from countries.tsv, the hand-kept aliases.tsv
// (what no package knows: one-kanji abbreviations, old names, readings of kanji), world-countries
// (formal and common Japanese names, English names, capitals, ISO codes) and CLDR's Japanese
// territory names.
//   node lib/aliases.mjs        writes data/betsumei.csv on its own
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import iconv from 'iconv-lite';
import { readTable } from './table.mjs';

const require = createRequire(import.meta.url);

export const KINDS = ['正式名', '通称', '略称', '漢字表記', '読み', '国名の読み', '英語', '符号', 'ローマ字', '旧称', '旧首都', '最大都市'];
// Not a kind that is written out: the hand table's way of saying a name from world-countries or
// CLDR is left out (Congo names two countries).
const LEFT_OUT = '除外';
// The reading of a name holding kanji, one per such name, which the review tells beside it.
const NAME_READING = '国名の読み';

// Hepburn, written the way players type it: no macrons, "n" before every letter.
const DIGRAPHS = {
  きゃ: 'kya', きゅ: 'kyu', きょ: 'kyo', しゃ: 'sha', しゅ: 'shu', しょ: 'sho', しぇ: 'she',
  ちゃ: 'cha', ちゅ: 'chu', ちょ: 'cho', ちぇ: 'che', にゃ: 'nya', にゅ: 'nyu', にょ: 'nyo',
  ひゃ: 'hya', ひゅ: 'hyu', ひょ: 'hyo', みゃ: 'mya', みゅ: 'myu', みょ: 'myo', りゃ: 'rya',
  りゅ: 'ryu', りょ: 'ryo', ぎゃ: 'gya', ぎゅ: 'gyu', ぎょ: 'gyo', じゃ: 'ja', じゅ: 'ju',
  じょ: 'jo', じぇ: 'je', びゃ: 'bya', びゅ: 'byu', びょ: 'byo', ぴゃ: 'pya', ぴゅ: 'pyu',
  ぴょ: 'pyo', てぃ: 'ti', でぃ: 'di', でゅ: 'dyu', てゅ: 'tyu', とぅ: 'tu', どぅ: 'du',
  ふぁ: 'fa', ふぃ: 'fi', ふぇ: 'fe', ふぉ: 'fo', うぃ: 'wi', うぇ: 'we', うぉ: 'wo',
  ゔぁ: 'va', ゔぃ: 'vi', ゔぇ: 've', ゔぉ: 'vo', つぁ: 'tsa', いぇ: 'ye', くぁ: 'kwa',
  ぐぁ: 'gwa', すぃ: 'si', ずぃ: 'zi', しぃ: 'shii',
};
const SINGLES = Object.fromEntries(
  ('あa いi うu えe おo かka きki くku けke こko がga ぎgi ぐgu げge ごgo さsa しshi すsu せse そso ' +
    'ざza じji ずzu ぜze ぞzo たta ちchi つtsu てte とto だda ぢji づzu でde どdo なna にni ぬnu ねne ' +
    'のno はha ひhi ふfu へhe ほho ばba びbi ぶbu べbe ぼbo ぱpa ぴpi ぷpu ぺpe ぽpo まma みmi むmu ' +
    'めme もmo やya ゆyu よyo らra りri るru れre ろro わwa をo ゔvu ぁa ぃi ぅu ぇe ぉo ゃya ゅyu ょyo')
    .split(' ').map((p) => [p[0], p.slice(1)]));

function toHiragana(text) {
  return text.replace(/[ァ-ヶ]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 0x60));
}

// The romaji of a kana reading, with the long-vowel mark as a doubled vowel ("oosutoraria").
// Letters and digits pass through lower-cased; anything else is left out.
export function romaji(reading) {
  const s = toHiragana(reading);
  let out = '';
  let geminate = false;
  for (let i = 0; i < s.length; ) {
    const two = DIGRAPHS[s.slice(i, i + 2)];
    const one = SINGLES[s[i]];
    let syl = '';
    if (two) { syl = two; i += 2; }
    else if (s[i] === 'っ') { geminate = true; i += 1; continue; }
    else if (s[i] === 'ん') { syl = 'n'; i += 1; }
    else if (s[i] === 'ー') { syl = out.match(/[aiueo]$/)?.[0] ?? ''; i += 1; }
    else if (one) { syl = one; i += 1; }
    else { syl = /[A-Za-z0-9]/.test(s[i]) ? s[i].toLowerCase() : ''; i += 1; }
    if (geminate && syl) syl = (syl.startsWith('ch') ? 't' : syl[0]) + syl;
    geminate = false;
    out += syl;
  }
  return out;
}

// The romaji forms a player may type: as spelt kana by kana ("toukyou", "oosutoraria") and
// with long vowels shortened ("tokyo", "osutoraria").
export function romajiForms(reading) {
  const full = romaji(reading);
  const short = romaji(reading.replace(/ー/g, '')).replace(/ou/g, 'o').replace(/oo/g, 'o').replace(/uu/g, 'u');
  return [...new Set([full, short])].filter(Boolean);
}

// Letters with accents lose them: the program folds them anyway, and CP932 has none of them.
function plainLatin(text) {
  return text.normalize('NFD').replace(/[\u0300-\u036f]/g, '').replace(/[ʻʼ’]/g, "'");
}

// A rough form of the program's search folding, enough to find one alias claimed by two
// countries or one that only repeats the country's own name.
export function folded(text) {
  let s = plainLatin(text.normalize('NFKC')).toLowerCase();
  s = s.replace(/[ぁ-ゖ]/g, (c) => String.fromCharCode(c.charCodeAt(0) + 0x60));
  s = s.replace(/[\s・ー\-'.,()（）&]/g, '');
  const pairs = [['ヴァ', 'バ'], ['ヴィ', 'ビ'], ['ヴェ', 'ベ'], ['ヴォ', 'ボ'], ['ヴ', 'ブ'], ['ヂ', 'ジ'],
    ['ヅ', 'ズ'], ['ティ', 'チ'], ['ディ', 'ジ'], ['ァ', 'ア'], ['ィ', 'イ'], ['ゥ', 'ウ'], ['ェ', 'エ'], ['ォ', 'オ']];
  for (const [from, to] of pairs) s = s.split(from).join(to);
  return s;
}

function readHandTable(file) {
  const out = [];
  const where = new Map();
  fs.readFileSync(file, 'utf8').split('\n').forEach((line, i) => {
    if (line.trim() === '' || line.startsWith('#')) return;
    const f = line.split('\t').map((x) => x.trim());
    const at = `${path.basename(file)}:${i + 1}`;
    if (f.length !== 3 || !(KINDS.includes(f[1]) || f[1] === LEFT_OUT)) throw new Error(`${at}: want iso, kind, alias`);
    // The name's own reading is countries.tsv's, the one the lists are sorted by: one source only.
    if (f[1] === NAME_READING) throw new Error(`${at}: ${NAME_READING} comes from countries.tsv`);
    // Two lines of different kinds that the search cannot tell apart (通称 ペキン and 読み ぺきん)
    // would keep only the first, under its kind, and drop the other without a word.
    const key = `${f[0]}\t${folded(f[2])}`;
    const earlier = where.get(key);
    if (earlier && earlier.kind !== f[1]) throw new Error(`${at}: ${f[2]} is line ${earlier.line} (${earlier.kind}) again, as the search reads it`);
    if (!earlier) where.set(key, { kind: f[1], line: i + 1 });
    out.push({ iso: f[0], kind: f[1], alias: f[2], line: i + 1 });
  });
  return out;
}

function hasKanji(text) {
  return /[\u4e00-\u9fff々]/.test(text);
}

function bareCapital(capital) {
  return capital.replace(/（.*?）/g, '');
}

// Every alias of every country, in flag ID order; and what had to be left out, and why.
export function collectAliases(rows, handFile) {
  const countries = require('world-countries/countries.json');
  const territory = new Intl.DisplayNames('ja', { type: 'region' });
  const hand = readHandTable(handFile);
  const byIso = new Map(rows.map((r) => [r.iso, r]));
  for (const h of hand) if (!byIso.has(h.iso)) throw new Error(`aliases.tsv:${h.line}: unknown ISO code ${h.iso}`);

  const perRow = new Map(rows.map((r) => [r.id, []]));
  const skipped = [];
  // The hand table has the last word on a name it lists: its kind wins over the package's
  // (中華民国 is a common name of Taiwan here, not its formal one), and a name it leaves out stays
  // out. The key is the folded name, as the search compares them.
  const handKinds = new Map();
  for (const h of hand) handKinds.set(`${h.iso}\t${folded(h.alias)}`, h.kind);
  const add = (r, kind, alias) => {
    const text = alias.trim();
    const said = handKinds.get(`${r.iso}\t${folded(text)}`);
    if (said === LEFT_OUT) {
      skipped.push(`${r.iso} ${text}: left out in aliases.tsv`);
      return;
    }
    perRow.get(r.id).push({ kind: said ?? kind, alias: text });
  };
  for (const r of rows) {
    const wc = countries.find((c) => c.cca2 === r.iso);
    const mine = hand.filter((h) => h.iso === r.iso && h.kind !== LEFT_OUT);
    const formal = mine.filter((x) => x.kind === '正式名');
    for (const h of formal) add(r, '正式名', h.alias);
    // A formal name written by hand replaces the package's, which is then outdated or misspelt.
    if (wc && formal.length === 0) add(r, '正式名', wc.translations.jpn.official);
    if (wc) add(r, '通称', wc.translations.jpn.common);
    add(r, '通称', territory.of(r.iso) ?? '');
    for (const h of mine.filter((x) => !['正式名', '読み', '英語'].includes(x.kind))) add(r, h.kind, h.alias);
    // Readings: of the name when it holds kanji (its own kind, so that the program can tell it
    // beside the name), and the hand-written ones (other readings, capitals in kanji).
    const readings = [];
    if (hasKanji(r.name)) {
      readings.push(r.reading);
      add(r, NAME_READING, r.reading);
    }
    for (const h of mine.filter((x) => x.kind === '読み')) {
      readings.push(h.alias);
      add(r, '読み', h.alias);
    }
    if (wc) {
      add(r, '英語', wc.name.common);
      add(r, '英語', wc.name.official);
      for (const capital of wc.capital) add(r, '英語', capital);
      for (const alt of wc.altSpellings) if (alt.length > 2) add(r, '英語', alt);
    }
    for (const h of mine.filter((x) => x.kind === '英語')) add(r, '英語', h.alias);
    add(r, '符号', r.iso);
    if (wc?.cca3 && wc.cca3 !== 'UNK') add(r, '符号', wc.cca3);
    if (r.iso === 'GB') add(r, '符号', 'UK');
    // Romaji of the name and the capital, from their kana (a capital in kanji by its readings).
    // Common names in kana too: a player writes アメリカ as "amerika" as readily as 米国 as "beikoku".
    const commonKana = [wc?.translations.jpn.common, territory.of(r.iso),
      ...mine.filter((x) => ['通称', '旧称', '旧首都', '最大都市'].includes(x.kind)).map((x) => x.alias)]
      .filter((n) => n && /^[\u30A0-\u30FF・]+$/.test(n));
    const kanaSources = [r.reading, ...readings, ...commonKana];
    const capital = bareCapital(r.capital);
    if (!hasKanji(capital)) kanaSources.push(capital);
    for (const source of kanaSources) for (const form of romajiForms(source)) add(r, 'ローマ字', form);
  }

  // Leave out what cannot help or would mislead: empty and duplicate entries, aliases that are
  // only the country's own name or capital folded, text CP932 cannot hold, anything not Latin
  // among the English names, and any alias that two countries claim.
  const claims = new Map();
  for (const r of rows) for (const f of [r.name, bareCapital(r.capital)]) claims.set(folded(f), new Set([r.id]));
  // A name or capital of our list belongs to its country alone; an alias two countries claim is
  // left to the one that has it as a real name when the other only has it as romaji (Rome, not
  // Lomé's "rome"), and left out for both otherwise.
  const ownersOf = (key) => {
    const c = claims.get(key);
    if (c instanceof Set) return c;
    const real = [...c].filter(([, kind]) => kind !== 'ローマ字').map(([id]) => id);
    return new Set(c.size > 1 && real.length === 1 ? real : c.keys());
  };
  const kept = new Map();
  for (const r of rows) {
    const seen = new Set([folded(r.name), folded(bareCapital(r.capital))]);
    const list = [];
    for (const a of perRow.get(r.id)) {
      const alias = a.kind === '英語' ? plainLatin(a.alias) : a.alias;
      const key = folded(alias);
      if (!key || seen.has(key)) continue;
      if (a.kind === '英語' && !/^[\x20-\x7e]+$/.test(alias)) continue;
      if (/["\r\n]/.test(alias)) { skipped.push(`${r.iso} ${alias}: holds a double quote`); continue; }
      if (iconv.decode(iconv.encode(alias, 'cp932'), 'cp932') !== alias) {
        skipped.push(`${r.iso} ${alias}: not in CP932`);
        continue;
      }
      seen.add(key);
      list.push({ kind: a.kind, alias });
      if (!claims.has(key)) claims.set(key, new Map());
      if (claims.get(key) instanceof Map) claims.get(key).set(r.id, a.kind);
    }
    kept.set(r.id, list);
  }
  for (const r of rows) {
    kept.set(r.id, kept.get(r.id).filter(({ alias }) => {
      const owners = ownersOf(folded(alias));
      if (owners.size === 1 && owners.has(r.id)) return true;
      skipped.push(`${r.iso} ${alias}: also names ${[...owners].filter((id) => id !== r.id).join(' ')}`);
      return false;
    }));
  }
  return { perRow: kept, skipped };
}

export function aliasText(rows, perRow) {
  let text = '';
  const field = (s) => (s.includes(',') ? `"${s}"` : s);
  for (const r of rows) for (const { kind, alias } of perRow.get(r.id)) text += `${r.id},${kind},${field(alias)}\r\n`;
  return text;
}

export function writeAliases(rows, dirs) {
  const { perRow, skipped } = collectAliases(rows, path.join(dirs.here, 'aliases.tsv'));
  const text = aliasText(rows, perRow);
  const bytes = iconv.encode(text, 'cp932');
  if (iconv.decode(bytes, 'cp932') !== text) throw new Error('betsumei.csv does not survive CP932');
  fs.writeFileSync(path.join(dirs.data, 'betsumei.csv'), bytes);
  const count = text.split('\r\n').length - 1;
  return [`betsumei.csv: ${count} aliases`, ...skipped.map((s) => `left out: ${s}`)];
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const here = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
  const { rows } = readTable(path.join(here, 'countries.tsv'));
  for (const line of writeAliases(rows, { here, data: path.resolve(here, '../../data') })) console.log(line);
}
