// Flags: ID.jpg, the flag in its own proportions centred in a 360×240 picture on a light grey
// ground, with a thin frame so white flags keep an edge. Drawings come from svg-country-flags
// unless flags/<iso>.svg holds our own (flags the package has out of date).
// The same flags twice as large (720×480, frame included) go to 国旗大/ID.jpg: the program draws
// from them where a flag needs more pixels than the 360×240 one has (a large screen, a screen
// scale over 1), so the flag stays sharp there.
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { run, eachLimited, CONVERT, RSVG } from './run.mjs';

const require = createRequire(import.meta.url);
const packageDir = path.join(path.dirname(require.resolve('svg-country-flags/package.json')), 'svg');

export const FLAG = { width: 360, height: 240, ground: '#ececec', frame: '#9a9a9a', quality: 88 };
export const LARGE_FLAG_FACTOR = 2;

export function flagSource(iso, here) {
  const own = path.join(here, 'flags', `${iso.toLowerCase()}.svg`);
  if (fs.existsSync(own)) return own;
  const drawn = path.join(packageDir, `${iso.toLowerCase()}.svg`);
  if (!fs.existsSync(drawn)) throw new Error(`no flag drawing for ${iso}`);
  return drawn;
}

// Not rectangles: drawn straight on the ground, with no frame round the empty corners.
const SHAPED = new Set(['NP']);

export async function makeFlags(rows, dirs, factor = 1) {
  const own = [];
  const folder = factor === 1 ? dirs.pictures : dirs.largePictures;
  fs.mkdirSync(folder, { recursive: true });
  // Ground, frame and drawing all grow by the factor: the large picture is the small one drawn
  // again at more pixels, not a different layout.
  const width = FLAG.width * factor;
  const height = FLAG.height * factor;
  const frame = factor;
  await eachLimited(rows, async (r) => {
    const src = flagSource(r.iso, dirs.here);
    if (src.startsWith(path.join(dirs.here, 'flags'))) own.push(r.iso);
    const png = path.join(dirs.out, `flag-${factor}x-${r.id}.png`);
    // Fit inside the box less the frame; -a keeps the proportions, never stretches.
    const shaped = SHAPED.has(r.iso);
    await run(RSVG, ['-w', String(width - 2 * frame), '-h', String(height - 2 * frame), '-a', '-b', shaped ? FLAG.ground : 'white', '-o', png, src]);
    await run(CONVERT, [png, '-bordercolor', shaped ? FLAG.ground : FLAG.frame, '-border', String(frame),
      '-background', FLAG.ground, '-gravity', 'center', '-extent', `${width}x${height}`,
      '-strip', '-interlace', 'none', '-quality', String(FLAG.quality),
      path.join(folder, `${r.id}.jpg`)]);
  });
  return [`198 flags of ${width}×${height}, own drawings for ${own.sort().join(' ')}`];
}
