#!/usr/bin/python3
"""Writes the web page from the window's one description, ui/korvane.ui (read by ui/form.py).

In: the form, the page's module, the WebAssembly core, the photograph, the icons and the web
font. Out: a static site folder with index.html, korvane.css (every place, size and colour from
the form), the manifest, the files copied beside them, and sw.js, the service worker, whose
cache name is a hash of the whole site so that a changed site replaces the old cache.
With --floor the same page runs a module that computes nothing (for the start-up benchmark).
"""
from __future__ import annotations

import argparse
import hashlib
import html
import json
import shutil
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "ui"))
import form  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parent))
import make_font  # noqa: E402
from PIL import Image  # noqa: E402  Debian's python3-pil

# Where the frame's line runs below its top, through the middle of its caption.
FRAME_LINE = 9
# The sources' places in the site.
FONT_FILE = "korvane-serif.woff2"
CSP = ("default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; "
       "font-src 'self'; connect-src 'self'; manifest-src 'self'; worker-src 'self'; "
       "base-uri 'none'; form-action 'none'")


def rgb(colour) -> str:
    return "rgb({} {} {})".format(*colour)


def px(value: int) -> str:
    """A length of the window that scales down with it on narrow screens."""
    return f"calc({value} * var(--u))"


def element(c: form.Control, photo_size: tuple[int, int]) -> str:
    """The control's markup; its look is in the style sheet under its id."""
    text = html.escape(c.text)
    if c.kind == "label":
        # A label that names an input box (its buddy in the form) is its <label>; the others are plain text.
        return f'<label id="{c.id}" for="{c.buddy}">{text}</label>' if c.buddy else f'<p id="{c.id}">{text}</p>'
    if c.kind == "input":
        return (f'<input id="{c.id}" type="text" inputmode="decimal" maxlength="{c.max_length}" '
                f'autocomplete="off" spellcheck="false" value="{text}">')
    if c.kind == "button":
        return f'<button id="{c.id}" type="button">{text}</button>'
    if c.kind == "textbox":
        return (f'<textarea id="{c.id}" aria-label="{html.escape(c.accessible_name)}" readonly '
                f'spellcheck="false">{text}</textarea>')
    if c.kind == "picture":
        width, height = photo_size
        return (f'<img id="{c.id}" src="{Path(c.picture).name}" width="{width}" height="{height}" '
                f'alt="{html.escape(c.accessible_name)}">')
    raise ValueError(f"no markup for {c.kind}")


def style(c: form.Control, frame: form.Control | None) -> str:
    x, y = c.x, c.y
    if frame is not None:
        x, y = x - frame.x, y - frame.y
    rules = [f"left: {px(x)}", f"top: {px(y)}", f"width: {px(c.width)}", f"height: {px(c.height)}"]
    if c.background is not None:
        rules.append(f"background-color: {rgb(c.background)}")
    if c.align == "center":
        rules.append("text-align: center")
    return f"#{c.id} {{ {'; '.join(rules)}; }}"


def page(window: form.Window, address: str, module: str, core: str | None, photo_size: tuple[int, int]) -> str:
    visible = [c for c in window.controls if c.visible]
    frame = next(c for c in visible if c.kind == "frame")
    body = []
    inside = False
    # Tab-index order is the document's order, so that Tab walks the window as laid out.
    for c in visible:
        if c.kind == "frame":
            continue
        if (c.container == frame.name) != inside:
            inside = not inside
            body.append(f'<fieldset id="{frame.id}"><legend>{html.escape(frame.text)}</legend>' if inside
                        else "</fieldset>")
        body.append(("  " if inside else "") + element(c, photo_size))
    if inside:
        body.append("</fieldset>")
    caption = f"{address}\u00a0\u00a0{window.caption_text}"
    lines = "\n    ".join(body)
    # The core's download starts with the page's, not when the module asks for it.
    preload = f'<link rel="preload" href="{core}" as="fetch" crossorigin>\n' if core else ""
    return f"""<!doctype html>
<html lang="bg">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="{CSP}">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="theme-color" content="{rgb_hex(window.background)}">
<title>{html.escape(caption)}</title>
<link rel="stylesheet" href="korvane.css">
<link rel="manifest" href="manifest.webmanifest">
<link rel="icon" href="icon-32.png">
<link rel="modulepreload" href="{module}">
{preload}<script type="module" src="{module}"></script>
</head>
<body>
<main id="{window.name}" aria-label="{html.escape(window.caption_text)}">
    {lines}
    <div id="announcer" class="offscreen" role="status" aria-live="polite"></div>
</main>
</body>
</html>
"""


def rgb_hex(colour) -> str:
    return "#{:02x}{:02x}{:02x}".format(*colour)


def stylesheet(window: form.Window) -> str:
    visible = [c for c in window.controls if c.visible]
    frame = next(c for c in visible if c.kind == "frame")
    points = window.font_points
    places = "\n".join(style(c, frame if c.container == frame.name else None) for c in visible)
    return f"""/* Generated from ui/korvane.ui by web/emit_site.py: places, sizes and colours of the window. */
@font-face {{
  font-family: "{window.font_family}";
  src: local("{window.font_family}"), local("{window.font_family.replace(' ', '')}PSMT"),
       local("Liberation Serif"), local("LiberationSerif"), url("{FONT_FILE}") format("woff2");
  unicode-range: {make_font.UNICODE_RANGE};
}}
/* The window keeps its own colours in a dark desktop theme too. */
html {{ background: #d8d8e0; color-scheme: light; }}
/* The body measures the width left for the window, so that it scales without a horizontal scroll bar. */
body {{ margin: 0; container-type: inline-size; }}
#{window.name} {{
  /* One window pixel: a CSS pixel, or less where the window would not fit across. */
  --u: min(1px, 100cqi / {window.width});
  position: relative; display: block; margin: 0 auto; overflow: hidden;
  width: {px(window.width)}; height: {px(window.height)};
  background-color: {rgb(window.background)};
  font: {px(round(points * 4 / 3))} / 1.2 "{window.font_family}", serif; color: #000;
}}
#{window.name} > *, #{frame.id} > * {{ position: absolute; box-sizing: border-box; margin: 0; }}
input, button, textarea {{ font: inherit; color: inherit; }}
label, p {{ padding: 0 {px(1)}; white-space: pre; overflow: hidden; }}
/* The frame's box is its place in the form; its line is drawn inside, behind its caption. */
#{frame.id} {{ padding: 0; border: none; }}
#{frame.id}::before {{ content: ""; position: absolute; inset: {px(FRAME_LINE)} 0 0 0;
  border: {px(2)} groove rgb(255 255 255 / 0.8); }}
#{frame.id} > legend {{ left: 0; top: 0; padding: 0 {px(1)} 0 0; line-height: 1;
  background-color: {rgb(window.background)}; }}
input {{ padding: 0; border: {px(2)} inset #e0e0e0; background: #fff; }}
button {{ padding: 0; border: {px(2)} outset rgb(0 0 0 / 0.25); cursor: pointer; }}
button:active {{ border-style: inset; }}
button:focus-visible, input:focus-visible, textarea:focus-visible {{ outline: 2px solid #000; outline-offset: -2px; }}
textarea {{ padding: {px(3)}; border: {px(2)} inset #e0e0e0; background: #fff; resize: none;
  overflow-y: scroll; white-space: pre-wrap; }}
img {{ border: {px(2)} inset #e0e0e0; background: #fff; object-fit: contain; }}
.offscreen {{ position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%); white-space: nowrap; }}
{places}
"""


def manifest(window: form.Window, address: str) -> str:
    return json.dumps({
        "name": window.caption_text,
        "short_name": "Korvane",
        "description": f"{address}: {window.caption_text}",
        "lang": "bg",
        "start_url": "./",
        "scope": "./",
        "display": "standalone",
        "background_color": rgb_hex(window.background),
        "theme_color": rgb_hex(window.background),
        "icons": [{"src": f"icon-{n}.png", "sizes": f"{n}x{n}", "type": "image/png"} for n in (192, 512)],
    }, ensure_ascii=False, indent=1) + "\n"


def service_worker(template: Path, site: Path, precache: list[str]) -> str:
    digest = hashlib.sha256()
    for path in sorted(p for p in site.rglob("*") if p.is_file() and p.name != "sw.js"):
        digest.update(path.relative_to(site).as_posix().encode() + b"\0" + path.read_bytes())
    text = template.read_text(encoding="utf-8")
    text = text.replace("@CACHE_NAME@", "korvane-" + digest.hexdigest()[:16])
    return text.replace("@PRECACHE@", json.dumps(["./"] + precache))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=Path, required=True, help="the site folder to write")
    parser.add_argument("--address", required=True, help="the publisher's address, first in the caption")
    parser.add_argument("--module", type=Path, required=True, help="the page's ES module")
    parser.add_argument("--file", type=Path, nargs="*", action="extend", default=[],
                        help="a file to copy into the site as it is (the core, the photograph, icons, the font)")
    parser.add_argument("--floor", action="store_true", help="no service worker: the benchmark's floor page")
    args = parser.parse_args()

    window = form.read_form()
    picture = next(c for c in window.controls if c.kind == "picture")
    photo = next(f for f in args.file if f.name == Path(picture.picture).name)
    with Image.open(photo) as image:
        photo_size = image.size

    out = args.out
    out.mkdir(parents=True, exist_ok=True)
    # The floor page starts no download of the core unless asked to (index.html?core).
    core = None if args.floor else next((f.name for f in args.file if f.suffix == ".wasm"), None)
    (out / "index.html").write_text(page(window, args.address, args.module.name, core, photo_size), encoding="utf-8")
    (out / "korvane.css").write_text(stylesheet(window), encoding="utf-8")
    shutil.copyfile(args.module, out / args.module.name)
    for source in args.file:
        shutil.copyfile(source, out / source.name)
    if args.floor:
        return 0
    (out / "manifest.webmanifest").write_text(manifest(window, args.address), encoding="utf-8")
    # What the page cannot work without is fetched when the worker installs; the icons and the
    # web font (needed only where Times New Roman is missing) are cached when first asked for.
    shell = ["korvane.css", args.module.name, "manifest.webmanifest", "icon-32.png"]
    shell += [s.name for s in args.file if s.suffix in (".wasm", ".jpg")]
    template = Path(__file__).with_name("sw.js")
    (out / "sw.js").write_text(service_worker(template, out, shell), encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
