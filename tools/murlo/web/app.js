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

// "11:19+1": a time on the Nth day after the train set out.
function timeWithDay(time, day) {
  if (time === null || time === undefined) return "–";
  return day > 0 ? `${time}+${day}` : time;
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

const STATE_PARAMS = ["view", "from", "to", "at", "station", "number", "train"];

function stateFromUrl() {
  const query = new URLSearchParams(location.search);
  const state = {};
  for (const name of STATE_PARAMS) {
    if (query.has(name) && query.get(name) !== "") state[name] = query.get(name);
  }
  if (!Object.hasOwn(views, state.view)) state.view = "trip";
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
    const picked = state.train === String(train.index);
    const button = el(
      "button",
      { type: "button", class: "train", "aria-pressed": picked ? "true" : "false", "data-train": train.index },
      data(train.number),
    );
    button.addEventListener("click", () => go({ ...state, train: String(train.index) }));
    return el(
      "tr",
      { class: picked ? "picked" : null },
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

const departs = (t) => timeWithDay(t.departure, t.departure_day);
const arrives = (t) => timeWithDay(t.arrival, t.arrival_day);
const runsFrom = (t) => [data(t.first_station), " ", departs(t)];
const runsTo = (t) => [data(t.last_station), " ", arrives(t)];

// ---- The views ---------------------------------------------------------------
//
// A view is a section of index.html (data-view="NAME") with a form
// (id NAME-form, inputs named after the state parameters) and an answer box
// (id NAME-answer), and an entry here: the parameters it needs before it
// can answer, and show(state, box), which fetches and shows the answer and
// returns what the stop list needs: {trains, from, to, station}.

const views = {
  trip: {
    ready: (s) => s.from && s.to,
    show: showTrip,
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

async function showTrip(state, box, current) {
  const answer = await api("direct", { from: state.from, to: state.to, at: state.at });
  if (!current()) return null;
  const route = [data(answer.from), " to ", data(answer.to)];
  if (answer.count > 0) {
    const from = state.at ? `, in order of departure from ${answer.at}` : ", in order of departure";
    box.replaceChildren(
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
    const none = el("p", { class: "none" }, "No direct train from ", ...route, ".");
    if (answer.change_stations.length === 0) {
      box.replaceChildren(none, el("p", {}, "The timetable knows no station to change at."));
    } else {
      const links = answer.change_stations.map((station) =>
        el("li", {}, stateLink({ view: "trip", from: answer.from, to: station, at: state.at }, [
          data(answer.from), " to ", data(station),
        ])),
      );
      box.replaceChildren(
        none,
        el("p", {}, "The timetable proposes changing at one of these stations:"),
        el("ul", { class: "changes" }, links),
      );
    }
  }
  return { trains: answer.trains, from: answer.from, to: answer.to };
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

async function showStops(state, context, current) {
  const section = document.getElementById("stops");
  const train = context.trains.find((t) => String(t.index) === state.train);
  const journey = context.from && context.to ? { from: context.from, to: context.to } : {};
  const answer = await api("stops", { train: state.train, ...journey });
  if (!current()) return;
  const title = document.getElementById("stops-title");
  title.replaceChildren("Stops of train ", train ? data(train.number) : `#${answer.train}`);
  const summary = [];
  if (answer.from && train) {
    summary.push(
      "Your journey from ", data(answer.from), " ", departs(train), " to ", data(answer.to), " ",
      arrives(train), " takes ", train.journey_time, "; its stops are marked. ",
    );
  } else if (context.station) {
    summary.push("Its calls at ", data(context.station), " are marked. ");
  }
  summary.push(`The whole train runs ${answer.run_time}.`);
  document.getElementById("stops-summary").replaceChildren(...summary);
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
      el("td", {}, timeWithDay(stop.arrival, stop.arrival_day)),
      el("td", {}, timeWithDay(stop.departure, stop.departure_day)),
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
      names.map((name) => el("li", {}, stateLink({ ...state, [parameter]: name, train: undefined }, data(name)))),
    );
  const typed = state[body.parameter] || "";
  if (body.error === "unknown_station") {
    const parts = [el("p", { class: "none" }, "No station is called “", data(typed), "”.")];
    if (body.suggestions && body.suggestions.length > 0) {
      parts.push(el("p", {}, "Did you mean:"), choose(body.suggestions, body.parameter));
    }
    box.replaceChildren(...parts);
  } else if (body.error === "several_stations") {
    box.replaceChildren(
      el("p", { class: "none" }, "“", data(typed), "” matches several stations. Which one?"),
      choose(body.candidates || [], body.parameter),
    );
  } else if (body.error === "same_station") {
    box.replaceChildren(el("p", { class: "none" }, "From and to are the same station."));
  } else {
    const message = error instanceof ApiError ? error.message : "the server cannot be reached";
    box.replaceChildren(el("p", { class: "none" }, "The question could not be answered: ", message, "."));
  }
}

// ---- Station fields: suggestions as you type ------------------------------------

// Makes `input` a combobox: as letters are typed it lists the stations they
// may mean (abbreviation letters or part of the name); arrow keys move in
// the list, Enter or a click takes a station, Escape closes the list.
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
  const suggest = async (text) => {
    const mine = ++asked;
    let answer;
    try {
      answer = await ask(`/api/match?${new URLSearchParams({ text, limit: 8 })}`);
    } catch {
      return;
    }
    if (mine !== asked || input.value.trim() !== text || document.activeElement !== input) return;
    names = answer.stations;
    list.replaceChildren(
      ...names.map((name, i) => {
        const option = el(
          "li",
          { role: "option", id: `${list.id}-${i}`, "aria-selected": "false" },
          data(name, "span", { class: "name" }),
          answer.abbreviations[i] ? el("span", { class: "abbr" }, answer.abbreviations[i]) : null,
        );
        // Pressing keeps the focus in the field; the click takes the name.
        option.addEventListener("mousedown", (event) => event.preventDefault());
        option.addEventListener("click", () => pick(name));
        return option;
      }),
    );
    if (names.length === 0) {
      close();
      return;
    }
    list.hidden = false;
    input.setAttribute("aria-expanded", "true");
    setActive(-1);
  };

  input.addEventListener("input", () => {
    clearTimeout(timer);
    const text = input.value.trim();
    if (text === "") {
      asked++;
      close();
      return;
    }
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
    } else if (event.key === "Enter" && open && active >= 0) {
      event.preventDefault();
      pick(names[active]);
    } else if (event.key === "Escape" && open) {
      event.preventDefault();
      close();
    } else if (event.key === "Tab") {
      close();
    }
  });
  input.addEventListener("blur", () => close());
}

// ---- Showing a state -------------------------------------------------------------

let shown = 0; // counts the states shown; an answer for an older one is dropped
// Whether the state being shown comes from picking a train here (its stop
// list then takes the focus); not for the back button or a link opened.
let picking = false;
// The train whose stop list was just closed (its button takes the focus).
let closedTrain = null;

function fillForm(state) {
  const form = document.getElementById(`${state.view}-form`);
  for (const input of form.querySelectorAll("input[name]")) {
    const value = state[input.name];
    if (value !== undefined) input.value = value;
    else if (input.type === "time" && !views[state.view].ready(state)) input.value = nowHhMm();
    else input.value = "";
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
      // Back from a stop list: to the train it was opened from.
      const button = box.querySelector(`button.train[data-train="${Number(closedTrain)}"]`);
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
  for (const name of Object.keys(views)) {
    const form = document.getElementById(`${name}-form`);
    form.addEventListener("submit", (event) => {
      event.preventDefault();
      forgetAnswers();
      const state = { view: name };
      for (const input of form.querySelectorAll("input[name]")) {
        // Train numbers are written in capitals ("k101" is K101).
        const value = input.name === "number" ? input.value.trim().toUpperCase() : input.value.trim();
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
    [from.value, to.value] = [to.value, from.value];
    const state = stateFromUrl();
    if (state.view === "trip" && state.from && state.to && from.value && to.value) {
      go({ view: "trip", from: from.value, to: to.value, at: state.at });
    }
  });
  document.getElementById("stops-close").addEventListener("click", () => {
    const state = stateFromUrl();
    closedTrain = state.train === undefined ? null : state.train;
    delete state.train;
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
