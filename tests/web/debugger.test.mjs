// The playground's debugger in headless chromium, one group per flow: stepping, breakpoints
// (conditions, hit counts, Debug starting at one, back to the last one), long and cut
// recordings, watches and the console, the questions about the past (which statement printed an
// output line, where a value came from), and the phone layout. AZUVEL_SITE names the folder that
// web/build.sh built; AZUVEL_SCREENSHOTS, when set, a folder for the screenshots of the two
// questions answered.
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { describe, test } from 'node:test';
import { usePlayground } from './site.mjs';

const screenshots = process.env.AZUVEL_SCREENSHOTS;
const limits = { timeout: 120000 };

const playground = usePlayground();

const byId = (page, id) => page.locator(`[data-testid="${id}"]`);
const debugStatus = (page) => byId(page, 'debug-status').textContent();
const outputLines = (page) => byId(page, 'output-line').allTextContents();
const rows = (page) => page.locator('[data-testid="variables"] tbody tr').evaluateAll((trs) =>
  trs.map((tr) => [...tr.cells].map((cell) => cell.textContent).concat(tr.className)));
const link = (script) => `#code=${Buffer.from(script).toString('base64url')}`;

// Waits for the debugger's status to read `expected` (its answers come from a worker), then
// holds it to that, so that a failure shows what it read instead.
async function statusIs(page, expected, message) {
  await page.waitForFunction((text) =>
    document.querySelector('[data-testid="debug-status"]').textContent === text, expected,
  { timeout: 15000 }).catch(() => {});
  assert.equal(await debugStatus(page), expected, message);
}

async function openScript(script, viewport) {
  const page = await playground.browser.newPage(viewport ? { viewport } : {});
  await page.goto(playground.url + link(script));
  await page.locator('.cm-content').waitFor();
  await page.waitForFunction(() => document.querySelector('.cm-content').textContent !== '');
  return page;
}

// Clicks the breakpoint gutter beside a line (from 1).
async function toggleBreakpoint(page, line) {
  const box = await page.locator('.cm-line').nth(line - 1).boundingBox();
  const gutter = await page.locator('.cm-breakpoint-gutter').boundingBox();
  await page.mouse.click(gutter.x + gutter.width / 2, box.y + box.height / 2);
}

async function startDebug(page) {
  await byId(page, 'debug').click();
  await page.waitForFunction(() => /^(Step|The run|Stopped)/.test(
    document.querySelector('[data-testid="debug-status"]').textContent), null,
  { timeout: 30000 });
}

async function debug(script, viewport) {
  const page = await openScript(script, viewport);
  await startDebug(page);
  return page;
}

// Steps: 1 L1, 2 L2, 3 L3 while, 4 L4 if, 5 L7, 6 L4 if, 7 L5 print, 8 L7, 9 L9, 10 L10.
const steps = 'var x = 1;\nvar s = "hi";\nwhile (x < 3) {\n    if (x == 2) {\n'
  + '        print("two");\n    }\n    x = x + 1;\n}\nvar x = 5;\nprint(x, s);\n';
// Prints a line on each of four passes. Steps: 1 L1, 2 L2 while, then each pass k sets n at
// step 2k + 1 (L3) and prints it at 2k + 2 (L4); 11 L6, 12 L7, and the end.
const passes = 'var n = 0;\nwhile (n < 4) {\n    n = n + 1;\n    print("n is", n);\n}\n'
  + 'var total = n / 10;\nprint("total", total);\n';

describe('stepping', limits, () => {
  test('forward and back, by button, key and timeline, shows line and output', async () => {
    const page = await debug(steps);
    await statusIs(page, 'Step 1 of 10 · line 1');
    for (let i = 0; i < 6; i++) await byId(page, 'step-forward').click();
    await statusIs(page, 'Step 7 of 10 · line 5');
    assert.equal(await page.locator('.cm-debug-step').textContent(), '        print("two");');
    assert.deepEqual(await outputLines(page), []);
    await page.keyboard.press('F11');
    await statusIs(page, 'Step 8 of 10 · line 7');
    assert.deepEqual(await outputLines(page), ['two\n']);
    await byId(page, 'step-back').click();
    await statusIs(page, 'Step 7 of 10 · line 5');
    assert.deepEqual(await outputLines(page), [], 'the output goes back too');
    await page.keyboard.press('Shift+F11');
    await statusIs(page, 'Step 8 of 10 · line 7', 'out of the if');
    await page.keyboard.press('Shift+F11');
    await statusIs(page, 'Step 9 of 10 · line 9', 'out of the loop');
    await byId(page, 'timeline').fill('2');
    await statusIs(page, 'Step 3 of 10 · line 3');
    await page.keyboard.press('F10');
    await statusIs(page, 'Step 9 of 10 · line 9', 'a whole while is one step');
    await byId(page, 'timeline').fill('10');
    await statusIs(page, 'The run ended · exit status 0');
    assert.equal(await byId(page, 'debug-output').textContent(), 'two\n3 hi\n');
    await page.close();
  });

  test('a failing run stops at the statement that raised the error, and steps back', async () => {
    const page = await debug('var a = 1;\nprint("before");\nvar b = a / 0;\nprint("after");\n');
    await byId(page, 'continue').click();
    await statusIs(page, 'Stopped on line 3: [Error] Division by zero');
    assert.deepEqual(await outputLines(page), ['before\n']);
    assert.equal(await page.locator('.debug-output .stderr').textContent(),
      '[Error] Division by zero');
    assert.equal(await page.locator('.cm-debug-step').textContent(), 'var b = a / 0;');
    await byId(page, 'step-back').click();
    await statusIs(page, 'Step 2 of 4 · line 2', 'from the error to the statement before');
    await byId(page, 'timeline').fill('2');
    await statusIs(page, 'Step 3 of 4 · line 3');
    await page.close();
  });
});

describe('recordings', limits, () => {
  test('a run of a million steps is recorded whole, and any step is reached', async () => {
    const page = await debug('var i = 0;\nwhile (i < 1000000) {\n    i = i + 1;\n}\nprint(i);\n');
    await statusIs(page, 'Step 1 of 1000003 · line 1');
    await byId(page, 'timeline').fill('500001');
    await statusIs(page, 'Step 500002 of 1000003 · line 3');
    assert.deepEqual((await rows(page))[0].slice(0, 3), ['0', 'i', '499999']);
    await byId(page, 'timeline').fill('1000002');
    await statusIs(page, 'Step 1000003 of 1000003 · line 5');
    assert.deepEqual((await rows(page))[0].slice(0, 3), ['0', 'i', '1000000 print: 1e+06'],
      'the exact value, and print\'s form beside it');
    await byId(page, 'step-forward').click();
    await statusIs(page, 'The run ended · exit status 0');
    assert.deepEqual(await outputLines(page), ['1e+06\n']);
    await page.close();
  });

  test('an endless loop is cut at the step limit, and never said to have ended', async () => {
    const page = await debug('var i = 0;\nwhile (1) {\n    i = i + 1;\n}\n');
    const cut = ' · recording cut at 2000000 steps: the run had not ended';
    await statusIs(page, `Step 1 of 2000000 · line 1${cut}`);
    await byId(page, 'timeline').fill('1999997');
    await statusIs(page, `Step 1999998 of 2000000 · line 3${cut}`);
    await byId(page, 'continue').click();
    await statusIs(page, `Step 2000000 of 2000000 · line 3${cut}`, 'to the cut, no further');
    assert.equal((await rows(page))[0][2], '1999997 print: 2e+06',
      'pass 1999998 of the body, before it runs');
    await byId(page, 'step-forward').click();
    await byId(page, 'timeline').fill('1999999');
    await statusIs(page, `Step 2000000 of 2000000 · line 3${cut}`, 'no step past the cut');
    assert.doesNotMatch(await page.locator('body').textContent(), /run ended/);
    await page.close();
  });
});

describe('output while debugging', limits, () => {
  test('a run that prints without end keeps one MiB on the page and shows its tail', async () => {
    const page = await debug('var i = 0;\nwhile (1) {\n    print("a line of output", i);\n'
      + '    i = i + 1;\n}\n');
    assert.match(await debugStatus(page), /^Step 1 of \d+ · line 1 · recording cut at \d+ steps/);
    const last = Number(await byId(page, 'timeline').getAttribute('max'));
    await byId(page, 'timeline').fill(String(last));
    await page.waitForFunction(() =>
      document.querySelector('.debug-output .cut') !== null, null, { timeout: 15000 });
    const shown = await page.evaluate(() => ({
      lines: document.querySelectorAll('[data-testid="output-line"]').length,
      earlier: document.querySelector('.debug-output .earlier').textContent,
      before: [...document.querySelectorAll('[data-testid="output-line"]')].at(-2).textContent,
      cut: document.querySelector('.debug-output .cut').textContent,
    }));
    assert.equal(shown.lines, 1000, 'only the last thousand lines are laid out');
    assert.match(shown.earlier, /^… \d+ earlier lines$/);
    assert.match(shown.before, /^a line of output \d+\n$/);
    assert.equal(shown.cut, 'Output cut: only the first 1 MiB is shown.');
    assert.doesNotMatch(await debugStatus(page), /The run ended/);
    await page.close();
  });
});

describe('breakpoints', limits, () => {
  test('a breakpoint set in the gutter stops each pass; the store marks what changed', async () => {
    const page = await debug(steps);
    await toggleBreakpoint(page, 7);
    assert.equal(await page.locator('.cm-breakpoint').count(), 1);
    await byId(page, 'continue').click();
    await statusIs(page, 'Step 5 of 10 · line 7');
    assert.deepEqual(await rows(page), [['0', 'x', '1', 'number', 'changed'],
      ['1', 's', 'hi', 'string', 'changed']]);
    await byId(page, 'continue').click();
    await statusIs(page, 'Step 8 of 10 · line 7');
    await byId(page, 'step-forward').click();
    await statusIs(page, 'Step 9 of 10 · line 9');
    assert.deepEqual((await rows(page))[0], ['0', 'x', '3', 'number', 'changed']);
    await byId(page, 'step-forward').click();
    await statusIs(page, 'Step 10 of 10 · line 10');
    assert.deepEqual(await rows(page), [['0', 'x', '3', 'number', ''],
      ['1', 's', 'hi', 'string', ''], ['2', 'x', '5', 'number', 'changed unread']]);
    await page.close();
  });

  test('Debug starts at the first breakpoint, and goes back to the one before', async () => {
    const page = await openScript(steps);
    await toggleBreakpoint(page, 7);
    await startDebug(page);
    await statusIs(page, 'Step 5 of 10 · line 7', 'started at the breakpoint');
    await byId(page, 'timeline').fill('9');
    await statusIs(page, 'Step 10 of 10 · line 10');
    await byId(page, 'back-to-breakpoint').click();
    await statusIs(page, 'Step 8 of 10 · line 7');
    await page.keyboard.press('Shift+F8');
    await statusIs(page, 'Step 5 of 10 · line 7');
    await byId(page, 'back-to-breakpoint').click();
    await statusIs(page, 'Step 1 of 10 · line 1', 'none before: the start');
    await page.close();
  });

  test('a condition and a hit count typed beside a breakpoint decide where it stops', async () => {
    const page = await openScript(passes);
    await toggleBreakpoint(page, 4);
    const condition = byId(page, 'breakpoint-condition');
    await condition.fill('n == 3');
    await condition.press('Enter');
    assert.equal(await page.locator('.cm-breakpoint-conditional').count(), 1);
    await startDebug(page);
    await statusIs(page, 'Step 8 of 12 · line 4', 'the pass where n is 3');
    assert.deepEqual((await rows(page))[0].slice(1, 3), ['n', '3']);
    await condition.fill('');
    await byId(page, 'breakpoint-hit').fill('2');
    await byId(page, 'breakpoint-hit').press('Enter');
    await byId(page, 'timeline').fill('0');
    await statusIs(page, 'Step 1 of 12 · line 1');
    await byId(page, 'continue').click();
    await statusIs(page, 'Step 6 of 12 · line 4', 'the second hit');
    await page.close();
  });
});

describe('watch and console', limits, () => {
  test('a watch shows its value at each step; a wrong one, the checker\'s help', async () => {
    const page = await debug(passes);
    await byId(page, 'watch-input').fill('n * 2');
    await byId(page, 'watch-input').press('Enter');
    await byId(page, 'watch-input').fill('n <= 3');
    await byId(page, 'watch-input').press('Enter');
    const watched = () => page.locator('[data-testid="watch-entry"] .value').allTextContents();
    await page.waitForFunction(() =>
      document.querySelectorAll('[data-testid="watch-entry"]').length === 2);
    await byId(page, 'timeline').fill('4');
    await statusIs(page, 'Step 5 of 12 · line 3');
    const [double, wrong] = await watched();
    assert.equal(double, '2');
    assert.match(wrong, /^Expected expression\nhelp: there is no '<=': .*'n < 4'/);
    await byId(page, 'step-forward').click();
    await statusIs(page, 'Step 6 of 12 · line 4');
    assert.equal((await watched())[0], '4');
    if (screenshots) {
      await page.screenshot({ path: join(screenshots, 'playground-debugger.png'), fullPage: true });
    }
    await byId(page, 'timeline').fill('11');
    await statusIs(page, 'Step 12 of 12 · line 7');
    await byId(page, 'evaluate').fill('total * 3');
    await byId(page, 'evaluate').press('Enter');
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="evaluate-result"]').textContent !== '');
    assert.equal(await byId(page, 'evaluate-result').textContent(),
      '1.2000000000000002 print: 1.2');
    await byId(page, 'evaluate').fill('n && 1');
    await byId(page, 'evaluate').press('Enter');
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="evaluate-result"]').textContent.includes('help'));
    assert.match(await byId(page, 'evaluate-result').textContent(), /help: there is no '&&'/);
    await page.close();
  });
});

describe('asking the past', limits, () => {
  test('a click on an output line goes to the statement that printed it', async () => {
    const page = await debug(passes);
    await byId(page, 'timeline').fill('12');
    await statusIs(page, 'The run ended · exit status 0');
    assert.deepEqual(await outputLines(page),
      ['n is 1\n', 'n is 2\n', 'n is 3\n', 'n is 4\n', 'total 0.4\n']);
    await byId(page, 'output-line').nth(2).click();
    await statusIs(page, 'Step 8 of 12 · line 4', 'the third pass\'s print');
    assert.equal(await page.locator('.cm-debug-step').textContent(), '    print("n is", n);');
    assert.equal(await page.locator('.output-line.pending').textContent(), 'n is 3\n');
    if (screenshots) {
      await page.screenshot({ path: join(screenshots, 'playground-printed-by.png'),
        fullPage: true });
    }
    await byId(page, 'output-line').nth(0).click();
    await statusIs(page, 'Step 4 of 12 · line 4');
    await page.close();
  });

  test('a click on a variable shows its history, and goes to where it was set', async () => {
    const page = await debug(passes);
    await byId(page, 'timeline').fill('9');
    await statusIs(page, 'Step 10 of 12 · line 4');
    await byId(page, 'variable').first().click();
    await byId(page, 'history').filter({ hasText: 'History of n' }).waitFor();
    assert.equal(await byId(page, 'history').locator('h3').textContent(),
      'History of n · 5 writes');
    assert.deepEqual(await byId(page, 'history-entry').allTextContents(), [
      'step 1 · line 1: 0', 'step 3 · line 3: 1', 'step 5 · line 3: 2', 'step 7 · line 3: 3',
      'step 9 · line 3: 4']);
    await byId(page, 'last-write').click();
    await statusIs(page, 'Step 9 of 12 · line 3', 'the pass that set n to 4');
    await byId(page, 'last-write').click();
    await statusIs(page, 'Step 7 of 12 · line 3');
    await byId(page, 'next-write').click();
    await statusIs(page, 'Step 9 of 12 · line 3');
    if (screenshots) {
      await page.screenshot({ path: join(screenshots, 'playground-history.png'),
        fullPage: true });
    }
    await byId(page, 'history-entry').first().click();
    await statusIs(page, 'Step 1 of 12 · line 1');
    await page.close();
  });

  test('a log point set after the fact lists what it would have printed, by step', async () => {
    const page = await debug(passes);
    await byId(page, 'log-line-number').fill('4');
    await byId(page, 'log-message').fill('twice n is {n * 2}');
    await byId(page, 'log-message').press('Enter');
    await byId(page, 'log-line').first().waitFor();
    assert.deepEqual(await byId(page, 'log-line').allTextContents(), ['step 4: twice n is 2',
      'step 6: twice n is 4', 'step 8: twice n is 6', 'step 10: twice n is 8']);
    await byId(page, 'log-line').nth(2).click();
    await statusIs(page, 'Step 8 of 12 · line 4');
    await page.close();
  });
});

describe('debugger layout', limits, () => {
  test('one output area; the current line, breakpoints and errors each look apart', async () => {
    const page = await openScript('var x = 1;\nprint(x);\nprint(x y);\n');
    await byId(page, 'run').click();
    await page.waitForFunction(() =>
      document.querySelector('[data-testid="status"]').textContent.startsWith('Exit status'));
    await page.locator('.cm-lint-marker-error').first().waitFor({ timeout: 5000 });
    await toggleBreakpoint(page, 2);
    await startDebug(page);
    await statusIs(page, 'Step 2 of 4 · line 2');
    assert.equal(await byId(page, 'output').isVisible(), false, 'the run\'s output is put away');
    assert.equal(await byId(page, 'debug-output').isVisible(), true);
    const looks = await page.evaluate(() => {
      const style = (selector, property) =>
        getComputedStyle(document.querySelector(selector))[property];
      return { step: style('.cm-debug-step', 'backgroundColor'),
        active: style('.cm-activeLine', 'backgroundColor'),
        breakpoint: style('.cm-breakpoint', 'color'),
        arrow: document.querySelectorAll('.cm-step-arrow').length };
    });
    assert.notEqual(looks.step, looks.active);
    assert.notEqual(looks.breakpoint, 'rgb(221, 0, 0)', 'a breakpoint is not red');
    assert.equal(looks.arrow, 1);
    await byId(page, 'end-debug').click();
    assert.equal(await byId(page, 'output').isVisible(), true, 'Done brings the run\'s back');
    await page.close();
  });

  test('on a 390 px phone the current line and the step buttons are both on screen', async () => {
    const script = Array.from({ length: 30 }, (_, i) => `var v${i} = ${i};`).join('\n');
    const page = await debug(`${script}\n`, { width: 390, height: 844 });
    for (let i = 0; i < 3; i++) await byId(page, 'step-forward').click();
    await statusIs(page, 'Step 4 of 30 · line 4');
    // Scrolled down to the store, as a reader of its 30 entries is; a key steps on.
    await byId(page, 'timeline').fill('23');
    await statusIs(page, 'Step 24 of 30 · line 24');
    await page.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
    await page.keyboard.press('F11');
    await statusIs(page, 'Step 25 of 30 · line 25');
    const inView = (box) => box !== null && box.y >= 0 && box.y + box.height <= 844;
    const line = await page.locator('.cm-debug-step').boundingBox();
    const button = await byId(page, 'step-forward').boundingBox();
    assert.ok(inView(line), `the current line is on screen (${JSON.stringify(line)})`);
    assert.ok(inView(button), `the step button is on screen (${JSON.stringify(button)})`);
    assert.ok(button.y >= line.y + line.height, 'the buttons do not cover the line');
    await page.close();
  });
});
