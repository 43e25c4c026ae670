// Plain requests to the server under test, with its login: Basic, or Digest
// (qop=auth) as tunaro-server.exe asks. The body comes back in latin1, one
// character a byte, as the player's code page left it.
//
//   LOGIN         user:password, when the server asks for a login
//   LOGIN_SCHEME  Basic (the default) or Digest
import crypto from 'node:crypto';

export const LOGIN = process.env.LOGIN || '';
export const LOGIN_SCHEME = process.env.LOGIN_SCHEME || 'Basic';

const md5 = (text) => crypto.createHash('md5').update(text).digest('hex');

// The Authorization header that answers a digest challenge.
function digestAnswer(challenge, method, target, user, password) {
  const field = (name) => new RegExp(`${name}="?([^",]*)"?`).exec(challenge)?.[1];
  const [realm, nonce, opaque] = [field('realm'), field('nonce'), field('opaque')];
  const cnonce = crypto.randomBytes(8).toString('hex');
  const count = '00000001';
  const answer = md5(`${md5(`${user}:${realm}:${password}`)}:${nonce}:${count}:${cnonce}:auth:${md5(`${method}:${target}`)}`);
  return (
    `Digest username="${user}", realm="${realm}", nonce="${nonce}", uri="${target}", qop=auth, ` +
    `nc=${count}, cnonce="${cnonce}", response="${answer}"${opaque ? `, opaque="${opaque}"` : ''}`
  );
}

// One request; `login` is "user:password", or '' for none. A body is sent as
// a form's.
export async function request(url, { login = LOGIN, method = 'GET', body, headers = {} } = {}) {
  const send = async (authorization) => {
    const all = { ...headers };
    if (body !== undefined) all['content-type'] = 'application/x-www-form-urlencoded';
    if (authorization) all.authorization = authorization;
    const response = await fetch(url, { method, headers: all, body, redirect: 'manual' });
    const text = Buffer.from(await response.arrayBuffer()).toString('latin1');
    return { status: response.status, headers: response.headers, text };
  };
  if (login && LOGIN_SCHEME === 'Basic') return send(`Basic ${Buffer.from(login).toString('base64')}`);
  const answer = await send();
  if (answer.status !== 401 || !login) return answer;
  const target = new URL(url).pathname + new URL(url).search;
  const [user, password] = [login.slice(0, login.indexOf(':')), login.slice(login.indexOf(':') + 1)];
  return send(digestAnswer(answer.headers.get('www-authenticate') || '', method, target, user, password));
}

// A form value as a browser sends it from a page of the player's code page:
// the bytes (latin1 characters) percent-encoded, blanks as "+".
const hex = (c) => c.charCodeAt(0).toString(16).toUpperCase().padStart(2, '0');
export const formValue = (latin1) =>
  [...latin1].map((c) => (/[A-Za-z0-9*\-._]/.test(c) ? c : c === ' ' ? '+' : `%${hex(c)}`)).join('');

const unescapeHtml = (text) =>
  text.replace(/&quot;/g, '"').replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&amp;/g, '&');
// The texts of a page's <option> lines, unescaped.
export const optionsIn = (html) =>
  [...html.matchAll(/<option[^>]*>(.*?)<\/option>/g)].map((m) => unescapeHtml(m[1]));
