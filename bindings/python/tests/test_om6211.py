"""The Python package on the virtual port: the glass must show what was drawn."""
import errno
import os
import random
import tempfile
import unittest

from PIL import Image, ImageDraw

import om6211

MODES = ["1", "L", "P", "RGB", "RGBA", "RGBX", "CMYK", "YCbCr", "LAB", "HSV", "LA", "PA", "I",
         "F", "I;16"]


def random_picture(seed, size=(84, 48)):
    generator = random.Random(seed)
    image = Image.new("1", size)
    image.putdata([generator.choice((0, 255)) for _ in range(size[0] * size[1])])
    return image


def in_mode(image, mode):
    try:
        return image.convert(mode)
    except ValueError:  # only by way of colour
        return image.convert("RGB").convert(mode)


class DisplayTest(unittest.TestCase):
    def test_images_of_every_mode_reach_the_glass(self):
        picture = random_picture(1)
        with om6211.Display() as display:
            for mode in MODES:
                with self.subTest(mode=mode):
                    display.display(in_mode(picture, mode))
                    self.assertEqual(display.glass().tobytes(), picture.tobytes())

    def test_every_rotation_turns_the_picture_clockwise(self):
        for rotate in range(4):
            with self.subTest(rotate=rotate), om6211.Display(rotate=rotate) as display:
                picture = random_picture(rotate, display.size)
                display.display(picture)
                expected = picture.rotate(rotate * -90, expand=True)
                self.assertEqual(display.glass().tobytes(), expected.tobytes())

    def test_controls_keep_the_picture(self):
        picture = random_picture(2)
        inverse = Image.eval(picture.convert("L"), lambda v: 255 - v).convert("1")
        blank = Image.new("1", (84, 48))
        steps = [
            ("contrast", lambda d: d.contrast(30), picture),
            ("backlight", lambda d: d.backlight(True), picture),
            ("hide", lambda d: d.hide(), blank),
            ("show", lambda d: d.show(), picture),
            ("inverted", lambda d: setattr(d, "inverted", True), inverse),
            ("normal", lambda d: setattr(d, "inverted", False), picture),
            ("clear", lambda d: d.clear(), blank),
        ]
        with om6211.Display(contrast=200, backlight=False) as display:
            display.display(picture)
            for name, step, expected in steps:
                with self.subTest(step=name):
                    step(display)
                    self.assertEqual(display.glass().tobytes(), expected.tobytes())
            self.assertEqual((display.width, display.height, display.mode), (84, 48, "1"))
            self.assertTrue(display.persist)

    def test_text_in_the_display_font(self):
        font = om6211.font()
        self.assertEqual(font.getbbox("Şőű"), (0, 0, 18, 8))
        drawn = {}
        for text in ("Ş", "ş", "€", "\x7f"):
            image = Image.new("1", (6, 8))
            ImageDraw.Draw(image).text((0, 0), text, font=font, fill=1)
            drawn[text] = image.tobytes()
        self.assertNotEqual(drawn["Ş"], drawn["ş"])
        self.assertEqual(drawn["€"], drawn["\x7f"], "no glyph: the replacement glyph")

    def test_keep_shows_the_first_picture_whole(self):
        picture = random_picture(3)
        with om6211.Display(keep=True) as display:
            before = display.frames_sent
            display.display(picture)
            self.assertGreaterEqual(display.frames_sent - before, 504)
            self.assertEqual(display.glass().tobytes(), picture.tobytes())


class ErrorTest(unittest.TestCase):
    def test_each_failure_raises_its_type(self):
        folder = tempfile.mkdtemp()
        missing = os.path.join(folder, "parport9")
        closed = om6211.Display()
        closed.close()
        cases = [
            ("unknown port", lambda: om6211.Display("bogus"), ValueError, None),
            ("malformed port", lambda: om6211.Display("virtual:XYZ"), ValueError, None),
            ("contrast", lambda: om6211.Display(contrast=256), ValueError, None),
            ("rotate", lambda: om6211.Display(rotate=4), ValueError, None),
            ("missing device", lambda: om6211.Display("ppdev:" + missing), FileNotFoundError,
             errno.ENOENT),
            ("trace folder", lambda: om6211.Display(trace=os.path.join(missing, "t")),
             FileNotFoundError, errno.ENOENT),
            ("image size", lambda: om6211.Display().display(Image.new("1", (48, 84))),
             ValueError, None),
            ("closed", lambda: closed.display(Image.new("1", (84, 48))), ValueError, None),
            ("no glass", lambda: om6211.Display("null").glass(), OSError, errno.ENOTSUP),
        ]
        for name, call, kind, number in cases:
            with self.subTest(name), self.assertRaises(kind) as raised:
                call()
            if number is not None:
                self.assertEqual(raised.exception.errno, number, name)
                self.assertTrue(raised.exception.strerror, name)
        with self.assertRaises(FileNotFoundError) as raised:
            om6211.Display("ppdev:" + missing)
        self.assertEqual(raised.exception.filename, missing)
        self.assertIn("modprobe", str(raised.exception))

    def test_a_failing_wire_is_an_os_error(self):
        os.environ["OM6211_FAIL_PORT_OPERATION"] = "3"
        try:
            with self.assertRaises(OSError) as raised:
                om6211.Display()
        finally:
            del os.environ["OM6211_FAIL_PORT_OPERATION"]
        self.assertEqual(raised.exception.errno, errno.EIO)


if __name__ == "__main__":
    unittest.main()
