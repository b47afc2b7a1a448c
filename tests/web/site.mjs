// Shared by the browser tests and the load benchmark: the built site on a loopback port, and
// Debian's chromium, headless, driven by playwright-core from the playground's own packages.
import assert from 'node:assert/strict';
import { after, before } from 'node:test';
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { extname, join, normalize } from 'node:path';
import { fileURLToPath } from 'node:url';

const web = fileURLToPath(new URL('../../web/', import.meta.url));
const { chromium } = createRequire(join(web, 'package.json'))('playwright-core');

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.json': 'application/json', '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
};

// The page's Content-Security-Policy, as its meta element states it.
async function pagePolicy(dir) {
  const page = await readFile(join(dir, 'index.html'), 'utf8');
  return /<meta http-equiv="Content-Security-Policy" content="([^"]*)">/.exec(page)?.[1] ?? null;
}

// Serves `dir`. A worker's script comes with the page's policy as a header (a meta element cannot
// reach a worker), reporting to /csp-report: the reports collect in `server.violations`.
export function serveSite(dir) {
  const violations = [];
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    if (request.method === 'POST' && path === '/csp-report') {
      let body = '';
      for await (const chunk of request) body += chunk;
      violations.push(JSON.parse(body)['csp-report'] ?? body);
      response.writeHead(204).end();
      return;
    }
    try {
      const body = await readFile(join(dir, path.endsWith('/') ? `${path}index.html` : path));
      const headers = { 'content-type': types[extname(path)] ?? 'text/html' };
      const policy = await pagePolicy(dir);
      if (policy !== null && /^(service)?worker$/.test(request.headers['sec-fetch-dest'])) {
        headers['content-security-policy'] = `${policy}; report-uri /csp-report`;
      }
      response.writeHead(200, headers);
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  server.violations = violations;
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({ server, url: `http://127.0.0.1:${server.address().port}/` })));
}

export function launchBrowser() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// For a test file: serves the built site (AZUVEL_SITE) and opens one browser before its tests,
// and closes both after them. The fields are set once the tests start.
export function usePlayground() {
  const playground = { browser: null, server: null, url: null };
  before(async () => {
    assert.ok(process.env.AZUVEL_SITE, 'AZUVEL_SITE must name the built site');
    ({ server: playground.server, url: playground.url } = await serveSite(process.env.AZUVEL_SITE));
    playground.browser = await launchBrowser();
  });
  after(async () => {
    await playground.browser?.close();
    playground.server?.close();
  });
  return playground;
}
