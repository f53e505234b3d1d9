// The program's icon for the desktop's menus: two flag cards fanned out over a blue tile, as the
// card game deals them. Drawn as SVG for the scalable slot and rendered to the fixed sizes the
// icon theme asks for, since small sizes need pixels the desktop does not scale itself.
import fs from 'node:fs';
import path from 'node:path';
import { run, RSVG } from './run.mjs';

const SIZES = [48, 128, 256];

// A card of 150 × 100 around (cx, cy), turned by `angle` degrees, with the flag drawn inside.
function card(cx, cy, angle, flag) {
  return `<g transform="translate(${cx} ${cy}) rotate(${angle})">
  <rect x="-71" y="-44" width="150" height="100" rx="10" fill="#000000" opacity="0.28"/>
  <rect x="-75" y="-50" width="150" height="100" rx="10" fill="#ffffff"/>
  <g transform="translate(-66 -41)">${flag}</g>
</g>`;
}

// 132 × 82 flag areas.
const tricolour = `<rect width="44" height="82" fill="#009246"/><rect x="44" width="44" height="82" fill="#f4f4f4"/><rect x="88" width="44" height="82" fill="#ce2b37"/>`;
const disc = `<rect width="132" height="82" fill="#f4f4f4" stroke="#c8c8c8" stroke-width="2"/><circle cx="66" cy="41" r="25" fill="#bc002d"/>`;

export function iconSvg() {
  return `<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#2a72c4"/><stop offset="1" stop-color="#0d3566"/></linearGradient></defs>
<rect x="8" y="8" width="240" height="240" rx="44" fill="url(#sky)"/>
${card(104, 104, -14, tricolour)}
${card(152, 158, 9, disc)}
</svg>
`;
}

export async function makeIcon(dirs) {
  const folder = path.join(dirs.data, 'icons');
  fs.mkdirSync(folder, { recursive: true });
  const svgFile = path.join(folder, 'furamio.svg');
  fs.writeFileSync(svgFile, iconSvg());
  const made = ['icons/furamio.svg'];
  for (const size of SIZES) {
    const png = path.join(folder, `furamio-${size}.png`);
    await run(RSVG, ['-w', String(size), '-h', String(size), '-o', png, svgFile]);
    made.push(`icons/furamio-${size}.png`);
  }
  return made;
}
