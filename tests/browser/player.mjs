// The player's side of the browser tests: the environment their set-ups set,
// the player's numbers, the demo's and the hostile sample's titles, the
// stand-in player's message log, the probe, and starting and stopping the
// stand-in. Shared by the remote suite (tests/remote/checks.mjs), test.mjs
// (Chromium), page-script.mjs (Chromium and Firefox) and the Apache checks.
//
//   BASE_URL     http://127.0.0.1:PORT of the instance
//   PLAYER_LOG   the stand-in player's log: "<message> <wParam> <lParam>" a line
//   WINE_RUN     a command that runs a Windows program in the player's Wine
//                prefix (tests/lib/lib.sh's tunaro_wine_run_script)
//   PROBE        player_probe.exe
//   ARTIFACTS    folder for screenshots and the pages of failed steps
//   PLAYER_DIR   (to start a player again) the folder of standin_player.exe
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { PLAYER } from '../lib/constants.mjs';
import { check, checkEqual } from './browser.mjs';

export const BASE_URL = mustEnv('BASE_URL');
export const PLAYER_LOG = mustEnv('PLAYER_LOG');
export const WINE_RUN = mustEnv('WINE_RUN');
export const PROBE = mustEnv('PROBE');
export const ARTIFACTS = mustEnv('ARTIFACTS');
export const PLAYER_DIR = process.env.PLAYER_DIR || '';

// The player's numbers, from the one list the program and the stand-in use.
export const NUMBERS = PLAYER;
export const WM_COMMAND = NUMBERS.CommandMessage;
export const WM_USER = NUMBERS.QueryMessage;
export const SET_CURRENT_ENTRY = NUMBERS.SetCurrentEntry;
export const PREVIOUS = NUMBERS.CommandPrevious;
export const PLAY = NUMBERS.CommandPlay;
export const PAUSE = NUMBERS.CommandPause;
export const STOP = NUMBERS.CommandStop;
export const NEXT = NUMBERS.CommandNext;
export const NAMES = { [PREVIOUS]: 'previous', [PLAY]: 'play', [PAUSE]: 'pause', [STOP]: 'stop', [NEXT]: 'next' };
// Posted after a request to learn that every command posted before it has
// reached the player (posted messages arrive in order); no player knows it.
export const MARKER = 0;

// The demo's playlist (demo/playlist.m3u8, the full names of demo/playlist.m3u),
// as the list box shows it.
export const DEMO = [
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
  // Names in other scripts: this player writes no UTF-8 copy, so a
  // windows-1252 page has what its code page holds of them.
  '??????? - ????? ???',
  '????? - ???????',
  '????? - ?????',
  'Zofia ?ukasiewicz - Je?\u00f3w ko?o ?r\u00f3d?a',
];
// The stand-in's "--sample hostile" playlist (tools/standin_player/samples.cc),
// as a windows-1252 page shows it.
export const HOSTILE = [
  'Smith, Jones, and Co - Commas, Everywhere',
  '<script>alert(1)</script>',
  '"quotes" & ampersands',
  'Caf\u00e9 M\u00fcller - \u00dcber die Stra\u00dfe',
  '\u201cSmart quotes\u201d \u2013 and a dash',
  `A Very Long Title:${' and it goes on'.repeat(66)}`,
  '100% <b>bold</b> &amp; %s %n %d',
  'Unknown Length',
  '#EXTINF:9,not a header',
  "Back\\slash 'single' `tick` {brace}",
];
export const optionText = (titles, index) => `${index + 1}. ${titles[index]}`;
export const optionTexts = (titles) => titles.map((_, i) => optionText(titles, i));


export function mustEnv(name) {
  const value = process.env[name];
  if (!value) {
    console.error(`browser test: ${name} is not set (run the set-up: tests/browser/run.sh, tests/apache/run.sh or tests/server/run.sh)`);
    process.exit(2);
  }
  return value;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));


// Polls until `read()` gives something `done` accepts. The limit only stops
// a hang: nothing here is timed.
export async function waitFor(read, done, what, limitMs = 60000) {
  const deadline = Date.now() + limitMs;
  let last;
  for (;;) {
    last = await read();
    if (done(last)) return last;
    check(Date.now() < deadline, `${what}: not there after ${limitMs / 1000} s; last seen ${JSON.stringify(last)}`);
    await sleep(100);
  }
}

// ---- the player's side -------------------------------------------------------

export const winPath = (unixPath) => `Z:${unixPath.replaceAll('/', '\\')}`;

export function probe(...args) {
  return spawnSync(WINE_RUN, [PROBE, ...args], { encoding: 'latin1', timeout: 60000 });
}

export function logSize() {
  return fs.existsSync(PLAYER_LOG) ? fs.statSync(PLAYER_LOG).size : 0;
}

export function logSince(offset) {
  const text = fs.readFileSync(PLAYER_LOG).subarray(offset).toString('latin1');
  return text
    .split(/\r?\n/)
    .filter((line) => line.trim() !== '')
    .map((line) => {
      const parts = line.trim().split(/\s+/).map(Number);
      return { message: parts[0], wParam: parts[1], lParam: parts[2], line };
    });
}

export const isMarker = (e) => e.message === WM_COMMAND && e.wParam === MARKER;
export const commandsIn = (entries) =>
  entries.filter((e) => e.message === WM_COMMAND && !isMarker(e)).map((e) => ({ id: e.wParam, lParam: e.lParam }));
export const entrySetsIn = (entries) =>
  entries.filter((e) => e.message === WM_USER && e.lParam === SET_CURRENT_ENTRY).map((e) => e.wParam);

// Commands are posted, and handled after the page has gone out: wait until
// the expected ones are in the log, then until a marker posted behind them
// is, so that an extra one would be there too before we count.
export async function playerGot(offset, { commands, entrySets = [] }, what) {
  await waitFor(
    () => logSince(offset),
    (entries) => commandsIn(entries).length >= commands.length && entrySetsIn(entries).length >= entrySets.length,
    `${what}: the player's log`,
  );
  const markerAt = logSize();
  const posted = probe('command', String(MARKER));
  check(posted.status === 0, `${what}: the probe could not post to the player: ${posted.stdout}${posted.stderr}`);
  await waitFor(() => logSince(markerAt).some(isMarker), Boolean, `${what}: the marker in the player's log`);
  const entries = logSince(offset);
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

// The player's window: gone after a stop, there again after a start.
export const playerWindowOpen = () => probe('find').status === 0;

export let restartedPlayer = null;

export async function stopPlayer(pid) {
  process.kill(pid, 'SIGTERM');
  await waitFor(playerWindowOpen, (open) => !open, 'the stopped player');
}

// Starts the stand-in again, as tests/browser/run.sh did (same log), with
// other switches; this process stops it, by its id (WINE_RUN execs Wine).
export async function startPlayer(args) {
  const folder = mustEnv('PLAYER_DIR');
  const ready = path.join(folder, 'ready-again');
  fs.rmSync(ready, { force: true });
  const out = fs.openSync(path.join(folder, 'again.out'), 'a');
  restartedPlayer = spawn(
    WINE_RUN,
    [path.join(folder, 'standin_player.exe'), '--log', winPath(PLAYER_LOG), '--ready', winPath(ready), ...args],
    { stdio: ['ignore', out, out] },
  );
  fs.closeSync(out);
  await waitFor(() => fs.existsSync(ready) && fs.statSync(ready).size > 0, Boolean, 'the started player');
  return restartedPlayer.pid;
}

export function stopRestartedPlayer() {
  if (restartedPlayer && restartedPlayer.exitCode === null) restartedPlayer.kill();
}

// ---- the page's side ---------------------------------------------------------
