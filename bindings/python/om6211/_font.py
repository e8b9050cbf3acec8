"""The display's own 5 x 8 glyphs as a Pillow font, built once from the library's glyph table."""
import functools
import os
import tempfile

from PIL import FontFile, Image, ImageFont

from ._library import Glyph, library

CELL = (6, 8)  # a glyph of 5 columns and the column between two characters
REPLACEMENT = 0x7F


def _glyph_image(character: int) -> Image.Image:
    columns = Glyph()
    if library.om6211_glyph(character, columns) != 0:
        raise LookupError(character)
    image = Image.new("1", CELL)
    for x, column in enumerate(columns):
        for y in range(CELL[1]):
            if column >> y & 1:
                image.putpixel((x, y), 1)
    return image


class DisplayFont(ImageFont.ImageFont):
    """A Pillow bitmap font whose slots are the glyph table's codes; text is mapped to them,
    and a character without a glyph is drawn as the replacement glyph."""

    def __init__(self, codes: dict) -> None:
        super().__init__()
        self._codes = codes

    def _mapped(self, text: str) -> str:
        return "".join(chr(self._codes.get(character, REPLACEMENT)) for character in text)

    def getmask(self, text, mode="", *args, **kwargs):
        return super().getmask(self._mapped(text), mode, *args, **kwargs)

    def getbbox(self, text, *args, **kwargs):
        return super().getbbox(self._mapped(text), *args, **kwargs)

    def getlength(self, text, *args, **kwargs):
        return super().getlength(self._mapped(text), *args, **kwargs)

    def getsize(self, text, *args, **kwargs):
        return super().getsize(self._mapped(text), *args, **kwargs)


@functools.lru_cache(maxsize=None)
def font() -> DisplayFont:
    """The display's 5 x 8 glyphs, 6 x 8 pixels a character: printable ASCII and the accented
    letters of the glyph table, mapped from their Unicode characters (code page 1250 codes in
    the table's upper half)."""
    table = FontFile.FontFile()
    codes = {}
    for code in range(0x20, 0x100):
        character = chr(code) if code < 0x80 else bytes([code]).decode("cp1250", "replace")
        try:
            image = _glyph_image(ord(character))
        except LookupError:
            continue
        table.glyph[code] = ((CELL[0], 0), (0, -CELL[1], CELL[0], 0), (0, 0) + CELL, image)
        codes[character] = code
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "om6211")
        table.save(path)
        loaded = ImageFont.load(path + ".pil")
    mapped = DisplayFont(codes)
    mapped.__dict__.update(loaded.__dict__)
    return mapped
