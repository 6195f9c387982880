#!/usr/bin/env bash
# Fetches the public picture test suites that Debian's source packages carry into a cache
# folder (never into the repository), with what a second decoder makes of each file:
#   png/   PngSuite, from libspng's sources;
#   bmp/   bmpsuite's g/, q/ and b/ folders and pal8_offset.bmp, from pillow's sources, and in
#          bmp/pillow/ a few of pillow's own test bitmaps;
#   gif/   the GIF test suite with its own expected pixels, from gdk-pixbuf's sources;
#   jpeg/  libjpeg-turbo's test images, from its sources, and in jpeg/pillow/ pillow's damaged ones.
# manifest.txt lists one file a line, tab-separated, with what the decoder must give:
#   PATH refused                  the suite marks the file broken, or no reference reads it
#   PATH any                      questionable: the references disagree, or none reads it
#   PATH libpng                   what libpng's simplified reader gives for the file
#   PATH libpng-of TWIN           the same for TWIN, the same picture without interlacing
#   PATH rgba TOLERANCE (REF W H)...  the W x H RGBA bytes of any REF: the suite's own renderings
#                                 (bmpsuite's, the GIF suite's frames), else Pillow's, else
#                                 ImageMagick's; each REF is PATH.SOURCE.rgba, SOURCE naming it
#                                 (bmpsuite-RENDERING, gifsuite-FRAME, pillow, magick)
#   PATH rgba-or-refused ...      the same, or refused: a questionable file the suite renders
# Where the suites leave a choice, or hold no such file, DECIDED below names the one reference.
# The folder is ${TEV_PICTURE_SUITES:-<cache>/picture-suites}; the last line on stdout names it.
# Nothing is fetched again while the manifest is current.
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/common.sh"

RECIPE=5 # bump when the manifest below changes
SUITES="${TEV_PICTURE_SUITES:-$TEV_CACHE/picture-suites}"
MANIFEST="$SUITES/manifest.txt"
PYTHON=/usr/bin/python3 # Debian's, which python3-pil serves

log() { printf '[picture-suites] %s\n' "$*" >&2; }
die() {
    printf '[picture-suites] error: %s\n' "$*" >&2
    exit 1
}

if [ -f "$MANIFEST" ] && head -n 1 "$MANIFEST" | grep -qx "# recipe $RECIPE"; then
    log "up to date ($(grep -vc '^#' "$MANIFEST") files)"
    printf '%s\n' "$SUITES"
    exit 0
fi
"$PYTHON" -c 'import PIL' 2>/dev/null || die "no Pillow for $PYTHON; run scripts/setup.sh (python3-pil)"
bash "$HERE/build-deps.sh" --sources >&2

WORK="$(mktemp -d "${TMPDIR:-/tmp}/tev-suites.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
source "$HERE/fetch-source.sh"

fetch_source libspng SPNG_SRC SPNG_VER
fetch_source pillow PILLOW_SRC PILLOW_VER
fetch_source gdk-pixbuf PIXBUF_SRC PIXBUF_VER
fetch_source libjpeg-turbo JPEG_SRC JPEG_VER

# Only what this script makes: the folder may be one the user named.
rm -rf "$MANIFEST" "$SUITES/png" "$SUITES/bmp" "$SUITES/gif" "$SUITES/jpeg"
mkdir -p "$SUITES/png" "$SUITES/bmp/g" "$SUITES/bmp/q" "$SUITES/bmp/b" "$SUITES/bmp/pillow" "$SUITES/gif" \
    "$SUITES/jpeg/pillow"
cp "$SPNG_SRC"/tests/images/*.png "$SUITES/png/"
for folder in g q b; do
    cp "$PILLOW_SRC/Tests/images/bmp/$folder"/*.bmp "$SUITES/bmp/$folder/"
done
cp "$PILLOW_SRC/Tests/images/pal8_offset.bmp" "$SUITES/bmp/g/"
cp "$PILLOW_SRC"/Tests/images/{rgb32bf-abgr,hopper_rle8_row_overflow}.bmp "$SUITES/bmp/pillow/"
cp "$PILLOW_SRC"/Tests/images/{truncated_jpeg,hopper_bad_exif}.jpg "$SUITES/jpeg/pillow/"
mkdir -p "$SUITES/bmp/html"
cp "$PILLOW_SRC"/Tests/images/bmp/html/*.png "$PILLOW_SRC/Tests/images/bmp/html/bmpsuite.html" "$SUITES/bmp/html/"
GIFS="$PIXBUF_SRC/tests/test-images/gif-test-suite"
cp "$GIFS"/*.gif "$GIFS"/*.conf "$GIFS"/*.rgba "$GIFS/TESTS" "$SUITES/gif/"
cp "$JPEG_SRC"/testimages/*.jpg "$SUITES/jpeg/"

log "making the references"
# With libjpeg-turbo's C code, as ours is built: corrupt coded data gives samples far out of
# range, which its SIMD code rounds otherwise.
JSIMD_FORCENONE=1 "$PYTHON" - "$SUITES" "$RECIPE" <<'PYTHON'
import configparser, os, re, subprocess, sys
from PIL import Image

suites, recipe = sys.argv[1], sys.argv[2]
lines = []

# Files that must decode to one named reference: where the suite accepts several renderings or a
# refusal but Pillow and ImageMagick agree, and files no suite holds (from pillow's test images).
# Sources: bmpsuite:RENDERING, gifsuite:FRAME, pillow, magick.
DECIDED = {
    "bmp/q/pal2.bmp": "bmpsuite:pal2.png",  # 2 bits a pixel
    "bmp/q/pal8oversizepal.bmp": "bmpsuite:pal8.png",  # 300 palette entries
    "bmp/q/rgb24png.bmp": "bmpsuite:rgb24.png",  # a PNG file inside
    "bmp/q/rgba16-4444.bmp": "bmpsuite:rgba16-4444.png",  # ARGB4444 bit fields
    # Pixels skipped by a delta have palette colour 0, as Pillow and ImageMagick show them.
    "bmp/q/pal4rletrns.bmp": "bmpsuite:pal4rletrns-0.png",
    "bmp/q/pal8rletrns.bmp": "bmpsuite:pal8rletrns-0.png",
    "bmp/pillow/rgb32bf-abgr.bmp": "pillow",  # an alpha mask, alpha 0 everywhere
    "bmp/pillow/hopper_rle8_row_overflow.bmp": "pillow",  # runs past the end of their row
    "jpeg/pillow/truncated_jpeg.jpg": "magick",  # cut short: grey below (Pillow refuses it)
    "jpeg/pillow/hopper_bad_exif.jpg": "pillow",  # corrupt coded data
    # Commented out in the suite's TESTS, yet with expected frames: the empty screen.
    "gif/no-data.gif": "gifsuite:frame0",
    "gif/image-zero-width.gif": "gifsuite:frame0",
    "gif/image-zero-height.gif": "gifsuite:frame0",
    "gif/image-zero-size.gif": "gifsuite:frame0",
}

def magick_rgba(file):
    """ImageMagick's width, height and RGBA bytes, or None when it cannot read the file."""
    size = subprocess.run(["convert", file + "[0]", "-format", "%w %h", "info:"], capture_output=True)
    pixels = subprocess.run(["convert", file + "[0]", "-depth", "8", "rgba:-"], capture_output=True)
    if size.returncode != 0 or pixels.returncode != 0 or not pixels.stdout:
        return None
    width, height = map(int, size.stdout.split())
    return width, height, pixels.stdout

def pillow_rgba(file):
    try:
        with Image.open(file) as image:
            rgba = image.convert("RGBA")
        return rgba.width, rgba.height, rgba.tobytes()
    except Exception:
        return None

def write_rgba(path, source, found):
    """Writes found's pixels as PATH.SOURCE.rgba; the reference's triple for the manifest."""
    name = "%s.%s.rgba" % (path, source)
    with open(os.path.join(suites, name), "wb") as out:
        out.write(found[2])
    return [name, str(found[0]), str(found[1])]

def rendering_source(rendering):
    return "bmpsuite-" + os.path.splitext(os.path.basename(rendering))[0]

def reference(path, tolerance, renderings=(), questionable=False):
    """RGBA references: the suite's own renderings, else Pillow's, else ImageMagick's."""
    file = os.path.join(suites, path)
    found = [(rendering_source(r), f) for r, f in ((r, pillow_rgba(os.path.join(suites, r))) for r in renderings) if f]
    kind = "rgba-or-refused" if found and questionable else "rgba"
    if not found:
        found = [(s, f) for s, f in [("pillow", pillow_rgba(file))] if f] or \
                [(s, f) for s, f in [("magick", magick_rgba(file))] if f]
    if not found:
        return [path, "any" if questionable else "refused"]
    line = [path, kind, str(tolerance)]
    for source, f in found:
        line += write_rgba(path, source, f)
    return line

def decided(path, tolerance):
    """The one reference DECIDED names for path, which must decode to it."""
    kind, _, name = DECIDED[path].partition(":")
    file = os.path.join(suites, path)
    if kind == "bmpsuite":
        found = pillow_rgba(os.path.join(suites, "bmp", "html", name))
        source = rendering_source(name)
    elif kind == "gifsuite":
        config = configparser.ConfigParser(interpolation=None)
        config.read(os.path.splitext(file)[0] + ".conf")
        width, height = int(config["config"]["width"]), int(config["config"]["height"])
        pixels = open(os.path.join(suites, "gif", config[name]["pixels"]), "rb").read()
        found, source = (width, height, pixels), "gifsuite-" + name
    else:
        found, source = (pillow_rgba(file) if kind == "pillow" else magick_rgba(file)), kind
    if not found:
        sys.exit("no %s reference for %s" % (DECIDED[path], path))
    return [path, "rgba", str(tolerance)] + write_rgba(path, source, found)

def pillow_pixels(path):
    with Image.open(os.path.join(suites, path)) as image:
        return image.mode, image.size, image.tobytes()

def bmpsuite_renderings():
    """bmpsuite's page shows each file after the PNG renderings that are right for it."""
    page = open(os.path.join(suites, "bmp", "html", "bmpsuite.html")).read()
    renderings, pending = {}, []
    for source in re.findall(r'src="([^"]+)"', page):
        if source.endswith(".png"):
            pending.append("bmp/html/" + source)
        elif source.endswith(".bmp"):
            renderings["bmp/" + source.replace("../", "")] = pending
            pending = []
    return renderings

# PngSuite: x*.png are broken on purpose. libpng's simplified reader scrambles interlaced 16-bit
# files, so those are compared with their non-interlaced twin (the same pixels, says Pillow).
pngs = sorted(os.listdir(os.path.join(suites, "png")))
plain = [n for n in pngs if not n.startswith("x") and open(os.path.join(suites, "png", n), "rb").read(29)[28] == 0]
for name in pngs:
    path = "png/" + name
    header = open(os.path.join(suites, path), "rb").read(29)
    if name.startswith("x"):
        lines.append([path, "refused"])
    elif header[28] == 1 and header[24] == 16:
        pixels = pillow_pixels(path)
        twins = [t for t in plain if pillow_pixels("png/" + t) == pixels]
        twins.sort(key=lambda t: t != name[:3] + "n" + name[4:])
        lines.append([path, "libpng-of", "png/" + twins[0]] if twins else [path, "refused"])
    else:
        lines.append([path, "libpng"])

# bmpsuite: b/ holds the broken files, q/ the questionable ones.
renderings = bmpsuite_renderings()
for folder in ("g", "q", "b", "pillow"):
    for name in sorted(os.listdir(os.path.join(suites, "bmp", folder))):
        path = "bmp/%s/%s" % (folder, name)
        if path in DECIDED:
            lines.append(decided(path, 1))
        elif folder == "b":
            lines.append([path, "refused"])
        else:
            lines.append(reference(path, 1, renderings.get(path, ()), folder == "q"))

# The GIF suite: the tests TESTS lists, each with its expected first frame, or none when broken.
tests = [t.strip() for t in open(os.path.join(suites, "gif", "TESTS")) if t.strip() and not t.startswith("#")]
for test in tests + [p[4:-4] for p in DECIDED if p.startswith("gif/")]:
    config = configparser.ConfigParser(interpolation=None)
    config.read(os.path.join(suites, "gif", test + ".conf"))
    frames = [f for f in config["config"].get("frames", "").split(",") if f.strip()]
    path = "gif/" + config["config"]["input"]
    if path in DECIDED:
        lines.append(decided(path, 0))
    elif not frames:
        lines.append([path, "any" if pillow_rgba(os.path.join(suites, path)) else "refused"])
    else:
        width, height = config["config"]["width"], config["config"]["height"]
        lines.append([path, "rgba", "0", "gif/" + config[frames[0].strip()]["pixels"], width, height])

# libjpeg-turbo's test images and pillow's damaged ones, within a small tolerance for another
# build of the decoder.
for folder in ("jpeg", "jpeg/pillow"):
    for name in sorted(n for n in os.listdir(os.path.join(suites, folder)) if n.endswith(".jpg")):
        path = folder + "/" + name
        lines.append(decided(path, 4) if path in DECIDED else reference(path, 4))

with open(os.path.join(suites, "manifest.txt"), "w") as out:
    out.write("# recipe %s\n" % recipe)
    for line in lines:
        out.write("\t".join(line) + "\n")
PYTHON
log "$(grep -vc '^#' "$MANIFEST") files in $SUITES"
printf '%s\n' "$SUITES"
