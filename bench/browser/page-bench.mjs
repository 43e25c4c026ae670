// One playlist size of the browser benchmark (bench/browser/run.sh starts
// the server and the player, then runs this once per size), and the report.
//
//   BASE_URL=... ENTRIES=N ROUNDS=R RESULTS=file.jsonl node page-bench.mjs
//   node page-bench.mjs --report file.jsonl
//
// Each round opens the plain page and then the enhanced page, each in a fresh
// browser context (nothing cached), and measures in the page:
// - ready: from the start of the navigation to the first moment after the
//   whole document is parsed (and the page script has run) at which a frame
//   has been drawn and the main thread is free again: the list is there and
//   a key press is handled at once. Printed beside it: when the answer's
//   last byte came (the server's share), when parsing ended, and when the
//   deferred script had run.
// - list key: ArrowDown in the list (the list box, or the script's list),
//   from the key event to the end of the next frame.
// - filter key: on the enhanced page, four keystrokes in the filter box ("4",
//   "2", Backspace, Backspace), each from the key event to the end of the
//   next frame that shows the narrowed list.
// - a read: on the enhanced page, the Refresh link (the same read and update
//   the page makes when the list changed): how long the answer took, and the
//   longest time the page's main thread was busy meanwhile (the largest gap
//   in a chain of zero-delay timers, which run every 4 ms or so on an idle
//   page).
// - status reads: on the enhanced page, how long each of the script's own
//   status reads (SelfUrl?status, about one a second) took while the page was
//   open.
import fs from 'node:fs';

import { chromium, launchOptions } from '../../tests/browser/browser.mjs';

const PAGES = {
  plain: { path: '/cgi-bin/plain/tunaro', list: 'select[name=MP3List]' },
  enhanced: { path: '/cgi-bin/tunaro/tunaro', list: '.tunaro-list', filter: '.tunaro-filter' },
};

// Runs in the page before anything of its own.
function instrument() {
  window.__bench = { keys: [] };
  document.addEventListener('DOMContentLoaded', () => {
    requestAnimationFrame(() => setTimeout(() => (window.__bench.ready = performance.now())));
  });
  addEventListener(
    'keydown',
    (event) => {
      const pressed = event.timeStamp;
      requestAnimationFrame(() => setTimeout(() => window.__bench.keys.push(performance.now() - pressed)));
    },
    true,
  );
}

const CONTROL_PATH_ENHANCED = PAGES.enhanced.path;

// Runs in the page: one read through the Refresh link, until the frame after
// the answer was taken in.
async function timeRead(controlPath) {
  let longest = 0;
  let last = performance.now();
  let ticking = true;
  const tick = () => {
    const now = performance.now();
    longest = Math.max(longest, now - last);
    last = now;
    if (ticking) setTimeout(tick, 0);
  };
  setTimeout(tick, 0);
  // The page's own status reads go to the same address, with "?status".
  const reads = () =>
    performance.getEntriesByType('resource').filter((e) => {
      const url = new URL(e.name);
      return url.pathname === controlPath && !url.search;
    });
  const before = reads().length;
  [...document.querySelectorAll('form a')].find((a) => !new URL(a.href).search).click();
  while (reads().length === before) await new Promise((resolve) => setTimeout(resolve, 20));
  const read = reads()[before];
  await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 100)));
  ticking = false;
  return { read: read.responseEnd - read.startTime, readTask: longest };
}

async function press(page, key) {
  const before = await page.evaluate(() => window.__bench.keys.length);
  await page.keyboard.press(key);
  await page.waitForFunction((n) => window.__bench.keys.length > n, before, { timeout: 120000 });
  return page.evaluate(() => window.__bench.keys[window.__bench.keys.length - 1]);
}

async function measure(browser, baseUrl, kind, entries) {
  const spec = PAGES[kind];
  const context = await browser.newContext({ viewport: { width: 1024, height: 800 } });
  try {
    const page = await context.newPage();
    await page.addInitScript(instrument);
    await page.goto(baseUrl + spec.path, { waitUntil: 'domcontentloaded', timeout: 120000 });
    await page.waitForFunction(() => window.__bench.ready, null, { timeout: 120000, polling: 50 });
    const timing = await page.evaluate(() => {
      const nav = performance.getEntriesByType('navigation')[0];
      return {
        ready: window.__bench.ready,
        server: nav.responseEnd,
        parsed: nav.domInteractive,
        scripted: nav.domContentLoadedEventStart,
      };
    });
    const options = await page.evaluate(
      (kind) =>
        kind === 'plain'
          ? document.querySelector('select[name=MP3List]').options.length
          : document.querySelector('.tunaro-list [aria-setsize]')?.getAttribute('aria-setsize') ?? '0',
      kind,
    );
    if (Number(options) !== entries) throw new Error(`${kind}: the list has ${options} entries, not ${entries}`);
    const result = { kind, entries, ...timing, listKey: null, filterKeys: [], read: null, readTask: null };
    if (entries > 0) {
      await page.focus(spec.list);
      result.listKey = await press(page, 'ArrowDown');
    }
    if (spec.filter && entries > 0) {
      await page.focus(spec.filter);
      for (const key of ['4', '2', 'Backspace', 'Backspace']) result.filterKeys.push(await press(page, key));
      Object.assign(result, await page.evaluate(timeRead, CONTROL_PATH_ENHANCED));
      result.statusReads = await page.evaluate(() =>
        performance
          .getEntriesByType('resource')
          .filter((e) => new URL(e.name).search === '?status')
          .map((e) => e.responseEnd - e.startTime),
      );
    }
    return result;
  } finally {
    await context.close();
  }
}

async function run() {
  const baseUrl = process.env.BASE_URL;
  const entries = Number(process.env.ENTRIES);
  const rounds = Number(process.env.ROUNDS || 5);
  const browser = await chromium.launch(launchOptions());
  try {
    // One unmeasured look first: the first run of a Wine program after a
    // player start pays for loading its libraries.
    await measure(browser, baseUrl, 'plain', entries);
    for (let round = 0; round < rounds; round++) {
      for (const kind of ['plain', 'enhanced']) {
        const result = await measure(browser, baseUrl, kind, entries);
        fs.appendFileSync(process.env.RESULTS, JSON.stringify(result) + '\n');
        const keys = result.filterKeys.map((k) => k.toFixed(0)).join('/');
        console.log(
          `${String(entries).padStart(6)} ${kind.padEnd(8)} ready ${result.ready.toFixed(0).padStart(5)} ms` +
            ` (server ${result.server.toFixed(0)}, parsed ${result.parsed.toFixed(0)},` +
            ` scripts done ${result.scripted.toFixed(0)} ms)` +
            (result.listKey === null ? '' : `, list key ${result.listKey.toFixed(0)} ms`) +
            (keys ? `, filter keys ${keys} ms` : '') +
            (result.read === null ? '' : `, read ${result.read.toFixed(0)} ms, busy ${result.readTask.toFixed(0)} ms`),
        );
      }
    }
  } finally {
    await browser.close();
  }
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const ms = (value) => (value === null || Number.isNaN(value) ? '-' : `${Math.round(value).toLocaleString('en')} ms`);
const spread = (values) =>
  values.length ? `${ms(median(values))} (${Math.round(Math.min(...values))}-${Math.round(Math.max(...values))})` : '-';

function report(file) {
  const results = fs
    .readFileSync(file, 'utf8')
    .split('\n')
    .filter(Boolean)
    .map((line) => JSON.parse(line));
  const sizes = [...new Set(results.map((r) => r.entries))].sort((a, b) => a - b);
  const of = (entries, kind) => results.filter((r) => r.entries === entries && r.kind === kind);
  const emptyReady = {
    plain: sizes.includes(0) ? median(of(0, 'plain').map((r) => r.ready)) : NaN,
    enhanced: sizes.includes(0) ? median(of(0, 'enhanced').map((r) => r.ready)) : NaN,
  };
  console.log('Ready for input (median of the rounds, fastest-slowest), server share, and past the empty page:');
  console.log('');
  console.log(
    '| entries | plain: ready | plain: server | plain: past empty' +
      ' | enhanced: ready | enhanced: server | enhanced: past empty |',
  );
  console.log('|---:|---:|---:|---:|---:|---:|---:|');
  for (const entries of sizes) {
    const cells = [entries.toLocaleString('en')];
    for (const kind of ['plain', 'enhanced']) {
      const rows = of(entries, kind);
      const ready = rows.map((r) => r.ready);
      const server = median(rows.map((r) => r.server));
      cells.push(spread(ready), ms(server), entries === 0 ? '-' : ms(median(ready) - emptyReady[kind]));
    }
    console.log(`| ${cells.join(' | ')} |`);
  }
  console.log('');
  console.log('Key presses (median, slowest), from the key event to the end of the next frame:');
  console.log('');
  console.log(
    '| entries | plain: ArrowDown in the list box | enhanced: ArrowDown in the list | enhanced: filter keystroke |',
  );
  console.log('|---:|---:|---:|---:|');
  for (const entries of sizes.filter((n) => n > 0)) {
    const keys = (kind) => of(entries, kind).map((r) => r.listKey);
    const filter = of(entries, 'enhanced').flatMap((r) => r.filterKeys);
    const cell = (values) => (values.length ? `${ms(median(values))}, ${ms(Math.max(...values))}` : '-');
    const cells = [entries.toLocaleString('en'), cell(keys('plain')), cell(keys('enhanced')), cell(filter)];
    console.log(`| ${cells.join(' | ')} |`);
  }
  console.log('');
  console.log('A read of the whole page (the Refresh link; the page makes it when the list changed), and the status reads the page makes itself, on the enhanced page (median, slowest):');
  console.log('');
  console.log('| entries | the answer | the longest the main thread was busy | the status reads (count) |');
  console.log('|---:|---:|---:|---:|');
  for (const entries of sizes.filter((n) => n > 0)) {
    const rows = of(entries, 'enhanced');
    const cell = (values) => (values.length ? `${ms(median(values))}, ${ms(Math.max(...values))}` : '-');
    const status = rows.flatMap((r) => r.statusReads ?? []);
    const cells = [
      entries.toLocaleString('en'),
      cell(rows.map((r) => r.read)),
      cell(rows.map((r) => r.readTask)),
      `${cell(status)} (${status.length})`,
    ];
    console.log(`| ${cells.join(' | ')} |`);
  }
}

if (process.argv[2] === '--report') {
  report(process.argv[3]);
} else {
  run().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}
