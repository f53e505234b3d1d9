// Country shapes from Natural Earth (world-atlas), redrawn where Japan's official position
// differs and repaired where the data is broken. Each feature carries our ISO code, or null
// for land that is none of our 198 countries (Greenland, Western Sahara, Antarctica, ...).
import { createRequire } from 'node:module';
import * as topojson from 'topojson-client';
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
    features.push({ type: 'Feature', properties: { iso, name: key }, geometry: rewound(merged) });
  }
  return { features, moved };
}
