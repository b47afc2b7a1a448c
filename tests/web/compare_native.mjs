// Runs every golden script, every example and the number cases here through the native
// interpreter and through the WebAssembly build under Node, and compares stdout bytes, stderr
// (the [Error] line) and the exit status; and the checker's diagnostics, as JSON, with those of
// the native azuvel-check; the debugger's session stepped through each run, statement by
// statement, with the recording of the native azuvel-dap (found beside azuvel); and, given
// NATIVE_AZUVEL_FMT, the formatted script with that of the native azuvel-fmt.
// Usage: node --no-experimental-fetch compare_native.mjs NATIVE_AZUVEL NATIVE_AZUVEL_CHECK
// SITE_DIR [NATIVE_AZUVEL_FMT]
import { spawnSync } from 'node:child_process';
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, relative, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const [native, nativeCheck, site, nativeFmt] = process.argv.slice(2).map((path) => resolve(path));
process.setMaxListeners(0);  // each instance adds its own process handlers
const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..', '..');
const factory = createRequire(import.meta.url)(join(site, 'azuvel.js'));
const wasmModule = new WebAssembly.Module(readFileSync(join(site, 'azuvel.wasm')));

function scripts(dir) {
  return readdirSync(dir).sort().flatMap((name) => {
    const path = join(dir, name);
    if (statSync(path).isDirectory()) return scripts(path);
    return name.endsWith('.az') ? [path] : [];
  });
}

// A fresh instance per script: a run ends its process with exit.
async function runWasm(bytes) {
  const out = { 1: [], 2: [] };
  const module = await factory({
    azuvelWrite: (fd, chunk) => out[fd].push(chunk),
    instantiateWasm: (imports, receive) => {
      receive(new WebAssembly.Instance(wasmModule, imports), wasmModule);
      return {};
    },
    quit: (status, toThrow) => { throw toThrow; },
    print: () => {},
    printErr: () => {},
  });
  module.FS.writeFile('/script.az', bytes);
  const status = module.callMain(['/script.az']);
  return { stdout: Buffer.concat(out[1]), stderr: Buffer.concat(out[2]), status };
}

// The page's checker: one instance serves every script, as on the page.
const checker = await factory({
  instantiateWasm: (imports, receive) => {
    receive(new WebAssembly.Instance(wasmModule, imports), wasmModule);
    return {};
  },
});

function checkWasm(bytes) {
  const input = checker._malloc(bytes.length + 1);
  checker.HEAPU8.set(bytes, input);
  checker.HEAPU8[input + bytes.length] = 0;
  const result = checker._azuvel_check_json(input);
  const json = Buffer.from(checker.HEAPU8.subarray(result, checker.HEAPU8.indexOf(0, result)));
  checker._free(input);
  checker._free(result);
  return withoutFile(JSON.parse(json));
}

// The command names the file in each diagnostic; the page has none to name.
const withoutFile = (list) => list.map(({ file: _, ...diagnostic }) => diagnostic);

// The debugger's module: one instance holds the session for every script, as one page's worker
// does for each Debug. The recording azuvel-dap --record prints is made again from the session's
// states, stepping in one statement at a time as the page does.
const debuggerModule = await createRequire(import.meta.url)(join(site, 'azuvel_debug.js'))({
  print: () => {},
  printErr: () => {},
});
const STEP_LIMIT = 20000;

// Calls one of the session's exports; its answer is JSON.
function session(name, ...args) {
  const allocated = args.map((arg) => {
    if (!(arg instanceof Uint8Array)) return arg;
    const at = debuggerModule._malloc(arg.length + 1);
    debuggerModule.HEAPU8.set(arg, at);
    debuggerModule.HEAPU8[at + arg.length] = 0;
    return at;
  });
  const result = debuggerModule[`_${name}`](...allocated);
  allocated.forEach((at, i) => { if (args[i] instanceof Uint8Array) debuggerModule._free(at); });
  const end = debuggerModule.HEAPU8.indexOf(0, result);
  const json = Buffer.from(debuggerModule.HEAPU8.subarray(result, end)).toString();
  debuggerModule._free(result);
  return JSON.parse(json);
}

function recordWasm(bytes) {
  // The session's own limit lies beyond the recording's, which is cut here as the native one is.
  session('azuvel_debug_start', bytes, STEP_LIMIT + 2);
  const steps = [];
  let before = [];
  let cut = false;
  let state;
  for (;;) {
    state = session('azuvel_debug_advance', 0, 1, 1 << 20);
    if (state.stop === 'end') break;
    if (steps.length >= STEP_LIMIT) {
      cut = true;
      break;
    }
    const changes = [];
    state.store.forEach(({ name, print, kind, unread }, i) => {
      const old = before[i];
      if (!old || old.print !== print || old.kind !== kind) {
        changes.push([i, name, print, kind, unread]);
      }
    });
    before = state.store;
    steps.push([state.line, state.column, state.depth, state.output_length, changes]);
    if (state.stop === 'error') break;
  }
  const at = debuggerModule._azuvel_debug_output();
  const output = Buffer.from(debuggerModule.HEAPU8.subarray(at,
    at + debuggerModule._azuvel_debug_output_length())).toString();
  // In the order of the native recording's keys.
  return JSON.stringify({ cut, error: state.error, output, status: state.error === null ? 0 : 1,
    steps });
}

const nativeDebugger = join(dirname(native), 'azuvel-dap');
// The native recording, in the same JSON form as recordWasm's.
const recordNative = (file) => JSON.stringify(JSON.parse(
  spawnSync(nativeDebugger, ['--record', file, String(STEP_LIMIT)]).stdout.toString()));

function checkNative(file) {
  return withoutFile(JSON.parse(spawnSync(nativeCheck, ['--format=json', file]).stdout));
}

// The page's formatter, on the same instance: the text, or "unchanged" for a script it leaves.
function formatWasm(bytes) {
  const input = checker._malloc(bytes.length + 1);
  checker.HEAPU8.set(bytes, input);
  checker.HEAPU8[input + bytes.length] = 0;
  const result = checker._azuvel_format_json(input);
  const json = Buffer.from(checker.HEAPU8.subarray(result, checker.HEAPU8.indexOf(0, result)));
  checker._free(input);
  checker._free(result);
  const formatted = JSON.parse(json);
  return formatted.ok ? formatted.text : 'unchanged';
}

function formatNative(file) {
  const done = spawnSync(nativeFmt, [file]);
  return done.status === 0 ? done.stdout.toString() : 'unchanged';
}

const files = [...scripts(join(root, 'tests', 'golden')), ...scripts(join(root, 'examples')),
               ...scripts(here)];
let passed = 0;
let failed = 0;
for (const file of files) {
  const expected = spawnSync(native, [file]);
  const actual = await runWasm(readFileSync(file));
  expected.diagnostics = JSON.stringify(checkNative(file));
  actual.diagnostics = JSON.stringify(checkWasm(readFileSync(file)));
  expected.recording = recordNative(file);
  actual.recording = recordWasm(readFileSync(file));
  if (nativeFmt) {
    expected.formatted = formatNative(file);
    actual.formatted = formatWasm(readFileSync(file));
  }
  const differences = ['stdout', 'stderr', 'status', 'diagnostics', 'recording', 'formatted']
    .filter((key) =>
    typeof expected[key] === 'object' ? !expected[key].equals(actual[key])
                                      : expected[key] !== actual[key]);
  if (differences.length === 0) {
    passed++;
    continue;
  }
  failed++;
  console.log(`FAIL ${relative(root, file)}: ${differences.join(', ')} differ`);
  for (const key of differences) {
    console.log(`  native ${key}: ${JSON.stringify(String(expected[key]))}`);
    console.log(`  wasm   ${key}: ${JSON.stringify(String(actual[key]))}`);
  }
}
console.log(`${passed} passed, ${failed} failed`);
process.exitCode = failed === 0 && passed > 0 ? 0 : 1;
