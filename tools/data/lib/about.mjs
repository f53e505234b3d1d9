// The help page "データについて" (data.html), made from countries.tsv so that it can never
// lag behind the data: how old the data is, where it comes from, which borders follow Japan's
// positions, what changed since the log began (newest first), and every country's flag year.
// Rows carry data-* attributes so that the data tests can hold the page to the table.
import fs from 'node:fs';
import path from 'node:path';
import { encodeCp932 } from './lists.mjs';
import { LOG_SINCE } from './table.mjs';

export const ABOUT_PAGE = 'data.html';

const escape = (s) => String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');

// 2026-01-02 → 2026年1月2日; a change may be known to the month or the year only.
export function japaneseDate(date) {
  const [y, m, d] = date.split('-');
  return `${y}年` + (m ? `${Number(m)}月` : '') + (d ? `${Number(d)}日` : '');
}

const NAV = '<p class="nav"><a href="index.html">概要</a> | <a href="game.html">札取りゲーム</a> | <a href="score.html">得点</a> | <a href="regions.html">地域</a> | <a href="study.html">学習</a> | <a href="graph.html">成績グラフ</a> | <a href="deviation.html">全国偏差値</a> | <a href="data.html">データ</a></p>';

export function aboutPage(rows, ownFlags) {
  const byIso = new Map(rows.map((r) => [r.iso, r]));
  const asOf = rows.map((r) => r.checked).reduce((a, b) => (a < b ? a : b));
  const changes = rows
    .flatMap((r) => r.changes.map((c) => ({ ...c, r })))
    .sort((a, b) => (a.date === b.date ? a.r.id - b.r.id : a.date < b.date ? 1 : -1));
  const own = ownFlags.map((iso) => `${byIso.get(iso)?.name ?? iso}（${byIso.get(iso)?.flag ?? ''}年）`).join('、');
  const out = [];
  const add = (line) => out.push(line);
  add('<!DOCTYPE html>');
  add('<html lang="ja">');
  add('<head>');
  add('<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">');
  add('<title>データについて</title>');
  add('<link rel="stylesheet" type="text/css" href="style.css">');
  add('</head>');
  add('<body>');
  add(NAV);
  add('<h1>データについて</h1>');
  add(`<p>国名、首都、地域、国旗、地図は、${rows.length}の国と地域のすべてについて<strong>${japaneseDate(asOf)}</strong>までに確かめました。国ごとに確かめた日と、いまの国旗が定められた年は<a href="#list">国の一覧</a>にあります。</p>`);
  add('<p>国名と首都は外務省の表記に、地域は外務省の国・地域の分け方にならっています。北アフリカのアラブの国（エジプト、リビア、チュニジア、アルジェリア、モロッコ）は外務省の分け方で「中東」です。</p>');
  add('<h2>出典とライセンス</h2>');
  add('<table>');
  add('<tr><th>データ</th><th>出典</th><th>ライセンス</th></tr>');
  add(`<tr><td>国旗</td><td>svg-country-flags 1.2.10（ウィキメディア・コモンズの図）。${escape(own)}はフラミオで描き直したもの</td><td>パブリックドメイン</td></tr>`);
  add('<tr><td>地図の国の形</td><td>Natural Earth 1:10m・1:50m（world-atlas 2.0.2）</td><td>パブリックドメイン（world-atlas は ISC）</td></tr>');
  add('<tr><td>地図の描画</td><td>d3-geo 3.1.1、topojson-client 3.1.0、polygon-clipping 0.15.7</td><td>ISC、ISC、MIT</td></tr>');
  add('<tr><td>国名・首都の照合</td><td>world-countries 5.1.0（ISO コード、英語の首都名、位置）</td><td>Open Database License 1.0</td></tr>');
  add('<tr><td>国名・都市名の照合</td><td>Unicode CLDR 48（cldr-dates-full 48.2.0）</td><td>Unicode License v3</td></tr>');
  add('<tr><td>地域地図</td><td>OpenStreetMap（&copy; OpenStreetMap contributors）</td><td>Open Database License 1.0</td></tr>');
  add('<tr><td>タイトルの文字</td><td>IPA Pゴシック</td><td>IPA フォントライセンス v1.0</td></tr>');
  add('</table>');
  add('<p>詳しくはフラミオのフォルダーの ATTRIBUTION を見てください。</p>');
  add('<h2>地図が従う日本の立場</h2>');
  add('<ul>');
  add('<li>北方領土（択捉島、国後島、色丹島、歯舞群島）と竹島は日本の領土として描いています。</li>');
  add('<li>クリミアはウクライナの領土として描いています。</li>');
  add('<li>ゴラン高原はシリアの領土として描き、イスラエルには含めていません。</li>');
  add('<li>西サハラはどの国にも属さない地域として、灰色で、それだけの境界線で描いています（モロッコには含めていません）。</li>');
  add('<li>北キプロスはキプロスの、ソマリランドはソマリアの一部として描いています。</li>');
  add('<li>イスラエルの首都の欄には、国際社会の大多数がエルサレムを首都と認めていないことを添えています。</li>');
  add('</ul>');
  add(`<h2><a name="log">変更の記録</a></h2>`);
  add(`<p>${LOG_SINCE}年から後に変わった国名、首都、国旗です。新しいものから並べています。</p>`);
  add('<table>');
  add('<tr><th>時期</th><th>国</th><th>項目</th><th>内容</th></tr>');
  for (const c of changes)
    add(`<tr class="change" data-date="${c.date}" data-id="${c.r.id}"><td>${japaneseDate(c.date)}</td><td>${escape(c.r.name)}</td><td>${escape(c.what)}</td><td>${escape(c.text)}</td></tr>`);
  add('</table>');
  add(`<h2><a name="list">国の一覧</a></h2>`);
  add('<p>「国旗の制定」は、いまの国旗の図案・色・縦横比が定められた年です（紋章の細部の描き直しは数えません）。</p>');
  add('<table>');
  add('<tr><th>番号</th><th>国名</th><th>首都</th><th>地域</th><th>国旗の制定</th><th>確かめた日</th></tr>');
  for (const r of rows)
    add(`<tr data-id="${r.id}" data-flag="${r.flag}" data-checked="${r.checked}"><td>${r.id}</td><td>${escape(r.name)}</td><td>${escape(r.capital)}</td><td>${escape(r.region)}</td><td>${r.flag}年</td><td>${japaneseDate(r.checked)}</td></tr>`);
  add('</table>');
  add('<p class="foot">フラミオ ヘルプ</p>');
  add('</body>');
  add('</html>');
  return out.join('\r\n') + '\r\n';
}

export function writeAboutPage(rows, dirs) {
  const ownFlags = fs.readdirSync(path.join(dirs.here, 'flags'))
    .filter((f) => f.endsWith('.svg'))
    .map((f) => f.slice(0, -4).toUpperCase())
    .sort((a, b) => (rows.find((r) => r.iso === a)?.id ?? 0) - (rows.find((r) => r.iso === b)?.id ?? 0));
  const file = path.join(dirs.data, 'help', ABOUT_PAGE);
  fs.writeFileSync(file, encodeCp932(aboutPage(rows, ownFlags)));
  return file;
}
