// Runs one script in a fresh instance of the interpreter, as its own process would: the page
// starts a new worker for every run and ends this one to stop a script. Output is posted as
// it comes, in batches a few milliseconds apart, so a long run streams without flooding.
importScripts('azuvel.js');

let instance = null;
let limit = Infinity;  // stdout bytes passed on; past it they are dropped and the page told
let sent = 0;
let cut = false;

// Consecutive writes to one stream travel as one buffer: a print statement is one write.
function joinChunks(chunks) {
  const joined = [];
  for (const { fd, bytes } of chunks) {
    const last = joined[joined.length - 1];
    if (last && last.fd === fd) last.parts.push(bytes);
    else joined.push({ fd, parts: [bytes] });
  }
  return joined.map(({ fd, parts }) => {
    const bytes = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return { fd, bytes };
  });
}

function prepare(wasm) {
  const pending = [];
  let lastPost = 0;
  const flush = () => {
    if (pending.length > 0 || cut) {
      postMessage({ type: 'output', chunks: joinChunks(pending.splice(0)), cut });
    }
    lastPost = performance.now();
  };
  instance = AzuvelModule({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(wasm, imports).then((result) => receive(result, wasm));
      return {};
    },
    azuvelWrite(fd, bytes) {
      if (fd === 1) {
        if (sent + bytes.length > limit) {
          bytes = bytes.subarray(0, limit - sent);
          // The page hears of the cut at once: a run may go on long after, or be stopped.
          if (!cut) {
            cut = true;
            pending.push({ fd, bytes });
            sent += bytes.length;
            flush();
            return;
          }
        }
        sent += bytes.length;
        if (bytes.length === 0) return;
      }
      pending.push({ fd, bytes });
      if (performance.now() - lastPost > 30) flush();
    },
    quit(status, toThrow) {
      throw toThrow;
    },
    print() {},
    printErr() {},
  }).then((module) => ({ module, flush }));
}

async function run(code, outputLimit) {
  limit = outputLimit;
  const { module, flush } = await instance;
  module.FS.writeFile('/script.az', code);
  const started = performance.now();
  const status = module.callMain(['/script.az']);
  const time = performance.now() - started;
  flush();
  postMessage({ type: 'exit', status, time, cut, stop: status === 0 ? null : stopPlace(module, code) });
}

// Where the run stopped, from the interpreter's cursor: { line, column } in the script's text.
function stopPlace(module, code) {
  const input = module._malloc(code.length + 1);
  module.HEAPU8.set(code, input);
  module.HEAPU8[input + code.length] = 0;
  const result = module._azuvel_stop_json(input);
  const end = module.HEAPU8.indexOf(0, result);
  const place = JSON.parse(new TextDecoder().decode(module.HEAPU8.subarray(result, end)));
  module._free(input);
  module._free(result);
  return place;
}

onmessage = ({ data }) => {
  if (data.type === 'prepare') prepare(data.wasm);
  else if (data.type === 'run') run(data.code, data.outputLimit);
};
