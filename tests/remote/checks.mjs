// The remote behind a web server: what every web server in front of tunaro.exe
// must get right, checked the same way against lighttpd (tests/browser/run.sh),
// Apache with the deployment guide's configuration (tests/apache/run.sh) and
// tunaro-server.exe (tests/server/run.sh). Each set-up starts its server and
// the stand-in player with the demo's playlist (more titles may follow it), runs
// this file, and keeps the checks that only its server has.
//
// Each check acts as a user or another site would, then looks at both sides:
// the answer (in Chromium, or as plain requests where the bytes matter), and
// what the player was sent (its log). Environment: player.mjs's (BASE_URL,
// PLAYER_LOG, WINE_RUN, PROBE, ARTIFACTS), and
//   PLAYLIST      the playlist file the player was started with
//   LOGIN         user:password, when the server asks for a login
//   LOGIN_SCHEME  Basic or Digest: the login it asks for
//   DEVICE_COOKIE name=value of a paired device, where a browser pairs rather
//                 than logs in (tunaro-server.exe): the browsers carry it, the
//                 plain requests log in
//   PROTECTED     more addresses that must ask for the login, blank-separated
//   PANEL_PAGE    the address of a page that pulls in the compact panel, when
//                 the server runs includes
//   START_PATH    where a user starts, when not at the control page
//   LOOK_ALIKE_HEADERS  kept-out, when the server passes no request header
//                 with "_" in its name to the program (Apache, tunaro-server.exe)
//   PROGRAM_ALIASES  addresses beside the control page where the server runs
//                 the program too, blank-separated
//   TUNARO_FILTER only the checks whose names match (a set-up's -k)

import fs from 'node:fs';
import path from 'node:path';
import {
  Failure,
  check,
  checkEqual,
  chromium,
  launchOptions,
  openContext,
  runSteps,
  wanted,
} from '../browser/browser.mjs';
import { LOGIN, LOGIN_SCHEME, optionsIn, request } from '../browser/http.mjs';
import { pageView } from '../browser/page-view.mjs';
import {
  ARTIFACTS,
  BASE_URL,
  DEMO,
  PLAY,
  logSize,
  mustEnv,
  optionText,
  optionTexts,
  playerGot,
  waitFor,
} from '../browser/player.mjs';

const CONTROL_PATH = '/cgi-bin/tunaro/tunaro';
const CONTROL = `${BASE_URL}${CONTROL_PATH}`;
const USER = LOGIN.slice(0, LOGIN.indexOf(':'));
const PASSWORD = LOGIN.slice(LOGIN.indexOf(':') + 1);
const PANEL_PAGE = process.env.PANEL_PAGE || '';
const START_PATH = process.env.START_PATH || CONTROL_PATH;

// The titles as the player has them, bytes of its code page held one per
// character (latin1, the way a plain answer carries them), and as a page that
// declares windows-1252 shows them.
const TITLE_BYTES = fs
  .readFileSync(mustEnv('PLAYLIST'))
  .toString('latin1')
  .split(/\r?\n/)
  .filter((line) => line.startsWith('#EXTINF:'))
  .map((line) => line.slice(line.indexOf(',') + 1));
const TITLES = TITLE_BYTES.map((bytes) => new TextDecoder('windows-1252').decode(Buffer.from(bytes, 'latin1')));
// "6. Minnow & Pike - Small Hours" of the demo's list: a form carries its "&"
// encoded. The body a browser posts for play, pressed from the keyboard (at
// 0, 0), in the page's charset.
const CHOSEN = 5;
const PLAY_BODY = 'play.x=0&play.y=0&MP3List=6.+Minnow+%26+Pike+-+Small+Hours';
if (TITLES[CHOSEN] !== DEMO[CHOSEN]) {
  console.error(`remote checks: ${mustEnv('PLAYLIST')} does not begin with the demo's list`);
  process.exit(2);
}

// ---- plain requests ---------------------------------------------------------------

// The entry the player has as current, counted from 0, by its status answer.
async function currentEntry() {
  const answer = await request(`${CONTROL}?status`);
  checkEqual(answer.status, 200, 'the status answer');
  return JSON.parse(answer.text).current - 1;
}

// ---- in the browser ------------------------------------------------------------------

async function stateText(page) {
  const text = await page.locator('body').innerText();
  const match = text.match(/Winamp is Running \((\w+)\)/);
  check(match, `the page does not say "Winamp is Running (...)"; it says: ${text.slice(0, 200)}`);
  return match[1];
}

async function selectedOption(page, scope = 'select[name=MP3List]') {
  const selected = await page.$$eval(`${scope} option`, (options) =>
    options.filter((o) => o.selected).map((o) => o.textContent),
  );
  checkEqual(selected.length, 1, 'the number of selected options');
  return selected[0];
}

// The five button images, each loaded; an image button's picture (which has
// no naturalWidth, and no load handler runs without JavaScript) fetched on the side.
async function imagesLoaded(page, what) {
  const images = await page.$$eval('img, input[type=image]', (elements) =>
    elements.map((e) => {
      if (e.tagName === 'IMG') return { src: e.getAttribute('src'), ok: e.complete && e.naturalWidth > 0 };
      return { src: e.getAttribute('src'), button: true };
    }),
  );
  const names = images.map((i) => path.basename(i.src)).sort();
  checkEqual(names, ['forward.gif', 'pause.gif', 'play.gif', 'previous.gif', 'stop.gif'], `${what}: the button images`);
  for (const image of images) {
    if (image.button) {
      const response = await request(new URL(image.src, page.url()).href);
      const type = response.headers.get('content-type');
      check(response.status === 200 && type === 'image/gif', `${what}: ${image.src}: ${response.status} ${type}`);
    } else {
      check(image.ok, `${what}: ${image.src} does not load`);
    }
  }
}

// The list's row that shows exactly `text`.
const row = (page, text) =>
  page
    .locator('.tunaro-list [role=option]')
    .filter({ hasText: new RegExp(`^${text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')}$`) });

// ---- the checks ---------------------------------------------------------------------

const steps = [];
const step = (name, run) => steps.push({ name, run });
let plain;
let desktop;

if (LOGIN) {
  step('without a login every address answers 401, and no program runs', async () => {
    const before = logSize();
    const addresses = [CONTROL_PATH, '/images/play.gif', ...(PANEL_PAGE ? [PANEL_PAGE] : [])];
    addresses.push(...(process.env.PROTECTED || '').split(/\s+/).filter(Boolean));
    for (const address of addresses) {
      const answer = await request(`${BASE_URL}${address}`, { login: '' });
      checkEqual(answer.status, 401, `${address} without a login`);
      const challenge = answer.headers.get('www-authenticate') || '';
      check(
        challenge.startsWith(`${LOGIN_SCHEME} `) && challenge.includes('realm="Tunaro"'),
        `${address}: the challenge is ${challenge}`,
      );
    }
    const wrong = await request(CONTROL, { login: `${USER}:${PASSWORD}x` });
    checkEqual(wrong.status, 401, 'a wrong password');
    checkEqual(logSize(), before, 'the size of the player log (a program ran)');
  });
}

step("without JavaScript the control page is the program's own, with the header's lines whole", async () => {
  const page = plain.page;
  const offset = logSize();
  const response = await page.goto(CONTROL);
  check(response.ok(), `GET ${CONTROL}: ${response.status()}`);
  checkEqual(await page.title(), 'Tunaro', 'the title (from our header file)');
  checkEqual(await stateText(page), 'Stopped', 'the play state at start');
  const options = await page.$$eval('select[name=MP3List] option', (os) => os.map((o) => o.textContent));
  checkEqual(options, optionTexts(TITLES), 'the list box');
  checkEqual(await selectedOption(page), optionText(TITLES, 0), 'the current entry at start');
  check(await page.isVisible('select[name=MP3List]'), 'the list box is not shown');
  checkEqual(await page.locator('.tunaro-filter, .tunaro-list').count(), 0, 'parts of the page script');
  check(
    (await page.locator(`a[href="${CONTROL_PATH}?stop"]`).count()) > 0,
    'the buttons do not lead to the control page',
  );
  await imagesLoaded(page, 'control page');
  // Our header reaches the browser whole: the viewport line keeps its comma,
  // the stylesheet its font list and the script line its attributes (the
  // header is copied field by field).
  checkEqual(
    await page.getAttribute('meta[name=viewport]', 'content'),
    'width=device-width, initial-scale=1',
    'the viewport meta from the header',
  );
  const font = await page.evaluate(() => getComputedStyle(document.body).fontFamily);
  check(font.includes('system-ui') && font.includes('sans-serif'), `the header's stylesheet: font-family is ${font}`);
  checkEqual(
    await page.$$eval('head script', (s) => s.map((e) => [e.getAttribute('src'), e.defer, e.getAttribute('blocking')])),
    [['/images/tunaro.js', true, 'render']],
    'the script line from the header',
  );
  // Looking sends the player nothing.
  await playerGot(offset, { commands: [] }, 'viewing the page');
  await page.screenshot({ path: path.join(ARTIFACTS, 'control-plain.png'), fullPage: true });
});

step('without JavaScript, picking an entry and pressing play posts the form, and the player plays it', async () => {
  const page = plain.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await page.selectOption('select[name=MP3List]', { label: optionText(TITLES, CHOSEN) });
  await page.focus('input[name=play]');
  const [response] = await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  check(response.ok(), `play: the answer was ${response.status()}`);
  checkEqual(response.request().method(), 'POST', 'the play form method');
  checkEqual(response.request().postData(), PLAY_BODY, 'the play form body');
  await playerGot(offset, { commands: [PLAY], entrySets: [CHOSEN] }, 'play');
  checkEqual(await stateText(page), 'Playing', 'the state after play');
  checkEqual(await selectedOption(page), optionText(TITLES, CHOSEN), 'the selected option after play');
  check((await page.locator('body').innerText()).includes(`Song Name: ${TITLES[CHOSEN]}`), 'the song name after play');
});

// The browser says so for a request that another site's page made: the
// server must pass the header on. Where the set-up says the server keeps a
// look-alike with "_" from the program (LOOK_ALIKE_HEADERS=kept-out), that
// must not undo it; lighttpd passes one on as the same variable.
step("a request another site made sends the player nothing, and the answer is the page", async () => {
  const offset = logSize();
  const headers = { 'Sec-Fetch-Site': 'cross-site' };
  if (process.env.LOOK_ALIKE_HEADERS === 'kept-out') headers.Sec_Fetch_Site = 'same-origin';
  const answer = await request(`${CONTROL}?stop`, { headers });
  checkEqual(answer.status, 200, 'the status of the answer');
  check(answer.text.includes('<p>Winamp is Running ('), 'the answer is not the control page');
  await playerGot(offset, { commands: [] }, "another site's stop");
});

step('a control with a bad value answers 400 and its error object', async () => {
  const offset = logSize();
  const answer = await request(`${CONTROL}?volume=x`);
  checkEqual(answer.status, 400, 'the status');
  check(/^application\/json/.test(answer.headers.get('content-type') || ''), `the type: ${answer.headers.get('content-type')}`);
  check(answer.text.startsWith('{"error": '), `the body: ${answer.text.slice(0, 100)}`);
  await playerGot(offset, { commands: [] }, 'a bad volume');
});

// The program's settings and header are never served, nor the exe itself:
// that address answers 404, or the page where the server runs the program
// by that name too (PROGRAM_ALIASES).
step("nothing else of the program's folder is served", async () => {
  const aliases = (process.env.PROGRAM_ALIASES || '').split(/\s+/).filter(Boolean);
  for (const file of ['tunaro.conf', 'tunaro.exe', 'header.html']) {
    const address = `/cgi-bin/tunaro/${file}`;
    const answer = await request(`${BASE_URL}${address}`);
    if (aliases.includes(address)) {
      checkEqual(answer.status, 200, `${address}, where the server runs the program`);
      check(answer.text.includes('Winamp is Running'), `${address} is not the page`);
    } else {
      checkEqual(answer.status, 404, address);
    }
  }
});

if (PANEL_PAGE) {
  step('the page with the compact panel (server-side include), without its header lines', async () => {
    const current = await currentEntry();
    const plainPage = await request(`${BASE_URL}${PANEL_PAGE}`);
    checkEqual(plainPage.status, 200, `GET ${PANEL_PAGE}`);
    const own = plainPage.text.indexOf('<h1>The Loft</h1>');
    const panel = plainPage.text.indexOf('<select size=1 name=MP3List>');
    const after = plainPage.text.indexOf('Open the full remote');
    check(own >= 0 && panel > own && after > panel, 'the panel is not inside the page');
    checkEqual(optionsIn(plainPage.text), optionTexts(TITLE_BYTES), "the panel's list, as bytes");
    check(!plainPage.text.includes('<!--#') && !plainPage.text.includes('an error occurred'), 'the include did not run');
    check(plainPage.text.includes(`href="${CONTROL_PATH}?stop"`), "the panel's buttons miss the control page");

    const page = desktop.page;
    const offset = logSize();
    const response = await page.goto(`${BASE_URL}${PANEL_PAGE}`);
    check(response.ok(), `GET ${PANEL_PAGE}: ${response.status()}`);
    const text = await page.locator('body').innerText();
    check(!/content-type/i.test(text), 'the CGI header shows on the page with the panel');
    check(!/error/i.test(text), `the page with the panel shows an error: ${text.slice(0, 300)}`);
    const form = page.locator('.player form');
    checkEqual(await form.count(), 1, 'panel forms on the page');
    checkEqual(await form.locator('select[name=MP3List]').getAttribute('size'), '1', 'the panel list size');
    checkEqual(await form.locator('select[name=MP3List] option').allTextContents(), optionTexts(TITLES), 'the panel list');
    checkEqual(await selectedOption(page), optionText(TITLES, current), 'the current entry in the panel');
    checkEqual(await page.locator('.tunaro-filter, .tunaro-list').count(), 0, 'parts of the page script in the panel');
    await imagesLoaded(page, 'panel');
    await playerGot(offset, { commands: [] }, 'viewing the panel');
    await page.screenshot({ path: path.join(ARTIFACTS, 'panel-desktop.png'), fullPage: true });
  });
}

step("with JavaScript, the page script's list plays a chosen row", async () => {
  const page = desktop.page;
  const response = await page.goto(`${BASE_URL}${START_PATH}`);
  check(response.ok(), `GET ${START_PATH}: ${response.status()}`);
  checkEqual(new URL(page.url()).pathname, CONTROL_PATH, `where ${START_PATH} leads`);
  const images = await page.$$eval('form a img', (all) => all.map((i) => i.naturalWidth > 0));
  check(images.length === 4 && images.every(Boolean), `the button images loaded: ${images}`);
  await waitFor(() => pageView(page), (v) => v.size === TITLES.length, "the page script's list");
  const offset = logSize();
  await row(page, optionText(TITLES, CHOSEN)).click();
  // The play is a fetch: wait for its answer, not only for the player.
  const answered = page.waitForResponse((r) => r.request().method() === 'POST', { timeout: 60000 });
  await page.keyboard.press('Enter');
  check((await answered).ok(), 'the play request was not answered');
  await playerGot(offset, { commands: [PLAY], entrySets: [CHOSEN] }, 'play from the list');
});

// ---- running them ------------------------------------------------------------------

async function main() {
  if (!steps.some(({ name }) => wanted(name))) return 0;
  fs.mkdirSync(ARTIFACTS, { recursive: true });
  const browser = await chromium.launch(launchOptions());
  try {
    const credentials = LOGIN ? { httpCredentials: { username: USER, password: PASSWORD } } : {};
    plain = await openContext(browser, { viewport: { width: 1024, height: 800 }, javaScriptEnabled: false, ...credentials });
    desktop = await openContext(browser, { viewport: { width: 1024, height: 800 }, ...credentials });
    if (process.env.DEVICE_COOKIE) {
      const [name, value] = process.env.DEVICE_COOKIE.split('=');
      const cookie = { name, value, url: BASE_URL, httpOnly: true, sameSite: 'Strict' };
      for (const visitor of [plain, desktop]) await visitor.context.addCookies([cookie]);
    }
    const { passed, failed } = await runSteps(steps, { plain, desktop }, ARTIFACTS);
    console.log(`remote: ${passed} passed, ${failed} failed`);
    return failed === 0 ? 0 : 1;
  } finally {
    await browser.close().catch(() => {});
  }
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error instanceof Failure ? `FAIL ${error.message}` : error);
    process.exit(1);
  },
);
