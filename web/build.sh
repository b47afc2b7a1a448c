#!/usr/bin/env bash
# Builds the playground into OUT: the interpreter and checker compiled to WebAssembly, the page
# bundled with its editor, and the examples. Installs what is missing first (the "web" packages
# of deps/debian.txt, the npm packages from the lockfile).
# Usage: web/build.sh OUT
set -euo pipefail
out=${1:?usage: web/build.sh OUT}
web=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$web")
export DEBIAN_FRONTEND=noninteractive

bash "$root/deps/install.sh" web
# Debian's emcc finds its JavaScript parser there.
export NODE_PATH=/usr/share/nodejs

mkdir -p "$out"
out=$(cd "$out" && pwd)

# Both modules are built by CMake from the same libraries as the native programs
# (web/CMakeLists.txt), in a build folder beside OUT.
wasm_build="$out-wasm"
emcmake cmake -S "$root" -B "$wasm_build" -DCMAKE_BUILD_TYPE=MinSizeRel -DAZUVEL_WERROR=ON \
    -DAZUVEL_TESTS=OFF >/dev/null
cmake --build "$wasm_build" -j"$(nproc)" >/dev/null
cp "$wasm_build"/web/azuvel.{js,wasm} "$wasm_build"/web/azuvel_debug.{js,wasm} "$out/"

cd "$web"
npm ci --no-audit --no-fund --loglevel=error
npx esbuild src/main.js --bundle --minify --format=esm --target=es2020 --log-level=warning \
    --outfile="$out/main.js"
cp style.css worker.js debug_worker.js live_worker.js icon.svg favicon.ico "$out/"
# The nonce that lets the editor's own style element in: new with each build.
sed "s/STYLE_NONCE/$(head -c 18 /dev/urandom | base64 | tr '+/' '-_')/" index.html >"$out/index.html"
node -e '
const fs = require("fs");
const [dir, file] = process.argv.slice(1);
const names = fs.readdirSync(dir).filter((name) => name.endsWith(".az")).sort();
const list = names.map((name) => ({ name: name.slice(0, -3),
                                    code: fs.readFileSync(`${dir}/${name}`, "utf8") }));
fs.writeFileSync(file, JSON.stringify(list));
' "$root/examples" "$out/examples.json"
# The language guide, as its text, on a page of its own: readable offline like the rest.
node -e '
const fs = require("fs");
const [source, file] = process.argv.slice(1);
const escape = (text) => text.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
fs.writeFileSync(file, "<!doctype html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n" +
  "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n" +
  "<title>The Azuvel language guide</title>\n" +
  "<style>pre { white-space: pre-wrap; max-width: 50rem; margin: 1rem auto; padding: 0 1rem; " +
  "font: 14px/1.45 ui-monospace, monospace; }</style>\n</head>\n<body>\n<pre>" +
  escape(fs.readFileSync(source, "utf8")) + "</pre>\n</body>\n</html>\n");
' "$root/docs/language.md" "$out/guide.html"
version=$(cat "$out"/{index.html,style.css,main.js,worker.js,debug_worker.js} \
              "$out"/{azuvel.js,azuvel.wasm,examples.json,guide.html} \
              "$out"/{live_worker.js,icon.svg,favicon.ico} \
              "$out"/azuvel_debug.{js,wasm} |
          sha256sum | cut -c1-16)
sed "s/VERSION/$version/" sw.js >"$out/sw.js"
echo "Playground built in $out"
