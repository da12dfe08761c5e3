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
<title>@REPORT_TITLE@: image map alt text report</title>
<style>
:root { --missing: #b3172a; --blank: #8f4a00; --fine: #1d6b2f; --nohref: #5b3596; --focus: #1a56c4; }
body { font: 15px/1.45 system-ui, sans-serif; color: #1a1a1a; background: #fff; margin: 0; }
header, main, .bar-inner { max-width: 1400px; margin: 0 auto; padding: 0 1.25rem; }
header { padding-top: .75rem; padding-bottom: .25rem; }
h1 { font-size: 1.5rem; margin: .25rem 0; }
h2 { font-size: 1.2rem; margin: 1.5rem 0 .5rem; border-bottom: 2px solid #ddd; }
h3 { font-size: 1.05rem; margin: 1rem 0 .5rem; }
h1, h2, h3, p, li, td, th, dd, figcaption { overflow-wrap: anywhere; }
a { color: #0645ad; }
.visually-hidden { position: absolute; width: 1px; height: 1px; overflow: hidden; clip: rect(0 0 0 0); clip-path: inset(50%); white-space: nowrap; }
.moved { border: 2px solid var(--missing); background: #fdf0f1; padding: .5rem .75rem; border-radius: 4px; }
.moved[hidden] { display: none; }
.toolbar { display: flex; flex-wrap: wrap; align-items: center; gap: .5rem 1.5rem; margin: .75rem 0; }
.toolbar label { display: inline-flex; align-items: center; gap: .4rem; }
/* Kept in view where the window is tall enough for it to take little. */
@media (min-height: 30rem) { .bar { position: sticky; top: 0; } }
.bar { z-index: 3; background: #f4f6fa; border-top: 1px solid #ccc; border-bottom: 1px solid #ccc; }
.bar-inner { display: flex; flex-wrap: wrap; align-items: center; gap: .35rem 1rem; padding-top: .4rem; padding-bottom: .4rem; }
.bar p { margin: 0; }
.summary { display: grid; grid-template-columns: max-content max-content; gap: .1rem 1rem; margin: .5rem 0; }
.summary dt { font-weight: 600; }
.summary dd { margin: 0; }
.legend { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: .5rem 1.5rem; }
.legend li { display: flex; align-items: center; gap: .4rem; }
.contents ol { padding-left: 1.5rem; columns: 18rem; }
.page-nav { display: flex; flex-wrap: wrap; gap: .25rem 1rem; margin: 0 0 .5rem; font-size: .9rem; }
button { font: inherit; padding: .3rem .8rem; border: 1px solid #444; border-radius: 4px; background: #f3f3f3; color: #1a1a1a; cursor: pointer; }
input[type=checkbox] { width: 1.1rem; height: 1.1rem; margin: 0; }
/* Every focus shows a ring of 3 px with more than 3:1 against the white
   and the pale blue around it, keyboard or not. */
button:focus, input:focus, a:focus, h2:focus { outline: 3px solid var(--focus); outline-offset: 2px; }
.figure-wrap { margin: 0; max-width: 100%; }
figcaption, .problem { font-size: .9rem; color: #444; margin-top: .3rem; }
.problem { color: #6e1420; font-weight: 600; }
.stage { position: relative; max-width: 100%; }
.stage img, .stage svg { position: absolute; inset: 0; width: 100%; height: 100%; }
.stage.missing-image { background: repeating-linear-gradient(45deg, #eee, #eee 8px, #f8f8f8 8px, #f8f8f8 16px); outline: 1px solid #bbb; }
.stage.missing-image img { visibility: hidden; }
.area { cursor: pointer; }
.area:focus { outline: none; }
.area .shape { stroke-width: 3; vector-effect: non-scaling-stroke; }
.area.active .shape { stroke-width: 5; fill-opacity: .5; }
.stage svg.rings { overflow: visible; pointer-events: none; }
.ring { fill: none; vector-effect: non-scaling-stroke; }
.ring.outer { stroke: #000; stroke-width: 9; }
.ring.inner { stroke: #fff; stroke-width: 3; }
.badge { display: none; pointer-events: none; }
.badge.placed { display: inline; }
.badge rect { stroke: #fff; stroke-width: 1; vector-effect: non-scaling-stroke; }
.badge text { fill: #fff; font-weight: bold; font-family: system-ui, sans-serif; text-anchor: middle; dominant-baseline: central; }
.k-missing .shape { stroke: var(--missing); fill: rgba(179, 23, 42, .18); }
.k-blank .shape { stroke: var(--blank); fill: rgba(143, 74, 0, .18); stroke-dasharray: 9 4; }
.k-fine .shape { stroke: var(--fine); fill: rgba(29, 107, 47, .10); stroke-dasharray: 2 3; }
.k-nohref .shape { stroke: var(--nohref); fill: rgba(91, 53, 150, .15); stroke-dasharray: 10 3 2 3; }
.k-missing .badge rect, .k-missing.badge rect { fill: var(--missing); } .k-blank.badge rect { fill: var(--blank); }
.k-fine.badge rect { fill: var(--fine); } .k-nohref.badge rect { fill: var(--nohref); }
/* Each row is a line of cells and the text box's own line under them,
   wide enough for a long text; on a narrow screen every cell stacks. Blocks
   and inline blocks, not table or grid boxes (the roles keep it a table for
   screen readers): those would make laying out thousands of rows slow. */
.areas, .areas thead, .areas tbody, .areas tr { display: block; }
.areas { width: 100%; font-size: .93rem; margin-top: .75rem; }
.areas tr { padding: .35rem .5rem; border-bottom: 1px solid #ddd; }
.areas thead tr { border-bottom: 2px solid #999; }
.areas th, .areas td { display: inline-block; vertical-align: top; text-align: left; padding: 0; margin-right: .75rem; box-sizing: border-box; }
.areas .c-num { width: 5.5rem; } .areas .c-kind { width: 9rem; }
.areas .c-link, .areas .c-now { width: calc((100% - 25.5rem) / 2); }
.areas .c-show { width: 5rem; margin-right: 0; }
.areas .c-new { display: block; margin: .3rem 0 0 6.25rem; }
.areas thead .c-new { position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%); }
[data-label]::before { font-weight: 600; }
.list-number { display: block; font-size: .8rem; font-weight: normal; color: #444; }
.areas tbody .c-num::before { content: "Area "; position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%); }
.c-kind::before { display: inline-block; width: 1.2em; font-weight: bold; text-align: center; }
.c-kind.k-missing::before { content: "!" / ""; } .c-kind.k-blank::before { content: "?" / ""; }
.c-kind.k-fine::before { content: "\2713" / ""; } .c-kind.k-nohref::before { content: "\00d7" / ""; }
.k-missing.c-kind::before { color: var(--missing); } .k-blank.c-kind::before { color: var(--blank); }
.k-fine.c-kind::before { color: var(--fine); } .k-nohref.c-kind::before { color: var(--nohref); }
tr.active { background: #e8f0fe; box-shadow: inset 4px 0 0 var(--focus); }
.kind { white-space: nowrap; }
.symbol { display: inline-block; width: 1.2em; font-weight: bold; text-align: center; }
.k-missing .symbol { color: var(--missing); } .k-blank .symbol { color: var(--blank); }
.k-fine .symbol { color: var(--fine); } .k-nohref .symbol { color: var(--nohref); }
.alt-none { font-style: italic; color: #555; }
.also { display: block; color: #333; }
.c-new input { font: inherit; width: 100%; box-sizing: border-box; padding: .25rem .4rem; border: 1px solid #767676; border-radius: 3px; color: #1a1a1a; background: #fff; }
.c-new input.accepted { background: #fff6d6; }
.marker { display: block; font-size: .85rem; color: #5e4500; }
.marker.typed { color: #1d5a2a; }
body.only-left .areas tbody tr.done-row, body.only-left .map-part.no-rows, body.only-left .page-part.no-rows { display: none; }
#tip { position: absolute; z-index: 2; max-width: min(24rem, 90vw); background: #1a1a1a; color: #fff; padding: .35rem .55rem; border-radius: 4px; font-size: .85rem; pointer-events: none; white-space: pre-line; overflow-wrap: anywhere; }
#tip[hidden] { display: none; }
@media (max-width: 50rem) {
  header, main, .bar-inner { padding: 0 .6rem; }
  .bar-inner { padding-top: .3rem; padding-bottom: .3rem; }
  .areas thead { display: none; }
  .areas th, .areas td, .areas .c-link, .areas .c-now, .areas .c-new { display: block; width: auto; margin: 0 0 .2rem; }
  [data-label]::before { content: attr(data-label); }
  .list-number { display: inline; margin-left: .5rem; }
  .summary { grid-template-columns: minmax(0, auto) max-content; }
}
</style>
</head>
<body>
<header>
<h1>Image map alt text report</h1>
<p id="web-line"></p>
<p id="moved" class="moved" hidden></p>
</header>
<div class="bar" id="bar">
<div class="bar-inner" role="region" aria-label="Save and what is left">
<button type="button" id="save">Save to-do list</button>
<p id="counts"></p>
<a href="#contents-heading" id="to-contents">Contents</a>
<p id="status" role="status"></p>
</div>
</div>
<main>
<section aria-labelledby="summary-heading">
<h2 id="summary-heading">Summary</h2>
<dl class="summary" id="summary"></dl>
<h3>What the shapes and rows show</h3>
<ul class="legend" id="legend"></ul>
<p>Each text box is for the text to write as its area's alt. A box starts empty, and an empty box saves an empty <code>new_alt</code> with the suggestion, if there is one, in <code>suggested_alt</code>: saved untouched, the list is the one <code>mapnote-audit --todo</code> writes, and <code>--apply</code> writes nothing for those rows. To take suggestions, press <b>Accept the suggestions</b> under a map, or <b>Accept all suggestions</b> below: it fills the empty boxes with their suggestions, and editing or emptying a box undoes it. What you type is kept in this browser for this report. The saved list is taken back with <code>mapnote-audit --apply todo.csv WEB</code>.</p>
<div class="toolbar">
<button type="button" id="accept-all">Accept all suggestions</button>
<label><input type="checkbox" id="only-left"> Only areas that need a text</label>
</div>
</section>
<nav class="contents" aria-labelledby="contents-heading">
<h2 id="contents-heading" tabindex="-1">Pages with findings</h2>
<ol id="contents"></ol>
</nav>
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
    // An alt that is there but is no name for the link: a text to replace.
    "alt-is-file-name": { cls: "k-blank", symbol: "?", label: "Alt is a file name", help: "its alt is a file name, not a name for the link" },
    "alt-is-url": { cls: "k-blank", symbol: "?", label: "Alt is an address", help: "its alt is a web or mail address" },
    "alt-is-code": { cls: "k-blank", symbol: "?", label: "Alt is code", help: "its alt is code a server or template was to fill in" },
    "alt-is-placeholder": { cls: "k-blank", symbol: "?", label: "Alt is a placeholder", help: "its alt says nothing of the link" },
    "alt-too-long": { cls: "k-blank", symbol: "?", label: "Alt too long", help: "its alt is longer than 150 characters" },
    "alt-not-distinct": { cls: "k-blank", symbol: "?", label: "Alt shared", help: "another area of the map linking elsewhere has the same alt" },
  };
  const SOURCES = {
    "same-link": "the alt of another area or linked image with the same link",
    "link-text": "the text of a link to the same target",
    "page-title": "the title of the linked page",
    "title": "the area's own title",
    "aria-label": "the area's own aria-label",
    "fragment-target": "the text of the place in the page the link leads to",
  };

  function el(tag, attrs, text) {
    const node = document.createElement(tag);
    if (attrs) for (const name in attrs) node.setAttribute(name, attrs[name]);
    if (text !== undefined) node.textContent = text;
    return node;
  }
  function svg(tag, attrs) {
    const node = document.createElementNS(SVG, tag);
    if (attrs) for (const name in attrs) node.setAttribute(name, String(attrs[name]));
    return node;
  }
  function quoted(text) { return "\u201c" + text + "\u201d"; }
  function altText(alt) {
    if (alt === null) return "none";
    return alt.trim() === "" ? "blank (" + quoted(alt) + ")" : quoted(alt);
  }
  function plural(n, one, many) { return n + " " + (n === 1 ? one : many); }

  // The boxes' texts, by row, kept for this report only: {v: text, a: 1
  // when it is an accepted suggestion}.
  const storeKey = "mapnote-audit report " + data.id;
  let kept = {};
  try { kept = JSON.parse(window.localStorage.getItem(storeKey) || "{}") || {}; } catch (e) { kept = {}; }
  function keep() { try { window.localStorage.setItem(storeKey, JSON.stringify(kept)); } catch (e) { /* not kept */ } }

  const s = data.summary;
  document.getElementById("web-line").textContent = "The web in the folder " + data.web + ", checked by mapnote-audit.";
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

  // A report away from its web finds none of its images: said once, with
  // the way back, rather than under every image.
  const moved = document.getElementById("moved");
  const lostImages = [];
  function imageLost(picture) {
    picture.stage.classList.add("missing-image");
    picture.caption.textContent = picture.words + " could not be loaded from here, or is no image the browser shows; " +
      "the areas are drawn on a blank of its size.";
  }
  function webLost() {
    moved.hidden = false;
    moved.textContent = "The images of the web cannot be found from where this report is now. It was written as " +
      data.reportPath + " in the web\u2019s folder (" + data.web + "): open it from there, or write the report again " +
      "with mapnote-audit --report where you want it.";
  }

  // The first few images tell whether the web is where it was: when none
  // of them loads (one alone may be a file no browser shows).
  const probes = [];
  for (const page of data.pages) {
    for (const map of page.maps) {
      if (map.image && map.image.url !== null && map.image.problem === null && probes.length < 3 && !probes.includes(map.image.url)) probes.push(map.image.url);
    }
  }
  let lost = 0;
  for (const url of probes) {
    const probe = new Image();
    probe.addEventListener("error", () => { if (++lost === probes.length) webLost(); });
    probe.src = url;
  }

  const tip = document.getElementById("tip");
  const rows = [];  // the to-do rows
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
    const left = Math.min(box.left, document.documentElement.clientWidth - tip.offsetWidth - 4);
    tip.style.left = Math.max(0, left + window.scrollX) + "px";
    tip.style.top = (box.bottom + window.scrollY + 6) + "px";
  }
  function hideTip() { tip.hidden = true; }
  // The focused shape's ring: black outside, white inside, so that it shows
  // on any picture, on a layer of its own that the picture's edge does not
  // cut. One pair, moved to the shape that has the focus.
  const rings = [];
  function ring(shape) {
    for (const r of rings) r.remove();
    rings.length = 0;
    if (shape === null) return;
    const layer = shape.ownerSVGElement.nextSibling;
    for (const cls of ["ring outer", "ring inner"]) {
      const r = shape.firstChild.cloneNode();
      r.setAttribute("class", cls);
      rings.push(r);
      layer.append(r);
    }
  }
  document.addEventListener("keydown", (event) => { if (event.key === "Escape") hideTip(); });

  function drawShape(area, width, height, name) {
    const c = area.coords;
    let shape, box;
    if (area.shape === "rect") {
      shape = svg("rect", { x: c[0], y: c[1], width: c[2] - c[0], height: c[3] - c[1] });
      box = [c[0], c[1], c[2], c[3]];
    } else if (area.shape === "circle") {
      shape = svg("circle", { cx: c[0], cy: c[1], r: c[2] });
      box = [c[0] - c[2], c[1] - c[2], c[0] + c[2], c[1] + c[2]];
    } else if (area.shape === "poly") {
      const points = [];
      const xs = [], ys = [];
      for (let i = 0; i + 1 < c.length; i += 2) { points.push(c[i] + "," + c[i + 1]); xs.push(c[i]); ys.push(c[i + 1]); }
      shape = svg("polygon", { points: points.join(" ") });
      box = [Math.min(...xs), Math.min(...ys), Math.max(...xs), Math.max(...ys)];
    } else {
      shape = svg("rect", { x: 0, y: 0, width: width, height: height });
      box = [0, 0, width, height];
    }
    shape.setAttribute("class", "shape");
    const kind = KINDS[area.finding];
    const g = svg("g", { class: "area " + kind.cls, tabindex: 0, role: "button", "data-area": area.index,
      "aria-label": name + ": " + kind.label + ", " + (area.href === null ? "no href" : "links to " + area.href) +
        ", alt " + altText(area.alt) });
    g.append(shape);
    const centre = area.shape === "default" ? null : [(box[0] + box[2]) / 2, (box[1] + box[3]) / 2];
    return { g: g, box: box, centre: centre };
  }

  // Each number goes where it covers no other number and no shape's middle,
  // whole inside the picture, at a legible size whatever the picture is
  // scaled to; where there is no such place it shows only with the tip, on
  // focus and hover. Done again when the picture's width changes.
  const BADGE_H = 18, CHAR_W = 7, BADGE_PAD = 6;
  function placeBadges(picture, shownWidth) {
    const scale = shownWidth / picture.width;
    if (!(scale > 0) || picture.scale === scale) return;
    picture.scale = scale;
    const placed = [];
    const centres = picture.drawn.filter((d) => d.centre !== null).map((d) => d.centre);
    const order = picture.drawn.slice().sort((a, b) =>
      (a.box[2] - a.box[0]) * (a.box[3] - a.box[1]) - (b.box[2] - b.box[0]) * (b.box[3] - b.box[1]));
    const gap = 2 / scale, hh = BADGE_H / 2 / scale;
    for (const d of order) {
      const hw = (d.label.length * CHAR_W + BADGE_PAD) / 2 / scale;
      const [x1, y1, x2, y2] = d.box;
      const candidates = [
        [x1 + hw + gap, y1 + hh + gap], [x2 - hw - gap, y1 + hh + gap], [x1 + hw + gap, y2 - hh - gap], [x2 - hw - gap, y2 - hh - gap],
        [x1 + hw, y1 - hh - gap], [x1 + hw, y2 + hh + gap], [x1 - hw - gap, y1 + hh], [x2 + hw + gap, y1 + hh],
        [x2 - hw, y1 - hh - gap], [x2 - hw, y2 + hh + gap], [x1 - hw - gap, y2 - hh], [x2 + hw + gap, y2 - hh]];
      let spot = null;
      for (const [x, y] of candidates) {
        if (x - hw < 0 || y - hh < 0 || x + hw > picture.width || y + hh > picture.height) continue;
        if (centres.some(([cx, cy]) => Math.abs(cx - x) <= hw + gap && Math.abs(cy - y) <= hh + gap)) continue;
        if (placed.some((p) => Math.abs(p[0] - x) < p[2] + hw + gap && Math.abs(p[1] - y) < p[3] + hh + gap)) continue;
        spot = [x, y, hw, hh];
        break;
      }
      if (spot === null && d.badge === null) continue;
      if (d.badge === null) {
        d.badge = svg("g", { class: "badge " + KINDS[d.area.finding].cls });
        const text = svg("text");
        text.textContent = d.label;
        d.badge.append(svg("rect"), text);
        picture.badges.append(d.badge);
      }
      const b = d.badge;
      b.classList.toggle("placed", spot !== null);
      if (spot === null) continue;
      placed.push(spot);
      b.firstChild.setAttribute("x", spot[0] - hw);
      b.firstChild.setAttribute("y", spot[1] - hh);
      b.firstChild.setAttribute("width", 2 * hw);
      b.firstChild.setAttribute("height", 2 * hh);
      b.firstChild.setAttribute("rx", 3 / scale);
      b.lastChild.setAttribute("x", spot[0]);
      b.lastChild.setAttribute("y", spot[1]);
      b.lastChild.setAttribute("font-size", 12 / scale);
    }
  }
  const pictures = [];
  const resized = typeof ResizeObserver === "function"
    ? new ResizeObserver((changes) => { for (const change of changes) placeBadges(change.target.picture, change.contentRect.width); })
    : null;

  function pictureOf(map, mapName, entries) {
    const figure = el("figure", { class: "figure-wrap" });
    const image = map.image;
    if (image === null) {
      figure.append(el("p", { class: "problem" }, map.name === null
        ? "No image uses this map: it has no name."
        : "No image on this page uses this map (no img with usemap=\"#" + map.name + "\"); its areas are listed only."));
      return figure;
    }
    const sized = image.width !== null && image.height !== null;
    const words = image.src === null ? "The image" : "The image " + image.src;
    let stage = null;
    if (sized) {
      stage = el("div", { class: "stage" + (image.url === null ? " missing-image" : "") });
      stage.style.width = image.width + "px";
      stage.style.aspectRatio = image.width + " / " + image.height;
      if (image.url !== null) {
        const img = el("img", { alt: "The image of " + mapName + ", " + image.src, width: image.width, height: image.height,
          loading: "lazy", decoding: "async" });
        img.addEventListener("error", () => imageLost(picture));
        img.src = image.url;
        stage.append(img);
      }
      const drawing = svg("svg", { viewBox: "0 0 " + image.width + " " + image.height, preserveAspectRatio: "none",
        role: "group", "aria-label": "Areas of " + mapName + " drawn over the image" });
      const badges = svg("g", { "aria-hidden": "true" });
      const picture = { stage: stage, width: image.width, height: image.height, drawn: [], scale: 0, words: words, caption: null,
        badges: badges };
      for (const entry of entries) {
        if (entry.area.shape === null) continue;
        const drawn = drawShape(entry.area, image.width, image.height, entry.name);
        entry.shape = drawn.g;
        drawing.append(drawn.g);
        drawn.area = entry.area;
        drawn.label = entry.area.n + KINDS[entry.area.finding].symbol;
        drawn.badge = null;
        picture.drawn.push(drawn);
      }
      drawing.append(badges);
      stage.append(drawing, svg("svg", { viewBox: "0 0 " + image.width + " " + image.height, preserveAspectRatio: "none",
        class: "rings", "aria-hidden": "true", focusable: "false" }));
      figure.append(stage);
      stage.picture = picture;
      pictures.push(picture);
      if (resized) resized.observe(stage);
      if (image.problem === null) {
        picture.caption = el("figcaption", {}, words + ", shown at " + image.width + " \u00d7 " + image.height + " pixels as the page shows it.");
        figure.append(picture.caption);
        return figure;
      }
    }
    figure.append(el("p", { class: "problem" }, words + " cannot be shown: " + image.problem +
      (sized ? "; the areas are drawn on a blank of its size." : "; its areas are listed only.")));
    return figure;
  }

  function cell(cls, label, text) {
    return el("td", label ? { class: cls, role: "cell", "data-label": label + ": " } : { class: cls, role: "cell" }, text);
  }

  // A row's state, kept apart from its box, which a page not yet built has
  // not got: typed, an accepted suggestion, or empty.
  function stateOf(entry) {
    if (entry.value === "") return "left";
    return entry.accepted ? "accepted" : "typed";
  }
  function mark(entry) {
    if (!entry.input) return;
    const area = entry.area;
    const state = stateOf(entry);
    const from = area.from !== null ? SOURCES[area.from] || area.from : null;
    if (entry.input.value !== entry.value) entry.input.value = entry.value;
    entry.input.classList.toggle("accepted", state === "accepted");
    entry.marker.classList.toggle("typed", state === "typed");
    entry.marker.textContent = state === "typed" ? "Your text; it is saved as the new alt."
      : state === "accepted" ? "The suggestion, accepted (from " + from + "); edit it to change it."
      : area.suggestion !== null ? "Empty: saves no new alt. Suggested: " + quoted(area.suggestion) + ", from " + from + "."
      : "Empty: saves no new alt. No suggestion: type a text.";
  }
  function setBox(entry, value, accepted) {
    entry.value = value;
    entry.accepted = accepted && value !== "";
    if (value === "") delete kept[entry.key]; else kept[entry.key] = entry.accepted ? { v: value, a: 1 } : { v: value };
    mark(entry);
  }

  function rowOf(entry) {
    const area = entry.area;
    const kind = KINDS[area.finding];
    const row = el("tr", { "data-area": area.index, role: "row" });
    entry.row = row;
    const head = el("th", { scope: "row", role: "rowheader", class: "c-num" });
    head.append(String(area.n), el("span", { class: "list-number" }, "list: area " + area.index));
    const finding = cell("kind c-kind " + kind.cls, null, kind.label);
    const target = cell("c-link", "Link target");
    if (area.href === null) {
      target.append(el("span", { class: "alt-none" }, "no href"));
    } else if (area.link !== null) {
      const link = el("a", {}, area.href === "" ? "(this page)" : area.href);
      link.href = area.link;
      target.append(link);
    } else {
      target.append(area.href);
    }
    const current = cell("c-now" + (area.alt === null || area.alt.trim() === "" ? " alt-none" : ""), "Current alt", altText(area.alt));
    if (area.title != null) current.append(el("span", { class: "also" }, "title: " + altText(area.title)));
    if (area.ariaLabel != null) current.append(el("span", { class: "also" }, "aria-label: " + altText(area.ariaLabel)));
    const box = cell("c-new");
    if (entry.todo) {
      const id = entry.id;
      const input = el("input", { type: "text", id: id, "aria-describedby": id + "-marker", autocomplete: "off" });
      entry.input = input;
      entry.marker = el("span", { class: "marker", id: id + "-marker" });
      mark(entry);
      input.addEventListener("input", () => { setBox(entry, input.value, false); keep(); counted(entry); });
      input.setAttribute("aria-label", "Alt text for " + entry.name);
      box.append(input, entry.marker);
    } else {
      row.classList.add("done-row");
      box.classList.add("alt-none");
      box.textContent = area.finding === "fine" ? "Nothing to write." : "Remove its alt in the page.";
    }
    const show = cell("c-show");
    if (entry.shape) {
      const button = el("button", { type: "button", "aria-label": "Show " + entry.name + " on the image" }, "Show");
      button.addEventListener("click", () => { entry.shape.focus(); });
      show.append(button);
    } else {
      show.classList.add("alt-none");
      show.textContent = "No shape to draw.";
    }
    row.append(head, finding, target, current, show, box);
    row.addEventListener("focusin", () => setActive(entry.key));
    row.addEventListener("mouseenter", () => setActive(entry.key));
    return row;
  }

  // What is left, per page and in all; the bar's line and the contents.
  const countsLine = document.getElementById("counts");
  function countAll() {
    let typed = 0, accepted = 0, left = 0;
    for (const entry of rows) {
      const state = stateOf(entry);
      if (state === "typed") ++typed; else if (state === "accepted") ++accepted; else ++left;
    }
    return { typed: typed, accepted: accepted, left: left };
  }
  function showCounts() {
    const c = countAll();
    countsLine.textContent = c.typed + " typed, " + c.accepted + " accepted, " + c.left + " of " + rows.length + " left";
  }
  function showPage(ps) {
    const left = ps.rows.filter((e) => e.value === "").length;
    ps.tocCount.textContent = ps.rows.length === 0 ? "no rows" : left + " of " + plural(ps.rows.length, "row", "rows") + " left";
  }
  function counted(entry) {
    showPage(pageStates[entry.page]);
    showCounts();
  }

  // Every row and the contents first, from the data alone; the pages'
  // pictures and tables after, a few at a time, so that the report opens at
  // once however large the web. A page asked for is built at once, with
  // those before it.
  const pagesNode = document.getElementById("pages");
  const contents = document.getElementById("contents");
  const pageStates = data.pages.map((page, p) => {
    const pageId = "p" + (p + 1);
    const ps = { page: page, id: pageId, rows: [], maps: [], tocCount: el("span"), section: null, heading: null };
    const names = new Map();
    for (const map of page.maps) names.set(map.name, (names.get(map.name) || 0) + 1);
    page.maps.forEach((map, m) => {
      const mapId = pageId + "-m" + (m + 1);
      const mapName = (map.name === null ? "the map without a name" : "map " + map.name) +
        (names.get(map.name) > 1 ? " (map " + (m + 1) + " of the page)" : "") + " on " + page.path;
      const entries = map.areas.map((area) => {
        const key = page.path + "\n" + area.index;
        const stored = kept[key];
        const value = typeof stored === "string" ? stored : stored && typeof stored.v === "string" ? stored.v : "";
        const entry = {
          area: area, key: key, page: p, shape: null, input: null, id: mapId + "-a" + area.n, todo: area.csv !== null,
          value: value, accepted: !!(stored && stored.a) && value !== "",
          name: "area " + area.n + " of " + mapName +
            (area.href === null ? ", linking nowhere" : ", linking to " + (area.href === "" ? "this page" : area.href)) };
        byKey.set(key, entry);
        if (entry.todo) { rows.push(entry); ps.rows.push(entry); }
        return entry;
      });
      ps.maps.push({ map: map, id: mapId, name: mapName, entries: entries });
    });
    const item = el("li");
    const link = el("a", { href: "#" + pageId + "-heading" }, page.path);
    link.addEventListener("click", (event) => goTo(p, event));
    item.append(link, ": ", ps.tocCount);
    showPage(ps);
    contents.append(item);
    return ps;
  });

  // Moving to a page puts the keyboard there too, on its heading.
  function goTo(p, event) {
    if (event) event.preventDefault();
    const heading = p === null ? document.getElementById("contents-heading") : build(p).heading;
    heading.focus({ preventScroll: true });
    heading.scrollIntoView({ block: "start" });
  }

  function buildMap(ps, part, mapPart) {
    const map = mapPart.map, mapName = mapPart.name, entries = mapPart.entries;
    part.append(el("h3", { id: mapPart.id + "-heading" }, (map.name === null ? "A map without a name" : "Map " + quoted(map.name)) +
      ", " + plural(map.areas.length, "area", "areas")));
    part.append(pictureOf(map, mapName, entries));
    const table = el("table", { class: "areas", role: "table" });
    table.append(el("caption", { class: "visually-hidden" }, "Areas of " + mapName));
    const head = el("tr", { role: "row" });
    for (const [name, cls] of [["Area", "c-num"], ["Finding", "c-kind"], ["Link target", "c-link"], ["Current alt", "c-now"],
                               ["Shape", "c-show"], ["New alt", "c-new"]]) head.append(el("th", { scope: "col", role: "columnheader", class: cls }, name));
    const thead = el("thead", { role: "rowgroup" });
    thead.append(head);
    const tbody = el("tbody", { role: "rowgroup" });
    for (const entry of entries) {
      tbody.append(rowOf(entry));
      if (!entry.shape) continue;
      const shape = entry.shape;
      shape.addEventListener("focus", () => { setActive(entry.key); showTip(entry); ring(shape); });
      shape.addEventListener("blur", () => { hideTip(); ring(null); });
      shape.addEventListener("mouseenter", () => { setActive(entry.key); showTip(entry); });
      shape.addEventListener("mouseleave", hideTip);
      const open = () => { (entry.input || entry.row.querySelector("button")).focus(); };
      shape.addEventListener("click", open);
      shape.addEventListener("keydown", (event) => {
        if (event.key === "Enter" || event.key === " ") { event.preventDefault(); open(); }
      });
    }
    const mapRows = entries.filter((e) => e.todo);
    if (mapRows.length === 0) part.classList.add("no-rows");
    const withSuggestion = mapRows.filter((e) => e.area.suggestion !== null);
    if (withSuggestion.length > 0) {
      const words = "Accept the suggestions (" + withSuggestion.length + ")";
      const accept = el("button", { type: "button", class: "accept-map", "aria-label": words + " for " + mapName }, words);
      accept.addEventListener("click", () => {
        const filled = acceptAll(withSuggestion);
        status.textContent = "Filled " + plural(filled, "empty box", "empty boxes") + " of " + mapName + " with its suggestion.";
      });
      const line = el("p");
      line.append(accept);
      part.append(line);
    }
    table.append(thead, tbody);
    part.append(table);
  }

  function buildPage(p) {
    const ps = pageStates[p];
    const section = el("section", { class: "page-part", "aria-labelledby": ps.id + "-heading", "data-path": ps.page.path, id: ps.id });
    ps.heading = el("h2", { id: ps.id + "-heading", tabindex: "-1" }, ps.page.path);
    // Each page leads to the one before and after it and back to the list.
    const nav = el("p", { class: "page-nav" });
    nav.append(el("span", {}, "Page " + (p + 1) + " of " + pageStates.length));
    for (const [words, other] of [["Previous page: ", p - 1], ["Next page: ", p + 1]]) {
      if (other < 0 || other >= pageStates.length) continue;
      const link = el("a", { href: "#" + pageStates[other].id + "-heading" }, words + pageStates[other].page.path);
      link.addEventListener("click", (event) => goTo(other, event));
      nav.append(link);
    }
    const back = el("a", { href: "#contents-heading" }, "Contents");
    back.addEventListener("click", (event) => goTo(null, event));
    nav.append(back);
    section.append(ps.heading, nav);
    for (const mapPart of ps.maps) {
      const part = el("div", { class: "map-part" });
      buildMap(ps, part, mapPart);
      section.append(part);
    }
    if (ps.rows.length === 0) section.classList.add("no-rows");
    ps.section = section;
    return section;
  }
  let built = 0;
  function build(upTo) {
    if (built <= upTo) {
      const batch = document.createDocumentFragment();
      while (built <= upTo) batch.append(buildPage(built++));
      pagesNode.append(batch);
      if (built === pageStates.length) {
        document.documentElement.dataset.built = "all";
        performance.mark("report-built");
      }
    }
    return pageStates[upTo];
  }
  function buildSome(budget) {
    const start = performance.now();
    while (built < pageStates.length && performance.now() - start < budget) build(built);
    if (built < pageStates.length) window.setTimeout(() => buildSome(40), 0);
  }
  if (data.pages.length === 0) {
    pagesNode.append(el("p", {}, "No page has a finding."));
    document.documentElement.dataset.built = "all";
  } else {
    // The first screen shows the summary and the contents: the pages follow
    // once the page is loaded.
    document.addEventListener("DOMContentLoaded", () => {
      const asked = pageStates.findIndex((ps) => "#" + ps.id + "-heading" === window.location.hash);
      if (asked >= 0) goTo(asked);
      buildSome(40);
    });
  }
  document.getElementById("to-contents").addEventListener("click", (event) => goTo(null, event));
  const status = document.getElementById("status");
  showCounts();

  function acceptAll(entries) {
    let filled = 0;
    for (const entry of entries) {
      if (entry.value !== "" || entry.area.suggestion === null) continue;
      setBox(entry, entry.area.suggestion, true);
      ++filled;
    }
    keep();
    for (const ps of pageStates) showPage(ps);
    showCounts();
    return filled;
  }
  document.getElementById("accept-all").addEventListener("click", () => {
    const filled = acceptAll(rows);
    status.textContent = "Filled " + plural(filled, "empty box", "empty boxes") + " with its suggestion.";
  });
  document.getElementById("only-left").addEventListener("change", (event) => {
    document.body.classList.toggle("only-left", event.target.checked);
  });

  // The bar stays in view: what gets the focus is scrolled clear of it.
  const bar = document.getElementById("bar");
  function barHeight() { return window.getComputedStyle(bar).position === "sticky" ? bar.offsetHeight : 0; }
  function clearOfBar() { document.documentElement.style.scrollPaddingTop = (barHeight() + 8) + "px"; }
  if (typeof ResizeObserver === "function") new ResizeObserver(clearOfBar).observe(document.documentElement); else clearOfBar();
  document.addEventListener("focusin", (event) => {
    if (barHeight() === 0 || bar.contains(event.target)) return;
    const box = event.target.getBoundingClientRect();
    const under = bar.getBoundingClientRect().bottom;
    if (box.top < under + 4 && event.target !== document.body) window.scrollBy(0, box.top - under - 8);
  });

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
      list += [before, csvCell(entry.value), after].filter((cell) => cell !== null).join(",") + "\r\n";
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
    const c = countAll();
    status.textContent = "Saved todo.csv: " + plural(rows.length, "row", "rows") + ", " +
      c.typed + " typed, " + plural(c.accepted, "suggestion", "suggestions") + " accepted, " + c.left + " left empty.";
  });
})();
</script>
</body>
</html>
)html";

}  // namespace audit
