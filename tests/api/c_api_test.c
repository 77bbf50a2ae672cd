/* The public header used from C: it compiles as C99 and the loader, header,
 * board and journey operations work through it. Takes the path of the worked
 * example database (ASCII) as its argument. */
#include <stdio.h>
#include <string.h>

#include "murloppc.h"

static int checks = 0;
static int failures = 0;

static void check(int ok, const char* what) {
  ++checks;
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int main(int argc, char** argv) {
  murlo_char16 path[512];
  murlo_char16 header[11];
  murlo_char16 text[1024];
  const murlo_char16 beijing[3] = {0x5317, 0x4EAC, 0}; /* 北京 */
  const murlo_char16 tianjin[3] = {0x5929, 0x6D25, 0}; /* 天津 */
  size_t needed = 0;
  size_t i;
  if (argc != 2 || strlen(argv[1]) >= 512) {
    fprintf(stderr, "usage: c_api_test DATABASE\n");
    return 2;
  }
  for (i = 0; argv[1][i] != '\0'; ++i) path[i] = (murlo_char16)(unsigned char)argv[1][i];
  path[i] = 0;

  check(strlen(murlo_version()) >= 5, "murlo_version gives MAJOR.MINOR.PATCH");
  check(x01o23jow83032hwe31h(header) == 1 && header[0] == 0, "empty header before a load");
  check(x01f38d60978350e2(path) == 1, "the database loads");
  check(x01o23jow83032hwe31h(header) == 1, "header request returns 1");
  check(header[0] == 'E' && header[9] == '1' && header[10] == 0, "header text EXAMPLE-01");
  check(murlo_departures(beijing, 0, 0, text, 1024, NULL) == 1, "one departure from Beijing");
  check(murlo_arrivals(beijing, 1440, 0, text, 1024, NULL) == MURLO_INVALID_ARGUMENT,
        "minute 1440 is no minute of the day");
  check(murlo_plan_journeys(tianjin, beijing, 0, 3, 10, 0, NULL, 0, &needed) ==
                MURLO_BUFFER_TOO_SMALL &&
            needed > 1,
        "the size of a plan");
  check(murlo_plan_journeys(tianjin, beijing, 0, 3, 10, 0, text, needed, NULL) == 1 &&
            text[0] == 'J' && text[1] == '|',
        "one journey from Tianjin to Beijing, its summary first");
  path[0] = 0;
  check(x01f38d60978350e2(path) == -1, "an empty path cannot be opened");
  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
