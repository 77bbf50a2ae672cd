/*
 * murloppc.h - C interface of the Murloppc railway timetable query engine.
 *
 * The library keeps one timetable database per process. A host loads a
 * database file once and then asks the queries below as its user works.
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
 * has no more rides, and is better in one of them) is written, one for each
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
MURLO_EXPORT int32_t murlo_plan_journeys(const murlo_char16* origin,
                                         const murlo_char16* destination, int32_t after_minute,
                                         int32_t max_changes, int32_t min_change_minutes,
                                         int32_t limit, murlo_char16* output, size_t capacity,
                                         size_t* needed);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* MURLOPPC_H_ */
