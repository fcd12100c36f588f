// The engine's worker: the WebAssembly build of tavo with its files in
// memory (/school/成绩统计.xlsx and /school/数据/), driven as the command line
// is, so that the page does what `tavo init`, `tavo run` and `tavo show` do.
// Nothing leaves the page: no request is made.
"use strict";

const SCHOOL = "/school";
const SYSTEM = SCHOOL + "/成绩统计.xlsx";
const DATA = SCHOOL + "/数据";
let engine = null;
let lines = [];
let demos = 0;

async function start() {
  // The engine's WebAssembly is inside its script. Offered fetch, the loader
  // first asks for that data: address as a connection, which the page's
  // policy (no connections) refuses, before it decodes it in place; so it is
  // not offered fetch.
  const fetchOfWorker = self.fetch;
  self.fetch = undefined;
  try {
    engine = await createTavo({
      print: (line) => lines.push({ out: line }),
      // The engine's phases, as lines of their own, go to the page at once.
      printErr: (line) => {
        if (line.startsWith("\u001e")) {
          const [label, percent] = line.slice(1).split("\t");
          postMessage({ progress: { label, percent: Number(percent) } });
        } else {
          lines.push({ err: line });
        }
      },
      preRun: [(module) => { module.ENV.TAVO_PROGRESS_LINES = "1"; }],
    });
  } finally {
    self.fetch = fetchOfWorker;
  }
  engine.FS.mkdir(SCHOOL);
  engine.FS.mkdir(DATA);
}

// Runs the command line with these arguments: its exit status and lines.
function tavo(args) {
  lines = [];
  let status = 0;
  try {
    status = engine.callMain(args);
  } catch (e) {
    status = typeof e.status === "number" ? e.status : 70;
    if (typeof e.status !== "number") lines.push({ err: "tavo: " + e, worker: true });
  }
  // What the run said and wrote, as the engine keeps it; the lines stay
  // for what went wrong outside the program (a crash of the worker).
  let run = null;
  try {
    run = exported("tavo_last_run");
  } catch (e) {
    run = null;
  }
  return { status, lines, run };
}

// Everything inside a folder of the page's files.
function clear(folder) {
  for (const name of engine.FS.readdir(folder)) {
    if (name === "." || name === "..") continue;
    const path = folder + "/" + name;
    if (engine.FS.isDir(engine.FS.stat(path).mode)) {
      clear(path);
      engine.FS.rmdir(path);
    } else {
      engine.FS.unlink(path);
    }
  }
}

function dataFiles() {
  return engine.FS.readdir(DATA).filter((n) => n !== "." && n !== ".." && !n.startsWith("~$"));
}

function exists(path) {
  try {
    engine.FS.stat(path);
    return true;
  } catch (e) {
    return false;
  }
}

function exported(name, ...args) {
  const types = args.map((a) => (typeof a === "number" ? "number" : "string"));
  const pointer = engine.ccall(name, "number", types, args);
  const text = engine.UTF8ToString(pointer);
  engine._free(pointer);
  return JSON.parse(text);
}

const handlers = {
  // A fresh system workbook, as `tavo init` makes it.
  init() {
    if (exists(SYSTEM)) engine.FS.unlink(SYSTEM);
    return tavo(["init", SCHOOL]);
  },
  putSystem({ bytes }) {
    engine.FS.writeFile(SYSTEM, new Uint8Array(bytes));
    return {};
  },
  putData({ name, bytes }) {
    engine.FS.writeFile(DATA + "/" + name, new Uint8Array(bytes));
    return {};
  },
  // The sample school with every command run, as `tavo demo` makes it;
  // it takes the place of whatever the page held (the page asked first).
  demo() {
    // Made beside the page's files, then put in their place.
    const made = "/demo-" + ++demos;
    const result = tavo(["demo", made]);
    if (result.status !== 0) return result;
    clear(SCHOOL);
    engine.FS.mkdir(DATA);
    engine.FS.rename(made + "/成绩统计.xlsx", SYSTEM);
    for (const name of engine.FS.readdir(made + "/数据"))
      if (name !== "." && name !== "..") engine.FS.rename(made + "/数据/" + name, DATA + "/" + name);
    return result;
  },
  remove({ name }) {
    if (exists(DATA + "/" + name)) engine.FS.unlink(DATA + "/" + name);
    return {};
  },
  state() {
    return { system: exists(SYSTEM), files: dataFiles() };
  },
  // The dialog's commands: the selection (when a file is chosen) and then
  // the commands, saved as the command line saves them.
  // A .csv or .xls picked becomes the .xlsx of its name, which the reports
  // then run on; the page keeps only that one (the teacher's own file is
  // on their disk, untouched), so the list shows what the reports use.
  run({ select, commands, csb }) {
    const args = ["run", "--system", SYSTEM];
    if (select) args.push("--select", select);
    if (csb) args.push("--csb", csb);
    const made = select && /\.(xls|csv|txt)$/i.test(select) ? select.replace(/\.[^.]+$/, ".xlsx") : null;
    const before = made && exists(DATA + "/" + made);
    const result = tavo(args.concat(commands));
    if (made && !before && exists(DATA + "/" + made)) {
      engine.FS.unlink(DATA + "/" + select);
      result.selected = made;
    }
    return result;
  },
  commands() {
    return exported("tavo_commands");
  },
  sheets({ file }) {
    return exported("tavo_sheet_names", file === "system" ? SYSTEM : DATA + "/" + file);
  },
  layout({ file, sheet }) {
    return exported("tavo_sheet_layout", file === "system" ? SYSTEM : DATA + "/" + file, sheet);
  },
  rows({ file, sheet, first, last }) {
    return exported("tavo_sheet_rows", file === "system" ? SYSTEM : DATA + "/" + file, sheet, first, last);
  },
  // A cell of a settings sheet typed in the page.
  setCell({ sheet, row, col, text }) {
    return exported("tavo_set_cell", SYSTEM, sheet, row, col, text);
  },
  // Every file of the page, for the browser's storage.
  files() {
    const system = exists(SYSTEM) ? engine.FS.readFile(SYSTEM).buffer : null;
    const data = dataFiles().map((name) => ({ name, bytes: engine.FS.readFile(DATA + "/" + name).buffer }));
    return { system, data, transfer: [system, ...data.map((d) => d.bytes)].filter(Boolean) };
  },
  // The engine's memory, in bytes.
  memory() {
    return { size: engine.HEAP8.length };
  },
  // Nothing kept: the page as it first opens.
  reset() {
    clear(SCHOOL);
    engine.FS.mkdir(DATA);
    return {};
  },
  download({ file }) {
    const bytes = engine.FS.readFile(file === "system" ? SYSTEM : DATA + "/" + file);
    return { bytes: bytes.buffer };
  },
};

// The steps that change none of the page's files.
const READING = new Set(["state", "sheets", "layout", "rows", "files", "download", "memory"]);

const ready = start();
onmessage = async (event) => {
  const { id, op, ...args } = event.data;
  await ready;
  // What the previews read is read again once anything may have changed.
  if (!READING.has(op)) engine._tavo_forget_opened();
  let reply;
  try {
    reply = handlers[op](args);
  } catch (e) {
    reply = { error: String(e) };
  }
  const transfer = reply.transfer || (reply.bytes ? [reply.bytes] : []);
  delete reply.transfer;
  postMessage({ id, ...reply }, transfer);
};
