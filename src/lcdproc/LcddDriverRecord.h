#pragma once

// The record LCDd 0.5 passes to every function of a driver module: one per loaded section,
// allocated and filled by the server. The members and their order are the server's; every
// member is one pointer wide.
extern "C" {

struct LcddDriverRecord;
using LcddRecord = LcddDriverRecord;

struct LcddDriverRecord {
  char** api_version;
  int* stay_in_foreground;
  int* supports_multiple;
  char** symbol_prefix;

  int (*init)(LcddRecord*);
  void (*close)(LcddRecord*);
  int (*width)(LcddRecord*);
  int (*height)(LcddRecord*);
  void (*clear)(LcddRecord*);
  void (*flush)(LcddRecord*);
  void (*string)(LcddRecord*, int x, int y, const char* text);
  void (*chr)(LcddRecord*, int x, int y, char c);
  const char* (*get_key)(LcddRecord*);
  void (*vbar)(LcddRecord*, int x, int y, int len, int promille, int pattern);
  void (*hbar)(LcddRecord*, int x, int y, int len, int promille, int pattern);
  void (*num)(LcddRecord*, int x, int num);
  void (*heartbeat)(LcddRecord*, int state);
  int (*icon)(LcddRecord*, int x, int y, int icon);
  void (*cursor)(LcddRecord*, int x, int y, int type);
  void (*set_char)(LcddRecord*, int n, unsigned char* data);
  int (*get_free_chars)(LcddRecord*);
  int (*cellwidth)(LcddRecord*);
  int (*cellheight)(LcddRecord*);
  int (*get_contrast)(LcddRecord*);
  void (*set_contrast)(LcddRecord*, int promille);
  int (*get_brightness)(LcddRecord*, int state);
  void (*set_brightness)(LcddRecord*, int state, int promille);
  void (*backlight)(LcddRecord*, int on);
  void (*output)(LcddRecord*, int state);
  const char* (*get_info)(LcddRecord*);

  char* name;  // this instance's configuration section
  char* filename;
  void* module_handle;
  void* private_data;
  int (*store_private_ptr)(LcddRecord*, void* data);

  // The server's configuration; texts it returns are its own and valid until the next call.
  short (*config_get_bool)(const char* section, const char* key, int skip, short fallback);
  long (*config_get_int)(const char* section, const char* key, int skip, long fallback);
  double (*config_get_float)(const char* section, const char* key, int skip, double fallback);
  const char* (*config_get_string)(const char* section, const char* key, int skip,
                                   const char* fallback);
  int (*config_has_section)(const char* section);
  int (*config_has_key)(const char* section, const char* key);

  int (*request_display_width)();
  int (*request_display_height)();
};

}  // extern "C"
