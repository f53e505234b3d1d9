// chizu.csv: the world map of the program's own view, drawn by the program itself. Plain ASCII,
// CR LF, comma-separated, coordinates in tenths of a degree (longitude, latitude):
//   chizu,1                        the format and its version
//   <shapes>                       how many shapes follow
//   <flag ID>,<lon>,<lat>,<rings>  a shape: 0 for land of none of the countries, then the
//                                  point a country too small to see is drawn at as a ring
//   <n>,<lon>,<lat>,...            each of its rings, n points; the first is not repeated
// The outlines are Natural Earth's 50m ones with Japan's borders (world.mjs), simplified for a
// map of the whole world. Every country carries its point, so that one the data has no shape
// for at this scale (Tuvalu) is still drawn and can be clicked.
import fs from 'node:fs';
import path from 'node:path';
import { loadWorld } from './world.mjs';

const VERSION = 1;
const TOLERANCE = 0.12; // degrees: about half a pixel at the largest window
const MIN_AREA = 0.04; // square degrees: smaller islands and lakes are left out ...
const SOUTH_LIMIT = -60; // ... and so is Antarctica, which no country's flag stands for

function tenths(v) {
  return Math.round(v * 10);
}

// Douglas–Peucker on a closed ring, in plain degrees.
function simplify(ring) {
  const points = ring.slice(0, -1);
  if (points.length < 4) return points;
  const keep = new Uint8Array(points.length);
  keep[0] = 1;
  const far = points.reduce((best, p, i) => {
    const d = (p[0] - points[0][0]) ** 2 + (p[1] - points[0][1]) ** 2;
    return d > best.d ? { d, i } : best;
  }, { d: -1, i: 0 }).i;
  keep[far] = 1;
  const stack = [[0, far], [far, points.length]];
  while (stack.length) {
    const [a, b] = stack.pop();
    const pa = points[a];
    const pb = points[b % points.length];
    let worst = -1;
    let at = -1;
    for (let i = a + 1; i < b; i++) {
      const p = points[i];
      const dx = pb[0] - pa[0];
      const dy = pb[1] - pa[1];
      const len = Math.hypot(dx, dy);
      const d = len === 0 ? Math.hypot(p[0] - pa[0], p[1] - pa[1])
        : Math.abs(dy * (p[0] - pa[0]) - dx * (p[1] - pa[1])) / len;
      if (d > worst) { worst = d; at = i; }
    }
    if (worst > TOLERANCE) {
      keep[at] = 1;
      stack.push([a, at], [at, b]);
    }
  }
  return points.filter((_, i) => keep[i]);
}

function planarArea(ring) {
  let sum = 0;
  for (let i = 0; i < ring.length; i++) {
    const [x1, y1] = ring[i];
    const [x2, y2] = ring[(i + 1) % ring.length];
    sum += x1 * y2 - x2 * y1;
  }
  return Math.abs(sum) / 2;
}

// The rings worth drawing at world scale, quantised, with repeated points dropped.
function ringsOf(feature) {
  const out = [];
  const polygons = feature.geometry.coordinates;
  const largest = Math.max(...polygons.map((p) => planarArea(p[0])));
  for (const polygon of polygons) {
    polygon.forEach((ring, index) => {
      const area = planarArea(ring);
      if (area < MIN_AREA && !(index === 0 && area === largest)) return;
      if (Math.max(...ring.map((p) => p[1])) < SOUTH_LIMIT) return;
      const points = [];
      for (const [x, y] of simplify(ring)) {
        const q = [tenths(x), tenths(y)];
        const last = points[points.length - 1];
        if (!last || last[0] !== q[0] || last[1] !== q[1]) points.push(q);
      }
      if (points.length >= 3) out.push(points);
    });
  }
  return out;
}

export function makeOutlines(rows, dirs) {
  const world = loadWorld('50m');
  const byIso = new Map(world.features.filter((f) => f.properties.iso).map((f) => [f.properties.iso, f]));
  const ours = new Set(rows.map((r) => r.iso));
  const shapes = [];
  const report = [];
  for (const r of rows) {
    const feature = byIso.get(r.iso);
    const rings = feature ? ringsOf(feature) : [];
    if (!rings.length) report.push(`${r.iso}: no outline at this scale, drawn at its point`);
    shapes.push({ id: Number(r.id), point: [tenths(Number(r.lon)), tenths(Number(r.lat))], rings });
  }
  for (const f of world.features) {
    if (f.properties.iso && ours.has(f.properties.iso)) continue;
    const rings = ringsOf(f);
    if (rings.length) shapes.push({ id: 0, point: [0, 0], rings });
  }
  let text = `chizu,${VERSION}\r\n${shapes.length}\r\n`;
  let points = 0;
  for (const s of shapes) {
    text += `${s.id},${s.point[0]},${s.point[1]},${s.rings.length}\r\n`;
    for (const ring of s.rings) {
      text += `${ring.length},${ring.map((p) => p.join(',')).join(',')}\r\n`;
      points += ring.length;
    }
  }
  const file = path.join(dirs.data, 'chizu.csv');
  fs.writeFileSync(file, text, 'latin1');
  report.push(`chizu.csv: ${shapes.length} shapes, ${points} points, ${(text.length / 1024).toFixed(0)} KB`);
  return report;
}
