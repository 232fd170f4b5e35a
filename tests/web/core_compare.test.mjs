// The WebAssembly core against the native one: the same problem box's text, byte for
// byte, for every input of the case files (tests/cases), each in the number formats of
// formats.txt and in formats read from the browser's Intl; each case of report.txt as it is
// written; then for KORVANE_GENERATED_CASES (50,000 unless set) requests that the native
// driver generates and checks against the C++ library's own conversions
// (tests/web/generated_cases.cpp).
// In: KORVANE_WASM (the site's korvane.wasm) and KORVANE_REPORT_DRIVER (the native
// core behind tests/web/report_driver.cpp).
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import { createInterface } from 'node:readline';
import { test } from 'node:test';

import { formats, pinnedLines, readCaseFile, reports } from '../cases/cases.mjs';
import { answer, encodeRequest, instantiateCore, numberFormatFor, problemBoxText } from '../../web/korvane.mjs';

const GENERATED = Number(process.env.KORVANE_GENERATED_CASES ?? 50000);
const FORMATS = { ...formats };
// The core reads Intl's grouping as the page has it read.
assert.ok(existsSync(process.env.KORVANE_WASM ?? ''), `no ${process.env.KORVANE_WASM}: build it with make web`);
const probe = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
for (const locale of ['en-US', 'bg', 'de-DE', 'en-IN', 'fr-FR', 'sv-SE', 'ar-EG']) {
  FORMATS[`Intl ${locale}`] = numberFormatFor(probe, locale);
}

// Every input of the case files: each case's three boxes; every word and text written in the
// files (up to 1,000 characters; longer ones through their pieces), in each box with the others
// as the window opens; and each number that number_text.txt writes, as itself, and as v, v, 100.
function caseVectors() {
  const texts = new Set();
  const triples = Object.values(reports).map((c) => c.inputs);
  for (const file of ['formats.txt', 'parse.txt', 'number_text.txt', 'report.txt']) {
    for (const { fields, lines, pieces } of readCaseFile(file)) {
      for (const text of [...fields, ...lines.flat(), ...pieces]) if (text.length <= 1000) texts.add(text);
    }
  }
  for (const { fields: [, , value] } of readCaseFile('number_text.txt')) {
    const number = Number(value);
    if (number > 0) triples.push([String(number), String(number), '100']);
    texts.add(String(number));
  }
  const [a, b, c] = reports.Example.inputs;
  for (const text of texts) triples.push([text, b, c], [a, text, c], [a, b, text]);
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
  const groups = { 'the case files\' inputs': caseVectors() };
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
// format, so the comparison above cannot see a fault there: each case is checked as written.
test('the WebAssembly core gives each case of report.txt as written', async () => {
  const core = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
  for (const c of Object.values(reports)) {
    const lines = problemBoxText(core, ...c.inputs, formats[c.format]).split('\r\n');
    assert.equal(lines.length, c.error ? 1 : 9, c.where);
    pinnedLines(c.name).forEach((text, i) => text === undefined || assert.equal(lines[i], text, `${c.where} line ${i + 1}`));
  }
});

test('the WebAssembly core refuses a request that is not whole', async () => {
  const core = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
  const request = encodeRequest(core, ...reports.Example.inputs, formats.English);
  const rows = { 'one byte too many': Buffer.concat([request, Buffer.of(0)]), 'one byte too few': request.subarray(0, -1) };
  for (const [name, bytes] of Object.entries(rows)) {
    assert.throws(() => answer(core, 'korvane_problem_box_text', bytes), /no answer/, name);
  }
});

test('the core\'s memory is the same after 20,000 calculations', async () => {
  const core = await instantiateCore(readFileSync(process.env.KORVANE_WASM));
  const grown = () => core.memory.buffer.byteLength;
  problemBoxText(core, ...reports.Example.inputs, formats.English);
  const before = grown();
  for (let i = 0; i < 20000; ++i) problemBoxText(core, String(i % 9999 + 1), '28', '50', formats.Bulgarian);
  assert.equal(grown(), before);
});

test('the browser\'s formats are read as the desktop reads its locale', () => {
  const rows = [['en-US', formats.English], ['bg', formats.Bulgarian], ['de-DE', formats.German], ['en-IN', formats.IndianGroups]];
  const fields = ['decimalSeparator', 'groupSeparator', 'primaryGroupSize', 'secondaryGroupSize', 'minimumGroupingDigits'];
  for (const [locale, expected] of rows) {
    const format = numberFormatFor(probe, locale);
    for (const key of fields) assert.equal(format[key], expected[key], `${locale} ${key}`);
  }
});
