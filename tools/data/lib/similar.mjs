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
//     ground of the right colour is not enough;
//   - a flag is also turned a quarter round (Belgium against Germany) and its stripes let be
//     wider or narrower (Colombia against Venezuela);
//   - and the layout is compared whatever its colours: the regions of one colour laid on each
//     other, and the families learners know by their drawing (a disc on a plain field, the
//     Nordic cross, quarters, a hoist triangle, a pall). Near colours in layouts nothing alike
//     are pushed apart (Afghanistan is not Bangladesh); two flags of one family are near even in
//     other colours (Japan, Bangladesh and Palau; Sweden and Finland; South Africa and Vanuatu);
//   - two flags with an emblem of one colour (Argentina's and Uruguay's gold suns) are also
//     compared by their colours alone, a shade of blue standing for another.
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
// A flag turned a quarter round (Belgium's stripes against Germany's), and one whose stripes
// are compared wider or narrower, rows or columns at most WARP_REACH cells apart (Colombia's
// yellow half against Venezuela's third).
const TURN_CHARGE = 10;
const WARP_CHARGE = 12;
const WARP_REACH = 4;

// Layout. Each flag is cut into regions of one colour (at most LAYOUT_COLOURS, each at least
// LAYOUT_SHARE of the flag, every cell given to the nearest); two flags have the same layout
// when the regions of either, whatever their colours, fall each within one region of the
// other. The share of the flag where they do not is charged at LAYOUT_WEIGHT on the colour
// distance (WARP_LAYOUT_WEIGHT when the stripes were already let stretch).
const LAYOUT_COLOURS = 5;
const LAYOUT_SHARE = 0.03;
const LAYOUT_WEIGHT = 40;
const WARP_LAYOUT_WEIGHT = 15;
// Families of layout learners know by name: a disc on a plain field, a Nordic cross, quarters,
// a triangle at the hoist, a pall. A flag belongs to one as far as it fits the family's drawing
// (misfit FAMILY_FIT_IN or less: fully; FAMILY_FIT_OUT or more: not at all). Belonging to a
// family the other flag does not costs FAMILY_WEIGHT; two flags of one family are also
// compared by their colours alone, whatever their places: FAMILY_BASE plus FAMILY_PALETTE
// times the palette distance (Sweden's blue and yellow against Finland's white and blue).
const FAMILY_FIT_IN = 0.1;
const FAMILY_FIT_OUT = 0.2;
const FAMILY_WEIGHT = 40;
const FAMILY_BASE = 20;
const FAMILY_PALETTE = 0.6;
// The share of each limb of a pall its own colour must cover at least.
const BAND_SHARE = 0.3;
// How far from the corners (a share of the way to the fork) a pall's arms are looked at.
const ARM_REACH = 0.6;
// Emblems: cells farther than EMBLEM_DELTA from their region's colour, a patch of EMBLEM_SHARE
// of the flag, its cells on average at most EMBLEM_SPREAD from its own colour.
const EMBLEM_DELTA = 25;
const EMBLEM_SHARE = [0.004, 0.06];
const EMBLEM_SPREAD = 20;
// Two flags whose emblems are of one colour (at most EMBLEM_REACH apart) are also compared by
// their colours alone, shades of one colour counting at SHADE_CHARGE: EMBLEM_BASE plus
// EMBLEM_PALETTE times that distance (Argentina's sun on light blue and white, Uruguay's on
// blue and white).
const EMBLEM_REACH = 20;
const EMBLEM_BASE = 15;
const EMBLEM_PALETTE = 0.6;
// Any two flags of nearly the same colours in nearly the same layout, their places aside
// (Belgium's black, yellow and red against Germany's).
const PALETTE_BASE = 15;
const PALETTE_WEIGHT = 0.75;
const PALETTE_LAYOUT_WEIGHT = 30;
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

// Up to k cells of the flag, each the farthest in colour from those chosen before it (the
// first is the top left); stops early once the farthest is nearer than minDistance.
function farthestSeeds(fine, k, minDistance) {
  const n = fine.length / 3;
  const seeds = [0];
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
    if (bestD < minDistance) break;
    seeds.push(best);
  }
  return seeds;
}

// The flag's main colours: k-means in CIELAB from farthest-point seeds, keeping the clusters
// that cover a real share of the flag, largest first.
function mainColours(fine) {
  const n = fine.length / 3;
  const seeds = farthestSeeds(fine, MAX_MAIN + 2, 1);
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

// The fine grid turned a quarter round and stretched back to the same box, so that a flag of
// vertical stripes is read as one of horizontal stripes (Belgium against Germany).
function transposed(fine) {
  const out = new Float64Array(fine.length);
  for (let y = 0; y < FINE.h; y++)
    for (let x = 0; x < FINE.w; x++) {
      const sx = Math.floor(((y + 0.5) * FINE.w) / FINE.h);
      const sy = Math.floor(((x + 0.5) * FINE.h) / FINE.w);
      out.set(fine.subarray((sy * FINE.w + sx) * 3, (sy * FINE.w + sx) * 3 + 3), (y * FINE.w + x) * 3);
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
    for (const turned of [false, true]) {
      const grid = coarse(turned ? transposed(recoloured) : recoloured);
      for (const [h, v] of [[false, false], [true, false], [false, true], [true, true]]) {
        const charge = (swapped ? SWAP_CHARGE : 0) + (h || v ? FLIP_CHARGE : 0) + (turned ? TURN_CHARGE : 0);
        const seen = h || v ? flipped(grid, h, v) : grid;
        out.push({ grid: seen, edges: boundaries(seen), charge, h, v, swapped, turned });
      }
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


// ---- Layout ---------------------------------------------------------------------------------

// The flag's regions of one colour: k-means in CIELAB from farthest-point seeds; clusters under
// LAYOUT_SHARE are dropped after a few rounds and their cells go to the nearest one left.
function regions(fine) {
  const n = fine.length / 3;
  const seeds = farthestSeeds(fine, LAYOUT_COLOURS + 2, 8);
  let centres = seeds.map((s) => [fine[s * 3], fine[s * 3 + 1], fine[s * 3 + 2]]);
  const assign = () => {
    const labels = new Int8Array(n);
    const counts = centres.map(() => 0);
    for (let p = 0; p < n; p++) {
      labels[p] = nearest(centres, fine, p * 3).index;
      counts[labels[p]]++;
    }
    return { labels, counts };
  };
  for (let round = 0; round < 10; round++) {
    const { labels, counts } = assign();
    const sums = centres.map(() => [0, 0, 0]);
    for (let p = 0; p < n; p++) for (let c = 0; c < 3; c++) sums[labels[p]][c] += fine[p * 3 + c];
    centres = centres.map((c, i) => (counts[i] ? sums[i].map((v) => v / counts[i]) : c));
    if (round === 6) {
      centres = centres
        .map((c, i) => ({ c, share: counts[i] / n }))
        .filter((c) => c.share >= LAYOUT_SHARE)
        .sort((a, b) => b.share - a.share)
        .slice(0, LAYOUT_COLOURS)
        .map((c) => c.c);
    }
  }
  const { labels, counts } = assign();
  return { colours: centres, shares: counts.map((c) => c / n), labels };
}

function flippedLabels(labels, horizontal, vertical) {
  const out = new Int8Array(labels.length);
  for (let y = 0; y < FINE.h; y++)
    for (let x = 0; x < FINE.w; x++)
      out[y * FINE.w + x] = labels[(vertical ? FINE.h - 1 - y : y) * FINE.w + (horizontal ? FINE.w - 1 - x : x)];
  return out;
}

function turnedLabels(labels) {
  const out = new Int8Array(labels.length);
  for (let y = 0; y < FINE.h; y++)
    for (let x = 0; x < FINE.w; x++) {
      const sx = Math.floor(((y + 0.5) * FINE.w) / FINE.h);
      const sy = Math.floor(((x + 0.5) * FINE.h) / FINE.w);
      out[y * FINE.w + x] = labels[sy * FINE.w + sx];
    }
  return out;
}

// The share of cells left over when every region of one flag is laid on the region of the
// other it overlaps most.
function overlapMiss(counts, ka, kb) {
  let kept = 0;
  for (let i = 0; i < ka; i++) {
    let most = 0;
    for (let j = 0; j < kb; j++) most = Math.max(most, counts[i * kb + j]);
    kept += most;
  }
  return 1 - kept / (FINE.w * FINE.h);
}

// 0 for the same layout in any colours (mirrored, upside down or turned), towards 1 for layouts
// with nothing in common. Both ways round: a layout with more regions is not the same as one
// with fewer.
function layoutMismatch(a, b) {
  const ka = a.colours.length;
  const kb = b.colours.length;
  let best = 1;
  for (const labels of b.layoutViews) {
    const ab = new Float64Array(ka * kb);
    const ba = new Float64Array(kb * ka);
    for (let p = 0; p < labels.length; p++) {
      ab[a.labels[p] * kb + labels[p]]++;
      ba[labels[p] * ka + a.labels[p]]++;
    }
    best = Math.min(best, Math.max(overlapMiss(ab, ka, kb), overlapMiss(ba, kb, ka)));
  }
  return best;
}

// How far apart two flags' colours are, their places aside: the cheapest way of turning the
// shares of one palette into the other's, nearest colours first (mean ΔE).
function paletteDistance(a, b, shaded = false) {
  const left = a.shares.slice();
  const right = b.shares.slice();
  const pairs = [];
  a.colours.forEach((x, i) =>
    b.colours.forEach((y, j) => {
      const d = Math.hypot(x[0] - y[0], x[1] - y[1], x[2] - y[2]);
      pairs.push([shaded && shades(x, y) ? SHADE_CHARGE * d : d, i, j]);
    }),
  );
  pairs.sort((p, q) => p[0] - q[0]);
  let cost = 0;
  for (const [d, i, j] of pairs) {
    const moved = Math.min(left[i], right[j]);
    cost += moved * d;
    left[i] -= moved;
    right[j] -= moved;
  }
  return cost;
}

// The families' drawings: for every cell (u, v in 0..1 from the hoist's top) the part it falls
// in, or -1 where the drawing does not care. A flag fits a drawing when each part is of one
// colour (the misfit is the share of cells that are not) and the parts that must differ do; a
// rim, when drawn, must not be of its part's colour; the parts of a band need not be of one
// colour but must share one of their own.
function discDrawing(cx, r) {
  return { family: 'disc', part: (u, v) => (((u - cx) * 1.5) ** 2 + (v - 0.5) ** 2 < r * r ? 1 : 0), differ: [[0, 1]] };
}
function nordicDrawing(cx, barHeight, inner) {
  const barWidth = barHeight / 1.5;
  return {
    family: 'nordic',
    part: (u, v) => {
      const du = Math.abs(u - cx);
      const dv = Math.abs(v - 0.5);
      if (du < barWidth / 2 || dv < barHeight / 2) return inner && (du < barWidth / 4 || dv < barHeight / 4) ? 5 : 4;
      return (u < cx ? 0 : 1) + (v < 0.5 ? 0 : 2);
    },
    differ: [[0, 4], [1, 4], [2, 4], [3, 4], ...(inner ? [[4, 5]] : [])],
  };
}
function quartersDrawing(crossHeight) {
  const crossWidth = crossHeight / 1.5;
  return {
    family: 'quarters',
    part: (u, v) => {
      if (crossHeight && (Math.abs(u - 0.5) < crossWidth / 2 || Math.abs(v - 0.5) < crossHeight / 2)) return 4;
      return (u < 0.5 ? 0 : 1) + (v < 0.5 ? 0 : 2);
    },
    differ: [[0, 1], [0, 2], [1, 3], [2, 3], ...(crossHeight ? [[0, 4], [1, 4], [2, 4], [3, 4]] : [])],
  };
}
function triangleDrawing(apex) {
  return {
    family: 'triangle',
    part: (u, v) => {
      const half = 0.5 * (1 - u / apex);
      const off = Math.abs(v - 0.5);
      if (u < apex && off < half) return 0;
      return u < apex + 0.08 && off - Math.max(half, 0) < 0.1 ? 1 : -1;
    },
    differ: [[0, 1]],
    rim: { part: 1, of: 0 },
  };
}
// A pall: a band shaped like a Y lying on its side, its arms from both hoist corners meeting at
// `fork` and running on along the middle to the fly, between a field above, a field below and a
// triangle at the hoist (South Africa, Vanuatu). The band may be edged in other colours, so it
// is not asked to be of one colour: one colour that is none of the three others must run
// through all three of its limbs, which a plain hoist triangle between stripes (Jordan,
// Mozambique) lacks. The arms leave the corners or, edged on the outside, a little inside them
// (Vanuatu). Distances are taken with the flag's sides at 3:2.
function pallDrawing(fork, halfWidth, inset) {
  const margin = 0.07;
  const segments = [[[0, inset], [fork, 0.5]], [[0, 1 - inset], [fork, 0.5]], [[fork, 0.5], [1, 0.5]]];
  const away = (u, v, [[u0, v0], [u1, v1]]) => {
    const [x, y, x0, y0, x1, y1] = [u * 1.5, v, u0 * 1.5, v0, u1 * 1.5, v1];
    const t = Math.max(0, Math.min(1, ((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / ((x1 - x0) ** 2 + (y1 - y0) ** 2)));
    return Math.hypot(x - x0 - t * (x1 - x0), y - y0 - t * (y1 - y0));
  };
  return {
    family: 'pall',
    part: (u, v) => {
      const gaps = segments.map((s) => away(u, v, s));
      const gap = Math.min(...gaps);
      // Near the fork the arms run into the middle stripe of any flag of three stripes with a
      // triangle (Sudan); only their outer part tells a pall.
      if (gap < halfWidth) return gaps.indexOf(gap) < 2 && u > ARM_REACH * fork ? -1 : 3 + gaps.indexOf(gap);
      if (gap < halfWidth + margin) return -1;
      const arm = inset + ((0.5 - inset) * u) / fork;
      if (u < fork && v > arm && v < 1 - arm) return 0;
      return v < 0.5 ? 1 : 2;
    },
    differ: [[0, 1], [0, 2], [1, 2]],
    band: { parts: [3, 4, 5], apart: [0, 1, 2] },
  };
}
const DRAWINGS = [
  ...[0.5, 0.45, 0.4].flatMap((cx) => [0.22, 0.3, 0.36].map((r) => discDrawing(cx, r))),
  ...[0.33, 0.375, 0.41].flatMap((cx) => [0.14, 0.2, 0.26].flatMap((h) => [false, true].map((inner) => nordicDrawing(cx, h, inner)))),
  ...[0, 0.12, 0.18].map(quartersDrawing),
  ...[0.33, 0.4, 0.5].map(triangleDrawing),
  ...[0.35, 0.42, 0.5].flatMap((fork) => [0.06, 0.1].flatMap((w) => [0, 0.08].map((inset) => pallDrawing(fork, w, inset)))),
].map((d) => {
  const parts = new Int8Array(FINE.w * FINE.h);
  for (let y = 0; y < FINE.h; y++)
    for (let x = 0; x < FINE.w; x++) parts[y * FINE.w + x] = d.part((x + 0.5) / FINE.w, (y + 0.5) / FINE.h);
  return { ...d, parts };
});
export const FAMILIES = ['disc', 'nordic', 'quarters', 'triangle', 'pall'];
const MAX_PARTS = 6;

function misfit(labels, k, d) {
  const counts = new Float64Array(MAX_PARTS * k);
  const size = new Float64Array(MAX_PARTS);
  for (let p = 0; p < labels.length; p++) {
    const part = d.parts[p];
    if (part < 0) continue;
    counts[part * k + labels[p]]++;
    size[part]++;
  }
  const major = new Int8Array(MAX_PARTS).fill(-1);
  let cared = 0;
  let missed = 0;
  for (let part = 0; part < MAX_PARTS; part++) {
    if (!size[part]) continue;
    let best = 0;
    for (let l = 1; l < k; l++) if (counts[part * k + l] > counts[part * k + best]) best = l;
    major[part] = best;
    if (d.rim && part === d.rim.part) continue;
    if (d.band && d.band.parts.includes(part)) continue;
    cared += size[part];
    missed += size[part] - counts[part * k + best];
  }
  let result = missed / cared;
  result += (0.5 * d.differ.filter(([x, y]) => major[x] === major[y]).length) / d.differ.length;
  if (d.band) {
    const taken = d.band.apart.map((part) => major[part]);
    let through = 0;
    for (let l = 0; l < k; l++) {
      if (taken.includes(l)) continue;
      through = Math.max(through, Math.min(...d.band.parts.map((part) => (size[part] ? counts[part * k + l] / size[part] : 0))));
    }
    result += 0.5 * Math.max(0, 1 - through / BAND_SHARE);
  }
  if (d.rim) {
    const { part, of } = d.rim;
    result += size[part] ? (0.5 * counts[part * k + major[of]]) / size[part] : 0.5;
  }
  return result;
}

// How far the flag belongs to each family, 0 to 1, whichever way round it is drawn.
function families(r) {
  const views = [[false, false], [true, false], [false, true], [true, true]].map(([h, v]) => flippedLabels(r.labels, h, v));
  const best = Object.fromEntries(FAMILIES.map((f) => [f, Infinity]));
  for (const d of DRAWINGS) for (const labels of views) best[d.family] = Math.min(best[d.family], misfit(labels, r.colours.length, d));
  return FAMILIES.map((f) => Math.max(0, Math.min(1, (FAMILY_FIT_OUT - best[f]) / (FAMILY_FIT_OUT - FAMILY_FIT_IN))));
}

// The flag's emblem: the largest patch of cells unlike the region they lie in, clear of the
// flag's edges and of nearly one colour (a sun, a star; not a coat of arms of many colours).
function emblemOf(fine, r) {
  const n = FINE.w * FINE.h;
  const odd = new Uint8Array(n);
  for (let p = 0; p < n; p++) {
    const c = r.colours[r.labels[p]];
    odd[p] = Math.hypot(fine[p * 3] - c[0], fine[p * 3 + 1] - c[1], fine[p * 3 + 2] - c[2]) > EMBLEM_DELTA ? 1 : 0;
  }
  const seen = new Uint8Array(n);
  let best = null;
  for (let start = 0; start < n; start++) {
    if (!odd[start] || seen[start]) continue;
    const cells = [start];
    seen[start] = 1;
    let edge = false;
    for (let i = 0; i < cells.length; i++) {
      const p = cells[i];
      const x = p % FINE.w;
      const y = (p - x) / FINE.w;
      if (x === 0 || y === 0 || x === FINE.w - 1 || y === FINE.h - 1) edge = true;
      for (const [dx, dy] of [[1, 0], [-1, 0], [0, 1], [0, -1]]) {
        const xx = x + dx;
        const yy = y + dy;
        if (xx < 0 || yy < 0 || xx >= FINE.w || yy >= FINE.h) continue;
        const q = yy * FINE.w + xx;
        if (odd[q] && !seen[q]) {
          seen[q] = 1;
          cells.push(q);
        }
      }
    }
    if (!edge && (!best || cells.length > best.length)) best = cells;
  }
  if (!best || best.length < EMBLEM_SHARE[0] * n || best.length > EMBLEM_SHARE[1] * n) return null;
  const colour = [0, 1, 2].map((c) => best.reduce((sum, p) => sum + fine[p * 3 + c], 0) / best.length);
  const spread = best.reduce((sum, p) => sum + Math.hypot(fine[p * 3] - colour[0], fine[p * 3 + 1] - colour[1], fine[p * 3 + 2] - colour[2]), 0) / best.length;
  if (spread > EMBLEM_SPREAD) return null;
  return { colour, share: best.length / n };
}

function layoutOf(fine) {
  const r = regions(fine);
  const upright = [[false, false], [true, false], [false, true], [true, true]].map(([h, v]) => flippedLabels(r.labels, h, v));
  const turned = turnedLabels(r.labels);
  const sideways = [[false, false], [true, false], [false, true], [true, true]].map(([h, v]) => flippedLabels(turned, h, v));
  return { ...r, layoutViews: [...upright, ...sideways], families: families(r), emblem: emblemOf(fine, r) };
}

// ---------------------------------------------------------------------------------------------

export function readFlag(file) {
  const img = jpeg.decode(fs.readFileSync(file), { useTArray: true, formatAsRGBA: true });
  const box = flagBox(img);
  const fine = toLab(resample(img, box, FINE.w, FINE.h));
  return { img, box, fine, ...views(fine), layout: layoutOf(fine) };
}

// Mean ΔE of two grids when the stripes of one may be wider or narrower than the other's:
// rows (or columns) are matched in order, each to one or more of the other's, at most
// WARP_REACH apart (Colombia's yellow half against Venezuela's yellow third).
function warpedDelta(a, b, alongRows) {
  const lines = alongRows ? GRID.h : GRID.w;
  const cells = alongRows ? GRID.w : GRID.h;
  const at = (i, k) => (alongRows ? i * GRID.w + k : k * GRID.w + i) * 3;
  const cost = new Float64Array(lines * lines);
  for (let i = 0; i < lines; i++)
    for (let j = 0; j < lines; j++) {
      if (Math.abs(i - j) > WARP_REACH) continue;
      let sum = 0;
      for (let k = 0; k < cells; k++) sum += dist(a, at(i, k), b, at(j, k));
      cost[i * lines + j] = sum / cells;
    }
  // Cheapest path from corner to corner, its cost and length kept to take the mean.
  const total = new Float64Array(lines * lines).fill(Infinity);
  const steps = new Float64Array(lines * lines);
  for (let i = 0; i < lines; i++)
    for (let j = 0; j < lines; j++) {
      if (Math.abs(i - j) > WARP_REACH) continue;
      const here = cost[i * lines + j];
      if (i === 0 && j === 0) {
        total[0] = here;
        steps[0] = 1;
        continue;
      }
      let best = Infinity;
      let n = 0;
      for (const [pi, pj] of [[i - 1, j - 1], [i - 1, j], [i, j - 1]]) {
        if (pi < 0 || pj < 0) continue;
        const t = total[pi * lines + pj];
        if (t < best) {
          best = t;
          n = steps[pi * lines + pj];
        }
      }
      total[i * lines + j] = best + here;
      steps[i * lines + j] = n + 1;
    }
  return total[lines * lines - 1] / steps[lines * lines - 1];
}

// How alike two flags' colours are, place by place, looked at the cheapest way: as they are
// (mirrored, upside down, colours swapped, in the other's shades), turned, or with stripes let
// stretch. One way round; distances() takes the better of both.
function colourParts(fa, fb) {
  const plain = fa.views[0].grid;
  const layout = fa.views[0].edges;
  let best = Infinity;
  let turned = Infinity;
  let warp = Infinity;
  for (const v of fb.views) {
    const d = v.charge + meanDelta(plain, v.grid) + BOUNDARY_WEIGHT * boundaryMismatch(layout, v.edges);
    if (v.turned) turned = Math.min(turned, d - TURN_CHARGE);
    else best = Math.min(best, d);
  }
  for (const v of fb.views) {
    if (v.swapped || v.turned) continue;
    const charge = (v.h || v.v ? FLIP_CHARGE : 0);
    warp = Math.min(warp, charge + Math.min(warpedDelta(plain, v.grid, true), warpedDelta(plain, v.grid, false)));
  }
  const recoloured = inPalette(fb, fa);
  if (recoloured) {
    for (const v of fb.views) {
      if (v.swapped || v.turned) continue;
      const charge = recoloured.charge + (v.h || v.v ? FLIP_CHARGE : 0);
      const grid = v.h || v.v ? flipped(recoloured.grid, v.h, v.v) : recoloured.grid;
      warp = Math.min(warp, charge + Math.min(warpedDelta(plain, grid, true), warpedDelta(plain, grid, false)));
      if (charge >= best) continue;
      best = Math.min(best, charge + meanDelta(plain, grid) + BOUNDARY_WEIGHT * boundaryMismatch(layout, v.edges));
    }
  }
  return { colour: best, turned, warp };
}

// Distance between two flags from the parts of both ways round: the colours in their places,
// charged for layouts that differ; for two flags of one family, or of nearly the same layout,
// also their colours alone.
function combined(ab, ba, fa, fb) {
  const colour = Math.min(ab.colour, ba.colour);
  const turned = Math.min(ab.turned, ba.turned);
  const warp = Math.min(ab.warp, ba.warp);
  const layout = Math.min(layoutMismatch(fa.layout, fb.layout), layoutMismatch(fb.layout, fa.layout));
  const palette = paletteDistance(fa.layout, fb.layout);
  let apart = 0;
  let shared = 0;
  FAMILIES.forEach((_, k) => {
    const x = fa.layout.families[k];
    const y = fb.layout.families[k];
    apart = Math.max(apart, Math.abs(x - y));
    shared = Math.max(shared, Math.min(x, y));
  });
  let d = Math.min(
    Math.min(colour, turned + TURN_CHARGE) + LAYOUT_WEIGHT * layout,
    warp + WARP_CHARGE + WARP_LAYOUT_WEIGHT * layout,
  );
  if (shared > 0) d = Math.min(d, FAMILY_BASE + FAMILY_PALETTE * palette);
  d = Math.min(d, PALETTE_BASE + PALETTE_WEIGHT * palette + PALETTE_LAYOUT_WEIGHT * layout);
  const ea = fa.layout.emblem;
  const eb = fb.layout.emblem;
  if (ea && eb && Math.hypot(...ea.colour.map((c, i) => c - eb.colour[i])) <= EMBLEM_REACH)
    d = Math.min(d, EMBLEM_BASE + EMBLEM_PALETTE * paletteDistance(fa.layout, fb.layout, true));
  return d + FAMILY_WEIGHT * apart;
}

export function pairDistance(fa, fb) {
  return combined(colourParts(fa, fb), colourParts(fb, fa), fa, fb);
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
    for (let b = a + 1; b < n; b++) d[a][b] = d[b][a] = pairDistance(flags[a], flags[b]);
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
