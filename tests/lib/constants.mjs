// The player's message numbers, by their names in src/player/player_messages.h,
// from the tests' constants file that CMake writes when it configures
// (cmake/test_constants.cmake; NAME=value a line): build/windows's, or the file
// $TUNARO_CONSTANTS names (tests/lib/lib.sh exports it).
import fs from 'node:fs';

const file = process.env.TUNARO_CONSTANTS || new URL('../../build/windows/test-constants.env', import.meta.url);
const entries = fs
  .readFileSync(file, 'utf8')
  .split('\n')
  .filter((line) => line.includes('=') && !line.startsWith('#'))
  .map((line) => [line.slice(0, line.indexOf('=')), line.slice(line.indexOf('=') + 1)]);

export const PLAYER = Object.fromEntries(
  entries.filter(([name]) => name.startsWith('player.')).map(([name, value]) => [name.slice(7), Number(value)]),
);
