/*
 * A host application in C, as one is written for the library: it loads the
 * library at run time (LoadLibraryW and GetProcAddress on Windows, dlopen
 * and dlsym elsewhere), copies the sample network into a folder and file
 * with Chinese names, loads it through that UTF-16 path and asks one query of
 * each kind, checking the text it gets back.
 *
 *   murlo_host_test LIBRARY SAMPLE_DB WORK_DIR
 *
 * LIBRARY is Murloppc.dll or libMurloppc.so; the copy goes to
 * WORK_DIR/样例 数据/北京时刻表.db. On Windows the arguments arrive as
 * UTF-16 (wmain), elsewhere as UTF-8 bytes.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#include <errno.h>
#include <sys/stat.h>
#endif

#include "murloppc.h"

/* The folder and file the sample is copied to, in UTF-8. */
#define SAMPLE_FOLDER "样例 数据"
#define SAMPLE_FILE "北京时刻表.db"

#define TEXT_SIZE 8192

typedef int32_t (*load_fn)(const murlo_char16* path);
typedef int32_t (*header_fn)(murlo_char16* output);
typedef int32_t (*stations_fn)(const murlo_char16* abbreviation, murlo_char16* output);
typedef int32_t (*at_station_fn)(const murlo_char16* station, murlo_char16* output);
typedef int32_t (*direct_fn)(const murlo_char16* origin, const murlo_char16* destination,
                             murlo_char16* output, int32_t mode);
typedef int32_t (*stops_fn)(uint32_t train_index, const murlo_char16* boarding,
                            const murlo_char16* alighting, murlo_char16* stop_list,
                            murlo_char16* run_time);
typedef int32_t (*number_fn)(const murlo_char16* number, murlo_char16* output);
typedef const char* (*version_fn)(void);
typedef int32_t (*board_fn)(const murlo_char16* station, int32_t after_minute, int32_t limit,
                            murlo_char16* output, size_t capacity, size_t* needed);
typedef int32_t (*plan_fn)(const murlo_char16* origin, const murlo_char16* destination,
                           int32_t after_minute, int32_t max_changes, int32_t min_change_minutes,
                           int32_t limit, murlo_char16* output, size_t capacity, size_t* needed);

/* Any function, as the platform's symbol lookup gives it. */
typedef void (*any_fn)(void);

static int checks = 0;
static int failures = 0;

static void check(int ok, const char* what) {
  ++checks;
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

/* ---- UTF-8 <-> UTF-16 (well-formed input assumed: it is our own) ---- */

/* Appends UTF-8 `text` to the zero-terminated `out` of `capacity` units;
 * returns 0 when it does not fit. */
static int append_utf8(murlo_char16* out, size_t capacity, const char* text) {
  size_t n = 0;
  const unsigned char* p = (const unsigned char*)text;
  while (n < capacity && out[n] != 0) ++n;
  while (*p != 0) {
    uint32_t c;
    if (*p < 0x80) {
      c = *p++;
    } else if ((*p & 0xE0) == 0xC0) {
      c = (uint32_t)(*p++ & 0x1F) << 6;
      c |= (uint32_t)(*p++ & 0x3F);
    } else if ((*p & 0xF0) == 0xE0) {
      c = (uint32_t)(*p++ & 0x0F) << 12;
      c |= (uint32_t)(*p++ & 0x3F) << 6;
      c |= (uint32_t)(*p++ & 0x3F);
    } else {
      c = (uint32_t)(*p++ & 0x07) << 18;
      c |= (uint32_t)(*p++ & 0x3F) << 12;
      c |= (uint32_t)(*p++ & 0x3F) << 6;
      c |= (uint32_t)(*p++ & 0x3F);
    }
    if (c >= 0x10000) {
      if (n + 2 >= capacity) return 0;
      c -= 0x10000;
      out[n++] = (murlo_char16)(0xD800 + (c >> 10));
      out[n++] = (murlo_char16)(0xDC00 + (c & 0x3FF));
    } else {
      if (n + 1 >= capacity) return 0;
      out[n++] = (murlo_char16)c;
    }
  }
  out[n] = 0;
  return 1;
}

/* A UTF-16 text from UTF-8, in one of a few static buffers (enough for the
 * arguments of one call). */
static const murlo_char16* u16(const char* text) {
  static murlo_char16 buffers[4][256];
  static int next = 0;
  murlo_char16* out = buffers[next];
  next = (next + 1) % 4;
  out[0] = 0;
  if (!append_utf8(out, 256, text)) {
    fprintf(stderr, "text too long: %s\n", text);
    exit(2);
  }
  return out;
}

/* The UTF-8 form of a zero-terminated UTF-16 text, in a static buffer. */
static const char* u8(const murlo_char16* text) {
  static char out[4 * TEXT_SIZE];
  size_t n = 0;
  size_t i = 0;
  while (text[i] != 0 && n + 4 < sizeof out) {
    uint32_t c = (uint32_t)text[i++];
    if (c >= 0xD800 && c < 0xDC00 && text[i] >= 0xDC00 && text[i] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + ((uint32_t)text[i++] - 0xDC00);
    }
    if (c < 0x80) {
      out[n++] = (char)c;
    } else if (c < 0x800) {
      out[n++] = (char)(0xC0 | (c >> 6));
      out[n++] = (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out[n++] = (char)(0xE0 | (c >> 12));
      out[n++] = (char)(0x80 | ((c >> 6) & 0x3F));
      out[n++] = (char)(0x80 | (c & 0x3F));
    } else {
      out[n++] = (char)(0xF0 | (c >> 18));
      out[n++] = (char)(0x80 | ((c >> 12) & 0x3F));
      out[n++] = (char)(0x80 | ((c >> 6) & 0x3F));
      out[n++] = (char)(0x80 | (c & 0x3F));
    }
  }
  out[n] = 0;
  return out;
}

static void check_text(const murlo_char16* got, const char* expected, const char* what) {
  const char* text = u8(got);
  const int same = strcmp(text, expected) == 0;
  check(same, what);
  if (!same) fprintf(stderr, "  expected: %s\n  got:      %s\n", expected, text);
}

/* ---- The platform: loading the library, copying the sample ---- */

#if defined(_WIN32)

typedef wchar_t native_char;
static HMODULE library = NULL;

static int open_library(const native_char* path) {
  library = LoadLibraryW(path);
  if (library == NULL) fprintf(stderr, "LoadLibraryW failed: error %lu\n", GetLastError());
  return library != NULL;
}

static any_fn find_symbol(const char* name) {
  /* FARPROC to the generic function type, then to the real one. */
  return (any_fn)(void (*)(void))GetProcAddress(library, name);
}

/* Copies the sample to WORK_DIR\样例 数据\北京时刻表.db; `path` receives
 * that path in UTF-16 (murlo_char16 is wchar_t here). */
static int copy_sample(const native_char* sample, const native_char* work_dir, murlo_char16* path,
                       size_t capacity) {
  if (wcslen(work_dir) + 1 >= capacity) return 0;
  wcscpy(path, work_dir);
  if (!append_utf8(path, capacity, "\\" SAMPLE_FOLDER)) return 0;
  if (!CreateDirectoryW(path, NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
    fprintf(stderr, "CreateDirectoryW failed: error %lu\n", GetLastError());
    return 0;
  }
  if (!append_utf8(path, capacity, "\\" SAMPLE_FILE)) return 0;
  if (!CopyFileW(sample, path, FALSE)) {
    fprintf(stderr, "CopyFileW failed: error %lu\n", GetLastError());
    return 0;
  }
  return 1;
}

#else

typedef char native_char;
static void* library = NULL;

static int open_library(const native_char* path) {
  library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == NULL) fprintf(stderr, "dlopen failed: %s\n", dlerror());
  return library != NULL;
}

static any_fn find_symbol(const char* name) {
  /* dlsym gives an object pointer; POSIX guarantees it converts. */
  void* symbol = dlsym(library, name);
  any_fn function = NULL;
  if (symbol != NULL) memcpy(&function, &symbol, sizeof function);
  return function;
}

static int copy_file(const char* from, const char* to) {
  char buffer[65536];
  size_t got;
  int ok = 1;
  FILE* in = fopen(from, "rb");
  FILE* out = in != NULL ? fopen(to, "wb") : NULL;
  if (in == NULL || out == NULL) {
    fprintf(stderr, "cannot copy %s to %s\n", from, to);
    if (in != NULL) fclose(in);
    return 0;
  }
  while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) {
    if (fwrite(buffer, 1, got, out) != got) ok = 0;
  }
  if (ferror(in)) ok = 0;
  fclose(in);
  if (fclose(out) != 0) ok = 0;
  return ok;
}

/* Copies the sample to WORK_DIR/样例 数据/北京时刻表.db; `path` receives that
 * path in UTF-16. */
static int copy_sample(const native_char* sample, const native_char* work_dir, murlo_char16* path,
                       size_t capacity) {
  char target[4096];
  if (strlen(work_dir) + 64 >= sizeof target) return 0;
  strcpy(target, work_dir);
  strcat(target, "/" SAMPLE_FOLDER);
  if (mkdir(target, 0777) != 0 && errno != EEXIST) {
    fprintf(stderr, "cannot create %s\n", target);
    return 0;
  }
  strcat(target, "/" SAMPLE_FILE);
  if (!copy_file(sample, target)) return 0;
  path[0] = 0;
  return append_utf8(path, capacity, target);
}

#endif

/* ---- The queries ---- */

static int run(const native_char* library_path, const native_char* sample,
               const native_char* work_dir) {
  static murlo_char16 text[TEXT_SIZE];
  static murlo_char16 run_time[64];
  murlo_char16 path[1024];
  murlo_char16 missing[1024];
  load_fn load;
  header_fn header;
  stations_fn stations;
  at_station_fn at_station;
  direct_fn direct;
  stops_fn stops;
  number_fn number;
  version_fn version;
  board_fn departures;
  board_fn arrivals;
  plan_fn plan;
  const char* line;
  unsigned long index;

  if (!open_library(library_path)) return 0;
  load = (load_fn)find_symbol("x01f38d60978350e2");
  header = (header_fn)find_symbol("x01o23jow83032hwe31h");
  stations = (stations_fn)find_symbol("x0189e3js083h2c13");
  at_station = (at_station_fn)find_symbol("x01e983hw983402");
  direct = (direct_fn)find_symbol("x01d897fsd20dj3");
  stops = (stops_fn)find_symbol("x01p2923jh8eh23083d3");
  number = (number_fn)find_symbol("x01jhhwe23h9823098");
  version = (version_fn)find_symbol("murlo_version");
  departures = (board_fn)find_symbol("murlo_departures");
  arrivals = (board_fn)find_symbol("murlo_arrivals");
  plan = (plan_fn)find_symbol("murlo_plan_journeys");
  if (load == NULL || header == NULL || stations == NULL || at_station == NULL || direct == NULL ||
      stops == NULL || number == NULL || version == NULL || departures == NULL ||
      arrivals == NULL || plan == NULL) {
    fprintf(stderr, "an operation is missing from the library\n");
    return 0;
  }
  check(strlen(version()) >= 5, "murlo_version gives MAJOR.MINOR.PATCH");

  if (!copy_sample(sample, work_dir, path, sizeof path / sizeof path[0])) return 0;
  memcpy(missing, path, sizeof path);
  if (!append_utf8(missing, sizeof missing / sizeof missing[0], ".missing")) return 0;

  /* The database file. */
  check(header(text) == 1 && text[0] == 0, "the header is empty before a load");
  check(load(missing) == -1, "a missing file cannot be opened");
  check(load(path) == 1, "the sample loads through its Chinese path");
  check(header(text) == 1, "the header request returns 1");
  check_text(text, "CN-SAMPLE1", "the sample's header");

  /* Stations by abbreviation. */
  check(stations(u16("TJ"), text) == 2, "two stations begin with TJ");
  check_text(text, "天津|天津南|", "stations TJ");

  /* Trains at a station. */
  check(at_station(u16("武清"), text) == 2, "two trains call at 武清");
  check_text(text,
             "S|44|C2005|北京南|07:15|天津|07:49|北京南|天津|城际高速|-|00:34|  58|  69|  - |  - *"
             "S|45|C2006|天津|08:05|北京南|08:39|天津|北京南|城际高速|-|00:34|  58|  69|  - |  - *",
             "trains at 武清");
  check(at_station(u16("无此站"), text) == -1, "an unknown station is -1");

  /* Direct trains. */
  check(direct(u16("北京南"), u16("武清"), text, 0) == 1, "one direct train 北京南 to 武清");
  check_text(text,
             "S|44|C2005|北京南|07:15|武清|07:34|北京南|天津|城际高速|-|00:19|  34|  40|  - |  - *",
             "direct 北京南 to 武清");

  /* The stop list of that train, by the index its line gives. */
  line = u8(text);
  index = strtoul(strchr(line, '|') + 1, NULL, 10);
  check(index == 44, "the direct train's index");
  check(stops((uint32_t)index, u16("北京南"), u16("武清"), text, run_time) == 3,
        "the train has three stops");
  check_text(text, ">|北京南|-|07:15|0*>|武清|07:34|07:35|70* |天津|07:49|-|120*",
             "stop list 北京南 to 武清");
  check_text(run_time, "00:34", "the train's running time");

  /* Trains by number. */
  check(number(u16("G101"), text) == 1, "one train runs as G101");
  check_text(
      text,
      "S|20|G101|北京南|06:36|上海虹桥|11:48|北京南|上海虹桥|高速动车|-|05:12| 637| 758|  - |  - *",
      "number G101");

  /* Boards and journeys. */
  check(departures(u16("武清"), 7 * 60, 1, text, TEXT_SIZE, NULL) == 1,
        "the next departure from 武清 after 07:00");
  check_text(text,
             " |44|C2005|武清|07:35|天津|07:49|北京南|天津|城际高速|-|00:14|  24|  29|  - |  - *",
             "departures 武清");
  check(arrivals(u16("武清"), 24 * 60, 0, text, TEXT_SIZE, NULL) == MURLO_INVALID_ARGUMENT,
        "24:00 is no minute of the day");
  check(plan(u16("武清"), u16("上海虹桥"), 7 * 60, 3, 10, 1, text, TEXT_SIZE, NULL) == 1,
        "the first journey from 武清 to 上海虹桥 after 07:00");
  check_text(
      text,
      "J|08:20|13:21|0|0|05:01|2*"
      " |45|C2006|武清|08:20|北京南|08:39|天津|北京南|城际高速|-|00:19|  34|  40|  - |  - *"
      "S|18|G3|北京南|09:00|上海虹桥|13:21|北京南|上海虹桥|高速动车|-|04:21| 639|1021|  - |  - *",
      "journey 武清 to 上海虹桥");
  return 1;
}

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 4) {
    fprintf(stderr, "usage: murlo_host_test LIBRARY SAMPLE_DB WORK_DIR\n");
    return 2;
  }
  if (!run(argv[1], argv[2], argv[3])) {
    fprintf(stderr, "the host could not run its queries\n");
    return 1;
  }
  printf("%d checks, %d failed\n", checks, failures);
  return failures == 0 ? 0 : 1;
}
