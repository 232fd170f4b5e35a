// The web page end to end in one browser engine (KORVANE_ENGINE: chromium, firefox or
// webkit; tests/web/engines.mjs drives each): the same scenarios in every engine. The
// window as the form lays it out and its names, the example report in English and
// Bulgarian, Return, Clear, the error line, pasted text, typing before the module runs,
// a missing or mislabelled core, a phone's width and zoom, axe-core's checks, and
// offline use and updates through the service worker.
// In: KORVANE_WEB_SITE, the folder that `make web` builds; screenshots go to KORVANE_SHOTS.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import { ENGINES, WAIT, missingBinaries } from './engines.mjs';
import { serve } from './static_server.mjs';
import { errorLine, pinnedLines, reports } from '../cases/cases.mjs';
import { CORE_MISSING, CORE_OFFLINE, SERVE_FROM_HOST } from '../../web/korvane.mjs';

const ENGINE = process.env.KORVANE_ENGINE ?? 'chromium';
const SITE = process.env.KORVANE_WEB_SITE;
const SHOTS = process.env.KORVANE_SHOTS ?? tmpdir();
const ROOT = new URL('../..', import.meta.url).pathname;
const AXE = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const EXAMPLE = reports.Example.inputs;
const form = JSON.parse(execFileSync('/usr/bin/python3', [join(ROOT, 'ui', 'form.py')], { encoding: 'utf8' }));
const visible = form.controls.filter((c) => c.visible);
const idOf = (c) => (c.index === null ? c.name : `${c.name}_${c.index}`);
const INPUTS = ['Text2_0', 'Text2_1', 'Text2_2'];

// Fills the three boxes, presses "Изчисли" (or Return) and gives the problem box's lines.
async function calculate(session, inputs, how = 'click') {
  await session.evaluate((ids, values) => {
    ids.forEach((id, i) => { document.getElementById(id).value = values[i]; });
    document.getElementById('Text1_0').value = '';
  }, INPUTS, inputs);
  if (how === 'click') {
    await session.click('Command1_0');
  } else {
    await session.evaluate(() => document.getElementById('Text2_1').focus());
    await session.press('Enter');
  }
  return (await session.waitFor(() => document.getElementById('Text1_0').value)).split('\n');
}

// Asserts that the problem box's lines, as `calculate` gives them, are what a case of report.txt pins.
function assertShows(lines, name, message) {
  const pinned = reports[name].error ? pinnedLines(name) : [...pinnedLines(name), ''];
  assert.deepEqual(lines.map((line, i) => (pinned[i] === undefined ? undefined : line)), pinned, message ?? name);
}
const calculates = async (session, name, message) => assertShows(await calculate(session, reports[name].inputs), name, message);

// Waits as waitFor does; if in vain, the message also gives the page's worker and caches as they stand.
const waitForWorker = (session, fn) => session.waitFor(fn).catch(async (error) => {
  const state = await session.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    return { controlled: navigator.serviceWorker.controller !== null, caches: await caches.keys(),
      installing: registration?.installing?.state, waiting: registration?.waiting?.state, active: registration?.active?.state };
  }).catch(String);
  throw new Error(`${error.message}\nthe worker and caches: ${JSON.stringify(state)}`);
});
// The first visit's worker has installed and taken over: a visit from now on is served from its cache.
const activated = (session) =>
  waitForWorker(session, async () => (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated');
// The page's own service worker controls it and its one cache (named after its folder) holds every file of the site's list.
const cached = (session) => waitForWorker(session, async () => {
  if (!navigator.serviceWorker.controller) return false;
  const names = (await caches.keys()).filter((name) => name.startsWith(`korvane ${new URL('./', location.href)} `));
  if (names.length !== 1) return false;
  return (await (await caches.open(names[0])).keys()).map((r) => new URL(r.url).pathname).sort();
});
const siteFiles = (site) => {
  const listing = readFileSync(join(site, 'sw.js'), 'utf8').match(/const FILES = (\{[^}]*\})/)[1];
  return Object.keys(JSON.parse(listing)).map((name) => `/${name}`).sort();
};

// axe-core's violations for the page as it stands, injected by the driver (the page's policy allows no other script).
async function axeViolations(session) {
  if (!(await session.evaluate(() => 'axe' in globalThis))) await session.inject(AXE);
  return session.evaluate(async () => (await axe.run(document, { resultTypes: ['violations'] })).violations
    .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
}

// Every element whose content is cut off or spills out of its box, at the current width.
const clipped = (session) => session.evaluate(() => [...document.querySelectorAll('#Korvane *')]
  .filter((e) => e.id !== 'announcer' && e.tagName !== 'TEXTAREA' && e.offsetParent !== null)
  .filter((e) => e.scrollWidth > e.clientWidth + 1 || e.scrollHeight > e.clientHeight + 1)
  .map((e) => `${e.id || e.tagName}: ${e.scrollWidth}x${e.scrollHeight} in ${e.clientWidth}x${e.clientHeight}`));

// Whatever sticks out to the right: scrolling across, or an element past the view's right edge.
const across = (session) => session.evaluate(() => [document.scrollingElement.scrollWidth - document.scrollingElement.clientWidth,
  ...[...document.querySelectorAll('#Korvane *')].filter((e) => e.getBoundingClientRect().right > innerWidth + 0.5)
    .map((e) => e.id || e.tagName)]);

// The text spacing that WCAG 1.4.12 asks a page to bear.
const SPACING = '* { line-height: 1.5 !important; letter-spacing: 0.12em !important; word-spacing: 0.16em !important; }';
const spaced = (session, on) => session.evaluate((css, wanted) => {
  const sheet = new CSSStyleSheet();
  sheet.replaceSync(css);
  document.adoptedStyleSheets = wanted ? [sheet] : [];
}, SPACING, on);

let host;
let open;
const hostOptions = {};
before(async () => {
  assert.ok(SITE && existsSync(join(SITE, 'index.html')), `no page in ${SITE}: build it with make web`);
  const missing = missingBinaries(ENGINE);
  assert.deepEqual(missing, [], `${ENGINE} is not installed: scripts/install-deps.sh web`);
  open = ENGINES[ENGINE];
  host = await serve(SITE, hostOptions);
});
after(() => host?.close());

describe(`${ENGINE}: in English`, () => {
  let session;
  let firstVisit;
  before(async () => {
    session = await open({ language: 'en-US' });
    writeFileSync(join(SHOTS, `web-${ENGINE}-version.txt`), `${session.version}\n`);
    await session.goto(host.url);
  });
  // What the first visit's page downloaded itself, read before it is first reloaded.
  const readFirstVisit = async () => {
    firstVisit ??= await session.evaluate(() => performance.getEntriesByType('resource').map((e) => new URL(e.name).pathname));
  };
  after(() => session?.close());

  test('opens as the window: caption, heading, names of the boxes, example inputs, the problem statement', async () => {
    const shown = await session.evaluate((ids) => ({
      title: document.title,
      lang: document.documentElement.lang,
      h1: [...document.querySelectorAll('h1')].map((h) => h.textContent),
      boxes: ids.map((id) => {
        const box = document.getElementById(id);
        const names = box.getAttribute('aria-labelledby')?.split(' ').map((n) => document.getElementById(n).textContent)
          ?? [...box.labels].map((label) => label.textContent);
        return [names.join(' ').trim(), box.value, box.maxLength, box.inputMode];
      }),
      buttons: [...document.querySelectorAll('button')].map((b) => b.textContent),
      problem: document.getElementById('Text1_0').value,
      readOnly: document.getElementById('Text1_0').readOnly,
      motto: document.body.textContent.includes('Неприятното'),
    }), INPUTS);
    assert.deepEqual(shown, {
      title: `www.korvane.example\u00a0\u00a0${form.caption_text}`,
      lang: 'bg',
      h1: [visible.find((c) => c.name === 'Label1').text],
      boxes: [['Дължина на флаг', '37', 4, 'decimal'], ['Ширина на флаг', '28', 4, 'decimal'],
        ['Площ на кръста %', '50', 4, 'decimal']],
      buttons: ['Изчисли', 'Изчисти'],
      problem: form.controls[0].text,
      readOnly: true,
      motto: false,
    });
    // The web font is used only where Times New Roman is missing, so here it is loaded by hand.
    assert.equal(await session.evaluate(async () => (await new FontFace('probe', 'url(korvane-serif.woff2)').load()).status),
      'loaded');
  });

  test('every control at its place and size, in its colour, as the form lays it out', async () => {
    const shown = await session.evaluate(() => {
      const origin = document.getElementById('Korvane').getBoundingClientRect();
      const look = (e) => {
        const r = e.getBoundingClientRect();
        return { x: r.left - origin.left, y: r.top - origin.top, width: r.width, height: r.height,
          background: getComputedStyle(e).backgroundColor };
      };
      return { window: look(document.getElementById('Korvane')),
        controls: Object.fromEntries([...document.querySelectorAll('[id]')].map((e) => [e.id, look(e)])) };
    });
    assert.deepEqual([shown.window.width, shown.window.height], [form.width, form.height]);
    assert.equal(shown.window.background, `rgb(${form.background.join(', ')})`);
    for (const c of visible) {
      const s = shown.controls[idOf(c)];
      assert.ok(s, `${idOf(c)} is on the page`);
      for (const key of ['x', 'y', 'width', 'height']) assert.ok(Math.abs(s[key] - c[key]) < 0.5, `${idOf(c)} ${key}: ${s[key]}`);
      if (c.background) assert.equal(s.background, `rgb(${c.background.join(', ')})`, `${idOf(c)} colour`);
    }
  });

  test('Tab walks the controls in the form\'s tab order', async () => {
    const focusable = visible.filter((c) => ['input', 'button', 'textbox'].includes(c.kind)).map(idOf);
    await session.evaluate(() => document.getElementById('Text1_0').focus());
    const order = [];
    for (let i = 0; i < focusable.length; ++i) {
      order.push(await session.evaluate(() => document.activeElement.id));
      await session.press('Tab');
    }
    assert.deepEqual(order, focusable);
  });

  test('"Изчисли" gives the example report, and the status region says it as one line', async () => {
    const lines = await calculate(session, EXAMPLE);
    assertShows(lines, 'Example');
    const live = await session.evaluate(() => {
      const region = document.querySelector('[role="status"]');
      return [region.getAttribute('aria-live'), region.textContent];
    });
    assert.deepEqual(live, ['polite', lines.slice(0, 8).join(' ')]);
  });

  test('Return calculates, and a second report replaces the first; Return while an input method composes does not', async () => {
    const { inputs } = reports.WholeSquareFlagAtHundredPercent;
    await calculate(session, inputs, 'Enter');
    assertShows(await calculate(session, inputs, 'Enter'), 'WholeSquareFlagAtHundredPercent');
    const composing = [{ isComposing: true }, { keyCode: 229 }];
    const after = await session.evaluate(async (events) => {
      const problem = document.getElementById('Text1_0');
      problem.value = '';
      for (const init of events) {
        const event = new KeyboardEvent('keydown', { key: 'Enter', bubbles: true, cancelable: true, ...init });
        if (init.keyCode) Object.defineProperty(event, 'keyCode', { value: init.keyCode });
        document.getElementById('Text2_0').dispatchEvent(event);
      }
      // The core is ready, so a calculation that Return started would be done within the current
      // task's promise jobs, before the next task.
      await new Promise((resolve) => setTimeout(resolve, 0));
      return problem.value;
    }, composing);
    assert.equal(after, '');
  });

  test('an input box refuses a fifth character, and pasted text keeps no control characters', async () => {
    // What the box holds before, with the caret after its first character; what is typed after.
    const rows = [
      ['typed', '12345', '1234'],
      ['pasted', '98765', '9876'],
      ['pasted with a tab and a bell', '1\t2\u0007', '12'],
      ['pasted with a zero-width space', '3\u200b7', '37'],
      ['a tab pasted after the 3 of 37, then 1 typed: the caret stays where the tab went', '\t', '317', '37', '1'],
    ];
    for (const [how, text, kept, before = '', after = ''] of rows) {
      await session.evaluate((value) => {
        const box = document.getElementById('Text2_0');
        box.value = value;
        box.focus();
        box.setSelectionRange(1, 1);
      }, before);
      if (how === 'typed') await session.type('Text2_0', text);
      else await session.evaluate((t) => document.execCommand('insertText', false, t), text);
      if (after) await session.press(after);
      assert.equal(await session.evaluate(() => document.getElementById('Text2_0').value), kept, how);
    }
  });

  test('"Изчисти" empties the inputs, the problem box and the status region; "Изчисли" then gives the error line', async () => {
    await calculate(session, EXAMPLE);
    for (let i = 0; i < 2; ++i) await session.click('Command1_1');
    const emptied = await session.evaluate(() => ['Text2_0', 'Text2_1', 'Text2_2', 'Text1_0', 'announcer']
      .map((id) => document.getElementById(id).value ?? document.getElementById(id).textContent));
    assert.deepEqual(emptied, ['', '', '', '', '']);
    await session.click('Command1_0');
    await session.waitFor((line) => document.getElementById('Text1_0').value === line, errorLine);
    await calculates(session, 'NoRealRoot');
  });

  test('larger letter, word and line spacing clip nothing: the window then flows in one column', async () => {
    await spaced(session, true);
    await session.waitFor(() => document.documentElement.classList.contains('flow'));
    assert.deepEqual(await clipped(session), []);
    assert.deepEqual(await across(session), [0]);
    await session.screenshot(join(SHOTS, `web-${ENGINE}-spaced.png`));
    await spaced(session, false);
    await session.waitFor(() => !document.documentElement.classList.contains('flow'));
    const width = await session.evaluate(() => document.getElementById('Korvane').getBoundingClientRect().width);
    assert.equal(width, form.width, 'the window again as the form lays it out');
  });

  test('axe-core finds nothing at the window\'s width', async () => {
    assert.deepEqual(await axeViolations(session), []);
  });

  test('a phone\'s width: one column, text of 16 px, targets of 44 x 44 px, nothing clipped, no scrolling across', async () => {
    await session.setViewport(360, 640);
    try {
      await session.waitFor(() => getComputedStyle(document.getElementById('Frame1')).display === 'grid');
      const shown = await session.evaluate(() => {
        const box = (id) => document.getElementById(id).getBoundingClientRect();
        const ids = ['Label1_0', 'Picture1', 'Text2_0', 'Text2_1', 'Text2_2', 'Command1_0', 'Text1_0'];
        const small = [...document.querySelectorAll('#Korvane h1, label, p, input, button, textarea, legend')]
          .filter((e) => parseFloat(getComputedStyle(e).fontSize) < 16).map((e) => e.id || e.tagName);
        const targets = [...document.querySelectorAll('input, button')].map((e) => e.getBoundingClientRect())
          .filter((r) => r.width < 44 || r.height < 44).length;
        const tops = ids.map((id) => box(id).top);
        return {
          columnOrder: tops.every((top, i) => i === 0 || top > tops[i - 1]),
          small, targets,
        };
      });
      assert.deepEqual(shown, { columnOrder: true, small: [], targets: 0 });
      assert.deepEqual(await across(session), [0]);
      assert.deepEqual(await clipped(session), []);
      await calculates(session, 'Example', 'a tap calculates');
      await spaced(session, true);
      assert.deepEqual(await clipped(session), [], 'with larger text spacing');
      assert.deepEqual(await across(session), [0], 'with larger text spacing');
      await spaced(session, false);
      assert.deepEqual(await axeViolations(session), []);
      await session.screenshot(join(SHOTS, `web-${ENGINE}-360.png`));
      // A window of 1280 pixels at 400 % zoom: 320 CSS pixels, four device pixels each.
      if (ENGINE !== 'webkit') {
        await session.setViewport(320, 180, 4);
        assert.deepEqual(await across(session), [0]);
        assert.deepEqual(await clipped(session), []);
        await session.screenshot(join(SHOTS, `web-${ENGINE}-1280-zoom400.png`), { fullPage: true });
      }
    } finally {
      await session.setViewport(800, 600);
    }
  });

  test('installable: a manifest and a service worker that controls the page', { skip: !['chromium'].includes(ENGINE) }, async () => {
    await readFirstVisit();
    await activated(session);
    await session.reload();
    await session.waitFor(() => navigator.serviceWorker.controller !== null);
    assert.deepEqual(await session.installabilityErrors(), []);
  });

  test('offline after the first visit: every file is cached, fetched once; the page opens at /, /index.html and /?anything', async () => {
    await readFirstVisit();
    await activated(session);
    await session.reload();
    assert.deepEqual(await cached(session), siteFiles(SITE));
    assert.deepEqual(firstVisit.filter((path) => path === '/korvane.wasm'), ['/korvane.wasm'], 'the core fetched once');
    hostOptions.down = true;
    try {
      for (const path of ['', 'index.html', '?anything']) {
        await session.goto(host.url + path);
        await calculates(session, 'Example', path);
      }
    } finally {
      hostOptions.down = false;
    }
  });

  test('private and quiet: only its own files, each fetched in full once, nothing stored but its cache, no errors in the console', async () => {
    const kept = await session.evaluate(async () => [
      performance.getEntriesByType('resource').filter((e) => new URL(e.name).origin !== location.origin).length,
      localStorage.length, sessionStorage.length, document.cookie, (await indexedDB.databases?.())?.length ?? 0,
      (await caches.keys()).filter((name) => !name.startsWith(`korvane ${new URL('./', location.href)} `)),
    ]);
    assert.deepEqual(kept, [0, 0, 0, '', 0, []]);
    // Every request that reached the host since the first visit: the worker's update checks, and the site's files.
    const files = new Set(['/', '/sw.js', ...siteFiles(SITE)]);
    assert.deepEqual(host.requests.filter((path) => !files.has(path)), []);
    // The worker checks the page itself at the address it was opened by, and the other files too,
    // with the browser's HTTP cache: not modified, except under WebKit, whose worker does not share it.
    const once = ENGINE === 'webkit' ? 2 : 1;
    const again = [...host.bodies].filter(([path, count]) => path !== '/sw.js' && (count > once || path === '/index.html'));
    assert.deepEqual(again, []);
    assert.deepEqual(await session.problems(), []);
  });

  test('the core missing, mislabelled, out of reach or slow: "Изчисти" still works and "Изчисли" says why in one line', async () => {
    // One host, whose behaviour changes from row to row: with a new host for each row, WebKitGTK
    // 2.54's network process now and then failed every request after the cut connection's row (with
    // libsoup's "SOUP_IS_SESSION_FEATURE" criticals). The row whose core arrives whole comes last, as
    // the page's worker installs from it and would serve the core to the rows after it.
    const rows = [
      ['missing', { missing: ['/korvane.wasm'] }, CORE_MISSING],
      ['missing, with an error page labelled application/wasm', { missing: ['/korvane.wasm'], types: { '/korvane.wasm': 'application/wasm' } },
        CORE_MISSING],
      ['connection cut', { cut: ['/korvane.wasm'] }, CORE_OFFLINE],
      ['sent as application/octet-stream', { types: { '/korvane.wasm': 'application/octet-stream' } }, null],
    ];
    const behaviour = {};
    const broken = await serve(SITE, behaviour);
    try {
      for (const [name, options, line] of rows) {
        for (const key of Object.keys(behaviour)) delete behaviour[key];
        Object.assign(behaviour, options);
        await session.goto(broken.url);
        await session.click('Command1_1');
        assert.equal(await session.evaluate(() => document.getElementById('Text2_0').value), '', `${name}: cleared`);
        const lines = await calculate(session, EXAMPLE);
        if (line) assert.deepEqual(lines, [line], name);
        else assertShows(lines, 'Example', name);
      }
    } finally {
      await broken.close();
    }
    // A core on its way: "Изчисти" pressed after "Изчисли" waits for it, so that it clears last.
    const slow = await serve(SITE, { held: ['/korvane.wasm'] });
    try {
      await session.goto(slow.url);
      await session.click('Command1_0');
      await session.click('Command1_1');
      assert.equal(await session.evaluate(() => document.getElementById('Text2_0').value), '37', '"Изчисти" waits');
      slow.release();
      await session.waitFor(() => document.getElementById('Text2_0').value === '');
      assert.deepEqual(await session.evaluate(() => [document.getElementById('Text1_0').value,
        document.getElementById('announcer').textContent]), ['', '']);
    } finally {
      await slow.close();
    }
  });

  test('what is typed before the module has run is kept, with the focus', async () => {
    const slow = await serve(SITE, { held: ['/korvane.mjs'] });
    try {
      // Nothing waits for the page to load: the test waits for what the user sees, its address and
      // its boxes, and, once the user has typed, the end of its loading.
      await session.open(slow.url);
      await session.waitFor((url) => location.href === url && document.getElementById('Text2_1')?.getClientRects().length > 0,
        slow.url);
      await session.evaluate(() => {
        const box = document.getElementById('Text2_1');
        box.focus();
        box.select();
      });
      const [length, width] = reports.WidthTypedAsTwelve.inputs;
      await session.type('Text2_1', width);
      slow.release();
      await session.waitFor(() => document.readyState === 'complete');
      assert.deepEqual(await session.evaluate(() => [document.getElementById('Text2_0').value,
        document.getElementById('Text2_1').value, document.activeElement.id]), [length, width, 'Text2_1']);
      await session.click('Command1_0');
      const lines = (await session.waitFor(() => document.getElementById('Text1_0').value.includes('*x'))
        && await session.evaluate(() => document.getElementById('Text1_0').value)).split('\n');
      assertShows(lines, 'WidthTypedAsTwelve');
    } finally {
      await slow.close();
    }
  });

  test('opened as a file, it says how to open it instead; served from a folder, it works offline there', async () => {
    // Each engine's own line: Chromium and WebKit run no module from a file, so the page's inline
    // script says how to open it, and "Изчисли" says it again; Firefox runs the module from a file,
    // and the page then works as served, without its worker.
    await session.goto(`file://${SITE}/index.html`);
    const said = ENGINE === 'firefox' ? form.controls[0].text : SERVE_FROM_HOST;
    assert.equal(await session.evaluate(() => document.getElementById('Text1_0').value), said, 'as it opens');
    // The way it names is one that a school with the released folder has: no make, no build.
    assert.match(SERVE_FROM_HOST, /python3 -m http\.server/);
    assert.doesNotMatch(SERVE_FROM_HOST, /\bmake\b/);
    const lines = await calculate(session, EXAMPLE);
    if (ENGINE === 'firefox') assertShows(lines, 'Example');
    else assert.deepEqual(lines, [SERVE_FROM_HOST], '"Изчисли"');
    const root = mkdtempSync(join(tmpdir(), 'korvane-host-'));
    cpSync(SITE, join(root, 'maths', 'korvane'), { recursive: true });
    const options = {};
    const school = await serve(root, options);
    try {
      await session.goto(`${school.url}maths/korvane/`);
      await activated(session);
      await session.reload();
      assert.deepEqual(await cached(session), siteFiles(SITE).map((path) => `/maths/korvane${path}`));
      options.down = true;
      await session.reload();
      await calculates(session, 'Example', 'offline');
    } finally {
      await school.close();
      rmSync(root, { recursive: true, force: true });
    }
  });

});

describe(`${ENGINE}: updates`, () => {
  let session;
  let site;
  let host;
  // What the host does, changed as the scenario goes: it sends the security headers that the README
  // asks for with the page, and lets browsers keep the worker for an hour without asking, as many
  // hosts let them keep every script: a new release must show all the same.
  const SECURITY = { 'Content-Security-Policy': "frame-ancestors 'none'", 'X-Content-Type-Options': 'nosniff',
    'Referrer-Policy': 'no-referrer', 'Permissions-Policy': 'camera=()' };
  const hosting = { headers: { '/': SECURITY, '/sw.js': { 'Cache-Control': 'max-age=3600' } } };
  // Puts release n on the host: its page, style sheet and module each say n, and its worker lists
  // them (built from `worker`, the worker's source, or a change of it). `but` names a file left as it
  // was, as if still uploading.
  const deploy = (n, { worker = join(ROOT, 'web', 'sw.js'), but } = {}) => {
    const previous = but && readFileSync(join(site, but));
    const mark = { 'index.html': (t) => t.replace('</body>', `<!-- release ${n} --></body>`),
      'korvane.css': (t) => `${t}:root { --release: ${n}; }\n`,
      'korvane.mjs': (t) => `${t}document.documentElement.dataset.release = '${n}';\n` };
    for (const [name, marked] of Object.entries(mark)) writeFileSync(join(site, name), marked(readFileSync(join(SITE, name), 'utf8')));
    execFileSync('/usr/bin/python3', [join(ROOT, 'web', 'emit_site.py'), '--worker-only', '--out', site, '--worker', worker]);
    if (but) writeFileSync(join(site, but), previous);
  };
  // The release that the page's HTML, style and module came from, and that of a style sheet it loads now.
  const shown = (tab = session) => tab.evaluate(async () => ({
    html: document.body.innerHTML.match(/release (\d+)/)?.[1] ?? null,
    style: getComputedStyle(document.documentElement).getPropertyValue('--release').trim(),
    module: document.documentElement.dataset.release ?? null,
    later: (await (await fetch('korvane.css')).text()).match(/--release: (\d+)/)?.[1] ?? null,
  }));
  const release = (n) => ({ html: n, style: n, module: n, later: n });
  const cacheNames = () => session.evaluate(async () => (await caches.keys()).sort());
  // Caches that are not the page's own: another app's, a copy of the page in another folder (named
  // as now, and as before caches were named after their folder), and this page's own from then.
  const OTHERS = (origin) => [['another-app', '/another-app/index.html'], [`korvane ${origin}copy/ 0123456789abcdef`, '/copy/index.html'],
    ['korvane-0123456789abcdef', '/copy/index.html']];

  before(async () => {
    site = mkdtempSync(join(tmpdir(), 'korvane-site-'));
    cpSync(SITE, site, { recursive: true });
    deploy(1);
    host = await serve(site, hosting);
    session = await open({ language: 'en-US' });
    await session.goto(host.url);
  });
  after(async () => {
    await session?.close();
    await host?.close();
    rmSync(site, { recursive: true, force: true });
    rmSync(`${site}-sw.js`, { force: true });
  });

  // The new release's worker installs, or fails to; gives its state after, or where it stays
  // (within half the driver's script time-out, so that the test says where it stopped).
  const update = () => session.evaluate(async (bound) => {
    const registration = await navigator.serviceWorker.getRegistration();
    const within = (promise, what) => Promise.race([promise, new Promise((resolve, reject) => {
      setTimeout(() => reject(new Error(`${what} after ${bound} ms`)), bound);
    })]);
    await within(registration.update().catch(() => {}), 'no answer from update()');
    const worker = registration.installing ?? registration.waiting;
    if (worker) {
      await within(new Promise((resolve) => {
        const done = () => ['installed', 'redundant', 'activated'].includes(worker.state) && resolve();
        worker.addEventListener('statechange', done);
        done();
      }), `the new worker still ${worker.state}`);
    }
    return { state: worker?.state ?? null, waiting: registration.waiting !== null };
  }, WAIT / 2).catch((error) => {
    throw new Error(`${error.message}; the host's last requests: ${host.requests.slice(-12).join(' ')}`);
  });

  test('a half-uploaded release, or a worker-only one whose download fails, is not installed; the one in use stays whole, offline too', async () => {
    assert.deepEqual(await cached(session), siteFiles(site));
    assert.deepEqual(await shown(), release('1'));
    await session.evaluate(async (others) => {
      for (const [name, page] of others) await (await caches.open(name)).put(page, new Response('another page'));
      await (await caches.open('korvane-fedcba9876543210')).put('index.html', new Response('this page, as kept before'));
    }, OTHERS(host.url));
    const before = await cacheNames();
    deploy(2, { but: 'korvane.css' });
    assert.deepEqual(await update(), { state: 'redundant', waiting: false }, 'half uploaded');
    assert.deepEqual(await cacheNames(), before, 'half uploaded');
    // A fix to the worker alone, and one file that does not come.
    writeFileSync(`${site}-sw.js`, `${readFileSync(join(ROOT, 'web', 'sw.js'), 'utf8')}\nself.fixed = true;\n`);
    deploy(1, { worker: `${site}-sw.js` });
    hosting.cut = ['/flag.jpg'];
    try {
      assert.deepEqual(await update(), { state: 'redundant', waiting: false }, 'worker only');
    } finally {
      hosting.cut = [];
    }
    assert.deepEqual(await cacheNames(), before, 'worker only: no cache touched, none left behind');
    hosting.down = true;
    try {
      await session.reload();
      assert.deepEqual(await shown(), release('1'), 'offline');
      await calculates(session, 'Example', 'offline');
    } finally {
      hosting.down = false;
    }
    deploy(1);
  });

  test('a complete release: open pages keep theirs, one reload shows it whole at once, other caches stay', async () => {
    deploy(2);
    assert.deepEqual(await update(), { state: 'installed', waiting: true });
    const before = await shown();
    assert.deepEqual(before, release('1'), 'the open page keeps its own release');
    // A second tab opened meanwhile: a whole release there, and still release 1 in the first.
    const second = await session.openTab();
    try {
      await second.goto(host.url);
      const there = await shown(second);
      assert.equal(new Set(Object.values(there)).size, 1, `one release in the second tab: ${JSON.stringify(there)}`);
      assert.deepEqual(await shown(), release('1'), 'the first tab, beside a second one');
    } finally {
      await second.close();
    }
    const start = Date.now();
    await session.reload();
    const took = Date.now() - start;
    const after = await shown();
    writeFileSync(join(SHOTS, `web-${ENGINE}-update.txt`),
      `${session.version}\nbefore: ${JSON.stringify(before)}\nreload after a deploy: ${took} ms\nafter: ${JSON.stringify(after)}\n`);
    assert.deepEqual(after, release('2'));
    assert.ok(took < 3000, `the reload took ${took} ms`);
    assert.deepEqual(await cached(session), siteFiles(site));
    const names = await cacheNames();
    for (const [name] of OTHERS(host.url)) assert.ok(names.includes(name), `${name} kept`);
    assert.ok(!names.includes('korvane-fedcba9876543210'), 'this page\'s cache from before caches were named after their folder removed');
  });

  test('offline, the new release whole, with the host\'s security headers: no other page can frame it', async () => {
    hosting.down = true;
    try {
      await session.reload();
      assert.deepEqual(await shown(), release('2'));
      await calculates(session, 'Example');
    } finally {
      hosting.down = false;
    }
    // The host stops sending its headers: the page in a frame comes from the cache, with those it kept.
    hosting.headers = {};
    writeFileSync(join(site, 'frame.html'), '<!doctype html><iframe src="./?framed" onload="document.title = \'loaded\'"></iframe>');
    await session.goto(`${host.url}frame.html`);
    await session.waitFor(() => document.title === 'loaded');
    assert.equal(await session.evaluate(() => {
      try {
        return document.querySelector('iframe').contentDocument?.getElementById('Korvane')?.id ?? null;
      } catch {
        return null;
      }
    }), null, 'the page shown in a frame');
  });
});

describe(`${ENGINE}: in Bulgarian`, () => {
  let session;
  before(async () => {
    session = await open({ language: 'bg' });
  });
  after(() => session?.close());

  test('the report uses the decimal comma and groups with a no-break space from five digits on', async () => {
    await session.goto(host.url);
    await calculates(session, 'ExampleInBulgarian');
    await calculates(session, 'BulgarianGroupsFromFiveDigits');
  });
});
