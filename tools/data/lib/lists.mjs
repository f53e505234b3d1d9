// The five base lists: CP932, CR LF, five fields a line, no header.
import fs from 'node:fs';
import path from 'node:path';
import iconv from 'iconv-lite';
import { LISTS, mapUrl } from './table.mjs';

function field(text) {
  const s = String(text);
  if (s.includes('"')) throw new Error(`a base list field cannot hold a double quote: ${s}`);
  return s.includes(',') || /^\s/.test(s) ? `"${s}"` : s;
}

export function encodeCp932(text) {
  const bytes = iconv.encode(text, 'cp932');
  if (iconv.decode(bytes, 'cp932') !== text) throw new Error(`not representable in CP932: ${text}`);
  return bytes;
}

export function listText(rows, regions) {
  return rows
    .filter((r) => regions.includes(r.region))
    .map((r) => [r.id, r.region, r.name, r.capital, mapUrl(r)].map(field).join(',') + '\r\n')
    .join('');
}

export function writeLists(rows, dataDir) {
  const written = [];
  for (const { key, regions } of LISTS) {
    const file = path.join(dataDir, `基本List${key}.csv`);
    const text = listText(rows, regions);
    fs.writeFileSync(file, encodeCp932(text));
    written.push(`${path.basename(file)}: ${text.split('\r\n').length - 1} rows`);
  }
  return written;
}
