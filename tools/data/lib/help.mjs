// The help: kokki.chm compiled from help/ with chmcmd (fp-utils), and the same pages as plain
// HTML in data/help/ for desktops without a compiled-help viewer. The sources are CP932 with
// CR LF: the viewer reads the contents and index of a Japanese (0x411) help file in that code
// page. Edit them as Shift_JIS, e.g. iconv -f cp932 -t utf-8, edit, and convert back.
import fs from 'node:fs';
import path from 'node:path';
import iconv from 'iconv-lite';
import { run } from './run.mjs';

export async function makeHelp(dirs) {
  const src = path.join(dirs.here, 'help');
  const build = path.join(dirs.out, 'help-build');
  fs.rmSync(build, { recursive: true, force: true });
  fs.mkdirSync(build, { recursive: true });
  const project = fs.readFileSync(path.join(src, 'kokki.hhp'));
  if (!/^Language=0x411/m.test(project.toString('latin1'))) throw new Error('kokki.hhp must say Language=0x411');
  const listed = project.toString('latin1').split('[FILES]')[1].split(/\r?\n/).map((l) => l.trim()).filter(Boolean);
  for (const f of fs.readdirSync(src)) {
    const bytes = fs.readFileSync(path.join(src, f));
    // Every source must survive a round trip through CP932, or the viewer shows garbage.
    if (!iconv.encode(iconv.decode(bytes, 'cp932'), 'cp932').equals(bytes)) throw new Error(`${f} is not CP932`);
    fs.copyFileSync(path.join(src, f), path.join(build, f));
  }
  await run('/usr/bin/chmcmd', ['kokki.hhp'], { cwd: build });
  fs.copyFileSync(path.join(build, 'kokki.chm'), path.join(dirs.data, 'kokki.chm'));
  const plain = path.join(dirs.data, 'help');
  fs.rmSync(plain, { recursive: true, force: true });
  fs.mkdirSync(plain);
  for (const f of listed) fs.copyFileSync(path.join(src, f), path.join(plain, f));
  return [`kokki.chm ${fs.statSync(path.join(dirs.data, 'kokki.chm')).size} bytes`, `help/: ${listed.join(' ')}`];
}
