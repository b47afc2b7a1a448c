// The example list: choosing one loads it, and the list names the example the editor shows
// until the text is edited away from it ("choose…" then, so choosing it again reloads it).
import { EditorView } from '@codemirror/view';

// Fills `select` from examples.json; `setScript(text)` puts a script in the editor. Returns the
// editor extension that keeps the name honest, `shown(name)` to load an example by name, and
// `list`, which resolves to the examples once they are read.
export function setupExamples(select, setScript) {
  let chosen = null;  // the example the editor shows, until an edit
  const list = fetch('examples.json').then((response) => response.json()).then((examples) => {
    for (const { name } of examples) select.add(new Option(name, name));
    return examples;
  });

  // Loads the named example, or forgets the choice when there is none of that name.
  const show = async (name) => {
    const example = (await list).find((entry) => entry.name === name) ?? null;
    chosen = null;
    if (example !== null) setScript(example.code);
    chosen = example;
    select.value = example === null ? '' : example.name;
  };
  select.addEventListener('change', () => show(select.value));

  const extension = EditorView.updateListener.of((update) => {
    if (!update.docChanged || chosen === null) return;
    if (update.state.doc.length === chosen.code.length &&
        update.state.doc.toString() === chosen.code) return;
    chosen = null;
    select.value = '';
  });
  return { extension, show, list };
}
