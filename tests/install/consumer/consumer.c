/* A host program built against the installed package. */
#include <murloppc.h>
#include <stdio.h>

int main(int argc, char** argv) {
  murlo_char16 path[1024];
  murlo_char16 header[11];
  int i;
  if (argc != 2) return 2;
  for (i = 0; argv[1][i] != '\0' && i < 1023; ++i)
    path[i] = (murlo_char16)(unsigned char)argv[1][i];
  path[i] = 0;
  if (x01f38d60978350e2(path) != 1) return 1;
  x01o23jow83032hwe31h(header);
  for (i = 0; header[i] != 0; ++i) putchar((int)header[i]);
  printf(" (Murloppc %s)\n", murlo_version());
  return 0;
}
