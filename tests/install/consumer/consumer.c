/* A host program built against the installed package. */
#include <murloppc.h>
#include <stdio.h>

int main(int argc, char** argv) {
  murlo_char16 path[1024];
  murlo_char16 header[11];
  murlo_db* db = NULL;
  murlo_stations* stations = NULL;
  int i;
  if (argc != 2) return 2;
  for (i = 0; argv[1][i] != '\0' && i < 1023; ++i)
    path[i] = (murlo_char16)(unsigned char)argv[1][i];
  path[i] = 0;
  if (x01f38d60978350e2(path) != 1) return 1;
  x01o23jow83032hwe31h(header);
  for (i = 0; header[i] != 0; ++i) putchar((int)header[i]);
  printf(" (Murloppc %s)\n", murlo_version());
  /* The same file as a handle, its stations as a structure. */
  if (murlo_db_open(argv[1], &db) != MURLO_STATUS_OK) return 1;
  if (murlo_db_stations(db, "", &stations) != MURLO_STATUS_OK) return 1;
  printf("%s: %u stations\n", murlo_db_header(db), (unsigned)stations->count);
  murlo_stations_free(stations);
  murlo_db_close(db);
  return 0;
}
