// The start-up benchmark's floor: the page's module without the calculation core.
// The same controls and events; "Изчисли" writes the three input texts into the
// problem box, so the time to the first report measures the page and not the core.
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
