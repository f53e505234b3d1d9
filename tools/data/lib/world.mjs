// Country shapes from Natural Earth (world-atlas), redrawn where Japan's official position
// differs and repaired where the data is broken. Each feature carries an ISO code (ours, or that
// of land that is none of our 198 countries: Western Sahara EH, Palestine PS) or null
// (Antarctica and other land without a code).
import { createRequire } from 'node:module';
import * as topojson from 'topojson-client';
import polygonClipping from 'polygon-clipping';
import { geoArea, geoCentroid } from 'd3-geo';

const require = createRequire(import.meta.url);
const countries = require('world-countries/countries.json');
const isoByNumber = Object.fromEntries(countries.map((c) => [c.ccn3, c.cca2]));

// Features Natural Earth keeps apart from the state we count them in.
const OWNER_BY_NAME = {
  Kosovo: 'XK',
  Somaliland: 'SO', // part of Somalia for Japan and the UN
  'N. Cyprus': 'CY', // recognised by no one but Turkey
  'Cyprus U.N. Buffer Zone': 'CY',
  Baikonur: 'KZ', // leased to Russia, Kazakh soil
};

// Pieces Natural Earth gives to one state that Japan counts as another's, found by the centre of
// each polygon: the Northern Territories (Etorofu, Kunashiri, Shikotan, the Habomai islands) and
// Takeshima are Japan's; Crimea, with Sevastopol, is Ukraine's.
const REASSIGN = [
  { from: 'RU', to: 'JP', west: 145.2, east: 149.2, south: 43.0, north: 45.7 },
  { from: 'KR', to: 'JP', west: 131.7, east: 132.0, south: 37.1, north: 37.4 },
  { from: 'RU', to: 'UA', west: 32.2, east: 36.8, south: 44.2, north: 46.3 },
];

// Land that lies inside one polygon of the data but that Japan counts as another's, cut out
// along a line given here (lon, lat; straight lines in degrees are close enough at these sizes).
// Japan recognises no sovereignty over Western Sahara: the data draws Morocco down to the berm,
// so the part west of it, south of 27°40'N (27.661 in the data), joins the rest of Western
// Sahara. Japan does not recognise the annexation of the Golan Heights: the part of Israel east of
// the 1949 armistice line (Banias, the Jordan above the lake, the lake's eastern shore, the
// Yarmouk) goes to Syria.
const CUT = [
  { from: 'MA', to: 'EH', area: [[-18, 20], [-18, 27.661], [-8.5, 27.661], [-8.5, 20], [-18, 20]] },
  {
    from: 'IL',
    to: 'SY',
    area: [[35.6, 33.6], [36.3, 33.6], [36.3, 32.6], [35.625, 32.6], [35.625, 32.67], [35.64, 32.72],
      [35.648, 32.8], [35.632, 32.91], [35.628, 33.01], [35.64, 33.12], [35.665, 33.235],
      [35.665, 33.27], [35.6, 33.275], [35.6, 33.6]],
  },
];

function applyCuts(features, moved) {
  const byKey = new Map(features.map((f) => [f.properties.name, f]));
  for (const { from, to, area } of CUT) {
    const source = byKey.get(from);
    const dest = byKey.get(to);
    if (!source || !dest) throw new Error(`cut ${from}→${to}: a country is missing`);
    const clip = [[area]];
    const piece = polygonClipping.intersection(source.geometry.coordinates, clip);
    if (!piece.length) throw new Error(`cut ${from}→${to}: nothing to cut`);
    source.geometry = { type: 'MultiPolygon', coordinates: polygonClipping.difference(source.geometry.coordinates, clip) };
    // The union dissolves the border between the piece and its new owner, as merge() does.
    dest.geometry = { type: 'MultiPolygon', coordinates: polygonClipping.union(dest.geometry.coordinates, piece) };
    moved.push(`${from}→${to} cut ${geoCentroid(rewound({ type: 'MultiPolygon', coordinates: piece })).map((v) => v.toFixed(2))}`);
  }
}

function ownerOf(geometry) {
  return OWNER_BY_NAME[geometry.properties?.name] ?? isoByNumber[geometry.id] ?? null;
}

// A ring wound the wrong way makes d3 fill the rest of the globe (the Maldives in the 10m data):
// any polygon covering more than a hemisphere is turned round.
function rewound(geometry) {
  const polygons = geometry.type === 'Polygon' ? [geometry.coordinates] : geometry.coordinates;
  const fixed = polygons.map((p) =>
    geoArea({ type: 'Polygon', coordinates: p }) > 2 * Math.PI ? p.map((ring) => [...ring].reverse()) : p);
  return { type: 'MultiPolygon', coordinates: fixed };
}

export function loadWorld(resolution) {
  const topology = require(`world-atlas/countries-${resolution}.json`);
  const pieces = new Map(); // owner key -> polygon geometries (arcs)
  const add = (key, arcs) => {
    if (!pieces.has(key)) pieces.set(key, []);
    pieces.get(key).push({ type: 'Polygon', arcs });
  };
  const moved = [];
  topology.objects.countries.geometries.forEach((g, index) => {
    const owner = ownerOf(g);
    const key = owner ?? `#${index}:${g.properties?.name}`;
    const polygons = g.type === 'Polygon' ? [g.arcs] : g.type === 'MultiPolygon' ? g.arcs : [];
    for (const arcs of polygons) {
      let to = key;
      if (owner) {
        const centre = geoCentroid(topojson.feature(topology, { type: 'Polygon', arcs }));
        const rule = REASSIGN.find((r) => r.from === owner && centre[0] > r.west && centre[0] < r.east
          && centre[1] > r.south && centre[1] < r.north);
        if (rule) { to = rule.to; moved.push(`${rule.from}→${rule.to} ${centre.map((v) => v.toFixed(2))}`); }
      }
      add(to, arcs);
    }
  });
  const features = [];
  for (const [key, geometries] of pieces) {
    // merge() dissolves the borders between pieces that now belong together (Crimea and
    // mainland Ukraine, Somaliland and Somalia).
    const merged = topojson.merge(topology, geometries);
    const iso = key.startsWith('#') ? null : key;
    features.push({ type: 'Feature', properties: { iso, name: key }, geometry: merged });
  }
  applyCuts(features, moved);
  for (const f of features) f.geometry = rewound(f.geometry);
  return { features, moved };
}
