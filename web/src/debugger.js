// The playground's debugger: Debug records the run in a worker of its own (debug_worker.js, over
// azuvel-dap's engine in WebAssembly), which keeps the session and moves it on request: forward
// and back by step, to a breakpoint and back to the last one, to any step on the timeline. The
// page shows the current statement, the store with exact values, watch expressions, the output
// printed so far, and answers about the past: which statement printed an output line, where a
// variable's value came from, and what a log point set after the fact would have printed.
import { StateEffect, StateField } from '@codemirror/state';
import { Decoration, EditorView } from '@codemirror/view';
import { createBreakpoints, showStepMarker } from './breakpoints.js';
import { createOutputPane, OUTPUT_KEPT } from './debug_output.js';
import { markSource, showHistory, showLog } from './past.js';

// Steps recorded at most: a run longer than this is cut there, and the page says so.
export const STEP_LIMIT = 2000000;

const showStep = StateEffect.define();  // a line's start, or null
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

const count = (n) => n.toLocaleString('en-US');

// The checker's message and help for an expression the engine could not compute: the
// expression checked as the value of a declaration, after one for each name in the store.
function explain(checker, callJson, expression, names) {
  const unique = [...new Set(names)];
  const declared = unique.map((name) => `var ${name} = 0;\n`).join('');
  const script = `${declared}var __value = ${expression};\n`;
  const line = unique.length + 1;
  const found = callJson(checker, '_azuvel_check_json', script)
    .filter((diagnostic) => diagnostic.severity === 'error' && diagnostic.line === line);
  if (found.length === 0) return null;
  const { message, notes } = found[0];
  return [message, ...notes.filter((note) => note.kind === 'help')
    .map((note) => `help: ${note.message}`)].join('\n');
}

// Builds the debugger's panel in `panel` and returns the editor extensions it needs; `attach`
// then connects it to the editor and to the Debug button.
export function createDebugger(panel, debugButton) {
  let view = null;
  let checking = null;  // { checker, callJson }, for the console's and the watches' errors
  let session = null;   // { worker, answers, next, state, store, moving, wanted }
  let watches = [];

  panel.innerHTML = `
    <div class="debug-controls" data-testid="debug-controls">
      <button data-testid="back-to-breakpoint" title="Shift+F8">◀◀ Breakpoint</button>
      <button data-testid="step-back" title="Shift+F10">◀ Back</button>
      <button data-testid="step-forward" title="F11">Step in ▶</button>
      <button data-testid="step-over" title="F10">Over</button>
      <button data-testid="step-out" title="Shift+F11">Out</button>
      <button data-testid="continue" title="F8">To breakpoint ▶▶</button>
      <button data-testid="end-debug">Done</button>
    </div>
    <input type="range" data-testid="timeline" aria-label="Step" min="0" max="0" value="0">
    <div data-testid="debug-status" class="status" role="status"></div>
    <h3>Output <small>up to this step · click a line for the statement that printed it</small></h3>
    <pre data-testid="debug-output" class="output debug-output"></pre>
    <h3>Variables <small>click one for its history</small></h3>
    <table data-testid="variables" class="variables">
      <thead><tr><th>#</th><th>name</th><th>value</th><th>kind</th></tr></thead>
      <tbody></tbody>
    </table>
    <section data-testid="history" class="history" hidden></section>
    <section data-testid="watch" class="watch">
      <h3>Watch</h3>
      <ul class="watch-list"></ul>
      <form class="watch-add">
        <input data-testid="watch-input" placeholder="an expression, e.g. total / n"
               aria-label="Expression to watch">
        <button>Watch</button>
      </form>
    </section>
    <form class="log-point" data-testid="log-point">
      <h3>Log point <small>what a print would have shown, over the whole run</small></h3>
      <input data-testid="log-line-number" type="number" min="1" placeholder="line"
             aria-label="Line of the log point">
      <input data-testid="log-message" placeholder="message, e.g. n is {n}"
             aria-label="Log message, with {expressions}">
      <button>Log</button>
    </form>
    <section data-testid="log" class="history" hidden></section>
    <form class="console" data-testid="console">
      <input data-testid="evaluate" placeholder="evaluate an expression at this step"
             aria-label="Expression to evaluate">
      <output data-testid="evaluate-result"></output>
    </form>`;
  const part = (id) => panel.querySelector(`[data-testid="${id}"]`);
  const timeline = part('timeline');
  const status = part('debug-status');
  const table = part('variables').tBodies[0];
  const history = part('history');
  const watchList = panel.querySelector('.watch-list');
  const result = panel.parentElement;
  const output = createOutputPane(part('debug-output'), (line) => printedBy(line));
  const listElement = document.createElement('section');
  listElement.dataset.testid = 'breakpoints';
  listElement.className = 'breakpoint-list';
  panel.before(listElement);
  const breakpoints = createBreakpoints(listElement, () => {
    if (session !== null) ask({ type: 'breakpoints', list: breakpoints.list() });
  });

  // A request to the worker; its answer, once every request before it is answered.
  function ask(message) {
    const current = session;
    if (current === null) return Promise.resolve(null);
    const id = current.next++;
    current.worker.postMessage({ ...message, id });
    return new Promise((resolve) => current.answers.set(id, resolve))
      .then((answer) => (session === current ? answer : null));
  }

  // Asks for a move, and shows the state it leads to.
  async function act(message, pending = 0) {
    const state = await ask(message);
    if (state !== null && state.step !== undefined) render(state, pending);
    return state;
  }

  // A position on the timeline: the end, past the last step, when the run ended.
  const lastPosition = (state) => state.last;
  const atEnd = (state) => state.ended && state.step === state.last;

  // Shows a state: the status, the timeline, the current line, the output, store and watches.
  function render(state, pending = 0) {
    session.state = state;
    const failed = state.error !== null;
    const ended = atEnd(state) && !failed;
    const error = atEnd(state) && failed;
    const steps = state.ended && !failed ? state.last - 1 : state.last;
    timeline.max = String(lastPosition(state) - 1);
    timeline.value = String(state.step - 1);
    output.show(state.output_length, { pending, error: error ? state.error : null });
    renderStore(state.store);
    renderWatches(state.watches);
    if (!history.hidden) markSource(history, state.step);
    const cut = state.cut ? ` · recording cut at ${steps} steps: the run had not ended` : '';
    if (ended) {
      status.textContent = 'The run ended · exit status 0';
      status.className = 'status ok';
      view.dispatch({ effects: [showStep.of(null), showStepMarker.of(null)] });
      return;
    }
    status.textContent = error
      ? `Stopped on line ${state.line}: [Error] ${state.error}`
      : `Step ${state.step} of ${steps} · line ${state.line}${cut}`;
    status.className = error ? 'status failed' : state.cut ? 'status cut' : 'status';
    const line = view.state.doc.line(Math.min(state.line, view.state.doc.lines));
    view.dispatch({ effects: [showStep.of(line.from), showStepMarker.of(line.from),
      EditorView.scrollIntoView(line.from, { y: 'nearest' })] });
    requestAnimationFrame(() => requestAnimationFrame(keepLineInWindow));
  }

  // The editor scrolls the current line into its own view; the page is scrolled too when the
  // line is outside the window, or under the step buttons fixed at a phone's bottom.
  function keepLineInWindow() {
    const line = view.dom.querySelector('.cm-debug-step');
    if (line === null || panel.hidden) return;
    const box = line.getBoundingClientRect();
    const bar = panel.querySelector('.debug-controls');
    const bottom = getComputedStyle(bar).position === 'fixed' ? bar.getBoundingClientRect().top
      : window.innerHeight;
    if (box.top < 0) window.scrollBy(0, box.top - 8);
    else if (box.bottom > bottom) window.scrollBy(0, box.bottom - bottom + 8);
  }

  // A number's exact value, with print's form beside it where the two differ.
  function valueCell(cell, { value, print }) {
    cell.textContent = value;
    if (print === value) return;
    const shown = document.createElement('span');
    shown.className = 'print-form';
    shown.textContent = ` print: ${print}`;
    cell.append(shown);
  }

  // The store's rows, each name a way to its history; what changed since the last state marked.
  function renderStore(store) {
    const before = session.store ?? [];
    session.store = store;
    table.replaceChildren(...store.map((entry, index) => {
      const row = table.insertRow();
      const old = before[index];
      const same = old && old.value === entry.value && old.kind === entry.kind;
      row.className = same ? '' : 'changed';
      if (entry.unread) row.classList.add('unread');
      row.insertCell().textContent = String(index);
      const name = row.insertCell();
      const button = document.createElement('button');
      button.className = 'name';
      button.dataset.testid = 'variable';
      button.textContent = entry.name;
      button.title = `The history of ${entry.name}: where its values came from`;
      button.addEventListener('click', () => openHistory(entry.name));
      name.append(button);
      valueCell(row.insertCell(), entry);
      row.insertCell().textContent = entry.kind;
      if (entry.unread) row.title = 'a later var of this name: never read';
      return row;
    }));
  }

  // A failed expression's answer: the checker's message and help where it has them.
  function failure(answer) {
    const names = (session?.store ?? []).map(({ name }) => name);
    const checked = checking && explain(checking.checker, checking.callJson,
      answer.expression, names);
    return checked ?? answer.value;
  }

  // The watch expressions with their values at this step, or why they have none.
  function renderWatches(values) {
    watchList.replaceChildren(...values.map((answer, index) => {
      const item = document.createElement('li');
      item.dataset.testid = 'watch-entry';
      const expression = document.createElement('code');
      expression.textContent = answer.expression;
      const value = document.createElement('span');
      value.className = answer.ok ? 'value' : 'value failed';
      if (answer.ok) valueCell(value, answer);
      else value.textContent = failure(answer);
      const remove = document.createElement('button');
      remove.textContent = '✕';
      remove.title = 'Stop watching';
      remove.addEventListener('click', () => setWatches(watches.filter((_, i) => i !== index)));
      item.append(remove, expression, ' = ', value);
      return item;
    }));
  }

  // Replaces the watch expressions; the worker answers with the state computed with them.
  function setWatches(list) {
    watches = list;
    if (session === null) return renderWatches([]);
    return act({ type: 'watches', list });
  }

  // The timeline moves often while dragged: only the last position asked for is visited.
  async function goTo(step, pending = 0) {
    if (session === null) return;
    session.wanted = { step, pending };
    if (session.moving) return;
    session.moving = true;
    while (session?.wanted) {
      const wanted = session.wanted;
      session.wanted = null;
      await act({ type: 'go', step: Math.max(1, wanted.step) }, wanted.pending);
    }
    if (session) session.moving = false;
  }

  // Goes to the step whose print wrote output line `line` (from 1).
  async function printedBy(line) {
    const answer = await ask({ type: 'past', name: 'printed_by', args: [line] });
    if (answer === null) return;
    if (!answer.available) {
      status.textContent = 'This build of the playground cannot look into the past.';
      return;
    }
    if (answer.value !== null) goTo(answer.value.step, line);
  }

  // Shows a name's history, with the ways to its last and next writes.
  async function openHistory(name) {
    const answer = await ask({ type: 'past', name: 'history', args: [name] });
    if (answer === null) return;
    showHistory(history, name, answer.available ? answer.value : null, {
      goTo: (step) => goTo(step),
      writes: async (asked) => {
        const found = await ask({ type: 'past', name: 'writes',
          args: [asked, session?.state.step ?? 1] });
        return found?.available ? found.value : null;
      },
    });
    markSource(history, session?.state.step ?? 1);
  }

  const motions = {
    'back-to-breakpoint': () => act({ type: 'back' }),
    'step-back': () => act({ type: 'step-back' }),
    'step-forward': () => act({ type: 'move', motion: 'step-in' }),
    'step-over': () => act({ type: 'move', motion: 'step-over' }),
    'step-out': () => act({ type: 'move', motion: 'step-out' }),
    continue: () => act({ type: 'move', motion: 'continue' }),
  };

  // Ends debugging: the worker goes, and the run's own output comes back.
  function end() {
    if (session !== null) session.worker.terminate();
    session = null;
    panel.hidden = true;
    history.hidden = true;
    part('log').hidden = true;
    result.classList.remove('debugging');
    output.clear();
    debugButton.disabled = false;
    view?.dispatch({ effects: [showStep.of(null), showStepMarker.of(null)] });
  }

  // Debug: records the editor's text in a new worker, then shows its first stop.
  async function start() {
    end();
    const text = view.state.doc.toString();
    const worker = new Worker('debug_worker.js');
    session = { worker, answers: new Map(), next: 1, state: null, store: null, moving: false };
    const current = session;
    worker.onmessage = ({ data }) => {
      if (data.type === 'progress') {
        status.textContent = `Recording the run… ${count(data.step)} steps`;
        return;
      }
      current.answers.get(data.id)?.(data.answer);
      current.answers.delete(data.id);
    };
    debugButton.disabled = true;
    result.classList.add('debugging');
    panel.hidden = false;
    status.textContent = 'Recording the run…';
    status.className = 'status';
    table.replaceChildren();
    const answer = await ask({ type: 'start', code: text, stepLimit: STEP_LIMIT,
      outputLimit: OUTPUT_KEPT, breakpoints: breakpoints.list(), watches });
    if (answer === null) return;
    debugButton.disabled = false;
    output.set(answer.output.bytes, answer.output.total);
    render(answer.state);
  }

  for (const [id, motion] of Object.entries(motions)) {
    part(id).addEventListener('click', () => { if (session?.state) motion(); });
  }
  part('end-debug').addEventListener('click', end);
  timeline.addEventListener('input', () => goTo(Number(timeline.value) + 1));
  panel.querySelector('.watch-add').addEventListener('submit', (event) => {
    event.preventDefault();
    const input = part('watch-input');
    const expression = input.value.trim();
    input.value = '';
    if (expression !== '') setWatches([...watches, expression]);
  });
  part('log-point').addEventListener('submit', async (event) => {
    event.preventDefault();
    const line = Number(part('log-line-number').value);
    const message = part('log-message').value;
    if (!(line >= 1) || message === '') return;
    const answer = await ask({ type: 'past', name: 'log', args: [line, message] });
    if (answer !== null) {
      showLog(part('log'), line, answer.available ? answer.value : null, (step) => goTo(step));
    }
  });
  part('console').addEventListener('submit', async (event) => {
    event.preventDefault();
    const expression = part('evaluate').value.trim();
    const answer = expression === '' ? null : await ask({ type: 'evaluate', expression });
    const shown = part('evaluate-result');
    if (answer === null) return;
    shown.className = answer.ok ? '' : 'failed';
    if (answer.ok) valueCell(shown, answer);
    else shown.textContent = failure(answer);
  });
  document.addEventListener('keydown', (event) => {
    if (session?.state == null) return;
    const key = `${event.shiftKey ? 'Shift+' : ''}${event.key}`;
    const motion = { F10: 'step-over', F11: 'step-forward', 'Shift+F11': 'step-out',
      'Shift+F10': 'step-back', F8: 'continue', 'Shift+F8': 'back-to-breakpoint' }[key];
    if (motion === undefined) return;
    event.preventDefault();
    motions[motion]();
  });
  panel.hidden = true;

  return {
    extensions: [
      currentStep, breakpoints.extensions,
      // An edit makes the recording stale: debugging ends.
      EditorView.updateListener.of((update) => { if (update.docChanged && session) end(); }),
    ],
    // `check`: { checker, callJson }, the main module's checker for expressions that fail.
    attach(editor, check = null) {
      view = editor;
      check?.checker.then((module) => {
        checking = { checker: module, callJson: check.callJson };
      });
      breakpoints.attach(editor);
      output.attach();
      debugButton.addEventListener('click', start);
    },
    clearBreakpoints: () => breakpoints.clear(),
    // Debugs the editor's text and goes to a step of it (a live value's, for one).
    async openAt(step) {
      await start();
      if (session?.state) await goTo(step);
    },
  };
}
