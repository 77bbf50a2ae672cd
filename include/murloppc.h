/*
 * murloppc.h - C interface of the Murloppc railway timetable query engine.
 *
 * The library keeps one timetable database per process. A host loads a
 * database file once and then asks the queries below as its user works.
 * A host may also open databases as handles and receive answers as C
 * structures (the last part of this header, with its own contract).
 *
 * Contract kept by every function of this header:
 *
 *  1. Text. Every text argument and every result text is zero-terminated
 *     UTF-16 (murlo_char16: 16-bit code units on every platform). Inside,
 *     the library works in GBK (code page 936); a station name or train
 *     number that code page 936 cannot represent, or that holds an unpaired
 *     surrogate, matches nothing. GBK bytes in a database that form no
 *     character come out as U+FFFD.
 *
 *  2. Buffers. The x01... operations take output buffers without a size:
 *     the caller must size each one for the longest result it accepts (each
 *     function says what its result can hold). The murlo_... functions take
 *     each buffer's capacity in UTF-16 code units, terminator included, and
 *     never write past it. On success a result text is written with its
 *     terminator. On a negative result the output buffers are left exactly
 *     as the caller gave them, except where a function says otherwise.
 *
 *  3. Results. Every function returns an int32_t: a count (0 and more),
 *     1 for plain success, or a negative code. The codes -1, -2 and -3 mean
 *     what each function says; MURLO_OUT_OF_MEMORY (-4),
 *     MURLO_BUFFER_TOO_SMALL (-5) and MURLO_INVALID_ARGUMENT (-6, a number
 *     outside its range, tested before any name) mean the same everywhere.
 *     No C++ exception ever leaves the library.
 *
 *  4. Threads. Queries may run at the same time on any threads. A load may
 *     overlap queries: a query that has started finishes on the database it
 *     started with, and the next query sees the new one.
 *
 *  5. The database. It exists empty from the moment the library is loaded
 *     (every query then finds nothing) until the library is unloaded. A
 *     successful load replaces it whole; a failed load leaves it as it was.
 *     Pointers passed in are only read during the call; the library keeps
 *     none of them.
 */
#ifndef MURLOPPC_H_
#define MURLOPPC_H_

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#include <wchar.h>
#endif

#if defined(_WIN32)
#if defined(MURLOPPC_BUILDING)
#define MURLO_EXPORT __declspec(dllexport)
#else
#define MURLO_EXPORT __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define MURLO_EXPORT __attribute__((visibility("default")))
#else
#define MURLO_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One UTF-16 code unit. wchar_t is 16 bits on Windows only. */
#if defined(_WIN32)
typedef wchar_t murlo_char16;
#elif defined(__cplusplus)
typedef char16_t murlo_char16;
#else
typedef uint16_t murlo_char16;
#endif

/* The ranges of the numbers of a journey question (murlo_plan_journeys,
 * murlo_db_plan_journeys): 0 to MURLO_MOST_CHANGES changes of 0 to
 * MURLO_MOST_CHANGE_MINUTES minutes each. */
#define MURLO_MOST_CHANGES 7
#define MURLO_MOST_CHANGE_MINUTES 1439

/* Negative results shared by every function. */
#define MURLO_OUT_OF_MEMORY (-4)    /* memory ran out; outputs untouched */
#define MURLO_BUFFER_TOO_SMALL (-5) /* a capacity was too small (murlo_... only) */
#define MURLO_INVALID_ARGUMENT (-6) /* a numeric argument outside its range */

/* The library's version as "MAJOR.MINOR.PATCH", a static text. */
MURLO_EXPORT const char* murlo_version(void);

/* ---- The database file ------------------------------------------------- */

/*
 * Loads the database file at `path` and makes it the process's database.
 * Returns 1 when the file was read and the tables built, -1 when the file
 * cannot be opened (also when `path` is NULL or not valid UTF-16), -2 when
 * its size cannot be determined, -3 when reading it or building the tables
 * failed (a short read, exhausted memory). On every negative result the
 * previous database stays exactly as it was.
 */
MURLO_EXPORT int32_t x01f38d60978350e2(const murlo_char16* path);

/*
 * Writes the database's header text (at most ten characters; the empty text
 * before a load). `output` must hold 11 code units. Always returns 1.
 */
MURLO_EXPORT int32_t x01o23jow83032hwe31h(murlo_char16* output);

/* ---- Queries ----------------------------------------------------------- */

/*
 * Station names whose abbreviation begins with `abbreviation` (byte-exact,
 * case-sensitive), in file order, each followed by "|". An empty
 * abbreviation matches every station. Returns the number of names.
 * `output` must hold the names, one "|" each and the terminator.
 */
MURLO_EXPORT int32_t x0189e3js083h2c13(const murlo_char16* abbreviation, murlo_char16* output);

/*
 * Every train calling at the station named `station`, each as one result
 * line for its whole run followed by "*", in the order of the station's
 * calls. Returns the number of lines, or -1 when no station has that name.
 * `output` must hold every line (about 130 code units each) and the
 * terminator.
 */
MURLO_EXPORT int32_t x01e983hw983402(const murlo_char16* station, murlo_char16* output);

/*
 * The direct trains from `origin` to `destination`, each as a result line
 * for that stretch followed by "*"; returns their number. When there is
 * none, returns 0 and writes the proposed change stations, each followed by
 * "|" (possibly none). `mode` 1 marks every line with "H". Returns -3 when
 * the two names are equal, -1 when the origin is unknown, -2 when the
 * destination is unknown (tested in that order).
 */
MURLO_EXPORT int32_t x01d897fsd20dj3(const murlo_char16* origin, const murlo_char16* destination,
                                     murlo_char16* output, int32_t mode);

/*
 * The whole stop list of train `train_index` (the second field of a result
 * line), one line per stop followed by "*", the stops from `boarding` to
 * `alighting` marked ">|", others " |"; and the train's total running time
 * ("HH:MM", hours not reduced) in `run_time`. Returns the number of stops;
 * 0 with both outputs empty when the index names no train with two stops.
 * `stop_list` must hold per stop the station name and 20 more code units;
 * `run_time` at least 6 (more from 100 hours on).
 */
MURLO_EXPORT int32_t x01p2923jh8eh23083d3(uint32_t train_index, const murlo_char16* boarding,
                                          const murlo_char16* alighting, murlo_char16* stop_list,
                                          murlo_char16* run_time);

/*
 * Trains running under the typed `number`, with or without its letter
 * prefix (T L N A K Y Z D C G) or suffix (A B), each as one result line for
 * its whole run followed by "*", in file order. Returns the number of
 * trains; 0 with an empty text for an empty number.
 */
MURLO_EXPORT int32_t x01jhhwe23h9823098(const murlo_char16* number, murlo_char16* output);

/* ---- The same operations with buffer sizes ---------------------------- *
 *
 * Each output buffer comes with its capacity in UTF-16 code units, the
 * terminator included, and a `needed` pointer (may be NULL) that receives the
 * units the result needs, terminator included, whenever the operation itself
 * succeeded. When a result does not fit, MURLO_BUFFER_TOO_SMALL is returned
 * and nothing is written: call again with a buffer of `needed` units (a
 * capacity of 0 with a NULL buffer asks for the size alone). Every other
 * result is that of the x01... operation named.
 */

/* As x01f38d60978350e2. */
MURLO_EXPORT int32_t murlo_load_database(const murlo_char16* path);

/* As x01o23jow83032hwe31h: 1, or MURLO_BUFFER_TOO_SMALL. */
MURLO_EXPORT int32_t murlo_header_text(murlo_char16* output, size_t capacity, size_t* needed);

/* As x0189e3js083h2c13. */
MURLO_EXPORT int32_t murlo_find_stations(const murlo_char16* abbreviation, murlo_char16* output,
                                         size_t capacity, size_t* needed);

/*
 * Every station in table order, each written as its name, "|", its
 * abbreviation (empty where the database has none) and "*". Returns the
 * number of stations (0 before a load). No x01... operation gives this.
 */
MURLO_EXPORT int32_t murlo_station_list(murlo_char16* output, size_t capacity, size_t* needed);

/* As x01e983hw983402. */
MURLO_EXPORT int32_t murlo_trains_at_station(const murlo_char16* station, murlo_char16* output,
                                             size_t capacity, size_t* needed);

/* As x01d897fsd20dj3. */
MURLO_EXPORT int32_t murlo_direct_trains(const murlo_char16* origin,
                                         const murlo_char16* destination, int32_t mode,
                                         murlo_char16* output, size_t capacity, size_t* needed);

/* As x01p2923jh8eh23083d3; both results must fit or neither is written. */
MURLO_EXPORT int32_t murlo_train_stops(uint32_t train_index, const murlo_char16* boarding,
                                       const murlo_char16* alighting, murlo_char16* stop_list,
                                       size_t stop_list_capacity, size_t* stop_list_needed,
                                       murlo_char16* run_time, size_t run_time_capacity,
                                       size_t* run_time_needed);

/* As x01jhhwe23h9823098. */
MURLO_EXPORT int32_t murlo_trains_by_number(const murlo_char16* number, murlo_char16* output,
                                            size_t capacity, size_t* needed);

/* ---- Boards and journeys with changes (murlo_... only) ---------------- *
 *
 * The timetable model: every train runs every day; minutes count from 00:00
 * of the day of the question. A train can be boarded at a stop (not its
 * last) whose departure is a time of day, and left at a later stop (not its
 * first) whose arrival is one; a ride lasts the journey time that the
 * train's result line for that stretch shows. A name means the first station
 * of that name. Calls that name no train or stop of the tables, or a stop at
 * another station, are skipped. Buffers and `needed` as above.
 */

/*
 * The departures from `station` after `after_minute` (0 to 1439): every call
 * there at which a train can be boarded, ordered by how long after
 * `after_minute` its departure time of day comes, then train index, then stop
 * position; each the result line of that train from this stop to its last
 * stop, followed by "*". At most `limit` lines (0: all). Returns the number
 * of lines, -1 for an unknown station, or MURLO_INVALID_ARGUMENT for
 * `after_minute` outside 0..1439 or a negative `limit`.
 */
MURLO_EXPORT int32_t murlo_departures(const murlo_char16* station, int32_t after_minute,
                                      int32_t limit, murlo_char16* output, size_t capacity,
                                      size_t* needed);

/*
 * The arrivals at `station`: every call there, not a train's first stop, at
 * which a train can be left, ordered by how long after `after_minute` its
 * arrival time of day comes, then train index, then stop position; each the
 * result line of that train from its first stop to this stop, followed by
 * "*". Limit and results as murlo_departures.
 */
MURLO_EXPORT int32_t murlo_arrivals(const murlo_char16* station, int32_t after_minute,
                                    int32_t limit, murlo_char16* output, size_t capacity,
                                    size_t* needed);

/*
 * Journeys from `origin` to `destination` with at most `max_changes`
 * changes (0 to 7), each change at one station, boarding at least
 * `min_change_minutes` (0 to 1439) after arriving; staying on a train is one
 * ride. Of the journeys that depart in [t, t + 1440), t = `after_minute`,
 * every one that no other dominates (departs no earlier, arrives no later,
 * has no more rides, and is better in one of them), nor its own run a day
 * later (every train runs every day), is written, one for each
 * (departure, arrival, rides), in that order (of several with one triple,
 * the same one for the same arguments); at most `limit` (0: all).
 * Each journey is the summary line
 *
 *   J|DEP|ARR|DAY|DAYS|DURATION|RIDES*
 *
 * (DEP and ARR times of day HH:MM; DAY 0 when it departs on the day of the
 * question, 1 on the next; DAYS the days from its departure day to its
 * arrival; DURATION "%.2d:%.2d", hours not reduced; RIDES the number of
 * rides), then for each ride the result line of its train from the boarding
 * to the alighting stop, followed by "*". Returns the number of journeys (0
 * when none); tested in this order: MURLO_INVALID_ARGUMENT for a number
 * outside its range or a negative `limit`, -3 when the two names are equal,
 * -1 for an unknown origin, -2 for an unknown destination.
 */
/* With the network's rules (a file with the extension), journeys follow
 * them as murlo_db_plan says, and a ride boarded at another station than
 * the one the ride before ended at (a walk within a station group or along
 * a transfer) has the walk written before its line:
 *
 *   W|FROM|TO|MINUTES*
 *
 * (the two stations' names and the change's minutes as "%.2d:%.2d"); RIDES
 * counts the rides alone. A file without the extension never has one. */
MURLO_EXPORT int32_t murlo_plan_journeys(const murlo_char16* origin,
                                         const murlo_char16* destination, int32_t after_minute,
                                         int32_t max_changes, int32_t min_change_minutes,
                                         int32_t limit, murlo_char16* output, size_t capacity,
                                         size_t* needed);

/* ==== Database handles and structured answers ========================== *
 *
 * Besides the process's database above, a host may open any number of
 * databases as handles and ask them questions whose answers come back as C
 * structures rather than text. Contract of this part (it replaces points 1
 * to 3 and 5 of the contract above for the functions below):
 *
 *  1. Text. Every text argument and every text of an answer is
 *     zero-terminated UTF-8. Inside, names are compared in GBK: a name that
 *     is not valid UTF-8, or that code page 936 cannot represent, matches
 *     nothing. GBK bytes in a database that form no character come out as
 *     U+FFFD.
 *
 *  2. Results. Every question returns a murlo_status (MURLO_STATUS_OK, 0, or a
 *     reason) and, on MURLO_STATUS_OK only, stores a new answer in `*out`; on any
 *     other status `*out` is set to NULL. The caller frees each answer with
 *     the free function of its type (NULL is allowed there). A NULL handle,
 *     text argument or `out` is MURLO_STATUS_INVALID_ARGUMENT.
 *
 *  3. Lifetimes. An answer's texts and arrays stay valid until the answer is
 *     freed, also after its database is closed: an answer keeps what it
 *     needs of the database. A handle never changes once opened; closing it
 *     while other threads still ask it questions is the caller's fault.
 *
 *  4. Threads. Any number of threads may ask questions of one handle at the
 *     same time, and open and close other handles meanwhile.
 *
 *  5. Minutes. Times are minutes from 00:00 of the day an answer counts
 *     from (1440 and more on later days): for trains at a station, direct
 *     trains, trains by number and a stop list, the day the train sets out
 *     from its first stop; for boards and journeys, the day asked about. A
 *     train passes midnight where a time is earlier than the one before it.
 *
 *  6. Dates. A database may carry a calendar: the period its timetable
 *     covers and the days each train runs (murlo_db_period). Boards, direct
 *     trains and journeys may be asked for a date, given as the number
 *     YYYYMMDD (20260923 for 23 September 2026; MURLO_NO_DATE, 0, for none).
 *     A train runs on a day when it sets out from its first stop that day
 *     and the calendar says it runs then; a train that set out the day
 *     before and runs past midnight calls on the date asked about, and a
 *     journey runs on into the next days with the trains of those days.
 *     Without a date, or in a database without a calendar, every train runs
 *     every day and the answers are those of the functions without a date.
 *     A number that is not a date of 1970 to 9999 is
 *     MURLO_STATUS_INVALID_ARGUMENT; a date outside the period
 *     MURLO_STATUS_DATE_OUTSIDE_PERIOD.
 */

typedef struct murlo_db murlo_db;

typedef enum murlo_status {
  MURLO_STATUS_OK = 0,
  MURLO_STATUS_CANNOT_OPEN = 1,         /* no such file, not a regular file, over 256 MiB */
  MURLO_STATUS_CANNOT_SIZE = 2,         /* its size cannot be determined */
  MURLO_STATUS_CANNOT_READ = 3,         /* reading it or building its tables failed */
  MURLO_STATUS_UNKNOWN_STATION = 4,     /* the station of a one-station question */
  MURLO_STATUS_UNKNOWN_ORIGIN = 5,      /* the first of two stations */
  MURLO_STATUS_UNKNOWN_DESTINATION = 6, /* the second of two stations */
  MURLO_STATUS_SAME_STATION = 7,        /* the two names are equal */
  MURLO_STATUS_UNKNOWN_TRAIN = 8,       /* no train with two stops has the index */
  MURLO_STATUS_INVALID_ARGUMENT = 9,    /* a number outside its range, or a NULL */
  MURLO_STATUS_OUT_OF_MEMORY = 10,      /* memory ran out; nothing was made */
  /* a question for a date the database's calendar does not cover (see
   * murlo_db_period) */
  MURLO_STATUS_DATE_OUTSIDE_PERIOD = 11
} murlo_status;

/* A short English text for `status` (a static text; "unknown status" for a
 * value not listed). */
MURLO_EXPORT const char* murlo_status_text(murlo_status status);

/*
 * Opens the database file at `path` (UTF-8) as a new handle in `*db`.
 * MURLO_STATUS_CANNOT_OPEN, MURLO_STATUS_CANNOT_SIZE and MURLO_STATUS_CANNOT_READ mean what the
 * load's -1, -2 and -3 mean; `*db` is then NULL.
 */
MURLO_EXPORT murlo_status murlo_db_open(const char* path, murlo_db** db);

/*
 * A new handle on the process's database as it is now (what the x01...
 * operations answer from); a later load does not change it. NULL when
 * memory runs out.
 */
MURLO_EXPORT murlo_db* murlo_db_of_process(void);

/* Closes a handle (NULL is allowed). Answers taken from it stay valid. */
MURLO_EXPORT void murlo_db_close(murlo_db* db);

/* The database's header text, valid while the handle is open; "" for NULL. */
MURLO_EXPORT const char* murlo_db_header(const murlo_db* db);

/* ---- The period (point 6) ---- */

#define MURLO_NO_DATE 0 /* a question for no date: every train every day */

/*
 * The first and the last date (YYYYMMDD) of the period the database's
 * calendar covers, both MURLO_NO_DATE for a database without one (every
 * train every day). MURLO_STATUS_INVALID_ARGUMENT for a NULL argument.
 */
MURLO_EXPORT murlo_status murlo_db_period(const murlo_db* db, int32_t* first_date,
                                          int32_t* last_date);

/* The time zone of the database's times as an IANA name ("Asia/Shanghai"),
 * valid while the handle is open; "" where the database does not say or for
 * NULL. */
MURLO_EXPORT const char* murlo_db_time_zone(const murlo_db* db);

/* ---- The network's tariff and fares ---- */

#define MURLO_TARIFF_BUILT_IN 0 /* the built-in tariff: the fares of murlo_ride */
#define MURLO_TARIFF_NONE 1     /* the network has no fares */
#define MURLO_TARIFF_NETWORK 2  /* the network's own fares: murlo_db_ride_fare */

/* The tariff the database's rides follow: MURLO_TARIFF_BUILT_IN for every
 * file that does not say otherwise (and for NULL). With either other one, a
 * murlo_ride's four fares are MURLO_NO_FARE and its class_name is the kind
 * of vehicle of the train's route ("Rail", "Subway", "Bus", ...; "" where
 * the file does not say). */
MURLO_EXPORT int32_t murlo_db_tariff(const murlo_db* db);

/* A fare of the network's own tariff: an exact amount in minor units of
 * its currency (1075 with 2 digits: 10.75). */
typedef struct murlo_fare {
  int64_t amount;
  const char* currency; /* ISO 4217 code, such as "USD" */
  int32_t digits;       /* minor-unit digits of the currency, 0 to 4 */
  const char* fare_id;  /* the network's name of the fare */
} murlo_fare;

/*
 * The network's fare of a ride on train `train` from its stop `board_stop`
 * to its stop `alight_stop` (as a murlo_ride gives them): 1 and *out filled
 * (texts valid while the handle is open) where the network's fare rules give
 * the ride a fare, else 0 and *out untouched (a database without fares of
 * its own, a stop or train that is not one, a NULL). Of the fares whose
 * rules match the ride, the cheapest (see docs/murlo.md). A journey's fare
 * is the sum of its rides' where every ride has one in one currency.
 */
MURLO_EXPORT int32_t murlo_db_ride_fare(const murlo_db* db, uint32_t train, uint32_t board_stop,
                                        uint32_t alight_stop, murlo_fare* out);

/* ---- Stations ---- */

typedef struct murlo_station {
  uint32_t index; /* the station's index in its table */
  const char* name;
  const char* abbreviation; /* "" where the database has none */
} murlo_station;

typedef struct murlo_stations {
  size_t count;
  const murlo_station* stations; /* in table order */
} murlo_stations;

/*
 * The stations whose abbreviation begins with `abbreviation_prefix` (byte
 * for byte, case-sensitive; "" lists every station, abbreviated or not).
 */
MURLO_EXPORT murlo_status murlo_db_stations(const murlo_db* db, const char* abbreviation_prefix,
                                            murlo_stations** out);
MURLO_EXPORT void murlo_stations_free(murlo_stations* list);

/* ---- Rides: trains at a station, direct trains, by number, boards ---- */

#define MURLO_NO_FARE INT64_MIN /* a fare column the train does not offer */
#define MURLO_NO_TIME INT64_MIN /* a first stop's arrival, a last stop's departure */

/* One train from the stop where it is boarded to the stop where it is left:
 * the facts of one result line of the text operations. */
typedef struct murlo_ride {
  uint32_t train;      /* the train's index */
  const char* number;  /* its numbers, joined by "/" */
  char marker;         /* 'S' when boarded at its first station, else ' ' */
  uint32_t board_stop; /* stop positions in the train's stop list */
  uint32_t alight_stop;
  const char* from;          /* the boarding station */
  const char* to;            /* the alighting station */
  const char* first_station; /* the train's own first and last stations */
  const char* last_station;
  int64_t departure; /* minutes (point 5) */
  int64_t arrival;   /* departure + journey_minutes */
  int64_t journey_minutes;
  int32_t distance_km;
  const char* class_name;
  int64_t fares[4]; /* whole yuan, as the line shows them, or MURLO_NO_FARE */
  /* The train's departure from its first stop, in the same minutes: it sets
   * out on day set_out / 1440 (rounded down) of the answer's count. */
  int64_t set_out;
  /* The call at the station asked about: on a board the stop boarded at
   * (departures) or left at (arrivals); among the trains at a station the
   * call that gives the line; elsewhere the stop boarded at. Its times in
   * the same minutes, MURLO_NO_TIME for a first stop's arrival and a last
   * stop's departure. */
  uint32_t call_stop;
  int64_t call_arrival;
  int64_t call_departure;
} murlo_ride;

typedef struct murlo_rides {
  size_t count;
  const murlo_ride* rides;
  /* Direct trains without a ride: the change stations proposed. */
  size_t change_station_count;
  const char* const* change_stations;
} murlo_rides;

/* Each train's whole run, one per call at `station` (as x01e983hw983402);
 * MURLO_STATUS_UNKNOWN_STATION. */
MURLO_EXPORT murlo_status murlo_db_trains_at_station(const murlo_db* db, const char* station,
                                                     murlo_rides** out);
/* The direct trains from `origin` to `destination`, or none and the change
 * stations (as x01d897fsd20dj3); MURLO_STATUS_SAME_STATION, MURLO_STATUS_UNKNOWN_ORIGIN,
 * MURLO_STATUS_UNKNOWN_DESTINATION, tested in that order. */
MURLO_EXPORT murlo_status murlo_db_direct_trains(const murlo_db* db, const char* origin,
                                                 const char* destination, murlo_rides** out);
/* The same for `date` (point 6): the runs that leave `origin` on that date
 * and run, their minutes counted as murlo_db_direct_trains counts them (from
 * the day the train sets out, which is the day before the date for a train
 * that reaches `origin` past midnight). MURLO_STATUS_INVALID_ARGUMENT and
 * MURLO_STATUS_DATE_OUTSIDE_PERIOD are tested first. */
MURLO_EXPORT murlo_status murlo_db_direct_trains_on(const murlo_db* db, const char* origin,
                                                    const char* destination, int32_t date,
                                                    murlo_rides** out);
/* The whole run of each train under `number` (as x01jhhwe23h9823098). */
MURLO_EXPORT murlo_status murlo_db_trains_by_number(const murlo_db* db, const char* number,
                                                    murlo_rides** out);
/* A board as murlo_departures and murlo_arrivals give it, its minutes
 * counted from the day asked about (a departure from `after_minute` on,
 * within 24 hours; an arrival likewise, and the train's departure before
 * it, negative on the day before). MURLO_STATUS_INVALID_ARGUMENT (tested
 * first) or MURLO_STATUS_UNKNOWN_STATION. */
MURLO_EXPORT murlo_status murlo_db_departures(const murlo_db* db, const char* station,
                                              int32_t after_minute, int32_t limit,
                                              murlo_rides** out);
MURLO_EXPORT murlo_status murlo_db_arrivals(const murlo_db* db, const char* station,
                                            int32_t after_minute, int32_t limit, murlo_rides** out);
/* The same boards for `date` (point 6): the calls from `after_minute` of
 * that date on, within 24 hours, of the runs that run (a call past
 * midnight of the date is the next day's run's, or the run's that set out
 * before); `limit` counts the calls listed. MURLO_STATUS_INVALID_ARGUMENT
 * (tested first), MURLO_STATUS_DATE_OUTSIDE_PERIOD or
 * MURLO_STATUS_UNKNOWN_STATION. */
MURLO_EXPORT murlo_status murlo_db_departures_on(const murlo_db* db, const char* station,
                                                 int32_t date, int32_t after_minute, int32_t limit,
                                                 murlo_rides** out);
MURLO_EXPORT murlo_status murlo_db_arrivals_on(const murlo_db* db, const char* station,
                                               int32_t date, int32_t after_minute, int32_t limit,
                                               murlo_rides** out);
MURLO_EXPORT void murlo_rides_free(murlo_rides* list);

/* ---- A train's stops ---- */

typedef struct murlo_stop {
  uint32_t position; /* in the train's stop list */
  const char* station;
  int64_t arrival; /* minutes (point 5), or MURLO_NO_TIME */
  int64_t departure;
  int32_t km;     /* from the first stop */
  int on_journey; /* 1 where x01p2923jh8eh23083d3 marks the stop */
} murlo_stop;

typedef struct murlo_stops {
  uint32_t train;
  const char* number;
  size_t count;
  const murlo_stop* stops; /* the stops at stations of the table */
  int64_t run_minutes;     /* from the first stop to the last */
} murlo_stops;

/* The stops of train `train`, those from `boarding` to `alighting` marked
 * (as x01p2923jh8eh23083d3; "" marks nothing); MURLO_STATUS_UNKNOWN_TRAIN. */
MURLO_EXPORT murlo_status murlo_db_train_stops(const murlo_db* db, uint32_t train,
                                               const char* boarding, const char* alighting,
                                               murlo_stops** out);
MURLO_EXPORT void murlo_stops_free(murlo_stops* list);

/* ---- Journeys with changes ---- */

/* The walk before a ride of a journey, where the change goes from the
 * station the ride before ended at (`from`) to another one (`to`, where this
 * ride is boarded: a member of a station group both are in, or the other
 * end of a transfer), and the change's minutes (the wait for the train
 * aside). `from` and `to` are NULL and `minutes` 0 where there is none: the
 * first ride, and a change at one station. */
typedef struct murlo_walk {
  const char* from;
  const char* to;
  int32_t minutes;
} murlo_walk;

typedef struct murlo_journey {
  int64_t departure; /* minutes from 00:00 of the day asked about */
  int64_t arrival;
  size_t ride_count;
  const murlo_ride* rides; /* each boarded where the one before left, or after its walk */
  /* For each ride, the walk before it (ride_count entries). */
  const murlo_walk* walks;
} murlo_journey;

typedef struct murlo_journeys {
  size_t count;
  const murlo_journey* journeys;
} murlo_journeys;

/* The journeys murlo_plan_journeys writes, in its order; each next ride is
 * boarded on the first day its train leaves at least the change's minutes
 * (`min_change_minutes`, or as the network's rules say: see murlo_db_plan)
 * after the ride before arrived. Statuses tested in murlo_plan_journeys'
 * order. */
MURLO_EXPORT murlo_status murlo_db_plan_journeys(const murlo_db* db, const char* origin,
                                                 const char* destination, int32_t after_minute,
                                                 int32_t max_changes, int32_t min_change_minutes,
                                                 int32_t limit, murlo_journeys** out);
MURLO_EXPORT void murlo_journeys_free(murlo_journeys* list);

/* What the minute of murlo_db_plan asks for. */
#define MURLO_PLAN_DEPART_AFTER 0  /* journeys that depart in [m, m + 1440) */
#define MURLO_PLAN_ARRIVE_BY 1     /* the latest that depart in [m - 1440, m) and arrive by m */
#define MURLO_PLAN_DEPART_BEFORE 2 /* the latest that depart in [m - 1440, m) */

/* A journey question. `size` is sizeof(murlo_plan_options) as the caller
 * was compiled with: fields added to the end later take their defaults
 * where a caller's structure ends before them. */
typedef struct murlo_plan_options {
  size_t size;
  int32_t time_kind; /* MURLO_PLAN_... */
  /* Minutes from 00:00 of the day asked about; any value, so that the
   * journeys after one already shown are asked as MURLO_PLAN_DEPART_AFTER
   * its departure + 1, and those before it as MURLO_PLAN_DEPART_BEFORE its
   * departure (or MURLO_PLAN_ARRIVE_BY its arrival - 1). */
  int32_t minute;
  int32_t max_changes;    /* 0 to MURLO_MOST_CHANGES */
  int32_t change_minutes; /* 0 to 1439: at a station without its own change time */
  /* 0 to 1439: no change takes less, whatever the network's rules say (a
   * traveller who needs more time may ask for it). */
  int32_t least_change_minutes;
  int32_t limit; /* journeys answered, 0 for all; the latest ones for
                    MURLO_PLAN_ARRIVE_BY and MURLO_PLAN_DEPART_BEFORE */
} murlo_plan_options;

/*
 * The journeys from `origin` to `destination` that `options` asks for, in
 * order of departure, then arrival, then rides; every one that no other
 * asked for dominates (departs no earlier, arrives no later, has no more
 * rides, and is better in one of them), nor, leaving after a time, another's
 * run a day later, one for each (departure, arrival, rides). Minutes count
 * from 00:00 of the day asked about (negative before it). With the network's rules (a file with the
 * extension): calls that may not be boarded or left are not; a change takes a station's own change
 * time where it has one, else change_minutes; a change between two members
 * of a station group takes the group's minutes, and one along a transfer
 * the transfer's (a timed transfer between two trains none, a forbidden one
 * makes no change), never fewer than least_change_minutes. A station
 * group's name where no station has that name stands for its members: the
 * journey departs from any of them, or ends at any of them. No journey
 * comes back to a station it has left (its origin's included). Statuses as
 * murlo_db_plan_journeys; MURLO_STATUS_INVALID_ARGUMENT also for a NULL
 * `options`, a `size` smaller than the first version of the structure or an
 * unknown time_kind.
 */
MURLO_EXPORT murlo_status murlo_db_plan(const murlo_db* db, const char* origin,
                                        const char* destination, const murlo_plan_options* options,
                                        murlo_journeys** out);

/*
 * The same journeys for `date` (point 6, YYYYMMDD or MURLO_NO_DATE):
 * options->minute counts from 00:00 of that date, each ride is on a run its
 * train makes, boarded on the first day from the change on that its train
 * runs, and a journey is left out for another's run a day later only where
 * that run runs. MURLO_STATUS_INVALID_ARGUMENT also for a `date` that is not
 * one; then MURLO_STATUS_DATE_OUTSIDE_PERIOD for a day the calendar does not
 * cover (the date, moved by the whole days of options->minute).
 */
MURLO_EXPORT murlo_status murlo_db_plan_on(const murlo_db* db, const char* origin,
                                           const char* destination, int32_t date,
                                           const murlo_plan_options* options, murlo_journeys** out);

/* ---- Station groups ---- */

#define MURLO_GROUP_COMPLEX 1 /* one station complex: walks between its members */
#define MURLO_GROUP_CITY 2    /* the stations of one city: transit between them */

typedef struct murlo_station_group {
  const char* name;                /* may be asked for where a station is expected */
  int32_t kind;                    /* MURLO_GROUP_COMPLEX or MURLO_GROUP_CITY */
  int32_t minutes;                 /* from any member to any other */
  size_t member_count;             /* two or more */
  const uint32_t* members;         /* station indexes, as murlo_station's */
  const char* const* member_names; /* their names, in the same order */
} murlo_station_group;

typedef struct murlo_station_groups {
  size_t count;
  const murlo_station_group* groups; /* in the database's order */
} murlo_station_groups;

/* The database's station groups (none for a file without them). */
MURLO_EXPORT murlo_status murlo_db_station_groups(const murlo_db* db, murlo_station_groups** out);
MURLO_EXPORT void murlo_station_groups_free(murlo_station_groups* list);

/* ---- Stations' own change times ---- */

typedef struct murlo_change_time {
  uint32_t station; /* its index, as murlo_station's */
  const char* name;
  int32_t minutes; /* the least minutes between arriving there and boarding again */
} murlo_change_time;

typedef struct murlo_change_times {
  size_t count;
  const murlo_change_time* times; /* by station index */
} murlo_change_times;

/* The stations that have a change time of their own (none for a file
 * without them); a journey changing at any other takes the question's. */
MURLO_EXPORT murlo_status murlo_db_change_times(const murlo_db* db, murlo_change_times** out);
MURLO_EXPORT void murlo_change_times_free(murlo_change_times* list);

/* ---- The network in its own words ----
 *
 * What riders read, where the database holds it (imported feeds, sources
 * with `named`, `line` and `words` lines): names as written in UTF-8 with
 * spaces and any script, lines with their colours, headsigns, platforms and
 * wheelchair access. A database without them answers with empty texts and
 * "unknown"; every other answer is as before. */

#define MURLO_WHEELCHAIR_UNKNOWN 0
#define MURLO_WHEELCHAIR_YES 1
#define MURLO_WHEELCHAIR_NO 2
#define MURLO_NO_COLOUR (-1) /* a line without a colour */
#define MURLO_NO_DIRECTION (-1)

typedef struct murlo_station_info {
  uint32_t index;
  const char* name;            /* as murlo_station's: the name to ask questions by */
  const char* name_as_written; /* "" where the database has none */
  /* The name as written, told apart from other stations of that name the
   * way riders do: "125 St (4 5 6)"; "" where there is no name as written. */
  const char* label;
  int32_t has_coordinates; /* 1 when latitude and longitude are known */
  int32_t latitude;        /* microdegrees */
  int32_t longitude;
  int32_t wheelchair; /* MURLO_WHEELCHAIR_... */
  size_t line_count;  /* the short names of the lines calling there */
  const char* const* lines;
} murlo_station_info;

/* A station's words; MURLO_STATUS_UNKNOWN_STATION for an index outside the
 * station table. */
MURLO_EXPORT murlo_status murlo_db_station_info(const murlo_db* db, uint32_t station,
                                                murlo_station_info** out);
MURLO_EXPORT void murlo_station_info_free(murlo_station_info* info);

typedef struct murlo_train_info {
  uint32_t train;
  const char* number;            /* as murlo_ride's: the sections' numbers */
  const char* number_as_written; /* its own number as riders know it, or "" */
  int32_t has_line;              /* 1 when the train's line is known */
  const char* line_short_name;   /* "" where none */
  const char* line_long_name;
  int32_t route_type;   /* as GTFS numbers it; -1 without a line */
  int32_t colour;       /* 0xRRGGBB, or MURLO_NO_COLOUR */
  int32_t text_colour;  /* 0xRRGGBB, or MURLO_NO_COLOUR */
  const char* headsign; /* "" where none */
  int32_t direction;    /* 0, 1 or MURLO_NO_DIRECTION */
  int32_t wheelchair;   /* MURLO_WHEELCHAIR_... */
  /* One per stop of murlo_db_train_stops, "" where unknown; none at all when
   * the database gives no platform for the train. */
  size_t platform_count;
  const char* const* platforms;
  /* One per stop of murlo_db_train_stops: its station's label (see
   * murlo_station_info), "" where the station has no name as written. */
  size_t stop_count;
  const char* const* stop_labels;
} murlo_train_info;

/* A train's words; MURLO_STATUS_UNKNOWN_TRAIN for an index outside the
 * train table. */
MURLO_EXPORT murlo_status murlo_db_train_info(const murlo_db* db, uint32_t train,
                                              murlo_train_info** out);
MURLO_EXPORT void murlo_train_info_free(murlo_train_info* info);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* MURLOPPC_H_ */
