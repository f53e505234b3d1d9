// out/similar.png: one row per flag, the flag itself and then its five nearest flags in order,
// for looking the similarity table over by eye.
import fs from 'node:fs';
import { PNG } from 'pngjs';

const THUMB = { w: 96, h: 64 };
const GAP = 6;
const SHOWN = 5;
const SPLIT = 18; // wider gap after the flag itself

function blit(png, flag, left, top) {
  const { img, box } = flag;
  const bw = box.x1 - box.x0 + 1;
  const bh = box.y1 - box.y0 + 1;
  for (let y = 0; y < THUMB.h; y++)
    for (let x = 0; x < THUMB.w; x++) {
      const sx = box.x0 + Math.floor(((x + 0.5) * bw) / THUMB.w);
      const sy = box.y0 + Math.floor(((y + 0.5) * bh) / THUMB.h);
      const from = (sy * img.width + sx) * 4;
      const to = ((top + y) * png.width + left + x) * 4;
      png.data[to] = img.data[from];
      png.data[to + 1] = img.data[from + 1];
      png.data[to + 2] = img.data[from + 2];
      png.data[to + 3] = 255;
    }
}

export function similarSheet(flags, ids, ranks, shown, file) {
  const width = GAP + THUMB.w + SPLIT + SHOWN * (THUMB.w + GAP);
  const height = GAP + shown.length * (THUMB.h + GAP);
  const png = new PNG({ width, height });
  png.data.fill(255);
  shown.forEach((id, row) => {
    const a = ids.indexOf(id);
    const top = GAP + row * (THUMB.h + GAP);
    blit(png, flags[a], GAP, top);
    ranks[a].slice(0, SHOWN).forEach((other, k) => {
      blit(png, flags[ids.indexOf(other)], GAP + THUMB.w + SPLIT + k * (THUMB.w + GAP), top);
    });
  });
  fs.writeFileSync(file, PNG.sync.write(png));
  return `${file}: ${shown.length} flags with their ${SHOWN} nearest`;
}
