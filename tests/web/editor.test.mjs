// The playground in headless chromium, beside browser.test.mjs: the example list, links, the
// icon, the Content-Security-Policy and live values. AZUVEL_SITE names the folder that
// web/build.sh built.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launchBrowser, serveSite } from './site.mjs';

const site = process.env.AZUVEL_SITE;
let browser;
let server;
let url;
const limits = { timeout: 120000 };

before(async () => {
  assert.ok(site, 'AZUVEL_SITE must name the built site');
  ({ server, url } = await serveSite(site));
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  server?.close();
});

const link = (text) => `#code=${Buffer.from(text).toString('base64url')}`;
const byId = (page, id) => page.locator(`[data-testid="${id}"]`);
const editorText = (page) => page.locator('.cm-line').allTextContents()
  .then((lines) => lines.join('\n'));
const statusText = (page) => byId(page, 'status').textContent();

async function open(hash = '', page = null) {
  page ??= await browser.newPage();
  await page.goto(url + hash);
  await page.locator('.cm-content').waitFor();
  return page;
}

async function typeScript(page, text) {
  await page.locator('.cm-content').click();
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Delete');
  await page.keyboard.type(text);
}

async function runToEnd(page) {
  await byId(page, 'run').click();
  await page.waitForFunction(() =>
    document.querySelector('[data-testid="status"]').textContent.startsWith('Exit status'));
}

describe('examples and links', limits, () => {
  test('the list names the example shown, until an edit; choosing it again reloads it', async () => {
    const page = await open();
    await page.waitForFunction(() => document.querySelector('.cm-content').textContent !== '');
    assert.equal(await byId(page, 'examples').inputValue(), 'hello');
    const hello = await editorText(page);
    await page.locator('.cm-content').click();
    await page.keyboard.press('Control+End');
    await page.keyboard.type('print(2);');
    assert.equal(await byId(page, 'examples').inputValue(), '', 'edited: "choose…" again');
    await byId(page, 'examples').selectOption('hello');
    assert.equal(await editorText(page), hello);
    assert.equal(await byId(page, 'examples').inputValue(), 'hello');
    await page.close();
  });

  test('a new link replaces the script and clears the last output and status', async () => {
    const page = await open(link('print("first");\nvar x = 1 / 0;\n'));
    await runToEnd(page);
    assert.match(await statusText(page), /^Exit status 1/);
    assert.notEqual(await byId(page, 'output').textContent(), '');
    await page.evaluate((hash) => { location.hash = hash; }, link('print("second");\n'));
    await page.waitForFunction(() =>
      document.querySelector('.cm-content').textContent === 'print("second");');
    assert.equal(await byId(page, 'output').textContent(), '');
    assert.equal(await statusText(page), '');
    assert.equal(await page.locator('.cm-run-error').count(), 0);
    await runToEnd(page);
    assert.equal(await byId(page, 'output').textContent(), 'second\n');
    await page.close();
  });

  // Not base64url; a length no base64 has; bytes that are not UTF-8.
  const unreadable = ['#code=print(1)', '#code=A', `#code=${Buffer.from([0xff, 0xfe]).toString('base64url')}`];

  test('a link that cannot be read says so, on opening and on a change', async () => {
    for (const hash of unreadable) {
      const page = await open(hash);
      await page.waitForFunction(() => document.querySelector('.cm-content').textContent !== '');
      assert.match(await statusText(page), /^This link holds no script that can be read/, hash);
      assert.equal(await byId(page, 'examples').inputValue(), 'hello', hash);
      await page.close();
    }
    const page = await open(link('print(1);\n'));
    await runToEnd(page);
    await page.evaluate((hash) => { location.hash = hash; }, unreadable[0]);
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="status"]').textContent.startsWith('This link'));
    assert.equal(await byId(page, 'output').textContent(), '', 'the old output went');
    assert.equal(await editorText(page), 'print(1);\n', 'the script stays');
    await page.close();
  });

  test('the page has an icon, and /favicon.ico answers', async () => {
    const page = await open();
    for (const href of await page.locator('link[rel="icon"]').evaluateAll((links) =>
      links.map((element) => element.href))) {
      const response = await page.request.get(href);
      assert.equal(response.status(), 200, href);
      assert.match(response.headers()['content-type'], /^image\//, href);
    }
    assert.equal(await page.locator('link[rel="icon"]').count(), 2);
    const ico = await page.request.get(new URL('favicon.ico', url).href);
    assert.equal(ico.status(), 200);
    assert.deepEqual([...(await ico.body()).subarray(0, 4)], [0, 0, 1, 0], 'an ICO file');
    await page.close();
  });
});

// Everything that would show a policy broken: the page's violation events, the console errors of
// the page and its workers, uncaught errors, and the reports of the workers' policy (site.mjs).
function watchPolicy(page) {
  const seen = [];
  page.addInitScript(() => {
    document.addEventListener('securitypolicyviolation', (event) => {
      console.error(`policy violated: ${event.violatedDirective} ${event.blockedURI}`);
    });
  });
  const onConsole = (message) => {
    if (message.type() === 'error') seen.push(`console: ${message.text()}`);
  };
  page.on('console', onConsole);
  page.on('pageerror', (error) => seen.push(`error: ${error.message}`));
  page.on('worker', (worker) => worker.on('console', onConsole));
  return seen;
}

describe('Content-Security-Policy', limits, () => {
  test('running, formatting, sharing, links, debugging and live values break no policy', async () => {
    const reported = server.violations.length;
    const page = await browser.newPage();
    const seen = watchPolicy(page);
    await open('', page);
    assert.match(await page.locator('meta[http-equiv="Content-Security-Policy"]')
      .getAttribute('content'), /default-src 'self'.*script-src 'self' 'wasm-unsafe-eval'/);
    await typeScript(page, 'var i = 0;\nwhile (i < 3) {\nprint("pass", i);\ni = i + 1;\n}\n');
    await runToEnd(page);
    assert.equal(await byId(page, 'output').textContent(), 'pass 0\npass 1\npass 2\n');
    await byId(page, 'format').click();
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="status"]').textContent === 'Already formatted');
    await byId(page, 'share').click();
    await page.evaluate((hash) => { location.hash = hash; }, link('var x = 1 / 0;\n'));
    await page.waitForFunction(() =>
      document.querySelector('.cm-content').textContent === 'var x = 1 / 0;');
    await runToEnd(page);
    await byId(page, 'debug').click();
    await byId(page, 'debug-status').filter({ hasText: /^Step 1 / }).waitFor();
    await byId(page, 'continue').click();
    await byId(page, 'debug-status').filter({ hasText: /Division by zero/ }).waitFor();
    await page.waitForTimeout(500);  // reports from the workers travel on their own
    await page.close();
    assert.deepEqual(seen, []);
    assert.deepEqual(server.violations.slice(reported), []);
  });
});
