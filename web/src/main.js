// The playground page: an editor checked as you type, and each run in a Web Worker of its own.
import {
  defaultKeymap, history as undoHistory, historyKeymap, indentWithTab,
} from '@codemirror/commands';
import { bracketMatching } from '@codemirror/language';
import { linter, lintGutter } from '@codemirror/lint';
import { EditorSelection, EditorState, StateEffect, StateField } from '@codemirror/state';
import {
  Decoration, EditorView, drawSelection, highlightActiveLine, keymap, lineNumbers,
} from '@codemirror/view';
import { createDebugger } from './debugger.js';
import { setupFormat } from './format.js';
import { setupExamples } from './examples.js';
import { azuvelLanguage } from './language.js';
import { createLiveValues } from './live.js';
import { atEnd, followOutput, showCut } from './output.js';
import { renderProblems } from './problems.js';
import { decodeShare, encodeShare } from './share.js';

const byId = (id) => document.querySelector(`[data-testid="${id}"]`);
const runButton = byId('run');
const stopButton = byId('stop');
const output = byId('output');
const statusLine = byId('status');
const problems = byId('problems');
const examples = byId('examples');

// The policy's nonce for the editor's style element (index.html): it writes its styles there.
const styleNonce = /'nonce-([^']+)'/.exec(
  document.querySelector('meta[http-equiv="Content-Security-Policy"]')?.content ?? '')?.[1] ?? '';

const OUTPUT_LIMIT = 1 << 20;  // stdout bytes shown: a runaway loop must not eat the page
const BLOCK_SIZE = 16 << 10;

// A server that does not label it application/wasm still gets it compiled, a little later.
const wasm = WebAssembly.compileStreaming(fetch('azuvel.wasm')).catch(() =>
  fetch('azuvel.wasm').then((response) => response.arrayBuffer()).then(WebAssembly.compile));
// The checker is pure, so one instance serves every keystroke; runs get fresh ones.
const checker = wasm.then((module) => AzuvelModule({
  instantiateWasm(imports, receive) {
    WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module));
    return {};
  },
  print() {},
  printErr() {},
}));

// Calls an exported text-to-JSON function; the texts on both sides are bytes.
function callJson(module, name, text) {
  const bytes = new TextEncoder().encode(text);
  const input = module._malloc(bytes.length + 1);
  module.HEAPU8.set(bytes, input);
  module.HEAPU8[input + bytes.length] = 0;
  const result = module[name](input);
  const end = module.HEAPU8.indexOf(0, result);
  const json = new TextDecoder().decode(module.HEAPU8.subarray(result, end));
  module._free(input);
  module._free(result);
  return JSON.parse(json);
}

// A 1-based line and byte column as an offset in the document.
function offsetAt(doc, line, byteColumn) {
  if (line < 1) return 0;
  if (line > doc.lines) return doc.length;
  const { from, text } = doc.line(line);
  let i = 0;
  for (let bytes = 1; i < text.length && bytes < byteColumn;) {
    const code = text.codePointAt(i);
    bytes += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    i += code > 0xffff ? 2 : 1;
  }
  return from + i;
}

// The line where a run stopped is marked until the text changes or the next run.
const markErrorLine = StateEffect.define();
const errorLineField = StateField.define({
  create: () => Decoration.none,
  update(marks, transaction) {
    if (transaction.docChanged) marks = Decoration.none;
    for (const effect of transaction.effects) {
      if (!effect.is(markErrorLine)) continue;
      marks = effect.value === null ? Decoration.none : Decoration.set(
        Decoration.line({ class: 'cm-run-error' }).range(effect.value));
    }
    return marks;
  },
  provide: (field) => EditorView.decorations.from(field),
});

function moveCursor(line, column) {
  const offset = offsetAt(view.state.doc, line, column);
  view.dispatch({ selection: EditorSelection.cursor(offset), scrollIntoView: true });
  view.focus();
}

const checkAsYouType = linter(async (editor) => {
  const module = await checker;
  const { doc } = editor.state;
  const text = doc.toString();
  const diagnostics = callJson(module, '_azuvel_check_json', text);
  renderProblems(problems, diagnostics, text, moveCursor, (from, to, insert) => {
    if (view.state.doc.toString() !== text) return;  // the list is older than the text
    const selection = EditorSelection.cursor(from + insert.length);
    view.dispatch({ changes: { from, to, insert }, selection });
    view.focus();
  });
  return diagnostics.map((diagnostic) => {
    const from = offsetAt(doc, diagnostic.line, diagnostic.column);
    const help = diagnostic.notes.filter((note) => note.kind === 'help');
    return {
      from,
      to: Math.max(from, offsetAt(doc, diagnostic.line, diagnostic.end_column)),
      severity: diagnostic.severity,
      message: [diagnostic.message, ...help.map((note) => `help: ${note.message}`)].join('\n'),
    };
  });
}, { delay: 250 });

const debug = createDebugger(byId('debugger'), byId('debug'));
const exampleList = setupExamples(examples, (text) => setScript(text));
const live = createLiveValues({ toggle: byId('live-values'), openAt: debug.openAt });
const view = new EditorView({
  parent: byId('editor'),
  state: EditorState.create({
    doc: '',
    extensions: [
      // Only "\n" ends a line, as for the interpreter; a carriage return stays in the text.
      EditorState.lineSeparator.of('\n'),
      lineNumbers(), undoHistory(), drawSelection(), highlightActiveLine(), bracketMatching(),
      keymap.of([
        { key: 'Mod-Enter', run: () => { run(); return true; } },
        { key: 'Ctrl-Enter', run: () => { run(); return true; } },
        // Tab indents; Escape then Tab leaves the editor, as CodeMirror's guidance has it.
        // Enter indents the new line by its depth in braces (defaultKeymap's
        // insertNewlineAndIndent, with the language's indentation).
        indentWithTab, ...defaultKeymap, ...historyKeymap,
      ]),
      azuvelLanguage, errorLineField, checkAsYouType, lintGutter(),
      EditorView.contentAttributes.of({ 'aria-label': 'Azuvel script' }),
      debug.extensions, exampleList.extension, EditorView.cspNonce.of(styleNonce),
      live.extensions,
    ],
  }),
});

function setScript(text) {
  view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text } });
}

// A spare worker waits prepared, so a run starts without loading anything; the next one is
// prepared once a run ends, not while it competes for the processor.
let spare = null;
let running = null;

async function prepareWorker() {
  const worker = new Worker('worker.js');
  worker.postMessage({ type: 'prepare', wasm: await wasm });
  return worker;
}

function setRunning(state) {
  running = state;
  live.pause(state !== null);
  if (state === null && spare === null) spare = prepareWorker();
  runButton.disabled = state !== null;
  stopButton.disabled = state === null;
}

function showStatus(text, kind) {
  statusLine.textContent = text;
  statusLine.className = kind;
}

function run() {
  if (running !== null) return;
  const text = view.state.doc.toString();
  const worker = spare;
  spare = null;
  const pane = document.createElement('div');
  pane.className = 'stdout';
  output.replaceChildren(pane);
  view.dispatch({ effects: markErrorLine.of(null) });
  showStatus('Running…', 'running');
  const decoder = new TextDecoder();
  const errors = new TextDecoder();
  const state = { worker, started: performance.now(), unshown: '', stderr: '' };
  // Output reaches the page once a frame, however fast it comes, in blocks of whole lines that
  // are laid out once: a growing flood costs each frame only the last block.
  let block = null;
  const show = () => {
    state.frame = 0;
    const text = state.unshown;
    state.unshown = '';
    if (text === '') return;
    const following = atEnd(output);
    if (block === null || (block.length > BLOCK_SIZE && block.data.endsWith('\n'))) {
      block = document.createTextNode('');
      pane.append(document.createElement('div'));
      pane.lastChild.append(block);
    }
    block.appendData(text);
    followOutput(output, following);
  };
  setRunning(state);
  worker.then((w) => {
    if (running !== state) return;
    state.live = w;
    w.onmessage = ({ data }) => {
      if (data.type === 'output') {
        for (const { fd, bytes } of data.chunks) {
          if (fd === 2) state.stderr += errors.decode(bytes, { stream: true });
          else state.unshown += decoder.decode(bytes, { stream: true });
        }
        if (!state.frame) state.frame = requestAnimationFrame(show);
        if (data.cut) {
          const following = atEnd(output);
          showCut(output, OUTPUT_LIMIT);
          followOutput(output, following);
        }
        return;
      }
      cancelAnimationFrame(state.frame);
      state.unshown += decoder.decode();
      show();
      finish(state, text, data, state.stderr + errors.decode());
    };
    w.postMessage({ type: 'run', code: new TextEncoder().encode(text), outputLimit: OUTPUT_LIMIT });
  });
}

function finish(state, text, result, stderr) {
  state.live.terminate();
  setRunning(null);
  const time = `${result.time < 10 ? result.time.toFixed(1) : Math.round(result.time)} ms`;
  const cut = result.cut ? ' · only the first MiB of output shown' : '';
  if (result.cut) showCut(output, OUTPUT_LIMIT);
  const kind = result.status === 0 ? 'ok' : 'failed';
  showStatus(`Exit status ${result.status} · ${time}${cut}`, kind);
  if (stderr === '') return;
  const error = document.createElement('div');
  error.className = 'stderr';
  error.textContent = stderr.replace(/\n$/, '');
  output.append(error);
  if (result.stop === null) return;
  const { line } = result.stop;
  if (line < 1 || line > view.state.doc.lines) return;
  view.dispatch({ effects: markErrorLine.of(view.state.doc.line(line).from) });
  const where = document.createElement('button');
  where.className = 'stop-line';
  where.textContent = `Stopped on line ${line}`;
  where.addEventListener('click', () => moveCursor(line, 1));
  output.append(where);
}

function stop() {
  if (running === null) return;
  const state = running;
  cancelAnimationFrame(state.frame);
  state.worker.then((w) => w.terminate());
  setRunning(null);
  const seconds = ((performance.now() - state.started) / 1000).toFixed(1);
  showStatus(`Stopped after ${seconds} s`, 'failed');
}

// A "#code=" link, on opening the page or a new one in the address bar, replaces the script and
// what the last one left on the page; one that cannot be read says so. False when there is none.
function loadFromLink() {
  const shared = decodeShare(location.hash);
  if (shared === null) return false;
  stop();
  output.replaceChildren();
  view.dispatch({ effects: markErrorLine.of(null) });
  if (shared.error !== undefined) showStatus(shared.error, 'failed');
  else {
    showStatus('', '');
    setScript(shared.text);
  }
  return shared.text !== undefined;
}

function share() {
  const url = `${location.href.replace(/#.*$/, '')}#code=${encodeShare(view.state.doc.toString())}`;
  history.replaceState(null, '', url);
  showStatus('Link to this script is in the address bar', 'ok');
  navigator.clipboard?.writeText(url).then(
    () => showStatus('Link copied to the clipboard', 'ok'), () => {});
}

runButton.addEventListener('click', run);
debug.attach(view, { checker, callJson });
live.attach(view);
stopButton.addEventListener('click', stop);
byId('share').addEventListener('click', share);
setupFormat({ view, button: byId('format'), checker, callJson, showStatus });
// Outside the editor too; inside it, the editor's own binding has handled the key already.
document.addEventListener('keydown', (event) => {
  if (event.key === 'Enter' && (event.ctrlKey || event.metaKey) && !event.defaultPrevented) run();
});
window.addEventListener('hashchange', loadFromLink);
setRunning(null);
if (!loadFromLink()) {
  exampleList.list.then((list) => {
    const hello = list.find(({ name }) => name === 'hello') ?? list[0];
    if (hello && view.state.doc.length === 0) exampleList.show(hello.name);
  });
}
if ('serviceWorker' in navigator && location.protocol.startsWith('http')) {
  navigator.serviceWorker.register('sw.js').catch(() => {});
}
