// What only Apache with the deployment guide's configuration has, beside the
// remote suite (tests/remote/checks.mjs) that tests/apache/run.sh runs first:
// the guide's warning about misplaced lines, its lines that forbid framing, a
// second installation whose page declares code page 1251, and the shipped
// 1252 header over the same bytes. Plain requests for what a server answers, headless Chromium (without
// JavaScript: the pages as the server sends them) for what a user sees and
// clicks; the player's side through player.mjs.
//
// Environment: player.mjs's (BASE_URL, PLAYER_LOG, WINE_RUN, PROBE,
// ARTIFACTS), http.mjs's (LOGIN), and MISPLACED_URL (the same set-up with the
// guide's ScriptAlias block at the end of httpd.conf), PLAYLIST (the player's
// list, in cp1251 bytes), CYRILLIC_TITLE.

import fs from 'node:fs';

import { check, checkEqual, chromium, launchOptions, openContext, runSteps } from '../browser/browser.mjs';
import { LOGIN, formValue, request } from '../browser/http.mjs';
import { ARTIFACTS, BASE_URL, PLAY, logSize, mustEnv, playerGot } from '../browser/player.mjs';

const MISPLACED = mustEnv('MISPLACED_URL');
const CYRILLIC = mustEnv('CYRILLIC_TITLE');
const CONTROL = `${BASE_URL}/cgi-bin/tunaro/tunaro`;

// The titles as the player has them: bytes, held one per character (latin1),
// the way the page carries them.
const TITLES = fs
  .readFileSync(mustEnv('PLAYLIST'))
  .toString('latin1')
  .split(/\r?\n/)
  .filter((line) => line.startsWith('#EXTINF:'))
  .map((line) => line.slice(line.indexOf(',') + 1));
const CYRILLIC_INDEX = TITLES.length - 1;
const optionText = (index) => `${index + 1}. ${TITLES[index]}`;
const CYRILLIC_OPTION = `${CYRILLIC_INDEX + 1}. ${CYRILLIC}`;

const steps = [];
const step = (name, run) => steps.push({ name, run });
let visitor;

step("the guide's lines at the end of httpd.conf instead: 404, as the guide warns", async () => {
  checkEqual((await request(`${MISPLACED}/cgi-bin/tunaro/tunaro`)).status, 404, 'the control page');
});

step("the guide's frame rule on every answer: the page, the panel's page, an image, a 401", async () => {
  for (const [address, login] of [
    ['/cgi-bin/tunaro/tunaro', LOGIN],
    ['/tunaro-panel.shtml', LOGIN],
    ['/images/play.gif', LOGIN],
    ['/cgi-bin/tunaro/tunaro', ''],
  ]) {
    const answer = await request(`${BASE_URL}${address}`, { login });
    checkEqual(
      [answer.headers.get('x-frame-options'), answer.headers.get('content-security-policy')],
      ['DENY', "frame-ancestors 'none'"],
      `${address} (${answer.status})`,
    );
  }
});

step('a title in code page 1251 can be chosen from a 1251 page', async () => {
  const offset = logSize();
  const page = await request(`${BASE_URL}/cgi-bin/radio/tunaro?play`, {
    method: 'POST',
    body: `MP3List=${formValue(optionText(CYRILLIC_INDEX))}&play.x=9&play.y=9`,
  });
  checkEqual(page.status, 200, 'status');
  await playerGot(offset, { commands: [PLAY], entrySets: [CYRILLIC_INDEX] }, 'the 1251 choice');
});

const songName = (page) => page.locator('font[color="#FF0000"] > b').first().textContent();
const markedOption = (page) => page.locator('select[name=MP3List] option[selected]').first().textContent();

step('the 1251 header shows the title in Cyrillic letters', async () => {
  const page = visitor.page;
  await page.goto(`${BASE_URL}/cgi-bin/radio/tunaro`);
  checkEqual(await page.evaluate(() => document.characterSet), 'windows-1251', 'the page charset');
  checkEqual(await markedOption(page), CYRILLIC_OPTION, 'the marked option');
  checkEqual(await songName(page), CYRILLIC, 'the song name');
});

step('the same bytes under the shipped 1252 header are not Cyrillic', async () => {
  const page = visitor.page;
  await page.goto(CONTROL);
  checkEqual(await page.evaluate(() => document.characterSet), 'windows-1252', 'the page charset');
  const bytes = Buffer.from(TITLES[CYRILLIC_INDEX], 'latin1');
  checkEqual(await songName(page), new TextDecoder('windows-1252').decode(bytes), 'the song name');
});

step("a second installation: its panel's play button reaches that installation", async () => {
  const page = visitor.page;
  await page.goto(`${BASE_URL}/radio-panel.shtml`);
  const list = page.locator('select[name=MP3List]');
  const cyrillicEntry = await list.locator('option').nth(CYRILLIC_INDEX).textContent();
  checkEqual(cyrillicEntry, CYRILLIC_OPTION, "the panel's Cyrillic entry");
  const chosen = 4;
  await list.selectOption({ label: optionText(chosen) });
  const offset = logSize();
  await Promise.all([page.waitForNavigation(), page.click('#play')]);
  checkEqual(new URL(page.url()).pathname, '/cgi-bin/radio/tunaro', 'the address the play button went to');
  await playerGot(offset, { commands: [PLAY], entrySets: [chosen] }, "the radio panel's play");
  const ownLinks = await page.locator('a[href="/cgi-bin/radio/tunaro?stop"]').count();
  check(ownLinks > 0, "the answer is not the radio installation's page");
  checkEqual(await songName(page), TITLES[chosen], 'the song name');
});

async function main() {
  fs.mkdirSync(ARTIFACTS, { recursive: true });
  const browser = await chromium.launch(launchOptions());
  try {
    const [username, password] = [LOGIN.slice(0, LOGIN.indexOf(':')), LOGIN.slice(LOGIN.indexOf(':') + 1)];
    visitor = await openContext(browser, { httpCredentials: { username, password }, javaScriptEnabled: false });
    const { passed, failed } = await runSteps(steps, { apache: visitor }, ARTIFACTS);
    console.log(`apache: ${passed} passed, ${failed} failed`);
    return failed === 0 ? 0 : 1;
  } finally {
    await browser.close().catch(() => {});
  }
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error);
    process.exit(1);
  },
);
