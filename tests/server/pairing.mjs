// Pairing in real browsers through tunaro-server.exe: Chromium and Firefox
// (Debian's, driven by puppeteer-core) each open the address the QR code
// carries, /pair#CODE, and get the remote; a reload keeps it; then run.sh
// restarts the server and a reload still gets the remote, no prompt. In
// Chromium also: the pairing page, light and dark, passes axe-core's audit and
// pairs from the keyboard alone; a digest login at /login pairs the browser;
// and a page of another site cannot frame the remote.
//
// Environment:
//   BASE_URL     http://127.0.0.1:PORT of the server
//   SERVER_OUT   the server's console output, where the codes are read from
//   STATE        a folder of the run: the script writes "paired" there once
//                both browsers are paired and waits for run.sh's "restarted"
//   LOGIN        user:password of the server's digest login
//   TUNARO_FILTER  only the checks whose names match
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { Failure, check, wanted } from '../browser/browser.mjs';

const require = createRequire(new URL('../browser/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const AXE_SOURCE = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

const { BASE_URL, SERVER_OUT, STATE, LOGIN } = process.env;
const CONTROL_PATH = '/cgi-bin/tunaro/tunaro';
const BROWSERS = {
  chromium: {
    browser: 'chrome',
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-sync'],
  },
  firefox: { browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/lib/firefox-esr/firefox-esr' },
};

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The code of the last "Pairing address: ...#CODE" line of the console, once
// it is another than `used` (a code is good for one device; the server shows
// the next one at once).
async function nextCode(used) {
  for (let i = 0; i < 100; i++) {
    const codes = [...fs.readFileSync(SERVER_OUT, 'utf8').matchAll(/pair#([A-Z0-9]{8})/g)];
    const code = codes.length ? codes[codes.length - 1][1] : '';
    if (code && code !== used) return code;
    await sleep(100);
  }
  throw new Failure(`no pairing code after ${used} in ${SERVER_OUT}`);
}

async function showsTheRemote(page, what) {
  check(new URL(page.url()).pathname === CONTROL_PATH, `${what}: the browser is at ${page.url()}`);
  const text = await page.evaluate(() => document.body.innerText);
  check(text.includes('Winamp is Running'), `${what}: the page says ${text.slice(0, 200)}`);
}

let passed = 0;
let failed = 0;
async function step(name, run) {
  if (!wanted(name)) return;
  try {
    await run();
    passed++;
    console.log(`ok   ${name}`);
  } catch (error) {
    failed++;
    console.log(`FAIL ${name}: ${error instanceof Failure ? error.message : error.stack}`);
  }
}

const NAMES = [
  ...Object.keys(BROWSERS).flatMap((name) => [`${name}: /pair#CODE`, `${name}: after the server's restart`]),
  'chromium: the pairing page',
  'chromium: a digest login',
  'chromium: another site cannot frame',
];

async function main() {
  if (!NAMES.some(wanted)) {
    fs.writeFileSync(path.join(STATE, 'paired'), '');
    return 0;
  }
  const opened = [];
  try {
    let used = '';
    const visitors = [];
    // Both started at once: a browser takes seconds to start.
    const launched = await Promise.allSettled(
      Object.values(BROWSERS).map((options) => puppeteer.launch({ ...options, headless: true, protocolTimeout: 60000 })),
    );
    for (const result of launched) if (result.status === 'fulfilled') opened.push(result.value);
    for (const result of launched) if (result.status === 'rejected') throw result.reason;
    for (const [index, name] of Object.keys(BROWSERS).entries()) {
      const browser = opened[index];
      const page = await browser.newPage();
      page.setDefaultTimeout(15000);
      const visitor = { name, page, dialogs: [] };
      page.on('dialog', (dialog) => {
        visitor.dialogs.push(dialog.message());
        dialog.dismiss().catch(() => {});
      });
      visitors.push(visitor);
      await step(`${name}: /pair#CODE pairs the browser and leads to the remote; a reload keeps it`, async () => {
        used = await nextCode(used);
        // The page posts the code from the fragment, which leaves the address.
        await Promise.all([
          page.waitForFunction((path) => location.pathname === path, { timeout: 15000 }, CONTROL_PATH),
          page.goto(`${BASE_URL}/pair#${used}`),
        ]);
        await page.waitForFunction(() => document.readyState === 'complete');
        await showsTheRemote(page, 'after pairing');
        await page.reload();
        await showsTheRemote(page, 'after a reload');
      });
    }

    const chromium = opened[0];
    await step('chromium: the pairing page passes the axe audit, light and dark, and pairs from the keyboard', async () => {
      const context = await chromium.createBrowserContext();
      const page = await context.newPage();
      await page.goto(`${BASE_URL}/pair`);
      for (const scheme of ['light', 'dark']) {
        await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
        await page.evaluate(AXE_SOURCE);
        const found = await page.evaluate(async () => {
          const result = await window.axe.run(document, { resultTypes: ['violations'] });
          return result.violations.map((v) => `${v.id} (${v.impact})`);
        });
        check(found.length === 0, `axe (${scheme}): ${found.join(', ')}`);
      }
      // The first stop of the Tab key is the code's field; Enter sends it.
      used = await nextCode(used);
      await page.keyboard.press('Tab');
      check(await page.evaluate(() => document.activeElement.id === 'code'), 'Tab does not reach the field first');
      await page.keyboard.type(used.toLowerCase());
      await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
      await showsTheRemote(page, 'after pairing from the keyboard');
      await context.close();
    });
    await step('chromium: a digest login at /login pairs the browser', async () => {
      const context = await chromium.createBrowserContext();
      const page = await context.newPage();
      const user = LOGIN.slice(0, LOGIN.indexOf(':'));
      await page.authenticate({ username: user, password: LOGIN.slice(LOGIN.indexOf(':') + 1) });
      await page.goto(`${BASE_URL}/login`);
      await showsTheRemote(page, 'after the login');
      const cookies = await page.cookies();
      const device = cookies.find((c) => c.name === 'tunaro_device');
      check(device && device.httpOnly && device.sameSite === 'Strict', `the cookies: ${JSON.stringify(cookies)}`);
      // Asked once: without the login, the cookie alone gets the remote.
      await page.authenticate(null);
      await page.goto(`${BASE_URL}/`);
      await showsTheRemote(page, 'with the cookie alone');
      await context.close();
    });

    await step('chromium: another site cannot frame the remote or the pairing page', async () => {
      const page = await chromium.newPage();
      // A page of its own origin (about:blank's), framing the server's pages.
      await page.setContent(
        `<iframe src="${BASE_URL}${CONTROL_PATH}"></iframe><iframe src="${BASE_URL}/pair"></iframe>`,
        { waitUntil: 'load' },
      );
      await sleep(500);
      for (const frame of page.frames().slice(1)) {
        const text = await frame.evaluate(() => document.body?.innerText || '').catch(() => '');
        check(!text.includes('Winamp') && !text.includes('Pair this device'), `a frame shows ${frame.url()}: ${text.slice(0, 100)}`);
      }
      await page.close();
    });

    // run.sh restarts the server meanwhile.
    fs.writeFileSync(path.join(STATE, 'paired'), '');
    for (let i = 0; i < 600 && !fs.existsSync(path.join(STATE, 'restarted')); i++) await sleep(100);
    for (const { name, page, dialogs } of visitors) {
      await step(`${name}: after the server's restart a reload still gets the remote, no prompt`, async () => {
        check(fs.existsSync(path.join(STATE, 'restarted')), 'the server was not restarted');
        await page.reload();
        await showsTheRemote(page, 'after the restart');
        check(dialogs.length === 0, `dialogs: ${dialogs.join('; ')}`);
      });
    }
  } finally {
    fs.writeFileSync(path.join(STATE, 'paired'), '');
    for (const browser of opened) await browser.close().catch(() => {});
  }
  console.log(`pairing: ${passed} passed, ${failed} failed`);
  return failed === 0 ? 0 : 1;
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error);
    process.exit(1);
  },
);
