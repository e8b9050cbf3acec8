/* Hello on the display in its own glyphs, centred; the picture stays when the program ends.
   Build: cc hello.c $(pkg-config --cflags --libs om6211)
   Run:   ./a.out [PORT]     (PORT defaults to "virtual"; try ppdev:/dev/parport0) */
#include <om6211/om6211.h>
#include <stdio.h>
#include <string.h>

static void draw_text(uint8_t pages[OM6211_PAGE_BYTES], const char* text, int x, int page) {
  for (; *text != '\0'; ++text, x += 6) {
    uint8_t columns[5];
    if (om6211_glyph((unsigned char)*text, columns) != 0) om6211_glyph(0x7F, columns);
    for (int i = 0; i < 5 && x + i < OM6211_WIDTH; ++i)
      pages[page * OM6211_WIDTH + x + i] = columns[i];
  }
}

int main(int argc, char** argv) {
  const char* port = argc > 1 ? argv[1] : "virtual";
  om6211_display* display = om6211_open(port, NULL);
  if (display == NULL) {
    fprintf(stderr, "hello: %s\n", om6211_error());
    return 1;
  }
  uint8_t pages[OM6211_PAGE_BYTES];
  memset(pages, 0, sizeof pages);
  const char* text = "Hello, world!";
  draw_text(pages, text, (OM6211_WIDTH - 6 * (int)strlen(text)) / 2, 2);
  int status = 0;
  if (om6211_show(display, pages) != 0) {
    fprintf(stderr, "hello: %s\n", om6211_error());
    status = 1;
  }
  uint8_t glass[OM6211_PAGE_BYTES];
  if (status == 0 && om6211_glass(display, glass) == 0 && memcmp(glass, pages, sizeof pages) != 0) {
    fprintf(stderr, "hello: the virtual glass does not show the picture\n");
    status = 1;
  }
  om6211_close(display);
  return status;
}
