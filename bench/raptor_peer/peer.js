// The peer's side of bench/raptor_peer/run.sh: one departure search of an
// independent RAPTOR implementation (npm raptor-journey-planner), timed per
// question, from one stop to each destination in turn at 08:00.
//
//   node peer.js FEED.zip YYYYMMDD ROUNDS ORIGIN DESTINATION...
//
// The trips of the date are picked before the searches (the peer's fastest
// way). Prints each destination's median over ROUNDS (wall time; the peer
// is single-threaded) and the median of those.
"use strict";
const fs = require("fs");
const path = require("path");
const gtfs = require("gtfs-stream");
const { pushNested, setNested } = require("ts-array-utils");
const peer = "raptor-journey-planner/dist/src";
const { TimeParser } = require(`${peer}/gtfs/TimeParser`);
const { Service } = require(`${peer}/gtfs/Service`);
const { JourneyFactory, RaptorAlgorithmFactory, DepartAfterQuery } = require("raptor-journey-planner");

// The peer's own loader, but finished on the parser's "finish": its "end"
// never comes on current Node versions.
function loadGTFS(file) {
  const timeParser = new TimeParser();
  const trips = [], transfers = {}, interchange = {}, calendars = {}, dates = {}, stopTimes = {};
  const on = {
    calendar: row => {
      calendars[row.service_id] = {
        serviceId: row.service_id, startDate: +row.start_date, endDate: +row.end_date,
        days: { 0: row.sunday === "1", 1: row.monday === "1", 2: row.tuesday === "1",
                3: row.wednesday === "1", 4: row.thursday === "1", 5: row.friday === "1",
                6: row.saturday === "1" },
      };
    },
    calendar_date: row => setNested(row.exception_type === "1", dates, row.service_id, row.date),
    trip: row => trips.push({ serviceId: row.service_id, tripId: row.trip_id, stopTimes: [], service: {} }),
    stop_time: row => pushNested({
      stop: row.stop_id,
      departureTime: timeParser.getTime(row.departure_time),
      arrivalTime: timeParser.getTime(row.arrival_time),
      pickUp: row.pickup_type === "0" || row.pickup_type === undefined,
      dropOff: row.drop_off_type === "0" || row.drop_off_type === undefined,
    }, stopTimes, row.trip_id),
    transfer: row => {
      if (row.from_stop_id === row.to_stop_id) {
        interchange[row.from_stop_id] = +row.min_transfer_time;
      } else {
        pushNested({ origin: row.from_stop_id, destination: row.to_stop_id,
                     duration: +row.min_transfer_time, startTime: 0,
                     endTime: Number.MAX_SAFE_INTEGER }, transfers, row.from_stop_id);
      }
    },
  };
  return new Promise(resolve => {
    fs.createReadStream(file).pipe(gtfs({ raw: true }))
      .on("data", e => on[e.type] && on[e.type](e.data))
      .on("finish", () => {
        const services = {};
        for (const c of Object.values(calendars)) {
          services[c.serviceId] = new Service(c.startDate, c.endDate, c.days, dates[c.serviceId] || {});
        }
        for (const t of trips) {
          t.stopTimes = stopTimes[t.tripId];
          t.service = services[t.serviceId];
        }
        resolve([trips.filter(t => t.stopTimes && t.service), transfers, interchange]);
      });
  });
}

(async () => {
  const [file, ymd, roundsText, origin, ...destinations] = process.argv.slice(2);
  const date = new Date(+ymd.slice(0, 4), +ymd.slice(4, 6) - 1, +ymd.slice(6, 8));
  const [trips, transfers, interchange] = await loadGTFS(path.resolve(file));
  const raptor = RaptorAlgorithmFactory.create(trips, transfers, interchange, date);
  const query = new DepartAfterQuery(raptor, new JourneyFactory());
  const rounds = Math.max(1, +roundsText);
  const median = values => values.slice().sort((a, b) => a - b)[values.length >> 1];
  // Warmed up first: the searches are timed after the compiler has seen them.
  for (let i = 0; i < 3; i++) query.plan(origin, destinations[0], new Date(date), 8 * 3600);
  const medians = [];
  for (const to of destinations) {
    const times = [];
    let journeys = 0;
    for (let r = 0; r < rounds; r++) {
      const start = process.hrtime.bigint();
      journeys = query.plan(origin, to, new Date(date), 8 * 3600).length;
      times.push(Number(process.hrtime.bigint() - start) / 1e6);
    }
    medians.push(median(times));
    console.log(`${to.padEnd(36)} ${medians[medians.length - 1].toFixed(2).padStart(8)} ms  ${journeys} journeys`);
  }
  console.log(`median ${median(medians).toFixed(2)} ms`);
})();
