// niteru.csv: for every flag, the 20 flags most easily taken for it, most similar first.
// Worked out from the shipped pictures (data/国旗/ID.jpg) so the table always matches what the
// player sees:
//   - each flag is cut out of its grey ground and frame and stretched to one common box, since
//     a player compares the pattern, not the proportions (Indonesia 2:3 against Monaco 4:5);
//   - the box is averaged down to a coarse grid in CIELAB, where equal distances look about
//     equally different, and compared cell by cell (mean ΔE);
//   - a flag is also compared mirrored or upside down (Ireland against Côte d'Ivoire) and with
//     its main colours swapped among themselves (Norway against Iceland), each at a small
//     charge, because learners confuse those as readily as near copies;
//   - and drawn in the other flag's shades of its own colours (Honduras's turquoise for El
//     Salvador's navy, Austria's red for Latvia's carmine), charged at a share of the shades'
//     difference: a large plain ground in another shade would otherwise outweigh the layout;
//   - the layout of colour boundaries is compared as well (where the stripes and emblems
//     begin), so two flags with the same stripes in different shades stay a family and a plain
//     ground of the right colour is not enough.
// ASCII with CR LF: flag ID, then 20 flag IDs. Run on its own with `node lib/similar.mjs`;
// `SIMILAR_SHEET=all` (or a list of flag IDs, `SIMILAR_SHEET=103,19`) also draws out/similar.png,
// each flag followed by its five nearest.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import jpeg from 'jpeg-js';

export const NEIGHBOURS = 20;

// The coarse grid that is compared, and the finer one it is averaged from (where colours are
// still clean enough to find a flag's main colours).
const GRID = { w: 24, h: 16 };
const FINE = { w: 72, h: 48 };
// Ground and frame of the pictures, as drawn by flags.mjs.
const GROUND = [0xec, 0xec, 0xec];
const GROUND_TOLERANCE = 10;
// JPEG ringing along the frame: this many pixels inside the flag's box are left out.
const INSET = 3;
// Main colours: at most this many, each covering at least this share of the flag.
const MAX_MAIN = 3;
const MAIN_SHARE = 0.06;
// Pixels farther than this (ΔE) from every main colour are detail and keep their colour when
// the main colours are swapped.
const MAIN_REACH = 22;
// Charges (in mean ΔE) for a mirrored or turned flag and for swapped colours.
const FLIP_CHARGE = 2;
const SWAP_CHARGE = 12;
// Shades of one colour may stand for each other, charged at SHADE_CHARGE of their difference:
// two main colours at most SHADE_REACH apart (ΔE) that are both greys (chroma under GREY_CHROMA)
// or both of hues at most SHADE_HUE degrees apart. Turquoise and navy, carmine and red are
// shades; navy and black, blue and red are not.
const SHADE_REACH = 75;
const GREY_CHROMA = 12;
const SHADE_HUE = 60;
const SHADE_CHARGE = 0.3;
// Neighbouring cells this far apart (ΔE) count as a full boundary between colours; a layout
// with none of the other's boundaries costs BOUNDARY_WEIGHT on top of the colour distance.
const BOUNDARY_DELTA = 20;
const BOUNDARY_WEIGHT = 10;

// sRGB 0..255 to CIELAB (D65).
export function lab(r, g, b) {
  const lin = (c) => {
    const v = c / 255;
    return v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
  };
  const R = lin(r);
  const G = lin(g);
  const B = lin(b);
  const x = (0.4124564 * R + 0.3575761 * G + 0.1804375 * B) / 0.95047;
  const y = 0.2126729 * R + 0.7151522 * G + 0.072175 * B;
  const z = (0.0193339 * R + 0.119192 * G + 0.9503041 * B) / 1.08883;
  const f = (t) => (t > 216 / 24389 ? Math.cbrt(t) : (24389 / 27 * t + 16) / 116);
  const fx = f(x);
  const fy = f(y);
  const fz = f(z);
  return [116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)];
}

function isGround(d, i) {
  return Math.abs(d[i] - GROUND[0]) <= GROUND_TOLERANCE && Math.abs(d[i + 1] - GROUND[1]) <= GROUND_TOLERANCE &&
    Math.abs(d[i + 2] - GROUND[2]) <= GROUND_TOLERANCE;
}

// The box the flag and its frame take up in the picture.
function flagBox(img) {
  const { width, height, data } = img;
  let x0 = width;
  let y0 = height;
  let x1 = -1;
  let y1 = -1;
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      if (isGround(data, (y * width + x) * 4)) continue;
      if (x < x0) x0 = x;
      if (x > x1) x1 = x;
      if (y < y0) y0 = y;
      if (y > y1) y1 = y;
    }
  }
  if (x1 < 0) throw new Error('picture holds no flag');
  return { x0: x0 + INSET, y0: y0 + INSET, x1: x1 - INSET, y1: y1 - INSET };
}

// Box-filtered RGB over w×h cells of the box (fractional pixel coverage).
function resample(img, box, w, h) {
  const out = new Float64Array(w * h * 3);
  const bw = box.x1 - box.x0 + 1;
  const bh = box.y1 - box.y0 + 1;
  for (let cy = 0; cy < h; cy++) {
    const ya = box.y0 + (cy * bh) / h;
    const yb = box.y0 + ((cy + 1) * bh) / h;
    for (let cx = 0; cx < w; cx++) {
      const xa = box.x0 + (cx * bw) / w;
      const xb = box.x0 + ((cx + 1) * bw) / w;
      let sum = [0, 0, 0];
      let weight = 0;
      for (let y = Math.floor(ya); y < Math.ceil(yb); y++) {
        const wy = Math.min(yb, y + 1) - Math.max(ya, y);
        for (let x = Math.floor(xa); x < Math.ceil(xb); x++) {
          const wx = Math.min(xb, x + 1) - Math.max(xa, x);
          const i = (y * img.width + x) * 4;
          const k = wx * wy;
          sum = [sum[0] + img.data[i] * k, sum[1] + img.data[i + 1] * k, sum[2] + img.data[i + 2] * k];
          weight += k;
        }
      }
      const o = (cy * w + cx) * 3;
      out[o] = sum[0] / weight;
      out[o + 1] = sum[1] / weight;
      out[o + 2] = sum[2] / weight;
    }
  }
  return out;
}

function toLab(rgb) {
  const out = new Float64Array(rgb.length);
  for (let i = 0; i < rgb.length; i += 3) out.set(lab(rgb[i], rgb[i + 1], rgb[i + 2]), i);
  return out;
}

function dist(a, i, b, j) {
  const dl = a[i] - b[j];
  const da = a[i + 1] - b[j + 1];
  const db = a[i + 2] - b[j + 2];
  return Math.sqrt(dl * dl + da * da + db * db);
}

// The flag's main colours: k-means in CIELAB from farthest-point seeds, keeping the clusters
// that cover a real share of the flag, largest first.
function mainColours(fine) {
  const n = fine.length / 3;
  const seeds = [0];
  const k = MAX_MAIN + 2;
  while (seeds.length < k) {
    let best = -1;
    let bestD = -1;
    for (let p = 0; p < n; p++) {
      let d = Infinity;
      for (const s of seeds) d = Math.min(d, dist(fine, p * 3, fine, s * 3));
      if (d > bestD) {
        bestD = d;
        best = p;
      }
    }
    if (bestD < 1) break;
    seeds.push(best);
  }
  let centres = seeds.map((s) => [fine[s * 3], fine[s * 3 + 1], fine[s * 3 + 2]]);
  let counts = [];
  for (let round = 0; round < 12; round++) {
    const sums = centres.map(() => [0, 0, 0]);
    counts = centres.map(() => 0);
    for (let p = 0; p < n; p++) {
      const c = nearest(centres, fine, p * 3).index;
      sums[c][0] += fine[p * 3];
      sums[c][1] += fine[p * 3 + 1];
      sums[c][2] += fine[p * 3 + 2];
      counts[c]++;
    }
    centres = centres.map((c, i) => (counts[i] ? sums[i].map((s) => s / counts[i]) : c));
  }
  return centres
    .map((c, i) => ({ colour: c, share: counts[i] / n }))
    .filter((c) => c.share >= MAIN_SHARE)
    .sort((a, b) => b.share - a.share)
    .slice(0, MAX_MAIN)
    .map((c) => c.colour);
}

function nearest(centres, v, i) {
  let index = 0;
  let d = Infinity;
  centres.forEach((c, k) => {
    const e = Math.hypot(v[i] - c[0], v[i + 1] - c[1], v[i + 2] - c[2]);
    if (e < d) {
      d = e;
      index = k;
    }
  });
  return { index, d };
}

// In lexical order, so the first is the identity: views()[0] is the flag as it is.
function permutations(n) {
  if (n <= 1) return [[0]];
  const out = [];
  for (let first = 0; first < n; first++)
    for (const rest of permutations(n - 1)) out.push([first, ...rest.map((v) => (v >= first ? v + 1 : v))]);
  return out;
}

// Averages fine cells (in CIELAB) down to the compared grid.
function coarse(fine) {
  const out = new Float64Array(GRID.w * GRID.h * 3);
  const sx = FINE.w / GRID.w;
  const sy = FINE.h / GRID.h;
  for (let y = 0; y < FINE.h; y++)
    for (let x = 0; x < FINE.w; x++) {
      const o = (Math.floor(y / sy) * GRID.w + Math.floor(x / sx)) * 3;
      for (let c = 0; c < 3; c++) out[o + c] += fine[(y * FINE.w + x) * 3 + c] / (sx * sy);
    }
  return out;
}

function flipped(grid, horizontal, vertical) {
  const out = new Float64Array(grid.length);
  for (let y = 0; y < GRID.h; y++)
    for (let x = 0; x < GRID.w; x++) {
      const from = ((vertical ? GRID.h - 1 - y : y) * GRID.w + (horizontal ? GRID.w - 1 - x : x)) * 3;
      out.set(grid.subarray(from, from + 3), (y * GRID.w + x) * 3);
    }
  return out;
}

// Every way a flag is looked at: as it is, mirrored, upside down and turned, each with its main
// colours in every order; `charge` is what the view costs on top of its distance.
function views(fine) {
  const main = mainColours(fine);
  const n = fine.length / 3;
  const labels = new Int8Array(n);
  for (let p = 0; p < n; p++) {
    const m = nearest(main, fine, p * 3);
    labels[p] = m.d <= MAIN_REACH ? m.index : -1;
  }
  // Per main colour, the share of each compared cell it covers: what a recolouring moves.
  const masks = main.map((_, k) => {
    const m = new Float64Array(n);
    for (let p = 0; p < n; p++) if (labels[p] === k) m[p] = 1;
    return coarseShares(m);
  });
  const shares = main.map((_, k) => labels.reduce((sum, l) => sum + (l === k ? 1 : 0), 0) / n);
  const out = [];
  for (const perm of permutations(main.length)) {
    const swapped = perm.some((to, from) => to !== from);
    const recoloured = new Float64Array(fine);
    if (swapped) {
      for (let p = 0; p < n; p++) {
        if (labels[p] < 0) continue;
        const from = main[labels[p]];
        const to = main[perm[labels[p]]];
        // Shift by the colour change so shading and anti-aliasing within the area survive.
        for (let c = 0; c < 3; c++) recoloured[p * 3 + c] += to[c] - from[c];
      }
    }
    const grid = coarse(recoloured);
    for (const [h, v] of [[false, false], [true, false], [false, true], [true, true]]) {
      const charge = (swapped ? SWAP_CHARGE : 0) + (h || v ? FLIP_CHARGE : 0);
      const seen = h || v ? flipped(grid, h, v) : grid;
      out.push({ grid: seen, edges: boundaries(seen), charge, h, v, swapped });
    }
  }
  return { views: out, main, shares, masks };
}

// Where the colours change: for every cell, how strongly it differs from the cell below and from
// the one to its right (1 for any real boundary, whatever its colours), spread half a step to
// the neighbours across the boundary so a stripe a cell off still half matches.
function boundaries(grid) {
  const across = new Float64Array(GRID.w * GRID.h);
  const down = new Float64Array(GRID.w * GRID.h);
  for (let y = 0; y < GRID.h; y++)
    for (let x = 0; x < GRID.w; x++) {
      const o = (y * GRID.w + x) * 3;
      if (y + 1 < GRID.h) down[y * GRID.w + x] = Math.min(1, dist(grid, o, grid, o + GRID.w * 3) / BOUNDARY_DELTA);
      if (x + 1 < GRID.w) across[y * GRID.w + x] = Math.min(1, dist(grid, o, grid, o + 3) / BOUNDARY_DELTA);
    }
  const spread = (m, dx, dy) => {
    const out = new Float64Array(m);
    for (let y = 0; y < GRID.h; y++)
      for (let x = 0; x < GRID.w; x++)
        for (const k of [-1, 1]) {
          const xx = x + dx * k;
          const yy = y + dy * k;
          if (xx >= 0 && xx < GRID.w && yy >= 0 && yy < GRID.h)
            out[y * GRID.w + x] = Math.max(out[y * GRID.w + x], m[yy * GRID.w + xx] / 2);
        }
    return out;
  };
  return [spread(down, 0, 1), spread(across, 1, 0)];
}

// The share of two flags' boundaries that the other lacks: 0 for the same layout of colours,
// 1 for layouts with nothing in common.
function boundaryMismatch(a, b) {
  let differ = 0;
  let total = 0;
  for (let m = 0; m < 2; m++)
    for (let i = 0; i < a[m].length; i++) {
      differ += Math.abs(a[m][i] - b[m][i]);
      total += Math.max(a[m][i], b[m][i]);
    }
  return total ? differ / total : 0;
}

// Averages a fine map of one value a cell down to the compared grid.
function coarseShares(fine) {
  const out = new Float64Array(GRID.w * GRID.h);
  const sx = FINE.w / GRID.w;
  const sy = FINE.h / GRID.h;
  for (let y = 0; y < FINE.h; y++)
    for (let x = 0; x < FINE.w; x++) out[Math.floor(y / sy) * GRID.w + Math.floor(x / sx)] += fine[y * FINE.w + x] / (sx * sy);
  return out;
}

function meanDelta(a, b) {
  let sum = 0;
  for (let i = 0; i < a.length; i += 3) sum += dist(a, i, b, i);
  return sum / (a.length / 3);
}

export function readFlag(file) {
  const img = jpeg.decode(fs.readFileSync(file), { useTArray: true, formatAsRGBA: true });
  const box = flagBox(img);
  const fine = toLab(resample(img, box, FINE.w, FINE.h));
  return { img, box, fine, ...views(fine) };
}

// Distance between two flags: the cheapest way of looking at one that matches the other, taken
// both ways round so the table agrees with itself.
export function pairDistance(fa, fb) {
  const plain = fa.views[0].grid;
  const layout = fa.views[0].edges;
  let best = Infinity;
  for (const v of fb.views) {
    if (v.charge >= best) continue;
    best = Math.min(best, v.charge + meanDelta(plain, v.grid) + BOUNDARY_WEIGHT * boundaryMismatch(layout, v.edges));
  }
  const recoloured = inPalette(fb, fa);
  if (recoloured) {
    for (const v of fb.views) {
      if (v.swapped) continue;
      const charge = recoloured.charge + (v.h || v.v ? FLIP_CHARGE : 0);
      if (charge >= best) continue;
      const grid = v.h || v.v ? flipped(recoloured.grid, v.h, v.v) : recoloured.grid;
      best = Math.min(best, charge + meanDelta(plain, grid) + BOUNDARY_WEIGHT * boundaryMismatch(layout, v.edges));
    }
  }
  return best;
}

function shades(x, y) {
  if (Math.hypot(x[0] - y[0], x[1] - y[1], x[2] - y[2]) > SHADE_REACH) return false;
  const cx = Math.hypot(x[1], x[2]);
  const cy = Math.hypot(y[1], y[2]);
  if (cx < GREY_CHROMA || cy < GREY_CHROMA) return cx < GREY_CHROMA && cy < GREY_CHROMA;
  const turn = Math.abs(Math.atan2(x[2], x[1]) - Math.atan2(y[2], y[1])) * (180 / Math.PI);
  return Math.min(turn, 360 - turn) <= SHADE_HUE;
}

// Flag b drawn in a's main colours, each of b's moved to the nearest of a's still free (largest
// first), for the families whose members differ in shade: Honduras's turquoise, Nicaragua's
// blue and El Salvador's navy; Latvia's carmine and Austria's red. What the shades differ by is
// charged at a share of its weight, so the layout of the colours speaks louder than their tone.
function inPalette(b, a) {
  if (b.main.length === 0 || a.main.length === 0) return null;
  const free = a.main.map((_, k) => k);
  let charge = 0;
  const grid = new Float64Array(b.views[0].grid);
  for (let k = 0; k < b.main.length && free.length; k++) {
    let pick = 0;
    let pickD = Infinity;
    free.forEach((t, i) => {
      if (!shades(b.main[k], a.main[t])) return;
      const e = Math.hypot(...b.main[k].map((c, j) => c - a.main[t][j]));
      if (e < pickD) {
        pickD = e;
        pick = i;
      }
    });
    if (pickD === Infinity) continue;
    const to = a.main[free.splice(pick, 1)[0]];
    charge += SHADE_CHARGE * b.shares[k] * pickD;
    const m = b.masks[k];
    for (let c = 0; c < m.length; c++) {
      if (!m[c]) continue;
      for (let j = 0; j < 3; j++) grid[c * 3 + j] += m[c] * (to[j] - b.main[k][j]);
    }
  }
  return { grid, charge };
}

export function distances(flags) {
  const n = flags.length;
  const d = Array.from({ length: n }, () => new Float64Array(n));
  for (let a = 0; a < n; a++)
    for (let b = 0; b < n; b++) if (a !== b) d[a][b] = pairDistance(flags[a], flags[b]);
  for (let a = 0; a < n; a++)
    for (let b = a + 1; b < n; b++) d[a][b] = d[b][a] = Math.min(d[a][b], d[b][a]);
  return d;
}

// Nearest first; equal distances by flag ID, so the table comes out the same on every run.
export function ranking(d, ids) {
  return ids.map((id, a) =>
    ids.map((other, b) => ({ other, d: d[a][b] }))
      .filter((e) => e.other !== id)
      .sort((x, y) => x.d - y.d || x.other - y.other)
      .slice(0, NEIGHBOURS)
      .map((e) => e.other));
}

export function tableText(ids, ranks) {
  return ids.map((id, i) => [id, ...ranks[i]].join(',') + '\r\n').join('');
}

export async function makeSimilar(rows, dirs) {
  const ids = rows.map((r) => r.id);
  const flags = ids.map((id) => readFlag(path.join(dirs.pictures, `${id}.jpg`)));
  const ranks = ranking(distances(flags), ids);
  const file = path.join(dirs.data, 'niteru.csv');
  fs.writeFileSync(file, tableText(ids, ranks), 'ascii');
  const report = [`${path.basename(file)}: ${ids.length} flags, ${NEIGHBOURS} each`];
  if (process.env.SIMILAR_SHEET) {
    const { similarSheet } = await import('./similarSheet.mjs');
    const asked = process.env.SIMILAR_SHEET;
    const shown = asked === 'all' ? ids : asked.split(',').map(Number).filter((id) => ids.includes(id));
    report.push(similarSheet(flags, ids, ranks, shown, path.join(dirs.out, 'similar.png')));
  }
  return report;
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const here = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
  const { readTable } = await import('./table.mjs');
  const { rows } = readTable(path.join(here, 'countries.tsv'));
  const dirs = {
    here,
    data: path.resolve(here, '../../data'),
    pictures: path.resolve(here, '../../data/国旗'),
    out: path.join(here, 'out'),
  };
  fs.mkdirSync(dirs.out, { recursive: true });
  const t = Date.now();
  for (const line of await makeSimilar(rows, dirs)) console.log(line);
  console.log(`similar: ${((Date.now() - t) / 1000).toFixed(1)} s`);
}
