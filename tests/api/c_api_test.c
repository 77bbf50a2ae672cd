/* The public header used from C: it compiles as C99 and the loader, header,
 * board and journey operations work through it, and so do a database handle
 * and its structured answers. Takes the path of the worked example database
 * (ASCII) as its argument. */
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

static int same(const char* a, const char* b) {
  return a != NULL && b != NULL && strcmp(a, b) == 0;
}

/* A handle on the file at `path`: a few questions, their fields read, and the
 * answers read again after the handle is closed. */
static void checkStructured(const char* path) {
  const char* beijing = "\xE5\x8C\x97\xE4\xBA\xAC"; /* 北京 */
  const char* tianjin = "\xE5\xA4\xA9\xE6\xB4\xA5"; /* 天津 */
  murlo_db* db = NULL;
  murlo_stations* stations = NULL;
  murlo_rides* rides = (murlo_rides*)&checks; /* set to NULL on a failure */
  murlo_stops* stops = NULL;
  murlo_journeys* journeys = NULL;
  const murlo_ride* ride;
  check(murlo_db_open("no such file", &db) == MURLO_STATUS_CANNOT_OPEN && db == NULL,
        "a missing file opens no handle");
  check(murlo_db_open(path, &db) == MURLO_STATUS_OK && db != NULL, "the database opens");
  if (db == NULL) return;
  check(same(murlo_db_header(db), "EXAMPLE-01"), "the handle's header text");
  check(murlo_db_trains_at_station(db, "nowhere", &rides) == MURLO_STATUS_UNKNOWN_STATION &&
            rides == NULL,
        "an unknown station: its status and no answer");
  check(murlo_db_stations(db, "", &stations) == MURLO_STATUS_OK && stations->count > 0,
        "every station");
  check(murlo_db_departures(db, beijing, 0, 0, &rides) == MURLO_STATUS_OK && rides->count == 1,
        "one departure from Beijing");
  check(murlo_db_plan_journeys(db, tianjin, beijing, 0, 3, 10, 0, &journeys) == MURLO_STATUS_OK &&
            journeys->count == 1 && journeys->journeys[0].ride_count >= 1,
        "one journey from Tianjin to Beijing");
  murlo_db_close(db);
  /* Answers outlive their handle. */
  check(stations != NULL && stations->stations[0].name[0] != '\0',
        "a station's name after the close");
  if (rides != NULL && rides->count == 1) {
    ride = &rides->rides[0];
    check(same(ride->from, beijing) && ride->board_stop < ride->alight_stop,
          "the departure boards at Beijing");
    check(ride->arrival == ride->departure + ride->journey_minutes && ride->departure >= 0 &&
              ride->departure < 1440,
          "the departure's minutes count from the day asked");
  }
  if (journeys != NULL && journeys->count == 1) {
    const murlo_journey* journey = &journeys->journeys[0];
    check(same(journey->rides[0].from, tianjin) &&
              same(journey->rides[journey->ride_count - 1].to, beijing) &&
              journey->departure == journey->rides[0].departure &&
              journey->arrival == journey->rides[journey->ride_count - 1].arrival,
          "the journey rides from Tianjin to Beijing");
    check(murlo_db_open(path, &db) == MURLO_STATUS_OK, "the database opens again");
    check(murlo_db_train_stops(db, journey->rides[0].train, tianjin, beijing, &stops) ==
                  MURLO_STATUS_OK &&
              stops->count >= 2 && stops->stops[0].arrival == MURLO_NO_TIME &&
              stops->stops[stops->count - 1].departure == MURLO_NO_TIME && stops->run_minutes > 0,
          "the stops of the journey's first train");
    murlo_db_close(db);
  }
  murlo_stations_free(stations);
  murlo_rides_free(rides);
  murlo_stops_free(stops);
  murlo_journeys_free(journeys);
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
  checkStructured(argv[1]);
  path[0] = 0;
  check(x01f38d60978350e2(path) == -1, "an empty path cannot be opened");
  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
