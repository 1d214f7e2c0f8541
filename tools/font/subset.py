#!/usr/bin/env python3
"""Cuts one face of a font collection down to the characters the program can draw: printable
ASCII (numbers, paths in messages) and every other character written in the given sources
(captions, messages, button captions, the layout data, the help pages).

    subset.py COLLECTION FAMILY OUT SOURCE...

FAMILY names the face to take (e.g. "Noto Serif CJK SC"); a SOURCE is a file or a folder.
"""
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTCollection


def characters(sources):
    found = {chr(c) for c in range(0x20, 0x7F)}
    for source in sources:
        files = [source]
        if os.path.isdir(source):
            files = [os.path.join(d, f) for d, _, names in os.walk(source) for f in names]
        for path in files:
            with open(path, encoding="utf-8") as f:
                found.update(c for c in f.read() if ord(c) > 0x7F)
    return found


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    collection, family, out, sources = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    faces = TTCollection(collection, lazy=True).fonts
    index = next((i for i, face in enumerate(faces) if face["name"].getDebugName(1) == family),
                 None)
    if index is None:
        sys.exit(f"subset.py: no face {family!r} in {collection}")
    # Names, hints and the features a text layout applies by default stay: the text draws as
    # with the whole face.
    options = subset.Options(font_number=index, name_IDs=["*"], name_languages=["*"],
                             notdef_outline=True)
    font = subset.load_font(collection, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text="".join(sorted(characters(sources))))
    subsetter.subset(font)
    subset.save_font(font, out, options)


if __name__ == "__main__":
    main()
