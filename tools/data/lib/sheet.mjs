// Contact sheets for looking over every picture at once (out/, not shipped):
// flags.jpg, globes.jpg (IDa) and outlines.jpg (IDb), each labelled with flag ID and ISO code.
import fs from 'node:fs';
import path from 'node:path';
import { run } from './run.mjs';

const MONTAGE = '/usr/bin/montage';
// The labels by font file: ImageMagick's default Helvetica needs Ghostscript's fonts, which a
// machine without ImageMagick's recommended packages lacks.
const LABEL_FONT = '/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf';

export async function makeSheets(rows, dirs) {
  const made = [];
  const kinds = [
    ['flags', '', '120x80'],
    ['globes', 'a', '160x120'],
    ['outlines', 'b', '160x120'],
  ];
  for (const [name, suffix, size] of kinds) {
    const args = [];
    for (const r of rows) {
      const file = path.join(dirs.pictures, `${r.id}${suffix}.jpg`);
      if (!fs.existsSync(file)) continue;
      args.push('-label', `${r.id} ${r.iso}`, file);
    }
    if (!args.length) continue;
    // Two halves keep each sheet small enough to read when opened.
    const half = Math.ceil(args.length / 3 / 2) * 3;
    for (const [part, slice] of [['1', args.slice(0, half)], ['2', args.slice(half)]]) {
      const out = path.join(dirs.out, `${name}-${part}.jpg`);
      await run(MONTAGE, [...slice, '-tile', '11x', '-geometry', `${size}+3+3`, '-font', LABEL_FONT, '-pointsize', '11',
        '-background', 'white', '-quality', '85', out]);
      made.push(out);
    }
  }
  return made;
}
