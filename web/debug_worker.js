// The debugger's worker: holds the one session of azuvel_debug.js (debug_web.cpp) for a Debug,
// records the run in slices (posting its progress, so the page can end it at any time), and then
// answers the page's requests one at a time, in the order they came. Every answer that moves the
// session carries the state it stands in.
importScripts('azuvel_debug.js');

const SLICE = 1 << 16;  // steps between two looks at the queue and two progress messages
const MOTIONS = { 'step-in': 0, 'step-over': 1, 'step-out': 2, continue: 3, record: 4 };

let module = null;
const ready = AzuvelDebugModule({ print() {}, printErr() {} }).then((loaded) => {
  module = loaded;
});

// Calls an export that returns a malloc'd JSON text; string arguments are passed as C strings.
function call(name, ...args) {
  const allocated = [];
  const values = args.map((arg) => {
    if (typeof arg !== 'string') return arg;
    const bytes = new TextEncoder().encode(arg);
    const at = module._malloc(bytes.length + 1);
    module.HEAPU8.set(bytes, at);
    module.HEAPU8[at + bytes.length] = 0;
    allocated.push(at);
    return at;
  });
  const result = module[`_${name}`](...values);
  for (const at of allocated) module._free(at);
  const end = module.HEAPU8.indexOf(0, result);
  const text = new TextDecoder().decode(module.HEAPU8.subarray(result, end));
  module._free(result);
  return JSON.parse(text);
}

// The session's output, up to `limit` bytes, copied out of the module.
function outputBytes(limit) {
  const length = Math.min(module._azuvel_debug_output_length(), limit);
  const at = module._azuvel_debug_output();
  return { bytes: module.HEAPU8.slice(at, at + length),
           total: module._azuvel_debug_output_total() };
}

const breath = () => new Promise((resolve) => setTimeout(resolve, 0));

// Runs a motion to its end, a slice at a time; `progress` hears of each slice.
async function motion(name, progress) {
  let state = call('azuvel_debug_advance', MOTIONS[name], 1, SLICE);
  while (state.stop === 'slice') {
    progress?.(state);
    await breath();
    state = call('azuvel_debug_advance', MOTIONS[name], 0, SLICE);
  }
  return state;
}

// Tells the page how far a long motion has gone.
const progress = (at) => postMessage({ type: 'progress', step: at.step });

// Starts a session: the run recorded to its end or its limit, then the first stop: the first
// breakpoint reached going forward when there is one, else step 1.
async function start({ code, stepLimit, outputLimit, breakpoints, watches }) {
  call('azuvel_debug_start', code, stepLimit);
  const placed = call('azuvel_debug_set_breakpoints', JSON.stringify(breakpoints));
  call('azuvel_debug_set_watches', JSON.stringify(watches));
  let first = null;
  if (breakpoints.length > 0) {
    const state = await motion('continue', progress);
    if (state.stop === 'breakpoint') first = state.step;
  }
  await motion('record', progress);
  const output = outputBytes(outputLimit);
  const state = call('azuvel_debug_go_to', first ?? 1);
  return { state, placed, output, first };
}

const handlers = {
  start,
  move: ({ motion: name }) => motion(name),
  go: ({ step }) => call('azuvel_debug_go_to', step),
  'step-back': () => call('azuvel_debug_step_back'),
  back: () => call('azuvel_debug_reverse_continue'),
  breakpoints: ({ list }) => call('azuvel_debug_set_breakpoints', JSON.stringify(list)),
  watches: ({ list }) => call('azuvel_debug_set_watches', JSON.stringify(list)),
  evaluate: ({ expression }) => call('azuvel_debug_evaluate', expression),
  state: () => call('azuvel_debug_state'),
  // A question about the past (past_web.cpp): printed_by, writes, history or log.
  past: ({ name, args }) => {
    const available = typeof module[`_azuvel_past_${name}`] === 'function';
    return { available, value: available ? call(`azuvel_past_${name}`, ...args) : null };
  },
};

// Requests wait for the module and for each other: a motion in slices finishes before the next.
let queue = ready;
onmessage = ({ data }) => {
  queue = queue.then(async () => {
    const handler = handlers[data.type];
    const answer = handler ? await handler(data) : null;
    postMessage({ type: 'answer', id: data.id, answer });
  });
};
