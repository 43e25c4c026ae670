// End-to-end test of the page through lighttpd, in headless Chromium: the
// steps of a user, one after another, each continuing where the one before
// left the player and the page. tests/browser/run.sh starts the demo
// (lighttpd, tunaro.exe under Wine, the stand-in player with --log), runs the
// remote suite (tests/remote/checks.mjs) against it and then this file, with
// player.mjs's environment and:
//   PLAYER_PID    the stand-in player's process, which a step stops
//   PLAYER_DIR    the folder of standin_player.exe and the demo's playlist.m3u
//   SCREENSHOT    optional: where to write the screenshot for the README
// Each step acts as a user would, then checks both sides: what the player was
// sent (its log) and what the page shows. The first steps use a browser with
// JavaScript off, which must get the program's own page and form, unchanged;
// the rest use the page script, the phone included. They begin with the
// demo's sixth entry playing, as the remote suite leaves it.

import fs from 'node:fs';
import path from 'node:path';
import { check, checkEqual, chromium, launchOptions, openContext, runSteps } from './browser.mjs';
import { pageView as scriptView } from './page-view.mjs';
import {
  ARTIFACTS,
  BASE_URL,
  DEMO,
  HOSTILE,
  NAMES,
  NEXT,
  PAUSE,
  PLAY,
  NUMBERS,
  PLAYER_DIR,
  PREVIOUS,
  STOP,
  logSize,
  mustEnv,
  optionText,
  optionTexts,
  playerGot,
  playerWindowOpen,
  probe,
  startPlayer,
  stopPlayer,
  stopRestartedPlayer,
  waitFor,
  winPath,
} from './player.mjs';

const SCREENSHOT = process.env.SCREENSHOT || '';
const CONTROL = `${BASE_URL}/cgi-bin/tunaro/tunaro`;
const CONTROL_PATH = new URL(CONTROL).pathname;
// The bodies a browser posts for play, pressed from the keyboard (at 0, 0),
// in the page's charset (windows-1252).
const PLAY_BODY_MINNOW = 'play.x=0&play.y=0&MP3List=6.+Minnow+%26+Pike+-+Small+Hours';
const PLAY_BODY_CAFE = 'play.x=0&play.y=0&MP3List=4.+Caf%E9+M%FCller+-+%DCber+die+Stra%DFe';

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

// The state, the song and the marked entry; the list's size when no filter is on.
function showsPlayer(view, { state, titles, current, song = titles[current] }) {
  return (
    view.state === state &&
    view.song === song &&
    (view.filter !== '' || view.size === titles.length) &&
    view.current === optionText(titles, current)
  );
}

// The list's row that shows exactly `text`.
const row = (page, text) =>
  page
    .locator('.tunaro-list [role=option]')
    .filter({ hasText: new RegExp(`^${text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')}$`) });

// Marks the document, so that a check can tell it was not loaded anew.
const markDocument = (page) => page.evaluate(() => (window.tunaroTestMark = true));

// The requests the page script made to the program, as seen since `from`.
function pageRequests(from) {
  return desktop.requests.slice(from).filter((r) => new URL(r.url).pathname === CONTROL_PATH);
}

// ---- the steps -------------------------------------------------------------------

const steps = [];
const step = (name, run) => steps.push({ name, run });
let plain;
let desktop;
let phone;

// The answer to a command is read while the posted command may still wait in
// the player's queue, so the state is checked on the next look.
step('without JavaScript, pause', async () => {
  const page = plain.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?pause"]');
  await playerGot(offset, { commands: [PAUSE] }, 'pause');
  await refresh(page);
  checkEqual(await stateText(page), 'Paused', 'the state after pause');
  checkEqual(await selectedOption(page), optionText(DEMO, 5), 'the current entry after pause');
});

step('without JavaScript, stop', async () => {
  const page = plain.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?stop"]');
  await playerGot(offset, { commands: [STOP] }, 'stop');
  await refresh(page);
  checkEqual(await stateText(page), 'Stopped', 'the state after stop');
  checkEqual(await selectedOption(page), optionText(DEMO, 5), 'the current entry after stop');
});

step('without JavaScript, previous goes one entry back and plays', async () => {
  const page = plain.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?previous"]');
  await playerGot(offset, { commands: [PREVIOUS, PLAY] }, 'previous');
  // The program says "Playing" at once: it asked for play.
  checkEqual(await stateText(page), 'Playing', 'the state right after previous');
  await refresh(page);
  checkEqual(await stateText(page), 'Playing', 'the state after previous');
  checkEqual(await selectedOption(page), optionText(DEMO, 4), 'the current entry after previous');
});

step('without JavaScript, forward goes one entry on and plays', async () => {
  const page = plain.page;
  await page.goto(CONTROL);
  const offset = logSize();
  await clickAndLoad(page, 'a[href$="?forward"]');
  await playerGot(offset, { commands: [NEXT, PLAY] }, 'forward');
  checkEqual(await stateText(page), 'Playing', 'the state right after forward');
  await refresh(page);
  checkEqual(await selectedOption(page), optionText(DEMO, 5), 'the current entry after forward');
});

// Another site's page (localhost is another site than 127.0.0.1) links and
// posts to the remote, with the browser's saved login: nothing happens. A
// page on another port of the same address is the same site, and acts, as
// the remote's own buttons do.
step("another site's link and form do nothing; the same site's do", async () => {
  const page = plain.page;
  const elsewhere = (origin) => `${origin}/elsewhere.html`;
  const otherSite = BASE_URL.replace('127.0.0.1', 'localhost');
  const otherPort = `${new URL(BASE_URL).protocol}//127.0.0.1:1`;
  const forged =
    `<a id=link href="${CONTROL}?stop">a funny picture</a>` +
    `<form id=form method=POST action="${CONTROL}?play"><input name=MP3List value="1. ${DEMO[0]}"><button id=send>go</button></form>`;
  for (const origin of [otherSite, otherPort]) {
    await page.route(elsewhere(origin), (route) => route.fulfill({ contentType: 'text/html', body: forged }));
  }

  let offset = logSize();
  await page.goto(elsewhere(otherSite));
  await clickAndLoad(page, '#link');
  checkEqual(await stateText(page), 'Playing', 'the state after a forged stop');
  await page.goto(elsewhere(otherSite));
  await clickAndLoad(page, '#send');
  checkEqual(await stateText(page), 'Playing', 'the state after a forged choice');
  checkEqual(await selectedOption(page), optionText(DEMO, 5), 'the current entry after a forged choice');
  await playerGot(offset, { commands: [] }, "another site's link and form");

  offset = logSize();
  await page.goto(elsewhere(otherPort));
  await clickAndLoad(page, '#link');
  await playerGot(offset, { commands: [STOP] }, "the same site's link");
  // The remote's own play button, with the current entry chosen, plays again.
  offset = logSize();
  await page.goto(CONTROL);
  await clickAndLoad(page, 'input[name=play]');
  await playerGot(offset, { commands: [PLAY], entrySets: [5] }, "the remote's own play");
});

step('the panel plays a picked entry', async () => {
  const page = desktop.page;
  await page.goto(`${BASE_URL}/`);
  const index = 9; // "10. Halden Ferris - Long Way Round, Again": a comma in the title
  const offset = logSize();
  await page.selectOption('.player select[name=MP3List]', { label: optionText(DEMO, index) });
  await clickAndLoad(page, '.player input[name=play]');
  await playerGot(offset, { commands: [PLAY], entrySets: [index] }, 'panel play');
  // The panel's form leads to the control page, which the script now runs on;
  // its address drops the command, so that a reload does not send it again.
  checkEqual(page.url(), CONTROL, 'where the panel leads');
  const view = await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Playing', titles: DEMO, current: index }),
    'the control page after the panel play',
  );
  checkEqual(view.highlighted, [optionText(DEMO, index)], 'the highlighted entry after the panel play');
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

step('with JavaScript, a filter box and a list of every entry, the current one marked', async () => {
  const page = desktop.page;
  const offset = logSize();
  await page.goto(CONTROL);
  const view = await scriptView(page);
  check(showsPlayer(view, { state: 'Stopped', titles: DEMO, current: 9 }), `the page: ${JSON.stringify(view)}`);
  checkEqual(view.rows, optionTexts(DEMO), 'the rows of the list');
  checkEqual(view.highlighted, [optionText(DEMO, 9)], 'the highlighted entry');
  check(!(await page.isVisible('select[name=MP3List]')), 'the list box is still shown beside the list');
  check(await page.isVisible('.tunaro-filter'), 'the filter box is not shown');
  // What a screen reader is told: a listbox, its active option, the current one.
  checkEqual(
    await page.evaluate(() => {
      const list = document.querySelector('.tunaro-list');
      const active = document.getElementById(list.getAttribute('aria-activedescendant'));
      return [list.getAttribute('role'), list.tabIndex, active?.getAttribute('role'), active?.ariaLabel];
    }),
    ['listbox', 0, 'option', `${optionText(DEMO, 9)} (current)`],
    'the list for a screen reader',
  );
  await playerGot(offset, { commands: [] }, 'viewing the page');
});

step('the page follows the player by itself, keeping the list and the choice in it', async () => {
  const page = desktop.page;
  await markDocument(page);
  // The user moves to the third entry from the keyboard and scrolls a little.
  await page.focus('.tunaro-list');
  for (const key of ['Home', 'ArrowDown', 'ArrowDown']) await page.keyboard.press(key);
  await page.evaluate(() => (document.querySelector('.tunaro-list').scrollTop = 64));
  const before = await scriptView(page);
  const requestsFrom = desktop.requests.length;
  // The player moves on with no request from the page.
  for (const command of [NEXT, PLAY]) {
    const posted = probe('command', String(command));
    check(posted.status === 0, `the probe could not post ${NAMES[command]}: ${posted.stdout}${posted.stderr}`);
  }
  const view = await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Playing', titles: DEMO, current: 10 }),
    'the page after the player moved on',
  );
  checkEqual(view.highlighted, [optionText(DEMO, 2)], 'the entry the user highlighted');
  checkEqual(view.scrollTop, before.scrollTop, 'the scroll position of the list');
  check(view.sameDocument && view.history === before.history, 'the page was loaded anew');
  const requests = pageRequests(requestsFrom);
  check(requests.length > 0, 'the page read nothing');
  // Besides its status, the cover of the entry playing (the one before the
  // change, when its read had not gone yet, or the new one).
  const cover = new RegExp(`^GET ${CONTROL.replace(/[.?]/g, '\\$&')}\\?cover=\\d+ fetch$`);
  checkEqual(
    [...new Set(requests.map((r) => `${r.method} ${r.url} ${r.kind}`))].filter((request) => !cover.test(request)),
    [`GET ${CONTROL}?status fetch`],
    'what the page asked for by itself (its status, not the whole page)',
  );
});

step('with JavaScript, the buttons work without a reload', async () => {
  const page = desktop.page;
  const before = await scriptView(page);
  const requestsFrom = desktop.requests.length;
  let offset = logSize();
  await page.click('a[href$="?pause"]');
  await playerGot(offset, { commands: [PAUSE] }, 'pause');
  await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Paused', titles: DEMO, current: 10 }),
    'the page after pause',
  );
  offset = logSize();
  await page.click('a[href$="?forward"]');
  await playerGot(offset, { commands: [NEXT, PLAY] }, 'forward');
  const view = await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Playing', titles: DEMO, current: 11 }),
    'the page after forward',
  );
  // A button is a choice of its own: the highlight follows the player again.
  checkEqual(view.highlighted, [optionText(DEMO, 11)], 'the highlighted entry after forward');
  check(view.sameDocument && view.history === before.history, 'a button loaded the page anew or added to the history');
  checkEqual(
    pageRequests(requestsFrom)
      .filter((r) => !['', '?status'].includes(new URL(r.url).search))
      .map((r) => `${r.method} ${new URL(r.url).search} ${r.kind}`),
    ['GET ?pause fetch', 'GET ?forward fetch'],
    'the requests of the buttons (besides the status reads)',
  );
});

step('the filter narrows the list, Enter plays the entry through the form, Escape clears it', async () => {
  const page = desktop.page;
  const requestsFrom = desktop.requests.length;
  const offset = logSize();
  // Typing in the list types into the filter, as in a list box.
  await page.focus('.tunaro-list');
  await page.keyboard.type('PIKE');
  let view = await scriptView(page);
  checkEqual(await page.evaluate(() => document.activeElement.className), 'tunaro-filter', 'the focus after typing');
  checkEqual(view.rows, [optionText(DEMO, 5)], 'the rows matching "PIKE"');
  checkEqual(view.highlighted, [optionText(DEMO, 5)], 'the highlighted entry');
  checkEqual(view.count, `Showing 1 of ${DEMO.length}`, 'the count under the list');
  await page.keyboard.press('Enter');
  await playerGot(offset, { commands: [PLAY], entrySets: [5] }, 'play from the filter');
  view = await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Playing', titles: DEMO, current: 5 }),
    'the page after play',
  );
  const posts = pageRequests(requestsFrom).filter((r) => r.method === 'POST');
  checkEqual(
    posts.map((r) => [r.url, r.body]),
    [[`${CONTROL}?play`, PLAY_BODY_MINNOW]],
    'the post of play (as the form without the script sends it)',
  );
  check(view.sameDocument, 'play loaded the page anew');
  checkEqual(view.filter, 'PIKE', 'the filter after play');
  await page.keyboard.press('Escape');
  view = await scriptView(page);
  checkEqual([view.filter, view.rows], ['', optionTexts(DEMO)], 'the filter and the list after Escape');
});

step('the player closes and comes back with another playlist', async () => {
  const page = desktop.page;
  await stopPlayer(Number(mustEnv('PLAYER_PID')));
  let view = await waitFor(() => scriptView(page), (v) => v.state === 'closed', 'the page after the player closed');
  check(!view.formShown, 'the controls are still shown for a closed player');
  const dialogs = desktop.dialogs.length;
  await startPlayer(['--sample', 'hostile']);
  view = await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Stopped', titles: HOSTILE, current: 0 }),
    'the page after the player came back',
  );
  check(view.formShown && view.sameDocument, 'the controls are not back, or the page was loaded anew');
  checkEqual(view.rows.slice(0, 5), optionTexts(HOSTILE).slice(0, 5), 'the first rows of the new list');
  checkEqual(desktop.dialogs.length, dialogs, 'dialogs opened by a title');
  checkEqual(await page.locator('.tunaro-list script, .tunaro-list b').count(), 0, 'markup from titles in the list');
  // Non-ASCII titles: filtered, shown and posted in the page's charset.
  const requestsFrom = desktop.requests.length;
  const offset = logSize();
  await page.fill('.tunaro-filter', 'm\u00fcller');
  checkEqual((await scriptView(page)).rows, [optionText(HOSTILE, 3)], 'the rows matching "m\u00fcller"');
  await page.keyboard.press('Enter');
  await playerGot(offset, { commands: [PLAY], entrySets: [3] }, 'play of a non-ASCII title');
  await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Playing', titles: HOSTILE, current: 3 }),
    'the page after play',
  );
  checkEqual(
    pageRequests(requestsFrom)
      .filter((r) => r.method === 'POST')
      .map((r) => r.body),
    [PLAY_BODY_CAFE],
    'the post of play in windows-1252',
  );
  await page.keyboard.press('Escape');
});

step('on a phone the page fits the screen and plays a tapped entry', async () => {
  const page = phone.page;
  await page.goto(CONTROL);
  await markDocument(page);
  const widths = await page.evaluate(() => ({
    inner: window.innerWidth,
    scroll: document.documentElement.scrollWidth,
    list: document.querySelector('.tunaro-list').getBoundingClientRect().right,
  }));
  // Without the header's viewport line a phone lays the page out 980 wide.
  checkEqual(widths.inner, 390, 'the layout width on a 390 px phone');
  check(widths.scroll <= 390 && widths.list <= 390, `the page is wider than the phone: ${JSON.stringify(widths)}`);
  const offset = logSize();
  await row(page, optionText(HOSTILE, 2)).tap();
  await page.tap('input[name=play]');
  await playerGot(offset, { commands: [PLAY], entrySets: [2] }, 'play on the phone');
  const view = await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Playing', titles: HOSTILE, current: 2 }),
    'the phone page after play',
  );
  check(view.sameDocument, 'play loaded the phone page anew');
  await page.screenshot({ path: path.join(ARTIFACTS, 'control-phone.png'), fullPage: true });
  await page.goto(`${BASE_URL}/`);
  const scroll = await page.evaluate(() => document.documentElement.scrollWidth);
  check(scroll <= 390, `the page with the panel is wider than the phone: ${scroll} px`);
  await page.screenshot({ path: path.join(ARTIFACTS, 'panel-phone.png'), fullPage: true });
});

// ---- running them ------------------------------------------------------------------

async function main() {
  fs.mkdirSync(ARTIFACTS, { recursive: true });
  // The demo's sixth entry playing, as the remote suite leaves it, so that
  // these steps also run without it (a name filter).
  for (const args of [['query', String(NUMBERS.SetCurrentEntry), '5'], ['command', String(PLAY)]]) {
    const sent = probe(...args);
    check(sent.status === 0, `the probe could not reach the player: ${sent.stdout}${sent.stderr}`);
  }
  // Playwright gives the browser a temporary profile and removes it after.
  const browser = await chromium.launch(launchOptions());
  let counts;
  try {
    plain = await openContext(browser, { viewport: { width: 1024, height: 800 }, javaScriptEnabled: false });
    desktop = await openContext(browser, { viewport: { width: 1024, height: 800 } });
    phone = await openContext(browser, {
      viewport: { width: 390, height: 844 },
      deviceScaleFactor: 2,
      isMobile: true,
      hasTouch: true,
    });
    counts = await runSteps(steps, { plain, desktop, phone }, ARTIFACTS);
    if (SCREENSHOT && counts.failed === 0) await writeScreenshot();
  } finally {
    await browser.close().catch(() => {});
    stopRestartedPlayer();
  }
  console.log(`screenshots: ${ARTIFACTS}`);
  console.log(`browser: ${counts.passed} passed, ${counts.failed} failed`);
  return counts.failed === 0 ? 0 : 1;
}

// The README's picture: the control page as a desktop browser shows it, with
// the demo's playlist, playing an entry from the middle of the list.
async function writeScreenshot() {
  stopRestartedPlayer();
  await waitFor(playerWindowOpen, (open) => !open, 'the stopped player');
  await startPlayer(['--playlist', winPath(path.join(PLAYER_DIR, 'playlist.m3u'))]);
  const page = desktop.page;
  await page.setViewportSize({ width: 720, height: 680 });
  await page.goto(CONTROL);
  await row(page, optionText(DEMO, 2)).click();
  await page.keyboard.press('Enter');
  await waitFor(
    () => scriptView(page),
    (v) => showsPlayer(v, { state: 'Playing', titles: DEMO, current: 2 }),
    'the page for the screenshot',
  );
  await page.waitForSelector('.tunaro-controls:not([hidden])');
  await page.mouse.move(0, 0);
  await page.evaluate(() => document.activeElement.blur());
  await page.screenshot({ path: SCREENSHOT });
  console.log(`wrote ${SCREENSHOT}`);
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error);
    stopRestartedPlayer();
    console.log('browser: the steps did not run to their end');
    process.exit(1);
  },
);
