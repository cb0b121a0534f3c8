// The station's page: status, the latest spectrum drawn as the desktop draws it, the day's
// integral irradiance and spectrogram, and the list of days. Everything comes from /api/ of the
// same server; the page refreshes itself after each cycle without reloading.
"use strict";

const TEXTS = {
  en: {
    status: "Station", sensor: "Sensor", sensorStatus: "Status", spectrum: "Spectrum", day: "Day",
    days: "Days", date: "Date", dayFile: "Day file", showLatest: "Show the latest",
    clickHint: "Click the integral line or the spectrogram to see that point's spectrum.",
    latest: "(latest)", selected: "(selected point)", state: "State", reason: "Reason",
    lastCycle: "Last cycle", stored: "stored", notStored: "not stored", nextBoundary: "Next boundary",
    counters: "Since start", cyclesStored: "{0} cycles, {1} stored, {2} not stored", freeSpace: "Free space",
    daysLeft: "{0} GB, {1} days left", daysUnknown: "{0} GB, rate not known yet", clock: "Clock",
    synced: "synchronised", notSynced: "not synchronised", unknown: "unknown", updated: "Status written",
    noPoint: "No measurement yet", wavelength: "Wavelength (nm)", irradiance: "Irradiance(W/m2/um)",
    integral: "Integral (W/m2)", hour: "Local time", failed: "failed", states: {
      idle: "idle", starting: "starting", measuring: "measuring", stopping: "stopping", stopped: "stopped",
      unknown: "no status" },
    position: "Latitude {0}, longitude {1}, altitude {2} m", offline: "The station does not answer",
  },
  ja: {
    status: "観測局", sensor: "センサー", sensorStatus: "状態", spectrum: "スペクトル", day: "日",
    days: "日ごとのファイル", date: "日付", dayFile: "日データ", showLatest: "最新を表示",
    clickHint: "積算照度の線またはスペクトログラムをクリックすると、その時刻のスペクトルを表示します。",
    latest: "(最新)", selected: "(選択した時刻)", state: "状態", reason: "理由",
    lastCycle: "前回の測定", stored: "保存済み", notStored: "未保存", nextBoundary: "次の測定",
    counters: "開始以来", cyclesStored: "{0} 回測定、{1} 回保存、{2} 回未保存", freeSpace: "空き容量",
    daysLeft: "{0} GB、残り {1} 日", daysUnknown: "{0} GB、消費の速さは未確定", clock: "時計",
    synced: "同期済み", notSynced: "未同期", unknown: "不明", updated: "状態の更新",
    noPoint: "まだ測定がありません", wavelength: "波長 (nm)", irradiance: "放射照度(W/m2/um)",
    integral: "積算照度 (W/m2)", hour: "現地時刻", failed: "失敗", states: {
      idle: "待機中", starting: "開始中", measuring: "測定中", stopping: "停止中", stopped: "停止",
      unknown: "状態なし" },
    position: "緯度 {0}、経度 {1}、高度 {2} m", offline: "観測局が応答しません",
  },
};
const LANG = ((navigator.languages && navigator.languages[0]) || navigator.language || "en")
  .toLowerCase().startsWith("ja") ? "ja" : "en";
const T = TEXTS[LANG];
const fill = (text, ...values) => values.reduce((s, v, i) => s.replace("{" + i + "}", v), text);

const view = {
  status: null,      // /api/status
  dayDate: null,     // the day shown; follows the latest day until the user picks another
  followLatest: true,
  day: null,         // /api/days/DATE
  spectrogram: null, // { points, fromNm, width, levels: Uint8Array }
  point: null,       // the spectrum drawn
  selected: null,    // index of a clicked point; null: the latest
  cycleSeen: null,   // stamp of the last cycle drawn
};

async function getJson(url) {
  const response = await fetch(url, { cache: "no-store" });
  if (!response.ok) throw new Error(url + ": " + response.status);
  return response.json();
}

// Largest of 1, 2, 5 x 10^k giving at least five whole intervals, as the desktop graph steps.
function tickStep(span) {
  for (let power = 1e6; power >= 1e-3; power /= 10)
    for (const m of [1, 0.5, 0.2]) {
      const c = power * m;
      if (c >= 0.002 - 1e-12 && Math.trunc(span / c + 1e-9) >= 5) return c;
    }
  return 0.001;
}
// Labels with as many decimals as the step needs.
const stepLabel = step => v => v.toFixed(Math.max(0, Math.min(3, -Math.floor(Math.log10(step) + 1e-9))));
function ticks(min, max, step) {
  const out = [];
  if (!(step > 0) || max < min) return out;
  for (let i = Math.ceil(min / step - 1e-9); i <= Math.floor(max / step + 1e-9) && out.length < 200; i++)
    out.push(i * step);
  return out;
}

// A canvas sized to its box on the screen; drawing in CSS pixels.
function prepare(canvas, heightRatio) {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(280, canvas.clientWidth || canvas.width);
  const height = Math.round(width * heightRatio);
  canvas.width = Math.round(width * ratio);
  canvas.height = Math.round(height * ratio);
  const ctx = canvas.getContext("2d");
  ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  ctx.clearRect(0, 0, width, height);
  ctx.fillStyle = "#fff";
  ctx.fillRect(0, 0, width, height);
  return { ctx, W: width, H: height };
}

function mapper(plot, xMin, xMax, yMin, yMax) {
  return {
    x: v => plot.l + (v - xMin) * (plot.r - plot.l) / (xMax - xMin),
    y: v => plot.b - (v - yMin) * (plot.b - plot.t) / (yMax - yMin),
  };
}

function polyline(ctx, xs, ys, map) {
  ctx.beginPath();
  let open = false;
  for (let i = 0; i < xs.length; i++) {
    if (ys[i] === null || !isFinite(ys[i])) { open = false; continue; }
    const px = map.x(xs[i]), py = map.y(ys[i]);
    if (open) ctx.lineTo(px, py); else ctx.moveTo(px, py);
    open = true;
  }
  ctx.stroke();
}

// Axes, tick labels and grid of a plot, in the frame colour.
function axes(ctx, plot, map, x, y, font, colour, gridLines) {
  ctx.strokeStyle = colour;
  ctx.fillStyle = "#000";
  ctx.font = font + "px serif";
  ctx.lineWidth = 1;
  ctx.textAlign = "center";
  ctx.textBaseline = "top";
  for (const v of x.ticks) {
    const px = map.x(v);
    ctx.beginPath(); ctx.moveTo(px, plot.b); ctx.lineTo(px, plot.b + font * 0.6); ctx.stroke();
    ctx.fillText(x.label(v), px, plot.b + font * 0.7);
    if (gridLines) { ctx.beginPath(); ctx.moveTo(px, plot.b); ctx.lineTo(px, plot.t); ctx.stroke(); }
  }
  ctx.textAlign = "right";
  ctx.textBaseline = "middle";
  for (const v of y.ticks) {
    const py = map.y(v);
    ctx.beginPath(); ctx.moveTo(plot.l, py); ctx.lineTo(plot.l - font * 0.6, py); ctx.stroke();
    ctx.fillText(y.label(v), plot.l - font * 0.7, py);
    if (gridLines) { ctx.beginPath(); ctx.moveTo(plot.l, py); ctx.lineTo(plot.r, py); ctx.stroke(); }
  }
}

function clipTo(ctx, plot) {
  ctx.save();
  ctx.beginPath();
  ctx.rect(plot.l + 1, plot.t + 1, plot.r - plot.l - 2, plot.b - plot.t - 2);
  ctx.clip();
}

// The spectrum graph: memo as title, time and integral above the frame, wavelength and irradiance
// axes, every sensor's own pixels in grey and the 1 nm spectrum in the curve colour.
function drawSpectrum() {
  const canvas = document.getElementById("spectrum");
  const { ctx, W, H } = prepare(canvas, 0.62);
  const g = view.status ? view.status.graph : { left_nm: 300, right_nm: 1800, top: 100, bottom: 0, auto_scale: true,
    grid: true, curve_colour: "#ff0000", frame_colour: "#008000" };
  const p = view.point;
  const plot = { l: Math.max(Math.trunc(W * 0.11), 48), t: Math.trunc(H * 0.125), r: Math.trunc(W * 0.97),
                 b: Math.trunc(H * 0.85) };
  const font = Math.max(11, Math.trunc(H / 40));
  const xMin = g.left_nm, xMax = g.right_nm > g.left_nm ? g.right_nm : g.left_nm + 1;
  const yMin = g.bottom;
  let yMax = g.auto_scale && p ? p.grid.max * 1.2 : g.top;
  if (!(yMax > yMin)) yMax = yMin + 1;
  ctx.fillStyle = "#000";
  ctx.textAlign = "center";
  ctx.textBaseline = "alphabetic";
  ctx.font = Math.max(14, Math.trunc(H / 30)) + "px serif";
  ctx.fillText(p ? p.memo : T.noPoint, W / 2, Math.trunc(H * 0.06));
  ctx.font = font + "px serif";
  ctx.fillText(T.wavelength, W / 2, Math.trunc(H * 0.97));
  ctx.save();
  ctx.translate(Math.max(12, Math.trunc(W * 0.025)), H / 2);
  ctx.rotate(-Math.PI / 2);
  ctx.fillText(T.irradiance, 0, 0);
  ctx.restore();
  ctx.strokeStyle = g.frame_colour;
  ctx.lineWidth = Math.max(1, H / 500);
  ctx.strokeRect(plot.l, plot.t, plot.r - plot.l, plot.b - plot.t);
  const drawn = document.getElementById("drawn");
  if (!p) { drawn.dataset.spectrumPoints = "0"; return; }
  ctx.textAlign = "left";
  ctx.textBaseline = "bottom";
  ctx.fillText(p.time.local.replace("T", " ").slice(0, 19), plot.l, plot.t - 2);
  ctx.textAlign = "right";
  ctx.fillText(p.integral_text, plot.r, plot.t - 2);
  const map = mapper(plot, xMin, xMax, yMin, yMax);
  axes(ctx, plot, map, { ticks: ticks(xMin, xMax, tickStep(xMax - xMin)), label: v => v.toFixed(0) },
       { ticks: ticks(yMin, yMax, tickStep(yMax - yMin)), label: v => v.toFixed(1) }, font, g.frame_colour, g.grid);
  clipTo(ctx, plot);
  ctx.lineWidth = 1;
  ctx.strokeStyle = "rgb(200,200,200)";
  for (const s of p.sensors) polyline(ctx, s.wavelength_nm, s.irradiance_w_m2_um, map);
  ctx.strokeStyle = g.curve_colour;
  ctx.lineWidth = 1.5;
  const grid = p.grid.irradiance_w_m2_um;
  polyline(ctx, grid.map((_, i) => p.grid.start_nm + i), grid, map);
  ctx.restore();
  document.getElementById("report").textContent = p.report[LANG];
  drawn.dataset.spectrumPoints = String(grid.length);
  drawn.dataset.spectrumSensors = p.sensors.map(s => s.model).join(" ");
  drawn.dataset.spectrumTime = p.time.utc;
  drawn.dataset.spectrumIndex = String(p.index);
}

// The time axis of the day: whole hours around its points, in local seconds of the day.
function dayRange(points) {
  const first = points.length ? points[0].second_of_day : 0;
  const last = points.length ? points[points.length - 1].second_of_day : 86400;
  const from = Math.floor(first / 3600) * 3600;
  return { from, to: Math.max(from + 3600, Math.ceil((last + 1) / 3600) * 3600) };
}
function hourTicks(range) {
  const hours = (range.to - range.from) / 3600;
  const step = [1, 2, 3, 6].find(h => hours / h <= 8) || 6;
  return { ticks: ticks(range.from, range.to, step * 3600),
           label: v => String(Math.floor(v / 3600)).padStart(2, "0") + ":00" };
}
function dayPlot(W, H) {
  return { l: Math.max(Math.trunc(W * 0.11), 48), t: 10, r: Math.trunc(W * 0.97), b: H - 28 };
}
function cursorIndex() {
  if (!view.day || !view.day.points.length) return -1;
  return view.selected !== null ? view.selected : view.day.points.length - 1;
}
function drawCursor(ctx, plot, map) {
  const i = cursorIndex();
  if (i < 0) return;
  const px = map.x(view.day.points[i].second_of_day);
  ctx.strokeStyle = "#1456a0";
  ctx.lineWidth = 1.5;
  ctx.beginPath(); ctx.moveTo(px, plot.t); ctx.lineTo(px, plot.b); ctx.stroke();
}

function drawIntegral() {
  const canvas = document.getElementById("integral");
  const { ctx, W, H } = prepare(canvas, 0.28);
  const points = view.day ? view.day.points : [];
  const range = dayRange(points);
  const plot = dayPlot(W, H);
  const values = points.map(p => p.integral_w_m2);
  const top = Math.max(1, ...values.filter(v => v !== null)) * 1.1;
  const map = mapper(plot, range.from, range.to, 0, top);
  const frame = view.status ? view.status.graph.frame_colour : "#008000";
  axes(ctx, plot, map, hourTicks(range), { ticks: ticks(0, top, tickStep(top)), label: stepLabel(tickStep(top)) },
       11, frame, true);
  ctx.strokeStyle = frame;
  ctx.strokeRect(plot.l, plot.t, plot.r - plot.l, plot.b - plot.t);
  ctx.save();
  ctx.translate(12, (plot.t + plot.b) / 2);
  ctx.rotate(-Math.PI / 2);
  ctx.textAlign = "center";
  ctx.fillText(T.integral, 0, 0);
  ctx.restore();
  clipTo(ctx, plot);
  ctx.strokeStyle = view.status ? view.status.graph.curve_colour : "#ff0000";
  ctx.lineWidth = 1.5;
  polyline(ctx, points.map(p => p.second_of_day), values, map);
  drawCursor(ctx, plot, map);
  ctx.restore();
  canvas.plot = { plot, map, range };
}

// Levels 0..254 as a dark-blue to yellow scale; 255 (no sensor) stays white.
function levelColour(level) {
  const stops = [[13, 8, 135], [84, 2, 163], [156, 23, 158], [205, 73, 117], [237, 121, 83], [253, 180, 47], [240, 249, 33]];
  const x = level / 254 * (stops.length - 1);
  const i = Math.min(stops.length - 2, Math.floor(x)), f = x - i;
  return stops[i].map((c, k) => Math.round(c + (stops[i + 1][k] - c) * f));
}

function drawSpectrogram() {
  const canvas = document.getElementById("spectrogram");
  const { ctx, W, H } = prepare(canvas, 0.32);
  const points = view.day ? view.day.points : [];
  const s = view.spectrogram;
  const range = dayRange(points);
  const plot = dayPlot(W, H);
  const from = s ? s.fromNm : 300, to = s ? s.fromNm + s.width - 1 : 1800;
  const map = mapper(plot, range.from, range.to, from, to);
  if (s && s.points === points.length && s.points > 0) {
    const image = new ImageData(s.points, s.width);
    const palette = Array.from({ length: 255 }, (_, l) => levelColour(l));
    for (let j = 0; j < s.points; j++)
      for (let w = 0; w < s.width; w++) {
        const level = s.levels[j * s.width + w];
        const o = ((s.width - 1 - w) * s.points + j) * 4;
        const c = level === 255 ? [255, 255, 255] : palette[level];
        image.data[o] = c[0]; image.data[o + 1] = c[1]; image.data[o + 2] = c[2]; image.data[o + 3] = 255;
      }
    const sheet = document.createElement("canvas");
    sheet.width = s.points;
    sheet.height = s.width;
    sheet.getContext("2d").putImageData(image, 0, 0);
    const gap = points.length > 1 ? (points[points.length - 1].second_of_day - points[0].second_of_day) / (points.length - 1) : 60;
    clipTo(ctx, plot);
    for (let j = 0; j < s.points; j++) {
      const x0 = map.x(points[j].second_of_day);
      const next = j + 1 < s.points ? points[j + 1].second_of_day : points[j].second_of_day + gap;
      const x1 = map.x(Math.min(next, points[j].second_of_day + 2 * gap));
      ctx.drawImage(sheet, j, 0, 1, s.width, x0, plot.t, Math.max(1, x1 - x0), plot.b - plot.t);
    }
    ctx.restore();
  }
  const frame = view.status ? view.status.graph.frame_colour : "#008000";
  axes(ctx, plot, map, hourTicks(range), { ticks: ticks(from, to, tickStep(to - from)), label: v => v.toFixed(0) },
       11, frame, false);
  ctx.strokeStyle = frame;
  ctx.lineWidth = 1;
  ctx.strokeRect(plot.l, plot.t, plot.r - plot.l, plot.b - plot.t);
  clipTo(ctx, plot);
  drawCursor(ctx, plot, map);
  ctx.restore();
  canvas.plot = { plot, map, range };
  const drawn = document.getElementById("drawn");
  drawn.dataset.spectrogram = s ? s.points + "x" + s.width : "0x0";
}

function drawDay() {
  drawIntegral();
  drawSpectrogram();
  const drawn = document.getElementById("drawn");
  drawn.dataset.dayDate = view.day ? view.day.date : "";
  drawn.dataset.dayPoints = String(view.day ? view.day.points.length : 0);
  document.getElementById("day-date").textContent = view.day
    ? view.day.date.slice(0, 4) + "/" + view.day.date.slice(4, 6) + "/" + view.day.date.slice(6) : "";
  const warning = document.getElementById("day-warning");
  warning.hidden = !(view.day && view.day.warning);
  warning.textContent = view.day ? view.day.warning : "";
}

function addRow(list, term, value) {
  const dt = document.createElement("dt");
  const dd = document.createElement("dd");
  dt.textContent = term;
  dd.textContent = value;
  list.append(dt, dd);
}
const localTime = time => time ? time.local.replace("T", " ").slice(0, 19) : "–";

function showStatus() {
  const s = view.status;
  const state = document.getElementById("state");
  state.dataset.code = String(s.verdict.code);
  state.textContent = T.states[s.state] || s.state;
  const site = view.day ? view.day.site : null;
  const name = s.station.name || (site && site.name) || "Spectrel";
  document.getElementById("station-name").textContent = name;
  document.title = name + " – Spectrel";
  const lat = site ? site.latitude : s.station.latitude, lon = site ? site.longitude : s.station.longitude;
  document.getElementById("station-position").textContent =
    fill(T.position, lat, lon, site ? site.altitude : s.station.altitude);
  const list = document.getElementById("status-list");
  list.replaceChildren();
  addRow(list, T.state, T.states[s.state] || s.state);
  if (s.verdict.code !== 0) addRow(list, T.reason, s.verdict.text);
  if (s.last_cycle)
    addRow(list, T.lastCycle, localTime(s.last_cycle.time) + ", " +
           (s.last_cycle.stored ? T.stored : T.notStored + ": " + s.last_cycle.reason));
  if (s.next_boundary) addRow(list, T.nextBoundary, localTime(s.next_boundary));
  if (s.counters)
    addRow(list, T.counters, fill(T.cyclesStored, s.counters.cycles, s.counters.stored, s.counters.not_stored));
  if (s.disk && s.disk.free_bytes !== null) {
    const gb = (s.disk.free_bytes / 1e9).toFixed(1);
    addRow(list, T.freeSpace, s.disk.days_left !== null ? fill(T.daysLeft, gb, s.disk.days_left.toFixed(1))
                                                         : fill(T.daysUnknown, gb));
  }
  addRow(list, T.clock, s.clock_synchronised === null ? T.unknown : s.clock_synchronised ? T.synced : T.notSynced);
  if (s.updated) addRow(list, T.updated, localTime(s.updated));
  const body = document.querySelector("#sensor-table tbody");
  body.replaceChildren();
  for (const sensor of (s.last_cycle ? s.last_cycle.sensors : [])) {
    const row = body.insertRow();
    row.insertCell().textContent = sensor.model;
    const cell = row.insertCell();
    cell.textContent = sensor.status || (sensor.ok ? "OK" : T.failed);
    if (!sensor.ok) cell.className = "bad";
  }
  const drawn = document.getElementById("drawn");
  drawn.dataset.state = s.state;
  drawn.dataset.cycle = s.last_cycle ? String(s.last_cycle.time.stamp) : "";
}

function link(href, text) {
  const a = document.createElement("a");
  a.href = href;
  a.textContent = text;
  return a;
}

async function showDays() {
  const { days } = await getJson("/api/days");
  const body = document.querySelector("#day-table tbody");
  body.replaceChildren();
  for (const d of days) {
    const row = body.insertRow();
    const dateCell = row.insertCell();
    const label = d.date.slice(0, 4) + "/" + d.date.slice(4, 6) + "/" + d.date.slice(6);
    if (d.day_file) {
      const a = link("#day=" + d.date, label);
      a.addEventListener("click", event => { event.preventDefault(); pickDay(d.date); });
      dateCell.append(a);
    } else dateCell.textContent = label;
    const file = row.insertCell();
    if (d.day_file) file.append(link(d.day_file, d.date + ".KRF"));
    const csv = row.insertCell();
    csv.className = "csv";
    for (const href of d.csv) csv.append(link(href, href.slice(-6, -4)));
    const nc = row.insertCell();
    if (d.netcdf) nc.append(link(d.netcdf, d.date + ".nc"));
  }
  document.getElementById("drawn").dataset.days = String(days.length);
}

function decodeLevels(text) {
  const bytes = atob(text);
  const levels = new Uint8Array(bytes.length);
  for (let i = 0; i < bytes.length; i++) levels[i] = bytes.charCodeAt(i);
  return levels;
}

async function loadDay(date) {
  const [day, s] = await Promise.all([getJson("/api/days/" + date), getJson("/api/days/" + date + "/spectrogram")]);
  view.day = day;
  view.spectrogram = { points: s.points, fromNm: s.from_nm, width: s.width, levels: decodeLevels(s.levels) };
  drawDay();
}

async function loadPoint() {
  const which = document.getElementById("spectrum-which");
  const back = document.getElementById("back-to-latest");
  try {
    view.point = view.selected === null ? await getJson("/api/latest")
                                        : await getJson("/api/days/" + view.dayDate + "/points/" + view.selected);
  } catch (e) {
    view.point = null;
  }
  which.textContent = view.selected === null ? T.latest : T.selected;
  back.hidden = view.selected === null && view.followLatest;
  drawSpectrum();
}

async function pickDay(date) {
  view.followLatest = false;
  view.dayDate = date;
  view.selected = null;
  await loadDay(date);
  if (view.day.points.length) view.selected = view.day.points.length - 1;
  drawDay();
  await loadPoint();
}

function onDayClick(event) {
  const canvas = event.currentTarget;
  if (!canvas.plot || !view.day || !view.day.points.length) return;
  const rect = canvas.getBoundingClientRect();
  const { plot, range } = canvas.plot;
  const x = (event.clientX - rect.left) * (canvas.clientWidth / rect.width);
  const second = range.from + (x - plot.l) * (range.to - range.from) / (plot.r - plot.l);
  let best = 0;
  view.day.points.forEach((p, i) => {
    if (Math.abs(p.second_of_day - second) < Math.abs(view.day.points[best].second_of_day - second)) best = i;
  });
  view.selected = best;
  drawDay();
  loadPoint();
}

let refreshTimer = null;
async function refresh() {
  clearTimeout(refreshTimer);
  let delay = 5000;
  try {
    view.status = await getJson("/api/status");
    showStatus();
    const cycle = view.status.last_cycle ? view.status.last_cycle.time.stamp : null;
    const latest = view.status.latest_day;
    if (cycle !== view.cycleSeen || (view.followLatest && latest !== view.dayDate)) {
      view.cycleSeen = cycle;
      if (view.followLatest) view.dayDate = latest;
      await showDays();
      if (view.dayDate && (view.followLatest || view.dayDate === latest)) await loadDay(view.dayDate);
      if (view.selected === null) await loadPoint();
    }
    if (view.status.next_boundary) {
      const untilNext = (view.status.next_boundary.stamp - view.status.now.stamp) * 1000 + 1500;
      if (untilNext > 500 && untilNext < delay) delay = untilNext;
    }
  } catch (e) {
    document.getElementById("state").textContent = T.offline;
    document.getElementById("state").dataset.code = "3";
  }
  refreshTimer = setTimeout(refresh, delay);
}

function start() {
  document.documentElement.lang = LANG;
  for (const element of document.querySelectorAll("[data-text]")) element.textContent = T[element.dataset.text];
  document.getElementById("integral").addEventListener("click", onDayClick);
  document.getElementById("spectrogram").addEventListener("click", onDayClick);
  document.getElementById("back-to-latest").addEventListener("click", () => {
    view.followLatest = true;
    view.selected = null;
    view.cycleSeen = null;
    refresh();
  });
  let pending = null;
  window.addEventListener("resize", () => {
    clearTimeout(pending);
    pending = setTimeout(() => { drawSpectrum(); drawDay(); }, 150);
  });
  drawSpectrum();
  drawDay();
  refresh();
}

start();
