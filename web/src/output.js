// The output pane's manners while a run prints: it follows the end unless the reader has
// scrolled up, and it says so when output is cut at its limit.

// Whether the pane shows its end now, before more output is added.
export function atEnd(pane) {
  return pane.scrollHeight - pane.scrollTop - pane.clientHeight < 4;
}

// Keeps the end in view after output was added, when it was in view before.
export function followOutput(pane, wasAtEnd) {
  if (wasAtEnd) pane.scrollTop = pane.scrollHeight;
}

// A line at the end of the pane that says the output was cut; once per run.
export function showCut(pane, limit) {
  if (pane.querySelector('.cut') !== null) return;
  const note = document.createElement('div');
  note.className = 'cut';
  note.textContent = `Output cut: only the first ${limit >> 20} MiB is shown.`;
  pane.append(note);
}
