// The playground's questions about the past (web/past_web.cpp), compiled to WebAssembly, asked
// under Node over runs recorded in the module's own session (tests/web/past_web_session.cpp).
// PAST_WEB_MODULE names the module's JavaScript, built by
//   emcmake cmake -S . -B build-wasm -DAZUVEL_TESTS=OFF && cmake --build build-wasm --target past_web_test
// and the test runs with:
//   PAST_WEB_MODULE=build-wasm/web/past_web_test.js node --no-experimental-fetch --test \
//       tests/web/past_web.test.mjs
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { resolve } from 'node:path';
import { before, test } from 'node:test';

const path = process.env.PAST_WEB_MODULE;
assert.ok(path, 'PAST_WEB_MODULE must name past_web_test.js');
let module;

// A string copied into the module's memory, for the caller to free.
function newString(text) {
  const size = module.lengthBytesUTF8(text) + 1;
  const pointer = module._malloc(size);
  module.stringToUTF8(text, pointer, size);
  return pointer;
}

// Calls an export that takes strings and numbers and returns a malloc'd JSON text.
function ask(name, ...args) {
  const made = [];
  const passed = args.map((arg) => {
    if (typeof arg !== 'string') return arg;
    const pointer = newString(arg);
    made.push(pointer);
    return pointer;
  });
  const answer = module[`_azuvel_past_${name}`](...passed);
  made.forEach((pointer) => module._free(pointer));
  const text = module.UTF8ToString(answer);
  module._free(answer);
  return JSON.parse(text);
}

function record(text) {
  const pointer = newString(text);
  const last = module._past_test_record(pointer);
  module._free(pointer);
  return last;
}

before(async () => {
  const require = createRequire(import.meta.url);
  module = await require(resolve(path))();
});

// Steps: 1 L1, 2 L2, 3 L3 while, then per pass 4 L4, 5 L5, 6 L6 (3 passes), 13 L8.
const summing = [
  'var i = 0;',
  'var total = 0;',
  'while (i < 3) {',
  '    i = i + 1;',
  '    total = total + 0.1;',
  '    print(i, total);',
  '}',
  'print("end");',
  '',
].join('\n');

test('which step printed an output line, and none past the last', () => {
  assert.equal(record(summing), 14);
  assert.deepEqual(ask('printed_by', 2), { step: 9, line: 6, column: 5 });
  assert.deepEqual(ask('printed_by', 4), { step: 13, line: 8, column: 1 });
  assert.equal(ask('printed_by', 5), null);
  assert.equal(ask('printed_by', 0), null);
});

test('the last and next writes of a name around a step', () => {
  record(summing);
  assert.deepEqual(ask('writes', 'total', 9), {
    last: { step: 8, line: 5, column: 5 }, next: { step: 11, line: 5, column: 5 } });
  assert.deepEqual(ask('writes', 'total', 2), { last: null, next: { step: 5, line: 5, column: 5 } });
  assert.deepEqual(ask('writes', 'nothing', 9), { last: null, next: null });
});

test('a history: its count, first and last values, exact and as print shows them', () => {
  record(summing);
  const history = ask('history', 'total');
  assert.equal(history.count, 4);
  assert.deepEqual(history.first[0], { step: 2, line: 2, column: 1, value: '0', print: '0' });
  assert.deepEqual(history.last.at(-1),
    { step: 11, line: 5, column: 5, value: '0.30000000000000004', print: '0.3' });
});

test('a log point over the whole run, bounded to its first 1000 lines', () => {
  record(summing);
  assert.deepEqual(ask('log', 4, 'i is {i}'),
    [{ step: 4, text: 'i is 0' }, { step: 7, text: 'i is 1' }, { step: 10, text: 'i is 2' }]);
  record('var i = 0;\nwhile (i < 500000) {\n    i = i + 1;\n}\n');
  const lines = ask('log', 3, '{i}');
  assert.equal(lines.length, 1000);
  assert.deepEqual(lines.at(-1), { step: 1002, text: '999' });
  assert.deepEqual(ask('writes', 'i', 400000), {
    last: { step: 399999, line: 3, column: 5 }, next: { step: 400001, line: 3, column: 5 } });
});
