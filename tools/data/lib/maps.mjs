// The two maps of each country, 240×180: IDa.jpg, a globe turned to face the country with the
// country in red, and IDb.jpg, the country's own outline zoomed to fit, neighbours in grey.
// Countries too small to see get a ring; islands too small to see get a dot each.
import fs from 'node:fs';
import path from 'node:path';
import { geoOrthographic, geoPath, geoCentroid, geoArea, geoDistance, geoGraticule10 } from 'd3-geo';
import { loadWorld } from './world.mjs';
import { run, eachLimited, CONVERT, RSVG } from './run.mjs';

const W = 240;
const H = 180;
const QUALITY = 85;
const COLOUR = {
  space: '#f3f3f1', sea: '#d3e6f6', land: '#d8d4cb', border: '#ffffff', target: '#d9412b',
  targetEdge: '#8c1e10', ring: '#c8261a', rim: '#9aacbc', graticule: '#bcd3e8',
};

// Countries whose far-off parts would shrink the outline map to nothing: framed on their main
// territory, [west, south, east, north] in degrees. Their globes still show every part in red.
const FRAME = {
  FR: [-5.5, 41.2, 9.8, 51.2], // metropolitan France with Corsica
  NL: [3.2, 50.7, 7.3, 53.6], // the European Netherlands
  NO: [4.4, 57.9, 31.2, 71.3], // mainland Norway
  US: [-125, 24.3, -66.9, 49.5], // the 48 contiguous states
  ES: [-9.4, 35.9, 4.4, 43.8], // mainland Spain with the Balearics
  PT: [-9.6, 36.9, -6.1, 42.2], // mainland Portugal
  EC: [-81.1, -5.1, -75.1, 1.5], // without the Galápagos
  CL: [-75.8, -56, -66.3, -17.4], // without Easter Island
  NZ: [166.3, -47.4, 178.7, -34.3], // North and South Island with Stewart Island
  JP: [122.9, 24, 149, 45.6], // the four main islands, Okinawa and the Northern Territories
  ZA: [16.3, -35, 33, -22], // without the Prince Edward Islands
  AU: [112.9, -43.8, 153.7, -10.6], // without Macquarie Island
  BR: [-74, -34, -32, 5.4], // without Trindade
  MU: [57.2, -20.6, 57.9, -19.9], // the island of Mauritius; the outer islands are tiny and far
  PW: [134, 6.8, 134.8, 8.2], // the main islands, without the Southwest Islands
  CR: [-86, 8, -82.5, 11.3], // the mainland, without Cocos Island
  SC: [55.2, -4.9, 56, -4.2], // Mahé and the inner islands; the outer islands are tiny and far
};
const MIN_SPAN = 1.2; // degrees: microstates are shown with their surroundings
const RING_BELOW = 10; // px: a country smaller than this on a map gets a ring
const DOT_BELOW = 3; // px: an island smaller than this gets a dot ...
const DOTS_UNLESS = 25; // px: ... unless the country has a main island at least this big

function polygonsOf(feature) {
  return feature.geometry.coordinates.map((p) => ({ type: 'Polygon', coordinates: p }));
}

function inBox(polygon, [w, s, e, n]) {
  const [x, y] = geoCentroid(polygon);
  return x >= w && x <= e && y >= s && y <= n;
}

// The part of a country a map is framed on, and its centre.
function framing(iso, feature) {
  let parts = polygonsOf(feature);
  if (FRAME[iso]) parts = parts.filter((p) => inBox(p, FRAME[iso]));
  const frame = { type: 'MultiPolygon', coordinates: parts.map((p) => p.coordinates) };
  // Longitudes are taken relative to the largest part, so that countries across the 180th
  // meridian (Fiji, Kiribati, Tuvalu) get a box around them instead of around the world.
  const main = parts.reduce((a, b) => (geoArea(b) > geoArea(a) ? b : a));
  const ref = geoCentroid(main)[0];
  let w = Infinity, e = -Infinity, s = Infinity, n = -Infinity;
  for (const p of parts)
    for (const [x, y] of p.coordinates[0]) {
      const dx = ((x - ref + 540) % 360) - 180;
      w = Math.min(w, dx); e = Math.max(e, dx); s = Math.min(s, y); n = Math.max(n, y);
    }
  const centre = [((ref + (w + e) / 2 + 540) % 360) - 180, (s + n) / 2];
  return { frame, centre, span: Math.max(n - s, (e - w) * Math.cos((centre[1] * Math.PI) / 180)) };
}

// Rough reach of each feature, to skip the ones a map cannot show.
function reach(feature) {
  const centre = geoCentroid(feature);
  let radius = 0;
  for (const polygon of feature.geometry.coordinates)
    for (const [x, y] of polygon[0]) radius = Math.max(radius, geoDistance(centre, [x, y]));
  return { centre, radius };
}

function svgOpen() {
  return `<svg xmlns="http://www.w3.org/2000/svg" width="${W}" height="${H}" viewBox="0 0 ${W} ${H}">`;
}

// Red for the country, a dot on each island too small to see, a ring if the whole is.
function drawTarget(path, target, dotRadius) {
  let out = `<path d="${path(target) ?? ''}" fill="${COLOUR.target}" stroke="${COLOUR.targetEdge}" stroke-width="0.6" stroke-linejoin="round"/>`;
  const size = (polygon) => {
    const b = path.bounds(polygon);
    return Number.isFinite(b[0][0]) ? Math.max(b[1][0] - b[0][0], b[1][1] - b[0][1]) : NaN;
  };
  const polygons = polygonsOf(target);
  if (polygons.some((p) => size(p) >= DOTS_UNLESS)) return out;
  for (const polygon of polygons) {
    if (size(polygon) < DOT_BELOW) {
      const [x, y] = path.centroid(polygon);
      if (Number.isFinite(x)) out += `<circle cx="${x.toFixed(1)}" cy="${y.toFixed(1)}" r="${dotRadius}" fill="${COLOUR.target}"/>`;
    }
  }
  return out;
}

function ring(path, projection, target, radius) {
  const b = path.bounds(target);
  if (Number.isFinite(b[0][0]) && Math.max(b[1][0] - b[0][0], b[1][1] - b[0][1]) >= RING_BELOW) return '';
  const p = projection(geoCentroid(target));
  if (!p) return '';
  return `<circle cx="${p[0].toFixed(1)}" cy="${p[1].toFixed(1)}" r="${radius}" fill="none" stroke="${COLOUR.ring}" stroke-width="2"/>`;
}

// The ring goes by the part the country is framed on: Mauritius's outer islands stretch it far
// wider than a ring, yet the island itself is too small to see on a globe.
function globeSvg(world, target, { frame, centre }) {
  const radius = 84;
  const projection = geoOrthographic().rotate([-centre[0], -centre[1]]).scale(radius).translate([W / 2, H / 2]).precision(0.3);
  const path = geoPath(projection).digits(1);
  let svg = svgOpen() + `<rect width="${W}" height="${H}" fill="${COLOUR.space}"/>`;
  svg += `<circle cx="${W / 2}" cy="${H / 2}" r="${radius}" fill="${COLOUR.sea}"/>`;
  svg += `<path d="${path(geoGraticule10())}" fill="none" stroke="${COLOUR.graticule}" stroke-width="0.4"/>`;
  let land = '';
  for (const f of world) if (geoDistance(f.reach.centre, centre) - f.reach.radius < Math.PI / 2) land += path(f) ?? '';
  svg += `<path d="${land}" fill="${COLOUR.land}" stroke="${COLOUR.border}" stroke-width="0.3"/>`;
  svg += drawTarget(path, target, 1.6);
  svg += ring(path, projection, frame, 9);
  svg += `<circle cx="${W / 2}" cy="${H / 2}" r="${radius}" fill="none" stroke="${COLOUR.rim}" stroke-width="0.8"/>`;
  return svg + '</svg>\n';
}

function outlineSvg(world, iso, target, { frame, centre, span }) {
  const margin = 12;
  const projection = geoOrthographic().rotate([-centre[0], -centre[1]]).precision(0.1)
    .fitExtent([[margin, margin], [W - margin, H - margin]], frame);
  // No closer than MIN_SPAN degrees from top to bottom.
  const maxScale = (H - 2 * margin) / ((Math.max(span, MIN_SPAN) * Math.PI) / 180);
  if (projection.scale() > maxScale) projection.scale(maxScale).translate([W / 2, H / 2]);
  projection.clipExtent([[-2, -2], [W + 2, H + 2]]);
  const path = geoPath(projection).digits(1);
  const view = Math.asin(Math.min(1, Math.hypot(W, H) / 2 / projection.scale())) + 0.02;
  const viewCentre = projection.invert([W / 2, H / 2]);
  let svg = svgOpen() + `<rect width="${W}" height="${H}" fill="${COLOUR.sea}"/>`;
  let land = '';
  for (const f of world) {
    if (f.properties.iso === iso) continue;
    if (geoDistance(f.reach.centre, viewCentre) - f.reach.radius > view) continue;
    land += path(f) ?? '';
  }
  svg += `<path d="${land}" fill="${COLOUR.land}" stroke="${COLOUR.border}" stroke-width="0.8" stroke-linejoin="round"/>`;
  svg += drawTarget(path, target, 1.8);
  svg += ring(path, projection, target, 14);
  return svg + '</svg>\n';
}

async function toJpeg(svg, tmpDir, name, dest) {
  const svgFile = path.join(tmpDir, `${name}.svg`);
  const pngFile = path.join(tmpDir, `${name}.png`);
  fs.writeFileSync(svgFile, svg);
  await run(RSVG, ['-o', pngFile, svgFile]);
  await run(CONVERT, [pngFile, '-strip', '-quality', String(QUALITY), dest]);
  fs.rmSync(svgFile);
  fs.rmSync(pngFile);
}

export async function makeMaps(rows, dirs) {
  const fine = loadWorld('10m');
  const coarse = loadWorld('50m');
  for (const w of [fine, coarse]) for (const f of w.features) f.reach = reach(f);
  const byIso = new Map(fine.features.filter((f) => f.properties.iso).map((f) => [f.properties.iso, f]));
  const tmpDir = path.join(dirs.out, 'maps-tmp');
  fs.mkdirSync(tmpDir, { recursive: true });
  const jobs = [];
  // MAPS_ONLY=FJ,GB redraws just those countries while a frame is being tuned.
  const only = process.env.MAPS_ONLY?.split(',');
  for (const r of rows.filter((row) => !only || only.includes(row.iso))) {
    const target = byIso.get(r.iso);
    if (!target) throw new Error(`no shape for ${r.iso}`);
    const frame = framing(r.iso, target);
    const area = geoArea(target);
    if (area > 2 * Math.PI) throw new Error(`${r.iso} still wound the wrong way`);
    // Globes draw the 50m land for speed; the country itself always at 10m.
    jobs.push([globeSvg(coarse.features.filter((f) => f.properties.iso !== r.iso), target, frame), `${r.id}a`]);
    jobs.push([outlineSvg(fine.features, r.iso, target, frame), `${r.id}b`]);
    // Hand the finished pictures to the rasteriser as we go, to keep memory down.
    if (jobs.length >= 16) await eachLimited(jobs.splice(0), ([svg, name]) => toJpeg(svg, tmpDir, name, path.join(dirs.pictures, `${name}.jpg`)));
  }
  await eachLimited(jobs.splice(0), ([svg, name]) => toJpeg(svg, tmpDir, name, path.join(dirs.pictures, `${name}.jpg`)));
  fs.rmSync(tmpDir, { recursive: true, force: true });
  return [`moved at 10m: ${fine.moved.join('; ')}`, `moved at 50m: ${coarse.moved.join('; ')}`];
}
