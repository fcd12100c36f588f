// The page: what the dialog and the settings sheets are to a teacher, with
// the engine in a worker so that the page stays responsive while it works.
"use strict";

const $ = (id) => document.getElementById(id);

const SETTINGS = ["三线版", "双线版", "四率版", "赋分版", "图表版", "分析版"];

// The worker's script travels inside the page, so that the page works
// opened from disk as from any server.
const source = Uint8Array.from(atob($("engine").textContent.trim()), (c) => c.charCodeAt(0));
const worker = new Worker(URL.createObjectURL(new Blob([source], { type: "text/javascript" })));
let nextId = 1;
const waiting = new Map();
// What the engine is doing, in words, with its share done where known.
const phasesSeen = [];
function showProgress({ label, percent }) {
  const button = label && document.querySelector(`[data-run="${label}"]`);
  const words = button ? "正在" + button.textContent : label.replace(/^读取 /, "正在读取 ").replace(/^保存 /, "正在保存 ");
  $("phase").textContent = label ? words + (percent >= 0 ? ` ${percent}%` : "") : "";
  if (percent >= 0) $("busy").value = percent;
  else $("busy").removeAttribute("value");
  if (label && !phasesSeen.includes(label)) phasesSeen.push(label);
  document.body.dataset.phases = JSON.stringify(phasesSeen);
}
worker.onmessage = (event) => {
  if (event.data.progress) return showProgress(event.data.progress);
  const done = waiting.get(event.data.id);
  waiting.delete(event.data.id);
  done(event.data);
};
function ask(op, args = {}, transfer = []) {
  return new Promise((resolve) => {
    const id = nextId++;
    waiting.set(id, resolve);
    worker.postMessage({ id, op, ...args }, transfer);
  });
}

// The teacher's work is kept in the browser's own storage after every
// step, so that a reload, a closed tab or a crash comes back as it was.
const STORE = "tavo-work";
function openStore() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(STORE, 2);
    request.onupgradeneeded = () => {
      for (const name of ["files", "handles"])
        if (!request.result.objectStoreNames.contains(name)) request.result.createObjectStore(name);
    };
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}
// `use` may give a request, whose result the transaction resolves to.
function inStore(mode, use, name = "files") {
  return openStore().then((db) => new Promise((resolve, reject) => {
    const t = db.transaction(name, mode);
    const request = use(t.objectStore(name));
    t.oncomplete = () => { db.close(); resolve(request ? request.result : undefined); };
    t.onerror = t.onabort = () => { db.close(); reject(t.error); };
  }));
}
let storageFailed = false;
async function keep() {
  const files = await ask("files");
  try {
    await inStore("readwrite", (store) => {
      store.clear();
      if (files.system) store.put(files.system, "system");
      for (const d of files.data) store.put(d.bytes, "data/" + d.name);
      return null;
    });
    storageFailed = false;
  } catch (e) {
    if (!storageFailed) say(`浏览器不让本页保存工作（${e && e.name ? e.name : e}，例如空间不够或处于隐私模式）。刷新或关闭页面前，请先下载两个工作簿。`);
    storageFailed = true;
  }
}
async function restore() {
  let keys = [], values = [];
  try {
    keys = await inStore("readonly", (store) => store.getAllKeys());
    values = await inStore("readonly", (store) => store.getAll());
  } catch (e) {
    return;  // nothing kept, or no storage: the page starts empty
  }
  for (let i = 0; i < keys.length; ++i) {
    if (keys[i] === "system") await ask("putSystem", { bytes: values[i] }, [values[i]]);
    else await ask("putData", { name: keys[i].slice(5), bytes: values[i] }, [values[i]]);
  }
  try {
    const names = await inStore("readonly", (store) => store.getAllKeys(), "handles");
    const kept = await inStore("readonly", (store) => store.getAll(), "handles");
    names.forEach((name, i) => handles.set(name, kept[i]));
  } catch (e) {
    // none kept: 保存 asks where, once
  }
  $("kept").hidden = keys.length === 0;
  document.body.dataset.restored = keys.length ? "1" : "0";
}

// Work not yet downloaded: closing the page asks first.
const unsaved = new Set();
function changed(...files) {
  for (const f of files) if (f) unsaved.add(f);
  document.body.dataset.unsaved = unsaved.size ? "1" : "0";
}
function downloaded(file) {
  unsaved.delete(file);
  document.body.dataset.unsaved = unsaved.size ? "1" : "0";
}
addEventListener("beforeunload", (e) => {
  if (!unsaved.size) return;
  e.preventDefault();
  e.returnValue = "";
});

// Several steps at a time would interleave: the controls wait meanwhile
// (not the boxes' own buttons, which a step may wait for).
async function busy(work) {
  document.body.dataset.idle = "0";
  $("busy").style.display = "inline-block";
  document.querySelectorAll("main button, main select, main input").forEach((e) => (e.disabled = true));
  try {
    return await work();
  } finally {
    $("phase").textContent = "";
    await keep();
    document.querySelectorAll("main button, main select, main input").forEach((e) => (e.disabled = false));
    $("busy").style.display = "none";
    document.body.dataset.idleAt = String(performance.now());
    document.body.dataset.idle = "1";
  }
}

// "[title] prompt" lines are the engine's message boxes.
const messages = [];
const shown = [];  // every message box the page has shown, for the tests
function showNext() {
  if ($("message").open || !messages.length) return;
  const { title, text } = messages.shift();
  shown.push(`[${title}] ${text}`);
  document.body.dataset.messages = JSON.stringify(shown);
  $("messageTitle").textContent = title;
  $("messageText").textContent = text;
  $("message").showModal();
}
$("message").addEventListener("close", showNext);
function say(text) {
  messages.push({ title: "成绩统计", text });
  showNext();
}

// A question before work is replaced: resolves to true for 继续.
function confirmWith(text) {
  $("confirmText").textContent = text;
  $("confirm").returnValue = "";
  $("confirm").showModal();
  return new Promise((resolve) => {
    $("confirm").addEventListener("close", () => resolve($("confirm").returnValue === "yes"), { once: true });
  });
}

// A message as a teacher reads it: the page's own folders are not named,
// the words come first and the host's error number after them.
function plain(text) {
  text = text.replace(/\/school\/数据\//g, "").replace(/\/school\//g, "");
  text = text.replace(/不是有效的 xlsx 文件（无法作为 zip 打开）/g, "不是 Excel 工作簿，或者文件已经损坏");
  const numbered = /^错误\[(\d+)\]\s*([\s\S]*)$/.exec(text);
  if (numbered) text = `${numbered[2]}（错误代码 ${numbered[1]}）`;
  return text;
}

function report(result) {
  const boxes = [];
  // What the engine said, in order, as it keeps it: its message boxes and
  // the program's own notes. A backup of the teacher's file is not news
  // here (the page never touches it); a run that saved nothing says so
  // under the box that stopped it.
  for (const entry of (result.run && result.run.said) || []) {
    if (entry.kind === "box") boxes.push({ title: entry.title, text: entry.text });
    else if (entry.kind === "backup") continue;
    else if (entry.kind === "unsaved" && boxes.length) boxes[boxes.length - 1].text += "\n（文件没有改动。）";
    else boxes.push({ title: "成绩统计", text: entry.text });
  }
  // What went wrong outside the engine: the worker's own line.
  for (const line of result.lines || []) if (line.worker) boxes.push({ title: "成绩统计", text: line.err.slice(5).trim() });
  if (result.error) boxes.push({ title: "成绩统计", text: result.error });
  // One press, one box for each thing said: the selection and the command
  // after it may both meet the same damaged file.
  const said = new Set();
  for (const box of boxes) {
    const text = plain(box.text);
    if (said.has(text)) continue;
    said.add(text);
    messages.push({ title: box.title, text });
  }
  showNext();
  document.body.dataset.lastStatus = String(result.status ?? "");
}

async function refresh() {
  const state = await ask("state");
  $("systemState").textContent = state.system ? "已打开" : "尚未打开：请新建或打开";
  // What to press first, while nothing is open.
  $("start").hidden = state.system || state.files.length > 0;
  const chosen = $("ltbCJB").value;
  $("ltbCJB").replaceChildren(...state.files.map((f) => new Option(f, f, false, f === chosen)));
  document.body.dataset.files = JSON.stringify(state.files);
  return state;
}

async function preview(file, wanted) {
  const names = await ask("sheets", { file });
  if (names.error) return report(names);
  $("tabs").replaceChildren(
    ...names.sheets.map((sheet) => {
      const b = document.createElement("button");
      b.textContent = sheet;
      b.onclick = () => busy(() => show(file, sheet));
      return b;
    }),
  );
  const sheet = names.sheets.includes(wanted) ? wanted : names.sheets[0];
  if (sheet) await show(file, sheet);
}

// The sheet on show. Only the rows in view are drawn (with some to spare):
// a school's score sheet has tens of thousands, and drawing them all
// froze the page. Spacer rows above and below keep the scroll bar true.
let sheetOnShow = null;
const SPARE = 60;  // rows drawn beyond the view on either side

async function show(file, sheet) {
  const layout = await ask("layout", { file, sheet });
  if (layout.error) return report(layout);
  document.querySelectorAll("#tabs button").forEach((b) => b.classList.toggle("on", b.textContent === sheet));
  // Where each row starts, in pixels below the frozen rows' end.
  const tops = new Float64Array(layout.rows + 2);
  for (let r = 1; r <= layout.rows; ++r) tops[r + 1] = tops[r] + layout.heights[r - 1];
  sheetOnShow = { file, sheet, layout, tops, first: 0, last: -1, asking: null };
  const table = document.createElement("table");
  table.className = "sheet";
  const cols = document.createElement("colgroup");
  cols.innerHTML = '<col class="rowhead">' + layout.columns.map((c) => `<col style="width:${c.width}px">`).join("");
  const head = document.createElement("tr");
  head.className = "colhead";
  head.innerHTML = "<th></th>" + layout.columns.map((c) => `<th>${c.name}</th>`).join("");
  table.append(cols, head);
  const frozen = document.createElement("tbody");
  frozen.className = "frozen";
  const body = document.createElement("tbody");
  table.append(frozen, body);
  const area = document.createElement("div");
  area.className = "area";
  area.append(table);
  $("view").replaceChildren(area);
  // A sheet to look at and print only once there is one.
  $("view").hidden = $("print").hidden = false;
  $("view").scrollTop = 0;
  if (layout.frozen) {
    const rows = await ask("rows", { file, sheet, first: 1, last: layout.frozen });
    if (rows.error) return report(rows);
    frozen.innerHTML = rows.html;
    editable(frozen);
    // Frozen rows stay under the column headings as the rest scrolls.
    let y = head.getBoundingClientRect().height;
    for (const tr of frozen.rows) {
      for (const cell of tr.cells) cell.classList.add("stuck"), (cell.style.top = `${y}px`);
      y += tr.getBoundingClientRect().height;
    }
  }
  await drawRowsInView();
  // The charts over the cells the sheet places them on.
  const left = table.querySelector("col.rowhead").getBoundingClientRect().width || 36;
  const top = head.getBoundingClientRect().height;
  for (const chart of layout.charts) {
    const svg = drawChart(chart);
    svg.style.left = `${left + chart.x}px`;
    svg.style.top = `${top + chart.y}px`;
    area.append(svg);
  }
  document.body.dataset.shown = file + "!" + sheet;
}

// Draws the rows the view shows, when they are not drawn already.
async function drawRowsInView() {
  const on = sheetOnShow;
  if (!on) return;
  const { layout, tops } = on;
  const view = $("view");
  const firstBody = layout.frozen + 1;
  // The row at a pixel offset into the rows after the frozen ones.
  const rowAt = (y) => {
    let lo = firstBody, hi = layout.rows;
    const base = tops[firstBody];
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (tops[mid] - base <= y) lo = mid;
      else hi = mid - 1;
    }
    return lo;
  };
  const seenFirst = rowAt(view.scrollTop), seenLast = rowAt(view.scrollTop + view.clientHeight);
  if (on.first <= seenFirst && seenLast <= on.last) return;
  const first = Math.max(firstBody, seenFirst - SPARE), last = Math.min(layout.rows, seenLast + SPARE);
  if (first > last) return;
  const rows = await ask("rows", { file: on.file, sheet: on.sheet, first, last });
  if (on !== sheetOnShow) return;  // another sheet came meanwhile
  if (rows.error) return report(rows);
  on.first = rows.first;
  on.last = rows.last;
  const width = layout.columns.length + 1;
  const spacer = (height) => (height > 0 ? `<tr class="spacer" style="height:${height}px"><td colspan="${width}"></td></tr>` : "");
  const body = view.querySelector("tbody:not(.frozen)");
  body.innerHTML = spacer(tops[rows.first] - tops[firstBody]) + rows.html + spacer(tops[layout.rows + 1] - tops[rows.last + 1]);
  editable(body);
  document.body.dataset.drawnRows = String(body.querySelectorAll("tr:not(.spacer)").length);
}
$("view").addEventListener("scroll", () => {
  if (scrollPending) return;
  scrollPending = true;
  requestAnimationFrame(async () => {
    await drawRowsInView();
    scrollPending = false;
  });
});
let scrollPending = false;

// The settings sheets take what the teacher types, cell by cell.
function editable(rows) {
  if (!sheetOnShow || sheetOnShow.file !== "system" || !SETTINGS.includes(sheetOnShow.sheet)) return;
  const { file, sheet } = sheetOnShow;
  for (const td of rows.querySelectorAll("td[data-r]")) {
    td.contentEditable = "true";
    td.dataset.was = td.innerText;
    td.onkeydown = (e) => { if (e.key === "Enter") { e.preventDefault(); td.blur(); } };
    td.onblur = () => {
      if (td.innerText === td.dataset.was) return;
      busy(async () => {
        changed("system");
        const result = await ask("setCell", { sheet, row: Number(td.dataset.r), col: Number(td.dataset.c), text: td.innerText.trim() });
        if (result.error) report(result);
        await show(file, sheet);
      });
    };
  }
}

// Printing takes the whole sheet, not the rows in view.
$("print").onclick = () => busy(async () => {
  const on = sheetOnShow;
  if (!on) return say("还没有打开任何工作表：请先选一个成绩文件或参数表。");
  const first = on.layout.frozen + 1;
  const rows = await ask("rows", { file: on.file, sheet: on.sheet, first, last: on.layout.rows });
  if (rows.error) return report(rows);
  $("view").querySelector("tbody:not(.frozen)").innerHTML = rows.html;
  on.first = rows.first;
  on.last = rows.last;
  print();
});

// A line chart as the reports make them: markers, values above, no axis.
function drawChart(chart) {
  const ns = "http://www.w3.org/2000/svg";
  const w = Math.round(chart.width * 4 / 3), h = Math.round(chart.height * 4 / 3);
  const svg = document.createElementNS(ns, "svg");
  svg.classList.add("chart");
  svg.setAttribute("width", w);
  svg.setAttribute("height", h);
  const add = (tag, attrs, text) => {
    const e = document.createElementNS(ns, tag);
    for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
    if (text !== undefined) e.textContent = text;
    svg.appendChild(e);
    return e;
  };
  add("text", { x: w / 2, y: 22, "text-anchor": "middle", "font-size": 14, "font-weight": "bold" }, chart.title);
  const values = chart.values.map((v) => (v === null ? NaN : v));
  const finite = values.filter((v) => !isNaN(v));
  const lo = Math.min(...finite, 0), hi = Math.max(...finite, 1);
  const left = 30, right = w - 20, top = 50, bottom = h - 30;
  const x = (i) => left + (values.length > 1 ? (i * (right - left)) / (values.length - 1) : 0);
  const y = (v) => bottom - ((v - lo) * (bottom - top)) / (hi - lo || 1);
  add("polyline", {
    points: values.map((v, i) => (isNaN(v) ? "" : `${x(i)},${y(v)}`)).join(" "),
    fill: "none", stroke: "#000080", "stroke-width": 2,
  });
  values.forEach((v, i) => {
    if (isNaN(v)) return;
    add("rect", { x: x(i) - 3, y: y(v) - 3, width: 6, height: 6, fill: "#000080" });
    add("text", { x: x(i), y: y(v) - 8, "text-anchor": "middle", "font-size": 11 }, String(v));
    add("line", { x1: x(i), y1: y(v), x2: x(i), y2: bottom, stroke: "#999", "stroke-dasharray": "2,2" });
  });
  chart.categories.forEach((c, i) => add("text", { x: x(i), y: h - 10, "text-anchor": "middle", "font-size": 11 }, c));
  return svg;
}

// Where the browser lets a page write to the teacher's own files, 保存
// writes back to the file that was opened, or to the one chosen at the
// first 保存 (remembered across reloads); elsewhere it downloads.
const handles = new Map();  // "system" or a score file's name: where it is saved
const canWriteFiles = () => typeof window.showSaveFilePicker === "function";
const XLSX_TYPE = { description: "Excel 工作簿", accept: { "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet": [".xlsx"] } };
function rememberHandle(key, handle) {
  if (handle) handles.set(key, handle);
  else handles.delete(key);
  return inStore("readwrite", (store) => (handle ? store.put(handle, key) : store.delete(key)), "handles").catch(() => {});
}
// Writes the page's copy of `file` ("system" or a score file) to disk:
// false when the teacher cancelled.
async function saveFile(file, name) {
  if (!canWriteFiles()) {
    const result = await ask("download", { file });
    if (result.error) return report(result), false;
    download(name, result.bytes);
    return true;
  }
  let handle = handles.get(file);
  // The browser asks the teacher once whether the page may write there;
  // asked first, while the click still counts as the teacher's.
  if (handle && (await handle.requestPermission({ mode: "readwrite" })) !== "granted") handle = null;
  if (!handle) {
    try {
      handle = await showSaveFilePicker({ suggestedName: name, types: [XLSX_TYPE] });
    } catch (e) {
      if (e.name === "AbortError") return false;
      throw e;
    }
  }
  const result = await ask("download", { file });
  if (result.error) return report(result), false;
  try {
    const out = await handle.createWritable();
    await out.write(result.bytes);
    await out.close();
  } catch (e) {
    say(`没能保存到 ${handle.name}（${e.name}）：文件可能正被别的程序打开。请关掉它再点一次“保存”。`);
    return false;
  }
  await rememberHandle(file, handle);
  $("savedNote").textContent = `已保存到 ${handle.name}（${new Date().toLocaleTimeString("zh-CN")}）`;
  return true;
}
// Files picked where the browser can write back to them: each .xlsx
// keeps where it came from.
async function pickFiles(multiple, types) {
  try {
    return await showOpenFilePicker({ multiple, types });
  } catch (e) {
    if (e.name === "AbortError") return [];
    throw e;
  }
}

function download(name, bytes) {
  const a = document.createElement("a");
  a.href = URL.createObjectURL(new Blob([bytes], { type: "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet" }));
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 10000);
}

const SCORE_FILE = /\.(xlsx|xls|csv|txt)$/i;
const stem = (name) => name.replace(/\.[^.]+$/, "");
// `picked`, where given, are the files' handles, in the same order.
async function addDataFiles(files, picked = []) {
  for (const [i, file] of [...files].entries()) {
    if (!SCORE_FILE.test(file.name)) {
      say(`${file.name} 不是成绩文件（.xlsx、.xls、.csv 或 .txt），未加入。`);
      continue;
    }
    if (file.size === 0) {
      say(`${file.name} 是空文件，里面没有成绩，未加入。`);
      continue;
    }
    // One score file of a name: a new one of another kind takes the place
    // of the old one, with the reports written into it.
    const state = await ask("state");
    const same = state.files.filter((f) => f !== file.name && stem(f) === stem(file.name));
    if (same.length) {
      if (!(await confirmWith(`页面里已有 ${same.join("、")}（可能含已写入的统计表）。用 ${file.name} 代替它吗？`))) continue;
      for (const name of same) await ask("remove", { name }), await rememberHandle(name, null);
    }
    const bytes = await file.arrayBuffer();
    await ask("putData", { name: file.name, bytes }, [bytes]);
    // Only a workbook is written back where it came from; a .csv or .xls
    // becomes an .xlsx, saved where the teacher says at the first 保存.
    await rememberHandle(file.name, /\.xlsx$/i.test(file.name) ? picked[i] : null);
    changed(file.name);
  }
  await refresh();
}

// Runs commands as the dialog does: the chosen file is selected first.
async function run(commands, csb) {
  const before = await ask("state");
  if (!before.system) {
    say("还没有成绩统计工作簿：请先点“新建”或“打开…”（想先看看效果，点“示例”）。");
    return;
  }
  const select = $("ltbCJB").value;
  const result = await ask("run", { select, commands, csb });
  changed("system", result.selected || select);
  report(result);
  await refresh();
  if (result.selected) $("ltbCJB").value = result.selected;
  if (result.status !== 0) return;
  // The first sheet the commands wrote, the score workbook's before the
  // system workbook's.
  let written = null;
  for (const command of (result.run && result.run.commands) || [])
    for (const group of command.written) {
      if (!group.sheets.length) continue;
      const first = { file: group.file, sheet: group.sheets[0] };
      if (!written || written.file === "成绩统计.xlsx") written = first;
    }
  if (written && written.file === "成绩统计.xlsx") await preview("system", written.sheet);
  else if (select) await preview(result.selected || select, written && written.sheet);
}

$("help").onclick = () => $("guide").showModal();
$("demo").onclick = () => busy(async () => {
  const held = await ask("state");
  if ((held.system || held.files.length) &&
      !(await confirmWith("示例会换掉页面里现有的成绩统计工作簿和成绩文件（没有下载的参数和统计结果会丢失）。继续吗？")))
    return;
  report(await ask("demo"));
  for (const key of [...handles.keys()]) await rememberHandle(key, null);  // the sample is saved where asked
  changed("system", "示例成绩.xlsx");
  const state = await refresh();
  $("ltbCJB").value = state.files[0] || "";
  if (state.files[0]) await preview(state.files[0]);
});
$("init").onclick = () => busy(async () => {
  report(await ask("init"));
  await rememberHandle("system", null);  // a new workbook is not the one opened before
  changed("system");
  await refresh();
  await preview("system");
});
$("forget").onclick = () => busy(async () => {
  if (!(await confirmWith("清除后，保存在这个浏览器里的成绩统计工作簿和成绩文件都会删掉（已下载的文件不受影响）。继续吗？"))) return;
  await ask("reset");
  for (const key of [...handles.keys()]) await rememberHandle(key, null);
  unsaved.clear();
  changed();
  $("kept").hidden = true;
  $("tabs").replaceChildren();
  $("view").replaceChildren();
  $("view").hidden = $("print").hidden = true;
  sheetOnShow = null;
  await refresh();
});
async function openSystem(file, handle) {
  const bytes = await file.arrayBuffer();
  await ask("putSystem", { bytes }, [bytes]);
  await rememberHandle("system", handle);
  changed("system");
  await refresh();
  await preview("system");
}
$("openSystem").onclick = () => {
  if (!canWriteFiles()) return $("systemFile").click();
  busy(async () => {
    const [handle] = await pickFiles(false, [XLSX_TYPE]);
    if (handle) await openSystem(await handle.getFile(), handle);
  });
};
$("systemFile").onchange = () => busy(() => openSystem($("systemFile").files[0], null));
$("saveSystem").onclick = () => busy(async () => {
  if (!(await ask("state")).system) return say("还没有成绩统计工作簿可以保存：请先点“新建”“打开…”或“示例”。");
  if (await saveFile("system", "成绩统计.xlsx")) downloaded("system");
});
$("addData").onclick = () => {
  if (!canWriteFiles()) return $("dataFiles").click();
  busy(async () => {
    const picked = await pickFiles(true, [{ description: "成绩文件", accept: { "application/octet-stream": [".xlsx", ".xls", ".csv", ".txt"] } }]);
    const files = await Promise.all(picked.map((h) => h.getFile()));
    await addDataFiles(files, picked);
  });
};
$("dataFiles").onchange = () => busy(() => addDataFiles($("dataFiles").files));
$("drop").ondragover = (e) => { e.preventDefault(); $("drop").classList.add("over"); };
$("drop").ondragleave = () => $("drop").classList.remove("over");
$("drop").ondrop = (e) => {
  e.preventDefault();
  $("drop").classList.remove("over");
  busy(() => addDataFiles(e.dataTransfer.files));
};
$("ltbCJB").onchange = () => busy(async () => { await run([]); });
$("saveData").onclick = () => busy(async () => {
  const name = $("ltbCJB").value;
  if (!name) return say("请先在“成绩文件”列表里选一个文件。");
  if (await saveFile(name, name)) downloaded(name);
});
document.querySelectorAll("[data-run]").forEach((b) => {
  b.onclick = () => busy(() => run([b.dataset.run], b.dataset.csb ? $("csb").value : ""));
});
// The buttons say what the engine's command table calls them, as the
// dialog and the ribbon of the add-in do.
ask("commands").then(({ commands }) => {
  for (const c of commands || []) {
    const button = document.querySelector(`[data-run="${c.name}"]`);
    if (button && c.caption) button.textContent = c.caption;
  }
});
// Without a way to write to the teacher's files, 保存 is a download.
if (!canWriteFiles()) {
  $("saveSystem").textContent = "下载";
  $("saveData").textContent = "下载所选成绩文件";
}

// Published on a server, the page is an app that installs and opens
// without a network once it has been opened; from disk it is just a page.
if (/^https?:$/.test(location.protocol) && "serviceWorker" in navigator) {
  for (const [rel, href] of [["manifest", "manifest.webmanifest"], ["icon", "icon.svg"]]) {
    const link = document.createElement("link");
    link.rel = rel;
    link.href = href;
    document.head.append(link);
  }
  navigator.serviceWorker.register("sw.js").catch(() => {});  // a copy without its service worker
}

busy(async () => {
  await restore();
  const state = await refresh();
  if (state.system) await preview("system");
});

// A page opened as index.html#selftest runs a whole school through and
// writes what it saw into the page, for the tests in a headless browser.
if (location.hash === "#selftest") {
  busy(async () => {
    const demo = await ask("demo");
    const state = await refresh();
    await preview("示例成绩.xlsx", "统计图");
    document.body.dataset.selftest = JSON.stringify({
      status: demo.status,
      files: state.files,
      sheets: [...document.querySelectorAll("#tabs button")].map((b) => b.textContent),
      charts: document.querySelectorAll("#view svg.chart").length,
      cells: document.querySelectorAll("#view td[data-r]").length,
    });
  });
}
