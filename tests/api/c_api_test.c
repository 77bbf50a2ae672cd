/* The public header used from C: it compiles as C99 and the loader and
 * header operations work through it. Takes the path of the worked example
 * database (ASCII) as its argument. */
#include <stdio.h>
#include <string.h>

#include "murloppc.h"

static int failures = 0;

static void check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int main(int argc, char** argv) {
  murlo_char16 path[512];
  murlo_char16 header[11];
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
  path[0] = 0;
  check(x01f38d60978350e2(path) == -1, "an empty path cannot be opened");
  printf("%d passed, %d failed\n", 6 - failures, failures);
  return failures == 0 ? 0 : 1;
}
