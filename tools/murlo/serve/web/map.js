"use strict";
// A journey's path drawn from its stations' coordinates: a small SVG of its
// rides and walks, no tiles and no fonts from the network. Every name is
// set as text, never as markup.

const SVG_NS = "http://www.w3.org/2000/svg";

// journeyMap(legs, title): an <svg> of `legs`, or null when fewer than two
// of their places have coordinates. Each leg is {points, colour, walk}:
// points [{name, lat, lon}] in travelling order (lat/lon null where
// unknown), colour "#RRGGBB" or "" (the page's own), walk true for a walk
// between stations, faint true for the rest of a train's run around the
// stretch taken. The ends of every ride are named.
function journeyMap(legs, title) {
  const placed = (p) => p && Number.isFinite(p.lat) && Number.isFinite(p.lon);
  const all = legs.flatMap((leg) => leg.points.filter(placed));
  if (new Set(all.map((p) => `${p.lat},${p.lon}`)).size < 2) return null;

  // An equirectangular projection around the middle latitude: true to
  // shape over the few hundred kilometres a journey spans.
  const meanLat = all.reduce((sum, p) => sum + p.lat, 0) / all.length;
  const scaleX = Math.cos((meanLat * Math.PI) / 180);
  const xs = all.map((p) => p.lon * scaleX);
  const ys = all.map((p) => -p.lat);
  const [minX, maxX, minY, maxY] = [Math.min(...xs), Math.max(...xs), Math.min(...ys), Math.max(...ys)];
  const width = 360;
  const pad = 28;
  const spanX = Math.max(maxX - minX, 1e-9);
  const spanY = Math.max(maxY - minY, 1e-9);
  const scale = Math.min((width - 2 * pad) / spanX, (width * 0.75 - 2 * pad) / spanY);
  const height = Math.max(120, Math.round(spanY * scale + 2 * pad));
  const offsetX = (width - spanX * scale) / 2;
  const offsetY = (height - spanY * scale) / 2;
  const at = (p) => [offsetX + (p.lon * scaleX - minX) * scale, offsetY + (-p.lat - minY) * scale];

  const element = (name, attributes) => {
    const node = document.createElementNS(SVG_NS, name);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, String(value));
    return node;
  };
  const svg = element("svg", {
    viewBox: `0 0 ${width} ${height}`,
    class: "journey-map",
    role: "img",
    "aria-label": title,
  });
  const heading = element("title", {});
  heading.textContent = title;
  svg.append(heading);

  const round = (v) => Math.round(v * 10) / 10;
  for (const leg of legs) {
    const points = leg.points.filter(placed).map(at);
    if (points.length < 2) continue;
    svg.append(
      element("polyline", {
        points: points.map(([x, y]) => `${round(x)},${round(y)}`).join(" "),
        // A line's own colour as a presentation attribute (the page's
        // policy allows no inline style); the page's colour otherwise.
        ...(leg.walk
          ? { class: "map-walk" }
          : leg.faint
            ? { class: "map-run" }
          : /^#[0-9A-Fa-f]{6}$/.test(leg.colour || "")
            ? { class: "map-ride", stroke: leg.colour }
            : { class: "map-ride map-own-colour" }),
      }),
    );
    for (const [x, y] of points.slice(1, -1)) {
      if (!leg.walk) svg.append(element("circle", { cx: round(x), cy: round(y), r: 2, class: "map-stop" }));
    }
  }

  // The places named: where the journey starts, changes and ends.
  const named = legs.filter((leg) => !leg.walk).flatMap((leg) => [leg.points[0], leg.points[leg.points.length - 1]]);
  const seen = new Set();
  for (const place of named) {
    if (!placed(place) || seen.has(place.name)) continue;
    seen.add(place.name);
    const [x, y] = at(place);
    svg.append(element("circle", { cx: round(x), cy: round(y), r: 4.5, class: "map-place" }));
    const label = element("text", {
      x: round(x + (x > width / 2 ? -7 : 7)),
      y: round(y + 4),
      "text-anchor": x > width / 2 ? "end" : "start",
      class: "map-label",
    });
    label.textContent = place.name;
    svg.append(label);
  }
  return svg;
}
