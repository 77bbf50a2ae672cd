#!/usr/bin/env bash
# Fails when a file includes a header against the direction of the layers
# (docs/architecture.md):
#
#   engine   text <- db <- fare <- present <- query <- api
#   libs     timetable_source (text, db) <- generate, gtfs
#   murlo    the C header, text, db and the libs; never the engine above db;
#            answers/ is shared by cli/, serve/ and files/, and includes none
#            of them
#
# Each folder may include its own headers, those of the folders listed for it
# and the standard library. Prints every include that breaks the rule.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder: the include prefixes its files may use besides their own.
declare -A allowed=(
  [src/text]="text"
  [src/db]="text db"
  [src/fare]="text db fare"
  [src/present]="text db fare present"
  [src/query]="text db fare present query"
  [src/api]="text db fare present query api murloppc.h"
  [libs/timetable_source]="text db timetable_source"
  [libs/generate]="text db timetable_source generate"
  [libs/gtfs]="text db timetable_source gtfs"
  [tools/murlo/answers]="murloppc.h text answers"
  [tools/murlo/cli]="murloppc.h text db answers cli serve files"
  [tools/murlo/serve]="murloppc.h text db answers cli serve"
  [tools/murlo/files]="murloppc.h text db timetable_source generate gtfs answers cli files"
)

status=0
for folder in "${!allowed[@]}"; do
  read -r -a prefixes <<<"${allowed[$folder]}"
  while IFS= read -r -d '' file; do
    while IFS= read -r line; do
      header=${line#*\"}
      header=${header%%\"*}
      prefix=${header%%/*}
      # A header beside the file (no folder in its name) is the folder's own.
      [[ $header == */* || $header == murloppc.h ]] || continue
      ok=0
      for p in "${prefixes[@]}"; do
        [[ $prefix == "$p" || $header == "$p" ]] && ok=1
      done
      if ((!ok)); then
        echo "$file: includes \"$header\", which $folder may not use"
        status=1
      fi
    done < <(grep -E '^\s*#\s*include\s+"' "$file" || true)
  done < <(find "$folder" -name '*.h' -o -name '*.cc' -o -name '*.c' | tr '\n' '\0')
done
((status == 0)) && echo "layers: every include runs the right way"
exit "$status"
