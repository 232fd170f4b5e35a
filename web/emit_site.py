#!/usr/bin/python3
"""Writes the web site: web/index.html, korvane.css and manifest.webmanifest with each {{name}} filled in
from the window's form (ui/korvane.ui: texts, places, sizes, colours), the module and the files beside
them, and sw.js, the service worker, with the SHA-256 of each file it serves (--worker-only: that alone).
With --floor the page runs a module that computes nothing (the start-up benchmark's floor).
"""
from __future__ import annotations

import argparse
import base64
import hashlib
import html
import json
import re
import shutil
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "ui"))
import form  # noqa: E402

sys.path.insert(0, str(HERE))
import make_font  # noqa: E402
from PIL import Image  # noqa: E402  Debian's python3-pil

RGB, HEX = "rgb({} {} {})", "#{:02x}{:02x}{:02x}"  # a colour of the form, in CSS and in the manifest


def source(name: str) -> str:
    return (HERE / name).read_text(encoding="utf-8")


def fill(template: str, values: dict[str, str]) -> str:
    """The template with each {{name}} replaced; a name without a value stops the build."""
    return re.sub(r"\{\{([\w.-]+)\}\}", lambda m: values[m[1]], template)


def agrees(page: str, controls: list[form.Control]) -> None:
    """The markup holds the form's visible controls in its tab order, each label naming its box."""
    expected = [(c.id, c.buddy) for c in controls]
    found = [pair for pair in re.findall(r' id="(\w+)"(?: for="(\w+)")?', page) if pair[0] in dict(expected)]
    if found != expected:
        sys.exit(f"web/index.html has the controls (and the boxes they label) {found}, the form {expected}")


def page(window: form.Window, address: str, module: Path, files: list[Path]) -> str:
    """index.html; the inline script (the problem box's notice for the page opened as a file) goes
    with the module's SERVE_FROM_HOST and is let in by its hash."""
    visible = [c for c in window.controls if c.visible]
    values = {"title": html.escape(f"{address}\u00a0\u00a0{window.caption_text}"), "module": module.name,
              "theme-colour": HEX.format(*window.background), window.name: html.escape(window.caption_text)}
    for c in visible:
        values |= {c.id: html.escape(c.text), f"{c.id}.name": html.escape(c.accessible_name),
                   f"{c.id}.maxlength": str(c.max_length), f"{c.id}.file": Path(c.picture).name}
    picture = next(c for c in visible if c.kind == "picture")
    with Image.open(next(f for f in files if f.name == Path(picture.picture).name)) as image:
        values["Picture1.pixels-across"], values["Picture1.pixels-down"] = map(str, image.size)
    served = re.search(r"^export const SERVE_FROM_HOST = '([^']*)';$", module.read_text(encoding="utf-8"), re.M)
    values["SERVE_FROM_HOST"] = json.dumps(served[1] if served else "", ensure_ascii=False)
    text = re.sub(r"[ \t]*<!--.*?-->\n", "", source("index.html"), flags=re.S)
    text = fill(text.replace("{{script-hash}}", "\0"), values)
    agrees(text, visible)
    script = re.search(r"\n<script>(.*?)</script>", text, re.S)
    digest = base64.b64encode(hashlib.sha256(script[1].encode()).digest()).decode()
    return text.replace("\0", f" 'sha256-{digest}'") if served else text.replace("\0", "").replace(script[0], "")


def stylesheet(window: form.Window) -> str:
    """korvane.css as served: without its comments; the one-column rules repeated under html.flow."""
    visible = [c for c in window.controls if c.visible]
    frame = next(c for c in visible if c.kind == "frame")
    inside = [(c, (frame.x, frame.y) if c.container == frame.name else (0, 0)) for c in visible]
    places = [f"#{c.id} {{ left: {c.x - x}px; top: {c.y - y}px; width: {c.width}px; height: {c.height}px; }}"
              for c, (x, y) in inside]
    looks = [(c, ([f"background-color: {RGB.format(*c.background)}"] if c.background else []) +
              (["text-align: center"] if c.align == "center" else [])) for c in visible]
    picture = next(c for c in visible if c.kind == "picture")
    values = {"font": window.font_family, "font.postscript": window.font_family.replace(" ", "") + "PSMT",
              "font.characters": make_font.UNICODE_RANGE, "font.size": f"{round(window.font_points * 4 / 3)}px",
              "Korvane.width": f"{window.width}px", "Korvane.height": f"{window.height}px",
              "Korvane.background": RGB.format(*window.background), "Picture1.width": f"{picture.width}px",
              "places": "\n".join(places), "looks": "\n".join(f"#{c.id} {{ {'; '.join(r)}; }}" for c, r in looks if r)}
    sheet = re.sub(r"/\*.*?\*/", "", source("korvane.css"), flags=re.S)
    sheet = re.sub(r"\n\s*", "\n", fill(sheet, values)).lstrip()
    column = re.search(r"^@media not all .*? \{\n(.*?)^\}\n", sheet, re.S | re.M)[1]
    flow = [", ".join("html.flow " + s.strip() for s in selectors.split(",")) + " {" + body + "}"
            for selectors, body in re.findall(r"([^{}]+)\{([^{}]*)\}", column)]
    return sheet + "\n".join(flow) + "\n"


def manifest(window: form.Window, address: str) -> str:
    text = lambda value: json.dumps(value, ensure_ascii=False)[1:-1]  # noqa: E731
    return fill(source("manifest.webmanifest"),
                {"Korvane": text(window.caption_text), "address": text(address), "theme-colour": HEX.format(*window.background)})


def without_comments(script: str) -> str:
    """A script as the site serves it: without its lines of comment (for its readers here) and indentation."""
    return "".join(line.lstrip(" ") for line in script.splitlines(keepends=True) if not line.lstrip().startswith("//"))


def service_worker(site: Path, source: Path) -> str:
    """The worker for the site as it stands, as served: every file the page can ask for, with its SHA-256."""
    files = {}
    for path in sorted(p for p in site.rglob("*") if p.is_file()):
        name = path.relative_to(site).as_posix()
        # The worker itself and the font's licence (for readers of the site, not for the page) stay out.
        if name != "sw.js" and path.suffix != ".txt":
            files[name] = base64.b64encode(hashlib.sha256(path.read_bytes()).digest()).decode()
    listing = json.dumps(files, indent=1, sort_keys=True)
    text = without_comments(source.read_text(encoding="utf-8").replace("@FILES@", listing))
    # The release's name covers all that the worker serves and the worker itself, so that a change
    # to the worker alone is a new release too, with a cache of its own.
    return text.replace("@RELEASE@", hashlib.sha256(text.encode()).hexdigest()[:16])


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=Path, required=True, help="the site folder to write")
    parser.add_argument("--address", help="the publisher's address, first in the caption")
    parser.add_argument("--module", type=Path, help="the page's ES module")
    parser.add_argument("--file", type=Path, nargs="*", action="extend", default=[], help="a file to copy as it is")
    parser.add_argument("--floor", action="store_true", help="no service worker: the benchmark's floor page")
    parser.add_argument("--worker-only", action="store_true", help="only write the worker for the site in --out")
    parser.add_argument("--worker", type=Path, default=HERE / "sw.js", help="the service worker's source")
    args = parser.parse_args()
    if args.worker_only:
        (args.out / "sw.js").write_text(service_worker(args.out, args.worker), encoding="utf-8")
        return 0

    window, out = form.read_form(), args.out
    out.mkdir(parents=True, exist_ok=True)
    (out / "index.html").write_text(page(window, args.address, args.module, args.file), encoding="utf-8")
    (out / "korvane.css").write_text(stylesheet(window), encoding="utf-8")
    (out / args.module.name).write_text(without_comments(args.module.read_text(encoding="utf-8")), encoding="utf-8")
    for source in args.file:
        shutil.copyfile(source, out / source.name)
    if args.floor:
        return 0
    (out / "manifest.webmanifest").write_text(manifest(window, args.address), encoding="utf-8")
    (out / "sw.js").write_text(service_worker(out, args.worker), encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
