// Makes everything under data/ that ships in the program's folder from countries.tsv:
//   node generate.mjs [lists] [aliases] [flags] [largeflags] [maps] [outlines] [intro] [banner] [help] [sheet]
//   [similar]
//   (no argument: all of them)
// Needs rsvg-convert (librsvg2-bin), ImageMagick, chmcmd (fp-utils) and the IPA P Gothic font.
import path from 'node:path';
import fs from 'node:fs';
import { fileURLToPath } from 'node:url';
import { readTable } from './lib/table.mjs';
import { writeLists } from './lib/lists.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
export const dirs = {
  here,
  data: path.resolve(here, '../../data'),
  pictures: path.resolve(here, '../../data/国旗'),
  largePictures: path.resolve(here, '../../data/国旗大'),
  out: path.join(here, 'out'),
};

const steps = {
  lists: async (rows) => writeLists(rows, dirs.data),
  aliases: async (rows) => (await import('./lib/aliases.mjs')).writeAliases(rows, dirs),
  flags: async (rows) => (await import('./lib/flags.mjs')).makeFlags(rows, dirs),
  largeflags: async (rows) => {
    const { makeFlags, LARGE_FLAG_FACTOR } = await import('./lib/flags.mjs');
    return makeFlags(rows, dirs, LARGE_FLAG_FACTOR);
  },
  maps: async (rows) => (await import('./lib/maps.mjs')).makeMaps(rows, dirs),
  outlines: async (rows) => (await import('./lib/outlines.mjs')).makeOutlines(rows, dirs),
  intro: async () => (await import('./lib/intro.mjs')).makeIntro(dirs),
  banner: async () => (await import('./lib/banner.mjs')).makeBanner(dirs),
  help: async (rows) => (await import('./lib/help.mjs')).makeHelp(dirs, rows),
  sheet: async (rows) => (await import('./lib/sheet.mjs')).makeSheets(rows, dirs),
  similar: async (rows) => (await import('./lib/similar.mjs')).makeSimilar(rows, dirs),
  icon: async () => (await import('./lib/icon.mjs')).makeIcon(dirs),
};

const wanted = process.argv.slice(2);
for (const w of wanted) if (!steps[w]) throw new Error(`unknown step ${w}; known: ${Object.keys(steps).join(' ')}`);
const { rows } = readTable(path.join(here, 'countries.tsv'));
fs.mkdirSync(dirs.pictures, { recursive: true });
fs.mkdirSync(dirs.out, { recursive: true });
for (const name of Object.keys(steps)) {
  if (wanted.length && !wanted.includes(name)) continue;
  const t = Date.now();
  const report = await steps[name](rows);
  console.log(`${name}: ${((Date.now() - t) / 1000).toFixed(1)} s`);
  for (const line of report ?? []) console.log(`  ${line}`);
}
