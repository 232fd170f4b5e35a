#!/usr/bin/python3
"""The Win32 control table that windows/emit_controls.py writes, as the generator's own rows
(the compiler holds each row to ControlSpec, field by field by name), held against the
Designer form before any Wine run: every control once, with its place, size, text, colour,
settings and accessible name; tab stops on exactly the visible inputs, text boxes and
buttons; each naming label just before its input; the frames last; the arrays' ids in index
order.

Usage: control_table_test.py
"""
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
sys.path.insert(0, str(ROOT / "ui"))
sys.path.insert(0, str(ROOT / "windows"))
import emit_controls  # noqa: E402
import form  # noqa: E402


def check(condition, message, failures):
    if not condition:
        failures.append(message)


def main():
    window = form.read_form()
    rows = emit_controls.rows(window)
    ids = emit_controls.control_ids(window)
    failures = []
    check(sorted(r["id"] for r in rows) == sorted(ids.values()), "not every control exactly once", failures)
    by_id = {r["id"]: r for r in rows}
    for c in window.controls:
        r = by_id.get(ids[c.id])
        if r is None:
            continue
        label = f"{c.id}:"
        check(r["kind"].lower() == c.kind and r["name"] == c.name and r["index"] == (-1 if c.index is None
                                                                                     else c.index),
              f"{label} kind, name or index {r['kind']} {r['name']} {r['index']}", failures)
        check((r["x"], r["y"], r["height"]) == (c.x, c.y, c.height) and
              (r["width"] == c.width or (c.buddy and r["width"] < c.width)), f"{label} place", failures)
        check(r["text"] == c.text.replace("\n", "\r\n"), f"{label} text {r['text']!r}", failures)
        check(r["has_background"] == (c.background is not None) and
              (c.background is None or r["background"] == tuple(c.background)), f"{label} colour", failures)
        check(r["centred"] == (c.align == "center") and r["max_length"] == (c.max_length or 0) and
              r["read_only"] == c.read_only and r["vertical_scroll_bar"] == c.vertical_scroll_bar and
              r["visible"] == c.visible, f"{label} settings", failures)
        check(r["tab_stop"] == (c.kind in ("input", "textbox", "button") and c.visible), f"{label} tab stop",
              failures)
        check(r["accessible_name"] == c.accessible_name, f"{label} accessible name", failures)
        check(bool(r["picture"]) == bool(c.picture), f"{label} picture", failures)
    # Creation order: the tab order, a naming label just before its input, frames last.
    order = [r["id"] for r in rows]
    for c in window.controls:
        if c.buddy:
            at = order.index(ids[c.id]) if ids[c.id] in order else -1
            check(0 <= at < len(order) - 1 and order[at + 1] == ids[c.buddy], f"{c.id} is not just before {c.buddy}",
                  failures)
    kinds = [r["kind"] for r in rows]
    check("Frame" not in kinds or kinds.index("Frame") == len(kinds) - kinds.count("Frame"), "frames not last",
          failures)
    unlabelled = [r["id"] for r in rows if r["kind"] != "Frame" and not any(
        ids[c.id] == r["id"] and c.buddy for c in window.controls)]
    check(unlabelled == sorted(unlabelled), f"creation order is not the tab order: {unlabelled}", failures)
    # The arrays, by index.
    arrays = emit_controls.arrays(window)
    members = {}
    for c in window.controls:
        members.setdefault(c.name, {})[c.index or 0] = ids[c.id]
    for name, by_index in members.items():
        check(arrays.get(name) == [by_index[i] for i in sorted(by_index)], f"k{name} is {arrays.get(name)}",
              failures)
    for failure in failures:
        print(failure)
    print(f"control table: {len(rows)} rows, {len(arrays)} arrays, {len(failures)} faults")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
