/* The om6211 C library: the 84 x 48 display module on any port back end, from a program.
   Every call that can fail returns -1 (NULL for om6211_open) with errno set, and
   om6211_error() gives the calling thread's latest message. Calls on one display from several
   threads are serialised inside. */
#ifndef OM6211_OM6211_H
#define OM6211_OM6211_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define OM6211_PUBLIC __attribute__((visibility("default")))
#else
#define OM6211_PUBLIC
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The glass: 84 x 48 pixels, held as 6 pages of 8 rows, one byte per pixel column and page. */
#define OM6211_WIDTH 84
#define OM6211_HEIGHT 48
#define OM6211_PAGE_BYTES 504

typedef struct om6211_display om6211_display;

struct om6211_options {
  unsigned size;     /* sizeof (struct om6211_options): the struct may grow */
  int contrast;      /* 0-255, default 128 */
  int backlight;     /* 0 or 1, default 0 */
  int full_refresh;  /* 1: every picture sends the whole screen; default 0: changed-only,
                        a full refresh every 32nd */
  int keep;          /* 1: continue what an earlier program left on the module: no reset
                        pulse, no start-up picture, no blank; the first picture is sent
                        whole */
  int bus_delay;     /* delay units, as the host interface's */
  const char* trace; /* NULL, or a file that gets every port operation (the port-trace
                        format), flushed at the end of each call */
};

/* Fills in the defaults, size included. */
OM6211_PUBLIC void om6211_options_init(struct om6211_options* options);

/* Opens the display on `port`: "virtual", "null" (takes every frame and drops it), or a
   hardware port text ("ppdev:/dev/parport0", "direct:378", "gpio:...", "spi:...",
   "ftdi:..."). `options` may be NULL for the defaults. Powers the display up, unless `keep`. */
OM6211_PUBLIC om6211_display* om6211_open(const char* port, const struct om6211_options* options);
/* Releases the port; the picture stays on the glass. NULL is ignored. */
OM6211_PUBLIC void om6211_close(om6211_display* display);

/* Shows 6 pages of 84 bytes, bit 0 the top pixel, 1 lit (MicroPython framebuf's MONO_VLSB). */
OM6211_PUBLIC int om6211_show(om6211_display* display, const uint8_t pages[504]);
/* Shows 48 rows of 84 pixels, 1 bit each, most significant bit leftmost, 1 lit, `stride`
   bytes from one row to the next (at least 11): Pillow's mode "1" bytes. */
OM6211_PUBLIC int om6211_show_rows(om6211_display* display, const uint8_t* rows, size_t stride);

OM6211_PUBLIC int om6211_set_contrast(om6211_display* display, int level); /* 0-255 */
OM6211_PUBLIC int om6211_set_backlight(om6211_display* display, int on);
OM6211_PUBLIC int om6211_set_inverted(om6211_display* display, int inverted);
/* Display off or on; the picture is kept. */
OM6211_PUBLIC int om6211_set_power(om6211_display* display, int on);

/* `virtual` only: what the virtual panel's glass shows, rebuilt from the wire, in the layout
   of om6211_show. Other ports: -1 with errno ENOTSUP. */
OM6211_PUBLIC int om6211_glass(om6211_display* display, uint8_t pages[504]);
/* The 9-bit frames sent to the module since it was opened, the start-up ones included. */
OM6211_PUBLIC long long om6211_frames_sent(om6211_display* display);

/* The display's own 5 x 8 glyph of a Unicode character, as the text output draws it: 5 pixel
   columns, leftmost first, bit 0 the top pixel. For printable ASCII and the accented letters
   of the glyph table; other characters: -1 with errno ENOENT (the table's replacement glyph is
   that of U+007F). */
OM6211_PUBLIC int om6211_glyph(uint32_t character, uint8_t columns[5]);

/* The calling thread's latest failure message ("" when none). */
OM6211_PUBLIC const char* om6211_error(void);
/* The library's version, "MAJOR.MINOR.PATCH". */
OM6211_PUBLIC const char* om6211_version(void);

#ifdef __cplusplus
}
#endif

#endif
