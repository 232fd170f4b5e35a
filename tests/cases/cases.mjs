// The test cases of tests/cases/*.txt, read for the JavaScript tests; the files' comments describe
// them. readCaseFile(name): each line's fields (texts decoded) with the indented lines under it, and
// every word and quoted piece as written. formats: formats.txt by name, in the fields the page's
// module takes. reports, errorLine and pinnedLines: report.txt's cases and what each pins of the box.
import { readFileSync } from 'node:fs';

const STRING = String.raw`"(?:[^"\\]|\\.)*"`;
const FIELD = new RegExp(String.raw`\s*(${STRING}(?:\*\d+)?(?:\+${STRING}(?:\*\d+)?)*|[^\s"]+)(?=\s|$)`, 'y');
const PIECE = new RegExp(String.raw`(${STRING})(?:\*(\d+))?`, 'g');

export function readCaseFile(name) {
  const records = [];
  readFileSync(new URL(name, import.meta.url), 'utf8').split('\n').forEach((line, i) => {
    if (/^\s*(#|$)/.test(line)) return;
    const fields = [];
    const pieces = [];
    for (let at = 0; line.slice(at).trim(); at = FIELD.lastIndex) {
      FIELD.lastIndex = at;
      const [, field] = FIELD.exec(line) ?? fail(`${name}:${i + 1}: cannot read ${JSON.stringify(line.slice(at))}`);
      const parts = field.startsWith('"') ? [...field.matchAll(PIECE)].map(([, text, n]) => [JSON.parse(text), n ?? 1]) : [[field, 1]];
      pieces.push(...parts.map(([text]) => text));
      fields.push(parts.map(([text, n]) => text.repeat(n)).join(''));
    }
    if (!/^\s/.test(line)) {
      records.push({ where: `${name}:${i + 1}`, fields, lines: [], pieces });
    } else {
      const record = records.at(-1) ?? fail(`${name}:${i + 1}: an indented line before any case`);
      record.lines.push(fields);
      record.pieces.push(...pieces);
    }
  });
  return records;
}

function fail(message) {
  throw new Error(message);
}

export const formats = Object.fromEntries(readCaseFile('formats.txt').map(({ fields }) => {
  const [name, decimalSeparator, groupSeparator, negativeSign, primary, secondary, minimum, leadingZero, parentheses] = fields;
  return [name, { decimalSeparator, groupSeparator, negativeSign, primaryGroupSize: Number(primary),
    secondaryGroupSize: Number(secondary), minimumGroupingDigits: Number(minimum), leadingZero: leadingZero === 'yes',
    parentheses: parentheses === 'yes' }];
}));

const reportRecords = readCaseFile('report.txt');
export const errorLine = reportRecords.find(({ fields }) => fields[0] === 'error-line').fields[1];
export const reports = Object.fromEntries(reportRecords.filter(({ fields }) => fields[0] !== 'error-line')
  .map(({ where, fields: [name, length, width, percentage, format, error], lines }) => [name, { where, name,
    inputs: [length, width, percentage], format, error: error === 'error',
    lines: Object.fromEntries(lines.map(([n, text]) => [Number(n), text])) }]));

// The box's lines as a case pins them, undefined where it pins nothing: the error line alone, or the
// eight lines of a report, the first three the Example's. With `whole`, a case must pin them all.
export function pinnedLines(name, whole = false) {
  const { error, lines, where } = reports[name] ?? fail(`no case ${name} in report.txt`);
  const pinned = error ? [errorLine] : [1, 2, 3, 4, 5, 6, 7, 8].map((n) => lines[n] ?? (n <= 3 ? reports.Example.lines[n] : undefined));
  if (whole && pinned.includes(undefined)) fail(`${where}: the case does not pin every line of the box`);
  return pinned;
}
