// Checks Tunaro behind Apache as tests/apache/run.sh set it up: plain requests
// for what a server answers, headless Chromium for what a user sees and clicks.
// Each check looks at both sides where there are two: the answer, and the
// stand-in player's log of the messages it got.
//
// Environment (run.sh sets it): BASE_URL, MISPLACED_URL (the same set-up with
// the guide's ScriptAlias block at the end of httpd.conf), LOGIN, PASSWORD,
// PLAYER_LOG, PLAYLIST (the player's list, in cp1251 bytes), CYRILLIC_TITLE,
// PROFILE (a fresh Chromium profile folder), ARTIFACTS.

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { check, checkEqual, chromium, launchOptions } from '../browser/browser.mjs';

const REPO = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const env = (name) => process.env[name] || fail(`${name} is not set (run tests/apache/run.sh)`);
function fail(message) {
  console.error(`apache check: ${message}`);
  process.exit(2);
}
const BASE = env('BASE_URL');
const MISPLACED = env('MISPLACED_URL');
const LOGIN = env('LOGIN');
const PASSWORD = env('PASSWORD');
const PLAYER_LOG = env('PLAYER_LOG');
const CYRILLIC = env('CYRILLIC_TITLE');

// The player's numbers, from the program's own list.
const NUMBERS = Object.fromEntries(
  [...fs.readFileSync(path.join(REPO, 'src/player/player_messages.h'), 'utf8').matchAll(
    /constexpr std::int32_t (\w+) = (\d+);/g,
  )].map(([, name, value]) => [name, Number(value)]),
);

// The titles as the player has them: bytes, held one per character (latin1),
// the way the page carries them.
const TITLES = fs
  .readFileSync(env('PLAYLIST'))
  .toString('latin1')
  .split(/\r?\n/)
  .filter((line) => line.startsWith('#EXTINF:'))
  .map((line) => line.slice(line.indexOf(',') + 1));
const CYRILLIC_INDEX = TITLES.length - 1;
const optionText = (index) => `${index + 1}. ${TITLES[index]}`;
const CYRILLIC_OPTION = `${CYRILLIC_INDEX + 1}. ${CYRILLIC}`;

let passed = 0;
let failed = 0;
async function step(name, body) {
  try {
    await body();
    passed += 1;
    console.log(`ok   ${name}`);
  } catch (error) {
    failed += 1;
    console.log(`FAIL ${name}: ${error.message}`);
  }
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---- requests ---------------------------------------------------------------

const basic = (user, password) => `Basic ${Buffer.from(`${user}:${password}`).toString('base64')}`;
async function request(url, { authorization = basic(LOGIN, PASSWORD), method = 'GET', body } = {}) {
  const headers = {};
  if (authorization) headers.authorization = authorization;
  if (body !== undefined) headers['content-type'] = 'application/x-www-form-urlencoded';
  const response = await fetch(url, { method, headers, body, redirect: 'manual' });
  const text = Buffer.from(await response.arrayBuffer()).toString('latin1');
  return { status: response.status, headers: response.headers, text };
}

// A form value as a browser sends it from a page of the player's code page:
// the bytes percent-encoded, blanks as "+".
const hex = (c) => c.charCodeAt(0).toString(16).toUpperCase().padStart(2, '0');
const formValue = (latin1) =>
  [...latin1].map((c) => (/[A-Za-z0-9*\-._]/.test(c) ? c : c === ' ' ? '+' : `%${hex(c)}`)).join('');

const unescapeHtml = (text) =>
  text.replace(/&quot;/g, '"').replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&amp;/g, '&');
const optionsIn = (html) =>
  [...html.matchAll(/<option[^>]*>(.*?)<\/option>/g)].map((m) => unescapeHtml(m[1]));
const allOptions = TITLES.map((_, index) => optionText(index));

// ---- the player's side --------------------------------------------------------

const logSize = () => fs.statSync(PLAYER_LOG).size;
function logSince(offset) {
  return fs
    .readFileSync(PLAYER_LOG)
    .subarray(offset)
    .toString('latin1')
    .split(/\r?\n/)
    .filter((line) => line.trim() !== '')
    .map((line) => {
      const [message, wParam, lParam] = line.trim().split(/\s+/).map(Number);
      return { message, wParam, lParam };
    });
}

// The entry is set (sent and waited for) before play is posted; a posted
// command reaches the log after the answer, so wait for it. The bound only
// catches a player that never gets it.
async function playerPlayed(offset, index) {
  const isSet = (e) => e.message === NUMBERS.QueryMessage && e.lParam === NUMBERS.SetCurrentEntry;
  const isCommand = (e) => e.message === NUMBERS.CommandMessage;
  let entries = [];
  for (const deadline = Date.now() + 15000; Date.now() < deadline; await sleep(100)) {
    entries = logSince(offset);
    if (entries.some(isCommand)) break;
  }
  const wParams = (test) => entries.filter(test).map((e) => e.wParam);
  checkEqual(wParams(isSet), [index], 'the entries the player was told to make current');
  checkEqual(wParams(isCommand), [NUMBERS.CommandPlay], 'the commands the player got');
  check(entries.findIndex(isSet) < entries.findIndex(isCommand), 'play came before the entry was set');
}

// ---- plain requests -----------------------------------------------------------

const CONTROL = `${BASE}/cgi-bin/tunaro/tunaro`;
const PANEL_PAGE = `${BASE}/tunaro-panel.shtml`;

await step('without a login every address answers 401, and no program runs', async () => {
  const before = logSize();
  const addresses = ['/cgi-bin/tunaro/tunaro', '/cgi-bin/tunaro-panel/tunaro', '/tunaro-panel.shtml',
    '/cgi-bin/radio/tunaro', '/radio-panel.shtml', '/images/play.gif'];
  for (const address of addresses) {
    const answer = await request(`${BASE}${address}`, { authorization: null });
    checkEqual(answer.status, 401, `${address} without a login`);
    checkEqual(answer.headers.get('www-authenticate'), 'Basic realm="Tunaro"', `${address}: the challenge`);
  }
  const wrong = await request(CONTROL, { authorization: basic(LOGIN, `${PASSWORD}x`) });
  checkEqual(wrong.status, 401, 'a wrong password');
  checkEqual(logSize(), before, 'the player log grew: a program ran');
});

await step('with a login the control page shows the player and all its titles', async () => {
  const page = await request(CONTROL);
  checkEqual(page.status, 200, 'status');
  check(page.text.includes('<p>Winamp is Running (<b>Stopped</b>)</p>'), 'no "Winamp is Running (Stopped)"');
  checkEqual(optionsIn(page.text), allOptions, 'the list');
  check(page.text.includes('href="/cgi-bin/tunaro/tunaro?stop"'), 'the buttons do not lead to the page');
});

await step('the .shtml page holds the panel, without the header lines', async () => {
  const page = await request(PANEL_PAGE);
  checkEqual(page.status, 200, 'status');
  const own = page.text.indexOf('<h1>The Loft</h1>');
  const panel = page.text.indexOf('<select size=1 name=MP3List>');
  const after = page.text.indexOf('Open the full remote');
  check(own >= 0 && panel > own && after > panel, 'the panel is not inside the page');
  checkEqual(optionsIn(page.text), allOptions, "the panel's list");
  check(!/content-type/i.test(page.text), 'a header line is in the page');
  check(!page.text.includes('<!--#') && !page.text.includes('an error occurred'), 'the include did not run');
  check(page.text.includes('href="/cgi-bin/tunaro/tunaro?stop"'), "the panel's buttons miss the control page");
});

await step('a selection POST plays the chosen entry', async () => {
  const offset = logSize();
  const chosen = 2;
  const page = await request(`${CONTROL}?play`, {
    method: 'POST',
    body: `play.x=9&play.y=9&MP3List=${formValue(optionText(chosen))}`,
  });
  checkEqual(page.status, 200, 'status');
  await playerPlayed(offset, chosen);
  check(page.text.includes('<p>Winamp is Running (<b>Playing</b>)</p>'), 'the page does not say Playing');
  check(page.text.includes(`<option selected>${optionText(chosen)}</option>`), 'the chosen entry is not marked');
});

await step('nothing else in the program folders is served', async () => {
  for (const file of ['tunaro.conf', 'tunaro.exe', 'header.html']) {
    checkEqual((await request(`${BASE}/cgi-bin/tunaro/${file}`)).status, 404, file);
  }
});

await step("the guide's lines at the end of httpd.conf instead: 404, as the guide warns", async () => {
  checkEqual((await request(`${MISPLACED}/cgi-bin/tunaro/tunaro`)).status, 404, 'the control page');
});

await step('a title in code page 1251 can be chosen from a 1251 page', async () => {
  const offset = logSize();
  const page = await request(`${BASE}/cgi-bin/radio/tunaro?play`, {
    method: 'POST',
    body: `MP3List=${formValue(optionText(CYRILLIC_INDEX))}&play.x=9&play.y=9`,
  });
  checkEqual(page.status, 200, 'status');
  await playerPlayed(offset, CYRILLIC_INDEX);
});

// ---- in the browser -----------------------------------------------------------

const context = await chromium.launchPersistentContext(
  env('PROFILE'),
  launchOptions({
    httpCredentials: { username: LOGIN, password: PASSWORD },
    // The pages as the server sends them: the header's script, which updates
    // the page in place, is the browser test's to check.
    javaScriptEnabled: false,
  }),
);
const page = context.pages()[0] || (await context.newPage());
page.setDefaultTimeout(30000);

async function browserStep(name, body) {
  await step(name, async () => {
    try {
      await body();
    } catch (error) {
      const picture = path.join(env('ARTIFACTS'), `${name.replace(/\W+/g, '-')}.png`);
      await page.screenshot({ path: picture }).catch(() => {});
      throw error;
    }
  });
}

const songName = () => page.locator('font[color="#FF0000"] > b').first().textContent();
const markedOption = () => page.locator('select[name=MP3List] option[selected]').first().textContent();

await browserStep('the 1251 header shows the title in Cyrillic letters', async () => {
  await page.goto(`${BASE}/cgi-bin/radio/tunaro`);
  checkEqual(await page.evaluate(() => document.characterSet), 'windows-1251', 'the page charset');
  checkEqual(await markedOption(), CYRILLIC_OPTION, 'the marked option');
  checkEqual(await songName(), CYRILLIC, 'the song name');
});

await browserStep('the same bytes under the shipped 1252 header are not Cyrillic', async () => {
  await page.goto(CONTROL);
  checkEqual(await page.evaluate(() => document.characterSet), 'windows-1252', 'the page charset');
  const bytes = Buffer.from(TITLES[CYRILLIC_INDEX], 'latin1');
  checkEqual(await songName(), new TextDecoder('windows-1252').decode(bytes), 'the song name');
});

await browserStep("a second installation: its panel's play button reaches that installation", async () => {
  await page.goto(`${BASE}/radio-panel.shtml`);
  const list = page.locator('select[name=MP3List]');
  const cyrillicEntry = await list.locator('option').nth(CYRILLIC_INDEX).textContent();
  checkEqual(cyrillicEntry, CYRILLIC_OPTION, "the panel's Cyrillic entry");
  const chosen = 4;
  await list.selectOption({ label: optionText(chosen) });
  const offset = logSize();
  await Promise.all([page.waitForNavigation(), page.click('#play')]);
  checkEqual(new URL(page.url()).pathname, '/cgi-bin/radio/tunaro', 'the address the play button went to');
  await playerPlayed(offset, chosen);
  const ownLinks = await page.locator('a[href="/cgi-bin/radio/tunaro?stop"]').count();
  check(ownLinks > 0, "the answer is not the radio installation's page");
  checkEqual(await songName(), TITLES[chosen], 'the song name');
});

await context.close();
console.log(`apache: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
