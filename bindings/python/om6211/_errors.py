"""The library's failures as Python exceptions: ValueError for a bad argument (EINVAL), else
the OSError subclass that Python gives the errno, carrying the library's message."""
import ctypes
import errno
from typing import Optional

from ._library import library

# The back ends whose port text names a device file or chip: "KIND:DEVICE[:...]".
_DEVICE_KINDS = ("ppdev", "spi", "gpio")


def device_of(port: str) -> Optional[str]:
    kind, _, rest = port.partition(":")
    return rest.split(":", 1)[0] or None if kind in _DEVICE_KINDS else None


def last_error(port: Optional[str] = None) -> Exception:
    number = ctypes.get_errno()
    message = (library.om6211_error() or b"").decode("utf-8", "replace")
    if number == errno.EINVAL:
        return ValueError(message)
    device = device_of(port) if port is not None else None
    if device is not None:
        return OSError(number, message, device)
    return OSError(number, message)
