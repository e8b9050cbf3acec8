"""The om6211 display module (84 x 48 pixels, monochrome) from Python, on any port back end,
drawn with Pillow; om6211.luma has the luma.core device."""
import ctypes
import os
from typing import Optional

from PIL import Image

from . import _library
from ._errors import last_error
from ._font import font
from ._library import library

__all__ = ["Display", "font", "version", "WIDTH", "HEIGHT"]

WIDTH = 84
HEIGHT = 48
_ROW_BYTES = (WIDTH + 7) // 8
_THRESHOLD = [0] * 128 + [255] * 128


def version() -> str:
    """The C library's version."""
    return library.om6211_version().decode()


def _as_mode_1(image: Image.Image) -> Image.Image:
    """Any Pillow image as mode "1", thresholded at half brightness (no dithering)."""
    if image.mode == "1":
        return image
    try:
        gray = image.convert("L")
    except ValueError:  # modes Pillow converts to gray only by way of colour
        gray = image.convert("RGB").convert("L")
    return gray.point(_THRESHOLD, "1")


class Display:
    """One display: Display(port="virtual", *, contrast=128, backlight=False,
    full_refresh=False, keep=False, trace=None, rotate=0)."""

    mode = "1"

    def __init__(self, port: str = "virtual", *, contrast: int = 128, backlight: bool = False,
                 full_refresh: bool = False, keep: bool = False,
                 trace: Optional[str] = None, rotate: int = 0) -> None:
        self._handle = None
        if not isinstance(port, str):
            raise ValueError("port must be a port text such as 'virtual'")
        if not isinstance(contrast, int) or not 0 <= contrast <= 255:
            raise ValueError("contrast must be 0-255")
        if rotate not in (0, 1, 2, 3):
            raise ValueError("rotate must be 0, 1, 2 or 3 (quarter turns clockwise)")
        options = _library.Options()
        library.om6211_options_init(ctypes.byref(options))
        options.contrast = contrast
        options.backlight = int(bool(backlight))
        options.full_refresh = int(bool(full_refresh))
        options.keep = int(bool(keep))
        options.trace = os.fsencode(trace) if trace is not None else None
        handle = library.om6211_open(port.encode(), ctypes.byref(options))
        if not handle:
            raise last_error(port)
        self._handle = handle
        self._port = port
        self._inverted = False
        self.rotate = rotate
        self.width, self.height = (HEIGHT, WIDTH) if rotate % 2 else (WIDTH, HEIGHT)
        self.size = (self.width, self.height)
        self.persist = True

    def _call(self, function, *arguments) -> None:
        if self._handle is None:
            raise ValueError("the display is closed")
        if function(self._handle, *arguments) != 0:
            raise last_error(self._port)

    def display(self, image: Image.Image) -> None:
        """Shows a Pillow image of the display's size, in any mode."""
        if image.size != self.size:
            raise ValueError(f"the image is {image.size[0]} x {image.size[1]}, the display "
                             f"{self.width} x {self.height}")
        image = _as_mode_1(image)
        if self.rotate:
            image = image.rotate(self.rotate * -90, expand=True)
        self._call(library.om6211_show_rows, image.tobytes(), _ROW_BYTES)

    def clear(self) -> None:
        self._call(library.om6211_show, bytes(_library.PAGE_BYTES))

    def show(self) -> None:
        """Switches the display on; the picture was kept."""
        self._call(library.om6211_set_power, 1)

    def hide(self) -> None:
        """Switches the display off, keeping the picture."""
        self._call(library.om6211_set_power, 0)

    def contrast(self, level: int) -> None:
        if not isinstance(level, int) or not 0 <= level <= 255:
            raise ValueError("contrast must be 0-255")
        self._call(library.om6211_set_contrast, level)

    def backlight(self, on: bool) -> None:
        self._call(library.om6211_set_backlight, int(bool(on)))

    @property
    def inverted(self) -> bool:
        return self._inverted

    @inverted.setter
    def inverted(self, inverted: bool) -> None:
        self._call(library.om6211_set_inverted, int(bool(inverted)))
        self._inverted = bool(inverted)

    @property
    def frames_sent(self) -> int:
        """The 9-bit frames sent to the module since it was opened."""
        if self._handle is None:
            raise ValueError("the display is closed")
        return library.om6211_frames_sent(self._handle)

    def glass(self) -> Image.Image:
        """What the virtual panel's glass shows (84 x 48, mode "1", 1 dark), rebuilt from the
        wire; the `virtual` port only."""
        pages = _library.Pages()
        self._call(library.om6211_glass, pages)
        image = Image.new("1", (WIDTH, HEIGHT))
        for y in range(HEIGHT):
            row = y // 8 * WIDTH
            bit = 1 << (y % 8)
            for x in range(WIDTH):
                if pages[row + x] & bit:
                    image.putpixel((x, y), 1)
        return image

    def close(self) -> None:
        """Releases the port; the picture stays on the glass unless `persist` is false, when
        the display is blanked and switched off first."""
        if self._handle is None:
            return
        try:
            if not self.persist:
                self.clear()
                self.hide()
        finally:
            library.om6211_close(self._handle)
            self._handle = None

    @property
    def closed(self) -> bool:
        return self._handle is None

    def __enter__(self) -> "Display":
        return self

    def __exit__(self, *exception) -> None:
        self.close()

    def __del__(self) -> None:
        if getattr(self, "_handle", None) is not None:
            library.om6211_close(self._handle)
