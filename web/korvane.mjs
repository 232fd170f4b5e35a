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

// The window: its control arrays, indexed as the handlers expect, and its handlers.
// `ready` gives the core and the number format; the page is shown before it settles.
function Korvane(ready) {
  let core;
  let format;
  const byId = (id) => document.getElementById(id);
  const Text1 = [byId('Text1_0')];
  const Text2 = [byId('Text2_0'), byId('Text2_1'), byId('Text2_2')];
  const Command1 = [byId('Command1_0'), byId('Command1_1')];
  const announcer = byId('announcer');

  function Form_Load() {
    ClearInputs();
    Text2[0].value = '37';
    Text2[1].value = '28';
    Text2[2].value = '50';
  }

  function Command1_Click(index) {
    if (index === 0) {
      CalculateCross();
    } else if (index === 1) {
      ClearInputs();
      Text1[0].value = '';
    }
  }

  function ClearInputs() {
    for (const box of Text2) box.value = '';
  }

  function CalculateCross() {
    const text = problemBoxText(core, Text2[0].value, Text2[1].value, Text2[2].value, format);
    Text1[0].value = text.replaceAll('\r\n', '\n');
    Text1[0].scrollTop = 0;
    // A screen reader hears the new report, even when it is the same as the last one.
    announcer.replaceChildren(text.replaceAll('\r\n', ' '));
  }

  // An event waits for the core only once; reactions to one promise run in the order they were
  // asked for, so a click on "Изчисти" right after "Изчисли" still clears last.
  const click = (index) => ready.then(([exports, numbers]) => {
    [core, format] = [exports, numbers];
    Command1_Click(index);
  });
  Command1.forEach((button, index) => button.addEventListener('click', () => click(index)));
  // Return in any input box calculates, as the calculate button does.
  for (const box of Text2) {
    box.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && !event.isComposing) click(0);
    });
  }
  Form_Load();
  Text2[0].focus();
  Text2[0].select();
}

if (globalThis.document) {
  const core = instantiateCore(fetch('korvane.wasm'));
  // Reading the locale costs ICU's start-up: after the first frame, not before it.
  const format = new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)))
    .then(() => numberFormatFor(navigator.language));
  Korvane(Promise.all([core, format]));
  // The worker that caches the site for offline use starts two seconds after the page has
  // loaded, when the browser is idle: it then finds every file in the HTTP cache, and its start
  // does not compete with the page's own or with the first report.
  new Promise((resolve) => addEventListener('load', resolve, { once: true }))
    .then(() => new Promise((resolve) => setTimeout(resolve, 2000)))
    .then(() => core)
    .then(() => new Promise((resolve) => requestIdleCallback(resolve, { timeout: 2000 })))
    .then(() => navigator.serviceWorker?.register('sw.js'))
    .catch((error) => console.warn('Korvane works online only here:', error));
}
