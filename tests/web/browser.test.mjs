// The playground in headless chromium, grouped by feature (the debugger's flows are in
// debugger.test.mjs). AZUVEL_SITE names the folder that web/build.sh built.
import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import { describe, test } from 'node:test';
import { usePlayground } from './site.mjs';

const examplesDir = new URL('../../examples/', import.meta.url);
// A page that hangs fails its group instead of stalling the run.
const limits = { timeout: 120000 };

const playground = usePlayground();

async function open(hash = '') {
  const page = await playground.browser.newPage();
  await page.goto(playground.url + hash);
  await page.locator('.cm-content').waitFor();
  return page;
}

const byId = (page, id) => page.locator(`[data-testid="${id}"]`);
const stdout = (page) => page.locator('[data-testid="output"] .stdout').textContent();
const editorText = (page) => page.locator('.cm-line').allTextContents()
  .then((lines) => lines.join('\n'));

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
  return byId(page, 'status').textContent();
}

describe('running', limits, () => {
  test('a typed script runs on Ctrl+Enter and prints', async () => {
    const page = await open();
    await typeScript(page, 'var x = 6 * 7;\nprint("answer", x, "é");\n');
    await page.keyboard.press('Control+Enter');
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="status"]').textContent.startsWith('Exit status'));
    assert.equal(await stdout(page), 'answer 42 é\n');
    assert.match(await byId(page, 'status').textContent(), /^Exit status 0 · [\d.]+ ms$/);
    await page.close();
  });

  test('each example prints its .out', async () => {
    const page = await open();
    const names = readdirSync(examplesDir).filter((name) => name.endsWith('.az'));
    assert.ok(names.length > 0);
    for (const name of names) {
      await byId(page, 'examples').selectOption(name.slice(0, -3));
      assert.equal(await editorText(page), readFileSync(new URL(name, examplesDir), 'utf8'));
      assert.match(await runToEnd(page), /^Exit status 0/, name);
      const expected = readFileSync(new URL(name.replace(/\.az$/, '.out'), examplesDir), 'utf8');
      assert.equal(await stdout(page), expected, name);
    }
    await page.close();
  });
});

describe('errors', limits, () => {
  test('a run error shows the [Error] line and marks the line it stopped on', async () => {
    const page = await open();
    await typeScript(page, 'var x = 1;\nprint("before");\nvar y = x / (x - 1);\nprint(y);\n');
    assert.match(await runToEnd(page), /^Exit status 1/);
    assert.equal(await stdout(page), 'before\n');
    assert.equal(await page.locator('.output .stderr').textContent(), '[Error] Division by zero');
    assert.equal(await page.locator('.output .stop-line').textContent(), 'Stopped on line 3');
    assert.deepEqual(await page.locator('.cm-run-error').allTextContents(),
                     ['var y = x / (x - 1);']);
    await page.close();
  });

  test('a mistake in a block that does not run is listed while typing', async () => {
    const page = await open();
    await typeScript(page, 'var x = 1;\nif (x > 5) {\nprint("big" x);\n}\n');
    const problem = byId(page, 'problems').locator('li').first();
    await problem.waitFor({ timeout: 5000 });
    assert.match(await problem.textContent(), /^3:\d+ Expected ','/);
    await problem.click();
    const cursorLine = await page.locator('.cm-activeLine').textContent();
    assert.equal(cursorLine, '    print("big" x);');
    assert.ok(await page.locator('.cm-lintRange-error').count() > 0);
    await page.close();
  });
});

describe('sharing', limits, () => {
  const script = '# shared ✓\nprint("ünïcode", 1.5);\n';
  const hash = `#code=${Buffer.from(script).toString('base64url')}`;

  test('a shared link opens its script', async () => {
    const page = await open(hash);
    assert.equal(await editorText(page), script);
    assert.match(await runToEnd(page), /^Exit status 0/);
    assert.equal(await stdout(page), 'ünïcode 1.5\n');
    await page.close();
  });

  test('Share puts the script in the link', async () => {
    const page = await open();
    await typeScript(page, script);
    await byId(page, 'share').click();
    assert.equal(await page.evaluate(() => location.hash), hash);
    await page.close();
  });
});

describe('formatting', limits, () => {
  const messy = 'var x=1;print( x );if (x) { x = 2; } # done   \n';
  const tidy = 'var x = 1;\nprint(x);\nif (x) {\n    x = 2;\n} # done\n';
  const link = (text) => `#code=${Buffer.from(text).toString('base64url')}`;
  const statusIs = (page, text) => page.waitForFunction((expected) =>
    document.querySelector('[data-testid="status"]').textContent === expected, text);

  test('Format lays the script out as azuvel-fmt does, and it runs as before', async () => {
    const page = await open(link(messy));
    await byId(page, 'format').click();
    await statusIs(page, 'Formatted');
    assert.equal(await editorText(page), tidy);
    assert.match(await runToEnd(page), /^Exit status 0/);
    assert.equal(await stdout(page), '1\n');
    await byId(page, 'format').click();
    await statusIs(page, 'Already formatted');
    assert.equal(await editorText(page), tidy);
    await page.close();
  });

  test('Shift+Alt+F in the editor formats, and undo brings the old layout back', async () => {
    const page = await open(link(messy));
    await page.locator('.cm-content').click();
    await page.keyboard.press('Shift+Alt+F');
    await statusIs(page, 'Formatted');
    assert.equal(await editorText(page), tidy);
    await page.keyboard.press('Control+Z');
    assert.equal(await editorText(page), messy);
    await page.close();
  });

  test('a statement with a mistake stays as written, and the status says which', async () => {
    const page = await open(link('var i=0;\nif (i >= 5) { print(i); }\n'));
    await byId(page, 'format').click();
    await statusIs(page, 'Formatted, except line 2: left as written, for the checker\'s error: ' +
                         'Expected expression');
    assert.equal(await editorText(page), 'var i = 0;\nif (i >= 5) { print(i); }\n');
    await page.close();
  });

  test('a script with a lexical error is left as it is, and the status says where', async () => {
    const bad = 'print( 1 );\nvar y = 5 @ 2;\n';
    const page = await open(link(bad));
    await byId(page, 'format').click();
    await statusIs(page, 'Not formatted: line 2, column 11: Unknown character: @');
    assert.equal(await editorText(page), bad);
    await page.close();
  });
});

describe('stopping', limits, () => {
  test('Stop ends an endless loop whose output streams, and the next run works', async () => {
    const page = await open();
    // A line every 200,000 passes: output keeps coming, slowly enough never to reach the limit.
    await typeScript(page, 'var i = 0;\nvar n = 0;\nwhile (1) {\ni = i + 1;\n' +
                           'if (i > 200000) {\nn = n + 1;\nprint("tick", n);\ni = 0;\n}\n}\n');
    await byId(page, 'run').click();
    await page.waitForFunction(() =>
      document.querySelector('.output .stdout')?.textContent.includes('tick 2\n'));
    assert.equal(await byId(page, 'status').textContent(), 'Running…');
    const stopped = Date.now();
    await byId(page, 'stop').click();
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="status"]').textContent.startsWith('Stopped'));
    assert.ok(Date.now() - stopped < 1000, 'stopped within a second');
    const printed = await stdout(page);
    await page.waitForTimeout(500);
    assert.equal(await stdout(page), printed, 'no output after Stop');
    await typeScript(page, 'print("again");\n');
    assert.match(await runToEnd(page), /^Exit status 0/);
    assert.equal(await stdout(page), 'again\n');
    await page.close();
  });
});

describe('fixes and editing', limits, () => {
  test('a fix in the problems list rewrites the line, and the problem goes', async () => {
    const page = await open();
    await typeScript(page, 'var x = 1;\nx += 2;\nprint(x);\n');
    const fix = byId(page, 'problems').locator('button.fix').first();
    await fix.waitFor({ timeout: 5000 });
    assert.equal(await fix.textContent(), "Change 'x += 2;' to 'x = x + 2;'");
    await fix.click();
    assert.equal(await editorText(page), 'var x = 1;\nx = x + 2;\nprint(x);\n');
    await page.waitForFunction(() =>
      document.querySelectorAll('[data-testid="problems"] li').length === 0);
    await page.close();
  });

  test('Enter indents by the braces, "}" dedents, Tab indents four, Escape then Tab leaves the '
       + 'editor', async () => {
    const page = await open();
    await typeScript(page, 'if (1) {');
    for (const text of ['print(1);', 'if (2) {', 'print(2);', '}', '}', '']) {
      await page.keyboard.press('Enter');
      await page.keyboard.type(text);
    }
    await page.keyboard.press('Tab');
    await page.keyboard.type('print(3);');
    const lines = await page.locator('.cm-line').allTextContents();
    assert.deepEqual(lines.slice(0, 7), ['if (1) {', '    print(1);', '    if (2) {',
      '        print(2);', '    }', '}', '    print(3);']);
    const inEditor = () => page.evaluate(() =>
      document.querySelector('.cm-editor').contains(document.activeElement));
    assert.ok(await inEditor(), 'Tab kept the focus in the editor');
    await page.keyboard.press('Escape');
    await page.keyboard.press('Tab');
    assert.equal(await inEditor(), false, 'Escape then Tab moved the focus on');
    await page.close();
  });
});

describe('output', limits, () => {
  test('the pane follows the end, and says when output is cut, also after Stop', async () => {
    const page = await open();
    await typeScript(page, 'var i = 0;\nwhile (1) {\nprint("a line of output", i);\n' +
                           'i = i + 1;\n}\n');
    await byId(page, 'run').click();
    await page.locator('.output .cut').waitFor({ timeout: 30000 });
    await byId(page, 'stop').click();
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="status"]').textContent.startsWith('Stopped'));
    assert.equal(await page.locator('.output .cut').textContent(),
                 'Output cut: only the first 1 MiB is shown.');
    const gap = await page.evaluate(() => {
      const pane = document.querySelector('[data-testid="output"]');
      return pane.scrollHeight - pane.scrollTop - pane.clientHeight;
    });
    assert.ok(gap < 5, `the end is in view (${gap} px below)`);
    await page.close();
  });
});

describe('layout', limits, () => {
  test('on a 390 px screen nothing is cut off sideways; the guide is linked', async () => {
    const page = await playground.browser.newPage({ viewport: { width: 390, height: 844 } });
    await page.goto(playground.url);
    await page.locator('.cm-content').waitFor();
    await typeScript(page, 'var a_rather_long_name_for_a_small_screen = 1;\nprint(a_rather);\n');
    await byId(page, 'problems').locator('li').first().waitFor({ timeout: 5000 });
    const overflow = await page.evaluate(() => {
      const wide = [...document.querySelectorAll('body *')].filter((element) =>
        element.getBoundingClientRect().right > window.innerWidth + 0.5 &&
        !element.closest('.cm-scroller'));
      return { width: document.documentElement.scrollWidth,
               wide: wide.map((element) => element.outerHTML.slice(0, 60)) };
    });
    assert.ok(overflow.width <= 390, `page width ${overflow.width}`);
    assert.deepEqual(overflow.wide, []);
    const guide = byId(page, 'guide');
    assert.equal(await guide.getAttribute('href'), 'guide.html');
    const response = await page.request.get(new URL('guide.html', playground.url).href);
    assert.equal(response.status(), 200);
    assert.match(await response.text(), /Checking scripts/);
    await page.close();
  });
});

describe('offline', limits, () => {
  test('once loaded, the page loads and runs with the network gone', async () => {
    const context = await playground.browser.newContext();
    const page = await context.newPage();
    await page.goto(playground.url);
    assert.ok(await page.evaluate(() => Promise.race([
      navigator.serviceWorker.ready.then(() => true),
      new Promise((resolve) => setTimeout(() => resolve(false), 10000)),
    ])), 'a service worker is active');
    await context.setOffline(true);
    await page.reload();
    await page.locator('.cm-content').waitFor();
    await typeScript(page, 'print("offline");\n');
    assert.match(await runToEnd(page), /^Exit status 0/);
    assert.equal(await stdout(page), 'offline\n');
    await context.close();
  });
});
