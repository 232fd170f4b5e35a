#!/usr/bin/python3
"""Writes the web page from the window's one description, ui/korvane.ui (read by ui/form.py).

In: the form, the page's module, the WebAssembly core, the photograph, the icons and the web
font. Out: a static site folder with index.html, korvane.css (every place, size and colour from
the form), the manifest, the files copied beside them, and sw.js, the service worker, with
the list of the site's files and the SHA-256 of each (with --worker-only it rewrites only that).
With --floor the same page runs a module that computes nothing (for the start-up benchmark).
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
CSP = ("default-src 'none'; script-src 'self'{scripts} 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; "
       "font-src 'self'; connect-src 'self'; manifest-src 'self'; worker-src 'self'; "
       "base-uri 'none'; form-action 'none'")


def rgb(colour) -> str:
    return "rgb({} {} {})".format(*colour)


def px(value: int) -> str:
    return f"{value}px"


def unit_label(c: form.Control, controls: list[form.Control]) -> form.Control | None:
    """The label right after an input box on its row that names no box itself (the "%" of a percentage)."""
    return next((u for u in controls if u.kind == "label" and not u.buddy and u.container == c.container
                 and u.y == c.y and abs(u.x - (c.x + c.width)) <= 1), None)


def element(c: form.Control, photo_size: tuple[int, int], controls: list[form.Control]) -> str:
    """The control's markup; its look is in the style sheet under its id."""
    text = html.escape(c.text)
    if c.kind == "label":
        # A label that names an input box (its buddy in the form) is its <label>; the window's own
        # caption is the page's heading; the others are plain text.
        if c.buddy:
            return f'<label id="{c.id}" for="{c.buddy}">{text}</label>'
        return f'<h1 id="{c.id}">{text}</h1>' if c.container is None else f'<p id="{c.id}">{text}</p>'
    if c.kind == "input":
        # A box with a unit after it is named by its label and the unit: "Площ на кръста %".
        unit = unit_label(c, controls)
        name = next((f' aria-labelledby="{label.id} {unit.id}"' for label in controls
                     if unit and label.buddy == c.id), "")
        return (f'<input id="{c.id}" type="text" inputmode="decimal" maxlength="{c.max_length}" '
                f'autocomplete="off" spellcheck="false"{name} value="{text}">')
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


def place(c: form.Control, frame: form.Control | None) -> str:
    x, y = c.x, c.y
    if frame is not None:
        x, y = x - frame.x, y - frame.y
    return f"#{c.id} {{ left: {px(x)}; top: {px(y)}; width: {px(c.width)}; height: {px(c.height)}; }}"


def look(c: form.Control) -> str:
    rules = []
    if c.background is not None:
        rules.append(f"background-color: {rgb(c.background)}")
    if c.align == "center":
        rules.append("text-align: center")
    return f"#{c.id} {{ {'; '.join(rules)}; }}" if rules else ""


def file_notice(problem_id: str, module: Path) -> str:
    """The page's one inline script, for the page opened as a file, where browsers run no module: the
    problem box says how to open it instead (the module's SERVE_FROM_HOST), and so do the buttons."""
    line = re.search(r"^export const SERVE_FROM_HOST = '([^']*)';$", module.read_text(encoding="utf-8"), re.M)
    if not line:
        return ""
    return ("if (location.protocol === 'file:') {\n"
            f"  const box = document.getElementById('{problem_id}');\n"
            f"  const say = () => {{ box.value = {json.dumps(line[1], ensure_ascii=False)}; }};\n"
            "  say();\n"
            "  for (const button of document.querySelectorAll('button')) button.addEventListener('click', say);\n"
            "}\n")


def page(window: form.Window, address: str, module: Path, photo_size: tuple[int, int]) -> str:
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
        body.append(("  " if inside else "") + element(c, photo_size, visible))
    if inside:
        body.append("</fieldset>")
    caption = f"{address}\u00a0\u00a0{window.caption_text}"
    lines = "\n    ".join(body)
    # The policy lets in the notice by its hash, and no other inline script.
    notice = file_notice(next(c.id for c in visible if c.kind == "textbox"), module)
    digest = base64.b64encode(hashlib.sha256(notice.encode()).digest()).decode()
    policy = CSP.format(scripts=f" 'sha256-{digest}'" if notice else "")
    script = f"\n<script>{notice}</script>" if notice else ""
    # The module fetches the core as it starts; a preload of it is not matched by WebKit, which
    # would then download it twice. Nor is the module preloaded: on a reload WebKit takes a module
    # it preloaded before from memory, without asking the service worker, and so mixes two releases.
    return f"""<!doctype html>
<html lang="bg">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="{policy}">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="theme-color" content="{rgb_hex(window.background)}">
<title>{html.escape(caption)}</title>
<link rel="stylesheet" href="korvane.css">
<link rel="manifest" href="manifest.webmanifest">
<link rel="icon" href="icon-32.png">
<script type="module" src="{module.name}"></script>
</head>
<body>
<main id="{window.name}" aria-label="{html.escape(window.caption_text)}">
    {lines}
    <div id="announcer" class="offscreen" role="status" aria-live="polite"></div>
</main>{script}
</body>
</html>
"""


def rgb_hex(colour) -> str:
    return "#{:02x}{:02x}{:02x}".format(*colour)


def stylesheet(window: form.Window) -> str:
    visible = [c for c in window.controls if c.visible]
    frame = next(c for c in visible if c.kind == "frame")
    points = window.font_points
    places = "\n".join(place(c, frame if c.container == frame.name else None) for c in visible)
    looks = "\n".join(filter(None, (look(c) for c in visible)))
    # Controls in the one-column layout, top to bottom: inside the frame, a row each; grid columns
    # are the label, the box and its unit.
    inputs = [c for c in visible if c.kind == "input"]
    rows = []
    for row, box in enumerate(inputs, start=1):
        label = next((c for c in visible if c.buddy == box.id), None)
        unit = unit_label(box, visible)
        if label:
            rows.append(f"#{label.id} {{ grid-area: {row} / 1; }}")
        rows.append(f"#{box.id} {{ grid-area: {row} / 2; }}")
        if unit:
            rows.append(f"#{unit.id} {{ grid-area: {row} / 3; }}")
    buttons = [c for c in visible if c.kind == "button"]
    rows += [f"#{b.id} {{ grid-area: {len(inputs) + 1} / {1 + i} / auto / span {1 + i}; }}"
             for i, b in enumerate(buttons)]

    def column_rules(prefix: str) -> str:
        """The one-column layout, every selector under `prefix`."""
        def rule(selectors: str, declarations: str) -> str:
            return ", ".join(prefix + part.strip() for part in selectors.split(",")) + f" {{ {declarations} }}"
        lines = [
            rule(f"#{window.name}", "display: flex; flex-direction: column; gap: 12px; width: auto; height: auto; "
                 "max-width: 40em; min-height: 100vh; padding: 12px; box-sizing: border-box; overflow: visible; "
                 "line-height: 1.3"),
            rule(f"#{window.name} > *, #{frame.id} > *", "position: static; inset: auto; width: auto; height: auto"),
            rule(f"#{window.name} > .offscreen", "position: absolute; width: 1px; height: 1px"),
            rule("label, p, h1", "white-space: normal; overflow: visible; overflow-wrap: anywhere"),
            rule(f"#{caption.id}", "order: 0; padding: 8px"),
            rule(f"#{picture.id}", f"order: 1; align-self: center; width: {px(picture.width)}; max-width: 100%; height: auto"),
            rule(f"#{frame.id}", "order: 2; position: relative; display: grid; "
                 "grid-template-columns: minmax(0, 1fr) minmax(44px, 5em) auto; gap: 8px; padding: 2em 12px 12px"),
            rule(f"#{frame.id} > legend", "position: absolute; left: 8px; top: 0; padding: 0 4px; line-height: inherit"),
            rule(f"#{frame.id} > label, #{frame.id} > p", "display: flex; align-items: center; min-height: 44px; padding: 0 8px"),
            rule(f"#{frame.id} > p", "justify-content: center"),
            rule("input, button", "min-height: 44px; min-width: 44px"),
            rule("button", "padding: 4px 8px"),
        ]
        lines += [prefix + r for r in rows]
        lines.append(rule(f"#{problem.id}", "order: 3; width: 100%; height: 24em; max-height: 70vh; min-height: 12em"))
        return "\n".join(lines)
    caption = next(c for c in visible if c.kind == "label" and c.container is None)
    picture = next(c for c in visible if c.kind == "picture")
    problem = visible[0] if visible[0].kind == "textbox" else next(c for c in visible if c.kind == "textbox")
    return f"""/* Generated from ui/korvane.ui by web/emit_site.py: places, sizes and colours of the window. */
@font-face {{
  font-family: "{window.font_family}";
  src: local("{window.font_family}"), local("{window.font_family.replace(' ', '')}PSMT"),
       local("Liberation Serif"), local("LiberationSerif"), url("{FONT_FILE}") format("woff2");
  unicode-range: {make_font.UNICODE_RANGE};
}}
/* The window keeps its own colours in a dark desktop theme too. */
html {{ background: #d8d8e0; color-scheme: light; }}
body {{ margin: 0; }}
#{window.name} {{
  position: relative; display: block; margin: 0 auto; overflow: hidden;
  width: {px(window.width)}; height: {px(window.height)};
  background-color: {rgb(window.background)};
  font: {px(round(points * 4 / 3))} / 1.2 "{window.font_family}", serif; color: #000;
}}
#{window.name} > *, #{frame.id} > * {{ position: absolute; box-sizing: border-box; margin: 0; }}
input, button, textarea, h1 {{ font: inherit; color: inherit; }}
label, p, h1 {{ padding: 0 {px(1)}; white-space: nowrap; overflow: hidden; }}
/* The frame's box is its place in the form; its line is drawn inside, behind its caption. */
#{frame.id} {{ padding: 0; border: none; min-width: 0; }}
#{frame.id}::before {{ content: ""; position: absolute; inset: {px(FRAME_LINE)} 0 0 0; pointer-events: none;
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
/* The module measures its labels' text with this, unseen, to notice a change of text spacing. */
.probe {{ position: absolute; left: 0; top: 0; visibility: hidden; white-space: pre; pointer-events: none; }}
{looks}

/* Where the window fits across (at any zoom that leaves it room), it is laid out as the form says. */
@media (min-width: {px(window.width)}) {{
{places}
}}

/* Narrower (a phone, or a high zoom): the same controls in one column, in the window's font size,
   every box and button at least 44 pixels high, growing with their text and its spacing. */
@media not all and (min-width: {px(window.width)}) {{
{column_rules("")}
}}
/* The same where the window's boxes cannot hold their text (larger spacing, a minimum font size):
   the module then marks the page. */
{column_rules("html.flow ")}
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


def without_comments(script: str) -> str:
    """A script as the site serves it: without its lines of comment (for its readers here) and indentation."""
    return "".join(line.lstrip(" ") for line in script.splitlines(keepends=True) if not line.lstrip().startswith("//"))


def css_without_comments(sheet: str) -> str:
    """The style sheet as the site serves it: without its comments (for its readers here) and indentation."""
    return re.sub(r"\n\s*", "\n", re.sub(r"/\*.*?\*/", "", sheet, flags=re.S)).lstrip()


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
    parser.add_argument("--file", type=Path, nargs="*", action="extend", default=[],
                        help="a file to copy into the site as it is (the core, the photograph, icons, the font)")
    parser.add_argument("--floor", action="store_true", help="no service worker: the benchmark's floor page")
    parser.add_argument("--worker-only", action="store_true",
                        help="only write the service worker for the site in --out as it stands (after a change)")
    parser.add_argument("--worker", type=Path, default=Path(__file__).with_name("sw.js"),
                        help="the service worker's source (web/sw.js)")
    args = parser.parse_args()
    if args.worker_only:
        (args.out / "sw.js").write_text(service_worker(args.out, args.worker), encoding="utf-8")
        return 0

    window = form.read_form()
    picture = next(c for c in window.controls if c.kind == "picture")
    photo = next(f for f in args.file if f.name == Path(picture.picture).name)
    with Image.open(photo) as image:
        photo_size = image.size

    out = args.out
    out.mkdir(parents=True, exist_ok=True)
    (out / "index.html").write_text(page(window, args.address, args.module, photo_size), encoding="utf-8")
    (out / "korvane.css").write_text(css_without_comments(stylesheet(window)), encoding="utf-8")
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
