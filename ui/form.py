#!/usr/bin/env python3
"""The window's one description, the Designer form ui/korvane.ui, read into plain data.

In: the form. Out: the window (caption, client size, colour, font) and its controls in
tab-index order, each with its kind, array name and index, place in the client area,
size, text (lines end in LF), colours, alignment and limits. The motto (Text1 index 1)
is marked not visible: shown, it would cover the problem box and run off the window. The Windows and web front ends are generated
from this at build time; the Qt front end compiles the form itself, and its test checks
the window it builds against `python3 ui/form.py --json`.
"""
from __future__ import annotations

import argparse
import dataclasses
import json
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

FORM = Path(__file__).with_name("korvane.ui")

# The Qt classes of the form as the window's kinds of control.
KINDS = {
    "QGroupBox": "frame",
    "QLineEdit": "input",
    "QPlainTextEdit": "textbox",
    "FlatButton": "button",
    "QLabel": "label",
    "PictureBox": "picture",
}


@dataclasses.dataclass
class Control:
    name: str  # the control array's name: Text2
    index: int | None  # its index in the array; None for a single control
    kind: str  # frame, input, textbox, button, label or picture
    container: str | None  # the frame it lies in, or None for the window
    x: int  # left and top in pixels from the client area's top-left corner
    y: int
    width: int
    height: int
    tab_index: int
    text: str = ""
    accessible_name: str = ""
    background: tuple[int, int, int] | None = None  # None: the platform's default
    align: str = "left"  # left or center
    max_length: int | None = None
    read_only: bool = False
    vertical_scroll_bar: bool = False
    visible: bool = True
    picture: str = ""  # the resource the picture box shows
    buddy: str = ""  # for a label, the id of the input box it names (Text2_0)

    @property
    def id(self) -> str:
        return self.name if self.index is None else f"{self.name}_{self.index}"


@dataclasses.dataclass
class Window:
    name: str
    caption_text: str  # the caption after the publisher's address and two blanks
    width: int
    height: int
    background: tuple[int, int, int]
    font_family: str
    font_points: int
    icon: str
    controls: list[Control]


def _prop(widget: ET.Element, name: str) -> ET.Element | None:
    for p in widget.findall("property"):
        if p.get("name") == name:
            return p[0]
    return None


def _colour(element: ET.Element) -> tuple[int, int, int]:
    return tuple(int(element.findtext(c)) for c in ("red", "green", "blue"))


def _window_colour(widget: ET.Element) -> tuple[int, int, int] | None:
    palette = _prop(widget, "palette")
    if palette is None:
        return None
    for role in palette.iter("colorrole"):
        if role.get("role") == "Window":
            return _colour(role.find("brush/color"))
    return None


def _control(widget: ET.Element, container: ET.Element | None) -> Control:
    name, _, index = widget.get("name").partition("_")
    rect = _prop(widget, "geometry")
    x, y, width, height = (int(rect.findtext(k)) for k in ("x", "y", "width", "height"))
    if container is not None:
        frame = _prop(container, "geometry")
        x, y = x + int(frame.findtext("x")), y + int(frame.findtext("y"))

    def text(prop: str) -> str:
        element = _prop(widget, prop)
        return (element.text or "") if element is not None else ""

    def flag(prop: str) -> bool:
        element = _prop(widget, prop)
        return element is not None and element.text == "true"

    face = _prop(widget, "faceColour")
    max_length = _prop(widget, "maxLength")
    alignment = text("alignment")
    visible = _prop(widget, "visible")
    return Control(
        name=name,
        index=int(index) if index else None,
        kind=KINDS[widget.get("class")],
        container=container.get("name") if container is not None else None,
        x=x,
        y=y,
        width=width,
        height=height,
        tab_index=int(text("tabIndex")),
        text=text("text") or text("title") or text("plainText"),
        accessible_name=text("accessibleName"),
        background=_colour(face) if face is not None else _window_colour(widget),
        align="center" if "AlignCenter" in alignment or "AlignHCenter" in alignment else "left",
        max_length=int(max_length.text) if max_length is not None else None,
        read_only=flag("readOnly"),
        vertical_scroll_bar=text("verticalScrollBarPolicy").endswith("ScrollBarAlwaysOn"),
        visible=visible is None or visible.text == "true",
        picture=text("pixmap"),
        buddy=text("buddy"),
    )


def read_form(path: Path = FORM) -> Window:
    root = ET.parse(path).getroot().find("widget")
    controls: list[Control] = []
    for widget in root.findall("widget"):
        controls.append(_control(widget, None))
        controls += [_control(child, widget) for child in widget.findall("widget")]
    controls.sort(key=lambda c: c.tab_index)
    size = _prop(root, "geometry")
    font = _prop(root, "font")
    return Window(
        name=root.get("name"),
        caption_text=_prop(root, "windowTitle").text,
        width=int(size.findtext("width")),
        height=int(size.findtext("height")),
        background=_window_colour(root),
        font_family=font.findtext("family"),
        font_points=int(font.findtext("pointsize")),
        icon=_prop(root, "windowIcon").findtext("normaloff"),
        controls=controls,
    )


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--form", type=Path, default=FORM)
    parser.add_argument("--json", type=Path, help="write the description as JSON here (default: standard output)")
    args = parser.parse_args()
    text = json.dumps(dataclasses.asdict(read_form(args.form)), ensure_ascii=False, indent=1) + "\n"
    if args.json:
        args.json.write_text(text, encoding="utf-8")
    else:
        sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
