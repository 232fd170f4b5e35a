// The web page end to end in Debian's headless Chromium, driven by playwright-core:
// the controls by their accessible names and at their places from the form, the
// example report in English and Bulgarian, the input limit, Return, Clear, the error
// line, installability, a phone's width, privacy, and a reload with the host gone.
// In: KORVANE_WEB_SITE, the folder that `make web` builds.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import { chromium } from 'playwright-core';

import { serve } from './static_server.mjs';

const SITE = process.env.KORVANE_WEB_SITE;
const ROOT = new URL('../..', import.meta.url).pathname;
const WAIT = { timeout: 60_000 }; // generous: CI is a loaded two-core machine
const ERROR_LINE = 'Некоректни входни данни!';
const HEAD = [
  'Хоризонталната и вертикална част на кръста образуват квадрат.',
  'Квадратът участва едновременно в хоризонталната и вертикалната лента на кръста.',
  'Съставя се квадратно уравнение за x - дебелина: ',
];
const form = JSON.parse(execFileSync('/usr/bin/python3', [join(ROOT, 'ui', 'form.py')], { encoding: 'utf8' }));

// One browser with its own fresh profile, speaking `language`.
async function openBrowser(language) {
  const profile = mkdtempSync(join(tmpdir(), 'korvane-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 800, height: 600 },
    timeout: WAIT.timeout,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', `--accept-lang=${language}`],
  });
  context.setDefaultTimeout(WAIT.timeout);
  const page = context.pages()[0] ?? (await context.newPage());
  const problems = [];
  page.on('console', (m) => m.type() === 'error' && problems.push(m.text()));
  page.on('pageerror', (e) => problems.push(String(e)));
  return {
    context, page, problems,
    close: async () => {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

const box = (page, name) => page.getByRole('textbox', { name, exact: true });
const problemBox = (page) => box(page, 'Задача и решение');

async function calculate(page, inputs, how = 'click') {
  const names = ['Дължина на флаг', 'Ширина на флаг', 'Площ на кръста'];
  for (let i = 0; i < 3; ++i) await box(page, names[i]).fill(inputs[i]);
  await page.evaluate(() => { document.getElementById('Text1_0').value = ''; });
  if (how === 'click') await page.getByRole('button', { name: 'Изчисли', exact: true }).click();
  else await box(page, names[1]).press('Enter');
  await page.waitForFunction(() => document.getElementById('Text1_0').value !== '', null, WAIT);
  return (await problemBox(page).inputValue()).split('\n');
}

let host;
before(async () => {
  assert.ok(SITE && existsSync(join(SITE, 'index.html')), `no page in ${SITE}: build it with make web`);
  host = await serve(SITE);
});
after(() => host?.close());

describe('in English', () => {
  let browser;
  let page;
  const requests = [];
  before(async () => {
    browser = await openBrowser('en-US');
    page = browser.page;
    page.on('request', (r) => requests.push(r.url()));
    await page.goto(host.url);
  });
  after(() => browser?.close());

  test('opens as the window: caption, language, controls by name, example inputs, the problem statement', async () => {
    assert.equal(await page.title(), `www.korvane.example\u00a0\u00a0${form.caption_text}`);
    assert.equal(await page.locator('html').getAttribute('lang'), 'bg');
    const inputs = [['Дължина на флаг', '37'], ['Ширина на флаг', '28'], ['Площ на кръста', '50']];
    for (const [name, value] of inputs) {
      const input = box(page, name);
      assert.equal(await input.inputValue(), value, name);
      assert.equal(await input.getAttribute('maxlength'), '4');
      assert.equal(await input.getAttribute('inputmode'), 'decimal');
    }
    for (const name of ['Изчисли', 'Изчисти']) await page.getByRole('button', { name, exact: true }).waitFor();
    await page.getByRole('img', { name: 'Датският флаг' }).waitFor();
    assert.equal(await problemBox(page).getAttribute('readonly'), '');
    assert.equal(await problemBox(page).inputValue(), form.controls[0].text);
    assert.equal(await page.getByText('Неприятното').count(), 0, 'the motto stays hidden');
    // The web font is used only where Times New Roman is missing, so here it is loaded by hand.
    assert.equal(await page.evaluate(async () => (await new FontFace('probe', 'url(korvane-serif.woff2)').load()).status),
      'loaded');
  });

  test('every control at its place and size, in its colour, as the form lays it out', async () => {
    const shown = await page.evaluate(() => {
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
    for (const c of form.controls.filter((control) => control.visible)) {
      const id = c.index === null ? c.name : `${c.name}_${c.index}`;
      const s = shown.controls[id];
      assert.ok(s, `${id} is on the page`);
      for (const key of ['x', 'y', 'width', 'height']) assert.ok(Math.abs(s[key] - c[key]) < 0.5, `${id} ${key}: ${s[key]}`);
      if (c.background) assert.equal(s.background, `rgb(${c.background.join(', ')})`, `${id} colour`);
    }
  });

  test('Tab walks the controls in the form\'s tab order', async () => {
    const focusable = form.controls.filter((c) => c.visible && ['input', 'button', 'textbox'].includes(c.kind))
      .map((c) => `${c.name}_${c.index}`);
    await page.locator('#Text1_0').focus();
    const order = [];
    for (let i = 0; i < focusable.length; ++i) {
      order.push(await page.evaluate(() => document.activeElement.id));
      await page.keyboard.press('Tab');
    }
    assert.deepEqual(order, focusable);
  });

  test('"Изчисли" gives the example report and a screen reader hears it', async () => {
    const lines = await calculate(page, ['37', '28', '50']);
    assert.deepEqual(lines, [...HEAD, '37*x + 28*x - x*x = 37*28*0.5', 'x*x - 65*x + 518 = 0', 'Площ на флага: 1036',
      'Площ на кръста: 518.000', 'Дебелина на кръста: 9.300', '']);
    const live = page.getByRole('status');
    assert.equal(await live.getAttribute('aria-live'), 'polite');
    assert.match(await live.textContent(), /Дебелина на кръста: 9\.300/);
  });

  test('Return in an input box calculates; a second report replaces the first', async () => {
    await calculate(page, ['20', '20', '100'], 'Enter');
    const lines = await calculate(page, ['20', '20', '100'], 'Enter');
    assert.equal(lines.length, 9);
    assert.equal(lines[7], 'Дебелина на кръста: 20.000');
  });

  test('an input box refuses a fifth character, typed or pasted', async () => {
    const length = box(page, 'Дължина на флаг');
    await length.fill('');
    await length.pressSequentially('12345');
    assert.equal(await length.inputValue(), '1234');
    await length.fill('');
    await length.focus();
    await page.evaluate(() => document.execCommand('insertText', false, '98765'));
    assert.equal(await length.inputValue(), '9876');
  });

  test('"Изчисти" empties the inputs and the problem box; "Изчисли" then gives the error line', async () => {
    for (let i = 0; i < 2; ++i) await page.getByRole('button', { name: 'Изчисти', exact: true }).click();
    for (const id of ['Text2_0', 'Text2_1', 'Text2_2', 'Text1_0']) assert.equal(await page.inputValue(`#${id}`), '', id);
    await page.getByRole('button', { name: 'Изчисли', exact: true }).click();
    await page.waitForFunction((line) => document.getElementById('Text1_0').value === line, ERROR_LINE, WAIT);
    assert.deepEqual(await calculate(page, ['37', '28', '110']), [ERROR_LINE]);
  });

  test('installable: a manifest and a service worker that controls the page', async () => {
    await page.reload();
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, WAIT);
    const cdp = await page.context().newCDPSession(page);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
  });

  test('private: only its own files, no cookies, no storage, no policy violations', async () => {
    const origin = new URL(host.url).origin;
    assert.deepEqual(requests.filter((url) => new URL(url).origin !== origin), []);
    assert.deepEqual(await page.context().cookies(), []);
    assert.deepEqual(await page.evaluate(async () => [localStorage.length, sessionStorage.length,
      (await indexedDB.databases()).length, (await caches.keys()).every((name) => name.startsWith('korvane-'))]),
    [0, 0, 0, true]);
    assert.deepEqual(browser.problems, []);
  });

  test('a phone\'s width scales the window down without a horizontal scroll bar; 200 % zoom clips nothing', async () => {
    for (const [width, height] of [[360, 640], [640, 400]]) {
      await page.setViewportSize({ width, height });
      await page.waitForFunction((w) => document.getElementById('Korvane').getBoundingClientRect().right <= w, width, WAIT);
      const sizes = await page.evaluate(() => {
        const root = document.scrollingElement;
        const r = document.getElementById('Korvane').getBoundingClientRect();
        return { scrollWidth: root.scrollWidth, clientWidth: root.clientWidth, scrollHeight: root.scrollHeight,
          left: r.left, width: r.width, height: r.height };
      });
      assert.ok(sizes.scrollWidth <= sizes.clientWidth, `${width} px: scrolls across (${JSON.stringify(sizes)})`);
      assert.ok(sizes.left >= 0 && sizes.width >= Math.min(form.width, sizes.clientWidth) - 1, JSON.stringify(sizes));
      assert.ok(Math.abs(sizes.height / sizes.width - form.height / form.width) < 0.01, 'kept its proportions');
      assert.ok(sizes.scrollHeight >= sizes.height, 'the whole window can be scrolled to');
    }
    await page.setViewportSize({ width: 800, height: 600 });
  });

  test('with the host gone, the page opens and calculates from the service worker\'s cache', async () => {
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, WAIT);
    await host.close();
    await page.reload();
    const lines = await calculate(page, ['37', '28', '50']);
    assert.equal(lines[7], 'Дебелина на кръста: 9.300');
    host = await serve(SITE);
  });
});

describe('in Bulgarian', () => {
  let browser;
  before(async () => {
    browser = await openBrowser('bg');
  });
  after(() => browser?.close());

  test('the report uses the decimal comma and groups with a no-break space from five digits on', async () => {
    const { page } = browser;
    await page.goto(host.url);
    const lines = await calculate(page, ['37', '28', '50']);
    assert.deepEqual(lines.slice(3), ['37*x + 28*x - x*x = 37*28*0,5', 'x*x - 65*x + 518 = 0', 'Площ на флага: 1036',
      'Площ на кръста: 518,000', 'Дебелина на кръста: 9,300', '']);
    const big = await calculate(page, ['9999', '9999', '100']);
    assert.deepEqual(big.slice(6, 8), ['Площ на кръста: 99\u00a0980\u00a0001,000', 'Дебелина на кръста: 9999,000']);
  });
});
