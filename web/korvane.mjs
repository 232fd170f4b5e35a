// The page's one module: loads the calculation core (korvane.wasm), reads the
// browser's number format, and wires the window's events. In: the three input
// boxes and the buttons; out: the problem box. It computes and formats nothing
// itself. Node imports it too (the core's comparison with the native build).

// The core does no I/O; these are the only WASI calls it links, and "not supported" is enough.
const ENOSYS = 52;
const wasi = { fd_close: () => ENOSYS, fd_seek: () => ENOSYS, fd_write: () => ENOSYS };

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The core from a fetch Response (streamed compilation) or from the module's bytes, with
// `requestFields`: the names of a problem box's request's fields in the order it reads them.
export async function instantiateCore(source) {
  const imports = { wasi_snapshot_preview1: wasi };
  const { instance } =
    source instanceof ArrayBuffer || ArrayBuffer.isView(source)
      ? await WebAssembly.instantiate(source, imports)
      : await WebAssembly.instantiateStreaming(source, imports);
  const core = instance.exports;
  core._initialize();
  const names = new Uint8Array(core.memory.buffer, core.korvane_request_fields());
  return { ...core, requestFields: decoder.decode(names.subarray(0, names.indexOf(0))).split(' ') };
}

// A request's bytes: each text's UTF-8 bytes after their count (4 bytes, little-endian).
function encodeTexts(texts) {
  const bytes = texts.map((text) => encoder.encode(text));
  const request = new Uint8Array(bytes.reduce((sum, b) => sum + 4 + b.length, 0));
  let at = 0;
  for (const b of bytes) {
    new DataView(request.buffer).setUint32(at, b.length, true);
    request.set(b, at + 4);
    at += 4 + b.length;
  }
  return request;
}

// A problem box's request: three input texts and a number format, in the order the core reads them.
export function encodeRequest(core, length, width, percentage, format) {
  const fields = { length, width, percentage, ...format };
  return encodeTexts(core.requestFields.map((name) =>
    (typeof fields[name] === 'string' ? fields[name] : String(Number(fields[name])))));
}

// The text that the core's export `door` answers to a request's bytes.
export function answer(core, door, request) {
  const at = core.malloc(request.length);
  if (!at) throw new Error('korvane.wasm: out of memory');
  try {
    new Uint8Array(core.memory.buffer, at, request.length).set(request);
    const block = core[door](at, request.length);
    if (!block) throw new Error(`korvane.wasm: no answer from ${door}`);
    const bytes = new DataView(core.memory.buffer).getUint32(block, true);
    const text = decoder.decode(new Uint8Array(core.memory.buffer, block + 4, bytes));
    core.free(block);
    return text;
  } finally {
    core.free(at);
  }
}

// The problem box's text (lines end in CR LF) for three input texts and a number format.
export function problemBoxText(core, length, width, percentage, format) {
  return answer(core, 'korvane_problem_box_text', encodeRequest(core, length, width, percentage, format));
}

// How `locale` writes numbers: its separators and sign as Intl names them; its grouping as the core
// reads it off the integers 1, 12, 123 and so on to 12345678901234, as Intl writes them.
export function numberFormatFor(core, locale) {
  const nf = new Intl.NumberFormat(locale, { numberingSystem: 'latn', maximumFractionDigits: 3 });
  const part = (value, type, fallback) => nf.formatToParts(value).find((p) => p.type === type)?.value ?? fallback;
  const groupSeparator = part(12345678901234, 'group', '');
  const digits = '12345678901234';
  const samples = [...digits].map((_, i) => nf.format(Number(digits.slice(0, i + 1))));
  const [primaryGroupSize, secondaryGroupSize, minimumGroupingDigits] =
    answer(core, 'korvane_grouping', encodeTexts([groupSeparator, samples.join('\n')])).split(' ').map(Number);
  return {
    decimalSeparator: part(1.5, 'decimal', '.'),
    groupSeparator,
    negativeSign: part(-1, 'minusSign', '-'),
    primaryGroupSize,
    secondaryGroupSize,
    minimumGroupingDigits,
    leadingZero: true,
    parentheses: false,
  };
}

// What the problem box says when the core cannot be had: one short line, instead of nothing.
export const CORE_MISSING = 'Изчисляването не е налично: файлът korvane.wasm липсва или е повреден.';
export const CORE_OFFLINE = 'Изчисляването не е налично без връзка: файлът korvane.wasm не е изтеглен.';
// What the page opened as a file says instead of the problem, where browsers run no module (the
// build puts it in the page's one inline script).
export const SERVE_FROM_HOST = 'Отворете страницата през уеб сървър, а не като файл: например с „python3 -m http.server“ в папката ѝ (после http://127.0.0.1:8000/) или с който и да е друг статичен сървър или хостинг.';

// The core: compiled while it downloads where the host labels it application/wasm, else from its bytes
// (simple hosts send application/octet-stream). A missing core or no network rejects.
export async function loadCore(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${url}: HTTP ${response.status}`);
  const type = response.headers.get('Content-Type') ?? '';
  if (WebAssembly.instantiateStreaming && type.split(';')[0].trim() === 'application/wasm') {
    return instantiateCore(response);
  }
  return instantiateCore(await response.arrayBuffer());
}

// What an input box keeps of pasted or dropped text: nothing invisible (controls, format characters).
export const visibleText = (text) => text.replace(/[\p{Cc}\p{Cf}]/gu, '');

// The window: its control arrays, indexed as the handlers expect, and its handlers.
// `ready` gives the core and the number format; the page is shown before it settles.
function Korvane(ready) {
  let core;
  let format;
  let failure; // the problem box's line when the core could not be had
  const byId = (id) => document.getElementById(id);
  const Text1 = [byId('Text1_0')];
  const Text2 = [byId('Text2_0'), byId('Text2_1'), byId('Text2_2')];
  const Command1 = [byId('Command1_0'), byId('Command1_1')];
  const announcer = byId('announcer');

  // The starting values 37, 28 and 50 are the boxes' own values in the page, shown before the
  // module runs; so Form_Load sets no text, and what the user typed meanwhile stays. It puts the
  // focus in the first box unless the user has put it somewhere already.
  function Form_Load() {
    // Opened as a file in a browser that runs the module after all: the problem again, not how to open the page.
    if (location.protocol === 'file:') Text1[0].value = Text1[0].defaultValue;
    if (document.activeElement === document.body || document.activeElement === null) {
      Text2[0].focus();
      Text2[0].select();
    }
  }

  function Command1_Click(index) {
    if (index === 0) {
      CalculateCross();
    } else if (index === 1) {
      ClearInputs();
      Text1[0].value = '';
      announcer.replaceChildren();
    }
  }

  function ClearInputs() {
    for (const box of Text2) box.value = '';
  }

  function CalculateCross() {
    const text = core
      ? problemBoxText(core, Text2[0].value, Text2[1].value, Text2[2].value, format)
      : failure;
    Text1[0].value = text.replaceAll('\r\n', '\n');
    Text1[0].scrollTop = 0;
    // A screen reader hears the new report as one text, even when it is the same as the last one.
    announcer.replaceChildren(text.replaceAll('\r\n', ' ').trimEnd());
  }

  // A calculation waits for the core (and, failing that, says so); "Изчисти" needs none, and runs at
  // once unless a calculation is still waiting, after which it runs, so that it always clears last.
  let queue = Promise.resolve();
  let waiting = 0;
  const settled = ready.then(([exports, numbers]) => { [core, format] = [exports, numbers]; },
    (error) => {
      // fetch rejects with a TypeError only when no answer came at all: no network, no host.
      failure = error instanceof TypeError ? CORE_OFFLINE : CORE_MISSING;
      console.warn('Korvane: no calculation core:', error);
    });
  const click = (index) => {
    if (index !== 0 && waiting === 0) {
      Command1_Click(index);
      return;
    }
    ++waiting;
    queue = queue.then(() => settled).then(() => {
      --waiting;
      Command1_Click(index);
    });
  };
  Command1.forEach((button, index) => button.addEventListener('click', () => click(index)));
  for (const box of Text2) {
    // Return calculates, as the calculate button does, but not while an input method composes
    // (Safari marks that key with keyCode 229 rather than isComposing).
    box.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && !event.isComposing && event.keyCode !== 229) click(0);
    });
    box.addEventListener('input', () => {
      const kept = visibleText(box.value);
      if (kept === box.value) return;
      const caret = visibleText(box.value.slice(0, box.selectionStart ?? box.value.length)).length;
      box.value = kept;
      box.setSelectionRange(caret, caret);
    });
  }
  Form_Load();
}

// Where the window's fixed boxes cannot hold their text (larger letter, word or line spacing, a
// minimum font size, another face), the page takes its one-column layout, which grows with the
// text; it goes back when the text fits again. A hidden sample of the labels' text tells when its
// size changes.
function fitLayout() {
  const root = document.documentElement;
  const cut = () => [...document.querySelectorAll('#Korvane label, #Korvane p, #Korvane h1, #Korvane button')]
    .some((e) => e.scrollWidth > e.clientWidth + 1 || e.scrollHeight > e.clientHeight + 1);
  const fit = () => {
    root.classList.remove('flow');
    if (cut()) root.classList.add('flow');
  };
  const probe = document.createElement('span');
  probe.className = 'probe';
  probe.setAttribute('aria-hidden', 'true');
  probe.textContent = document.querySelector('#Korvane label')?.textContent ?? 'x';
  document.body.append(probe);
  // Measured once the page's face is in: the stand-in shown while the web font loads may be wider.
  Promise.resolve(document.fonts?.ready).then(() => {
    if (globalThis.ResizeObserver) new ResizeObserver(fit).observe(probe);
    addEventListener('resize', fit);
    fit();
  });
}

// After the first frame and a moment of idleness, where the browser can say when it is idle
// (Safari and WebKit cannot: there a short timer stands in).
const idle = () => new Promise((resolve) =>
  (globalThis.requestIdleCallback ? requestIdleCallback(resolve, { timeout: 2000 }) : setTimeout(resolve, 50)));

if (globalThis.document) {
  const core = loadCore('korvane.wasm');
  // Reading the locale costs ICU's start-up: after the first frame, not before it.
  const format = Promise.all([core, new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)))])
    .then(([exports]) => numberFormatFor(exports, navigator.language));
  Korvane(Promise.all([core, format]));
  fitLayout();
  // The worker that keeps the site for offline use starts two seconds after the page has loaded,
  // when the browser is idle: it then finds most files in the HTTP cache, and its start does not
  // compete with the page's own or with the first report.
  new Promise((resolve) => (document.readyState === 'complete' ? resolve() : addEventListener('load', resolve, { once: true })))
    .then(() => new Promise((resolve) => setTimeout(resolve, 2000)))
    .then(() => core.catch(() => {}))
    .then(idle)
    // Its updates are checked with the host, never taken from the HTTP cache, however long the host
    // lets browsers keep it: browsers do so for the worker's own script by default, 'none' for all it loads.
    .then(() => navigator.serviceWorker?.register('sw.js', { updateViaCache: 'none' }))
    .catch((error) => console.warn('Korvane works online only here:', error));
}
