// What every check in Chromium here shares: Debian's Chromium started
// headless and kept off the network (this machine's network is closed, and
// a LAN page must not need one), and checks that fail with a message.
import { createRequire } from 'node:module';

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
