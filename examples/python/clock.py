#!/usr/bin/env python3
"""A clock: the time large, the date below, updated each second. Only the digits that changed
go out, and --keep continues the screen an earlier run left, without flicker.

    clock.py [--port PORT] [--keep] [--ticks N]"""
import argparse
import time

from PIL import Image, ImageDraw

import om6211


def clock_screen(now: time.struct_time) -> Image.Image:
    image = Image.new("1", (om6211.WIDTH, om6211.HEIGHT))
    draw = ImageDraw.Draw(image)
    font = om6211.font()
    big = Image.new("1", (48, 8))
    ImageDraw.Draw(big).text((0, 0), time.strftime("%H:%M:%S", now), font=font, fill=1)
    image.paste(big.resize((84, 16)), (0, 8))  # 48 x 8 drawn, stretched to the width
    draw.text((12, 32), time.strftime("%d.%m.%Y", now), font=font, fill=1)
    draw.line((0, 28, 83, 28), fill=1)
    return image


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", default="virtual")
    parser.add_argument("--keep", action="store_true", help="continue what is on the display")
    parser.add_argument("--ticks", type=int, default=0, help="stop after N seconds (0: never)")
    arguments = parser.parse_args()
    with om6211.Display(arguments.port, keep=arguments.keep) as display:
        tick = 0
        while arguments.ticks == 0 or tick < arguments.ticks:
            display.display(clock_screen(time.localtime()))
            tick += 1
            time.sleep(1 - time.time() % 1)


if __name__ == "__main__":
    main()
