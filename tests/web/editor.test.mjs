// The playground in headless chromium, beside browser.test.mjs: the example list, links, the
// icon, the Content-Security-Policy and live values. AZUVEL_SITE names the folder that
// web/build.sh built.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { usePlayground } from './site.mjs';

const limits = { timeout: 120000 };

const playground = usePlayground();

const link = (text) => `#code=${Buffer.from(text).toString('base64url')}`;
const byId = (page, id) => page.locator(`[data-testid="${id}"]`);
const editorText = (page) => page.locator('.cm-line').allTextContents()
  .then((lines) => lines.join('\n'));
const statusText = (page) => byId(page, 'status').textContent();

async function open(hash = '', page = null) {
  page ??= await playground.browser.newPage();
  await page.goto(playground.url + hash);
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
    const ico = await page.request.get(new URL('favicon.ico', playground.url).href);
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
    const reported = playground.server.violations.length;
    const page = await playground.browser.newPage();
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
    await byId(page, 'step-back').click();
    await byId(page, 'debug-status').filter({ hasText: /^Step 1 of/ }).waitFor();
    await page.locator('.cm-live-error').click();
    await byId(page, 'debug-status').filter({ hasText: /Division by zero/ }).waitFor();
    await page.waitForTimeout(500);  // reports from the workers travel on their own
    await page.close();
    assert.deepEqual(seen, []);
    assert.deepEqual(playground.server.violations.slice(reported), []);
  });
});

describe('live values', limits, () => {
  // Each value as { line, text, kind, step }; kind is '', 'never', 'error' or 'cut'.
  const values = (page) => page.locator('[data-testid="live-value"]').evaluateAll((spans) =>
    spans.map((span) => {
      const line = span.closest('.cm-line');
      return { line: [...line.parentNode.children].indexOf(line) + 1, text: span.dataset.value,
        kind: span.className.replace(/cm-live-value|cm-live-/g, '').trim(),
        step: Number(span.dataset.step) };
    }));
  const valueOn = (page, line, pattern) => page.waitForFunction(([at, source]) =>
    [...document.querySelectorAll('[data-testid="live-value"]')].some((span) => {
      const row = span.closest('.cm-line');
      return [...row.parentNode.children].indexOf(row) + 1 === at &&
        new RegExp(source).test(span.dataset.value);
    }), [line, pattern.source]);
  const onLine = (list, line) => list.filter((value) => value.line === line);

  const loop = 'var i = 0;\nvar s = 0;\nwhile (i < 10) {\n    s = s + i;\n    i = i + 1;\n}\n'
    + 'print("sum", s);\nif (s > 100) {\n    print("big");\n}\nvar z = s / (i - 10);\n';

  test('values appear beside their lines, and follow an edit', async () => {
    const page = await open(link(loop));
    await valueOn(page, 11, /Division by zero/);
    const seen = await values(page);
    assert.match(onLine(seen, 4)[0].text, /45/, 'the last value of s');
    assert.match(onLine(seen, 4)[0].text, /10/, 'stored 10 times');
    assert.match(onLine(seen, 3)[0].text, /10/, 'ten passes');
    assert.match(onLine(seen, 7)[0].text, /sum 45/, 'what the print printed');
    assert.deepEqual(onLine(seen, 9).map((value) => [value.kind, value.step]), [['never', 0]]);
    assert.equal(onLine(seen, 11)[0].kind, 'error');
    assert.deepEqual(onLine(seen, 6), [], 'a closing brace does nothing');
    assert.deepEqual(seen.filter((value) => value.kind === '').map((value) => value.line),
      [1, 2, 3, 4, 5, 7, 8]);
    const lineText = await page.locator('.cm-line').nth(3).textContent();
    assert.equal(lineText, '    s = s + i;', 'the values stay out of the text');
    // Ten passes become four: the sum, the print and the division follow.
    await page.locator('.cm-line').nth(2).click();
    await page.keyboard.press('End');
    for (let i = 0; i < 3; i++) await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('Backspace');
    await page.keyboard.press('Backspace');
    await page.keyboard.type('4');
    assert.equal(await page.locator('.cm-line').nth(2).textContent(), 'while (i < 4) {');
    await valueOn(page, 7, /sum 6/);
    await valueOn(page, 11, /-1/);
    const after = await values(page);
    assert.deepEqual(after.filter((value) => value.kind === 'error'), []);
    assert.match(onLine(after, 4)[0].text, /6/);
    await page.close();
  });

  // Scripts whose run stops early: the value where it stopped, marked, and what it says.
  const stops = [
    ['a var in an if that never runs', 'var a = 1;\nif (a > 1) {\n    var b = 2;\n}\nprint(b);\n',
      5, 'error', /Undefined variable/],
    ['a division by a variable zero after a loop',
      'var n = 3;\nwhile (n > 0) {\n    n = n - 1;\n}\nvar r = 1 / n;\n', 5, 'error', /Division by zero/],
    ['an endless loop, cut', 'var i = 0;\nwhile (1) {\n    i = i + 1;\n}\n', 3, 'cut', /stop|step|ms/],
  ];

  test('a run that stops early marks the statement where it stopped', async () => {
    for (const [name, script, line, kind, pattern] of stops) {
      const page = await open(link(script));
      await page.waitForFunction((expected) =>
        document.querySelector(`.cm-live-${expected}`) !== null, kind, { timeout: 10000 });
      const marked = (await values(page)).filter((value) => value.kind === kind);
      assert.equal(marked.length, 1, name);
      assert.equal(marked[0].line, line, name);
      assert.match(marked[0].text, pattern, name);
      await page.close();
    }
  });

  test('while the page runs the script, live runs wait for it to end', async () => {
    const page = await open(link('var n = 1;\nwhile (1) {\n    n = n + 1;\n}\n'));
    await valueOn(page, 1, /^n = 1$/);
    await byId(page, 'run').click();
    await page.locator('.cm-line').first().click();
    await page.keyboard.press('End');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('Backspace');
    await page.keyboard.type('7');
    await page.waitForTimeout(1500);  // past the delay: a live run would have answered
    assert.equal(await statusText(page), 'Running…');
    assert.deepEqual(onLine(await values(page), 1).map((value) => value.text), ['n = 1']);
    await byId(page, 'stop').click();
    await valueOn(page, 1, /^n = 7$/);
    await page.close();
  });

  test('the switch turns them off and on, and the page remembers it', async () => {
    const context = await playground.browser.newContext();
    const page = await open(link(loop), await context.newPage());
    const toggle = byId(page, 'live-values');
    await valueOn(page, 7, /sum 45/);
    assert.equal(await toggle.isChecked(), true, 'on at first');
    await toggle.uncheck();
    assert.equal(await byId(page, 'live-value').count(), 0);
    await page.reload();
    await page.locator('.cm-content').waitFor();
    assert.equal(await toggle.isChecked(), false, 'still off after a reload');
    await page.locator('.cm-line').nth(0).click();
    await page.keyboard.type(' ');
    await page.waitForTimeout(1500);  // past the delay and a run: none came
    assert.equal(await byId(page, 'live-value').count(), 0);
    await toggle.check();
    await valueOn(page, 7, /sum 45/);
    await page.reload();
    await page.locator('.cm-content').waitFor();
    assert.equal(await toggle.isChecked(), true);
    await context.close();
  });

  test('clicking a value opens the debugger at that statement\'s step', async () => {
    const page = await open(link(loop));
    await valueOn(page, 5, /10/);
    for (const line of [5, 7, 1]) {
      const [value] = onLine(await values(page), line);
      assert.ok(value.step > 0, `line ${line} ran`);
      await page.locator('.cm-line').nth(line - 1).locator('[data-testid="live-value"]').click();
      await byId(page, 'debug-status').filter({ hasText: `Step ${value.step} of` }).waitFor();
      assert.match(await byId(page, 'debug-status').textContent(),
        new RegExp(`^Step ${value.step} of \\d+ · line ${line}$`));
      assert.equal(await page.locator('.cm-debug-step').count(), 1);
    }
    if (process.env.AZUVEL_SCREENSHOTS) {
      await byId(page, 'end-debug').click();
      await page.setViewportSize({ width: 1280, height: 560 });
      await runToEnd(page);
      await page.locator('.cm-scroller').evaluate((scroller) => { scroller.scrollLeft = 0; });
      await page.screenshot({ path: `${process.env.AZUVEL_SCREENSHOTS}/playground-live-values.png` });
    }
    await page.close();
  });
});
