#!/usr/bin/env python3
"""luma.core on the display: a canvas drawing, a scrolling terminal and a viewport that pans
over a picture twice the display's width.

    luma_demo.py [--port PORT] [--rotate 0-3] [--pause SECONDS]"""
import argparse
import time

from luma.core.render import canvas
from luma.core.virtual import terminal, viewport

import om6211
import om6211.luma


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", default="virtual")
    parser.add_argument("--rotate", type=int, default=0, choices=range(4))
    parser.add_argument("--pause", type=float, default=1.0, help="between the parts")
    arguments = parser.parse_args()
    device = om6211.luma.om6211(port=arguments.port, rotate=arguments.rotate)

    with canvas(device) as draw:
        draw.rectangle(device.bounding_box, outline=1)
        draw.ellipse((10, 10, 30, 30), outline=1)
        draw.text((36, 16), "luma", font=om6211.font(), fill=1)
    time.sleep(arguments.pause)

    term = terminal(device, font=om6211.font(), animate=False)
    for line in ("om6211 on luma", "canvas", "terminal", "viewport", "sprite_system"):
        term.println(line)
    time.sleep(arguments.pause)

    wide = viewport(device, width=device.width * 2, height=device.height)
    with canvas(wide) as draw:
        for x in range(0, device.width * 2, 12):
            draw.line((x, 0, x + 12, device.height - 1), fill=1)
    for x in range(0, device.width + 1, 12):
        wide.set_position((x, 0))
    device.cleanup()  # persist is true: the picture stays


if __name__ == "__main__":
    main()
