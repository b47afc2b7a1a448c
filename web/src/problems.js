// The problems list under the editor: each diagnostic with its notes and help lines, a click to
// go to its place, and its fixes as buttons that apply them.

// The UTF-16 position in `text` of a byte offset into its UTF-8 form.
export function positionOfByte(text, byteOffset) {
  let bytes = 0;
  let i = 0;
  while (i < text.length && bytes < byteOffset) {
    const code = text.codePointAt(i);
    bytes += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    i += code > 0xffff ? 2 : 1;
  }
  return i;
}

// What a fix does, as a button says it: "Change 'x += 1;' to 'x = x + 1;'".
export function fixTitle(before, replacement) {
  const shown = (text) => {
    const flat = text.replace(/[\n\r\t]/g, ' ');
    return `'${flat.length > 40 ? `${flat.slice(0, 40)}…` : flat}'`;
  };
  if (replacement === '') return `Remove ${shown(before)}`;
  if (before === '') return `Insert ${shown(replacement)}`;
  return `Change ${shown(before)} to ${shown(replacement)}`;
}

// Fills `list` with the diagnostics. `goTo(line, column)` moves the cursor; `applyFix(from, to,
// text)` replaces the document's [from, to) (UTF-16 positions of `text`, the checked text).
export function renderProblems(list, diagnostics, text, goTo, applyFix) {
  list.replaceChildren(...diagnostics.map((diagnostic) => {
    const item = document.createElement('li');
    item.className = diagnostic.severity;
    item.tabIndex = 0;
    const head = document.createElement('div');
    head.textContent = `${diagnostic.line}:${diagnostic.column} ${diagnostic.message}`;
    item.append(head);
    for (const note of diagnostic.notes) {
      const line = document.createElement('div');
      line.className = 'note';
      line.textContent = note.kind === 'help' ? `help: ${note.message}`
        : `${note.line}:${note.column} note: ${note.message}`;
      item.append(line);
    }
    for (const fix of diagnostic.fixes ?? []) {
      const from = positionOfByte(text, fix.start);
      const to = positionOfByte(text, fix.end);
      const button = document.createElement('button');
      button.className = 'fix';
      button.textContent = fixTitle(text.slice(from, to), fix.replacement);
      button.addEventListener('click', (event) => {
        event.stopPropagation();
        applyFix(from, to, fix.replacement);
      });
      item.append(button);
    }
    const go = () => goTo(diagnostic.line, diagnostic.column);
    item.addEventListener('click', go);
    item.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && event.target === item) go();
    });
    return item;
  }));
}
