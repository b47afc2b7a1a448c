// The playground's weight and speed: the built site's size gzipped, and the time from starting
// to load the page (an empty cache each time) to the first run's result on screen.
// Usage: node bench/playground.mjs SITE_DIR [LOADS]
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launchBrowser, serveSite } from '../tests/web/site.mjs';

const [site, loads = '7'] = process.argv.slice(2);
const files = readdirSync(site);
let raw = 0;
let gzipped = 0;
for (const name of files) {
  const bytes = readFileSync(join(site, name));
  raw += bytes.length;
  gzipped += gzipSync(bytes, { level: 9 }).length;
}
console.log(`site: ${files.length} files, ${raw} bytes, ${gzipped} bytes gzipped (-9, each file)`);

const { server, url } = await serveSite(site);
const browser = await launchBrowser();
const times = [];
for (let i = 0; i < Number(loads); i++) {
  const context = await browser.newContext();
  const page = await context.newPage();
  // Run as soon as the page can be used, as an eager person would, not when the driver gets to it.
  await page.addInitScript(() => document.addEventListener('DOMContentLoaded', () =>
    document.querySelector('[data-testid="run"]').click()));
  await page.goto(`${url}#code=${Buffer.from('print("hi");\n').toString('base64url')}`,
                  { waitUntil: 'commit' });
  // performance.now() counts from the start of the navigation.
  times.push(await page.waitForFunction(() => {
    const status = document.querySelector('[data-testid="status"]')?.textContent ?? '';
    return status.startsWith('Exit status') && performance.now();
  }).then((handle) => handle.jsonValue()));
  await context.close();
}
await browser.close();
server.close();
times.sort((a, b) => a - b);
console.log(`load to first result: median ${Math.round(times[times.length >> 1])} ms, ` +
            `min ${Math.round(times[0])} ms, max ${Math.round(times[times.length - 1])} ms ` +
            `over ${times.length} loads`);
