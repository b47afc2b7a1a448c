// The Format button and Shift+Alt+F: the script laid out by azuvel-fmt, compiled into the same
// WebAssembly module as the checker.

// The formatted text as a change: only the stretch that differs is replaced, so the cursor and
// the undo history stay where the text stays.
function changeTo(doc, text) {
  const old = doc.toString();
  if (old === text) return null;
  let from = 0;
  while (from < old.length && from < text.length && old[from] === text[from]) from++;
  let oldEnd = old.length;
  let newEnd = text.length;
  while (oldEnd > from && newEnd > from && old[oldEnd - 1] === text[newEnd - 1]) {
    oldEnd--;
    newEnd--;
  }
  return { from, to: oldEnd, insert: text.slice(from, newEnd) };
}

// Shift+Alt+F by the key's place, since Alt changes the character on some layouts.
function isFormatKey(event) {
  return event.shiftKey && event.altKey && !event.ctrlKey && !event.metaKey &&
    event.code === 'KeyF';
}

// Wires the button and the key to format the editor's script. `checker` resolves to the
// module; `callJson(module, name, text)` calls one of its text-to-JSON exports.
export function setupFormat({ view, button, checker, callJson, showStatus }) {
  const format = async () => {
    const module = await checker;
    const result = callJson(module, '_azuvel_format_json', view.state.doc.toString());
    if (!result.ok) {
      const place = result.line > 0 ? `line ${result.line}, column ${result.column}: ` : '';
      showStatus(`Not formatted: ${place}${result.message}`, 'failed');
      return;
    }
    const change = changeTo(view.state.doc, result.text);
    if (change !== null) view.dispatch({ changes: change, scrollIntoView: true });
    const done = change === null ? 'Already formatted' : 'Formatted';
    // Statements with an error stay as written, so the checker can still explain them.
    const kept = (result.kept || []).map((note) => `line ${note}`).join('; ');
    showStatus(kept === '' ? done : `${done}, except ${kept}`, 'ok');
  };
  button.addEventListener('click', format);
  // The editor does not take the key, so it reaches the document from there too.
  document.addEventListener('keydown', (event) => {
    if (!isFormatKey(event) || event.defaultPrevented) return;
    event.preventDefault();
    format();
  });
  return format;
}
