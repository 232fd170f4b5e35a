// The three browser engines of the page's tests behind one small interface, so that one
// list of scenarios runs in each: Debian's Chromium and Firefox ESR through puppeteer-core
// (CDP and WebDriver BiDi), and WebKitGTK's MiniBrowser through WebKitWebDriver's plain
// WebDriver HTTP calls, in its own Xvfb. None of them is downloaded.
// A session: goto, open(url) (starts loading, as an address typed in does, and returns at once), reload, evaluate(fn, ...args) (fn may be async; its value comes back as
// JSON), inject(source) (a script past the page's policy), waitFor(fn, ...args), click(id), type(id, text), press(key) on the focused element,
// setViewport(width, height, scale), screenshot(path), openTab() (another session in a new tab of the same
// browser, whose close() closes only that tab), close(), problems() (the console's errors and the pages'
// uncaught exceptions so far, from every tab); version names the engine's build.
import { spawn } from 'node:child_process';
import { mkdtempSync, mkdirSync, rmSync, writeFileSync, existsSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import puppeteer from 'puppeteer-core';

export const WAIT = 60_000; // generous: CI is a loaded two-core machine

// Polls `probe` until it gives a truthy value, within WAIT.
async function poll(probe, what) {
  const deadline = Date.now() + WAIT;
  for (let delay = 20; ; delay = Math.min(2 * delay, 250)) {
    const value = await probe();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, delay));
  }
}

const KEYS = { Enter: '\uE007', Tab: '\uE004' };

function puppeteerSession(browser, page, close, problems = []) {
  page.on('console', (m) => m.type() === 'error' && problems.push(m.text()));
  page.on('pageerror', (e) => problems.push(String(e)));
  page.setDefaultTimeout(WAIT);
  page.setDefaultNavigationTimeout(WAIT);
  const session = {
    page,
    problems: async () => problems,
    goto: (url) => page.goto(url, { waitUntil: 'load' }),
    open: async (url) => {
      page.goto(url, { waitUntil: 'load' }).catch(() => {});
    },
    reload: () => page.reload({ waitUntil: 'load' }),
    evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    inject: (source) => page.evaluate(source),
    waitFor: (fn, ...args) => poll(() => page.evaluate(fn, ...args).catch(() => false), String(fn)),
    click: (id) => page.click(`#${id}`),
    type: (id, text) => page.type(`#${id}`, text),
    press: (key) => page.keyboard.press(key),
    setViewport: (width, height, scale = 1) => page.setViewport({ width, height, deviceScaleFactor: scale }),
    screenshot: (path, { fullPage = false } = {}) => page.screenshot({ path, fullPage }),
    openTab: async () => {
      const tab = await browser.newPage();
      return puppeteerSession(browser, tab, () => tab.close(), problems);
    },
    close,
  };
  return session;
}

// The first tab's session, whose close() ends the browser and removes its profile.
function firstSession(browser, page, profile) {
  return puppeteerSession(browser, page, async () => {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  });
}

async function chromium({ language }) {
  const profile = mkdtempSync(join(tmpdir(), 'korvane-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile, timeout: WAIT, protocolTimeout: 2 * WAIT,
    defaultViewport: { width: 800, height: 600 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', `--accept-lang=${language}`],
  });
  const page = (await browser.pages())[0] ?? (await browser.newPage());
  const session = firstSession(browser, page, profile);
  session.version = await browser.version();
  // What only Chromium can say: whether the page can be installed as an app.
  session.installabilityErrors = async () => {
    const cdp = await page.createCDPSession();
    return (await cdp.send('Page.getInstallabilityErrors')).installabilityErrors;
  };
  return session;
}

async function firefox({ language }) {
  const profile = mkdtempSync(join(tmpdir(), 'korvane-firefox-'));
  const browser = await puppeteer.launch({
    browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true, userDataDir: profile,
    timeout: WAIT, protocolTimeout: 2 * WAIT, defaultViewport: { width: 800, height: 600 },
    extraPrefsFirefox: { 'intl.accept_languages': language, 'intl.locale.requested': language },
  });
  const page = (await browser.pages())[0] ?? (await browser.newPage());
  const session = firstSession(browser, page, profile);
  session.version = await browser.version();
  return session;
}

const freePort = () => new Promise((resolve) => {
  const server = createServer().listen(0, '127.0.0.1', () => {
    const { port } = server.address();
    server.close(() => resolve(port));
  });
});

// Run in a new document: puts in the listeners that collect its problems, as the console would
// show them, and says whether it has loaded.
function listening() {
  if (window.korvaneOldDocument) return false;
  if (!window.korvaneProblems) {
    const problems = [];
    window.korvaneProblems = problems;
    addEventListener('error', (e) => problems.push(e.error ? String(e.error) : `failed to load ${e.target.src ?? e.target.href}`), true);
    addEventListener('unhandledrejection', (e) => problems.push(`unhandled rejection: ${e.reason}`));
    // WebKit's editing, as text is pasted into a box, tries a style attribute of its own there,
    // from no source: the policy refuses it, with no effect on the text, and it is not the page's.
    document.addEventListener('securitypolicyviolation', (e) => (e.violatedDirective !== 'style-src-attr' || e.sourceFile)
      && problems.push(`refused by ${e.violatedDirective}: ${e.blockedURI} at ${e.sourceFile}:${e.lineNumber}`));
    const error = console.error;
    console.error = (...args) => {
      problems.push(args.join(' '));
      error.apply(console, args);
    };
  }
  return document.readyState === 'complete';
}

const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// WebKitGTK takes the page's language from the C library's locale, so the locale is compiled
// into a private folder (localedef from Debian's locales) rather than installed system-wide.
function localeEnvironment(language, scratch) {
  const name = { bg: 'bg_BG', 'en-US': 'en_US' }[language] ?? language.replace('-', '_');
  const folder = join(scratch, 'locales');
  mkdirSync(folder, { recursive: true });
  const run = spawn('localedef', ['-i', name, '-f', 'UTF-8', join(folder, `${name}.UTF-8`)], { stdio: 'ignore' });
  return new Promise((resolve) => run.on('exit', () => resolve({ LOCPATH: folder, LC_ALL: `${name}.UTF-8` })));
}

async function webkit({ language }) {
  const scratch = mkdtempSync(join(tmpdir(), 'korvane-webkit-'));
  const children = [];
  // Ends the driver with the browser it started (its process group) and the display, then removes
  // the profile once nothing writes to it any more.
  const stop = async () => {
    await Promise.all(children.reverse().map((child) => new Promise((resolve) => {
      if (child.exitCode !== null || child.signalCode !== null) resolve();
      else {
        child.once('exit', resolve);
        try {
          process.kill(-child.pid);
        } catch {
          child.kill();
        }
      }
    })));
    await poll(() => {
      try {
        rmSync(scratch, { recursive: true, force: true });
        return true;
      } catch {
        return false;
      }
    }, 'the WebKit profile to be removed').catch(() => {});
  };
  try {
    // Never reset: an X server starts over when its last client leaves, and turns away who connects then.
    const xvfb = spawn('Xvfb', ['-displayfd', '1', '-screen', '0', '1400x1000x24', '-nolisten', 'tcp', '-noreset'],
      { stdio: ['ignore', 'pipe', 'ignore'], detached: true });
    children.push(xvfb);
    const display = await new Promise((resolve, reject) => {
      xvfb.stdout.once('data', (data) => resolve(String(data).trim()));
      xvfb.once('exit', () => reject(new Error('Xvfb did not start')));
    });
    const port = await freePort();
    const env = { ...process.env, DISPLAY: `:${display}`, HOME: scratch, XDG_CACHE_HOME: join(scratch, 'cache'),
      XDG_DATA_HOME: join(scratch, 'data'), ...(await localeEnvironment(language, scratch)) };
    // The last commands and what the driver and the MiniBrowser said meanwhile, for an error that ends
    // the session or a wait that runs out: WebKit's own faults show there.
    const said = [];
    const note = (...lines) => {
      said.push(...lines);
      said.splice(0, said.length - 60);
    };
    // A command sent again and again (a wait's polls) takes one line.
    let repeated = { what: '', times: 0, line: '' };
    const noteCall = (what) => {
      const time = new Date().toISOString().slice(11, 23);
      if (what === repeated.what && said.at(-1) === repeated.line) {
        repeated.times += 1;
        said[said.length - 1] = `${time} ${what} (${repeated.times} times)`;
      } else {
        note(`${time} ${what}`);
        repeated = { what, times: 1 };
      }
      repeated.line = said.at(-1);
    };
    const withLog = (error) => new Error(`${error.message}\nWebKitWebDriver and MiniBrowser, last:\n${said.join('\n')}`);
    const waitFor = (probe, what) => poll(probe, what).catch((error) => { throw withLog(error); });
    const driver = spawn('/usr/bin/WebKitWebDriver', [`--port=${port}`], { env, stdio: ['ignore', 'pipe', 'pipe'], detached: true });
    for (const stream of [driver.stdout, driver.stderr]) {
      stream.setEncoding('utf8').on('data', (text) => note(...text.split('\n').filter(Boolean)));
    }
    children.push(driver);
    const base = `http://127.0.0.1:${port}`;
    const call = async (method, path, body) => {
      noteCall(`${method} ${path.replace(/^\/session\/[^/]+/, '')} ${body?.url ?? ''}`.trim());
      const response = await fetch(base + path, {
        method, headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body),
      });
      const { value } = await response.json();
      if (!response.ok) {
        const error = new Error(`WebDriver ${method} ${path}: ${value?.error}: ${value?.message}`);
        throw value?.error === 'invalid session id' ? withLog(error) : error;
      }
      return value;
    };
    await poll(() => fetch(`${base}/status`).then((r) => r.ok, () => false), 'WebKitWebDriver');
    // Full screen: no tool bar, so that the view can be as narrow as a phone's.
    // The driver returns at once from a navigation: a page whose module is held back never
    // "loads", yet the tests must reach it; goto and reload wait for the load themselves.
    const created = await call('POST', '/session', { capabilities: { alwaysMatch: {
      pageLoadStrategy: 'none',
      'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation', '--full-screen'] },
    } } });
    const id = created.sessionId;
    const s = (path) => `/session/${id}${path}`;
    await call('POST', s('/timeouts'), { script: WAIT, pageLoad: WAIT });
    // The tab that the driver's commands go to; a tab's session switches to its own first.
    let current = await call('GET', s('/window'));
    // Neither the driver nor the MiniBrowser it drives passes the console on, so each document
    // collects its own problems, with listeners put in as soon as it is seen (while its module
    // still downloads, as a rule), and they are read before it is left.
    const problems = [];
    const tab = (handle) => {
      const inTab = async (method, path, body) => {
        if (current !== handle) {
          await call('POST', s('/window'), { handle });
          current = handle;
        }
        return call(method, s(path), body);
      };
      // A function that returns no promise runs as a plain script: an asynchronous one started in a
      // document that a navigation then replaces would never answer, and hold the session until
      // the script time-out.
      const run = async (fn, args) => {
        if (!/^async\b/.test(String(fn))) {
          return inTab('POST', '/execute/sync', { script: `return (${fn}).apply(null, arguments);`, args });
        }
        const script = `const done = arguments[arguments.length - 1];
          const args = Array.prototype.slice.call(arguments, 0, -1);
          Promise.resolve().then(() => (${fn}).apply(null, args))
            .then((value) => done({ value: value === undefined ? null : value }), (error) => done({ error: String(error) }));`;
        const answer = await inTab('POST', '/execute/async', { script, args });
        if (answer?.error) throw new Error(answer.error);
        return answer?.value ?? null;
      };
      const collected = async () => problems.push(...(await run(String(() => window.korvaneProblems?.splice(0) ?? []), [])
        .catch(() => [])));
      // Marks the document, navigates, and waits for a new document that has loaded.
      const loaded = async (navigate) => {
        await collected();
        await run(String(() => { window.korvaneOldDocument = true; }), []).catch(() => {});
        await navigate();
        await waitFor(() => run(String(listening), []).catch(() => false), 'the page to load');
      };
      const element = async (elementId) => {
        const found = await inTab('POST', '/element', { using: 'css selector', value: `#${elementId}` });
        return Object.values(found)[0];
      };
      return {
        version: `WebKitGTK ${created.capabilities.browserVersion}`,
        problems: async () => {
          await collected();
          return problems;
        },
        goto: (url) => loaded(() => inTab('POST', '/url', { url })),
        open: async (url) => {
          await collected();
          await inTab('POST', '/url', { url });
        },
        reload: () => loaded(() => inTab('POST', '/refresh', {})),
        evaluate: (fn, ...args) => run(fn, args),
        // A script run by the driver as it stands, which the page's policy cannot refuse.
        inject: (source) => inTab('POST', '/execute/sync', { script: source, args: [] }),
        waitFor: (fn, ...args) => waitFor(() => run(fn, args).catch(() => false), String(fn)),
        click: async (elementId) => inTab('POST', `/element/${await element(elementId)}/click`, {}),
        type: async (elementId, text) => inTab('POST', `/element/${await element(elementId)}/value`, { text }),
        press: async (key) => {
          const active = await inTab('GET', '/element/active');
          return inTab('POST', `/element/${Object.values(active)[0]}/value`, { text: KEYS[key] ?? key });
        },
        // The view takes the window's size; a scale other than 1 is not offered here.
        setViewport: async (width, height) => {
          await inTab('POST', '/window/rect', { width, height });
          await poll(() => run(String((w) => innerWidth === w), [width]), `a view ${width} wide`);
        },
        screenshot: async (path) => writeFileSync(path, Buffer.from(await inTab('GET', '/screenshot'), 'base64')),
        openTab: async () => tab((await inTab('POST', '/window/new', { type: 'tab' })).handle),
        close: async () => {
          if (handle !== first) return inTab('DELETE', '/window');
          await call('DELETE', s('')).catch(() => {});
          return stop();
        },
      };
    };
    const first = current;
    const session = tab(first);
    await session.setViewport(800, 600);
    return session;
  } catch (error) {
    await stop();
    throw error;
  }
}

export const ENGINES = { chromium, firefox, webkit };

// What each engine needs installed, for a clear message instead of a launch error.
export const BINARIES = {
  chromium: ['/usr/bin/chromium'],
  firefox: ['/usr/bin/firefox-esr'],
  webkit: ['/usr/bin/WebKitWebDriver', MINIBROWSER, '/usr/bin/Xvfb'],
};
export const missingBinaries = (engine) => BINARIES[engine].filter((path) => !existsSync(path));
