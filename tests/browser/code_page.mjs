// tests/browser/code_page.sh starts the page of a Japanese Windows; here
// Chromium reads it under its shift_jis header and chooses a title.
//
//   BASE_URL      http://127.0.0.1:PORT of the instance
//   PLAYER_LOG    the stand-in player's message log
import fs from 'node:fs';
import { PLAYER } from '../lib/constants.mjs';
import { chromium, launchOptions, check, checkEqual, Failure } from './browser.mjs';

const BASE_URL = process.env.BASE_URL;
const PLAYER_LOG = process.env.PLAYER_LOG;
const TITLES = ['表示ソナタ', '許功蓋', '小林さくら - 夜'];

// The entries the player was told to make current, as its log has them.
const entrySets = () =>
  fs
    .readFileSync(PLAYER_LOG, 'latin1')
    .split(/\r?\n/)
    .map((line) => line.trim().split(/\s+/).map(Number))
    .filter(([message, , lParam]) => message === PLAYER.QueryMessage && lParam === PLAYER.SetCurrentEntry)
    .map(([, wParam]) => wParam);

const browser = await chromium.launch(launchOptions());
let failed = false;
try {
  // The plain page: the form posts the choice as the browser encodes it.
  const page = await (await browser.newContext({ javaScriptEnabled: false })).newPage();
  await page.goto(`${BASE_URL}/cgi-bin/tunaro/tunaro`);
  checkEqual(await page.evaluate(() => document.characterSet), 'Shift_JIS', "the page's charset");
  const list = page.locator('select[name=MP3List]');
  checkEqual(
    await list.locator('option').allTextContents(),
    TITLES.map((title, i) => `${i + 1}. ${title}`),
    'the list',
  );
  await list.selectOption({ label: `2. ${TITLES[1]}` });
  await Promise.all([page.waitForLoadState('load'), page.click('#play')]);
  await page.waitForURL(/\?play$/);
  const deadline = Date.now() + 10000;
  while (!entrySets().includes(1) && Date.now() < deadline) {
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  checkEqual(entrySets(), [1], 'the entries the player was told to make current');
  check(
    (await page.locator('b').allTextContents()).includes(TITLES[1]),
    'the page after the choice does not name the chosen title as the song',
  );
  console.log('code page test: ok');
} catch (error) {
  failed = true;
  console.error(error instanceof Failure ? `FAIL: ${error.message}` : error);
} finally {
  await browser.close();
}
process.exit(failed ? 1 : 0);
