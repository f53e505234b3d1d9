// banner.jpg, the small picture of the credit link on the start screen (Image7): a plain
// drawing of a server rack beside our own words for the hosting service, no outside logo.
// Drawn at twice the size the window shows it, so that it stays sharp on dense screens.
import fs from 'node:fs';
import path from 'node:path';
import { run, CONVERT, RSVG } from './run.mjs';

const W = 240;
const H = 60;
const FONT = 'IPAPGothic';

export async function makeBanner(dirs) {
  const { stdout } = await run('fc-match', [FONT]);
  if (!/ipagp/i.test(stdout)) throw new Error(`${FONT} missing (fc-match gives ${stdout.trim()}): apt-get install fonts-ipafont-gothic`);
  const shelf = (y) => `<rect x="14" y="${y}" width="34" height="11" rx="2" fill="#e8f1fb"/>
<circle cx="20" cy="${y + 5.5}" r="2" fill="#3fbf5f"/>
<rect x="26" y="${y + 4}" width="18" height="3" rx="1" fill="#7a97bd"/>`;
  const svg = `<svg xmlns="http://www.w3.org/2000/svg" width="${W}" height="${H}" viewBox="0 0 ${W} ${H}">
<defs><linearGradient id="band" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#2b73c4"/><stop offset="1" stop-color="#154a8a"/></linearGradient></defs>
<rect x="1" y="1" width="${W - 2}" height="${H - 2}" rx="8" fill="url(#band)" stroke="#0d335f" stroke-width="2"/>
${shelf(10)}
${shelf(24)}
${shelf(38)}
<text x="58" y="27" font-family="${FONT}" font-size="20" font-weight="bold" fill="#ffffff">レンタルサーバー</text>
<text x="58" y="49" font-family="${FONT}" font-size="14" fill="#ffe27a">フラミオを支えています</text>
</svg>
`;
  const svgFile = path.join(dirs.out, 'banner.svg');
  const png = path.join(dirs.out, 'banner.png');
  fs.writeFileSync(svgFile, svg);
  await run(RSVG, ['-o', png, svgFile]);
  await run(CONVERT, [png, '-background', '#ffffff', '-flatten', '-strip', '-quality', '90', path.join(dirs.pictures, 'banner.jpg')]);
  return ['banner.jpg'];
}
