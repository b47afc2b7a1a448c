// The debugger's output pane: the recorded run's output, kept once on the page (its first
// OUTPUT_KEPT bytes), and shown at each step as the prefix printed before that step, one
// clickable element per line (data-testid="output-line"), so that a line can ask which
// statement printed it. Only the last SHOWN_LINES lines before the step are laid out.

export const OUTPUT_KEPT = 1 << 20;
const SHOWN_LINES = 1000;

// The pane's handle; `onLineClick` hears of a click on a line, with its number from 1.
export function createOutputPane(pane, onLineClick) {
  let bytes = new Uint8Array(0);
  let total = 0;         // bytes the recording printed, kept or not
  let starts = [0];      // each line's first byte
  let shown = '';        // what is laid out, to skip a render that changes nothing
  const decoder = new TextDecoder();

  // How many lines have begun before `length` bytes.
  function linesBefore(length) {
    let low = 0;
    let high = starts.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (starts[middle] < length) low = middle + 1;
      else high = middle;
    }
    return low;
  }

  // One line's element: its text up to `length`, its number from 1.
  function lineElement(index, length, pending) {
    const element = document.createElement('span');
    element.dataset.testid = 'output-line';
    element.dataset.line = String(index + 1);
    element.className = pending ? 'output-line pending' : 'output-line';
    const end = Math.min(starts[index + 1] ?? bytes.length, pending ? bytes.length : length);
    element.textContent = decoder.decode(bytes.subarray(starts[index], end));
    element.title = pending ? 'The current statement prints this line'
      : `Output line ${index + 1}: click to go to the statement that printed it`;
    return element;
  }

  return {
    // The recorded output: its kept bytes, and how long it was in all.
    set(kept, length) {
      bytes = kept;
      total = length;
      starts = [0];
      for (let at = bytes.indexOf(10); at >= 0; at = bytes.indexOf(10, at + 1)) {
        if (at + 1 < bytes.length) starts.push(at + 1);
      }
      if (bytes.length === 0) starts = [];
      shown = '';
    },
    // The output before a step of `length` bytes; `pending`, a line the step is about to print;
    // `error`, the error line at an error stop.
    show(length, { pending = 0, error = null } = {}) {
      const count = linesBefore(Math.min(length, bytes.length));
      const key = `${length} ${pending} ${error}`;
      if (key === shown) return;
      shown = key;
      const from = Math.max(0, count - SHOWN_LINES);
      const children = [];
      if (from > 0) {
        const note = document.createElement('div');
        note.className = 'earlier';
        note.textContent = `… ${from} earlier lines`;
        children.push(note);
      }
      for (let index = from; index < count; index++) {
        children.push(lineElement(index, length, false));
      }
      if (pending > count && pending <= starts.length) {
        children.push(lineElement(pending - 1, length, true));
        const note = document.createElement('div');
        note.className = 'pending-note';
        note.textContent = `▲ output line ${pending}: the current statement prints it`;
        children.push(note);
      }
      if (length > bytes.length && total > bytes.length) {
        const cut = document.createElement('div');
        cut.className = 'cut';
        cut.textContent = `Output cut: only the first ${OUTPUT_KEPT >> 20} MiB is shown.`;
        children.push(cut);
      }
      if (error !== null) {
        const line = document.createElement('div');
        line.className = 'stderr';
        line.textContent = `[Error] ${error}`;
        children.push(line);
      }
      pane.replaceChildren(...children);
      pane.scrollTop = pane.scrollHeight;
    },
    // Empties the pane, for the next Debug.
    clear() {
      pane.replaceChildren();
      shown = '';
    },
    // Listens for clicks on the lines.
    attach() {
      pane.addEventListener('click', (event) => {
        const line = event.target.closest('[data-testid="output-line"]');
        if (line !== null) onLineClick(Number(line.dataset.line));
      });
    },
  };
}
