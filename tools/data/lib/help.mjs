// The help: the pages in data/help/ ship as they are, for desktops without a compiled-help
// viewer, and are compiled with the project files of tools/data/help/ (contents, index) into
// kokki.chm by chmcmd (fp-utils). All of them are CP932 with CR LF: the viewer reads the
// contents and index of a Japanese (0x411) help file in that code page. Edit them as Shift_JIS,
// e.g. iconv -f cp932 -t utf-8, edit, and convert back.
import fs from 'node:fs';
import path from 'node:path';
import iconv from 'iconv-lite';
import { run } from './run.mjs';
import { writeAboutPage } from './about.mjs';

export async function makeHelp(dirs, rows) {
  // The one generated page, written before the pages are checked and compiled.
  writeAboutPage(rows, dirs);
  const src = path.join(dirs.here, 'help');
  const pages = path.join(dirs.data, 'help');
  const build = path.join(dirs.out, 'help-build');
  fs.rmSync(build, { recursive: true, force: true });
  fs.mkdirSync(build, { recursive: true });
  const project = fs.readFileSync(path.join(src, 'kokki.hhp'));
  if (!/^Language=0x411/m.test(project.toString('latin1'))) throw new Error('kokki.hhp must say Language=0x411');
  const listed = project.toString('latin1').split('[FILES]')[1].split(/\r?\n/).map((l) => l.trim()).filter(Boolean);
  const sources = [...fs.readdirSync(src).map((f) => path.join(src, f)), ...listed.map((f) => path.join(pages, f))];
  for (const file of sources) {
    const bytes = fs.readFileSync(file);
    // Every source must survive a round trip through CP932, or the viewer shows garbage.
    if (!iconv.encode(iconv.decode(bytes, 'cp932'), 'cp932').equals(bytes)) throw new Error(`${file} is not CP932`);
    fs.copyFileSync(file, path.join(build, path.basename(file)));
  }
  await run('/usr/bin/chmcmd', ['kokki.hhp'], { cwd: build });
  fs.copyFileSync(path.join(build, 'kokki.chm'), path.join(dirs.data, 'kokki.chm'));
  return [`kokki.chm ${fs.statSync(path.join(dirs.data, 'kokki.chm')).size} bytes`, `help/: ${listed.join(' ')}`];
}
