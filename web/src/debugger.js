// The playground's debugger: a run recorded statement by statement in a worker (azuvel-dap's
// engine in WebAssembly), then moved through on the page, forward and back, with breakpoints
// set in the gutter, the current statement highlighted, the store and the output of each step.
import { RangeSet, StateEffect, StateField } from '@codemirror/state';
import { Decoration, EditorView, GutterMarker, gutter } from '@codemirror/view';

// Steps recorded at most: a run longer than this is cut there, and the page says so.
export const STEP_LIMIT = 20000;

const toggleBreakpoint = StateEffect.define();
const clearBreakpoints = StateEffect.define();
const showStep = StateEffect.define();  // a line's start, or null

// A red dot; the gutter's spacer is one too, to size it, under a class of its own.
class Dot extends GutterMarker {
  constructor(className) {
    super();
    this.className = className;
  }

  toDOM() {
    const dot = document.createElement('span');
    dot.className = this.className;
    dot.textContent = '●';
    return dot;
  }
}
const breakpointMarker = new Dot('cm-breakpoint');

// The lines with a breakpoint, as markers at their starts; they move with edits.
const breakpoints = StateField.define({
  create: () => RangeSet.empty,
  update(set, transaction) {
    set = set.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (effect.is(clearBreakpoints)) set = RangeSet.empty;
      if (!effect.is(toggleBreakpoint)) continue;
      let on = false;
      set.between(effect.value, effect.value, () => { on = true; });
      set = on ? set.update({ filter: (from) => from !== effect.value })
        : set.update({ add: [breakpointMarker.range(effect.value)] });
    }
    return set;
  },
});

const stepLine = Decoration.line({ class: 'cm-debug-step' });
// The highlighted line of the current step.
const currentStep = StateField.define({
  create: () => Decoration.none,
  update(decorations, transaction) {
    decorations = decorations.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (effect.is(showStep)) {
        decorations = effect.value === null ? Decoration.none
          : Decoration.set([stepLine.range(effect.value)]);
      }
    }
    return decorations;
  },
  provide: (field) => EditorView.decorations.from(field),
});

const breakpointGutter = gutter({
  class: 'cm-breakpoint-gutter',
  markers: (view) => view.state.field(breakpoints),
  initialSpacer: () => new Dot('cm-breakpoint-spacer'),
  domEventHandlers: {
    mousedown(view, line) {
      view.dispatch({ effects: toggleBreakpoint.of(line.from) });
      return true;
    },
  },
});

// The breakpoints' line numbers.
function breakpointLines(state) {
  const lines = new Set();
  state.field(breakpoints).between(0, state.doc.length, (from) => {
    lines.add(state.doc.lineAt(from).number);
  });
  return lines;
}

// The store at every step, from the recording's changes.
function storesOf(steps) {
  const stores = [];
  let store = [];
  for (const step of steps) {
    store = store.slice();
    for (const [index, name, value, kind, unread] of step[4]) {
      store[index] = { name, value, kind, unread };
    }
    stores.push(store);
  }
  return stores;
}

// Builds the debugger's panel in `panel` and returns the editor extensions it needs; `attach`
// then connects it to the editor and to the Debug button.
export function createDebugger(panel, debugButton) {
  let view = null;
  let session = null;  // { recording, stores, at, text, bytes }

  panel.innerHTML = `
    <div class="debug-controls">
      <button data-testid="step-back" title="Shift+F10">◀ Back</button>
      <button data-testid="step-forward" title="F11">Step in ▶</button>
      <button data-testid="step-over" title="F10">Over</button>
      <button data-testid="step-out" title="Shift+F11">Out</button>
      <button data-testid="continue" title="F8">To breakpoint</button>
      <button data-testid="end-debug">Done</button>
    </div>
    <input type="range" data-testid="timeline" aria-label="Step" min="0" max="0" value="0">
    <div data-testid="debug-status" class="status" role="status"></div>
    <table data-testid="variables" class="variables">
      <thead><tr><th>#</th><th>name</th><th>value</th><th>kind</th></tr></thead>
      <tbody></tbody>
    </table>
    <pre data-testid="debug-output" class="output"></pre>`;
  const part = (id) => panel.querySelector(`[data-testid="${id}"]`);
  const timeline = part('timeline');
  const status = part('debug-status');
  const table = part('variables').tBodies[0];
  const output = part('debug-output');

  // The last position: the step after the last statement when the run ended, its error's
  // statement when it stopped with one.
  const lastAt = () => session.recording.steps.length - (session.recording.error === null ? 0 : 1);

  function render() {
    const { recording, stores, at } = session;
    const steps = recording.steps;
    const ended = at === steps.length;
    const step = ended ? null : steps[at];
    timeline.value = String(at);
    const length = ended ? session.bytes.length : step[3];
    output.textContent = new TextDecoder().decode(session.bytes.subarray(0, length));
    const store = ended ? (stores[stores.length - 1] ?? []) : stores[at];
    const changed = new Set(ended ? [] : step[4].map(([index]) => index));
    table.replaceChildren(...store.map((entry, index) => {
      const row = table.insertRow();
      row.className = changed.has(index) ? 'changed' : '';
      if (entry.unread) row.classList.add('unread');
      for (const text of [index, entry.name, entry.value, entry.kind]) {
        row.insertCell().textContent = String(text);
      }
      if (entry.unread) row.title = 'a later var of this name: never read';
      return row;
    }));
    const cut = recording.cut ? ` · recording stopped after ${STEP_LIMIT} steps` : '';
    if (ended) {
      status.textContent = `The run ended · exit status ${recording.status}${cut}`;
      status.className = 'status ok';
      view.dispatch({ effects: showStep.of(null) });
      return;
    }
    const error = at === steps.length - 1 && recording.error !== null;
    status.textContent = error
      ? `Stopped on line ${step[0]}: [Error] ${recording.error}`
      : `Step ${at + 1} of ${steps.length} · line ${step[0]}${cut}`;
    status.className = error ? 'status failed' : 'status';
    const line = view.state.doc.line(Math.min(step[0], view.state.doc.lines));
    view.dispatch({ effects: showStep.of(line.from), scrollIntoView: true,
      selection: { anchor: line.from } });
  }

  function goTo(at) {
    if (session === null) return;
    session.at = Math.max(0, Math.min(at, lastAt()));
    render();
  }

  // The first step after the current one that `stops` accepts, or the last position.
  function forward(stops) {
    const { steps } = session.recording;
    for (let j = session.at + 1; j < steps.length; j++) {
      if (stops(steps[j])) return goTo(j);
    }
    return goTo(lastAt());
  }

  const depth = () => session.recording.steps[session.at]?.[2] ?? 0;
  const motions = {
    'step-back': () => goTo(session.at - 1),
    'step-forward': () => forward(() => true),
    'step-over': () => { const d = depth(); forward((step) => step[2] <= d); },
    'step-out': () => { const d = depth(); forward((step) => step[2] < d); },
    continue: () => {
      const lines = breakpointLines(view.state);
      forward((step) => lines.has(step[0]));
    },
  };

  function end() {
    session = null;
    panel.hidden = true;
    view?.dispatch({ effects: showStep.of(null) });
  }

  // Records the editor's script and shows position `at` (0: the first step).
  function start(at = 0) {
    if (session !== null) end();
    const text = view.state.doc.toString();
    debugButton.disabled = true;
    const worker = new Worker('worker.js');
    worker.onmessage = ({ data }) => {
      if (data.type !== 'recording') return;
      worker.terminate();
      debugButton.disabled = false;
      const { recording } = data;
      session = { recording, stores: storesOf(recording.steps), at: 0,
        bytes: new TextEncoder().encode(recording.output) };
      timeline.max = String(lastAt());
      session.at = Math.max(0, Math.min(at, lastAt()));
      panel.hidden = false;
      render();
    };
    worker.postMessage({ type: 'debug', code: text, stepLimit: STEP_LIMIT });
  }

  for (const [id, motion] of Object.entries(motions)) {
    part(id).addEventListener('click', () => { if (session !== null) motion(); });
  }
  part('end-debug').addEventListener('click', end);
  timeline.addEventListener('input', () => goTo(Number(timeline.value)));
  document.addEventListener('keydown', (event) => {
    if (session === null) return;
    const key = `${event.shiftKey ? 'Shift+' : ''}${event.key}`;
    const motion = { F10: 'step-over', F11: 'step-forward', 'Shift+F11': 'step-out',
      'Shift+F10': 'step-back', F8: 'continue' }[key];
    if (motion === undefined) return;
    event.preventDefault();
    motions[motion]();
  });
  panel.hidden = true;

  return {
    extensions: [
      breakpoints, currentStep, breakpointGutter,
      // An edit makes the recording stale: debugging ends.
      EditorView.updateListener.of((update) => { if (update.docChanged && session) end(); }),
    ],
    attach(editor) {
      view = editor;
      debugButton.addEventListener('click', () => start());
    },
    clearBreakpoints: () => view.dispatch({ effects: clearBreakpoints.of(null) }),
    // Debugs the script from step `step` (counted from 1, as live values count them).
    openAt: (step) => start(step - 1),
  };
}
