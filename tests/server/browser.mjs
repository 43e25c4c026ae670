// Chromium through tunaro-server.exe with its digest login: "/" leads to the
// remote, the page and its images load, and a chosen entry is played.
//
//   BASE_URL=http://127.0.0.1:PORT LOGIN=user:password ENTRY="3. Title" node browser.mjs
import { chromium, launchOptions, check } from '../browser/browser.mjs';

const { BASE_URL, LOGIN, ENTRY } = process.env;
const [username, password] = LOGIN.split(':');

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
  await page.selectOption('select[name=MP3List]', { label: ENTRY });
  const [played] = await Promise.all([page.waitForNavigation(), page.click('input[name=play]')]);
  check(played.ok(), `play answered HTTP ${played.status()}`);
  console.log(`browser: the remote loaded with the login, "${ENTRY}" played`);
} finally {
  await browser.close();
}
