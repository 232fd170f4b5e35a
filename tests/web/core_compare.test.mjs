// The WebAssembly core against the native one: the same problem box's text, byte for
// byte, for every input text of the core's own tests (read from tests/calc/*.cpp, so a
// new row there is compared here too), each in the number formats of those tests and in
// formats read from the browser's Intl; then for KORVANE_GENERATED_CASES (50,000 unless
// set) requests that the native driver generates and checks against the C++ library's
// own conversions (tests/web/generated_cases.cpp).
// In: KORVANE_WASM (the site's korvane.wasm) and KORVANE_REPORT_DRIVER (the native
// core behind tests/web/report_driver.cpp).
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import { test } from 'node:test';

import { answer, encodeRequest, instantiateCore, numberFormatFor, problemBoxText } from '../../web/korvane.mjs';

const here = new URL('.', import.meta.url).pathname;
const coreTests = join(here, '..', 'calc');
const GENERATED = Number(process.env.KORVANE_GENERATED_CASES ?? 50000);

// The number formats that the core's tests build by hand (tests/calc/formats.h and
// number_text_test.cpp), and those that Intl gives for a few locales.
const english = {
  decimalSeparator: '.', groupSeparator: ',', negativeSign: '-', primaryGroupSize: 3, secondaryGroupSize: 3,
  minimumGroupingDigits: 1, leadingZero: true, parentheses: false,
};
const FORMATS = {
  English: english,
  Bulgarian: { ...english, decimalSeparator: ',', groupSeparator: '\u00a0', minimumGroupingDigits: 2 },
  German: { ...english, decimalSeparator: ',', groupSeparator: '.' },
  WithoutLeadingZero: { ...english, leadingZero: false },
  WithParentheses: { ...english, parentheses: true },
  IndianGroups: { ...english, secondaryGroupSize: 2 },
  Ungrouped: { ...english, primaryGroupSize: 0 },
};
// The core reads Intl's grouping as the page has it read.
assert.ok(existsSync(process.env.KORVANE_WASM ?? ''), `no ${process.env.KORVANE_WASM}: build it with make web`);
const probe = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
for (const locale of ['en-US', 'bg', 'de-DE', 'en-IN', 'fr-FR', 'sv-SE', 'ar-EG']) {
  FORMATS[`Intl ${locale}`] = numberFormatFor(probe, locale);
}

// C++ string literals as the compiler reads them (the escapes the tests use).
function unescape(literal) {
  return literal.replace(/\\(u[0-9a-fA-F]{4}|.)/g, (_, e) =>
    e.length > 1 ? String.fromCharCode(parseInt(e.slice(1), 16)) : { t: '\t', n: '\n', r: '\r' }[e] ?? e);
}
const STRING = String.raw`"((?:[^"\\]|\\.)*)"`;

// Every input of the core's tests: the texts of the parse and report tables, the rows'
// input triples, and the values of the number-text tables written as input texts.
function coreTestVectors() {
  const texts = new Set();
  const triples = [];
  for (const name of readdirSync(coreTests).filter((n) => n.endsWith('_test.cpp'))) {
    const source = readFileSync(join(coreTests, name), 'utf8');
    for (const [, literal] of source.matchAll(new RegExp(STRING, 'g'))) texts.add(unescape(literal));
    const row = new RegExp(String.raw`\w+Case\{${STRING},\s*${STRING},\s*${STRING},\s*${STRING}`, 'g');
    for (const [, , a, b, c] of source.matchAll(row)) triples.push([a, b, c].map(unescape));
    const flag = new RegExp(String.raw`Flag\{${STRING},\s*${STRING},\s*${STRING},\s*${STRING}\}`, 'g');
    for (const [, , a, b, c] of source.matchAll(flag)) triples.push([a, b, c].map(unescape));
    // TextCase{"Name", value, ...}: a value v shows as itself in line 4 and, with
    // inputs v, v, 100, as the thickness in line 8.
    for (const [, value] of source.matchAll(/TextCase\{"\w+", ([-+0-9.e /]+),/g)) {
      const number = Function(`return (${value})`)();
      if (number > 0) triples.push([String(number), String(number), '100']);
      texts.add(String(number));
    }
  }
  assert.ok(texts.size > 100 && triples.length > 50, `too few vectors found in ${coreTests}`);
  // Each text in each box, the other boxes as the window opens.
  for (const text of texts) {
    triples.push([text, '28', '50'], ['37', text, '50'], ['37', '28', text]);
  }
  triples.push(['7'.repeat(100000), '28', '50']);
  return triples;
}

// A request as the driver reads it: the bytes that the page hands the module, as hex.
const requestLine = (core, [inputs, format]) => Buffer.from(encodeRequest(core, ...inputs, format)).toString('hex');

// The driver's FNV-1a over the answer's UTF-8 bytes.
function fnv1a(bytes) {
  let hash = 0x811c9dc5;
  for (const byte of bytes) hash = Math.imul(hash ^ byte, 0x01000193);
  return hash >>> 0;
}

function nativeAnswers(requests) {
  const run = spawnSync(process.env.KORVANE_REPORT_DRIVER, { input: `${requests.join('\n')}\n`, maxBuffer: 1 << 30 });
  assert.equal(run.status, 0, `report_driver failed: ${run.stderr}`);
  return run.stdout.toString().trimEnd().split('\n').map((line) => Buffer.from(line, 'hex').toString('utf8'));
}

test('the WebAssembly core writes what the native core writes', async (t) => {
  assert.ok(existsSync(process.env.KORVANE_WASM ?? ''), `no ${process.env.KORVANE_WASM}: build it with make web`);
  const core = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
  const groups = { 'the core tests\' inputs': coreTestVectors() };
  for (const [group, inputs] of Object.entries(groups)) {
    await t.test(group, () => {
      const cases = inputs.flatMap((triple) => Object.values(FORMATS).map((format) => [triple, format]));
      const native = nativeAnswers(cases.map((c) => requestLine(core, c)));
      assert.equal(native.length, cases.length);
      let reports = 0;
      cases.forEach(([[a, b, c], format], i) => {
        const wasm = problemBoxText(core, a, b, c, format);
        if (wasm !== native[i]) {
          assert.fail(`inputs ${JSON.stringify([a.slice(0, 40), b, c])} in ${JSON.stringify(format)}:\n` +
            `WebAssembly: ${JSON.stringify(wasm)}\nnative:      ${JSON.stringify(native[i])}`);
        }
        if (wasm.endsWith('\r\n')) ++reports;
      });
      // Both kinds of answer were compared, not only error lines.
      assert.ok(reports > cases.length / 10, `only ${reports} of ${cases.length} inputs gave a report`);
      t.diagnostic(`${group}: ${cases.length} answers identical, ${reports} of them reports`);
    });
  }

  await t.test('generated inputs', async () => {
    const started = performance.now();
    const driver = spawn(process.env.KORVANE_REPORT_DRIVER, ['--generate', String(GENERATED)]);
    let summary = '';
    driver.stderr.on('data', (data) => { summary += data; });
    const exited = new Promise((resolve) => driver.on('close', resolve));
    const encoder = new TextEncoder();
    const differing = [];
    let count = 0;
    let reports = 0;
    for await (const line of createInterface({ input: driver.stdout })) {
      const [request, hash, size] = line.split(' ');
      const wasm = answer(core, 'korvane_problem_box_text', Buffer.from(request, 'hex'));
      const bytes = encoder.encode(wasm);
      if (fnv1a(bytes) !== Number(hash) || bytes.length !== Number(size)) differing.push(request);
      if (wasm.endsWith('\r\n')) ++reports;
      ++count;
    }
    assert.equal(await exited, 0, `the native core's conversions disagree with the C++ library's:\n${summary}`);
    assert.equal(count, GENERATED);
    if (differing.length > 0) {
      const request = differing[0];
      assert.fail(`${differing.length} of ${count} answers differ; the first, request ${JSON.stringify(Buffer.from(request, 'hex').toString().slice(0, 300))}:\n` +
        `WebAssembly: ${JSON.stringify(answer(core, 'korvane_problem_box_text', Buffer.from(request, 'hex')))}\n` +
        `native:      ${JSON.stringify(nativeAnswers([request])[0])}`);
    }
    assert.ok(reports > count / 10, `only ${reports} of ${count} inputs gave a report`);
    const seconds = ((performance.now() - started) / 1000).toFixed(1);
    t.diagnostic(`generated inputs: ${count} answers identical, ${reports} of them reports, in ${seconds} s; ${summary.trim()}`);
  });
});

// The module and its native twin share the decoder that turns the page's request into the core's
// format, so the comparison above cannot see a fault there: these answers are fixed.
test('the page\'s number-format fields reach the core as meant', async () => {
  const core = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
  const rows = [
    ['Indian groups: three, then two', { ...english, secondaryGroupSize: 2 }, ['9999', '9999', '100'], 6,
      'Площ на кръста: 9,99,80,001.000'],
    ['German separators', FORMATS.German, ['9999', '9999', '100'], 6, 'Площ на кръста: 99.980.001,000'],
    ['Bulgarian: four digits stay ungrouped', FORMATS.Bulgarian, ['99', '99', '50'], 6, 'Площ на кръста: 4900,500'],
    ['no leading zero', FORMATS.WithoutLeadingZero, ['.005', '.005', '100'], 7, 'Дебелина на кръста: .005'],
    ['a leading zero', english, ['.005', '.005', '100'], 7, 'Дебелина на кръста: 0.005'],
  ];
  for (const [name, format, inputs, line, expected] of rows) {
    assert.equal(problemBoxText(core, ...inputs, format).split('\r\n')[line], expected, name);
  }
});

test('the core\'s memory is the same after 20,000 calculations', async () => {
  const core = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
  const grown = () => core.memory.buffer.byteLength;
  problemBoxText(core, '37', '28', '50', english);
  const before = grown();
  for (let i = 0; i < 20000; ++i) problemBoxText(core, String(i % 9999 + 1), '28', '50', FORMATS.Bulgarian);
  assert.equal(grown(), before);
});

test('the browser\'s formats are read as the desktop reads its locale', () => {
  const rows = [
    ['en-US', { decimalSeparator: '.', groupSeparator: ',', primaryGroupSize: 3, secondaryGroupSize: 3, minimumGroupingDigits: 1 }],
    ['bg', { decimalSeparator: ',', groupSeparator: '\u00a0', primaryGroupSize: 3, secondaryGroupSize: 3, minimumGroupingDigits: 2 }],
    ['de-DE', { decimalSeparator: ',', groupSeparator: '.', primaryGroupSize: 3, secondaryGroupSize: 3, minimumGroupingDigits: 1 }],
    ['en-IN', { decimalSeparator: '.', groupSeparator: ',', primaryGroupSize: 3, secondaryGroupSize: 2, minimumGroupingDigits: 1 }],
  ];
  for (const [locale, expected] of rows) {
    const format = numberFormatFor(probe, locale);
    for (const [key, value] of Object.entries(expected)) assert.equal(format[key], value, `${locale} ${key}`);
  }
});
