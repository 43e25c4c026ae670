// The page script in Chromium and in Firefox (Debian's chromium and
// firefox-esr, both driven by puppeteer-core: Chromium through its DevTools
// protocol, Firefox through WebDriver BiDi), against the real tunaro.exe and
// the stand-in player. tests/browser/run.sh runs it after test.mjs, with the
// same environment (see player.mjs).
//
// With 2,000 entries: the windowed list, an input method's Enter, the volume,
// seek, shuffle and repeat controls reaching the player, an axe-core audit,
// and the timing of the status reads on a clock the test moves itself. Then
// the player comes back with the hostile titles, which the open page must
// pick up by itself and show in every row as they are. Last, on that player,
// the Library view over a music folder this file fills (MUSIC_DIR, which
// tunaro.conf names): a folder and files added, at the end and next, the
// cover from a folder's picture and from a file's tags, entries removed and
// moved by keys and by buttons, and the list cleared after its question.

import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { Failure, check, checkEqual, wanted } from './browser.mjs';
import { request } from './http.mjs';
import { pageView as view } from './page-view.mjs';
import {
  ARTIFACTS,
  BASE_URL,
  HOSTILE,
  PLAY,
  WM_USER,
  NUMBERS,
  logSince,
  logSize,
  mustEnv,
  optionText,
  optionTexts,
  playerGot,
  playerWindowOpen,
  sleep,
  startPlayer,
  stopRestartedPlayer,
  waitFor,
} from './player.mjs';

const require = createRequire(import.meta.url);
const puppeteer = require('puppeteer-core');
const AXE_SOURCE = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const MUSIC_DIR = mustEnv('MUSIC_DIR');

const CONTROL = `${BASE_URL}/cgi-bin/tunaro/tunaro`;
const ENTRIES = 2000;
const SYNTHETIC = Array.from({ length: ENTRIES }, (_, i) => {
  const n = String(i + 1).padStart(4, '0');
  return `Artist ${n} - Title ${n}`;
});
// The stand-in's song lengths for its generated list.
const syntheticSeconds = (index) => 90 + ((index * 7919) % 331);
const START_POSITION_S = 61;

const BROWSERS = {
  chromium: {
    browser: 'chrome',
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-sync'],
  },
  firefox: {
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/lib/firefox-esr/firefox-esr',
    args: [],
  },
};

// ---- in the page ---------------------------------------------------------------

// Installed before the page's own scripts in the clock test: timers and
// Date.now run on a clock that only moves when the test says so
// (__clock.tick), status reads can be made to fail or to wait, and the tab
// can be hidden and shown.
function fakeClockAndNetwork() {
  const start = Date.now();
  let now = 0;
  let nextId = 1;
  const timers = new Map();
  window.setTimeout = (callback, delay = 0, ...args) => {
    const id = nextId++;
    timers.set(id, { at: now + Math.max(0, Number(delay) || 0), callback, args });
    return id;
  };
  window.clearTimeout = (id) => timers.delete(id);
  Date.now = () => start + now;
  performance.now = () => now;
  window.__clock = {
    tick(ms) {
      const end = now + ms;
      for (;;) {
        let due = null;
        for (const [id, timer] of timers) if (timer.at <= end && (!due || timer.at < due[1].at)) due = [id, timer];
        if (!due) break;
        timers.delete(due[0]);
        now = due[1].at;
        due[1].callback(...due[1].args);
      }
      now = end;
    },
    // How far off each waiting timer is.
    pending: () => [...timers.values()].map((timer) => timer.at - now),
  };
  const realFetch = window.fetch.bind(window);
  const net = { statusReads: 0, failing: false, holding: false, held: [] };
  window.__net = net;
  window.fetch = (url, init) => {
    if (/\?status$/.test(String(url))) {
      net.statusReads++;
      if (net.failing) return Promise.reject(new TypeError('the test took the network away'));
      if (net.holding) return new Promise((resolve) => net.held.push(() => resolve(realFetch(url, init))));
    }
    return realFetch(url, init);
  };
  net.release = () => net.held.splice(0).forEach((go) => go());
  let hidden = false;
  Object.defineProperty(Document.prototype, 'hidden', { configurable: true, get: () => hidden });
  Object.defineProperty(Document.prototype, 'visibilityState', {
    configurable: true,
    get: () => (hidden ? 'hidden' : 'visible'),
  });
  window.__setHidden = (value) => {
    hidden = value;
    document.dispatchEvent(new Event('visibilitychange'));
  };
}

// ---- the player's side ------------------------------------------------------------

// The queries with `code` the player got since `offset`, with their values;
// a status read's own queries (the volume's -666) are left out.
function queriesSince(offset, code) {
  return logSince(offset)
    .filter((e) => e.message === WM_USER && e.lParam === code && e.wParam >= 0 && e.wParam < 2 ** 31)
    .map((e) => e.wParam);
}

async function playerGotQueries(offset, code, expected, what) {
  await waitFor(
    () => queriesSince(offset, code),
    (got) => got.length >= expected.length,
    `${what}: the player's log`,
  );
  checkEqual(queriesSince(offset, code), expected, `${what}: what the player was sent`);
}

async function restartPlayer(args) {
  stopRestartedPlayer();
  await waitFor(playerWindowOpen, (open) => !open, 'the stopped player');
  await startPlayer(args);
}

// ---- the steps ----------------------------------------------------------------------

const steps = [];
const step = (name, run) => steps.push({ name, run });

step('a list of 2,000 entries draws the rows in view and reuses them as it scrolls', async ({ page }) => {
  await page.goto(CONTROL);
  let seen = await waitFor(() => view(page), (v) => v.size === ENTRIES, 'the list of 2,000');
  const rowElements = seen.rowElements;
  check(rowElements < 60, `the list made ${rowElements} rows for 2,000 entries`);
  checkEqual(seen.rows[0], optionText(SYNTHETIC, 0), 'the first row');
  await page.evaluate(() => {
    const list = document.querySelector('.tunaro-list');
    list.scrollTop = list.scrollHeight;
  });
  seen = await waitFor(
    () => view(page),
    (v) => v.rows.at(-1) === optionText(SYNTHETIC, ENTRIES - 1),
    'the last row after scrolling to the end',
  );
  check(seen.rowElements <= rowElements + 1, `scrolling made new rows: ${rowElements} before, ${seen.rowElements} after`);
  // Every id once; the buttons named; the combobox with no active option yet.
  const facts = await page.evaluate(() => {
    const ids = [...document.querySelectorAll('[id]')].map((e) => e.id);
    return {
      repeatedIds: ids.filter((id, i) => ids.indexOf(id) !== i),
      labels: [...document.querySelectorAll('form a[aria-label], form input[type=image]')].map((e) =>
        e.getAttribute('aria-label'),
      ),
      comboActive: document.querySelector('.tunaro-filter').getAttribute('aria-activedescendant'),
      rowTitles: document.querySelectorAll('.tunaro-row[title]').length,
      // A finger's size, and text a phone does not zoom into.
      rowHeight: document.querySelector('.tunaro-row:not([hidden])').offsetHeight,
      filterText: getComputedStyle(document.querySelector('.tunaro-filter')).fontSize,
    };
  });
  check(facts.rowHeight >= 44, `rows are ${facts.rowHeight} px high`);
  checkEqual(facts.filterText, '16px', 'the filter\'s text size');
  checkEqual(facts.repeatedIds, [], 'ids used twice');
  checkEqual(facts.labels, ['Previous', 'Play the highlighted entry', 'Pause', 'Stop', 'Next'], 'the buttons\' names');
  checkEqual(facts.comboActive, null, 'the filter\'s active option before any choice');
  checkEqual(facts.rowTitles, 0, 'rows with a tooltip');
  // The keyboard reaches the end too, and the filter then names the row.
  await page.focus('.tunaro-list');
  await page.keyboard.press('Home');
  await page.keyboard.press('End');
  seen = await view(page);
  checkEqual(seen.highlighted, [optionText(SYNTHETIC, ENTRIES - 1)], 'the highlighted entry after End');
  checkEqual(
    await page.evaluate(() => document.querySelector('.tunaro-filter').getAttribute('aria-activedescendant')),
    `tunaro-entry-${ENTRIES - 1}`,
    'the filter\'s active option after End',
  );
});

step('Enter that confirms an input method\'s word plays nothing; Enter after it plays', async ({ page }) => {
  await page.focus('.tunaro-filter');
  await page.keyboard.type('title 0007');
  await waitFor(() => view(page), (v) => v.rows.length === 1, 'the filtered list');
  const offset = logSize();
  await page.evaluate(() => {
    const filter = document.querySelector('.tunaro-filter');
    filter.dispatchEvent(new CompositionEvent('compositionstart', { bubbles: true, data: '' }));
    filter.dispatchEvent(
      new KeyboardEvent('keydown', { key: 'Enter', code: 'Enter', keyCode: 229, isComposing: true, bubbles: true, cancelable: true }),
    );
    filter.dispatchEvent(new CompositionEvent('compositionend', { bubbles: true, data: '\u6f22' }));
    filter.dispatchEvent(new KeyboardEvent('keyup', { key: 'Enter', code: 'Enter', bubbles: true }));
  });
  await sleep(1500); // what a wrong play would take to reach the player, and more
  await playerGot(offset, { commands: [] }, 'Enter in a composition');
  await page.keyboard.press('Enter');
  await playerGot(logSize(), { commands: [PLAY], entrySets: [6] }, 'Enter after the composition');
  await waitFor(
    () => view(page),
    (v) => v.state === 'Playing' && v.current === optionText(SYNTHETIC, 6) && v.controlsShown,
    'the page after play',
  );
  await page.keyboard.press('Escape');
});

step('volume, seek, shuffle and repeat reach the player, and the page shows their effect', async ({ page }) => {
  let offset = logSize();
  await page.focus('.tunaro-volume-slider');
  await page.keyboard.press('Home');
  await playerGotQueries(offset, NUMBERS.SetVolume, [0], 'volume to 0');
  await page.keyboard.press('End');
  await playerGotQueries(offset, NUMBERS.SetVolume, [0, 255], 'volume to 100');
  await waitFor(() => view(page), (v) => v.volume === '100%', 'the volume shown');

  // The player keeps what the other browser set: each change is from where it is.
  const clock = (seconds) => `${Math.floor(seconds / 60)}:${String(seconds % 60).padStart(2, '0')}`;
  const length = syntheticSeconds(6);
  let seen = await waitFor(() => view(page), (v) => v.length === clock(length), 'the song length');
  const at = await page.evaluate(() => Number(document.querySelector('.tunaro-position').value));
  check(at >= START_POSITION_S && seen.elapsed === clock(at), `the position bar at ${at}, the time at ${seen.elapsed}`);
  offset = logSize();
  await page.focus('.tunaro-position');
  await page.keyboard.press('ArrowRight');
  await playerGotQueries(offset, NUMBERS.JumpToTime, [(at + 1) * 1000], 'seek by a second');
  seen = await waitFor(() => view(page), (v) => v.elapsed === clock(at + 1), 'the position after seeking');
  checkEqual(seen.position, `${clock(at + 1)} of ${clock(length)}`, 'what the position bar says');

  const on = (pressed) => (pressed === 'true' ? 1 : 0);
  const { shuffle, repeat } = seen;
  offset = logSize();
  await page.click('.tunaro-shuffle');
  await playerGotQueries(offset, NUMBERS.SetShuffle, [1 - on(shuffle)], 'shuffle switched');
  await page.click('.tunaro-shuffle');
  await playerGotQueries(offset, NUMBERS.SetShuffle, [1 - on(shuffle), on(shuffle)], 'shuffle switched back');
  await page.click('.tunaro-repeat');
  await playerGotQueries(offset, NUMBERS.SetRepeat, [1 - on(repeat)], 'repeat switched');
  await waitFor(
    () => view(page),
    (v) => v.shuffle === shuffle && on(v.repeat) === 1 - on(repeat),
    'shuffle and repeat as the player has them',
  );

  // "Show playing" leaves a filter that hides the entry and goes to it.
  await page.focus('.tunaro-filter');
  await page.keyboard.type('title 1999');
  await page.click('.tunaro-show');
  seen = await view(page);
  checkEqual(seen.highlighted, [optionText(SYNTHETIC, 6)], 'the highlighted entry after "Show playing"');
  checkEqual(seen.size, ENTRIES, 'the list after "Show playing"');
});

// axe-core's serious and critical findings on the page as it is, light and
// (in Chromium: Firefox over BiDi cannot switch the colour scheme) dark.
async function audit(page, browser, what, schemes = ['light', 'dark']) {
  if (browser !== 'chromium') schemes = ['light'];
  for (const scheme of schemes) {
    if (browser === 'chromium') await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
    await page.evaluate(AXE_SOURCE);
    const found = await page.evaluate(async () => {
      const result = await window.axe.run(document, { resultTypes: ['violations'] });
      return result.violations
        .filter((v) => v.impact === 'serious' || v.impact === 'critical')
        .map((v) => `${v.id} (${v.impact}): ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')}`);
    });
    checkEqual(found, [], `serious or critical findings, ${what} (${scheme})`);
  }
  if (browser === 'chromium') await page.emulateMediaFeatures([]);
}

step('axe-core finds nothing serious on the page, light or dark', async ({ page, name }) => {
  await audit(page, name, 'the playlist');
  if (name === 'chromium') {
    // High contrast drops backgrounds: the highlighted row keeps a frame.
    // (puppeteer's own call does not know forced-colors; DevTools does.)
    const devtools = await page.createCDPSession();
    await devtools.send('Emulation.setEmulatedMedia', { features: [{ name: 'forced-colors', value: 'active' }] });
    const frame = await page.evaluate(() => {
      const style = getComputedStyle(document.querySelector('.tunaro-row[aria-selected=true]'));
      return `${style.outlineStyle} ${style.outlineWidth}`;
    });
    checkEqual(frame, 'solid 3px', 'the highlighted row in forced colours');
    await devtools.send('Emulation.setEmulatedMedia', { features: [] });
    await devtools.detach();
  }
});

step('status reads every second, back off after failures, and follow a command up', async ({ context }) => {
  const page = await context.newPage();
  try {
    await page.evaluateOnNewDocument(fakeClockAndNetwork);
    await page.goto(CONTROL);
    const reads = () => page.evaluate(() => window.__net.statusReads);
    const tick = (ms) => page.evaluate((n) => window.__clock.tick(n), ms);
    // Settled: the read has been taken in, and only the next one waits (a
    // read under way has its 2-minute guard timer).
    const nextRead = async (what) => {
      const pending = await waitFor(
        () => page.evaluate(() => window.__clock.pending()),
        (p) => p.length === 1 && p[0] < 100000,
        `${what}: the next read`,
        20000,
      );
      return pending[0];
    };
    const readsBefore = await reads();
    await tick(0);
    checkEqual((await reads()) - readsBefore, 1, 'status reads at the start');
    checkEqual(await nextRead('after the first read'), 1000, 'the wait after a good read (ms)');
    await tick(999);
    checkEqual((await reads()) - readsBefore, 1, 'status reads before the second is due');
    await tick(1);
    checkEqual((await reads()) - readsBefore, 2, 'status reads after a second');
    checkEqual(await nextRead('after the second read'), 1000, 'the wait after a good read (ms)');

    // The notice goes into a live region that was there from the start.
    await page.evaluate(() => (document.querySelector('.tunaro-notices[role=status]').dataset.mark = 'from the start'));
    await page.evaluate(() => (window.__net.failing = true));
    const waits = [];
    for (let n = 0; n < 3; n++) {
      await tick(waits.at(-1) ?? 1000);
      waits.push(await nextRead(`after failure ${n + 1}`));
    }
    checkEqual(waits, [2000, 4000, 8000], 'the waits after one, two and three failed reads (ms)');
    check(
      await page.evaluate(() =>
        document.querySelector('.tunaro-notices[data-mark] .tunaro-notice')?.textContent.includes('Trying again in 8 s'),
      ),
      'the page does not say the reads fail, in the region that was there',
    );
    await page.evaluate(() => (window.__net.failing = false));
    await tick(8000);
    checkEqual(await nextRead('after a good read again'), 1000, 'the wait once a read works again (ms)');
    checkEqual((await view(page)).notice, '', 'the notice after a good read');

    // A read under way when the check after a button press is due does not
    // cancel that check: it comes as soon as the older read is done.
    await page.evaluate(() => (window.__net.holding = true));
    await tick(1000);
    const heldReads = await reads();
    await page.click('a[href$="?pause"]');
    await waitFor(() => page.evaluate(() => window.__clock.pending()), (p) => p.includes(1000), 'the follow-up');
    await tick(1000);
    checkEqual(await reads(), heldReads, 'status reads while one is under way');
    await page.evaluate(() => {
      window.__net.holding = false;
      window.__net.release();
    });
    checkEqual(await nextRead('after the held read'), 0, 'the wait for the check after the held read (ms)');
    await tick(0);
    checkEqual((await reads()) - heldReads, 1, 'status reads after the held one');
    checkEqual(await nextRead('after the follow-up'), 1000, 'the wait after the check (ms)');
    checkEqual((await view(page)).state, 'Paused', 'the state after pause and its check');

    // A follow-up due while the tab is hidden is made up when it is shown.
    await tick(500);
    await page.click('a[href$="?pause"]');
    await waitFor(
      () => page.evaluate(() => window.__clock.pending()),
      (p) => p.length === 1 && p[0] === 1000,
      'the follow-up after the command',
    );
    await page.evaluate(() => window.__setHidden(true));
    const hiddenReads = await reads();
    await tick(60000);
    checkEqual((await reads()) - hiddenReads, 0, 'status reads while hidden');
    await page.evaluate(() => window.__setHidden(false));
    await tick(0);
    checkEqual((await reads()) - hiddenReads, 1, 'status reads on coming back');
    await nextRead('after coming back');
    checkEqual((await view(page)).state, 'Playing', 'the state after coming back');
  } finally {
    await page.close();
  }
});

step('when setting the page up fails half way, the page is the program\'s own again', async ({ context }) => {
  const page = await context.newPage();
  try {
    // The list box cannot be copied: the script fails after it has added
    // its controls and labels and moved the song's lines.
    await page.evaluateOnNewDocument(() => {
      const cloneNode = Node.prototype.cloneNode;
      Node.prototype.cloneNode = function (deep) {
        if (this.name === 'MP3List') throw new Error('the test refused to copy the list box');
        return cloneNode.call(this, deep);
      };
    });
    await page.goto(CONTROL);
    const left = await page.evaluate(() => ({
      added: [...document.querySelectorAll('[class^=tunaro-], style')].map((e) => e.className || e.nodeName),
      options: document.querySelector('form select[name=MP3List]')?.options.length ?? 0,
      shown: document.querySelector('form select[name=MP3List]')?.offsetHeight > 0,
      attributes: document.querySelectorAll('[aria-label], [aria-live], img[alt]').length,
      songLines: [...document.querySelector('form').parentNode.childNodes].filter((n) =>
        /^(Song Name|Kbps|KHz|Length):/.test((n.textContent ?? '').trim()),
      ).length,
    }));
    checkEqual(left.added, ['STYLE'], "what is left of the script's parts (the header's own style stays)");
    checkEqual([left.options, left.shown], [ENTRIES, true], 'the list box');
    checkEqual(left.attributes, 0, 'labels and live regions left behind');
    checkEqual(left.songLines, 4, 'the song lines back beside the form');
  } finally {
    await page.close();
  }
});

// Run with the hostile list, on the page the steps above left open.
const hostileSteps = [];
hostileSteps.push({
  name: 'the open page picks up a new list by itself: hostile titles in every row, as they are',
  run: async ({ page, visitor }) => {
    const seen = await waitFor(
      () => view(page),
      (v) => v.size === HOSTILE.length && v.rows.length === HOSTILE.length,
      'the hostile list on the open page',
    );
    checkEqual(seen.rows, optionTexts(HOSTILE), 'every row');
    checkEqual(visitor.dialogs, [], 'dialogs opened by a title');
    checkEqual(
      await page.evaluate(() => document.querySelectorAll('.tunaro-list *:not(.tunaro-row):not(.tunaro-rows)').length),
      0,
      'markup from titles in the list',
    );
    // Accents do not count in the filter; the song's title comes whole
    // through the status answer's UTF-8.
    await page.focus('.tunaro-filter');
    await page.keyboard.type('cafe muller');
    const found = await waitFor(() => view(page), (v) => v.rows.length === 1, 'the filtered hostile list');
    checkEqual(found.rows, [optionText(HOSTILE, 3)], 'the rows matching "cafe muller"');
    await page.keyboard.press('Enter');
    await waitFor(
      () => view(page),
      (v) => v.state === 'Playing' && v.song === HOSTILE[3] && v.current === optionText(HOSTILE, 3),
      'the song after playing the accented title',
    );
    await page.keyboard.press('Escape');
  },
});

// ---- the Library view -------------------------------------------------------------

// The music folder: an album with a folder picture and a song whose name
// would be markup if a page took it for some (Windows has no "<" in a name,
// but "&lt;" written out, quotes and ampersands), an album whose song holds
// its picture in its tags, and a file that is no music. The two pictures
// differ in width, which tells on the page which one shows; the browser
// draws them (a JPEG is more than a few bytes by hand).
const FOLDER_PICTURE_WIDTH = 3;
const TAG_PICTURE_WIDTH = 5;
// The songs as the list shows them: the player has not read them, so they
// go by their files' names.
const FIRST = '01 First Light';
const SECOND = '02 Second Wind';
const HOSTILE_NAME = "03 &lt;img src=x onerror=alert(1)&gt; 'quoted' & more";
const TAGGED = '01 Tagged';
const ALBUM = [FIRST, SECOND, HOSTILE_NAME];
const withoutNumber = (row) => row.replace(/^\d+\. /, '');

// An MPEG frame of silence, after an ID3v2.3 tag holding the picture as the
// front cover (an APIC frame) when there is one.
function mp3(picture = null) {
  const frame = Buffer.concat([Buffer.from([0xff, 0xfb, 0x90, 0x64]), Buffer.alloc(413)]);
  if (!picture) return frame;
  const body = Buffer.concat([Buffer.from('\0image/png\0\x03\0', 'latin1'), picture]);
  const head = Buffer.alloc(10);
  head.write('APIC', 'latin1');
  head.writeUInt32BE(body.length, 4);
  // The tag's size in four bytes of seven bits each.
  const size = [21, 14, 7, 0].map((shift) => ((body.length + 10) >> shift) & 0x7f);
  return Buffer.concat([Buffer.from([0x49, 0x44, 0x33, 3, 0, 0, ...size]), head, body, frame]);
}

async function fillMusicFolder(page) {
  const pictures = await page.evaluate(
    (wanted) =>
      wanted.map(([type, width]) => {
        const canvas = document.createElement('canvas');
        canvas.width = width;
        canvas.height = 2;
        const context = canvas.getContext('2d');
        context.fillStyle = '#2c3846';
        context.fillRect(0, 0, width, 2);
        return canvas.toDataURL(type).split(',')[1];
      }),
    [
      ['image/jpeg', FOLDER_PICTURE_WIDTH],
      ['image/png', TAG_PICTURE_WIDTH],
    ],
  );
  const [jpeg, png] = pictures.map((base64) => Buffer.from(base64, 'base64'));
  const files = {
    'Album 2/folder.jpg': jpeg,
    ...Object.fromEntries(ALBUM.map((song) => [`Album 2/${song}.mp3`, mp3()])),
    [`Album 10/${TAGGED}.mp3`]: mp3(png),
    'notes.txt': Buffer.from('no music\r\n'),
  };
  for (const [name, bytes] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(MUSIC_DIR, name)), { recursive: true });
    fs.writeFileSync(path.join(MUSIC_DIR, name), bytes);
  }
}

async function entries() {
  const answer = await request(`${CONTROL}?status`);
  checkEqual(answer.status, 200, 'the status answer');
  return JSON.parse(answer.text).entries;
}

// Clicks the control (a selector) of the Library view's item `name`.
async function clickItem(page, name, selector) {
  const control = await page.evaluateHandle(
    (wanted, inItem) =>
      [...document.querySelectorAll('.tunaro-item')]
        .find((item) => item.querySelector('.tunaro-item-name').firstChild.textContent === wanted)
        ?.querySelector(inItem),
    name,
    selector,
  );
  check(control.asElement(), `no ${selector} for "${name}" in the Library view`);
  await control.asElement().click();
}

// Clicks the playlist's row of `title`, which highlights it and gives the
// list the focus.
async function clickRow(page, title) {
  const row = await page.evaluateHandle(
    (wanted) =>
      [...document.querySelectorAll('.tunaro-row:not([hidden])')].find(
        (each) => each.textContent.replace(/^\d+\. /, '') === wanted,
      ),
    title,
  );
  check(row.asElement(), `no row "${title}"`);
  await row.asElement().click();
}

async function showsSaid(page, said, what) {
  await waitFor(() => view(page), (v) => v.said === said, what);
}

// The playlist's rows of the songs added here, in order.
const addedRows = (seen) =>
  seen.rows.map(withoutNumber).filter((title) => [FIRST, SECOND, TAGGED, HOSTILE_NAME].includes(title));

const librarySteps = [];
const libraryStep = (name, run) => librarySteps.push({ name, run });

libraryStep(
  'the Library view: the folder as a breadcrumb, natural order, a search, names as text; axe finds nothing serious',
  async ({ page, name }) => {
    if (page.url() !== CONTROL) await page.goto(CONTROL); // picked alone by -k
    await waitFor(() => view(page), (v) => v.controlsShown, 'the page with its controls'); // done moving
    await page.click('#tunaro-library-tab');
    let seen = await waitFor(() => view(page), (v) => v.crumbs.length === 2, 'the only music folder, opened');
    checkEqual(seen.crumbs, ['Music folders', path.basename(MUSIC_DIR)], 'the breadcrumb');
    checkEqual(seen.items, ['Album 2', 'Album 10'], "the music folder's items");
    await clickItem(page, 'Album 2', '.tunaro-open');
    seen = await waitFor(() => view(page), (v) => v.crumbs.at(-1) === 'Album 2', 'the album, opened');
    const album = ALBUM.map((song) => `${song}.mp3`);
    checkEqual(seen.items, album, "the album's items");
    await page.type('.tunaro-find', 'SECOND wind');
    seen = await waitFor(() => view(page), (v) => /^Found/.test(v.said), 'the search');
    checkEqual(seen.items, [`${SECOND}.mp3`], 'what the search finds');
    await page.keyboard.press('Escape');
    checkEqual((await view(page)).items, album, 'the album again, after Escape');
    // Up the breadcrumb from the keyboard.
    await page.focus('.tunaro-crumbs li:nth-child(2) button');
    await page.keyboard.press('Enter');
    await waitFor(() => view(page), (v) => v.crumbs.length === 2 && v.items.length === 2, 'the music folder again');
    await audit(page, name, 'the Library view');
    const pictures = await page.evaluate(() => document.querySelectorAll('.tunaro-library img').length);
    checkEqual(pictures, 0, 'pictures from names');
  },
);

libraryStep('a folder added at the end, and one to play next, from the Library view', async ({ page }) => {
  const before = await entries();
  await clickItem(page, 'Album 2', '.tunaro-add');
  await showsSaid(page, 'Added \u201cAlbum 2\u201d (3 entries) at the end of the playlist.', 'the album added');
  await page.click('#tunaro-playlist-tab');
  let seen = await waitFor(() => view(page), (v) => v.size === before + 3, 'the album in the list');
  checkEqual(addedRows(seen), ALBUM, 'the last rows');
  // Its first song plays; "Play next" puts songs after it.
  await clickRow(page, FIRST);
  await page.keyboard.press('Enter');
  await waitFor(() => view(page), (v) => v.current === `${before + 1}. ${FIRST}`, 'the album playing');
  await page.click('#tunaro-library-tab');
  await clickItem(page, 'Album 10', '.tunaro-next');
  await showsSaid(page, 'Added \u201cAlbum 10\u201d (1 entry) after the current entry.', 'the folder added next');
  await page.click('#tunaro-playlist-tab');
  seen = await waitFor(() => view(page), (v) => v.size === before + 4, 'the song added next in the list');
  checkEqual(addedRows(seen), [FIRST, TAGGED, SECOND, HOSTILE_NAME], 'the rows after "Play next"');
  checkEqual(
    await page.evaluate(() => document.querySelectorAll('.tunaro-list *:not(.tunaro-row):not(.tunaro-rows)').length),
    0,
    'markup from file names in the list',
  );
});

libraryStep("the cover shows: the folder's picture, then the picture in the song's tags", async ({ page }) => {
  await waitFor(() => view(page), (v) => v.cover === FOLDER_PICTURE_WIDTH, "the album's folder picture");
  await clickRow(page, TAGGED);
  await page.keyboard.press('Enter');
  await waitFor(
    () => view(page),
    (v) => withoutNumber(v.current ?? '') === TAGGED && v.cover === TAG_PICTURE_WIDTH,
    "the picture in the song's tags",
  );
});

libraryStep('remove and move by keys and by buttons; the highlight goes with the entry', async ({ page }) => {
  const shows = async (rows, highlighted, what) => {
    const seen = await waitFor(() => view(page), (v) => addedRows(v).join('|') === rows.join('|'), what);
    checkEqual(seen.highlighted.map(withoutNumber), [highlighted], `${what}: the highlighted row`);
  };
  // From the keyboard: Delete (the last entry: the highlight stays at the
  // end), then Alt+Up.
  await clickRow(page, HOSTILE_NAME);
  await page.keyboard.press('Delete');
  await shows([FIRST, TAGGED, SECOND], SECOND, 'after Delete');
  await page.keyboard.down('Alt');
  await page.keyboard.press('ArrowUp');
  await page.keyboard.up('Alt');
  await shows([FIRST, SECOND, TAGGED], SECOND, 'after Alt+Up');
  // The buttons, as a finger uses them: to the place of the first song, then away.
  const place = (await view(page)).rows.findIndex((row) => withoutNumber(row) === FIRST) + 1;
  await page.click('.tunaro-move-to');
  await page.waitForSelector('.tunaro-dialog .tunaro-place');
  await page.$eval('.tunaro-place', (input) => (input.value = ''));
  await page.type('.tunaro-place', String(place));
  await page.keyboard.press('Enter');
  await shows([SECOND, FIRST, TAGGED], SECOND, `after "Move to" place ${place}`);
  await page.click('.tunaro-remove');
  await shows([FIRST, TAGGED], FIRST, 'after "Remove"');
});

libraryStep('Clear asks first: Cancel keeps the list, "Clear the playlist" empties it', async (visitor) => {
  const { page, name } = visitor;
  const clears = () => visitor.requests.filter((url) => /\?clear$/.test(url)).length;
  const sent = clears();
  await page.click('.tunaro-clear');
  await page.waitForSelector('.tunaro-dialog[open]');
  await audit(page, name, 'the question before clearing', ['light']);
  await page.click('.tunaro-cancel');
  const asking = () => page.evaluate(() => document.querySelector('.tunaro-dialog') !== null);
  await waitFor(asking, (open) => !open, 'the question gone');
  await page.click('.tunaro-clear');
  await page.waitForSelector('.tunaro-dialog[open]');
  await page.click('.tunaro-confirm');
  const seen = await waitFor(() => view(page), (v) => v.rows.length === 0 && v.cover === 0, 'the empty list');
  checkEqual(clears() - sent, 1, 'requests to clear');
  checkEqual(seen.disabled, ['Move up', 'Move down', 'Move to\u2026', 'Remove', 'Clear\u2026'], 'the edits turned off');
});

// ---- running them ----------------------------------------------------------------------

async function openVisitor(name) {
  const browser = await puppeteer.launch({ ...BROWSERS[name], headless: true, protocolTimeout: 60000 });
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1024, height: 800 });
  page.setDefaultTimeout(15000);
  page.setDefaultNavigationTimeout(15000);
  const visitor = { name, browser, context, page, errors: [], dialogs: [], requests: [] };
  page.on('pageerror', (error) => visitor.errors.push(String(error)));
  page.on('request', (sent) => visitor.requests.push(sent.url()));
  page.on('dialog', (dialog) => {
    visitor.dialogs.push(dialog.message());
    dialog.dismiss().catch(() => {});
  });
  return visitor;
}

async function runSteps(visitor, list, counts) {
  for (const [n, { name, run }] of list.entries()) {
    const started = Date.now();
    const label = `${visitor.name}: ${name}`;
    if (!wanted(label)) continue;
    try {
      await run({ ...visitor, visitor });
      check(visitor.errors.length === 0, `errors on the page: ${visitor.errors.join('; ')}`);
      counts.passed++;
      console.log(`ok   ${label} (${Date.now() - started} ms)`);
    } catch (error) {
      counts.failed++;
      visitor.errors.length = 0;
      console.log(`FAIL ${label}: ${error instanceof Failure ? error.message : error.stack}`);
      const file = path.join(ARTIFACTS, `failed-script-${visitor.name}-${n + 1}`);
      await visitor.page.screenshot({ path: `${file}.png`, fullPage: true }).catch(() => {});
      await visitor.page
        .content()
        .then((html) => fs.writeFileSync(`${file}.html`, html))
        .catch(() => {});
    }
  }
}

async function main() {
  fs.mkdirSync(ARTIFACTS, { recursive: true });
  const counts = { passed: 0, failed: 0 };
  const labels = Object.keys(BROWSERS).flatMap((browser) =>
    [...steps, ...hostileSteps, ...librarySteps].map(({ name }) => `${browser}: ${name}`),
  );
  const expected = labels.filter(wanted).length;
  if (expected === 0) return 0;
  const visitors = [];
  try {
    // The first player of run.sh is gone by now unless test.mjs stopped early.
    try {
      process.kill(Number(mustEnv('PLAYER_PID')));
    } catch {}
    await restartPlayer(['--entries', String(ENTRIES), '--position', String(START_POSITION_S * 1000)]);
    for (const name of Object.keys(BROWSERS)) visitors.push(await openVisitor(name));
    for (const visitor of visitors) await runSteps(visitor, steps, counts);
    await restartPlayer(['--sample', 'hostile']);
    for (const visitor of visitors) await runSteps(visitor, hostileSteps, counts);
    await fillMusicFolder(visitors[0].page);
    for (const visitor of visitors) await runSteps(visitor, librarySteps, counts);
  } finally {
    for (const visitor of visitors) await visitor.browser.close().catch(() => {});
    stopRestartedPlayer();
  }
  console.log(`page script: ${counts.passed} passed, ${counts.failed} failed`);
  return counts.failed === 0 && counts.passed === expected ? 0 : 1;
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error);
    stopRestartedPlayer();
    process.exit(1);
  },
);
