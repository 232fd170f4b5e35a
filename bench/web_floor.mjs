// The start-up benchmark's floor: the page's module without the calculation core.
// The same controls and events; "Изчисли" writes the three input texts into the
// problem box, so the time to the first report measures the page and not the core.
// Opened as index.html?core it also downloads and starts the core, computing nothing
// with it: what the core's module alone costs.
const byId = (id) => document.getElementById(id);
const Text2 = [byId('Text2_0'), byId('Text2_1'), byId('Text2_2')];
byId('Command1_0').addEventListener('click', () => {
  byId('Text1_0').value = Text2.map((box) => box.value).join('\n');
});
byId('Command1_1').addEventListener('click', () => {
  for (const box of Text2) box.value = '';
  byId('Text1_0').value = '';
});
Text2[0].focus();

if (new URLSearchParams(location.search).has('core')) {
  const notSupported = () => 52;
  const wasi = { fd_close: notSupported, fd_seek: notSupported, fd_write: notSupported };
  WebAssembly.instantiateStreaming(fetch('korvane.wasm'), { wasi_snapshot_preview1: wasi })
    .then(({ instance }) => instance.exports._initialize());
}
