// What every check in Chromium here shares: Debian's Chromium started
// headless and kept off the network (this machine's network is closed, and
// a LAN page must not need one), checks that fail with a message, the name
// filter, and the runner of the steps in Playwright.
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

// playwright-core as tests/browser's lock file has it, from wherever the
// script that imports this lives.
const require = createRequire(new URL('./package.json', import.meta.url));
export const { chromium } = require('playwright-core');

const LAUNCH_ARGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// Options for chromium.launch() or launchPersistentContext(), with `more`.
export function launchOptions(more = {}) {
  return {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: LAUNCH_ARGS,
    ...more,
  };
}

// A check that did not hold, as opposed to a script that broke.
export class Failure extends Error {}
export function check(condition, message) {
  if (!condition) throw new Failure(message);
}
export function checkEqual(actual, expected, what) {
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  check(a === e, `${what}: expected ${e}, got ${a}`);
}

// The checks a run is limited to: tests/lib/lib.sh's TUNARO_FILTER (a test
// script's -k), a regular expression over their names, letter case ignored.
const FILTER = process.env.TUNARO_FILTER ? new RegExp(process.env.TUNARO_FILTER, 'i') : null;
export const wanted = (name) => !FILTER || FILTER.test(name);

// A context of its own for one kind of visitor, with its page: page errors
// and dialogs are collected, and the requests the page makes.
export async function openContext(browser, options) {
  const context = await browser.newContext(options);
  context.setDefaultTimeout(15000);
  context.setDefaultNavigationTimeout(15000);
  const page = await context.newPage();
  const visitor = { context, page, errors: [], dialogs: [], requests: [] };
  page.on('pageerror', (error) => visitor.errors.push(String(error)));
  page.on('dialog', (dialog) => {
    visitor.dialogs.push(dialog.message());
    dialog.dismiss().catch(() => {});
  });
  page.on('request', (request) =>
    visitor.requests.push({
      method: request.method(),
      url: request.url(),
      body: request.postData(),
      kind: request.isNavigationRequest() ? 'navigation' : request.resourceType(),
    }),
  );
  return visitor;
}

// Runs the wanted steps ({name, run}) in order and says "ok" or "FAIL" for
// each; a step fails too on an error in any visitor's page. A failed step
// leaves each visitor's page, as a picture and as HTML, in `artifacts`.
export async function runSteps(steps, visitors, artifacts) {
  const counts = { passed: 0, failed: 0 };
  for (const [n, { name, run }] of steps.entries()) {
    if (!wanted(name)) continue;
    const started = Date.now();
    try {
      await run();
      for (const [label, visitor] of Object.entries(visitors)) {
        check(visitor.errors.length === 0, `errors on the ${label} page: ${visitor.errors.join('; ')}`);
      }
      counts.passed++;
      console.log(`ok   ${name} (${Date.now() - started} ms)`);
    } catch (error) {
      counts.failed++;
      console.log(`FAIL ${name}: ${error instanceof Failure ? error.message : error.stack}`);
      for (const [label, visitor] of Object.entries(visitors)) {
        visitor.errors.length = 0;
        const file = path.join(artifacts, `failed-${n + 1}-${label}`);
        await visitor.page.screenshot({ path: `${file}.png`, fullPage: true }).catch(() => {});
        await visitor.page
          .content()
          .then((html) => fs.writeFileSync(`${file}.html`, html))
          .catch(() => {});
      }
    }
  }
  return counts;
}
