// End-to-end test of Tunaro through a real web server, in headless Chromium.
// tests/browser/run.sh starts the demo (lighttpd, tunaro.exe under Wine, the
// stand-in player with --log) and runs this file with:
//   BASE_URL      e.g. http://127.0.0.1:40123
//   PLAYER_LOG    the stand-in player's log: "<message> <wParam> <lParam>" a line
//   ARTIFACTS     folder for screenshots (and the page of a failed step)
//   SCREENSHOT    optional: where to write the screenshot for the README
// Each step acts as a user would, then checks both sides: what the player was
// sent (its log) and what the page shows.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const BASE_URL = mustEnv('BASE_URL');
const PLAYER_LOG = mustEnv('PLAYER_LOG');
const ARTIFACTS = mustEnv('ARTIFACTS');
const SCREENSHOT = process.env.SCREENSHOT || '';
const CONTROL = `${BASE_URL}/cgi-bin/tunaro/tunaro`;

// The player's messages as its log writes them.
const WM_COMMAND = 273;
const WM_USER = 1024;
const SET_CURRENT_ENTRY = 121;
const PREVIOUS = 40044;
const PLAY = 40045;
const PAUSE = 40046;
const STOP = 40047;
const NEXT = 40048;
const NAMES = { [PREVIOUS]: 'previous', [PLAY]: 'play', [PAUSE]: 'pause', [STOP]: 'stop', [NEXT]: 'next' };

// The demo's playlist (demo/playlist.m3u), as the list box shows it.
const ENTRIES = [
  'Juniper Static - Morning Radio',
  'The Lantern Cartel - Paper Boats',
  'Ada Morrow - Tidewater',
  'Copperfield Youth Choir - Snow on the Tramlines',
  'North of Nowhere - Switchback',
  'Minnow & Pike - Small Hours',
  'Esme Valdane - Quiet Engine',
  'The Loose Threads - Cardigan Weather',
  'Orbit Kitchen - Toast for Astronauts',
  'Halden Ferris - Long Way Round, Again',
  'Saltmarsh Radio - Lighthouse Keeper',
  'Velvet Semaphore - Signal Fires',
  'Gable & Finch - Attic Summer',
  'The Night Ferries - Last Crossing',
];
const optionText = (index) => `${index + 1}. ${ENTRIES[index]}`;

const LAUNCH_ARGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

function mustEnv(name) {
  const value = process.env[name];
  if (!value) {
    console.error(`browser test: ${name} is not set (run tests/browser/run.sh)`);
    process.exit(2);
  }
  return value;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

class Failure extends Error {}
function check(condition, message) {
  if (!condition) throw new Failure(message);
}
function checkEqual(actual, expected, what) {
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  check(a === e, `${what}: expected ${e}, got ${a}`);
}

// ---- the player's side -------------------------------------------------------

function logSize() {
  return fs.existsSync(PLAYER_LOG) ? fs.statSync(PLAYER_LOG).size : 0;
}

function logSince(offset) {
  const text = fs.readFileSync(PLAYER_LOG).subarray(offset).toString('latin1');
  return text
    .split(/\r?\n/)
    .filter((line) => line.trim() !== '')
    .map((line) => {
      const parts = line.trim().split(/\s+/).map(Number);
      return { message: parts[0], wParam: parts[1], lParam: parts[2], line };
    });
}

const commandsIn = (entries) =>
  entries.filter((e) => e.message === WM_COMMAND).map((e) => ({ id: e.wParam, lParam: e.lParam }));
const entrySetsIn = (entries) =>
  entries.filter((e) => e.message === WM_USER && e.lParam === SET_CURRENT_ENTRY).map((e) => e.wParam);

// Posted commands are handled after the page has gone out: wait until the
// expected ones are in the log, then a little longer, so that any extra one
// shows up too before we count.
async function playerGot(offset, { commands, entrySets = [] }, what) {
  const deadline = Date.now() + 5000;
  let entries = [];
  for (;;) {
    entries = logSince(offset);
    if (commandsIn(entries).length >= commands.length && entrySetsIn(entries).length >= entrySets.length) break;
    if (Date.now() > deadline) break;
    await sleep(100);
  }
  await sleep(400);
  entries = logSince(offset);
  const got = commandsIn(entries);
  checkEqual(
    got.map((c) => NAMES[c.id] || c.id),
    commands.map((c) => NAMES[c] || c),
    `${what}: the commands the player got`,
  );
  check(
    got.every((c) => c.lParam === 0),
    `${what}: a command came with a non-zero lParam: ${JSON.stringify(got)}`,
  );
  checkEqual(entrySetsIn(entries), entrySets, `${what}: the entries the player was told to make current`);
  if (entrySets.length > 0 && commands.length > 0) {
    // The entry must be current before play is asked for.
    const setAt = entries.findIndex((e) => e.message === WM_USER && e.lParam === SET_CURRENT_ENTRY);
    const playAt = entries.findIndex((e) => e.message === WM_COMMAND && e.wParam === PLAY);
    check(setAt < playAt, `${what}: play reached the player before the entry was set`);
  }
}

// ---- the page's side ---------------------------------------------------------

async function stateText(page) {
  const text = await page.locator('body').innerText();
  const match = text.match(/Winamp is Running \((\w+)\)/);
  check(match, `the page does not say "Winamp is Running (...)"; it says: ${text.slice(0, 200)}`);
  return match[1];
}

async function selectedOption(page) {
  const selected = await page.$$eval('select[name=MP3List] option', (options) =>
    options.filter((o) => o.selected).map((o) => o.textContent),
  );
  checkEqual(selected.length, 1, 'the number of selected options');
  return selected[0];
}

async function imagesLoaded(page, what) {
  const images = await page.$$eval('img, input[type=image]', (elements) =>
    elements.map((e) => {
      if (e.tagName === 'IMG') return { src: e.getAttribute('src'), ok: e.complete && e.naturalWidth > 0 };
      // An image button has no naturalWidth: load its picture on the side.
      return { src: e.getAttribute('src'), button: true };
    }),
  );
  const names = images.map((i) => path.basename(i.src)).sort();
  checkEqual(names, ['forward.gif', 'pause.gif', 'play.gif', 'previous.gif', 'stop.gif'], `${what}: the button images`);
  for (const image of images) {
    if (image.button) {
      const ok = await page.evaluate(
        (src) =>
          new Promise((resolve) => {
            const probe = new Image();
            probe.onload = () => resolve(probe.naturalWidth > 0);
            probe.onerror = () => resolve(false);
            probe.src = src;
          }),
        image.src,
      );
      check(ok, `${what}: ${image.src} does not load`);
    } else {
      check(image.ok, `${what}: ${image.src} does not load`);
    }
  }
}

async function clickAndLoad(page, selector) {
  const [response] = await Promise.all([page.waitForNavigation(), page.click(selector)]);
  check(response && response.ok(), `${selector}: the answer was ${response && response.status()}`);
  return response;
}

async function refresh(page) {
  const offset = logSize();
  await clickAndLoad(page, 'text=Refresh Page');
  await playerGot(offset, { commands: [] }, 'refreshing the page');
}

// ---- the steps -------------------------------------------------------------------

const steps = [];
const step = (name, run) => steps.push({ name, run });
let desktop;
let phone;

step('the control page shows the running player and its playlist', async () => {
  const page = desktop.page;
  const offset = logSize();
  const response = await page.goto(CONTROL);
  check(response.ok(), `GET ${CONTROL}: ${response.status()}`);
  checkEqual(await page.title(), 'Tunaro', 'the title (from our header file)');
  check(['Playing', 'Paused', 'Stopped'].includes(await stateText(page)), 'a known play state');
  const options = await page.$$eval('select[name=MP3List] option', (os) => os.map((o) => o.textContent));
  checkEqual(options, ENTRIES.map((_, i) => optionText(i)), 'the list box');
  checkEqual(await selectedOption(page), optionText(0), 'the current entry at start');
  await imagesLoaded(page, 'control page');
  // Our header reaches the browser whole: the viewport line keeps its comma
  // and the stylesheet its font list (the header is copied field by field).
  checkEqual(
    await page.getAttribute('meta[name=viewport]', 'content'),
    'width=device-width, initial-scale=1',
    'the viewport meta from the header',
  );
  const font = await page.evaluate(() => getComputedStyle(document.body).fontFamily);
  check(font.includes('system-ui') && font.includes('sans-serif'), `the header's stylesheet: font-family is ${font}`);
  // Looking sends the player nothing.
  await playerGot(offset, { commands: [] }, 'viewing the page');
  await page.screenshot({ path: path.join(ARTIFACTS, 'control-desktop.png'), fullPage: true });
});

step('picking an entry and pressing play plays that entry', async () => {
  const page = desktop.page;
  await page.goto(CONTROL);
  const index = 5; // "6. Minnow & Pike - Small Hours": the form carries the "&" encoded
  const offset = logSize();
  await page.selectOption('select[name=MP3List]', { label: optionText(index) });
  const response = await clickAndLoad(page, 'input[name=play]');
  checkEqual(response.request().method(), 'POST', 'the play form method');
  await playerGot(offset, { commands: [PLAY], entrySets: [index] }, 'play');
  checkEqual(await stateText(page), 'Playing', 'the state after play');
  checkEqual(await selectedOption(page), optionText(index), 'the selected option after play');
  check((await page.locator('body').innerText()).includes(`Song Name: ${ENTRIES[index]}`), 'the song name after play');
});

step('pause', async () => {
  const page = desktop.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?pause"]');
  await playerGot(offset, { commands: [PAUSE] }, 'pause');
  // The answer is read while the posted pause may still wait in the player's
  // queue; the next look shows it.
  check(['Playing', 'Paused'].includes(await stateText(page)), 'the state right after pause');
  await refresh(page);
  checkEqual(await stateText(page), 'Paused', 'the state after pause');
  checkEqual(await selectedOption(page), optionText(5), 'the current entry after pause');
});

step('stop', async () => {
  const page = desktop.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?stop"]');
  await playerGot(offset, { commands: [STOP] }, 'stop');
  await refresh(page);
  checkEqual(await stateText(page), 'Stopped', 'the state after stop');
  checkEqual(await selectedOption(page), optionText(5), 'the current entry after stop');
});

step('previous goes one entry back and plays', async () => {
  const page = desktop.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?previous"]');
  await playerGot(offset, { commands: [PREVIOUS, PLAY] }, 'previous');
  checkEqual(await stateText(page), 'Playing', 'the state right after previous');
  await refresh(page);
  checkEqual(await stateText(page), 'Playing', 'the state after previous');
  checkEqual(await selectedOption(page), optionText(4), 'the current entry after previous');
});

step('forward goes one entry on and plays', async () => {
  const page = desktop.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?forward"]');
  await playerGot(offset, { commands: [NEXT, PLAY] }, 'forward');
  checkEqual(await stateText(page), 'Playing', 'the state right after forward');
  await refresh(page);
  checkEqual(await selectedOption(page), optionText(5), 'the current entry after forward');
});

step('the page with the compact panel (server-side include)', async () => {
  const page = desktop.page;
  const offset = logSize();
  const response = await page.goto(`${BASE_URL}/`);
  check(response.ok(), `GET /: ${response.status()}`);
  const text = await page.locator('body').innerText();
  check(!/content-type/i.test(text), 'the CGI header shows on the page with the panel');
  check(!/error/i.test(text), `the page with the panel shows an error: ${text.slice(0, 300)}`);
  const panel = page.locator('.player form');
  checkEqual(await panel.count(), 1, 'panel forms on the page');
  checkEqual(await panel.locator('select[name=MP3List]').getAttribute('size'), '1', 'the panel list size');
  const options = await panel.locator('select[name=MP3List] option').allTextContents();
  checkEqual(options, ENTRIES.map((_, i) => optionText(i)), 'the panel list');
  checkEqual(await selectedOption(page), optionText(5), 'the current entry in the panel');
  await imagesLoaded(page, 'panel');
  await playerGot(offset, { commands: [] }, 'viewing the panel');
  await page.screenshot({ path: path.join(ARTIFACTS, 'panel-desktop.png'), fullPage: true });
});

step('the panel plays a picked entry', async () => {
  const page = desktop.page;
  await page.goto(`${BASE_URL}/`);
  const index = 9; // "10. Halden Ferris - Long Way Round, Again": a comma in the title
  const offset = logSize();
  await page.selectOption('.player select[name=MP3List]', { label: optionText(index) });
  await clickAndLoad(page, '.player input[name=play]');
  await playerGot(offset, { commands: [PLAY], entrySets: [index] }, 'panel play');
  // The panel's form leads to the control page.
  checkEqual(new URL(page.url()).pathname, '/cgi-bin/tunaro/tunaro', 'where the panel leads');
  await refresh(page);
  checkEqual(await stateText(page), 'Playing', 'the state after the panel play');
  checkEqual(await selectedOption(page), optionText(index), 'the current entry after the panel play');
});

step("the panel's stop link", async () => {
  const page = desktop.page;
  await page.goto(`${BASE_URL}/`);
  const offset = logSize();
  await clickAndLoad(page, '.player a[href$="?stop"]');
  await playerGot(offset, { commands: [STOP] }, 'panel stop');
  await page.goto(`${BASE_URL}/`);
  check((await page.locator('.player').innerText()).includes('Stopped'), 'the panel shows Stopped');
});

step('on a phone the page fits the screen', async () => {
  const page = phone.page;
  await page.goto(CONTROL);
  await stateText(page);
  const widths = await page.evaluate(() => ({
    inner: window.innerWidth,
    scroll: document.documentElement.scrollWidth,
  }));
  // Without the header's viewport line a phone lays the page out 980 wide.
  checkEqual(widths.inner, 390, 'the layout width on a 390 px phone');
  check(widths.scroll <= 390, `the page is wider than the phone: ${widths.scroll} px`);
  await page.screenshot({ path: path.join(ARTIFACTS, 'control-phone.png'), fullPage: true });
  await page.goto(`${BASE_URL}/`);
  const scroll = await page.evaluate(() => document.documentElement.scrollWidth);
  check(scroll <= 390, `the page with the panel is wider than the phone: ${scroll} px`);
  await page.screenshot({ path: path.join(ARTIFACTS, 'panel-phone.png'), fullPage: true });
});

// ---- running them ------------------------------------------------------------------

async function openBrowser(options) {
  const userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tunaro-chromium-'));
  const context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: LAUNCH_ARGS,
    ...options,
  });
  context.setDefaultTimeout(15000);
  context.setDefaultNavigationTimeout(15000);
  const page = context.pages()[0] || (await context.newPage());
  return { context, page, userDataDir };
}

async function closeBrowser(browser) {
  if (!browser) return;
  await browser.context.close().catch(() => {});
  fs.rmSync(browser.userDataDir, { recursive: true, force: true });
}

async function main() {
  fs.mkdirSync(ARTIFACTS, { recursive: true });
  let passed = 0;
  let failed = 0;
  try {
    desktop = await openBrowser({ viewport: { width: 1024, height: 800 } });
    phone = await openBrowser({
      viewport: { width: 390, height: 844 },
      deviceScaleFactor: 2,
      isMobile: true,
      hasTouch: true,
    });
    for (const [n, { name, run }] of steps.entries()) {
      const started = Date.now();
      try {
        await run();
        passed++;
        console.log(`ok   ${name} (${Date.now() - started} ms)`);
      } catch (error) {
        failed++;
        console.log(`FAIL ${name}: ${error instanceof Failure ? error.message : error.stack}`);
        for (const [label, browser] of [['desktop', desktop], ['phone', phone]]) {
          const file = path.join(ARTIFACTS, `failed-${n + 1}-${label}`);
          await browser.page.screenshot({ path: `${file}.png`, fullPage: true }).catch(() => {});
          await browser.page
            .content()
            .then((html) => fs.writeFileSync(`${file}.html`, html))
            .catch(() => {});
        }
      }
    }
    if (SCREENSHOT && failed === 0) {
      // The README's picture: the control page as a desktop browser shows it,
      // playing an entry from the middle of the list.
      const page = desktop.page;
      await page.setViewportSize({ width: 720, height: 680 });
      await page.goto(CONTROL);
      await page.selectOption('select[name=MP3List]', { label: optionText(2) });
      await clickAndLoad(page, 'input[name=play]');
      await page.mouse.move(0, 0);
      await page.screenshot({ path: SCREENSHOT });
      console.log(`wrote ${SCREENSHOT}`);
    }
  } finally {
    await closeBrowser(desktop);
    await closeBrowser(phone);
  }
  console.log(`screenshots: ${ARTIFACTS}`);
  console.log(`browser: ${passed} passed, ${failed} failed`);
  return failed === 0 && passed === steps.length ? 0 : 1;
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error);
    console.log(`browser: 0 passed, ${steps.length} failed`);
    process.exit(1);
  },
);
