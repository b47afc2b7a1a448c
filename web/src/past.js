// The debugger's answers about the past, as the page shows them: a variable's history (its
// values with their steps, the first and last few of a long run, each a way back to its step)
// and the buttons to the step that last set it before the current one, and the next.

// Fills `panel` (data-testid="history") with a name's history; `goTo` moves to a step,
// `writes` asks for the last and next write around the current step.
export function showHistory(panel, name, history, { goTo, writes }) {
  panel.hidden = false;
  const title = document.createElement('h3');
  const close = document.createElement('button');
  close.textContent = '✕';
  close.title = 'Close the history';
  close.className = 'close';
  close.addEventListener('click', () => { panel.hidden = true; });
  if (history === null) {
    title.textContent = `History of ${name}`;
    const note = document.createElement('p');
    note.textContent = 'This build of the playground cannot look into the past.';
    panel.replaceChildren(close, title, note);
    return;
  }
  const count = history.count;
  title.textContent = `History of ${name} · ${count} ${count === 1 ? 'write' : 'writes'}`;
  const moves = document.createElement('div');
  moves.className = 'history-moves';
  for (const [id, text, which] of [['last-write', '◀ Last set', 'last'],
    ['next-write', 'Next set ▶', 'next']]) {
    const button = document.createElement('button');
    button.dataset.testid = id;
    button.textContent = text;
    button.title = which === 'last' ? `Go to the statement that last set ${name} before this step`
      : `Go to the next statement that sets ${name}`;
    button.addEventListener('click', async () => {
      const found = (await writes(name))?.[which];
      if (found) goTo(found.step);
      else button.classList.add('none');
    });
    moves.append(button);
  }
  const list = document.createElement('ul');
  list.className = 'history-list';
  const entries = [...history.first];
  const skipped = count - history.first.length - history.last.length;
  const firstSteps = new Set(history.first.map(({ step }) => step));
  const last = history.last.filter(({ step }) => !firstSteps.has(step));
  for (const entry of [...entries, null, ...last]) {
    const item = document.createElement('li');
    if (entry === null) {
      if (skipped <= 0) continue;
      item.className = 'skipped';
      item.textContent = `… ${skipped} more`;
      list.append(item);
      continue;
    }
    const button = document.createElement('button');
    button.dataset.testid = 'history-entry';
    button.dataset.step = String(entry.step);
    button.textContent = `step ${entry.step} · line ${entry.line}: ${entry.value}`;
    button.title = `Go to step ${entry.step}, the statement that set this value`;
    button.addEventListener('click', () => goTo(entry.step));
    item.append(button);
    if (entry.print !== undefined && entry.print !== entry.value) {
      const print = document.createElement('span');
      print.className = 'print-form';
      print.textContent = `print: ${entry.print}`;
      item.append(print);
    }
    list.append(item);
  }
  panel.replaceChildren(close, title, moves, list);
}

// Marks the write in a shown history that gave the value the current step sees: the last one
// before it.
export function markSource(panel, step) {
  let source = null;
  for (const button of panel.querySelectorAll('[data-testid="history-entry"]')) {
    button.classList.remove('source');
    button.title = `Go to step ${button.dataset.step}, the statement that set this value`;
    if (Number(button.dataset.step) < step) source = button;
  }
  if (source === null) return;
  source.classList.add('source');
  source.title = 'This write gave the value the current step sees';
}

// Fills `panel` with what a log point set after the fact would have printed: each line with its
// step, a way back to it.
export function showLog(panel, line, lines, goTo) {
  panel.hidden = false;
  const title = document.createElement('h3');
  title.textContent = lines === null
    ? 'This build of the playground cannot look into the past.'
    : `Line ${line} would have logged ${lines.length} ${lines.length === 1 ? 'line' : 'lines'}`;
  const list = document.createElement('ul');
  list.className = 'history-list';
  for (const { step, text } of lines ?? []) {
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.dataset.testid = 'log-line';
    button.textContent = `step ${step}: ${text}`;
    button.title = `Go to step ${step}`;
    button.addEventListener('click', () => goTo(step));
    item.append(button);
    list.append(item);
  }
  panel.replaceChildren(title, list);
}
