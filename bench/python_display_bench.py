#!/usr/bin/env python3
"""CPU time per display() of a changed full-screen image, side by side in one run: om6211 on
the null port (frames dropped by the library) and on the virtual panel, against luma.lcd's
pcd8544 on luma's noop serial interface (Debian python3-luma.lcd, needed only here).

    OM6211_LIBRARY=build/default/src/capi/libom6211.so.1 PYTHONPATH=bindings/python \\
        /usr/bin/python3 bench/python_display_bench.py [--calls N]"""
import argparse
import random
import time

from PIL import Image

import om6211


def pictures():
    generator = random.Random(1)
    first = Image.new("1", (84, 48))
    first.putdata([generator.choice((0, 255)) for _ in range(84 * 48)])
    second = Image.eval(first.convert("L"), lambda v: 255 - v).convert("1")  # every pixel changed
    return first, second


def cpu_per_call(display, calls):
    images = pictures()
    display(images[1])
    started = time.process_time()
    for call in range(calls):
        display(images[call % 2])
    return (time.process_time() - started) / calls


def luma_lcd_display():
    try:
        from luma.core.interface.serial import noop
        from luma.lcd.device import pcd8544
    except ImportError:
        return None
    return pcd8544(noop(), gpio=noop()).display


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--calls", type=int, default=20000)
    arguments = parser.parse_args()
    results = {}
    with om6211.Display("null") as null:
        results["om6211 on null"] = cpu_per_call(null.display, arguments.calls)
    with om6211.Display("virtual") as virtual:
        results["om6211 on virtual"] = cpu_per_call(virtual.display, arguments.calls // 4)
    luma = luma_lcd_display()
    if luma is not None:
        results["luma.lcd pcd8544 on noop"] = cpu_per_call(luma, arguments.calls // 4)
    for name, seconds in results.items():
        print(f"{name:28} {seconds * 1e6:8.1f} us CPU per display()")
    if luma is not None:
        ratio = results["luma.lcd pcd8544 on noop"] / results["om6211 on null"]
        print(f"luma.lcd / om6211 on null: {ratio:.1f}x")
    else:
        print("luma.lcd is not installed (Debian python3-luma.lcd): no comparison")


if __name__ == "__main__":
    main()
