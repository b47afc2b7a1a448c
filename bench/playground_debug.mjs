// The playground's debugger session in WebAssembly, under Node: the time to record a run of
// 2,000,000 steps (the page's limit) in the worker's slices, then to go to steps spread over it,
// to step back, and to go back to a conditional breakpoint about a million steps back; and, in a
// module that has them (past_web.cpp), the questions about the past.
// Usage: node --no-experimental-fetch bench/playground_debug.mjs SITE_DIR
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';

const site = resolve(process.argv[2] ?? 'build/web');
const module = await createRequire(import.meta.url)(join(site, 'azuvel_debug.js'))({
  print: () => {},
  printErr: () => {},
});

// Calls an export; strings go in as C strings, the JSON answer comes back parsed.
function call(name, ...args) {
  const allocated = [];
  const values = args.map((arg) => {
    if (typeof arg !== 'string') return arg;
    const bytes = Buffer.from(arg);
    const at = module._malloc(bytes.length + 1);
    module.HEAPU8.set(bytes, at);
    module.HEAPU8[at + bytes.length] = 0;
    allocated.push(at);
    return at;
  });
  const result = module[`_${name}`](...values);
  allocated.forEach((at) => module._free(at));
  const text = Buffer.from(module.HEAPU8.subarray(result, module.HEAPU8.indexOf(0, result)));
  module._free(result);
  return JSON.parse(text.toString());
}

// Milliseconds a call takes, and its answer.
function timed(name, ...args) {
  const started = performance.now();
  const answer = call(name, ...args);
  return { ms: performance.now() - started, answer };
}

const median = (list) => list.slice().sort((a, b) => a - b)[list.length >> 1];
const show = (what, ms) => console.log(`${what.padEnd(52)} ${ms.toFixed(1).padStart(8)} ms`);

// A counter, a running total and a print on each pass: 3 statements a pass, 1,800,004 steps.
const script = 'var i = 0;\nvar total = 0;\nwhile (i < 600000) {\n    i = i + 1;\n'
  + '    total = total + i;\n    print("i", i);\n}\nprint("total", total);\n';
const LIMIT = 2000000;
call('azuvel_debug_start', script, LIMIT);
let started = performance.now();
let state = call('azuvel_debug_advance', 4, 1, 65536);
while (state.stop === 'slice') state = call('azuvel_debug_advance', 4, 0, 65536);
show(`record ${state.last} steps (${state.stop})`, performance.now() - started);

const spread = Array.from({ length: 41 },
  (_, k) => 1 + Math.floor(((k * 7919) % 41) * state.last / 41));
show('go to a step (median of 41 spread over the run)',
  median(spread.map((step) => timed('azuvel_debug_go_to', step).ms)));
call('azuvel_debug_go_to', state.last - 10);
show('step back (go to the step before)', timed('azuvel_debug_go_to', state.last - 11).ms);
call('azuvel_debug_set_breakpoints', JSON.stringify([{ line: 5, condition: 'i == 300000' }]));
const back = timed('azuvel_debug_reverse_continue');
show(`back to a breakpoint ${state.last - back.answer.step} steps back`, back.ms);
call('azuvel_debug_set_breakpoints', '[]');

if (typeof module._azuvel_past_printed_by === 'function') {
  show('which step printed output line 300000', timed('azuvel_past_printed_by', 300000).ms);
  show('last and next write of total around the middle',
    timed('azuvel_past_writes', 'total', Math.floor(state.last / 2)).ms);
  show('history of total', timed('azuvel_past_history', 'total').ms);
  show('a log point over the whole run', timed('azuvel_past_log', 4, 'i is {i}').ms);
} else {
  console.log('(this module has no questions about the past)');
}
