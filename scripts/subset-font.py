#!/usr/bin/python3
"""Cuts a font down to the characters the app draws and gives it a family name of its own.

The app bundles Inter and Material Icons from Debian's font packages. Opening the full faces
costs several milliseconds each at startup, and with the system's copies installed under the
same family names the font matcher may pick those (a compressed WOFF2 for the icons) instead.

usage: subset-font.py SOURCE OUTPUT FAMILY (--unicodes SPEC | --codepoints-from FILE)
  SPEC is a pyftsubset unicode list ("U+0020-007E,U+00B0"); FILE is scanned for the icon
  table's code points, written as 0xe539 in braces ({"airplane", "flight", 0xe539}).
"""
import re
import sys

from fontTools import subset


def codepoints_from(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    points = sorted({int(m, 16) for m in re.findall(r",\s*(0x[0-9a-fA-F]+)\s*\}", text)})
    if not points:
        sys.exit(f"subset-font: no code points found in {path}")
    return points


def rename(font, family):
    """Puts FAMILY wherever the font names its own family, keeping each record's pattern
    ("Inter Semi Bold" becomes "<FAMILY> Semi Bold", "Inter-Bold" "<FAMILY without spaces>-Bold")."""
    names = font["name"]
    old = names.getDebugName(16) or names.getDebugName(1)
    spaced = (old, family)
    postscript = (old.replace(" ", ""), family.replace(" ", ""))

    def renamed(text, pair):
        return text.replace(pair[0], pair[1])

    for record in names.names:
        if record.nameID in (1, 4, 16):
            record.string = renamed(record.toUnicode(), spaced)
        elif record.nameID in (3, 6):
            record.string = renamed(record.toUnicode(), postscript)
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [renamed(n, postscript) for n in cff.fontNames]
        top = cff.topDictIndex[0]
        for key in ("FamilyName", "FullName"):
            if hasattr(top, key):
                setattr(top, key, renamed(getattr(top, key), spaced))


def main(argv):
    if len(argv) != 6 or argv[4] not in ("--unicodes", "--codepoints-from"):
        sys.exit(__doc__)
    source, output, family, mode, arg = argv[1:]
    unicodes = subset.parse_unicodes(arg) if mode == "--unicodes" else codepoints_from(arg)

    options = subset.Options()
    options.hinting = False          # drawn unhinted anyway
    options.name_IDs = ["*"]         # keep the licence and copyright records
    options.notdef_outline = True
    font = subset.load_font(source, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=unicodes)
    subsetter.subset(font)
    rename(font, family)
    subset.save_font(font, output, options)


if __name__ == "__main__":
    main(sys.argv)
