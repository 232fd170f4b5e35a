"""The test cases of tests/cases/*.txt, read for the Python tests; the files' comments describe them.

read_case_file(name): each line's fields, texts decoded, with the indented lines under it.
ERROR_LINE, REPORTS (report.txt's cases by name) and report_text(name), the whole problem box.
"""
import json
import pathlib
import re

FOLDER = pathlib.Path(__file__).resolve().parent.parent / "cases"
STRING = r'"(?:[^"\\]|\\.)*"'
FIELD = re.compile(rf'\s*({STRING}(?:\*\d+)?(?:\+{STRING}(?:\*\d+)?)*|[^\s"]+)(?=\s|$)')


def _decoded(field):
    if not field.startswith('"'):
        return field
    return "".join(json.loads(text) * int(times or 1) for text, times in re.findall(rf"({STRING})(?:\*(\d+))?", field))


def read_case_file(name):
    records = []
    for number, line in enumerate((FOLDER / name).read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        fields, at = [], 0
        while line[at:].strip():
            match = FIELD.match(line, at)
            if not match:
                raise ValueError(f"{name}:{number}: cannot read {line[at:]!r}")
            fields.append(_decoded(match.group(1)))
            at = match.end()
        if line[0].isspace() and not records:
            raise ValueError(f"{name}:{number}: an indented line before any case")
        if line[0].isspace():
            records[-1]["lines"].append(fields)
        else:
            records.append({"where": f"{name}:{number}", "fields": fields, "lines": []})
    return records


class Report:
    def __init__(self, record):
        self.name, *self.inputs, self.format = record["fields"][:5]
        self.error = record["fields"][5:] == ["error"]
        self.lines = {int(n): text for n, text in record["lines"]}


_RECORDS = read_case_file("report.txt")
ERROR_LINE = next(r["fields"][1] for r in _RECORDS if r["fields"][0] == "error-line")
REPORTS = {r["fields"][0]: Report(r) for r in _RECORDS if r["fields"][0] != "error-line"}


def report_text(name):
    """The whole box for a case that pins lines 4 to 8, each line ending in CR LF; the first three are the Example's."""
    missing = [n for n in range(4, 9) if n not in REPORTS[name].lines]
    if missing:
        raise KeyError(f"the case {name} pins no line {missing[0]}")
    lines = {**REPORTS["Example"].lines, **REPORTS[name].lines}
    return "".join(lines[n] + "\r\n" for n in range(1, 9))
