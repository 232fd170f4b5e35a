// The page's one module: loads the calculation core (korvane.wasm), reads the
// browser's number format, and wires the window's events. In: the three input
// boxes and the buttons; out: the problem box. It computes and formats nothing
// itself. Node imports it too (the core's comparison with the native build).

// The core does no I/O; these are the only WASI calls it links, and "not supported" is enough.
const ENOSYS = 52;
const wasi = { fd_close: () => ENOSYS, fd_seek: () => ENOSYS, fd_write: () => ENOSYS };

// The core from a fetch Response (streamed compilation) or from the module's bytes.
export async function instantiateCore(source) {
  const imports = { wasi_snapshot_preview1: wasi };
  const { instance } =
    source instanceof ArrayBuffer || ArrayBuffer.isView(source)
      ? await WebAssembly.instantiate(source, imports)
      : await WebAssembly.instantiateStreaming(source, imports);
  instance.exports._initialize();
  return instance.exports;
}

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The problem box's text (lines end in CR LF) for three input texts and a number format.
export function problemBoxText(core, length, width, percentage, format) {
  const texts = [length, width, percentage, format.decimalSeparator, format.groupSeparator, format.negativeSign]
    .map((text) => encoder.encode(text));
  const size = texts.reduce((sum, text) => sum + text.length, 0);
  const request = core.malloc(4 * texts.length + size);
  if (!request) throw new Error('korvane.wasm: out of memory');
  try {
    const lengths = new DataView(core.memory.buffer, request, 4 * texts.length);
    let at = request + 4 * texts.length;
    texts.forEach((text, i) => {
      lengths.setUint32(4 * i, text.length, true);
      new Uint8Array(core.memory.buffer, at, text.length).set(text);
      at += text.length;
    });
    const answer = core.korvane_problem_box_text(
      request + 4 * texts.length, request, format.primaryGroupSize, format.secondaryGroupSize,
      format.minimumGroupingDigits, format.leadingZero ? 1 : 0, format.parentheses ? 1 : 0);
    if (!answer) throw new Error('korvane.wasm: out of memory');
    const bytes = new DataView(core.memory.buffer).getUint32(answer, true);
    const text = decoder.decode(new Uint8Array(core.memory.buffer, answer + 4, bytes));
    core.free(answer);
    return text;
  } finally {
    core.free(request);
  }
}

// How `locale` writes numbers, read off sample numbers as the desktop window reads its locale.
export function numberFormatFor(locale) {
  const nf = new Intl.NumberFormat(locale, { numberingSystem: 'latn', maximumFractionDigits: 3 });
  const parts = (value) => nf.formatToParts(value);
  const part = (value, type, fallback) => parts(value).find((p) => p.type === type)?.value ?? fallback;
  const format = {
    decimalSeparator: part(1.5, 'decimal', '.'),
    groupSeparator: part(12345678901234, 'group', ''),
    negativeSign: part(-1, 'minusSign', '-'),
    primaryGroupSize: 0,
    secondaryGroupSize: 0,
    minimumGroupingDigits: 1,
    leadingZero: true,
    parentheses: false,
  };
  // Fourteen digits: the leftmost group has two, more than any minimum grouping asks.
  const groups = parts(12345678901234).filter((p) => p.type === 'integer').map((p) => p.value.length);
  if (format.groupSeparator === '' || groups.length < 2) return { ...format, groupSeparator: '' };
  format.primaryGroupSize = groups.at(-1);
  format.secondaryGroupSize = groups.length > 2 ? groups.at(-2) : groups.at(-1);
  // The fewest integer digits that the locale groups at all.
  for (let digits = format.primaryGroupSize + 1; digits <= format.primaryGroupSize + 4; ++digits) {
    if (parts(10 ** (digits - 1)).some((p) => p.type === 'group')) {
      format.minimumGroupingDigits = digits - format.primaryGroupSize;
      break;
    }
  }
  return format;
}

// What the problem box says when the core cannot be had: one short line, instead of nothing.
export const CORE_MISSING = 'Изчисляването не е налично: файлът korvane.wasm липсва или е повреден.';
export const CORE_OFFLINE = 'Изчисляването не е налично без връзка: файлът korvane.wasm не е изтеглен.';
// What the page opened as a file says instead of the problem, where browsers run no module (the
// build puts it in the page's one inline script).
export const SERVE_FROM_HOST = 'Отворете страницата през уеб сървър, а не като файл: с „make serve“ (после http://127.0.0.1:8000/) или от който и да е статичен хостинг.';

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
  const format = new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)))
    .then(() => numberFormatFor(navigator.language));
  Korvane(Promise.all([core, format]));
  fitLayout();
  // The worker that keeps the site for offline use starts two seconds after the page has loaded,
  // when the browser is idle: it then finds most files in the HTTP cache, and its start does not
  // compete with the page's own or with the first report.
  new Promise((resolve) => (document.readyState === 'complete' ? resolve() : addEventListener('load', resolve, { once: true })))
    .then(() => new Promise((resolve) => setTimeout(resolve, 2000)))
    .then(() => core.catch(() => {}))
    .then(idle)
    .then(() => navigator.serviceWorker?.register('sw.js', { updateViaCache: 'none' }))
    .catch((error) => console.warn('Korvane works online only here:', error));
}
