"""luma.core's drawing on the om6211 luma device, judged by the virtual glass."""
import unittest

from PIL import Image, ImageDraw

try:
    from luma.core.render import canvas
    from luma.core.virtual import terminal, viewport
    import om6211.luma
except ImportError:  # luma.core is only recommended
    canvas = None


def drawing(draw):
    draw.rectangle((2, 3, 30, 20), outline=1)
    draw.ellipse((40, 5, 80, 45), fill=1)
    draw.text((4, 30), "luma", fill=1)


@unittest.skipIf(canvas is None, "luma.core is not installed")
class LumaTest(unittest.TestCase):
    def test_canvas_reaches_the_glass_in_every_rotation(self):
        for rotate in range(4):
            with self.subTest(rotate=rotate):
                device = om6211.luma.om6211(port="virtual", rotate=rotate)
                with canvas(device) as draw:
                    drawing(draw)
                expected = Image.new("1", device.size)
                drawing(ImageDraw.Draw(expected))
                expected = expected.rotate(rotate * -90, expand=True)
                self.assertEqual(device.glass().tobytes(), expected.tobytes())
                self.assertTrue(device.persist)
                device.cleanup()

    def test_terminal_and_viewport_draw(self):
        device = om6211.luma.om6211(port="virtual", contrast=100)
        term = terminal(device, animate=False)
        term.println("hello")
        self.assertTrue(device.glass().getbbox(), "the terminal drew nothing")
        view = viewport(device, width=168, height=48)
        with canvas(view) as draw:
            draw.rectangle((84, 0, 167, 47), fill=1)
        view.set_position((84, 0))
        self.assertEqual(device.glass().getbbox(), (0, 0, 84, 48))
        device.cleanup()


if __name__ == "__main__":
    unittest.main()
