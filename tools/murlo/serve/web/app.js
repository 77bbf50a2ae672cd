// The page of murlo serve: plain script, no framework, nothing from
// elsewhere. Every text from the database is put in as text (text nodes,
// textContent), never as HTML; the page's own texts come from the table of
// the language shown (TEXTS). The state of the page is its URL: each search
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

// A train's class: a network's route type in the page's language where it
// has a name for it, else as the database gives it.
function className(train) {
  const named = T.routeTypes && Object.hasOwn(T.routeTypes, train.class) ? T.routeTypes[train.class] : null;
  return named ? named : data(train.class);
}

// A network's own fare of a ride or journey ("$10.75", as the API writes
// it), or nothing (the built-in tariff, or no fare).
function fareOf(item) {
  return item.fare ? data(item.fare.text, "span", { class: "fare" }) : null;
}

// A station name in pinyin ("Beijingxi", as the API derives it) beside the
// name: for the eye only, as a screen reader reads the name itself.
function pinyinBeside(pinyin) {
  return pinyin ? el("span", { class: "pinyin", "aria-hidden": "true" }, pinyin) : null;
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

// ---- The page's own texts, a table per language ------------------------------
//
// Every text the page writes itself comes from the table of the language
// shown, by key: a string, or a function of the numbers and names it holds.
// A name from the database comes to it as a node (made by data()), so such
// a function returns a list of strings and nodes, and the name is still put
// in as text. Durations come as the API writes them ("04:23"), waits as
// minutes. Adding a language is adding a table with the same keys (and its
// name, which its link shows); a key it lacks is taken from English.

// "HH:MM" as hours and minutes, or null.
function hoursAndMinutes(duration) {
  const parts = /^(\d+):([0-5]\d)$/.exec(duration || "");
  return parts ? { hours: Number(parts[1]), minutes: Number(parts[2]) } : null;
}

const ENGLISH = {
  name: "English",
  htmlLang: "en",
  title: "Timetable",
  heading: "Timetable",
  skip: "Skip to the search",
  database: "Database",
  // The timetable's period beside the database's header, and the date of an
  // answer after its caption.
  period: (first, last) => ` · timetable ${first} to ${last}`,
  onDate: (date) => `, on ${date}`,
  date: "Date",
  noHeader: "(no header)",
  languages: "Language",
  viewsLabel: "What to look up",
  viewTrip: "Between stations",
  viewDepartures: "Departure board",
  viewStation: "A station's trains",
  viewNumber: "Train number",
  tripTitle: "Trains between two stations",
  from: "From",
  to: "To",
  swap: "Swap from and to",
  timeIs: "The time is",
  leavingFrom: "Leaving from",
  arrivingBy: "Arriving by",
  time: "Time",
  timePlaceholder: "HH:MM",
  changesAtMost: "Changes, at most",
  minutesToChange: "Minutes to change",
  findTrains: "Find trains",
  departuresTitle: "A station's departures and arrivals",
  station: "Station",
  board: "Board",
  departures: "Departures",
  arrivals: "Arrivals",
  fromTime: "From",
  showBoard: "Show the board",
  stationTitle: "The trains at a station",
  showTrains: "Show trains",
  numberTitle: "Trains by number",
  trainNumber: "Train number",
  numberPlaceholder: "K101, or 101",
  stops: "Stops",
  map: "Map",
  mapOfJourney: "Map of the journey",
  wheelchairYes: "takes wheelchairs",
  stepFree: "step-free access",
  noStepFree: "no step-free access",
  mapOfRun: (number) => `Map of train ${number}`,
  platform: (name) => ` platform ${name}`,
  backToTrains: "Back to the trains",
  lookingUp: "Looking it up…",
  stationsList: "Stations",
  anyOfStations: (count) => `any of ${count} stations`,
  giveTime: "Give a time of day on the 24-hour clock, HH:MM from 00:00 to 23:59.",
  moreJourneys: "More journeys",
  earlier: "Earlier",
  later: "Later",

  // Column heads.
  colTrain: "Train",
  colDeparts: "Departs",
  colArrives: "Arrives",
  colDuration: "Duration",
  colClass: "Class",
  colFare: "Fare",
  colRuns: "Runs",
  colFrom: "From",
  colTo: "To",
  colRunsFrom: "Runs from",
  colRunsTo: "Runs to",
  colStation: "Station",
  colKm: "km",

  // Durations ("04:23", as the API has them) and waits (minutes).
  duration: (text) => text,
  minutes: (minutes) =>
    minutes < 60 ? `${minutes} min` : `${Math.floor(minutes / 60)} h ${String(minutes % 60).padStart(2, "0")} min`,
  dayNote: "+1 is the day after, -1 the day before",

  // Between stations.
  directTrains: (count, from, to, at) => [
    plural(count, "direct train", "direct trains"), " from ", from, " to ", to,
    at ? `, in order of departure from ${at}` : ", in order of departure",
  ],
  noDirectTrain: (from, to) => ["No direct train from ", from, " to ", to, "."],
  route: (from, to) => [from, " to ", to],
  changesAllowed(plan) {
    if (plan.max_changes === 0) return "no change";
    const own = plan.own_change_times > 0 ? " where a station has no change time of its own" : "";
    return `at most ${plural(plan.max_changes, "change", "changes")} of ${plan.change_time} minutes or more${own}`;
  },
  noJourney(plan, either) {
    const when = plan.before
      ? `leaves within a day before ${plan.before}`
      : plan.arrive_by
        ? `leaving within a day before ${plan.arrive_by} arrives by then`
        : `leaves within a day from ${plan.at}`;
    return `No journey with ${this.changesAllowed(plan)} ${when}${either ? " either" : ""}.`;
  },
  changeStations: "The timetable proposes changing at one of these stations:",
  journeysTitle(count, direct, from, to, plan) {
    const when = plan.before
      ? `, leaving before ${plan.before}`
      : plan.arrive_by ? `, arriving by ${plan.arrive_by}` : `, leaving from ${plan.at}`;
    return [plural(count, "journey", "journeys"), direct ? " from " : " with changes from ", from, " to ", to, when];
  },
  journeysNote(plan) {
    return `With ${this.changesAllowed(plan)}; ${this.dayNote}.`;
  },
  journeyFacts(duration, changes) {
    return ` · ${this.duration(duration)} · ${changes === 0 ? "direct" : plural(changes, "change", "changes")}`;
  },
  walkTo(to, walk, wait) {
    return ["Walk to ", to, `, ${this.minutes(walk)}, wait ${this.minutes(wait)}`];
  },
  changeAt(station, wait) {
    return ["Change at ", station, `, wait ${this.minutes(wait)}`];
  },
  rideTo: " to ",

  // Boards, a station's trains, a number.
  boardCaption(arriving, station, at) {
    return [arriving ? "The next trains arriving at " : "The next trains leaving ", station,
      `, from ${at} on; ${this.dayNote}`];
  },
  noTrainOnBoard: (arriving, station) => [arriving ? "No train arrives at " : "No train leaves ", station, "."],
  stationCaption: (count, station) =>
    [plural(count, "train calls", "trains call"), " at ", station, ", in order of their time there"],
  noTrainCalls: (station) => ["No train calls at ", station, "."],
  numberCaption: (count, number) => [plural(count, "train runs", "trains run"), " under ", number],
  noTrainNumber: (number) => ["No train runs under the number ", number, "."],

  // The stop list.
  stopsOf: (number) => ["Stops of train ", number],
  thisRide: "This ride",
  trainsRun: "The train's run",
  yourJourney: "Your journey",
  stretchTaken(stretch, from, departs, to, arrives, duration) {
    return [`${stretch} from `, from, " ", departs, " to ", to, " ", arrives, " takes ", this.duration(duration),
      "; its stops are marked. "];
  },
  callsMarked: (station) => ["Its calls at ", station, " are marked. "],
  wholeRun(duration) {
    return `The whole train runs ${this.duration(duration)}.`;
  },
  onYourJourney: " (on your journey)",
  thisStation: " (this station)",

  // Errors. `errorKinds`: a text for an error of the API, by its `error`
  // (a function of the error's body); an error without one is shown in the
  // API's own words.
  noSuchStation: (typed) => ["No station is called “", typed, "”."],
  didYouMean: "Did you mean:",
  severalStations: (typed) => ["“", typed, "” matches several stations. Which one?"],
  sameStation: "From and to are the same station.",
  notAnswered: (why) => ["The question could not be answered: ", why, "."],
  stopsNotShown: (why) => ["This train's stops cannot be shown: ", why, "."],
  unreachable: "the server cannot be reached",
  errorKinds: {},
};

// Simplified Chinese, as a Chinese rail traveller reads it.
const CHINESE = {
  name: "中文",
  htmlLang: "zh-Hans",
  title: "列车时刻表",
  heading: "列车时刻表",
  skip: "跳到查询",
  database: "数据库",
  period: (first, last) => ` · 时刻表有效期${first}至${last}`,
  onDate: (date) => `（${date}）`,
  date: "日期",
  noHeader: "（无标题）",
  languages: "语言",
  viewsLabel: "查询方式",
  viewTrip: "站站查询",
  viewDepartures: "车站到发",
  viewStation: "经停列车",
  viewNumber: "车次查询",
  tripTitle: "两站之间的列车",
  from: "出发站",
  to: "到达站",
  swap: "交换出发站和到达站",
  timeIs: "时间为",
  leavingFrom: "出发时间",
  arrivingBy: "最晚到达时间",
  time: "时间",
  timePlaceholder: "时:分",
  changesAtMost: "最多换乘次数",
  minutesToChange: "换乘时间（分钟）",
  findTrains: "查询",
  departuresTitle: "车站的出发和到达列车",
  station: "车站",
  board: "显示",
  departures: "出发列车",
  arrivals: "到达列车",
  fromTime: "起始时间",
  showBoard: "查询",
  stationTitle: "经停一个车站的全部列车",
  showTrains: "查询",
  numberTitle: "按车次查询",
  trainNumber: "车次",
  numberPlaceholder: "K101 或 101",
  stops: "停靠站",
  map: "地图",
  mapOfJourney: "行程地图",
  wheelchairYes: "可供轮椅乘车",
  stepFree: "可无障碍通行",
  noStepFree: "无法无障碍通行",
  mapOfRun: (number) => `${number}次列车地图`,
  platform: (name) => ` ${name}站台`,
  backToTrains: "返回列车列表",
  lookingUp: "正在查询…",
  stationsList: "车站",
  anyOfStations: (count) => `同城${count}个车站均可`,
  giveTime: "请输入24小时制的时间（时:分），00:00至23:59。",
  moreJourneys: "更多行程",
  earlier: "更早",
  later: "更晚",

  colTrain: "车次",
  colDeparts: "出发时间",
  colArrives: "到达时间",
  colDuration: "历时",
  colClass: "类别",
  colFare: "票价",
  // A network's route types, which name its rides' classes.
  routeTypes: {
    Tram: "有轨电车",
    Subway: "地铁",
    Rail: "铁路",
    Bus: "公交",
    Ferry: "轮渡",
    "Cable tram": "缆索电车",
    "Aerial lift": "空中缆车",
    Funicular: "缆索铁路",
    Trolleybus: "无轨电车",
    Monorail: "单轨",
    Coach: "长途客车",
  },
  colRuns: "始发—终到",
  colFrom: "出发站",
  colTo: "到达站",
  colRunsFrom: "始发站",
  colRunsTo: "终到站",
  colStation: "站名",
  colKm: "里程（公里）",

  duration(text) {
    const time = hoursAndMinutes(text);
    if (time === null) return text;
    return time.hours === 0 ? `${time.minutes}分钟` : `${time.hours}小时${String(time.minutes).padStart(2, "0")}分`;
  },
  minutes: (minutes) =>
    minutes < 60 ? `${minutes}分钟` : `${Math.floor(minutes / 60)}小时${String(minutes % 60).padStart(2, "0")}分`,
  dayNote: "+1 表示次日，-1 表示前一日",

  directTrains: (count, from, to, at) => [
    from, "至", to, `的直达列车共${count}趟，`, at ? `按${at}起的出发时间排列` : "按出发时间排列",
  ],
  noDirectTrain: (from, to) => [from, "至", to, "没有直达列车。"],
  route: (from, to) => [from, "至", to],
  changesAllowed(plan) {
    if (plan.max_changes === 0) return "不换乘";
    const own = plan.own_change_times > 0 ? "（车站另有规定的，按车站的换乘时间）" : "";
    return `最多换乘${plan.max_changes}次、每次换乘不少于${plan.change_time}分钟${own}`;
  },
  noJourney(plan, either) {
    const when = plan.before
      ? `${plan.before}以前一天内出发`
      : plan.arrive_by ? `${plan.arrive_by}以前一天内出发并到达` : `${plan.at}起一天内出发`;
    return `${when}，${either ? "也" : ""}没有${this.changesAllowed(plan)}的行程。`;
  },
  changeStations: "时刻表建议在以下车站之一换乘：",
  journeysTitle(count, direct, from, to, plan) {
    const when = plan.before
      ? `${plan.before}以前出发`
      : plan.arrive_by ? `${plan.arrive_by}以前到达` : `${plan.at}起出发`;
    return [from, "至", to, direct ? "的行程" : "的换乘行程", `${count}个，${when}`];
  },
  journeysNote(plan) {
    return `条件：${this.changesAllowed(plan)}；${this.dayNote}。`;
  },
  journeyFacts(duration, changes) {
    return ` · 历时${this.duration(duration)} · ${changes === 0 ? "直达" : `换乘${changes}次`}`;
  },
  walkTo(to, walk, wait) {
    return ["步行至", to, `，${this.minutes(walk)}，等候${this.minutes(wait)}`];
  },
  changeAt(station, wait) {
    return ["在", station, `换乘，等候${this.minutes(wait)}`];
  },
  rideTo: "至",

  boardCaption(arriving, station, at) {
    return [`${at}起`, arriving ? "到达" : "从", station, arriving ? "的列车；" : "出发的列车；", this.dayNote];
  },
  noTrainOnBoard: (arriving, station) =>
    arriving ? ["没有到达", station, "的列车。"] : ["没有从", station, "出发的列车。"],
  stationCaption: (count, station) => ["经停", station, `的列车共${count}趟，按在该站的时间排列`],
  noTrainCalls: (station) => ["没有列车经停", station, "。"],
  numberCaption: (count, number) => ["车次为", number, `的列车共${count}趟`],
  noTrainNumber: (number) => ["没有车次为", number, "的列车。"],

  stopsOf: (number) => [number, "次列车停靠站"],
  thisRide: "本段乘车",
  trainsRun: "本车区段",
  yourJourney: "您的行程",
  stretchTaken(stretch, from, departs, to, arrives, duration) {
    return [`${stretch}：`, from, ` ${departs}开，`, to, ` ${arrives}到，历时${this.duration(duration)}；`,
      "途经车站已标出。"];
  },
  callsMarked: (station) => ["已标出本车在", station, "的停靠。"],
  wholeRun(duration) {
    return `全程运行${this.duration(duration)}。`;
  },
  onYourJourney: "（在您的行程内）",
  thisStation: "（本站）",

  noSuchStation: (typed) => ["没有名为“", typed, "”的车站。"],
  didYouMean: "您要找的是不是：",
  severalStations: (typed) => ["“", typed, "”对应多个车站，请选择："],
  sameStation: "出发站和到达站是同一个车站。",
  notAnswered: (why) => ["查询失败：", why, "。"],
  stopsNotShown: (why) => ["无法显示本车的停靠站：", why, "。"],
  unreachable: "无法连接服务器",
  errorKinds: {
    // A date outside the timetable's period: the API's words, which name it.
    bad_parameter: (body) =>
      body.parameter === "date" ? null : body.parameter ? `查询条件“${body.parameter}”有误` : "查询条件有误",
    several_stations: () => "车站名称对应多个车站",
    same_station: () => "出发站和到达站是同一个车站",
    several_trains: () => "该车次有多趟列车",
    unknown_station: () => "没有这个车站",
    unknown_train: () => "没有这趟列车",
    not_found: () => "没有这个地址",
    method_not_allowed: () => "不支持这种请求",
    bad_request: () => "请求有误",
    too_large: () => "请求过长",
    uri_too_long: () => "请求过长",
    headers_too_large: () => "请求过长",
    library: () => "服务器内部出错",
    answer_too_large: () => "结果过多，无法显示",
    out_of_memory: () => "服务器内存不足",
  },
};

// By the code a link's `lang` parameter gives, in the order of their links
// ("中文 / English"). English is the page's language when the browser's is
// none of them.
const TEXTS = { zh: CHINESE, en: ENGLISH };

// ---- The language shown ------------------------------------------------------
//
// The one a link gives (lang=zh), else the one picked here before (kept in
// localStorage), else the first of the browser's languages the page speaks,
// else English. Once given or picked, every URL the page makes keeps it,
// so a link shared shows the same language; the back button does not
// change it.

for (const table of Object.values(TEXTS)) {
  if (table !== ENGLISH) Object.setPrototypeOf(table, ENGLISH);
}

const LANGUAGE_KEY = "murlo-language";

function languageOfUrl() {
  const code = new URLSearchParams(location.search).get("lang");
  return code !== null && Object.hasOwn(TEXTS, code) ? code : null;
}

function storedLanguage() {
  try {
    const code = localStorage.getItem(LANGUAGE_KEY);
    return code !== null && Object.hasOwn(TEXTS, code) ? code : null;
  } catch {
    return null; // storage turned off
  }
}

function browserLanguage() {
  for (const tag of navigator.languages || [navigator.language || ""]) {
    const code = tag.toLowerCase().split("-")[0];
    if (Object.hasOwn(TEXTS, code)) return code;
  }
  return "en";
}

let language = languageOfUrl() || storedLanguage();
// Whether the language was given or picked (then URLs carry it), not the browser's.
let languageChosen = language !== null;
language = language || browserLanguage();
let T = TEXTS[language];

// The URL shown, in language `code`.
function urlInLanguage(code) {
  const query = new URLSearchParams(location.search);
  query.set("lang", code);
  return `${location.pathname}?${query}`;
}

// The page's own texts in the elements of index.html that name their keys,
// and the links to the other languages.
const TEXT_ATTRIBUTES = { textAriaLabel: "aria-label", textTitle: "title", textPlaceholder: "placeholder" };

function showTexts() {
  document.documentElement.lang = T.htmlLang;
  document.title = T.title;
  for (const element of document.querySelectorAll("[data-text]")) element.textContent = T[element.dataset.text];
  for (const [key, attribute] of Object.entries(TEXT_ATTRIBUTES)) {
    const selector = `[data-${key.replace(/[A-Z]/g, (c) => `-${c.toLowerCase()}`)}]`;
    for (const element of document.querySelectorAll(selector)) {
      element.setAttribute(attribute, T[element.dataset[key]]);
    }
  }
  for (const input of document.querySelectorAll(".time-field input")) checkTime(input);
  showPeriod();
  showLanguageLinks();
}

// Each language's link: to this URL in that language; the one shown is
// not a link.
function showLanguageLinks() {
  for (const link of document.querySelectorAll("#languages a")) {
    if (link.dataset.lang === language) {
      link.removeAttribute("href");
      link.setAttribute("aria-current", "true");
    } else {
      link.setAttribute("href", urlInLanguage(link.dataset.lang));
      link.removeAttribute("aria-current");
    }
  }
}

function languageLinks() {
  const nav = document.getElementById("languages");
  Object.entries(TEXTS).forEach(([code, table], i) => {
    if (i > 0) nav.append(el("span", { "aria-hidden": "true" }, " / "));
    const link = el("a", { "data-lang": code, lang: table.htmlLang, hreflang: table.htmlLang }, table.name);
    link.addEventListener("click", (event) => {
      if (event.button !== 0 || event.ctrlKey || event.metaKey || event.shiftKey || code === language) return;
      event.preventDefault();
      const focused = document.activeElement === link;
      pickLanguage(code);
      // The focus stays where it was: on the link back to the language left.
      if (focused) nav.querySelector("a[href]")?.focus();
    });
    nav.append(link);
  });
}

// Shows the page in language `code`, as it was: the URL keeps its state
// (and takes the language), the fields keep what was typed in them.
function pickLanguage(code) {
  language = code;
  T = TEXTS[code];
  languageChosen = true;
  try {
    localStorage.setItem(LANGUAGE_KEY, code);
  } catch {
    // Storage turned off: the URL keeps it.
  }
  history.replaceState(null, "", urlInLanguage(code));
  showTexts();
  showHeader();
  render({ keepForm: true });
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
  "view", "from", "to", "at", "date", "changes", "change_time", "by", "before", "station", "board", "number",
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
  if (languageChosen) query.set("lang", language);
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

// The date an answer is for, after its caption (none for a timetable
// without dates asked without one).
function onDate(answer) {
  return answer.date ? T.onDate(answer.date) : null;
}

// A table of trains; the number of each is a button that opens its stops.
// `columns`: {head, cell(train) -> node or text, wide (left out on a phone)}.
function trainTable(trains, columns, state, caption) {
  // A network's own fares: a column only where some train has one.
  if (trains.some((t) => t.fare)) {
    columns = [...columns, { head: T.colFare, cell: (t) => fareOf(t) ?? "–" }];
  }
  const head = el(
    "tr",
    {},
    el("th", { scope: "col" }, T.colTrain),
    columns.map((c) => el("th", { scope: "col", class: c.wide ? "wide" : null }, c.head)),
  );
  const rows = trains.map((train) => {
    const button = trainButton(train, state, false);
    return el(
      "tr",
      { class: button.getAttribute("aria-pressed") === "true" ? "picked" : null },
      el("th", { scope: "row" }, button, lineOf(train)),
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
const runsFrom = (t) => [written(t, "first_station"), " ", departs(t)];
const runsTo = (t) => [written(t, "last_station"), " ", arrives(t)];

// A station of a train or an answer as the network writes it, where the
// database says (its `KEY_as_written`), else its name: `key` is from, to,
// first_station, last_station or station.
function written(named, key) {
  return data(named[`${key}_as_written`] || named[key]);
}

// The train's line as a badge in the line's colours, and where it heads;
// nothing where the database does not say.
function lineOf(train) {
  const parts = [];
  const line = train.line;
  if (line && (line.short_name || line.long_name)) {
    const badge = el("span", { class: "line-badge" }, data(line.short_name || line.long_name));
    if (line.long_name && line.short_name) badge.title = line.long_name;
    // Set through the style object, which the page's policy allows (a style
    // attribute it would refuse).
    if (line.colour) {
      badge.style.backgroundColor = line.colour;
      badge.style.color = line.text_colour || "#ffffff";
      badge.classList.add("coloured");
    }
    parts.push(" ", badge);
  }
  if (train.headsign) parts.push(el("span", { class: "headsign" }, " → ", data(train.headsign)));
  if (train.wheelchair === "yes") {
    parts.push(" ", el("span", { class: "access", title: T.wheelchairYes },
      el("span", { "aria-hidden": "true" }, "♿"), el("span", { class: "visually-hidden" }, T.wheelchairYes)));
  }
  return parts;
}

// A station's wheelchair access where the database says it ("yes" or
// "no"): ♿ (named for screen readers), or the words "no step-free access".
function stationAccess(wheelchair) {
  if (wheelchair === "yes") {
    return el("span", { class: "access", title: T.stepFree }, " ",
      el("span", { "aria-hidden": "true" }, "♿"), el("span", { class: "visually-hidden" }, T.stepFree));
  }
  if (wheelchair === "no") return el("span", { class: "no-access" }, " (", T.noStepFree, ")");
  return null;
}

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
  const planParams = {
    from: state.from, to: state.to, date: state.date, changes: state.changes, change_time: state.change_time,
  };
  if (state.before) planParams.before = state.before;
  else if (state.by === "arrival") planParams.arrive_by = state.at || "00:00";
  else planParams.at = state.at || "00:00";
  const journeysAlone = state.before || state.by === "arrival";
  const [directAsked, planAsked] = await Promise.allSettled([
    journeysAlone ? Promise.resolve(null) : api("direct", { from: state.from, to: state.to, at: state.at, date: state.date }),
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
        : el("p", { class: "none" }, T.noJourney(plan, false)),
      pageButtons(plan, state),
    );
    return { trains: [], from: plan.from, to: plan.to, rides: ridesOf(plan.journeys) };
  }
  const answer = directAsked.value;
  if (!current()) return null;
  const parts = [];
  if (answer.count > 0) {
    parts.push(
      trainTable(
        answer.trains,
        [
          { head: T.colDeparts, cell: departs },
          { head: T.colArrives, cell: arrives },
          { head: T.colDuration, cell: (t) => T.duration(t.journey_time) },
          { head: T.colClass, cell: (t) => className(t), wide: true },
          { head: T.colRuns, cell: (t) => [written(t, "first_station"), " – ", written(t, "last_station")], wide: true },
        ],
        state,
        [T.directTrains(answer.count, written(answer, "from"), written(answer, "to"), state.at ? answer.at : null), onDate(answer)],
      ),
    );
  } else {
    parts.push(el("p", { class: "none" }, T.noDirectTrain(written(answer, "from"), written(answer, "to"))));
  }
  const withChanges = plan.journeys.filter((j) => j.changes > 0);
  if (withChanges.length > 0) {
    parts.push(journeyList(withChanges, plan, state));
  } else if (answer.count === 0 && answer.change_stations.length > 0) {
    // Without a journey (no change allowed), the stations the timetable
    // proposes to change at.
    const links = answer.change_stations.map((station, i) =>
      el("li", {}, stateLink({ ...state, to: station, train: undefined, ride_from: undefined, ride_to: undefined },
        T.route(written(answer, "from"), data((answer.change_stations_as_written || [])[i] || station)))),
    );
    parts.push(
      el("p", {}, T.noJourney(plan, true), " ", T.changeStations),
      el("ul", { class: "changes" }, links),
    );
  } else if (answer.count === 0) {
    parts.push(el("p", {}, T.noJourney(plan, true)));
  }
  parts.push(pageButtons(plan, state));
  box.replaceChildren(...parts);
  return { trains: answer.trains, from: answer.from, to: answer.to, rides: ridesOf(withChanges) };
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
  const earlier = el("button", { type: "button", class: "quiet", id: "trip-earlier" }, T.earlier);
  earlier.addEventListener("click", () => go({ ...base, at: undefined, before: first }));
  const later = el("button", { type: "button", class: "quiet", id: "trip-later" }, T.later);
  later.addEventListener("click", () =>
    go({ ...base, before: undefined, at: last ? minuteAfter(last) : first }),
  );
  return el("nav", { class: "pages", "aria-label": T.moreJourneys }, earlier, later);
}

// The rides of journeys, their days counted from the day asked about.
function ridesOf(journeys) {
  return journeys.flatMap((j) =>
    j.rides.map((r) => countedFromDayAsked(r.train, r.departure_day, r.train.departure_day)),
  );
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
        steps.push(el("li", { class: "change" }, T.walkTo(written(ride.walk, "to"), ride.walk.minutes, ride.wait_minutes)));
      } else if (ride.wait_minutes !== null) {
        steps.push(el("li", { class: "change" }, T.changeAt(written(t, "from"), ride.wait_minutes)));
      }
      steps.push(
        el(
          "li",
          { class: "ride" },
          trainButton(t, state, true),
          lineOf(t),
          el("span", { class: "leg" },
            el("span", { class: "stop" }, written(t, "from"), " ", el("time", {}, timeWithDay(t.departure, ride.departure_day)),
              t.from_platform ? data(T.platform(t.from_platform)) : null),
            el("span", { class: "arrow", "aria-hidden": "true" }, " → "),
            el("span", { class: "visually-hidden" }, T.rideTo),
            el("span", { class: "stop" }, written(t, "to"), " ", el("time", {}, timeWithDay(t.arrival, ride.arrival_day)),
              t.to_platform ? data(T.platform(t.to_platform)) : null),
          ),
          t.fare ? [" · ", fareOf(t)] : null,
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
        T.journeyFacts(journey.duration, journey.changes),
        journey.fare ? [" · ", fareOf(journey)] : null,
      ),
      el("ol", { class: "rides" }, steps),
      journeyMapBox(journey),
    );
  });
  return el(
    "section",
    { class: "journeys", "aria-labelledby": "journeys-title" },
    el("h3", { id: "journeys-title" }, [T.journeysTitle(journeys.length, direct, written(plan, "from"), written(plan, "to"), plan), onDate(plan)]),
    el("p", { class: "note" }, T.journeysNote(plan)),
    el("ol", { class: "journey-list" }, items),
  );
}

// A station's departures (or arrivals) from a time on.
async function showBoard(state, box, current) {
  const arriving = state.board === "arrivals";
  const answer = await api(arriving ? "arrivals" : "departures", {
    station: state.station, at: state.at, date: state.date,
  });
  if (!current()) return null;
  const station = answer.station;
  const trains = answer.trains.map((t) =>
    countedFromDayAsked(t, t.board_day, arriving ? t.arrival_day : t.departure_day),
  );
  if (answer.count === 0) {
    box.replaceChildren(el("p", { class: "none" }, T.noTrainOnBoard(arriving, written(answer, "station"))));
  } else {
    const columns = arriving
      ? [
          { head: T.colArrives, cell: arrives },
          { head: T.colFrom, cell: (t) => written(t, "from") },
          { head: T.colDeparts, cell: departs },
          { head: T.colClass, cell: (t) => className(t), wide: true },
          { head: T.colRunsTo, cell: (t) => written(t, "last_station"), wide: true },
        ]
      : [
          { head: T.colDeparts, cell: departs },
          { head: T.colTo, cell: (t) => written(t, "to") },
          { head: T.colArrives, cell: arrives },
          { head: T.colClass, cell: (t) => className(t), wide: true },
          { head: T.colRunsFrom, cell: (t) => written(t, "first_station"), wide: true },
        ];
    box.replaceChildren(
      trainTable(trains, columns, state, [T.boardCaption(arriving, written(answer, "station"), answer.at), onDate(answer)]),
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
    box.replaceChildren(el("p", { class: "none" }, T.noTrainCalls(written(answer, "station"))));
  } else {
    box.replaceChildren(
      trainTable(
        answer.trains,
        [
          { head: T.colArrives, cell: (t) => timeWithDay(t.at_arrival, t.at_arrival_day) },
          { head: T.colDeparts, cell: (t) => timeWithDay(t.at_departure, t.at_departure_day) },
          { head: T.colRunsFrom, cell: runsFrom },
          { head: T.colRunsTo, cell: runsTo },
          { head: T.colClass, cell: (t) => className(t), wide: true },
        ],
        state,
        T.stationCaption(answer.count, written(answer, "station")),
      ),
    );
  }
  return { trains: answer.trains, station: answer.station };
}

async function showNumber(state, box, current) {
  const answer = await api("number", { number: state.number });
  if (!current()) return null;
  if (answer.count === 0) {
    box.replaceChildren(el("p", { class: "none" }, T.noTrainNumber(data(answer.number))));
  } else {
    box.replaceChildren(
      trainTable(
        answer.trains,
        [
          { head: T.colFrom, cell: runsFrom },
          { head: T.colTo, cell: runsTo },
          { head: T.colDuration, cell: (t) => T.duration(t.journey_time), wide: true },
          { head: T.colClass, cell: (t) => className(t), wide: true },
        ],
        state,
        T.numberCaption(answer.count, data(answer.number)),
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
    return { train, journey: { from: state.ride_from, to: state.ride_to }, stretch: T.thisRide };
  }
  const train = context.trains.find((t) => String(t.index) === state.train);
  if (context.journeyOf) {
    return { train, journey: train ? context.journeyOf(train) : {}, stretch: T.trainsRun };
  }
  const journey = context.from && context.to ? { from: context.from, to: context.to } : {};
  return { train, journey, stretch: T.yourJourney };
}

// What the API says of every station, asked once: by name, its pinyin
// (where the API can derive it), its label (its name as the network writes
// it, told apart from equal ones) and its place ({lat, lon}), each null
// where unknown.
let stationsFacts = null;
function factsOfStations() {
  if (stationsFacts === null) {
    stationsFacts = ask("/api/stations")
      .then((answer) => {
        const facts = new Map();
        answer.stations.forEach((name, i) => {
          const at = (answer.coordinates || [])[i];
          facts.set(name, {
            pinyin: (answer.pinyin || [])[i] || null,
            label: (answer.labels || [])[i] || null,
            wheelchair: (answer.wheelchair || [])[i] || null,
            place: at ? { lat: at[0], lon: at[1] } : null,
          });
        });
        return facts;
      })
      .catch(() => new Map());
  }
  return stationsFacts;
}

// The points of a map for stations named `names` (see map.js).
function placesOf(names, facts) {
  return names.map((name) => {
    const known = facts.get(name);
    const place = known && known.place;
    return { name: (known && known.label) || name, lat: place ? place.lat : null, lon: place ? place.lon : null };
  });
}

const hasPlaces = (facts) => [...facts.values()].some((f) => f.place);

// A journey's map, drawn when it is first opened from the stops of its
// rides; shown only where the stations have coordinates.
function journeyMapBox(journey) {
  const box = el("details", { class: "map", hidden: true }, el("summary", {}, T.map));
  factsOfStations().then((facts) => {
    box.hidden = !hasPlaces(facts);
  });
  let drawn = false;
  box.addEventListener("toggle", async () => {
    if (!box.open || drawn) return;
    drawn = true;
    const facts = await factsOfStations();
    const rideStops = await Promise.all(
      journey.rides.map((ride) =>
        api("stops", { train: ride.train.index, from: ride.train.from, to: ride.train.to })
          .then((answer) => answer.stops.filter((stop) => stop.on_journey).map((stop) => stop.station))
          .catch(() => []),
      ),
    );
    const legs = [];
    let previous = null;
    journey.rides.forEach((ride, i) => {
      const t = ride.train;
      if (previous !== null && previous !== t.from) legs.push({ points: placesOf([previous, t.from], facts), walk: true });
      const stops = rideStops[i].length >= 2 ? rideStops[i] : [t.from, t.to];
      legs.push({ points: placesOf(stops, facts), colour: t.line ? t.line.colour : "" });
      previous = t.to;
    });
    const map = journeyMap(legs, T.mapOfJourney);
    if (map) box.append(map);
  });
  return box;
}

async function showStops(state, context, current) {
  const section = document.getElementById("stops");
  const { train, journey, stretch } = pickedOf(state, context);
  const [answer, facts] = await Promise.all([api("stops", { train: state.train, ...journey }), factsOfStations()]);
  if (!current()) return;
  const title = document.getElementById("stops-title");
  title.replaceChildren(...T.stopsOf(train ? data(train.number) : `#${answer.train}`));
  const summary = [];
  if (answer.from && train) {
    summary.push(...T.stretchTaken(stretch, written(answer, "from"), departs(train), written(answer, "to"), arrives(train), train.journey_time));
  } else if (context.station) {
    summary.push(...T.callsMarked(data((facts.get(context.station) || {}).label || context.station)));
  }
  summary.push(T.wholeRun(answer.run_time));
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
        data((facts.get(stop.station) || {}).label || stop.station),
        pinyinBeside((facts.get(stop.station) || {}).pinyin),
        stationAccess((facts.get(stop.station) || {}).wheelchair),
        marked ? el("span", { class: "visually-hidden" }, answer.from ? T.onYourJourney : T.thisStation) : null,
      ),
      el("td", {}, timeWithDay(stop.arrival, stop.arrival_day + shift)),
      el("td", {}, timeWithDay(stop.departure, stop.departure_day + shift)),
      el("td", { class: "km" }, String(stop.km)),
    );
  });
  // The train's run on a map, the stretch taken in its line's colour.
  const colour = train && train.line ? train.line.colour : "";
  const run = placesOf(answer.stops.map((stop) => stop.station), facts);
  const taken = placesOf(answer.stops.filter((stop) => stop.on_journey).map((stop) => stop.station), facts);
  const map = journeyMap(
    answer.from ? [{ points: run, faint: true }, { points: taken, colour }] : [{ points: run, colour }],
    T.mapOfRun(train ? train.number : `#${answer.train}`),
  );
  document.getElementById("stops-list").replaceChildren(
    map || "",
    el(
      "div",
      { class: "scroll" },
      el(
        "table",
        { class: "stop-list" },
        el(
          "thead",
          {},
          el("tr", {}, [T.colStation, T.colArrives, T.colDeparts, T.colKm].map((h) => el("th", { scope: "col" }, h))),
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
    const parts = [el("p", { class: "none" }, T.noSuchStation(data(typed)))];
    if (body.suggestions && body.suggestions.length > 0) {
      parts.push(el("p", {}, T.didYouMean), choose(body.suggestions, body.parameter));
    }
    box.replaceChildren(...parts);
  } else if (body.error === "several_stations") {
    const candidates = inOrderFor(typed, (body.candidates || []).map((name) => ({ name })));
    box.replaceChildren(
      el("p", { class: "none" }, T.severalStations(data(typed))),
      choose(candidates.map((c) => c.name), body.parameter),
    );
  } else if (body.error === "same_station") {
    box.replaceChildren(el("p", { class: "none" }, T.sameStation));
  } else {
    box.replaceChildren(el("p", { class: "none" }, T.notAnswered(why(error))));
  }
}

// Why `error` came: the text of the language shown for the API's kind of
// error where it has one, else the API's own words (English), else that
// the server was not reached.
function why(error) {
  if (!(error instanceof ApiError)) return T.unreachable;
  const text = Object.hasOwn(T.errorKinds, error.body.error) ? T.errorKinds[error.body.error](error.body) : null;
  return text || el("span", { lang: "en" }, error.message);
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
  list.setAttribute("data-text-aria-label", "stationsList");
  list.setAttribute("aria-label", T.stationsList);
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
        pinyin: (answer.pinyin || [])[i],
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
      ...stations.map(({ name, abbreviation, members, pinyin }, i) => {
        // A station group: any of its stations, for journeys.
        const option = el(
          "li",
          { role: "option", id: `${list.id}-${i}`, "aria-selected": "false" },
          el("span", {}, data(name, "span", { class: "name" }), pinyinBeside(pinyin)),
          abbreviation ? el("span", { class: "abbr" }, abbreviation) : null,
          members.length > 0 ? el("span", { class: "abbr" }, T.anyOfStations(members.length)) : null,
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

function isTimeField(input) {
  return input.closest(".time-field") !== null;
}

// A time that is not one stops the form with a message of its own; empty
// is the server's default.
function checkTime(input) {
  const text = input.value.trim();
  input.setCustomValidity(text === "" || timeOfDay(text) ? "" : T.giveTime);
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
    else if (isTimeField(input) && !views[state.view].ready(state)) input.value = timetableNow || nowHhMm();
    else if (input.name === "date") input.value = timetableToday || "";
    else input.value = "";
    if (isTimeField(input)) checkTime(input);
  }
}

// Today in the timetable's time zone, where the database has a calendar
// (the header says it); a date field left empty asks for it too.
let timetableToday = null;
// "HH:MM" now there, likewise.
let timetableNow = null;
// The first and the last date of the timetable's period, or null.
let timetablePeriod = null;

function showPeriod() {
  if (timetablePeriod) document.getElementById("database-period").replaceChildren(T.period(...timetablePeriod));
}

function nowHhMm() {
  const now = new Date();
  return `${String(now.getHours()).padStart(2, "0")}:${String(now.getMinutes()).padStart(2, "0")}`;
}

// Shows the state of the URL; with `keepForm`, the fields keep what is in
// them (the language picked, not the state, changed).
async function render({ keepForm = false } = {}) {
  // A URL of the history (the back button) shows the language picked since.
  if (languageChosen && languageOfUrl() !== language) history.replaceState(null, "", urlInLanguage(language));
  showLanguageLinks();
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
  if (!keepForm) fillForm(state);
  const view = views[state.view];
  const box = document.getElementById(`${state.view}-answer`);
  if (!view.ready(state)) {
    box.replaceChildren();
    return;
  }
  box.replaceChildren(el("p", { class: "loading" }, T.lookingUp));
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
  document.getElementById("stops-title").replaceChildren(T.stops);
  document.getElementById("stops-summary").replaceChildren(el("span", { class: "none" }, T.stopsNotShown(why(error))));
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
        view: "trip", from: from.value, to: to.value, at: state.at, date: state.date, changes: state.changes,
        change_time: state.change_time, by: state.by, before: state.before,
      });
    }
  });
  // Another board for the station shown: at once.
  for (const radio of document.querySelectorAll("#departures-form input[type=radio]")) {
    radio.addEventListener("change", () => {
      const state = stateFromUrl();
      if (state.view === "departures" && state.station) {
        go({ view: "departures", station: state.station, at: state.at, date: state.date, board: radio.value });
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
  languageLinks();
  showTexts();
  showHeader();
  render();
}

function showHeader() {
  api("header")
    .then((answer) => {
      const header = document.getElementById("database-header");
      header.replaceChildren(answer.header === "" ? T.noHeader : answer.header);
      header.setAttribute("lang", answer.header === "" ? T.htmlLang : langOf(answer.header));
      if (answer.first_date) {
        timetablePeriod = [answer.first_date, answer.last_date];
        showPeriod();
        timetableToday = answer.today;
        for (const input of document.querySelectorAll(".date-field input")) {
          if (input.value === "") input.value = timetableToday;
        }
        // The time of a form not yet sent: now by the timetable's clock, the
        // clock of its today.
        timetableNow = answer.now;
        const state = stateFromUrl();
        for (const [name, view] of Object.entries(views)) {
          if (state.view === name && view.ready(state)) continue;
          for (const input of document.querySelectorAll(`#${name}-form .time-field input`)) input.value = timetableNow;
        }
      }
    })
    .catch(() => {});
}

setUp();
