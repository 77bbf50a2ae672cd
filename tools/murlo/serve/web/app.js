// The page of murlo serve: plain script, no framework, nothing from
// elsewhere. Every text from the database is put in as text (text nodes,
// textContent), never as HTML. The state of the page is its URL: each search
// or pick pushes one history entry, so a link can be shared and the back
// button shows the state before.
"use strict";

// ---- Elements, built from text only --------------------------------------

// The language of a text from the database: Han characters are Chinese
// (zh-Hans: the data is simplified Chinese), so they get Chinese glyphs and
// a screen reader a Chinese voice; other names are marked unknown (""), as
// a Latin station name may be of any language.
const HAN = /\p{Script=Han}/u;
function langOf(text) {
  return HAN.test(text) ? "zh-Hans" : "";
}

// el("td", {class: "x"}, "text", child, ...): attributes set one by one,
// strings added as text nodes.
function el(tag, attributes, ...children) {
  const element = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    if (value === false || value === null || value === undefined) continue;
    element.setAttribute(name, value === true ? "" : String(value));
  }
  append(element, children);
  return element;
}

function append(parent, child) {
  if (child === null || child === undefined || child === false) return;
  if (Array.isArray(child)) {
    for (const c of child) append(parent, c);
  } else if (typeof child === "string" || typeof child === "number") {
    parent.appendChild(document.createTextNode(String(child)));
  } else {
    parent.appendChild(child);
  }
}

// A text from the database, marked with its language.
function data(text, tag = "span", attributes = {}) {
  return el(tag, { ...attributes, lang: langOf(text) }, text);
}

// "11:19+1": a time on the Nth day after the day the answer counts from
// (the day asked about on a board and in a journey, else the day the train
// set out); "19:50-1" one on the day before.
function timeWithDay(time, day) {
  if (time === null || time === undefined) return "–";
  if (!day) return time;
  return day > 0 ? `${time}+${day}` : `${time}${day}`;
}

// A train of a board or a journey's ride, its days counted from the day
// asked about: `day_shift` days added to those from the day it set out.
function countedFromDayAsked(train, dayAsked, dayFromStart) {
  return { ...train, day_shift: dayAsked - dayFromStart };
}

function plural(count, one, many) {
  return count === 1 ? `1 ${one}` : `${count} ${many}`;
}

// ---- The API ---------------------------------------------------------------

class ApiError extends Error {
  constructor(status, body) {
    super((body && body.message) || `the server answered ${status}`);
    this.status = status;
    this.body = body || {};
  }
}

// Answers already fetched, by URL, so that the back button and picking a
// train show a list at once; a search submitted asks afresh.
const answers = new Map();
const KEPT_ANSWERS = 30;

function forgetAnswers() {
  answers.clear();
}

async function api(endpoint, params) {
  const query = new URLSearchParams();
  for (const [name, value] of Object.entries(params || {})) {
    if (value !== undefined && value !== null && value !== "") query.set(name, value);
  }
  const url = `/api/${endpoint}?${query}`;
  if (answers.has(url)) return answers.get(url);
  const body = await ask(url);
  if (answers.size >= KEPT_ANSWERS) answers.delete(answers.keys().next().value);
  answers.set(url, body);
  return body;
}

async function ask(url) {
  const response = await fetch(url, {
    headers: { Accept: "application/json" },
  });
  let body = null;
  try {
    body = await response.json();
  } catch {
    body = null;
  }
  if (!response.ok || body === null) throw new ApiError(response.status, body);
  return body;
}

// ---- The state, in the URL -------------------------------------------------

// `board`: departures or arrivals; `changes`, `change_time`: of the
// journeys between stations; `by`: arrival when `at` is the time to arrive
// by; `before`: the journeys leaving before that time (the page before); `train` with `ride_from` and `ride_to`: the
// ride of a journey picked (without them, a train of a list).
const STATE_PARAMS = [
  "view", "from", "to", "at", "changes", "change_time", "by", "before", "station", "board", "number",
  "train", "ride_from", "ride_to",
];

function stateFromUrl() {
  const query = new URLSearchParams(location.search);
  const state = {};
  for (const name of STATE_PARAMS) {
    const value = (query.get(name) || "").trim();
    if (value !== "") state[name] = value;
  }
  if (!Object.hasOwn(views, state.view)) state.view = "trip";
  // A link's time as the form writes it ("1705" is 17:05).
  if (state.at !== undefined && timeOfDay(state.at)) state.at = timeOfDay(state.at);
  if (state.before !== undefined && timeOfDay(state.before)) state.before = timeOfDay(state.before);
  return state;
}

function urlOf(state) {
  const query = new URLSearchParams();
  for (const name of STATE_PARAMS) {
    if (state[name] !== undefined && state[name] !== "") query.set(name, state[name]);
  }
  return `/?${query}`;
}

// Shows `state`, as a new history entry unless it is the one shown.
function go(state) {
  const url = urlOf(state);
  if (url !== location.pathname + location.search) history.pushState(null, "", url);
  render();
}

// ---- Train lists -----------------------------------------------------------

// The button of a train (its number) that opens its stops; for the ride of
// a journey, the stops of that ride.
function trainButton(train, state, ride) {
  const picked =
    state.train === String(train.index) &&
    (ride ? state.ride_from === train.from && state.ride_to === train.to : !state.ride_from);
  const button = el(
    "button",
    {
      type: "button",
      class: "train",
      "aria-pressed": picked ? "true" : "false",
      "data-train": train.index,
      "data-ride-from": ride ? train.from : null,
      "data-ride-to": ride ? train.to : null,
    },
    data(train.number),
  );
  const pick = ride ? { ride_from: train.from, ride_to: train.to } : { ride_from: undefined, ride_to: undefined };
  button.addEventListener("click", () => go({ ...state, train: String(train.index), ...pick }));
  return button;
}

// A table of trains; the number of each is a button that opens its stops.
// `columns`: {head, cell(train) -> node or text, wide (left out on a phone)}.
function trainTable(trains, columns, state, caption) {
  const head = el(
    "tr",
    {},
    el("th", { scope: "col" }, "Train"),
    columns.map((c) => el("th", { scope: "col", class: c.wide ? "wide" : null }, c.head)),
  );
  const rows = trains.map((train) => {
    const button = trainButton(train, state, false);
    return el(
      "tr",
      { class: button.getAttribute("aria-pressed") === "true" ? "picked" : null },
      el("th", { scope: "row" }, button),
      columns.map((c) => el("td", { class: c.wide ? "wide" : null }, c.cell(train))),
    );
  });
  return el(
    "div",
    { class: "scroll" },
    el("table", { class: "trains" }, el("caption", {}, caption), el("thead", {}, head), el("tbody", {}, rows)),
  );
}

const departs = (t) => timeWithDay(t.departure, t.departure_day + (t.day_shift || 0));
const arrives = (t) => timeWithDay(t.arrival, t.arrival_day + (t.day_shift || 0));
const runsFrom = (t) => [data(t.first_station), " ", departs(t)];
const runsTo = (t) => [data(t.last_station), " ", arrives(t)];

// ---- The views ---------------------------------------------------------------
//
// A view is a section of index.html (data-view="NAME") with a form
// (id NAME-form, inputs named after the state parameters) and an answer box
// (id NAME-answer), and an entry here: the parameters it needs before it
// can answer, and show(state, box), which fetches and shows the answer and
// returns what the stop list needs: {trains, from, to, station,
// journeyOf(train), rides} (see pickedOf).

const views = {
  trip: {
    ready: (s) => s.from && s.to,
    show: showTrip,
  },
  departures: {
    ready: (s) => s.station,
    show: showBoard,
  },
  station: {
    ready: (s) => s.station,
    show: showStation,
  },
  number: {
    ready: (s) => s.number,
    show: showNumber,
  },
};

// The direct trains (every one, in order of departure from the time), then
// the journeys with changes that no other journey beats. The direct trains
// come from /api/direct, not from the journeys: a journey that another
// beats on time alone is not among them, and a direct train may be that
// (a slower train with sleepers), yet it is worth showing. Journeys
// arriving by the time (by=arrival), or leaving before one (the page
// before), are listed alone, direct ones too.
async function showTrip(state, box, current) {
  const planParams = { from: state.from, to: state.to, changes: state.changes, change_time: state.change_time };
  if (state.before) planParams.before = state.before;
  else if (state.by === "arrival") planParams.arrive_by = state.at || "00:00";
  else planParams.at = state.at || "00:00";
  const journeysAlone = state.before || state.by === "arrival";
  const [directAsked, planAsked] = await Promise.allSettled([
    journeysAlone ? Promise.resolve(null) : api("direct", { from: state.from, to: state.to, at: state.at }),
    api("plan", planParams),
  ]);
  if (planAsked.status === "rejected") throw planAsked.reason;
  const plan = planAsked.value;
  // A station group (a city's stations) has journeys but no direct trains
  // of its own: /api/direct names its members instead.
  const refused = directAsked.status === "rejected" ? directAsked.reason : null;
  if (refused && !(refused instanceof ApiError && refused.body.error === "several_stations")) throw refused;
  if (!current()) return null;
  if (journeysAlone || refused) {
    box.replaceChildren(
      plan.journeys.length > 0
        ? journeyList(plan.journeys, plan, state, true)
        : el("p", { class: "none" }, `No journey with ${changesAllowed(plan)} ${noJourneyWhen(plan)}.`),
      pageButtons(plan, state),
    );
    return { trains: [], from: plan.from, to: plan.to, rides: ridesOf(plan.journeys) };
  }
  const answer = directAsked.value;
  if (!current()) return null;
  const route = [data(answer.from), " to ", data(answer.to)];
  const parts = [];
  if (answer.count > 0) {
    const from = state.at ? `, in order of departure from ${answer.at}` : ", in order of departure";
    parts.push(
      trainTable(
        answer.trains,
        [
          { head: "Departs", cell: departs },
          { head: "Arrives", cell: arrives },
          { head: "Duration", cell: (t) => t.journey_time },
          { head: "Class", cell: (t) => data(t.class), wide: true },
          { head: "Runs", cell: (t) => [data(t.first_station), " – ", data(t.last_station)], wide: true },
        ],
        state,
        [plural(answer.count, "direct train", "direct trains"), " from ", ...route, from],
      ),
    );
  } else {
    parts.push(el("p", { class: "none" }, "No direct train from ", ...route, "."));
  }
  const withChanges = plan.journeys.filter((j) => j.changes > 0);
  if (withChanges.length > 0) {
    parts.push(journeyList(withChanges, plan, state));
  } else if (answer.count === 0 && answer.change_stations.length > 0) {
    // Without a journey (no change allowed), the stations the timetable
    // proposes to change at.
    const links = answer.change_stations.map((station) =>
      el("li", {}, stateLink({ ...state, to: station, train: undefined, ride_from: undefined, ride_to: undefined }, [
        data(answer.from), " to ", data(station),
      ])),
    );
    parts.push(
      el("p", {}, `No journey with ${changesAllowed(plan)} ${noJourneyWhen(plan)} either. `,
        "The timetable proposes changing at one of these stations:"),
      el("ul", { class: "changes" }, links),
    );
  } else if (answer.count === 0) {
    parts.push(el("p", {}, `No journey with ${changesAllowed(plan)} ${noJourneyWhen(plan)} either.`));
  }
  parts.push(pageButtons(plan, state));
  box.replaceChildren(...parts);
  return { trains: answer.trains, from: answer.from, to: answer.to, rides: ridesOf(withChanges) };
}

// "leaves within a day from 08:00" and the like, for a plan without a
// journey.
function noJourneyWhen(plan) {
  if (plan.before) return `leaves within a day before ${plan.before}`;
  if (plan.arrive_by) return `leaving within a day before ${plan.arrive_by} arrives by then`;
  return `leaves within a day from ${plan.at}`;
}

// The time of day one minute after "HH:MM".
function minuteAfter(time) {
  const [hours, minutes] = time.split(":").map(Number);
  const next = (hours * 60 + minutes + 1) % 1440;
  return `${String(Math.floor(next / 60)).padStart(2, "0")}:${String(next % 60).padStart(2, "0")}`;
}

// "Earlier" and "Later": the journeys leaving before the first one shown,
// and those leaving after the last (from the time asked when none is).
function pageButtons(plan, state) {
  const journeys = plan.journeys;
  const first = journeys.length > 0 ? journeys[0].departure : plan.before || plan.arrive_by || plan.at;
  const last = journeys.length > 0 ? journeys[journeys.length - 1].departure : null;
  const base = { ...state, train: undefined, ride_from: undefined, ride_to: undefined, by: undefined };
  const earlier = el("button", { type: "button", class: "quiet", id: "trip-earlier" }, "Earlier");
  earlier.addEventListener("click", () => go({ ...base, at: undefined, before: first }));
  const later = el("button", { type: "button", class: "quiet", id: "trip-later" }, "Later");
  later.addEventListener("click", () =>
    go({ ...base, before: undefined, at: last ? minuteAfter(last) : first }),
  );
  return el("nav", { class: "pages", "aria-label": "More journeys" }, earlier, later);
}

// The rides of journeys, their days counted from the day asked about.
function ridesOf(journeys) {
  return journeys.flatMap((j) =>
    j.rides.map((r) => countedFromDayAsked(r.train, r.departure_day, r.train.departure_day)),
  );
}

function changesAllowed(plan) {
  if (plan.max_changes === 0) return "no change";
  const own = plan.own_change_times > 0 ? " where a station has no change time of its own" : "";
  return `at most ${plural(plan.max_changes, "change", "changes")} of ${plan.change_time} minutes or more${own}`;
}

// "21 min", "1 h 05 min".
function waitText(minutes) {
  if (minutes < 60) return `${minutes} min`;
  return `${Math.floor(minutes / 60)} h ${String(minutes % 60).padStart(2, "0")} min`;
}

// The journeys with changes (with `direct`, the direct ones too): each a
// line (departure, arrival, duration, changes) and its rides below it, the
// wait of each change between them (and the walk, where it is between two
// stations).
// Their +1 counts from the day asked about.
function journeyList(journeys, plan, state, direct = false) {
  const items = journeys.map((journey) => {
    const steps = [];
    for (const ride of journey.rides) {
      const t = ride.train;
      if (ride.walk) {
        // A change between two stations: the walk, then the wait there.
        steps.push(el("li", { class: "change" }, "Walk to ", data(ride.walk.to),
          `, ${waitText(ride.walk.minutes)}, wait ${waitText(ride.wait_minutes)}`));
      } else if (ride.wait_minutes !== null) {
        steps.push(el("li", { class: "change" }, "Change at ", data(t.from), `, wait ${waitText(ride.wait_minutes)}`));
      }
      steps.push(
        el(
          "li",
          { class: "ride" },
          trainButton(t, state, true),
          el("span", { class: "leg" },
            el("span", { class: "stop" }, data(t.from), " ", el("time", {}, timeWithDay(t.departure, ride.departure_day))),
            el("span", { class: "arrow", "aria-hidden": "true" }, " → "),
            el("span", { class: "visually-hidden" }, " to "),
            el("span", { class: "stop" }, data(t.to), " ", el("time", {}, timeWithDay(t.arrival, ride.arrival_day))),
          ),
        ),
      );
    }
    return el(
      "li",
      { class: "journey" },
      el(
        "p",
        { class: "journey-line" },
        el("strong", {}, timeWithDay(journey.departure, journey.departure_day), " → ",
          timeWithDay(journey.arrival, journey.arrival_day)),
        ` · ${journey.duration} · ${journey.changes === 0 ? "direct" : plural(journey.changes, "change", "changes")}`,
      ),
      el("ol", { class: "rides" }, steps),
    );
  });
  return el(
    "section",
    { class: "journeys", "aria-labelledby": "journeys-title" },
    el("h3", { id: "journeys-title" }, plural(journeys.length, "journey", "journeys"),
      direct ? " from " : " with changes from ",
      data(plan.from), " to ", data(plan.to),
      plan.before ? `, leaving before ${plan.before}` : plan.arrive_by ? `, arriving by ${plan.arrive_by}` : `, leaving from ${plan.at}`),
    el("p", { class: "note" }, `With ${changesAllowed(plan)}; +1 is the day after, -1 the day before.`),
    el("ol", { class: "journey-list" }, items),
  );
}

// A station's departures (or arrivals) from a time on.
async function showBoard(state, box, current) {
  const arriving = state.board === "arrivals";
  const answer = await api(arriving ? "arrivals" : "departures", { station: state.station, at: state.at });
  if (!current()) return null;
  const station = answer.station;
  const trains = answer.trains.map((t) =>
    countedFromDayAsked(t, t.board_day, arriving ? t.arrival_day : t.departure_day),
  );
  if (answer.count === 0) {
    box.replaceChildren(el("p", { class: "none" }, arriving ? "No train arrives at " : "No train leaves ", data(station), "."));
  } else {
    const columns = arriving
      ? [
          { head: "Arrives", cell: arrives },
          { head: "From", cell: (t) => data(t.from) },
          { head: "Departs", cell: departs },
          { head: "Class", cell: (t) => data(t.class), wide: true },
          { head: "Runs to", cell: (t) => data(t.last_station), wide: true },
        ]
      : [
          { head: "Departs", cell: departs },
          { head: "To", cell: (t) => data(t.to) },
          { head: "Arrives", cell: arrives },
          { head: "Class", cell: (t) => data(t.class), wide: true },
          { head: "Runs from", cell: (t) => data(t.first_station), wide: true },
        ];
    box.replaceChildren(
      trainTable(trains, columns, state, [
        arriving ? "The next trains arriving at " : "The next trains leaving ", data(station),
        `, from ${answer.at} on; +1 is the day after, -1 the day before`,
      ]),
    );
  }
  return {
    trains,
    // The train's stretch from the station on, or up to it.
    journeyOf: (t) => (arriving ? { from: t.from, to: station } : { from: station, to: t.to }),
  };
}

async function showStation(state, box, current) {
  const answer = await api("at", { station: state.station });
  if (!current()) return null;
  if (answer.count === 0) {
    box.replaceChildren(el("p", { class: "none" }, "No train calls at ", data(answer.station), "."));
  } else {
    box.replaceChildren(
      trainTable(
        answer.trains,
        [
          { head: "Arrives", cell: (t) => timeWithDay(t.at_arrival, t.at_arrival_day) },
          { head: "Departs", cell: (t) => timeWithDay(t.at_departure, t.at_departure_day) },
          { head: "Runs from", cell: runsFrom },
          { head: "Runs to", cell: runsTo },
          { head: "Class", cell: (t) => data(t.class), wide: true },
        ],
        state,
        [plural(answer.count, "train calls", "trains call"), " at ", data(answer.station), ", in order of their time there"],
      ),
    );
  }
  return { trains: answer.trains, station: answer.station };
}

async function showNumber(state, box, current) {
  const answer = await api("number", { number: state.number });
  if (!current()) return null;
  if (answer.count === 0) {
    box.replaceChildren(el("p", { class: "none" }, "No train runs under the number ", data(answer.number), "."));
  } else {
    box.replaceChildren(
      trainTable(
        answer.trains,
        [
          { head: "From", cell: runsFrom },
          { head: "To", cell: runsTo },
          { head: "Duration", cell: (t) => t.journey_time, wide: true },
          { head: "Class", cell: (t) => data(t.class), wide: true },
        ],
        state,
        [plural(answer.count, "train runs", "trains run"), " under ", data(answer.number)],
      ),
    );
  }
  return { trains: answer.trains };
}

// A link to another state of the page.
function stateLink(state, content) {
  const link = el("a", { href: urlOf(state) }, content);
  link.addEventListener("click", (event) => {
    if (event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey) return;
    event.preventDefault();
    go(state);
  });
  return link;
}

// ---- The stop list -------------------------------------------------------------

// The train picked in `state`, as its list or journey has it, and the
// stretch to mark: the ride's, the train's on a board, or the search's.
function pickedOf(state, context) {
  if (state.ride_from && state.ride_to) {
    const train = (context.rides || []).find(
      (t) => String(t.index) === state.train && t.from === state.ride_from && t.to === state.ride_to,
    );
    return { train, journey: { from: state.ride_from, to: state.ride_to }, stretch: "This ride" };
  }
  const train = context.trains.find((t) => String(t.index) === state.train);
  if (context.journeyOf) {
    return { train, journey: train ? context.journeyOf(train) : {}, stretch: "The train's run" };
  }
  const journey = context.from && context.to ? { from: context.from, to: context.to } : {};
  return { train, journey, stretch: "Your journey" };
}

async function showStops(state, context, current) {
  const section = document.getElementById("stops");
  const { train, journey, stretch } = pickedOf(state, context);
  const answer = await api("stops", { train: state.train, ...journey });
  if (!current()) return;
  const title = document.getElementById("stops-title");
  title.replaceChildren("Stops of train ", train ? data(train.number) : `#${answer.train}`);
  const summary = [];
  if (answer.from && train) {
    summary.push(
      `${stretch} from `, data(answer.from), " ", departs(train), " to ",
      data(answer.to), " ", arrives(train), " takes ", train.journey_time, "; its stops are marked. ",
    );
  } else if (context.station) {
    summary.push("Its calls at ", data(context.station), " are marked. ");
  }
  summary.push(`The whole train runs ${answer.run_time}.`);
  document.getElementById("stops-summary").replaceChildren(...summary);
  // Opened from a board or a journey, the stops count their days as it does.
  const shift = (train && train.day_shift) || 0;
  const rows = answer.stops.map((stop) => {
    const marked = answer.from ? stop.on_journey : stop.station === context.station;
    return el(
      "tr",
      { class: marked ? "marked" : null },
      el(
        "th",
        { scope: "row" },
        marked ? el("span", { class: "mark", "aria-hidden": "true" }, "▶ ") : null,
        data(stop.station),
        marked ? el("span", { class: "visually-hidden" }, answer.from ? " (on your journey)" : " (this station)") : null,
      ),
      el("td", {}, timeWithDay(stop.arrival, stop.arrival_day + shift)),
      el("td", {}, timeWithDay(stop.departure, stop.departure_day + shift)),
      el("td", { class: "km" }, String(stop.km)),
    );
  });
  document.getElementById("stops-list").replaceChildren(
    el(
      "div",
      { class: "scroll" },
      el(
        "table",
        { class: "stop-list" },
        el(
          "thead",
          {},
          el("tr", {}, ["Station", "Arrives", "Departs", "km"].map((h) => el("th", { scope: "col" }, h))),
        ),
        el("tbody", {}, rows),
      ),
    ),
  );
  section.hidden = false;
  return title;
}

// ---- Errors --------------------------------------------------------------------

// Why a question could not be answered, with the names to choose from.
function showError(box, error, state) {
  const body = error instanceof ApiError ? error.body : {};
  const choose = (names, parameter) =>
    el(
      "ul",
      { class: "choices" },
      names.map((name) =>
        el("li", {}, stateLink({ ...state, [parameter]: name, train: undefined, ride_from: undefined, ride_to: undefined }, data(name))),
      ),
    );
  const typed = state[body.parameter] || "";
  if (body.error === "unknown_station") {
    const parts = [el("p", { class: "none" }, "No station is called “", data(typed), "”.")];
    if (body.suggestions && body.suggestions.length > 0) {
      parts.push(el("p", {}, "Did you mean:"), choose(body.suggestions, body.parameter));
    }
    box.replaceChildren(...parts);
  } else if (body.error === "several_stations") {
    const candidates = inOrderFor(typed, (body.candidates || []).map((name) => ({ name })));
    box.replaceChildren(
      el("p", { class: "none" }, "“", data(typed), "” matches several stations. Which one?"),
      choose(candidates.map((c) => c.name), body.parameter),
    );
  } else if (body.error === "same_station") {
    box.replaceChildren(el("p", { class: "none" }, "From and to are the same station."));
  } else {
    const message = error instanceof ApiError ? error.message : "the server cannot be reached";
    box.replaceChildren(el("p", { class: "none" }, "The question could not be answered: ", message, "."));
  }
}

// ---- Station fields: suggestions as you type ------------------------------------

// Chinese names by pinyin, as a Chinese dictionary has them (the data is
// Chinese); a Latin name sorts as in any language.
const NAME_ORDER = new Intl.Collator("zh-Hans", { numeric: true });

// Text as it is compared with what was typed: full-width forms, letter
// case and spaces folded.
function folded(text) {
  return text.normalize("NFKC").toLowerCase().replace(/\s+/g, "");
}

// `stations` ({name, abbreviation}) in the order to list them for `typed`:
// those whose name or abbreviation is what was typed, then those beginning
// with it, then the others; by name within each.
function inOrderFor(typed, stations) {
  const text = folded(typed);
  const rank = ({ name, abbreviation }) => {
    const n = folded(name);
    const a = folded(abbreviation || "");
    if (n === text || (a !== "" && a === text)) return 0;
    return n.startsWith(text) || (a !== "" && a.startsWith(text)) ? 1 : 2;
  };
  return stations
    .map((station) => ({ station, rank: rank(station) }))
    .sort((x, y) => x.rank - y.rank || NAME_ORDER.compare(x.station.name, y.station.name))
    .map((x) => x.station);
}

// Makes `input` a combobox: as letters are typed it lists the stations they
// may mean (abbreviation letters or part of the name); arrow keys move in
// the list, a click takes a station, and so does Enter: the one
// highlighted, else the first (Enter pressed before the list came takes
// the first once it comes); Enter with the first already in the field
// sends the form. Escape closes the list.
function stationField(input) {
  const list = el("ul", { id: `${input.id}-list`, role: "listbox", class: "suggestions", hidden: true });
  list.setAttribute("aria-label", "Stations");
  input.after(list);
  input.setAttribute("role", "combobox");
  input.setAttribute("aria-autocomplete", "list");
  input.setAttribute("aria-expanded", "false");
  input.setAttribute("aria-controls", list.id);
  input.setAttribute("autocomplete", "off");
  input.setAttribute("spellcheck", "false");
  input.setAttribute("autocapitalize", "off");
  let names = [];
  let active = -1;
  let timer = 0;
  let asked = 0;
  // The text whose stations are being asked for, and the text Enter was
  // pressed on meanwhile.
  let pendingText = null;
  let enteredText = null;

  const close = () => {
    list.hidden = true;
    input.setAttribute("aria-expanded", "false");
    input.removeAttribute("aria-activedescendant");
    active = -1;
  };
  const setActive = (i) => {
    active = i;
    list.querySelectorAll("[role=option]").forEach((option, k) => {
      option.setAttribute("aria-selected", k === i ? "true" : "false");
      if (k === i) option.scrollIntoView({ block: "nearest" });
    });
    if (i >= 0) input.setAttribute("aria-activedescendant", `${list.id}-${i}`);
    else input.removeAttribute("aria-activedescendant");
  };
  const pick = (name) => {
    input.value = name;
    close();
  };
  const cancel = () => {
    clearTimeout(timer);
    asked++;
    pendingText = null;
    enteredText = null;
  };
  // Enter on the list as it is: takes a station (true) or leaves the
  // form to be sent (false).
  const take = () => {
    const open = !list.hidden && names.length > 0;
    if (open && active >= 0) {
      pick(names[active]);
      return true;
    }
    if (open && names[0] !== input.value.trim()) {
      pick(names[0]);
      return true;
    }
    close();
    return false;
  };
  const suggest = async (text) => {
    const mine = ++asked;
    let stations = [];
    try {
      const answer = await ask(`/api/match?${new URLSearchParams({ text, limit: 8 })}`);
      stations = inOrderFor(text, answer.stations.map((name, i) => ({
        name, abbreviation: answer.abbreviations[i], members: (answer.members || [])[i] || [],
      })));
    } catch {
      // No list; Enter pressed meanwhile sends the form.
    }
    if (mine !== asked || input.value.trim() !== text) return;
    pendingText = null;
    const entered = enteredText === text;
    enteredText = null;
    if (document.activeElement !== input) return;
    names = stations.map((s) => s.name);
    list.replaceChildren(
      ...stations.map(({ name, abbreviation, members }, i) => {
        // A station group: any of its stations, for journeys.
        const option = el(
          "li",
          { role: "option", id: `${list.id}-${i}`, "aria-selected": "false" },
          data(name, "span", { class: "name" }),
          abbreviation ? el("span", { class: "abbr" }, abbreviation) : null,
          members.length > 0 ? el("span", { class: "abbr" }, `any of ${members.length} stations`) : null,
        );
        // Pressing keeps the focus in the field; the click takes the name.
        option.addEventListener("mousedown", (event) => event.preventDefault());
        option.addEventListener("click", () => pick(name));
        return option;
      }),
    );
    if (names.length === 0) {
      close();
    } else {
      list.hidden = false;
      input.setAttribute("aria-expanded", "true");
      setActive(-1);
    }
    if (entered && !take()) input.form.requestSubmit();
  };

  input.addEventListener("input", () => {
    cancel();
    setActive(-1);
    const text = input.value.trim();
    if (text === "") {
      close();
      return;
    }
    pendingText = text;
    timer = setTimeout(() => suggest(text), 120);
  });
  input.addEventListener("keydown", (event) => {
    const open = !list.hidden && names.length > 0;
    if (event.key === "ArrowDown" || event.key === "ArrowUp") {
      if (!open) return;
      event.preventDefault();
      // Round the options and the field itself (-1).
      const step = event.key === "ArrowDown" ? 1 : -1;
      setActive(((active + 1 + step + names.length + 1) % (names.length + 1)) - 1);
    } else if (event.key === "Enter" && !event.isComposing) {
      const text = input.value.trim();
      if (text !== "" && pendingText === text) {
        // The stations of this text are on their way: Enter waits for them.
        event.preventDefault();
        enteredText = text;
      } else if (take()) {
        event.preventDefault();
      }
    } else if (event.key === "Escape") {
      cancel();
      if (open) {
        event.preventDefault();
        close();
      }
    } else if (event.key === "Tab") {
      close();
    }
  });
  // Spaces typed around a name are not part of it.
  input.addEventListener("change", () => {
    input.value = input.value.trim();
  });
  input.addEventListener("blur", () => {
    enteredText = null;
    close();
  });
}

// ---- Time fields: 24-hour HH:MM ------------------------------------------------------

// A time of day typed on the 24-hour clock as the API takes it, "HH:MM":
// "17:05", "7:05", "1705" and "705" (a phone's number pad has no colon) are
// 17:05 or 07:05; null for anything else ("5:00 PM", "24:00", "17").
function timeOfDay(text) {
  const parts = /^([01]?[0-9]|2[0-3])[:.\uFF1A]?([0-5][0-9])$/.exec(text.trim());
  return parts ? `${parts[1].padStart(2, "0")}:${parts[2]}` : null;
}

const TIME_OF_DAY = "a time of day on the 24-hour clock, HH:MM from 00:00 to 23:59";

function isTimeField(input) {
  return input.closest(".time-field") !== null;
}

// A time that is not one stops the form with a message of its own; empty
// is the server's default.
function checkTime(input) {
  const text = input.value.trim();
  input.setCustomValidity(text === "" || timeOfDay(text) ? "" : `Give ${TIME_OF_DAY}.`);
}

function timeField(input) {
  input.addEventListener("input", () => checkTime(input));
  // Written as HH:MM once typed ("930" is 09:30).
  input.addEventListener("change", () => {
    const time = timeOfDay(input.value);
    if (time) input.value = time;
    checkTime(input);
  });
}

// ---- Showing a state -------------------------------------------------------------

let shown = 0; // counts the states shown; an answer for an older one is dropped
// Whether the state being shown comes from picking a train here (its stop
// list then takes the focus); not for the back button or a link opened.
let picking = false;
// The train (and ride) whose stop list was just closed: {train, ride_from,
// ride_to}; its button takes the focus.
let closedTrain = null;

function fillForm(state) {
  const form = document.getElementById(`${state.view}-form`);
  for (const input of form.querySelectorAll("input[name]")) {
    const value = state[input.name];
    if (input.type === "radio") {
      // The first of a group when the state does not say.
      const first = form.querySelector(`input[type=radio][name="${input.name}"]`);
      input.checked = input.value === (value === undefined ? first.value : value);
    } else if (value !== undefined) input.value = value;
    else if (isTimeField(input) && !views[state.view].ready(state)) input.value = nowHhMm();
    else input.value = "";
    if (isTimeField(input)) checkTime(input);
  }
}

function nowHhMm() {
  const now = new Date();
  return `${String(now.getHours()).padStart(2, "0")}:${String(now.getMinutes()).padStart(2, "0")}`;
}

async function render() {
  const state = stateFromUrl();
  const mine = ++shown;
  const current = () => mine === shown;
  for (const link of document.querySelectorAll("nav.views a")) {
    if (link.dataset.view === state.view) link.setAttribute("aria-current", "page");
    else link.removeAttribute("aria-current");
  }
  for (const section of document.querySelectorAll("main section[data-view]")) {
    section.hidden = section.dataset.view !== state.view;
  }
  document.getElementById("stops").hidden = true;
  fillForm(state);
  const view = views[state.view];
  const box = document.getElementById(`${state.view}-answer`);
  if (!view.ready(state)) {
    box.replaceChildren();
    return;
  }
  box.replaceChildren(el("p", { class: "loading" }, "Looking it up…"));
  let context = null;
  try {
    context = await view.show(state, box, current);
  } catch (error) {
    if (current()) showError(box, error, state);
  }
  if (current() && context !== null) {
    if (state.train !== undefined) {
      try {
        const title = await showStops(state, context, current);
        if (title && current() && picking) title.focus();
      } catch (error) {
        if (current()) showStopsError(error);
      }
    } else if (closedTrain !== null) {
      // Back from a stop list: to the train (or the ride) it was opened from.
      const button = [...box.querySelectorAll("button.train")].find(
        (b) =>
          b.dataset.train === closedTrain.train &&
          b.dataset.rideFrom === closedTrain.ride_from &&
          b.dataset.rideTo === closedTrain.ride_to,
      );
      if (button) button.focus();
    }
  }
  if (current()) {
    picking = false;
    closedTrain = null;
  }
}

// A stop list that cannot be shown (an index no train has, in a link).
function showStopsError(error) {
  document.getElementById("stops-title").replaceChildren("Stops");
  document.getElementById("stops-summary").replaceChildren(
    el("span", { class: "none" }, "This train's stops cannot be shown: ", error.message, "."),
  );
  document.getElementById("stops-list").replaceChildren();
  document.getElementById("stops").hidden = false;
}

function setUp() {
  for (const input of document.querySelectorAll(".station-field input")) stationField(input);
  for (const input of document.querySelectorAll(".time-field input")) timeField(input);
  for (const name of Object.keys(views)) {
    const form = document.getElementById(`${name}-form`);
    form.addEventListener("submit", (event) => {
      event.preventDefault();
      forgetAnswers();
      const state = { view: name };
      for (const input of form.querySelectorAll("input[name]")) {
        if (input.type === "radio" && !input.checked) continue;
        if (input.name === "by" && input.value === "departure") continue;
        // Train numbers are written in capitals ("k101" is K101); a time
        // goes as HH:MM (the form is not sent with a time that is not one).
        let value = input.value.trim();
        if (input.name === "number") value = value.toUpperCase();
        else if (isTimeField(input)) value = timeOfDay(value) || value;
        if (value !== "") state[input.name] = value;
      }
      go(state);
    });
  }
  for (const link of document.querySelectorAll("nav.views a")) {
    link.addEventListener("click", (event) => {
      if (event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey) return;
      event.preventDefault();
      go({ view: link.dataset.view });
    });
  }
  document.getElementById("trip-swap").addEventListener("click", () => {
    const from = document.getElementById("trip-from");
    const to = document.getElementById("trip-to");
    [from.value, to.value] = [to.value.trim(), from.value.trim()];
    const state = stateFromUrl();
    if (state.view === "trip" && state.from && state.to && from.value && to.value) {
      go({
        view: "trip", from: from.value, to: to.value, at: state.at, changes: state.changes,
        change_time: state.change_time, by: state.by, before: state.before,
      });
    }
  });
  // Another board for the station shown: at once.
  for (const radio of document.querySelectorAll("#departures-form input[type=radio]")) {
    radio.addEventListener("change", () => {
      const state = stateFromUrl();
      if (state.view === "departures" && state.station) {
        go({ view: "departures", station: state.station, at: state.at, board: radio.value });
      }
    });
  }
  document.getElementById("stops-close").addEventListener("click", () => {
    const state = stateFromUrl();
    closedTrain = state.train === undefined ? null : { train: state.train, ride_from: state.ride_from, ride_to: state.ride_to };
    delete state.train;
    delete state.ride_from;
    delete state.ride_to;
    go(state);
  });
  document.querySelector("main").addEventListener("click", (event) => {
    if (event.target.closest("button.train")) picking = true;
  }, true);
  window.addEventListener("popstate", () => render());
  api("header")
    .then((answer) => {
      const header = document.getElementById("database-header");
      header.replaceChildren(answer.header === "" ? "(no header)" : answer.header);
      header.setAttribute("lang", langOf(answer.header));
    })
    .catch(() => {});
  render();
}

setUp();
