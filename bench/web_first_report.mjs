// The web page's first visit: its weight as a static host serves it (gzip, bodies
// only, including the service worker's caching), the module's size, and the time
// from navigation to the report shown after a scripted click on "Изчисли", against
// the floor page (the same controls, computing nothing) and the floor page that also
// loads the core, interleaved, medians; then the page and the floor at a phone's width.
// Usage: node bench/web_first_report.mjs SITE_DIR FLOOR_DIR [RUNS]
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';

import { chromium } from 'playwright-core';

import { serve } from '../tests/web/static_server.mjs';

const [site, floor, runs = '10'] = process.argv.slice(2);
const ARGS = ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--no-first-run', '--accept-lang=en-US'];
const WAIT = { timeout: 60_000 };
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: ARGS });

// One first visit in a fresh profile: ms from navigation start to the report in the problem box.
async function firstReport(url, shown, viewport = { width: 1280, height: 720 }) {
  const context = await browser.newContext({ viewport });
  try {
    const page = await context.newPage();
    await page.goto(url, { waitUntil: 'commit' });
    await page.getByRole('button', { name: 'Изчисли', exact: true }).click(WAIT);
    return await (await page.waitForFunction(
      (text) => document.getElementById('Text1_0').value.startsWith(text) && performance.now(), shown, WAIT)).jsonValue();
  } catch (error) {
    throw new Error(`${url} at ${viewport.width} x ${viewport.height}: ${error.message}`);
  } finally {
    await context.close();
  }
}

// Weight: everything a first visit fetched, with the service worker done caching.
async function weigh(browser, label) {
  const host = await serve(site, { gzip: true });
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(host.url);
  await page.getByRole('button', { name: 'Изчисли', exact: true }).click(WAIT);
  await page.waitForFunction(() => document.getElementById('Text1_0').value.startsWith('Хоризонталната'), null, WAIT);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, WAIT);
  await page.evaluate(() => document.fonts.ready);
  await context.close();
  await host.close();
  let total = 0;
  let worker = 0;
  console.log(`${label}:`);
  for (const [path, bytes] of [...host.sent].sort((a, b) => b[1] - a[1])) {
    // The browser's own checks of the worker script and the manifest belong to the page; the rest
    // is the worker's caching of files that the page did not ask for (the font, the large icons).
    const checked = ['/sw.js', '/manifest.webmanifest'].includes(path) ? 0 : host.checked.get(path) ?? 0;
    console.log(`  ${path.padEnd(24)} ${String(bytes).padStart(7)} B${checked ? ` (${checked} B of it to the worker's check)` : ''}`);
    total += bytes;
    worker += checked;
  }
  const kib = (bytes) => `${bytes} B = ${(bytes / 1024).toFixed(1)} KiB`;
  console.log(`  first visit, gzip as served: ${kib(total)} (goal 56 KiB); the page itself ${kib(total - worker)} ` +
    `(goal 40 KiB where a serif face is installed), ` +
    `the worker's caching of what the page did not ask for ${kib(worker)}`);
}
await weigh(browser, 'with Times New Roman or Liberation Serif installed');
// A system without either face (a phone, say): fontconfig shown DejaVu alone.
const fonts = mkdtempSync(join(tmpdir(), 'korvane-fonts-'));
writeFileSync(join(fonts, 'fonts.conf'), `<?xml version="1.0"?>
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${fonts}/cache</cachedir></fontconfig>\n`);
const bare = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: ARGS,
  env: { ...process.env, FONTCONFIG_FILE: join(fonts, 'fonts.conf') } });
await weigh(bare, 'with neither face, so that the web font is fetched');
await bare.close();
rmSync(fonts, { recursive: true, force: true });
const wasm = readFileSync(join(site, 'korvane.wasm'));
console.log(`korvane.wasm: ${wasm.length} B, ${gzipSync(wasm, { level: 9 }).length} B gzip -9`);

// Time to the first report: the page, the floor, and the floor loading the core, taking turns.
const page = await serve(site, { gzip: true });
const floorHost = await serve(floor, { gzip: true });
const pages = { page: [page.url, 'Хоризонталната'], floor: [floorHost.url, '37'], 'floor + core': [`${floorHost.url}?core`, '37'] };
const times = { page: [], floor: [], 'floor + core': [] };
const PHONE = { width: 360, height: 640 };
const phone = { page: [], floor: [] };
await firstReport(page.url, 'Хоризонталната'); // warm the browser's own start-up paths once
for (let i = 0; i < Number(runs); ++i) {
  for (const [name, [url, shown]] of Object.entries(pages)) times[name].push(await firstReport(url, shown));
  for (const name of Object.keys(phone)) phone[name].push(await firstReport(...pages[name], PHONE));
}
await page.close();
await floorHost.close();
await browser.close();
const [p, f, c] = [median(times.page), median(times.floor), median(times['floor + core'])];
// Each round's own ratio too: the other load on a shared machine drifts less within a round.
const paired = (list) => median(list.map((t, i) => t / times.floor[i]));
console.log(`time to the first report, median of ${runs}: page ${p.toFixed(1)} ms, floor ${f.toFixed(1)} ms, ` +
  `ratio ${(p / f).toFixed(2)} (goal 1.1), median of the rounds' ratios ${paired(times.page).toFixed(2)}; ` +
  `the floor loading the core ${c.toFixed(1)} ms, ratio ${(c / f).toFixed(2)}, rounds ${paired(times['floor + core']).toFixed(2)}`);
for (const [name, list] of Object.entries(times)) console.log(`  ${name.padEnd(13)} ${list.map((t) => t.toFixed(0)).join(' ')}`);
const [pp, pf] = [median(phone.page), median(phone.floor)];
const phoneRounds = median(phone.page.map((t, i) => t / phone.floor[i]));
console.log(`the same at a phone's ${PHONE.width} x ${PHONE.height} (one column): page ${pp.toFixed(1)} ms, floor ${pf.toFixed(1)} ms, ` +
  `ratio ${(pp / pf).toFixed(2)} (goal 1.1), median of the rounds' ratios ${phoneRounds.toFixed(2)}`);
for (const [name, list] of Object.entries(phone)) console.log(`  ${name.padEnd(13)} ${list.map((t) => t.toFixed(0)).join(' ')}`);
