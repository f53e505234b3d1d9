// intro.jpg, the start screen's picture: the program's name over a band of flags.
import fs from 'node:fs';
import path from 'node:path';
import { run, CONVERT, RSVG } from './run.mjs';

const W = 640;
const H = 400;
const FONT = 'IPAPGothic';


export async function makeIntro(dirs) {
  const { stdout } = await run('fc-match', [FONT]);
  if (!/ipagp/i.test(stdout)) throw new Error(`${FONT} missing (fc-match gives ${stdout.trim()}): apt-get install fonts-ipafont-gothic`);
  // A few well-known flags from the set just made, as tiles behind the title.
  const tiles = [124, 147, 24, 110, 152, 105, 146, 15, 41, 32, 44, 18].map((id) => path.join(dirs.pictures, `${id}.jpg`));
  for (const t of tiles) if (!fs.existsSync(t)) throw new Error(`make the flags first: ${t} is missing`);
  const place = (i) => [16 + (i % 6) * 103, i < 6 ? 20 : 316];
  const svg = `<svg xmlns="http://www.w3.org/2000/svg" width="${W}" height="${H}" viewBox="0 0 ${W} ${H}">
<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#1d5fa8"/><stop offset="1" stop-color="#0d3566"/></linearGradient></defs>
<rect width="${W}" height="${H}" fill="url(#sky)"/>
<text x="${W / 2}" y="222" font-family="${FONT}" font-size="112" font-weight="bold" fill="#ffffff" text-anchor="middle" stroke="#0a2a52" stroke-width="3" paint-order="stroke">フラミオ</text>
<text x="${W / 2}" y="266" font-family="${FONT}" font-size="24" fill="#ffe27a" text-anchor="middle">世界の国旗を覚えよう　198の国と地域</text>
</svg>
`;
  const svgFile = path.join(dirs.out, 'intro.svg');
  const png = path.join(dirs.out, 'intro.png');
  fs.writeFileSync(svgFile, svg);
  await run(RSVG, ['-o', png, svgFile]);
  const composite = tiles.flatMap((t, i) => {
    const [x, y] = place(i);
    return ['(', t, '-resize', '96x64', ')', '-geometry', `+${x}+${y}`, '-composite'];
  });
  await run(CONVERT, [png, ...composite, '-strip', '-quality', '88', path.join(dirs.pictures, 'intro.jpg')]);
  return ['intro.jpg'];
}
