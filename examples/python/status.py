#!/usr/bin/env python3
"""A system-status screen: host name, load, memory, disk and uptime, from /proc, refreshed
every few seconds.

    status.py [--port PORT] [--keep] [--once] [--every SECONDS]"""
import argparse
import os
import shutil
import socket
import time

from PIL import Image, ImageDraw

import om6211


def meminfo() -> dict:
    values = {}
    with open("/proc/meminfo") as lines:
        for line in lines:
            name, value = line.split(":", 1)
            values[name] = int(value.split()[0])
    return values


def status_lines() -> list:
    load = os.getloadavg()
    memory = meminfo()
    used = 1 - memory.get("MemAvailable", memory["MemFree"]) / memory["MemTotal"]
    disk = shutil.disk_usage("/")
    with open("/proc/uptime") as uptime:
        seconds = int(float(uptime.read().split()[0]))
    return [
        socket.gethostname()[:14],
        f"load {load[0]:.2f}",
        f"mem  {used:4.0%}",
        f"disk {disk.used / disk.total:4.0%}",
        f"up {seconds // 86400}d {seconds // 3600 % 24:02}:{seconds // 60 % 60:02}",
        time.strftime("%H:%M"),
    ]


def status_screen(lines: list, inverted_title: bool = True) -> Image.Image:
    image = Image.new("1", (om6211.WIDTH, om6211.HEIGHT))
    draw = ImageDraw.Draw(image)
    if inverted_title:
        draw.rectangle((0, 0, 83, 7), fill=1)
    for row, text in enumerate(lines):
        draw.text((0, row * 8), text, font=om6211.font(), fill=0 if row == 0 else 1)
    return image


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", default="virtual")
    parser.add_argument("--keep", action="store_true", help="continue what is on the display")
    parser.add_argument("--once", action="store_true", help="draw one screen and end")
    parser.add_argument("--every", type=float, default=5.0)
    arguments = parser.parse_args()
    with om6211.Display(arguments.port, keep=arguments.keep) as display:
        while True:
            display.display(status_screen(status_lines()))
            if arguments.once:
                break
            time.sleep(arguments.every)


if __name__ == "__main__":
    main()
