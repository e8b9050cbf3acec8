"""The display as a luma.core device: luma's canvas, terminal, viewport and sprite_system draw
on it unchanged. Needs luma.core (Debian python3-luma.core)."""
from PIL import Image
from luma.core.device import device
from luma.core.interface.serial import noop

from . import HEIGHT, WIDTH, Display


class om6211(device):  # noqa: N801 - luma names its device classes after the controller
    """om6211(port="virtual", rotate=0, **options): the options of om6211.Display. Unlike
    most luma devices, `persist` is true: the picture stays when the program ends."""

    def __init__(self, port: str = "virtual", rotate: int = 0, **options) -> None:
        super().__init__(serial_interface=noop())
        self.capabilities(WIDTH, HEIGHT, rotate, mode="1")
        self.persist = True
        self._display = Display(port, **options)

    def display(self, image: Image.Image) -> None:
        if image.mode != self.mode or image.size != self.size:
            raise ValueError(f"a mode {self.mode!r} image of {self.size} is needed")
        self._display.display(self.preprocess(image))

    def show(self) -> None:
        self._display.show()

    def hide(self) -> None:
        self._display.hide()

    def contrast(self, level: int) -> None:
        self._display.contrast(level)

    def glass(self) -> Image.Image:
        return self._display.glass()

    def cleanup(self) -> None:
        if self._display.closed:
            return
        self._display.persist = self.persist
        self._display.close()
