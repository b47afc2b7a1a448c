// Typing in the playground with live values on and with them off: for each key, the time from
// its keydown to the next frame the page paints, while a script whose live run takes its whole
// budget (a million steps) is edited, with pauses long enough for live runs to start.
// Usage: node bench/playground_typing.mjs SITE_DIR [KEYS]
import { launchBrowser, serveSite } from '../tests/web/site.mjs';

const [site, keys = '120'] = process.argv.slice(2);
// Keys go into the comment on line 1, so every text runs until its budget cuts it.
const script = '# typed here:\nvar i = 0;\nwhile (i < 2000000) {\n    i = i + 1;\n}\nprint(i);\n';

// Milliseconds from each keydown to the next animation frame, typing `count` keys at the end
// of line 1, 40 ms apart, with a 400 ms pause after every tenth; and the values shown after.
async function typingDelays(browser, url, live, count) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.addInitScript((on) => {
    localStorage.setItem('azuvel.liveValues', on ? 'on' : 'off');
    window.keyDelays = [];
    document.addEventListener('keydown', () => {
      const down = performance.now();
      requestAnimationFrame(() => window.keyDelays.push(performance.now() - down));
    }, true);
  }, live);
  await page.goto(`${url}#code=${Buffer.from(script).toString('base64url')}`);
  await page.locator('.cm-content').waitFor();
  await page.waitForTimeout(2000);
  await page.locator('.cm-line').first().click();
  await page.keyboard.press('End');
  for (let i = 0; i < count; i++) {
    await page.keyboard.type(i % 2 === 0 ? ' ' : 'x', { delay: 0 });
    await page.waitForTimeout(i % 10 === 9 ? 400 : 40);
  }
  const delays = await page.evaluate(() => window.keyDelays);
  const shown = await page.locator('[data-testid="live-value"]').count();
  await context.close();
  return { delays: delays.sort((a, b) => a - b), shown };
}

const at = (sorted, fraction) => sorted[Math.min(sorted.length - 1,
  Math.floor(fraction * sorted.length))].toFixed(1);

const { server, url } = await serveSite(site);
const browser = await launchBrowser();
for (const live of [false, true]) {
  const { delays, shown } = await typingDelays(browser, url, live, Number(keys));
  console.log(`live values ${live ? 'on ' : 'off'}: ${delays.length} keys, key to frame ` +
    `median ${at(delays, 0.5)} ms, 95th percentile ${at(delays, 0.95)} ms, ` +
    `max ${at(delays, 1)} ms; ${shown} values shown at the end`);
}
await browser.close();
server.close();
