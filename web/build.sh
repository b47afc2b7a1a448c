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

# The checker's JSON comes from nlohmann's header alone: only that folder joins the include path,
# never the host's C library headers beside it.
include=$(mktemp -d)
trap 'rm -rf "$include"' EXIT
ln -s /usr/include/nlohmann "$include/nlohmann"

# One module for both jobs: main runs a script, the exports check and format one. The checker
# library is every source in check/ but the command's own main, the formatter fmt/format.cpp;
# compat/ gives them the floating-point to_chars and from_chars that this C++ library lacks.
# The Node environment is kept for the test that holds this build to the native one.
checker=()
for source in "$root"/check/*.cpp; do
    [ "$(basename "$source")" = main.cpp ] || checker+=("$source")
done
# The interpreter as azuvel is built: every source of src/ but the plain unit.
core=()
for source in "$root"/src/*.cpp; do
    [ "$(basename "$source")" = plain_path.cpp ] || core+=("$source")
done
emcc -std=c++20 -Os -Wall -Wextra -Werror -I"$root/src" -I"$root/check" -I"$root/fmt" \
    -isystem "$web/compat" -isystem "$include" \
    "${core[@]}" "${checker[@]}" "$root/fmt/format.cpp" "$web/azuvel_web.cpp" \
    --pre-js "$web/pre.js" -o "$out/azuvel.js" \
    -sMODULARIZE=1 -sEXPORT_NAME=AzuvelModule -sENVIRONMENT=web,worker,node \
    -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1 \
    -sEXPORTED_FUNCTIONS=_main,_malloc,_free -sEXPORTED_RUNTIME_METHODS=callMain,FS

# The debugger's module: azuvel-dap's engine over the interpreter built again as the debugger
# runs it: the checked path with the statement hook, the plain unit (every statement through
# execute_statement), and the engine's own error, which throws back to it.
objects=$(mktemp -d)
trap 'rm -rf "$include" "$objects"' EXIT
debug_flags=(-std=c++20 -Os -fexceptions -Wall -Wextra -Werror -I"$root/src" -I"$root/check"
             -I"$root/dap" -isystem "$web/compat" -isystem "$include")
emcc "${debug_flags[@]}" -DAZUVEL_DEBUG -c "$root/src/checked_path.cpp" \
    -o "$objects/checked_path.o"
emcc "${debug_flags[@]}" "$objects/checked_path.o" "$root/src/plain_path.cpp" \
    "$root/src/lexer.cpp" "$root/src/output.cpp" "$root/src/run.cpp" "$root/src/scan.cpp" \
    "$root/src/directive.cpp" "$root/src/literal.cpp" "${checker[@]}" "$root/dap/engine.cpp" \
    "$root/dap/record.cpp" "$web/debug_web.cpp" -o "$out/azuvel_debug.js" \
    -sMODULARIZE=1 -sEXPORT_NAME=AzuvelDebugModule -sENVIRONMENT=web,worker,node \
    -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_FUNCTIONS=_malloc,_free

cd "$web"
npm ci --no-audit --no-fund --loglevel=error
npx esbuild src/main.js --bundle --minify --format=esm --target=es2020 --log-level=warning \
    --outfile="$out/main.js"
cp index.html style.css worker.js "$out/"
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
version=$(cat "$out"/{index.html,style.css,main.js,worker.js,azuvel.js,azuvel.wasm,examples.json,guide.html} \
              "$out"/azuvel_debug.{js,wasm} |
          sha256sum | cut -c1-16)
sed "s/VERSION/$version/" sw.js >"$out/sw.js"
echo "Playground built in $out"
