#include "audit/report_page_template.h"

namespace audit {

// Everything is built from the data with textContent and setAttribute: no
// text of a page is ever read as markup. The page works opened from the
// disk, with nothing from the network.
const std::string_view kReportPageTemplate = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="mapnote-audit">
<title>Image map alt text report</title>
<style>
:root { --missing: #b3172a; --blank: #8f4a00; --fine: #1d6b2f; --nohref: #5b3596; }
body { font: 15px/1.45 system-ui, sans-serif; color: #1a1a1a; background: #fff; margin: 0; }
header, main { max-width: 1400px; margin: 0 auto; padding: 0 1.25rem; }
header { border-bottom: 1px solid #ccc; padding-top: .75rem; padding-bottom: .5rem; }
h1 { font-size: 1.5rem; margin: .25rem 0; }
h2 { font-size: 1.2rem; margin: 1.5rem 0 .5rem; border-bottom: 2px solid #ddd; }
h3 { font-size: 1.05rem; margin: 1rem 0 .5rem; }
a { color: #0645ad; }
.visually-hidden { position: absolute; width: 1px; height: 1px; overflow: hidden; clip: rect(0 0 0 0); clip-path: inset(50%); white-space: nowrap; }
.summary { display: grid; grid-template-columns: max-content max-content; gap: .1rem 1rem; margin: .5rem 0; }
.summary dt { font-weight: 600; }
.summary dd { margin: 0; }
.legend { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: .5rem 1.5rem; }
.legend li { display: flex; align-items: center; gap: .4rem; }
.toolbar { display: flex; align-items: center; gap: 1rem; margin: .75rem 0; flex-wrap: wrap; }
button { font: inherit; padding: .3rem .8rem; border: 1px solid #444; border-radius: 4px; background: #f3f3f3; color: #1a1a1a; cursor: pointer; }
button:focus-visible, input:focus-visible, a:focus-visible { outline: 3px solid #1a56c4; outline-offset: 2px; }
/* A large web has thousands of areas: pages out of sight are not laid out. */
#pages > section { content-visibility: auto; contain-intrinsic-size: auto 700px; }
.map-body { display: flex; flex-wrap: wrap; gap: 1.25rem; align-items: flex-start; }
.map-body figure { flex: 0 1 auto; }
.map-body table { flex: 1 1 30rem; }
figure { margin: 0; max-width: 100%; }
figcaption, .problem { font-size: .9rem; color: #444; margin-top: .3rem; }
.problem { color: #6e1420; font-weight: 600; }
.stage { position: relative; max-width: 100%; }
.stage img, .stage svg { position: absolute; inset: 0; width: 100%; height: 100%; }
.stage.missing-image { background: repeating-linear-gradient(45deg, #eee, #eee 8px, #f8f8f8 8px, #f8f8f8 16px); outline: 1px solid #bbb; }
.area { cursor: pointer; }
.area:focus { outline: none; }
.area .shape { stroke-width: 3; vector-effect: non-scaling-stroke; }
.area.active .shape { stroke-width: 6; fill-opacity: .5; }
.area .badge { stroke: #fff; stroke-width: 1.5; vector-effect: non-scaling-stroke; }
.area .number { fill: #fff; font: bold 12px system-ui, sans-serif; text-anchor: middle; dominant-baseline: central; }
.k-missing .shape { stroke: var(--missing); fill: rgba(179, 23, 42, .18); }
.k-blank .shape { stroke: var(--blank); fill: rgba(143, 74, 0, .18); stroke-dasharray: 9 4; }
.k-fine .shape { stroke: var(--fine); fill: rgba(29, 107, 47, .10); stroke-dasharray: 2 3; }
.k-nohref .shape { stroke: var(--nohref); fill: rgba(91, 53, 150, .15); stroke-dasharray: 10 3 2 3; }
.k-missing .badge { fill: var(--missing); } .k-blank .badge { fill: var(--blank); }
.k-fine .badge { fill: var(--fine); } .k-nohref .badge { fill: var(--nohref); }
table { border-collapse: collapse; font-size: .93rem; }
th, td { text-align: left; vertical-align: top; padding: .3rem .5rem; border-bottom: 1px solid #ddd; }
thead th { border-bottom: 2px solid #999; }
tr.active { background: #e8f0fe; box-shadow: inset 4px 0 0 #1a56c4; }
.kind { white-space: nowrap; }
.kind .symbol { display: inline-block; width: 1.2em; font-weight: bold; text-align: center; }
.k-missing .symbol { color: var(--missing); } .k-blank .symbol { color: var(--blank); }
.k-fine .symbol { color: var(--fine); } .k-nohref .symbol { color: var(--nohref); }
.alt-none { font-style: italic; color: #555; }
input[type=text] { font: inherit; width: 15rem; max-width: 100%; padding: .2rem .35rem; border: 1px solid #767676; border-radius: 3px; color: #1a1a1a; background: #fff; }
input.suggested { background: #fff6d6; font-style: italic; }
.marker { display: block; font-size: .8rem; color: #5e4500; }
.marker.edited { color: #1d5a2a; }
#tip { position: absolute; z-index: 2; max-width: 24rem; background: #1a1a1a; color: #fff; padding: .35rem .55rem; border-radius: 4px; font-size: .85rem; pointer-events: none; white-space: pre-line; }
#tip[hidden] { display: none; }
</style>
</head>
<body>
<header>
<h1>Image map alt text report</h1>
<p id="web-line"></p>
</header>
<main>
<section aria-labelledby="summary-heading">
<h2 id="summary-heading">Summary</h2>
<dl class="summary" id="summary"></dl>
<h3>What the shapes and rows show</h3>
<ul class="legend" id="legend"></ul>
<div class="toolbar">
<button type="button" id="save">Save to-do list</button>
<p id="status" role="status"></p>
</div>
<p>Each text box holds the text to write as the area's alt. A box filled in from the web is marked as a suggestion until you change it; what you type is kept in this browser for this report. The saved list is taken back with <code>mapnote-audit --apply todo.csv WEB</code>.</p>
</section>
<div id="pages"></div>
<div id="tip" hidden></div>
</main>
<script type="application/json" id="report-data">@REPORT_DATA@</script>
<script>
"use strict";
(function () {
  const data = JSON.parse(document.getElementById("report-data").textContent);
  const SVG = "http://www.w3.org/2000/svg";
  const KINDS = {
    "missing-alt": { cls: "k-missing", symbol: "!", label: "Missing alt", help: "links somewhere and has no alt" },
    "empty-alt": { cls: "k-blank", symbol: "?", label: "Blank alt", help: "links somewhere and its alt is blank" },
    "fine": { cls: "k-fine", symbol: "\u2713", label: "Has a text", help: "nothing to do" },
    "alt-without-href": { cls: "k-nohref", symbol: "\u00d7", label: "Alt without href", help: "links nowhere, so its alt must go" },
  };

  function el(tag, attrs, text) {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attrs || {})) node.setAttribute(name, value);
    if (text !== undefined) node.textContent = text;
    return node;
  }
  function svg(tag, attrs) {
    const node = document.createElementNS(SVG, tag);
    for (const [name, value] of Object.entries(attrs || {})) node.setAttribute(name, String(value));
    return node;
  }
  function altText(alt) {
    if (alt === null) return "none";
    return alt.trim() === "" ? "blank (\u201c" + alt + "\u201d)" : "\u201c" + alt + "\u201d";
  }

  // Typed texts, by row, kept for this report only.
  const storeKey = "mapnote-audit report " + data.id;
  let typed = {};
  try { typed = JSON.parse(window.localStorage.getItem(storeKey) || "{}") || {}; } catch (e) { typed = {}; }
  function keep() { try { window.localStorage.setItem(storeKey, JSON.stringify(typed)); } catch (e) { /* not kept */ } }

  const s = data.summary;
  document.getElementById("web-line").textContent = "The web " + data.web + ", checked by mapnote-audit.";
  const summary = document.getElementById("summary");
  for (const [term, value] of [
    ["Pages", s.pages + (s.unreadable ? " (" + s.unreadable + " unreadable)" : "")], ["Areas", s.areas],
    ["Missing alt", s["missing-alt"]], ["Blank alt", s["empty-alt"]], ["Alt without href", s["alt-without-href"]],
    ["Rows of the to-do list", s.rows], ["Rows with a suggested text", s.suggested]]) {
    summary.append(el("dt", {}, term), el("dd", {}, String(value)));
  }
  const legend = document.getElementById("legend");
  for (const kind of Object.values(KINDS)) {
    const swatch = svg("svg", { width: 34, height: 22, viewBox: "0 0 34 22", "aria-hidden": "true", focusable: "false" });
    const g = svg("g", { class: "area " + kind.cls });
    g.append(svg("rect", { class: "shape", x: 2, y: 3, width: 30, height: 16 }));
    swatch.append(g);
    const item = el("li", { class: kind.cls });
    item.append(swatch, el("span", { class: "symbol", "aria-hidden": "true" }, kind.symbol),
                el("span", {}, kind.label + ": " + kind.help));
    legend.append(item);
  }

  const tip = document.getElementById("tip");
  const rows = [];
  const byKey = new Map();
  let active = null;
  function setActive(key) {
    if (active === key) return;
    if (active !== null) {
      const old = byKey.get(active);
      old.row.classList.remove("active");
      if (old.shape) old.shape.classList.remove("active");
    }
    active = key;
    if (key === null) return;
    const now = byKey.get(key);
    now.row.classList.add("active");
    if (now.shape) now.shape.classList.add("active");
  }
  function showTip(entry) {
    const a = entry.area;
    tip.textContent = "Area " + a.n + ": " + KINDS[a.finding].label + "\nhref: " +
      (a.href === null ? "none" : a.href) + "\nalt: " + altText(a.alt);
    const box = entry.shape.getBoundingClientRect();
    tip.hidden = false;
    tip.style.left = Math.max(0, box.left + window.scrollX) + "px";
    tip.style.top = (box.bottom + window.scrollY + 6) + "px";
  }
  function hideTip() { tip.hidden = true; }
  document.addEventListener("keydown", (event) => { if (event.key === "Escape") hideTip(); });

  function drawShape(area, width, height) {
    const c = area.coords;
    // The number goes near the shape's top left corner, off the words the
    // picture may have in its middle.
    let shape, x, y;
    if (area.shape === "rect") {
      shape = svg("rect", { x: c[0], y: c[1], width: c[2] - c[0], height: c[3] - c[1] });
      x = c[0] + 13; y = c[1] + 13;
    } else if (area.shape === "circle") {
      shape = svg("circle", { cx: c[0], cy: c[1], r: c[2] });
      x = c[0] - c[2] * 0.7071 + 9; y = c[1] - c[2] * 0.7071 + 9;
    } else if (area.shape === "poly") {
      const points = [];
      for (let i = 0; i < c.length; i += 2) points.push(c[i] + "," + c[i + 1]);
      shape = svg("polygon", { points: points.join(" ") });
      x = c[0]; y = c[1];
    } else {
      shape = svg("rect", { x: 0, y: 0, width: width, height: height });
      x = 13; y = 13;
    }
    shape.setAttribute("class", "shape");
    const kind = KINDS[area.finding];
    const g = svg("g", { class: "area " + kind.cls, tabindex: 0, role: "button", "data-area": area.index,
      "aria-label": "Area " + area.n + ", " + kind.label + ", " + (area.href === null ? "no href" : "links to " + area.href) +
        ", alt " + altText(area.alt) });
    const label = svg("g", { "aria-hidden": "true" });
    label.append(svg("circle", { class: "badge", cx: x, cy: y, r: 11 }));
    const number = svg("text", { class: "number", x: x, y: y });
    number.textContent = area.n + kind.symbol;
    label.append(number);
    g.append(shape, label);
    return g;
  }

  function pictureOf(map, mapId, entries) {
    const figure = el("figure");
    const image = map.image;
    if (image === null) {
      figure.append(el("p", { class: "problem" }, map.name === null
        ? "No image uses this map: it has no name."
        : "No image on this page uses this map (no img with usemap=\"#" + map.name + "\"); its areas are listed only."));
      return figure;
    }
    const sized = image.width !== null && image.height !== null;
    if (sized) {
      const stage = el("div", { class: "stage" + (image.url === null ? " missing-image" : "") });
      stage.style.width = image.width + "px";
      stage.style.aspectRatio = image.width + " / " + image.height;
      if (image.url !== null) {
        const img = el("img", { alt: "The image of map " + (map.name || "") + ", " + image.src, width: image.width, height: image.height });
        img.src = image.url;
        stage.append(img);
      }
      const drawing = svg("svg", { viewBox: "0 0 " + image.width + " " + image.height, preserveAspectRatio: "none",
        role: "group", "aria-label": "Areas of map " + (map.name || "") + " drawn over the image" });
      for (const entry of entries) {
        if (entry.area.shape === null) continue;
        entry.shape = drawShape(entry.area, image.width, image.height);
        drawing.append(entry.shape);
      }
      stage.append(drawing);
      figure.append(stage);
    }
    const words = image.src === null ? "The image" : "The image " + image.src;
    if (image.problem !== null) {
      figure.append(el("p", { class: "problem" }, words + " cannot be shown: " + image.problem +
        (sized ? "; the areas are drawn on a blank of its size." : "; its areas are listed only.")));
    } else {
      figure.append(el("figcaption", {}, words + ", shown at " + image.width + " \u00d7 " + image.height + " pixels as the page shows it."));
    }
    return figure;
  }

  function rowOf(entry, mapId) {
    const area = entry.area;
    const kind = KINDS[area.finding];
    const row = el("tr", { "data-area": area.index });
    const head = el("th", { scope: "row" });
    if (entry.drawn) {
      const show = el("button", { type: "button", "aria-label": "Area " + area.n + ": show its shape" }, String(area.n));
      show.addEventListener("click", () => { entry.shape.focus(); });
      head.append(show);
    } else {
      head.append(el("span", {}, String(area.n)), el("span", { class: "visually-hidden" }, " (no shape to draw)"));
    }
    const finding = el("td", { class: "kind " + kind.cls });
    finding.append(el("span", { class: "symbol", "aria-hidden": "true" }, kind.symbol), el("span", {}, kind.label));
    const target = el("td");
    if (area.href === null) {
      target.append(el("span", { class: "alt-none" }, "no href"));
    } else if (area.link !== null) {
      const link = el("a", {}, area.href === "" ? "(this page)" : area.href);
      link.href = area.link;
      target.append(link);
    } else {
      target.textContent = area.href;
    }
    const current = el("td", area.alt === null || area.alt.trim() === "" ? { class: "alt-none" } : {}, altText(area.alt));
    const box = el("td");
    if (area.csv !== null) {
      const id = mapId + "-a" + area.n;
      const input = el("input", { type: "text", id: id, "aria-describedby": id + "-marker" });
      const marker = el("span", { class: "marker", id: id + "-marker" });
      const stored = Object.prototype.hasOwnProperty.call(typed, entry.key);
      input.value = stored ? typed[entry.key] : (area.suggestion || "");
      function mark(edited) {
        input.classList.toggle("suggested", !edited && area.suggestion !== null);
        marker.classList.toggle("edited", edited);
        marker.textContent = edited ? "Your text" : area.suggestion !== null
          ? "Suggestion (" + area.from + "), not yet edited" : "No suggestion: type a text";
      }
      mark(stored);
      input.addEventListener("input", () => { typed[entry.key] = input.value; keep(); mark(true); });
      box.append(el("label", { for: id, class: "visually-hidden" }, "New alt text for area " + area.n), input, marker);
      entry.input = input;
      rows.push(entry);
    } else {
      box.append(el("span", { class: "alt-none" }, area.finding === "fine" ? "nothing to write" : "remove its alt in the page"));
    }
    row.append(head, finding, target, current, box);
    row.addEventListener("focusin", () => setActive(entry.key));
    row.addEventListener("mouseenter", () => setActive(entry.key));
    return row;
  }

  const pagesNode = document.getElementById("pages");
  data.pages.forEach((page, p) => {
    const pageId = "p" + (p + 1);
    const section = el("section", { "aria-labelledby": pageId + "-heading", "data-path": page.path });
    section.append(el("h2", { id: pageId + "-heading" }, page.path));
    page.maps.forEach((map, m) => {
      const mapId = pageId + "-m" + (m + 1);
      const part = el("section", { "aria-labelledby": mapId + "-heading" });
      part.append(el("h3", { id: mapId + "-heading" }, (map.name === null ? "A map without a name" : "Map \u201c" + map.name + "\u201d") +
        ", " + map.areas.length + (map.areas.length === 1 ? " area" : " areas")));
      const entries = map.areas.map((area) => ({ area: area, key: page.path + "\n" + area.index, page: p, shape: null }));
      const body = el("div", { class: "map-body" });
      body.append(pictureOf(map, mapId, entries));
      const table = el("table");
      table.append(el("caption", { class: "visually-hidden" }, "Areas of " + (map.name === null ? "the map" : "map " + map.name)));
      const head = el("tr");
      for (const name of ["No.", "Finding", "Link target", "Current alt", "New alt"]) head.append(el("th", { scope: "col" }, name));
      const thead = el("thead");
      thead.append(head);
      const tbody = el("tbody");
      for (const entry of entries) {
        entry.drawn = entry.shape !== null;
        byKey.set(entry.key, entry);
        entry.row = rowOf(entry, mapId);
        tbody.append(entry.row);
        if (entry.shape) {
          const shape = entry.shape;
          shape.addEventListener("focus", () => { setActive(entry.key); showTip(entry); });
          shape.addEventListener("blur", () => { hideTip(); });
          shape.addEventListener("mouseenter", () => { setActive(entry.key); showTip(entry); });
          shape.addEventListener("mouseleave", hideTip);
          const open = () => { (entry.input || entry.row.querySelector("button")).focus(); };
          shape.addEventListener("click", open);
          shape.addEventListener("keydown", (event) => {
            if (event.key === "Enter" || event.key === " ") { event.preventDefault(); open(); }
          });
        }
      }
      table.append(thead, tbody);
      body.append(table);
      part.append(body);
      section.append(part);
    });
    pagesNode.append(section);
  });
  if (data.pages.length === 0) pagesNode.append(el("p", {}, "No page has a finding."));

  // The rows in the order --todo writes them: pages in path order, areas in
  // document order.
  rows.sort((a, b) => a.page - b.page || a.area.index - b.area.index);
  function csvCell(text) {
    return /[",\r\n]/.test(text) ? "\"" + text.replace(/"/g, "\"\"") + "\"" : text;
  }
  function todoList() {
    let list = data.header + "\r\n";
    for (const entry of rows) {
      const [before, after] = entry.area.csv;
      list += [before, csvCell(entry.input.value), after].filter((cell) => cell !== null).join(",") + "\r\n";
    }
    return list;
  }
  document.getElementById("save").addEventListener("click", () => {
    const link = el("a", { download: "todo.csv" });
    link.href = URL.createObjectURL(new Blob([todoList()], { type: "text/csv;charset=utf-8" }));
    document.body.append(link);
    link.click();
    link.remove();
    window.setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    const filled = rows.filter((entry) => entry.input.value !== "").length;
    document.getElementById("status").textContent =
      "Saved todo.csv: " + rows.length + (rows.length === 1 ? " row, " : " rows, ") + filled + " with a new alt text.";
  });
})();
</script>
</body>
</html>
)html";

}  // namespace audit
