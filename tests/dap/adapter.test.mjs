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
    assert.equal(await move(client.stepBackRequest), 2, 'back to the statement before');
    assert.equal(await move(client.stepInRequest), 3, 'the statement that fails, not yet run');
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
    const count = Number((await store())[0].value.split(' ')[0]);  // exact, then print's form
    assert.ok(count > 1000, `the loop ran (${count} times)`);
    await move(client.stepInRequest);
    const terminated = client.waitForEvent('terminated');
    await client.terminateRequest();
    await terminated;
  });
});

// Steps: 1 L1, 2 L2, 3 L3 while, then per pass 4 L4, 5 L5, 6 L6 (3 passes), 13 L8.
const summing = script('summing.az', [
  'var i = 0;',
  'var total = 0;',
  'while (i < 3) {',
  '    i = i + 1;',
  '    total = total + 0.1;',
  '    print(i, total);',
  '}',
  'print("end");',
  '',
].join('\n'));

// Collects the output events of category stdout until the run ends.
async function outputs(program) {
  await start();
  const seen = [];
  client.on('output', (event) => {
    if (event.body.category === 'stdout') seen.push(event.body);
  });
  const terminated = client.waitForEvent('terminated');
  await Promise.all([client.configurationSequence(), client.launch({ program })]);
  await terminated;
  return seen;
}

describe('questions about the past', () => {
  test('every output event carries the print statement\'s source and line', async () => {
    const seen = await outputs(summing);
    assert.deepEqual(seen.map((body) => [body.output, body.line, body.source.path]), [
      ['1 0.1\n', 6, summing], ['2 0.2\n', 6, summing], ['3 0.3\n', 6, summing],
      ['end\n', 8, summing]]);
  });

  test('data breakpoints: info for a var\'s name only; continue and reverse stop at writes',
    async () => {
      await start();
      assert.equal((await client.initializeRequest()).body.supportsDataBreakpoints, true);
      await client.hitBreakpoint({ program: summing }, { path: summing, line: 6 });
      const info = async (name) =>
        (await client.dataBreakpointInfoRequest({ name, variablesReference: 1 })).body;
      const total = await info('total');
      assert.equal(total.dataId, 'total');
      assert.deepEqual(total.accessTypes, ['write']);
      assert.equal((await info('nothing')).dataId, null);
      assert.match((await info('nothing')).description, /only a name a var declares/);
      await client.setBreakpointsRequest({ source: { path: summing }, breakpoints: [] });
      const set = (await client.setDataBreakpointsRequest({
        breakpoints: [{ dataId: 'total', accessType: 'write' }, { dataId: 'nothing' }],
      })).body.breakpoints;
      assert.deepEqual(set.map((bp) => bp.verified), [true, false]);
      const value = async (expression) =>
        (await client.evaluateRequest({ expression, frameId: 0 })).body.result;
      assert.equal(await move(client.continueRequest, 'data breakpoint'), 5);
      assert.equal(await value('i'), '2', 'the next write, in the second pass');
      assert.equal(await move(client.reverseContinueRequest, 'data breakpoint'), 5);
      assert.equal(await value('i'), '1', 'the previous write, in the first pass');
      assert.equal(await move(client.reverseContinueRequest, 'data breakpoint'), 2, 'its var');
      assert.equal(await move(client.reverseContinueRequest, 'entry'), 1);
    });

  test('values read back exactly, with print\'s form beside them where it differs', async () => {
    await start();
    await client.hitBreakpoint({ program: summing }, { path: summing, line: 8 });
    assert.deepEqual((await store()).map((v) => [v.name, v.value]),
      [['i', '3'], ['total', '0.30000000000000004 (print: 0.3)']]);
    const value = async (expression) =>
      (await client.evaluateRequest({ expression, frameId: 0, context: 'watch' })).body.result;
    assert.equal(await value('total * 100'), '30.000000000000004 (print: 30)');
    assert.equal(await value('19660800 + 1'), '19660801 (print: 1.96608e+07)');
    assert.equal(await value('i / 4'), '0.75');
  });

  test('an invalid expression gets the checker\'s message and help', async () => {
    await start();
    await client.hitBreakpoint({ program: summing }, { path: summing, line: 6 });
    await assert.rejects(client.evaluateRequest({ expression: 'i <= 3', frameId: 0 }),
      /Expected expression \(column 4\)\nhelp: there is no '<=': write 'i < 4'/);
    await assert.rejects(client.evaluateRequest({ expression: 'i && total', frameId: 0 }),
      /help: there is no '&&'/);
  });

  test('the console: which step printed a line, last and next writes, history, log, go',
    async () => {
      await start();
      await client.hitBreakpoint({ program: summing }, { path: summing, line: 8 });
      const ask = async (expression) =>
        (await client.evaluateRequest({ expression, context: 'repl' })).body.result;
      assert.match(await ask(':printed 2'), /^output line 2 was printed at step 9, line 6: print/);
      assert.match(await ask(':last total'), /^total was last written at step 11, line 5/);
      assert.match(await ask(':next total'), /is not written after this step/);
      const history = await ask(':history total');
      assert.match(history, /^total was written 4 times/);
      assert.match(history, /step 11, line 5: .* -> 0.30000000000000004 \(print: 0.3\)/);
      assert.match(await ask(':log 4 i is {i}'),
        /^line 4 ran 3 times\n {2}step 4: i is 0\n {2}step 7: i is 1\n {2}step 10: i is 2$/);
      await assert.rejects(client.evaluateRequest({ expression: ':last nothing' }),
        /no var declares nothing/);
      const stopped = client.waitForEvent('stopped');
      assert.match(await ask(':go 9'), /^at step 9, line 6/);
      assert.equal((await stopped).body.reason, 'goto');
      assert.equal(await line(), 6);
      assert.match(await ask(':last total'), /step 8, line 5/);
      assert.match(await ask(':next total'), /step 11, line 5/);
    });
});

describe('faults the suite once let through', () => {
  test('a hit condition of 2 stops first on the second hit', async () => {
    await start();
    const initialized = client.waitForEvent('initialized');
    await client.launch({ program: summing });
    await initialized;
    await client.setBreakpointsRequest({
      source: { path: summing }, breakpoints: [{ line: 4, hitCondition: '2' }],
    });
    const stopped = client.assertStoppedLocation('breakpoint', { line: 4 });
    await client.configurationDoneRequest();
    await stopped;
    assert.equal((await store())[0].value, '1');
  });

  test('an error on a lone ";" in a loop stops on its own line, not the while', async () => {
    const lone = script('lone.az', 'var i = 0;\nwhile (i < 2) {\n    i = i + 1;\n    ;\n}\n');
    await start();
    const stopped = client.waitForEvent('stopped');
    await Promise.all([client.configurationSequence(), client.launch({ program: lone })]);
    assert.equal((await stopped).body.reason, 'exception');
    assert.equal(await line(), 4);
    assert.equal(await move(client.stepBackRequest), 3);
  });
});
