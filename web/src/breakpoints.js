// The debugger's breakpoints: a gutter of markers that move with edits, each with an optional
// condition and hit count, and a list beside the debugger where those are typed. A breakpoint is
// a blue dot (a diamond when it has a condition), so that it never looks like the red mark of
// an error in the lint gutter.
import { RangeSet, StateEffect, StateField } from '@codemirror/state';
import { EditorView, GutterMarker, gutter } from '@codemirror/view';

const toggleBreakpoint = StateEffect.define();  // a line's start
const clearAll = StateEffect.define();
const setCondition = StateEffect.define();  // { from, condition, hit }
export const showStepMarker = StateEffect.define();  // a line's start, or null

// A breakpoint's marker, holding its condition and hit count.
class BreakpointMarker extends GutterMarker {
  constructor(condition = '', hit = '') {
    super();
    this.condition = condition;
    this.hit = hit;
  }

  // Markers with the same condition and hit count draw the same.
  eq(other) {
    return other.condition === this.condition && other.hit === this.hit;
  }

  // A dot, or a diamond for a breakpoint with a condition or hit count.
  toDOM() {
    const dot = document.createElement('span');
    const conditional = this.condition !== '' || this.hit !== '';
    dot.className = conditional ? 'cm-breakpoint cm-breakpoint-conditional' : 'cm-breakpoint';
    dot.textContent = conditional ? '◆' : '●';
    dot.title = conditional
      ? `Breakpoint when ${[this.condition, this.hit && `hit ${this.hit}`].filter(Boolean)
        .join(', ')}`
      : 'Breakpoint';
    return dot;
  }
}

// The arrow at the current step, in the same gutter.
class StepMarker extends GutterMarker {
  toDOM() {
    const arrow = document.createElement('span');
    arrow.className = 'cm-step-arrow';
    arrow.textContent = '➜';
    return arrow;
  }
}
const stepMarker = new StepMarker();

// A marker the size of the widest, to size the gutter.
class Spacer extends GutterMarker {
  toDOM() {
    const spacer = document.createElement('span');
    spacer.className = 'cm-breakpoint-spacer';
    spacer.textContent = '●➜';
    return spacer;
  }
}

// The lines with a breakpoint, as markers at their starts.
const breakpointField = StateField.define({
  create: () => RangeSet.empty,
  update(set, transaction) {
    set = set.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (effect.is(clearAll)) set = RangeSet.empty;
      if (effect.is(setCondition)) {
        const { from, condition, hit } = effect.value;
        set = set.update({ filter: (at) => at !== from,
          add: [new BreakpointMarker(condition, hit).range(from)] });
      }
      if (!effect.is(toggleBreakpoint)) continue;
      let on = false;
      set.between(effect.value, effect.value, () => { on = true; });
      set = on ? set.update({ filter: (at) => at !== effect.value })
        : set.update({ add: [new BreakpointMarker().range(effect.value)] });
    }
    return set;
  },
});

// The current step's line start, for the arrow.
const stepField = StateField.define({
  create: () => RangeSet.empty,
  update(set, transaction) {
    set = set.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (effect.is(showStepMarker)) {
        set = effect.value === null ? RangeSet.empty
          : RangeSet.of([stepMarker.range(effect.value)]);
      }
    }
    return set;
  },
});

// The breakpoints as the engine takes them: [{ line, condition, hitCondition, from }].
export function breakpointList(state) {
  const list = [];
  state.field(breakpointField).between(0, state.doc.length, (from, to, marker) => {
    list.push({ line: state.doc.lineAt(from).number, condition: marker.condition,
      hitCondition: marker.hit, from });
  });
  return list;
}

// The gutter and the list; `changed` hears of every change to the breakpoints.
export function createBreakpoints(listElement, changed) {
  let view = null;
  let shown = '';
  const gutterExtension = gutter({
    class: 'cm-breakpoint-gutter',
    markers: (editor) => RangeSet.join([editor.state.field(breakpointField),
      editor.state.field(stepField)]),
    initialSpacer: () => new Spacer(),
    domEventHandlers: {
      mousedown(editor, line) {
        editor.dispatch({ effects: toggleBreakpoint.of(line.from) });
        return true;
      },
    },
  });

  // A row of the list: the line, its condition and hit count, and a button to remove it.
  function row({ line, condition, hitCondition }) {
    const item = document.createElement('li');
    item.dataset.line = String(line);
    const label = document.createElement('span');
    label.textContent = `line ${line}`;
    const field = (id, value, placeholder, title) => {
      const input = document.createElement('input');
      input.dataset.testid = id;
      input.value = value;
      input.placeholder = placeholder;
      input.title = title;
      input.setAttribute('aria-label', `${title}, line ${line}`);
      input.addEventListener('change', () => update(item));
      input.addEventListener('keydown', (event) => {
        if (event.key === 'Enter') update(item);
      });
      return input;
    };
    const remove = document.createElement('button');
    remove.textContent = '✕';
    remove.title = 'Remove this breakpoint';
    remove.addEventListener('click', () => {
      const at = view.state.doc.line(Number(item.dataset.line)).from;
      view.dispatch({ effects: toggleBreakpoint.of(at) });
    });
    item.append(label,
      field('breakpoint-condition', condition, 'condition, e.g. i == 3', 'Stop only when'),
      field('breakpoint-hit', hitCondition, 'hit count', 'Stop at this hit count'),
      remove);
    return item;
  }

  // A row's fields, put into its marker.
  function update(item) {
    const line = Number(item.dataset.line);
    if (line > view.state.doc.lines) return;
    const [condition, hit] = [...item.querySelectorAll('input')].map((input) => input.value.trim());
    const from = view.state.doc.line(line).from;
    const marker = breakpointList(view.state).find((entry) => entry.from === from);
    if (marker && marker.condition === condition && marker.hitCondition === hit) return;
    view.dispatch({ effects: setCondition.of({ from, condition, hit }) });
  }

  // The list follows the markers; it is built again only when the lines change, so a field
  // keeps its focus while its condition is set.
  function render(state) {
    const list = breakpointList(state);
    const lines = list.map(({ line }) => line).join(',');
    listElement.hidden = list.length === 0;
    if (lines === shown) return;
    shown = lines;
    listElement.querySelector('ul').replaceChildren(...list.map(row));
  }

  listElement.innerHTML = '<h3>Breakpoints</h3><ul></ul>';
  listElement.hidden = true;
  return {
    extensions: [breakpointField, stepField, gutterExtension,
      EditorView.updateListener.of((update) => {
        const before = update.startState.field(breakpointField);
        const after = update.state.field(breakpointField);
        if (before === after && !update.docChanged) return;
        render(update.state);
        if (before !== after) changed();
      })],
    attach(editor) {
      view = editor;
    },
    list: () => breakpointList(view.state).map(({ line, condition, hitCondition }) =>
      ({ line, condition, hitCondition })),
    clear: () => view.dispatch({ effects: clearAll.of(null) }),
  };
}
