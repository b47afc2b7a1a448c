// Live values: as you type, the script runs in a worker of its own (live_worker.js: the
// debugger's module, bounded by steps and time), and what each statement did in that run is
// shown at the end of its line: a store's value, a print's text, an if taken, a while's passes,
// "never runs", where an error or a cut stopped the run. Clicking a value opens the debugger at
// that statement's step. A switch turns them off, and the page remembers it.
import { StateEffect, StateField } from '@codemirror/state';
import { Decoration, EditorView, WidgetType } from '@codemirror/view';

export const LIVE_DELAY = 300;        // ms after the last keystroke
export const LIVE_STEPS = 1000000;    // statements a live run may begin
export const LIVE_TIME = 1500;        // ms a live run may take
const STORAGE_KEY = 'azuvel.liveValues';  // "off" when turned off

const setValues = StateEffect.define();  // a DecorationSet, or Decoration.none

// One note: muted, marked when the run stopped there; a note of a statement that ran opens the
// debugger at its step when clicked.
class LiveValue extends WidgetType {
  constructor(text, kind, step, open) {
    super();
    this.text = text;
    this.kind = kind;  // '', 'error', 'cut' or 'never'
    this.step = step;
    this.open = open;
  }

  eq(other) {
    return other.text === this.text && other.kind === this.kind && other.step === this.step;
  }

  // The text is drawn by the style sheet from data-value, so that it stays out of the lines'
  // text: reading a line in the page gives the script alone.
  toDOM() {
    const value = document.createElement('span');
    value.className = `cm-live-value${this.kind === '' ? '' : ` cm-live-${this.kind}`}`;
    value.dataset.testid = 'live-value';
    value.dataset.value = this.text;
    value.dataset.step = String(this.step);
    value.title = this.text;
    if (this.step > 0) {
      value.title += `\nStep ${this.step}: click to debug from here`;
      value.addEventListener('click', () => this.open(this.step));
    }
    return value;
  }
}

// The values shown; they move with the text until the next run's arrive.
const liveField = StateField.define({
  create: () => Decoration.none,
  update(values, transaction) {
    values = values.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (effect.is(setValues)) values = effect.value;
    }
    return values;
  },
  provide: (field) => EditorView.decorations.from(field),
});

// A run's notes as widgets at the ends of their statements' last lines, in the text's order.
function valuesOf(doc, result, open) {
  const { stop } = result;
  const stopped = { error: 'error', steps: 'cut', time: 'cut' }[stop.kind] ?? '';
  // The statement where the run stopped may keep its value's note too: the stop's is its last.
  let stopNote = null;
  for (const note of result.notes) {
    if (stopped !== '' && note.line === stop.line && note.column === stop.column) stopNote = note;
  }
  const widgets = [];
  for (const note of result.notes) {
    const line = Math.min(Math.max(note.endLine, note.line, 1), doc.lines);
    const atStop = note === stopNote;
    const kind = atStop ? stopped : note.step === 0 ? 'never' : '';
    widgets.push(Decoration.widget({
      widget: new LiveValue(note.text, kind, note.step, open),
      side: 1,
    }).range(doc.line(line).to));
  }
  return Decoration.set(widgets, true);
}

// Whether the switch was left off; a page whose storage is blocked forgets.
function leftOff() {
  try {
    return localStorage.getItem(STORAGE_KEY) === 'off';
  } catch {
    return false;
  }
}

// Remembers the switch, where the page may store anything.
function remember(on) {
  try {
    localStorage.setItem(STORAGE_KEY, on ? 'on' : 'off');
  } catch {
    // Blocked storage: the switch holds for this page only.
  }
}

// The debugger's module compiled once, for every live worker to instantiate.
let compiled = null;
function debugModule() {
  compiled ??= WebAssembly.compileStreaming(fetch('azuvel_debug.wasm')).catch(() =>
    fetch('azuvel_debug.wasm').then((response) => response.arrayBuffer())
      .then(WebAssembly.compile));
  return compiled;
}

// Sets up live values on `toggle` (a checkbox); `openAt(step)` opens the debugger at a step.
// Returns the editor's extensions and `attach(view)`, which starts them on the editor.
export function createLiveValues({ toggle, openAt }) {
  let view = null;
  let timer = 0;
  let version = 0;      // the text's version: a result for an older one is dropped
  let worker = null;    // { worker, busy }
  let paused = false;   // while the page runs the script, the processor is the run's
  let missed = false;   // a text came while paused
  const on = () => toggle.checked;

  // Ends the worker; the next run starts a new one.
  function dropWorker() {
    worker?.worker.terminate();
    worker = null;
  }

  // A worker that takes the compiled module and shows the values of the texts it runs; one
  // whose run failed is dropped.
  function newWorker() {
    const entry = { worker: new Worker('live_worker.js'), busy: false };
    debugModule().then((module) => entry.worker.postMessage({ type: 'prepare', wasm: module }));
    entry.worker.onmessage = ({ data }) => {
      entry.busy = false;
      if (data.result === undefined && worker === entry) dropWorker();
      if (data.result === undefined || data.version !== version || !on() || view === null) return;
      view.dispatch({ effects: setValues.of(valuesOf(view.state.doc, data.result, openAt)) });
    };
    return entry;
  }

  // Runs the current text; a run still going on an older text is ended, not waited for.
  function runNow() {
    timer = 0;
    if (!on() || view === null) return;
    if (paused) {
      missed = true;
      return;
    }
    if (worker !== null && worker.busy) dropWorker();
    worker ??= newWorker();
    worker.busy = true;
    worker.worker.postMessage({ type: 'live', version, text: view.state.doc.toString(),
      maxSteps: LIVE_STEPS, maxMilliseconds: LIVE_TIME });
  }

  // Runs the text `delay` ms from now, unless another change comes first.
  function schedule(delay) {
    clearTimeout(timer);
    timer = setTimeout(runNow, delay);
  }

  // Switched off: no run goes on and no value stays.
  function turnOff() {
    clearTimeout(timer);
    dropWorker();
    version++;
    view?.dispatch({ effects: setValues.of(Decoration.none) });
  }

  toggle.checked = !leftOff();
  toggle.addEventListener('change', () => {
    remember(on());
    if (on()) schedule(0);
    else turnOff();
  });

  return {
    extensions: [
      liveField,
      EditorView.updateListener.of((update) => {
        if (!update.docChanged) return;
        version++;
        if (on()) schedule(LIVE_DELAY);
      }),
    ],
    attach(editor) {
      view = editor;
      if (on()) schedule(0);
    },
    // While the page runs the script, a live run in progress is ended and none starts; the
    // text's values come once the run is over.
    pause(pausing) {
      if (pausing === paused) return;
      paused = pausing;
      if (paused && worker !== null && worker.busy) {
        dropWorker();
        missed = true;
      }
      if (paused || !missed) return;
      missed = false;
      if (on()) schedule(0);
    },
  };
}
