// Chromium through tunaro-server.exe with its digest login: "/" leads to the
// remote, the page, its images and its page script load, and a chosen entry is
// played (run.sh checks the player's log).
//
//   BASE_URL=http://127.0.0.1:PORT LOGIN=user:password ENTRY="3. Title" node browser.mjs
import { chromium, launchOptions, check } from '../browser/browser.mjs';

const { BASE_URL, LOGIN, ENTRY } = process.env;
const username = LOGIN.slice(0, LOGIN.indexOf(':'));
const password = LOGIN.slice(LOGIN.indexOf(':') + 1);

const browser = await chromium.launch(launchOptions());
try {
  const context = await browser.newContext({ httpCredentials: { username, password } });
  const page = await context.newPage();
  const response = await page.goto(`${BASE_URL}/`);
  check(response.ok(), `the remote answered HTTP ${response.status()}`);
  check(page.url().endsWith('/cgi-bin/tunaro/tunaro'), `"/" led to ${page.url()}`);
  check((await page.textContent('body')).includes('Winamp is Running'), 'the page shows the player');
  const images = await page.$$eval('img', (all) => all.map((i) => i.naturalWidth > 0));
  check(images.length === 4 && images.every(Boolean), `the button images loaded: ${images}`);
  // The shipped header's page script turns the list into its own rows: a
  // click highlights one, Enter plays it.
  const row = page.locator('.tunaro-list [role=option]').filter({ hasText: ENTRY });
  await row.first().click();
  // The play is a fetch: closing the browser before its answer may cancel it.
  const answered = page.waitForResponse((r) => r.request().method() === 'POST', { timeout: 60000 });
  await page.keyboard.press('Enter');
  check((await answered).ok(), 'the play request was answered');
  console.log(`browser: the remote loaded with the login, "${ENTRY}" played`);
} finally {
  await browser.close();
}
