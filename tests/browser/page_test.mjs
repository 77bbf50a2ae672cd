// murlo serve's page as a person uses it, in Debian's chromium: letters typed
// into a station field, a station picked from the suggestions, trains found
// and one opened, a journey with changes and one of its rides opened, a
// departure and an arrival board, the back button, the other views, a
// phone's width, the keyboard alone, the page in Chinese and switched to
// English and back, a crafted database whose names are HTML shown as
// text in both languages, a timetable with a calendar asked for dates, and
// networks with fares of their own and without fares.
//
//   node page_test.mjs SAMPLE_URL CRAFTED_URL CALENDAR_URL SCREENSHOT_DIR [FARES_URL NO_FARES_URL]
//   (run.sh starts the servers)
//
// Each check is a step of its own on a fresh page; a failing step saves a
// screenshot and the others still run. Exits 1 when any step failed.
import assert from "node:assert/strict";
import { mkdtempSync, rmSync } from "node:fs";
import { join } from "node:path";
import { chromium } from "playwright-core";

const [sampleUrl, craftedUrl, calendarUrl, shots, faresUrl, noFaresUrl] = process.argv.slice(2);
if (!sampleUrl || !craftedUrl || !calendarUrl || !shots) {
  console.error("usage: node page_test.mjs SAMPLE_URL CRAFTED_URL CALENDAR_URL SCREENSHOT_DIR");
  process.exit(2);
}

const STEP_TIMEOUT_MS = 20000;
const profile = mkdtempSync(join(shots, "profile-"));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
  ],
  viewport: { width: 1100, height: 900 },
  // A locale whose time fields show a 12-hour clock: the page's do not.
  locale: "en-US",
});
context.setDefaultTimeout(10000);

// What the page must never do: fail a script, break its policy, show a
// dialog, or ask for anything it does not have (its icon included).
let problems = [];
function watch(page) {
  page.on("pageerror", (error) => problems.push(`page error: ${error.message}`));
  page.on("console", (message) => {
    // An answer of the API with an error status (an unknown station) is
    // logged by the browser too; the page shows it.
    const from = message.location().url || "";
    if (message.type() === "error" && !/\/api\//.test(from)) {
      problems.push(`console error: ${message.text()}`);
    }
  });
  page.on("dialog", async (dialog) => {
    problems.push(`a dialog opened: ${dialog.message()}`);
    await dialog.dismiss();
  });
  page.on("response", (response) => {
    const url = new URL(response.url());
    if (response.status() >= 400 && !url.pathname.startsWith("/api/")) {
      problems.push(`${response.status()} for ${url.pathname}`);
    }
  });
}

async function api(base, endpoint, params) {
  const response = await fetch(`${base}api/${endpoint}?${new URLSearchParams(params)}`);
  return response.json();
}

// The texts of the elements `selector` finds.
function texts(page, selector) {
  return page.locator(selector).allTextContents();
}

let passed = 0;
let failed = 0;
async function step(name, body) {
  const page = await context.newPage();
  problems = [];
  watch(page);
  const started = Date.now();
  try {
    await Promise.race([
      body(page),
      new Promise((_, reject) => setTimeout(() => reject(new Error("step timed out")), STEP_TIMEOUT_MS)),
    ]);
    assert.deepEqual(problems, [], "the page misbehaved");
    passed++;
    console.log(`ok    ${name} (${Date.now() - started} ms)`);
  } catch (error) {
    failed++;
    console.log(`FAIL  ${name}: ${error.message}`);
    await page.screenshot({ path: join(shots, `failed-${name.replace(/\W+/g, "-")}.png`), fullPage: true }).catch(() => {});
  } finally {
    await page.close();
  }
}

// Types `text` into a station field and takes `name` from its suggestions:
// with the arrow keys when `keys`, else with the mouse.
async function pickStation(page, field, text, name, { keys }) {
  await page.locator(field).fill("");
  await page.locator(field).pressSequentially(text, { delay: 30 });
  const list = page.locator(`${field}-list`);
  await list.locator("[role=option]").first().waitFor();
  const names = await list.locator("[role=option] .name").allTextContents();
  const at = names.indexOf(name);
  assert.ok(at >= 0, `"${text}" suggests ${names.join(", ")}, not ${name}`);
  if (keys) {
    for (let i = 0; i <= at; i++) await page.keyboard.press("ArrowDown");
    assert.equal(await page.locator(field).getAttribute("aria-activedescendant"), `${field.slice(1)}-list-${at}`);
    await page.keyboard.press("Enter");
  } else {
    await list.locator("[role=option]").nth(at).click();
  }
  assert.equal(await page.locator(field).inputValue(), name);
  assert.equal(await list.isHidden(), true, "the suggestions close once a station is taken");
}

// ---- The sample network -----------------------------------------------------

await step("type letters, pick 北京 and 上海, see the trains, open one", async (page) => {
  await page.goto(sampleUrl);
  await page.locator("#database-header").filter({ hasText: "CN-SAMPLE1" }).waitFor();
  await pickStation(page, "#trip-from", "bj", "北京", { keys: true });
  await pickStation(page, "#trip-to", "上", "上海", { keys: false });
  await page.locator("#trip-at").fill("08:00");
  await page.locator("#trip-form button[type=submit]").click();
  await page.locator("#trip-answer table.trains").waitFor();

  // The trains of the API, in its order (by departure from 08:00).
  const expected = await api(sampleUrl, "direct", { from: "北京", to: "上海", at: "08:00" });
  assert.ok(expected.count >= 2);
  assert.deepEqual(await texts(page, "#trip-answer table.trains button.train"), expected.trains.map((t) => t.number));
  const departures = await texts(page, "#trip-answer tbody tr td:nth-child(2)");
  assert.deepEqual(departures, expected.trains.map((t) => t.departure + (t.departure_day ? `+${t.departure_day}` : "")));
  assert.match(page.url(), /from=%E5%8C%97%E4%BA%AC&to=%E4%B8%8A%E6%B5%B7&at=08%3A00/);
  await page.screenshot({ path: join(shots, "trains.png"), fullPage: true });

  // Open the second train: its stops, the journey marked.
  const train = expected.trains[1];
  await page.locator("#trip-answer table.trains button.train").nth(1).click();
  await page.locator("#stops").waitFor();
  const stops = await api(sampleUrl, "stops", { train: train.index, from: "北京", to: "上海" });
  assert.deepEqual(await texts(page, "#stops-list tbody th [lang]"), stops.stops.map((s) => s.station));
  const marked = await page.locator("#stops-list tr.marked th [lang]").allTextContents();
  assert.deepEqual(marked, stops.stops.filter((s) => s.on_journey).map((s) => s.station));
  assert.equal(marked[0], "北京");
  assert.equal(marked.at(-1), "上海");
  const summary = await page.locator("#stops-summary").textContent();
  assert.ok(summary.includes(train.journey_time) && summary.includes(stops.run_time), summary);
  assert.equal(await page.evaluate(() => document.activeElement.id), "stops-title", "the stop list takes the focus");
  assert.match(page.url(), new RegExp(`train=${train.index}`));
  await page.screenshot({ path: join(shots, "stops.png"), fullPage: true });

  // Back: the trains without the stops; back again: the page before the search.
  await page.goBack();
  await page.locator("#stops").waitFor({ state: "hidden" });
  await page.locator("#trip-answer table.trains").waitFor();
  assert.equal(await page.locator("#trip-answer table.trains button.train").count(), expected.count);
  await page.goBack();
  await page.waitForFunction(() => document.querySelectorAll("#trip-answer table").length === 0);
  await page.goForward();
  await page.goForward();
  await page.locator("#stops").waitFor();
  assert.equal(await page.locator("#stops-list tr.marked").count(), marked.length);
});

await step("a shared link shows the same state", async (page) => {
  const expected = await api(sampleUrl, "direct", { from: "北京", to: "上海" });
  const train = expected.trains[0];
  await page.goto(`${sampleUrl}?view=trip&from=北京&to=上海&train=${train.index}`);
  await page.locator("#stops").waitFor();
  assert.equal(await page.locator("#trip-from").inputValue(), "北京");
  assert.equal(await page.locator("#trip-answer button.train[aria-pressed=true]").textContent(), train.number);
  assert.ok((await page.locator("#stops-list tr.marked").count()) >= 2);
});

// "17:05+1" as the page writes a time of a journey.
const onDay = (time, day) => (day > 0 ? `${time}+${day}` : day < 0 ? `${time}${day}` : time);

await step("no direct train: journeys with changes, a ride opened", async (page) => {
  await page.goto(`${sampleUrl}?view=trip&from=上海&to=北京西&at=08:00`);
  await page.locator("#trip-answer li.journey").first().waitFor();
  assert.match(await page.locator("#trip-answer .none").textContent(), /No direct train from 上海 to 北京西/);
  const plan = await api(sampleUrl, "plan", { from: "上海", to: "北京西", at: "08:00" });
  const journeys = plan.journeys.filter((j) => j.changes > 0);
  assert.ok(journeys.length > 0 && journeys.length === plan.count, "every journey has a change");
  // Each journey a line, in the API's order; its rides and changes below it.
  assert.deepEqual(
    await texts(page, "#trip-answer .journey-line strong"),
    journeys.map((j) => `${onDay(j.departure, j.departure_day)} → ${onDay(j.arrival, j.arrival_day)}`),
  );
  const first = journeys[0];
  const journey = page.locator("#trip-answer li.journey").first();
  assert.deepEqual(await journey.locator("li.ride button.train").allTextContents(), first.rides.map((r) => r.train.number));
  const changes = await journey.locator("li.change").allTextContents();
  assert.equal(changes.length, first.changes);
  first.rides.slice(1).forEach((ride, i) => {
    // A change between two stations of a city is a walk (or a ride across it).
    const how = ride.walk ? `Walk to ${ride.walk.to}, ` : `Change at ${ride.train.from}, wait `;
    assert.ok(changes[i].startsWith(how), changes[i]);
    const [, hours, minutes] = changes[i].match(/wait (?:(\d+) h )?(\d+) min$/);
    assert.equal(Number(hours || 0) * 60 + Number(minutes), ride.wait_minutes, changes[i]);
  });
  await page.screenshot({ path: join(shots, "journeys.png"), fullPage: true });

  // Pick the second ride: its train's stops, that ride's stretch marked.
  const ride = first.rides[1].train;
  await journey.locator("li.ride button.train").nth(1).click();
  await page.locator("#stops").waitFor();
  assert.match(page.url(), new RegExp(`train=${ride.index}&ride_from=`));
  const stops = await api(sampleUrl, "stops", { train: ride.index, from: ride.from, to: ride.to });
  const marked = await texts(page, "#stops-list tr.marked th [lang]");
  assert.deepEqual(marked, stops.stops.filter((s) => s.on_journey).map((s) => s.station));
  assert.equal(marked[0], ride.from);
  assert.equal(marked.at(-1), ride.to);
  assert.equal(await journey.locator("li.ride button.train[aria-pressed=true]").count(), 1);
  // Its days count from the day asked about, as the journey's do.
  const boarding = page.locator("#stops-list tr.marked").first().locator("td").nth(1);
  assert.equal(await boarding.textContent(), onDay(ride.departure, first.rides[1].departure_day));
  assert.match(await page.locator("#stops-summary").textContent(), new RegExp(`^This ride from ${ride.from} .* takes ${ride.journey_time}`));
  await page.screenshot({ path: join(shots, "ride.png"), fullPage: true });
  // Closing the stop list gives the focus back to that ride.
  await page.locator("#stops-close").click();
  await page.locator("#stops").waitFor({ state: "hidden" });
  await page.waitForFunction(
    ([index, from]) => document.activeElement.dataset.train === index && document.activeElement.dataset.rideFrom === from,
    [String(ride.index), ride.from],
  );
});

await step("arriving by a time, and the pages before and after", async (page) => {
  await page.goto(`${sampleUrl}?view=trip&from=北京&to=上海`);
  await page.locator("#trip-by-arrival").check();
  await page.locator("#trip-at").fill("18:00");
  await page.getByRole("button", { name: "Find trains" }).click();
  await page.locator("#trip-answer li.journey").first().waitFor();
  assert.match(page.url(), /at=18%3A00.*&by=arrival/);
  const lines = (plan) =>
    plan.journeys.map((j) => `${onDay(j.departure, j.departure_day)} → ${onDay(j.arrival, j.arrival_day)}`);
  const arriving = await api(sampleUrl, "plan", { from: "北京", to: "上海", arrive_by: "18:00" });
  assert.ok(arriving.count > 0);
  assert.deepEqual(await texts(page, "#trip-answer .journey-line strong"), lines(arriving));
  // Earlier: those leaving before the first one shown.
  await page.locator("#trip-earlier").click();
  await page.waitForURL(new RegExp(`before=${arriving.journeys[0].departure.replace(":", "%3A")}`));
  const before = await api(sampleUrl, "plan", { from: "北京", to: "上海", before: arriving.journeys[0].departure });
  await page.locator("#trip-answer h3").filter({ hasText: "leaving before" }).waitFor();
  assert.deepEqual(await texts(page, "#trip-answer .journey-line strong"), lines(before));
  // Later: from a minute after the last one shown.
  // Later: from a minute after the last one shown (the direct trains from
  // then on, and journeys with changes where any beat them).
  await page.locator("#trip-later").click();
  const last = before.journeys[before.journeys.length - 1];
  await page.waitForURL(/[?&]at=/);
  await page.locator("#trip-answer").filter({ hasText: "in order of departure from" }).waitFor();
  assert.ok(last !== undefined);
  assert.doesNotMatch(page.url(), /before=|by=/);
  // The back button shows the page before again.
  await page.goBack();
  await page.locator("#trip-answer h3").filter({ hasText: "leaving before" }).waitFor();
});

await step("no change allowed: the change stations", async (page) => {
  await page.goto(`${sampleUrl}?view=trip&from=上海&to=北京西&changes=0`);
  await page.locator("#trip-answer ul.changes a").first().waitFor();
  assert.equal(await page.locator("#trip-changes").inputValue(), "0");
  assert.match(await page.locator("#trip-answer").textContent(), /No direct train from 上海 to 北京西\.No journey with no change/);
  const expected = await api(sampleUrl, "direct", { from: "上海", to: "北京西" });
  assert.ok(expected.change_stations.length > 0);
  const links = await texts(page, "#trip-answer ul.changes a");
  assert.deepEqual(links, expected.change_stations.map((s) => `上海 to ${s}`));
  // A change station's link searches the first leg.
  await page.locator("#trip-answer ul.changes a").first().click();
  await page.locator("#trip-answer table.trains").waitFor();
  assert.equal(await page.locator("#trip-to").inputValue(), expected.change_stations[0]);
});

await step("a departure board and an arrival board", async (page) => {
  await page.goto(sampleUrl);
  await page.locator("nav.views a[data-view=departures]").click();
  await pickStation(page, "#departures-station", "tj", "天津", { keys: true });
  await page.locator("#departures-at").fill("08:00");
  await page.locator("#departures-form button[type=submit]").click();
  await page.locator("#departures-answer table.trains").waitFor();
  const departures = await api(sampleUrl, "departures", { station: "天津", at: "08:00" });
  assert.ok(departures.count >= 2);
  assert.deepEqual(await texts(page, "#departures-answer button.train"), departures.trains.map((t) => t.number));
  assert.deepEqual(
    await texts(page, "#departures-answer tbody tr td:nth-child(2)"),
    departures.trains.map((t) => onDay(t.departure, t.board_day)),
  );
  assert.match(page.url(), /view=departures&at=08%3A00&station=%E5%A4%A9%E6%B4%A5&board=departures/);
  await page.screenshot({ path: join(shots, "departures.png"), fullPage: true });

  // Arrivals: at once, for the same station and time.
  await page.getByRole("radio", { name: "Arrivals" }).check();
  await page.waitForURL(/board=arrivals/);
  const arrivals = await api(sampleUrl, "arrivals", { station: "天津", at: "08:00" });
  await page.locator("#departures-answer caption").filter({ hasText: "arriving at 天津" }).waitFor();
  assert.deepEqual(await texts(page, "#departures-answer button.train"), arrivals.trains.map((t) => t.number));
  // Days from the day asked: a train that set out the day before left at -1.
  assert.deepEqual(
    await texts(page, "#departures-answer tbody tr td:nth-child(4)"),
    arrivals.trains.map((t) => onDay(t.departure, t.departure_day + t.board_day - t.arrival_day)),
  );
  assert.ok(arrivals.trains.some((t) => t.board_day < t.arrival_day), "a train that set out the day before");
  // A train of the board: its run up to the station marked.
  const train = arrivals.trains[0];
  await page.locator("#departures-answer button.train").first().click();
  await page.locator("#stops").waitFor();
  const marked = await texts(page, "#stops-list tr.marked th [lang]");
  assert.equal(marked[0], train.from);
  assert.equal(marked.at(-1), "天津");
  await page.screenshot({ path: join(shots, "arrivals.png"), fullPage: true });
  // Back to the departures, with the radio button as it was.
  await page.goBack();
  await page.goBack();
  await page.locator("#departures-answer caption").filter({ hasText: "leaving 天津" }).waitFor();
  assert.equal(await page.getByRole("radio", { name: "Departures" }).isChecked(), true);
});

await step("swap from and to", async (page) => {
  await page.goto(`${sampleUrl}?view=trip&from=北京&to=济南`);
  await page.locator("#trip-answer table.trains").waitFor();
  await page.locator("#trip-swap").click();
  await page.waitForURL(/from=%E6%B5%8E%E5%8D%97&to=%E5%8C%97%E4%BA%AC/);
  assert.equal(await page.locator("#trip-from").inputValue(), "济南");
  assert.equal(await page.locator("#trip-to").inputValue(), "北京");
});

await step("a station's trains", async (page) => {
  await page.goto(sampleUrl);
  await page.locator("nav.views a[data-view=station]").click();
  await pickStation(page, "#station-name", "tj", "天津", { keys: true });
  await page.keyboard.press("Enter");
  await page.locator("#station-answer table.trains").waitFor();
  const expected = await api(sampleUrl, "at", { station: "天津" });
  assert.deepEqual(await texts(page, "#station-answer button.train"), expected.trains.map((t) => t.number));
  await page.locator("#station-answer button.train").first().click();
  await page.locator("#stops").waitFor();
  assert.deepEqual(await texts(page, "#stops-list tr.marked th [lang]"), ["天津"]);
  await page.screenshot({ path: join(shots, "station.png"), fullPage: true });
});

await step("a train number", async (page) => {
  await page.goto(`${sampleUrl}?view=number`);
  await page.locator("#number-text").fill("k101");
  await page.keyboard.press("Enter");
  await page.locator("#number-answer table.trains").waitFor();
  assert.deepEqual(await texts(page, "#number-answer button.train"), ["K101"]);
  await page.locator("#number-answer button.train").click();
  await page.locator("#stops").waitFor();
  const stops = await api(sampleUrl, "stops", { train: "K101" });
  assert.equal(await page.locator("#stops-list tbody tr").count(), stops.count);
});

await step("an unknown station: suggestions to choose from", async (page) => {
  await page.goto(`${sampleUrl}?view=station&station=北京站`);
  await page.locator("#station-answer ul.choices a").first().waitFor();
  assert.match(await page.locator("#station-answer").textContent(), /No station is called “北京站”/);
  assert.equal(await page.locator("#station-answer ul.choices a").first().textContent(), "北京");
  await page.locator("#station-answer ul.choices a").first().click();
  await page.locator("#station-answer table.trains").waitFor();
});

// Chinese names as a Chinese dictionary has them (pinyin).
const byName = new Intl.Collator("zh-Hans", { numeric: true }).compare;

await step("24-hour times, Enter on the suggestions, stations in order, the icon", async (page) => {
  await page.goto(`${sampleUrl}?view=departures`);
  const at = page.locator("#departures-at");
  assert.match(await at.inputValue(), /^([01]\d|2[0-3]):[0-5]\d$/, "the current time, 24-hour");
  assert.equal(await at.evaluate((input) => input.type), "text", "no 12-hour time field of the locale");
  // Enter pressed before the suggestions come takes the first once they
  // do; the spaces around what was typed are dropped.
  const station = page.locator("#departures-station");
  await station.pressSequentially("  sh ", { delay: 20 });
  await page.keyboard.press("Enter");
  await page.waitForFunction(() => document.querySelector("#departures-station").value === "上海");
  assert.equal(page.url(), `${sampleUrl}?view=departures`, "Enter took the station, not the form");
  // A time typed as a phone's number pad allows, sent and shown as HH:MM.
  await at.fill("1705");
  await at.press("Enter");
  await page.waitForURL(/at=17%3A05&station=%E4%B8%8A%E6%B5%B7/);
  await page.locator("#departures-answer caption").filter({ hasText: "from 17:05 on" }).waitFor();
  assert.equal(await at.inputValue(), "17:05");
  // A 12-hour time is not sent.
  await at.fill("5:00 PM");
  await page.locator("#departures-form button[type=submit]").click();
  assert.match(await at.evaluate((input) => input.validationMessage), /24-hour clock/);
  assert.match(page.url(), /at=17%3A05/);

  // Suggestions: the station whose abbreviation was typed first, the
  // others by name; Enter on the open list takes the first.
  await page.goto(sampleUrl);
  await page.locator("#trip-from").pressSequentially("sh", { delay: 20 });
  await page.locator("#trip-from-list [role=option]").first().waitFor();
  const names = await texts(page, "#trip-from-list [role=option] .name");
  assert.equal(names[0], "上海");
  assert.deepEqual(names.slice(1), [...names.slice(1)].sort(byName));
  await page.keyboard.press("Enter");
  assert.equal(await page.locator("#trip-from").inputValue(), "上海");
  await page.locator("#trip-from").fill("京");
  await page.locator("#trip-from-list [role=option]").nth(2).waitFor();
  const containing = await texts(page, "#trip-from-list [role=option] .name");
  assert.deepEqual(containing, [...containing].sort(byName));
  // The stations a name matches, by name too.
  await page.goto(`${sampleUrl}?view=station&station=京`);
  await page.locator("#station-answer ul.choices a").nth(2).waitFor();
  const candidates = await texts(page, "#station-answer ul.choices a");
  assert.deepEqual(candidates, [...candidates].sort(byName));

  // The page's icon, and the one a browser asks for by itself.
  for (const path of [await page.locator("link[rel=icon]").getAttribute("href"), "/favicon.ico"]) {
    const response = await fetch(new URL(path, sampleUrl));
    assert.equal(response.status, 200, path);
    assert.equal(response.headers.get("content-type"), "image/svg+xml", path);
  }
});

await step("the keyboard alone: focus order and a search", async (page) => {
  await page.goto(sampleUrl);
  await page.locator("#database-header").filter({ hasText: "CN-SAMPLE1" }).waitFor();
  // Each element is listed once.
  const order = [];
  for (let i = 0; i < 20 && order.at(-1) !== "Find trains"; i++) {
    await page.keyboard.press("Tab");
    const focused = await page.evaluate(() => document.activeElement.id || document.activeElement.textContent.trim());
    if (focused !== order.at(-1)) order.push(focused);
  }
  assert.deepEqual(order, [
    "Skip to the search", "中文", "Between stations", "Departure board", "A station's trains", "Train number",
    "trip-from", "trip-swap", "trip-to", "trip-by-departure", "trip-at", "trip-date", "trip-changes",
    "trip-change-time",
    "Find trains",
  ]);
  // The focus shows.
  const outline = await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle);
  assert.equal(outline, "solid");
  await page.locator("#trip-from").focus();
  await page.keyboard.type("nj");
  await page.locator("#trip-from-list [role=option]").first().waitFor();
  await page.keyboard.press("ArrowDown");
  await page.keyboard.press("Enter");
  await page.keyboard.press("Tab"); // the swap button
  await page.keyboard.press("Tab");
  await page.keyboard.type("苏州");
  await page.keyboard.press("Escape");
  await page.keyboard.press("Enter");
  await page.locator("#trip-answer table.trains").waitFor();
  assert.equal(await page.locator("#trip-from").inputValue(), "南京");
  // On from the field to the first train (past the other fields and the button).
  for (let i = 0; i < 16 && !(await page.evaluate(() => document.activeElement.matches("button.train"))); i++) {
    await page.keyboard.press("Tab");
  }
  assert.equal(await page.evaluate(() => document.activeElement.className), "train");
  const picked = await page.evaluate(() => document.activeElement.dataset.train);
  await page.keyboard.press("Enter");
  await page.locator("#stops").waitFor();
  // From the stop list back to the train it was opened from.
  await page.keyboard.press("Tab");
  assert.equal(await page.evaluate(() => document.activeElement.id), "stops-close");
  await page.keyboard.press("Enter");
  await page.locator("#stops").waitFor({ state: "hidden" });
  await page.waitForFunction((index) => document.activeElement.dataset.train === index, picked);
});

await step("a link to a train no longer there", async (page) => {
  await page.goto(`${sampleUrl}?view=number&number=K101&train=99999`);
  await page.locator("#stops").waitFor();
  assert.match(await page.locator("#stops-summary").textContent(), /cannot be shown: no train has the index 99999/);
  assert.deepEqual(await texts(page, "#number-answer button.train"), ["K101"]);
});

await step("a phone's width", async (page) => {
  const expected = await api(sampleUrl, "direct", { from: "北京", to: "上海" });
  for (const width of [375, 390]) {
    await page.setViewportSize({ width, height: 740 });
    await page.goto(`${sampleUrl}?view=trip&from=北京&to=上海&train=${expected.trains[0].index}`);
    await page.locator("#stops").waitFor();
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    assert.ok(overflow <= 0, `the page is ${overflow} px wider than the phone`);
    // Every tab on the screen, its label whole.
    const tabs = await page.locator("nav.views a").evaluateAll((links) =>
      links.map((a) => {
        const box = a.getBoundingClientRect();
        return { label: a.textContent, seen: box.left >= 0 && box.right <= innerWidth && a.scrollWidth <= a.clientWidth };
      }),
    );
    assert.deepEqual(tabs.filter((t) => !t.seen), [], `tabs cut at ${width} px`);
    await page.screenshot({ path: join(shots, `phone-${width}.png`), fullPage: true });
  }
});

// A wait as the Chinese page writes it: "7分钟", "1小时05分".
const zhMinutes = (m) => (m < 60 ? `${m}分钟` : `${Math.floor(m / 60)}小时${String(m % 60).padStart(2, "0")}分`);

await step("中文 after the browser's language, a walk, switched to English and back", async (page) => {
  // A browser asking for Chinese first.
  await page.addInitScript(() => Object.defineProperty(navigator, "languages", { get: () => ["zh-CN", "zh", "en"] }));
  try {
    const plan = await api(sampleUrl, "plan", { from: "上海", to: "北京西", at: "08:00" });
    const journeyAt = plan.journeys.findIndex((j) => j.rides.some((r) => r.walk));
    assert.ok(journeyAt >= 0, "a journey with a walk");
    const rides = plan.journeys[journeyAt].rides;
    const walking = rides.find((r) => r.walk);
    await page.goto(`${sampleUrl}?view=trip&from=上海&to=北京西&at=08:00`);
    const journey = page.locator("#trip-answer li.journey").nth(journeyAt);
    await journey.waitFor();
    assert.equal(await page.evaluate(() => document.documentElement.lang), "zh-Hans");
    assert.equal(await page.title(), "列车时刻表");
    const labels = async () => ({
      from: await page.locator("label[for=trip-from]").textContent(),
      view: await page.locator("nav.views a[aria-current=page]").textContent(),
      swap: await page.locator("#trip-swap").getAttribute("aria-label"),
      time: await page.locator("#trip-at").getAttribute("placeholder"),
    });
    assert.deepEqual(await labels(), { from: "出发站", view: "站站查询", swap: "交换出发站和到达站", time: "时:分" });
    assert.equal(await page.locator("#trip-answer .none").textContent(), "上海至北京西没有直达列车。");
    // The walk and the journey's line in Chinese; the names as the database has them.
    const walk = `步行至${walking.walk.to}，${zhMinutes(walking.walk.minutes)}，等候${zhMinutes(walking.wait_minutes)}`;
    assert.ok((await journey.locator("li.change").allTextContents()).includes(walk), walk);
    assert.match(await journey.locator(".journey-line").textContent(), / · 历时\d+小时\d\d分 · 换乘\d次$/);
    await journey.locator("li.ride button.train").first().click();
    await page.locator("#stops").waitFor();
    assert.equal(await page.locator("#stops-title").textContent(), `${rides[0].train.number}次列车停靠站`);
    const marked = await texts(page, "#stops-list tr.marked th [lang]");
    // Each Chinese name's pinyin beside it, as the API derives it (上海 Shanghai).
    const stations = await api(sampleUrl, "stations", {});
    const pinyinOf = new Map(stations.stations.map((name, i) => [name, stations.pinyin[i]]));
    const names = await texts(page, "#stops-list tbody th [lang]");
    assert.deepEqual(await texts(page, "#stops-list tbody th .pinyin"), names.map((n) => pinyinOf.get(n)).filter(Boolean));
    assert.equal(await page.locator("#stops-list tbody th .pinyin").first().textContent(), "Shanghai");
    await page.screenshot({ path: join(shots, "zh-journeys.png"), fullPage: true });

    // English: the same state (the stop list open, what was typed in a
    // field kept), the language in the URL and kept for the next visit.
    const url = page.url();
    await page.locator("#trip-changes").fill("2");
    await page.getByRole("link", { name: "English" }).click();
    await page.locator("#stops-title").filter({ hasText: "Stops of train" }).waitFor();
    assert.equal(page.url(), `${url}&lang=en`);
    assert.equal(await page.evaluate(() => document.documentElement.lang), "en");
    assert.deepEqual(await labels(), { from: "From", view: "Between stations", swap: "Swap from and to", time: "HH:MM" });
    assert.ok((await journey.locator("li.change").allTextContents()).some((c) => c.startsWith(`Walk to ${walking.walk.to}, `)));
    assert.deepEqual(await texts(page, "#stops-list tr.marked th [lang]"), marked);
    assert.equal(await page.locator("#trip-changes").inputValue(), "2");
    assert.equal(await page.evaluate(() => localStorage.getItem("murlo-language")), "en");
    // And back; a view opened keeps the language in its URL, the back button too.
    await page.getByRole("link", { name: "中文" }).click();
    await page.locator("#stops-title").filter({ hasText: "次列车停靠站" }).waitFor();
    assert.equal(page.url(), `${url}&lang=zh`);
    assert.deepEqual(await texts(page, "#stops-list tr.marked th [lang]"), marked);
    await page.locator("nav.views a[data-view=number]").click();
    await page.waitForURL(/view=number&lang=zh$/);
    assert.equal(await page.locator("#number-form button[type=submit]").textContent(), "查询");
    await page.goBack();
    await page.locator("#stops").waitFor();
    assert.equal(await page.evaluate(() => document.documentElement.lang), "zh-Hans");

    // A link's language comes before the browser's.
    await page.goto(`${sampleUrl}?view=trip&from=上海&to=北京西&at=08:00&lang=en`);
    await page.locator("#trip-answer li.journey").first().waitFor();
    assert.equal(await page.locator("label[for=trip-from]").textContent(), "From");
  } finally {
    await page.evaluate(() => localStorage.clear()).catch(() => {});
  }
});

// ---- The crafted network: names that are HTML ------------------------------------

await step("the crafted database's names are shown as text", async (page) => {
  const evil = "<img/src/onerror=alert(1)>";
  const plain = 'Plain&amp;"quoted"';
  await page.goto(craftedUrl);
  await page.locator("#database-header").filter({ hasText: "<i>x</i>" }).waitFor();
  await pickStation(page, "#trip-from", "<img", evil, { keys: true });
  await pickStation(page, "#trip-to", "plain", plain, { keys: false });
  await page.keyboard.press("Enter");
  await page.locator("#trip-answer table.trains").waitFor();
  const caption = await page.locator("#trip-answer caption").textContent();
  assert.ok(caption.includes(evil) && caption.includes(plain), caption);
  await page.locator("#trip-answer button.train").click();
  await page.locator("#stops").waitFor();
  assert.deepEqual(await texts(page, "#stops-list tbody th [lang]"), [evil, plain]);
  assert.equal(await page.locator("img, i").count(), 0, "no element was made from a name");
  await page.screenshot({ path: join(shots, "crafted.png"), fullPage: true });
  // In Chinese, still text.
  try {
    await page.getByRole("link", { name: "中文" }).click();
    await page.locator("#stops-title").filter({ hasText: "K1次列车停靠站" }).waitFor();
    const shown = await page.locator("#trip-answer caption").textContent();
    assert.ok(shown.startsWith(`${evil}至${plain}的直达列车`), shown);
    assert.deepEqual(await texts(page, "#stops-list tbody th [lang]"), [evil, plain]);
    assert.equal(await page.locator("#database-header").textContent(), "<i>x</i>");
    assert.equal(await page.locator(".pinyin").count(), 0, "no pinyin for a name that is not Chinese");
    assert.equal(await page.locator("img, i").count(), 0, "no element was made from a name");
  } finally {
    await page.evaluate(() => localStorage.clear()).catch(() => {});
  }
});

// ---- A timetable with a calendar: W1 on weekdays, E2 at weekends ----------------

await step("a weekday and a weekend date give their own trains, in the URL and the caption", async (page) => {
  await page.goto(`${calendarUrl}?view=departures&station=Aton&at=00:00&date=2026-09-23`);
  await page.locator("#database-period").filter({ hasText: "2020-01-01" }).waitFor();
  const caption = page.locator("#departures-answer caption");
  await caption.filter({ hasText: "2026-09-23" }).waitFor();
  assert.deepEqual(await texts(page, "#departures-answer button.train"), ["W1"]);
  assert.equal(await page.locator("#departures-date").inputValue(), "2026-09-23");
  // A Saturday, asked in the form.
  await page.locator("#departures-date").fill("2026-09-26");
  await page.locator("#departures-form button.go").click();
  await caption.filter({ hasText: "2026-09-26" }).waitFor();
  assert.deepEqual(await texts(page, "#departures-answer button.train"), ["E2"]);
  assert.equal(new URL(page.url()).searchParams.get("date"), "2026-09-26");
  // A journey on the weekday: the direct train's caption says the date.
  await page.goto(`${calendarUrl}?from=Aton&to=Beeby&at=00:00&date=2026-09-23`);
  await page.locator("#trip-answer caption").filter({ hasText: "2026-09-23" }).waitFor();
  assert.deepEqual(await texts(page, "#trip-answer button.train"), ["W1"]);
  // Outside the period: the API's words, which name it.
  await page.locator("#trip-date").fill("2030-01-05");
  await page.locator("#trip-form button.go").click();
  await page.getByText("is outside the timetable's period 2020-01-01 to 2029-12-31").waitFor();
});

// ---- Networks with fares of their own, and without fares --------------------------

if (faresUrl && noFaresUrl) {
  await step("a network's own fares: each ride's and the journey's total, in its currency", async (page) => {
    await page.goto(`${faresUrl}?from=Aton&to=Beeby&at=07:00&lang=en`);
    await page.locator("#trip-answer table.trains").waitFor();
    assert.ok((await texts(page, "#trip-answer thead th")).includes("Fare"));
    assert.deepEqual(await texts(page, "#trip-answer td .fare"), ["$10.75"]);
    assert.ok((await texts(page, "#trip-answer td")).includes("Rail"));
    await page.goto(`${faresUrl}?from=Aton&to=Ceton&at=07:00&lang=en`);
    await page.locator("#trip-answer li.journey").first().waitFor();
    assert.deepEqual(await texts(page, "#trip-answer .journey-line .fare"), ["$13.25"]);
    assert.deepEqual(await texts(page, "#trip-answer li.ride .fare"), ["$10.75", "$2.50"]);
    await page.screenshot({ path: join(shots, "fares.png"), fullPage: true });
  });

  await step("names as written, a line in its colours and a journey's map", async (page) => {
    await page.goto(`${faresUrl}?from=Aton&to=Ceton&at=07:00&lang=en`);
    const journey = page.locator("#trip-answer li.journey").first();
    await journey.waitFor();
    const ride = journey.locator("li.ride").first();
    assert.ok((await ride.textContent()).includes("Aton Süd"));
    assert.ok((await ride.textContent()).includes("platform 3"));
    assert.equal(await ride.locator(".line-badge").textContent(), "R1");
    assert.equal(await ride.locator(".line-badge").evaluate((b) => getComputedStyle(b).backgroundColor), "rgb(0, 57, 166)");
    assert.ok((await ride.locator(".headsign").textContent()).includes("Beeby Market Hall"));
    await journey.locator("details.map summary").click();
    const map = journey.locator("svg.journey-map");
    await map.waitFor();
    assert.equal(await map.locator("polyline.map-ride").count(), 2);
    assert.equal(await map.locator("polyline.map-ride").first().getAttribute("stroke"), "#0039A6");
    assert.deepEqual((await texts(page, "#trip-answer svg.journey-map text")).sort(), ["Aton Süd", "Beeby Market Hall", "Ceton Öst"]);
    await page.screenshot({ path: join(shots, "journey-map.png"), fullPage: true });
    // A train's stops: its run on a map, names as written.
    await ride.locator("button.train").click();
    await page.locator("#stops svg.journey-map").waitFor();
    assert.ok((await texts(page, "#stops-list th")).some((t) => t.includes("Beeby Market Hall")));
    // Each station's wheelchair access where the database says it.
    const rows = await texts(page, "#stops-list th");
    assert.ok(rows.some((t) => t.includes("Aton Süd") && t.includes("♿")), rows.join(" | "));
    assert.ok(rows.some((t) => t.includes("Beeby Market Hall") && t.includes("no step-free access")), rows.join(" | "));
  });

  await step("a network without fares shows no fare and its route type as the class", async (page) => {
    await page.goto(`${noFaresUrl}?from=Aton&to=Beeby&at=07:00&lang=en`);
    await page.locator("#trip-answer table.trains").waitFor();
    assert.ok(!(await texts(page, "#trip-answer thead th")).includes("Fare"));
    assert.equal(await page.locator("#trip-answer .fare").count(), 0);
    assert.ok((await texts(page, "#trip-answer td")).includes("Subway"));
    try {
      await page.getByRole("link", { name: "中文" }).click();
      await page.locator("#trip-answer td").filter({ hasText: "地铁" }).waitFor();
      assert.ok(!(await texts(page, "#trip-answer thead th")).includes("票价"));
    } finally {
      await page.evaluate(() => localStorage.clear()).catch(() => {});
    }
  });
}

await context.close();
rmSync(profile, { recursive: true, force: true });
console.log(`browser: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
