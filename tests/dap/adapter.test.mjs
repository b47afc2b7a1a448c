// azuvel-dap driven by the Debug Adapter Protocol's own test client, grouped by feature.
// AZUVEL_DAP names the adapter; tests/dap/run.sh installs the client and runs this file.
import assert from 'node:assert/strict';
import { mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { afterEach, describe, test } from 'node:test';
import { DebugClient } from '@vscode/debugadapter-testsupport';

const adapter = process.env.AZUVEL_DAP;
assert.ok(adapter, 'AZUVEL_DAP must name azuvel-dap');
const dir = mkdtempSync(join(tmpdir(), 'azuvel-dap-'));

function script(name, text) {
  const path = join(dir, name);
  writeFileSync(path, text);
  return path;
}

// Steps: 1 L1, 2 L2, 3 L3 while, 4 L4 if, 5 L7, 6 L4 if, 7 L5 print, 8 L7, 9 L9, 10 L10.
const steps = script('steps.az', [
  'var x = 1;',
  'var s = "hi";',
  'while (x < 3) {',
  '    if (x == 2) {',
  '        print("two");',
  '    }',
  '    x = x + 1;',
  '}',
  'var x = 5;',
  'print(x, s);',
  '',
].join('\n'));
const failing = script('failing.az', 'var a = 1;\nprint("before");\nvar b = a / 0;\nprint("after");\n');
const endless = script('endless.az', 'var i = 0;\nwhile (1) {\n    i = i + 1;\n}\n');

let client;
afterEach(async () => {
  await client?.stop();
  client = undefined;
});

async function start() {
  await client?.stop();
  client = new DebugClient(adapter, '--stdio', 'azuvel');
  client.defaultTimeout = 10000;
  await client.start();
  return client;
}

// Launches stopped at the first statement.
async function launchOnEntry(program) {
  await start();
  await Promise.all([
    client.configurationSequence(),
    client.launch({ program, stopOnEntry: true }),
    client.assertStoppedLocation('entry', { path: program, line: 1 }),
  ]);
}

const top = async () => (await client.stackTraceRequest({ threadId: 1 })).body.stackFrames;
const line = async () => (await top())[0].line;

// Sends a motion and waits for the stop it ends in.
async function move(request, reason = 'step') {
  const stopped = client.waitForEvent('stopped');
  await request.call(client, { threadId: 1 });
  const event = await stopped;
  assert.equal(event.body.reason, reason);
  return line();
}

async function store() {
  const scopes = (await client.scopesRequest({ frameId: 0 })).body.scopes;
  const reference = scopes[0].variablesReference;
  return (await client.variablesRequest({ variablesReference: reference })).body.variables;
}

describe('launch and capabilities', () => {
  test('initialize states step back, conditions, hit counts, log points, hovers', async () => {
    await start();
    const body = (await client.initializeRequest()).body;
    for (const capability of ['supportsStepBack', 'supportsConditionalBreakpoints',
      'supportsHitConditionalBreakpoints', 'supportsLogPoints', 'supportsEvaluateForHovers',
      'supportsConfigurationDoneRequest', 'supportsTerminateRequest']) {
      assert.equal(body[capability], true, capability);
    }
  });

  test('a run without stops prints its output and exits with status 0', async () => {
    await start();
    const exited = client.waitForEvent('exited');
    await Promise.all([
      client.configurationSequence(),
      client.launch({ program: steps }),
      client.assertOutput('stdout', 'two\n3 hi\n'),
      client.waitForEvent('terminated'),
    ]);
    assert.equal((await exited).body.exitCode, 0);
  });

  test('a missing file, a directory and an unknown command get error responses', async () => {
    await start();
    await client.initializeRequest();
    await assert.rejects(client.launchRequest({ program: join(dir, 'none.az') }),
      /Cannot open file: .*none\.az \(no such file\)/);
    await assert.rejects(client.launchRequest({ program: dir }), /\(a directory\)/);
    await assert.rejects(client.launchRequest({}), /needs "program"/);
    await assert.rejects(client.customRequest('frobnicate'), /unknown command: frobnicate/);
  });
});

describe('malformed input', () => {
  test('bytes that are not a message get an error response, and the session goes on', async () => {
    await start();
    for (const bytes of ['Content-Length: 5\r\n\r\n{oops', 'Content-Length: x\r\n\r\n']) {
      // Such an answer has request_seq 0: the client's table of pending requests receives it.
      const answer = new Promise((resolve) => client.pendingRequests.set(0, resolve));
      client.outputStream.write(bytes);
      const response = await answer;
      assert.equal(response.success, false);
      assert.match(response.message, /^malformed message: /);
    }
    assert.equal((await client.initializeRequest()).body.supportsStepBack, true);
  });
});

describe('stepping', () => {
  test('step in visits every statement; step back retraces them', async () => {
    await launchOnEntry(steps);
    const forward = [1];
    for (let i = 0; i < 9; i++) forward.push(await move(client.stepInRequest));
    assert.deepEqual(forward, [1, 2, 3, 4, 7, 4, 5, 7, 9, 10]);
    const backward = [10];
    for (let i = 0; i < 9; i++) backward.push(await move(client.stepBackRequest));
    assert.deepEqual(backward, [...forward].reverse());
    assert.equal(await move(client.stepBackRequest, 'entry'), 1);
  });

  test('next takes a whole if or while as one step; step out leaves the block', async () => {
    await launchOnEntry(steps);
    await move(client.nextRequest);
    assert.equal(await move(client.nextRequest), 3);
    assert.equal(await move(client.nextRequest), 9, 'the whole loop');
    await launchOnEntry(steps);
    for (let i = 0; i < 3; i++) await move(client.stepInRequest);  // into the loop, at the if
    assert.equal(await line(), 4);
    assert.equal(await move(client.nextRequest), 7, 'the whole if');
    assert.equal(await move(client.stepOutRequest), 9, 'out of the loop');
  });

  test('the stack shows the enclosing while and if with their lines', async () => {
    await launchOnEntry(steps);
    for (let i = 0; i < 6; i++) await move(client.stepInRequest);
    const frames = await top();
    assert.deepEqual(frames.map((frame) => [frame.name, frame.line]),
      [['print("two");', 5], ['if (x == 2)', 4], ['while (x < 3)', 3]]);
  });
});

describe('breakpoints', () => {
  test('a line without a statement moves to the next one and says so', async () => {
    await start();
    const initialized = client.waitForEvent('initialized');
    await client.launch({ program: steps });
    await initialized;
    const answer = (await client.setBreakpointsRequest({
      source: { path: steps }, breakpoints: [{ line: 6 }, { line: 8 }, { line: 40 }],
    })).body.breakpoints;
    assert.deepEqual(answer.map((bp) => [bp.verified, bp.line]),
      [[true, 7], [true, 9], [false, undefined]]);
    assert.match(answer[0].message, /line 6 has no statement: moved to line 7/);
    assert.match(answer[2].message, /no statement on line 40/);
  });

  test('continue stops at each hit; reverse continue goes back to the last one', async () => {
    await start();
    await client.hitBreakpoint({ program: steps }, { path: steps, line: 7 });
    assert.equal((await store())[0].value, '1');
    assert.equal(await move(client.continueRequest, 'breakpoint'), 7);
    assert.equal((await store())[0].value, '2');
    assert.equal(await move(client.reverseContinueRequest, 'breakpoint'), 7);
    assert.equal((await store())[0].value, '1');
    assert.equal(await move(client.reverseContinueRequest, 'entry'), 1);
  });

  test('conditions (a string variable counts as 0), a hit count and a log point', async () => {
    await start();
    const initialized = client.waitForEvent('initialized');
    await client.launch({ program: steps });
    await initialized;
    await client.setBreakpointsRequest({
      source: { path: steps },
      breakpoints: [{ line: 4, logMessage: 'x is {x}, y is {y}' },
        { line: 7, condition: 's' }, { line: 7, condition: 'x > 1' },
        { line: 10, hitCondition: '2' }],
    });
    const logged = client.assertOutput('console', 'x is 1, y is <Undefined variable: y>\n');
    const stopped = client.assertStoppedLocation('breakpoint', { line: 7 });
    await client.configurationDoneRequest();
    await logged;
    await stopped;
    assert.equal((await store())[0].value, '2');
    const exited = client.waitForEvent('exited');
    await client.continueRequest({ threadId: 1 });  // line 10 is hit once only: no stop
    assert.equal((await exited).body.exitCode, 0);
  });
});

describe('state', () => {
  test('variables: every entry in order, its kind, and an unread later var', async () => {
    await start();
    await client.hitBreakpoint({ program: steps }, { path: steps, line: 10 });
    assert.deepEqual((await store()).map((v) => [v.name, v.value, v.type]), [
      ['x', '3', 'number'], ['s', 'hi', 'string'],
      ['x (declared again: never read)', '5', 'number']]);
  });

  test('evaluate computes in the current state and gives the language\'s errors', async () => {
    await start();
    await client.hitBreakpoint({ program: steps }, { path: steps, line: 7 });
    const value = async (expression) =>
      (await client.evaluateRequest({ expression, frameId: 0, context: 'hover' })).body.result;
    assert.equal(await value('x * 10 + 1'), '11');
    assert.equal(await value('s'), 'hi');
    assert.equal(await value('1 < 2 < 3'), '1');
    await assert.rejects(client.evaluateRequest({ expression: 'nope + 1' }),
      /Undefined variable: nope/);
    await assert.rejects(client.evaluateRequest({ expression: '1 / (x - 1)' }),
      /Division by zero/);
    assert.equal((await store())[0].value, '1', 'evaluation changed nothing');
    assert.equal(await move(client.stepInRequest), 4);
  });
});

describe('errors, pause and the end', () => {
  test('an error stops at its statement with the message; then the run exits 1', async () => {
    await start();
    const stderr = client.assertOutput('stderr', '[Error] Division by zero\n');
    const stopped = client.waitForEvent('stopped');
    await Promise.all([client.configurationSequence(), client.launch({ program: failing })]);
    const event = await stopped;
    assert.equal(event.body.reason, 'exception');
    assert.equal(event.body.text, '[Error] Division by zero');
    await stderr;
    assert.equal(await line(), 3);
    assert.equal(await move(client.stepBackRequest), 3, 'back to before the statement ran');
    assert.equal(await move(client.stepBackRequest), 2);
    assert.equal(await move(client.continueRequest, 'exception'), 3);
    const exited = client.waitForEvent('exited');
    await client.continueRequest({ threadId: 1 });
    assert.equal((await exited).body.exitCode, 1);
  });

  test('pause stops an endless loop, which can then be stepped and terminated', async () => {
    await start();
    await Promise.all([client.configurationSequence(), client.launch({ program: endless })]);
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.ok([2, 3].includes(await move(client.pauseRequest, 'pause')));
    const count = Number((await store())[0].value);
    assert.ok(count > 1000, `the loop ran (${count} times)`);
    await move(client.stepInRequest);
    const terminated = client.waitForEvent('terminated');
    await client.terminateRequest();
    await terminated;
  });
});
