// Live values' runs, one at a time, in the debugger's module (its interpreter has the statement
// hook): azuvel_live_json runs a text within a step budget and a time limit and answers what
// each statement did. The page ends this worker when a newer text comes while a run is going.
importScripts('azuvel_debug.js');

let receive = null;
// The module, once the page has sent the compiled one.
const prepared = new Promise((resolve) => { receive = resolve; });

// The compiled module from the page, instantiated once for every run this worker makes.
function prepare(wasm) {
  receive(AzuvelDebugModule({
    instantiateWasm(imports, done) {
      WebAssembly.instantiate(wasm, imports).then((instance) => done(instance, wasm));
      return {};
    },
    print() {},
    printErr() {},
  }));
}

// One live run of `text`: its notes, how it stopped and its steps, as the module's JSON gives
// them; a run that fails in the module says so, and the page drops this worker.
async function live(version, text, maxSteps, maxMilliseconds) {
  try {
    postMessage({ version, result: await liveResult(text, maxSteps, maxMilliseconds) });
  } catch (error) {
    postMessage({ version, failed: String(error) });
  }
}

// The module's answer for one text.
async function liveResult(text, maxSteps, maxMilliseconds) {
  const module = await prepared;
  const bytes = new TextEncoder().encode(text);
  const input = module._malloc(bytes.length + 1);
  module.HEAPU8.set(bytes, input);
  module.HEAPU8[input + bytes.length] = 0;
  const output = module._azuvel_live_json(input, maxSteps, maxMilliseconds);
  const end = module.HEAPU8.indexOf(0, output);
  const result = JSON.parse(new TextDecoder().decode(module.HEAPU8.subarray(output, end)));
  module._free(input);
  module._free(output);
  return result;
}

onmessage = ({ data }) => {
  if (data.type === 'prepare') prepare(data.wasm);
  else if (data.type === 'live') live(data.version, data.text, data.maxSteps, data.maxMilliseconds);
};
