// Azuvel highlighting and indentation: a line-by-line tokenizer, since the language has no
// nesting to parse beyond the depth of its braces.
import {
  HighlightStyle, StreamLanguage, indentOnInput, indentUnit, syntaxHighlighting,
} from '@codemirror/language';
import { tags } from '@lezer/highlight';

const keywords = new Set(['print', 'var', 'if', 'while', 'function', 'return']);

// A string ends only at a quote not preceded by a backslash, and may run over several lines.
function readString(stream, state) {
  while (!stream.eol()) {
    const c = stream.next();
    if (c === '\\' && stream.peek() === '"') stream.next();
    else if (c === '"') {
      state.inString = false;
      return;
    }
  }
  state.inString = true;
}

const azuvel = StreamLanguage.define({
  name: 'azuvel',
  startState: () => ({ line: 0, inString: false, depth: 0 }),
  token(stream, state) {
    if (stream.sol()) state.line++;
    if (state.inString) {
      readString(stream, state);
      return 'string';
    }
    if (stream.eatSpace()) return null;
    // The header directive counts only on the first line, even inside a comment.
    if (state.line === 1 && stream.match(/^sg<[^>]*>?/)) return 'meta';
    if (stream.peek() === '#') {
      stream.next();
      if (state.line === 1) {
        while (!stream.eol() && !stream.match(/^sg</, false)) stream.next();
      } else {
        stream.skipToEnd();
      }
      return 'comment';
    }
    if (stream.match('"nel"')) return 'atom';
    if (stream.eat('"')) {
      readString(stream, state);
      return 'string';
    }
    if (stream.match(/^(\d|\.\d)[\d.]*/)) return 'number';
    if (stream.match(/^[A-Za-z_]\w*/)) {
      return keywords.has(stream.current()) ? 'keyword' : 'variableName';
    }
    if (stream.match(/^(==|!=|&&|\|\||[-+*/<>=!])/)) return 'operator';
    const c = stream.next();
    if (c === '{') state.depth++;
    else if (c === '}') state.depth = Math.max(0, state.depth - 1);
    return 'punctuation';
  },
  // A line sits one unit deeper per open brace, as azuvel-fmt lays it out; one that starts with
  // "}" closes its block first.
  indent: (state, textAfter, context) =>
    Math.max(0, state.depth - (textAfter.startsWith('}') ? 1 : 0)) * context.unit,
  languageData: { commentTokens: { line: '#' }, indentOnInput: /^\s*\}$/ },
});

const style = HighlightStyle.define([
  { tag: tags.keyword, color: '#7a1fa2', fontWeight: 'bold' },
  { tag: tags.string, color: '#0b7a0b' },
  { tag: tags.number, color: '#0b5cad' },
  { tag: tags.comment, color: '#777', fontStyle: 'italic' },
  { tag: tags.meta, color: '#b35c00', fontWeight: 'bold' },
  { tag: tags.atom, color: '#b35c00', fontWeight: 'bold' },
  { tag: tags.operator, color: '#a0341c' },
]);

// Four spaces a level, for Enter, Tab and a typed "}" alike.
export const azuvelLanguage = [
  azuvel, syntaxHighlighting(style), indentUnit.of('    '), indentOnInput(),
];
