"""The C library libom6211.so.1 through ctypes: its stable ABI serves every Python 3 as it is,
without a build step or a rebuild for each interpreter version."""
import ctypes
import os

ENVIRONMENT_VARIABLE = "OM6211_LIBRARY"
DEFAULT_NAME = "libom6211.so.1"
PAGE_BYTES = 504


class Options(ctypes.Structure):
    _fields_ = [
        ("size", ctypes.c_uint),
        ("contrast", ctypes.c_int),
        ("backlight", ctypes.c_int),
        ("full_refresh", ctypes.c_int),
        ("keep", ctypes.c_int),
        ("bus_delay", ctypes.c_int),
        ("trace", ctypes.c_char_p),
    ]


Pages = ctypes.c_uint8 * PAGE_BYTES
Glyph = ctypes.c_uint8 * 5


def _load() -> ctypes.CDLL:
    library = ctypes.CDLL(os.environ.get(ENVIRONMENT_VARIABLE) or DEFAULT_NAME, use_errno=True)
    handle = ctypes.c_void_p
    signatures = {
        "om6211_options_init": (None, [ctypes.POINTER(Options)]),
        "om6211_open": (handle, [ctypes.c_char_p, ctypes.POINTER(Options)]),
        "om6211_close": (None, [handle]),
        "om6211_show": (ctypes.c_int, [handle, ctypes.c_char_p]),
        "om6211_show_rows": (ctypes.c_int, [handle, ctypes.c_char_p, ctypes.c_size_t]),
        "om6211_set_contrast": (ctypes.c_int, [handle, ctypes.c_int]),
        "om6211_set_backlight": (ctypes.c_int, [handle, ctypes.c_int]),
        "om6211_set_inverted": (ctypes.c_int, [handle, ctypes.c_int]),
        "om6211_set_power": (ctypes.c_int, [handle, ctypes.c_int]),
        "om6211_glass": (ctypes.c_int, [handle, Pages]),
        "om6211_frames_sent": (ctypes.c_longlong, [handle]),
        "om6211_glyph": (ctypes.c_int, [ctypes.c_uint32, Glyph]),
        "om6211_error": (ctypes.c_char_p, []),
        "om6211_version": (ctypes.c_char_p, []),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    return library


library = _load()
