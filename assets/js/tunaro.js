/* Tunaro's control page, kept current in the browser.
 *
 * The shipped header loads this file with
 *   <script src=/images/tunaro.js defer blocking=render></script>
 * and it does nothing on any other page (the compact panel included). Without
 * JavaScript, in a browser that lacks what it needs, or when this file cannot
 * be loaded, the page is the program's own page and works as it always has.
 *
 * What it adds:
 * - Live status. While the tab is visible it asks the program for its status
 *   (SelfUrl?status, a small JSON answer that sends the player no command and
 *   does not make it write its playlist) about once a second, and updates the
 *   page in place. The whole page, with the list, is read again only when the
 *   status says the playlist changed ("list" or "entries"). The wait between
 *   reads is never shorter than 5 times the last read took; after a failed
 *   read it doubles, up to 10 minutes; one good read restores it. The script
 *   tag's data-poll attribute sets the 1 s (data-poll=5) or turns the reads
 *   off (data-poll=off). A tab that comes back into view reads at once.
 * - Controls: a position bar that seeks (pointer or keyboard), the elapsed
 *   and total time, a volume slider, shuffle and repeat, and a button that
 *   shows the playing entry in the list.
 * - The buttons and the Refresh link send their usual requests in the
 *   background and the page takes its new state from the answer, then reads
 *   the status a second later: the player carries out a command after the
 *   program has answered.
 * - A filter box (letter case and accents ignored: "muller" also finds the
 *   name spelt with an umlaut), and a list that draws only the rows in view,
 *   so that a playlist of 100,000 entries is ready in a moment. Play still
 *   submits the form's own fields, in the page's own character set, byte for
 *   byte what the browser would send.
 *
 * The file is plain ASCII on purpose: a script without a charset of its own
 * is read in the page's charset, whichever code page the header declares.
 */
(() => {
  'use strict';

  const BASE_INTERVAL_MS = 1000;
  const SLOW_FACTOR = 5;
  const MAX_INTERVAL_MS = 600000;
  const FOLLOW_UP_MS = 1000;
  const READ_TIMEOUT_MS = 120000;
  const OVERSCAN_ROWS = 8;
  const COMMANDS = ['previous', 'pause', 'stop', 'forward'];
  const BUTTON_LABELS = { previous: 'Previous', pause: 'Pause', stop: 'Stop', forward: 'Next' };
  const VALUE_LABELS = ['Song Name', 'Kbps', 'KHz', 'Length'];
  const STATE_TEXTS = { playing: 'Playing', paused: 'Paused', stopped: 'Stopped' };

  const script = document.currentScript;
  const listBox = document.querySelector('form select[name=MP3List]');
  const form = listBox && listBox.form;
  // The full page's list box shows ten rows; the compact panel's shows one.
  if (!form || listBox.size < 2 || !/\?play$/i.test(form.getAttribute('action') || '')) return;
  const playButton = form.querySelector('input[name=play]');
  const stateLine = findStateLine();
  if (!playButton || !stateLine) return;
  if (!window.fetch || !window.AbortController || !Element.prototype.replaceChildren) return;
  let decoder;
  try {
    decoder = new TextDecoder(document.characterSet);
  } catch {
    return; // a charset this browser cannot decode: the plain page
  }
  const selfUrl = new URL(form.getAttribute('action').replace(/\?play$/i, ''), document.baseURI);
  const selfUrlWith = (query) => `${selfUrl.href}?${query}`;

  // The line just before the form (a search of the whole document would walk
  // every option of a long list).
  function findStateLine() {
    for (let line = form.previousElementSibling; line; line = line.previousElementSibling) {
      if (line.nodeName === 'P' && /^Winamp is Running \(/.test(line.textContent)) return line;
    }
    return null;
  }

  function element(name, className, attributes = {}) {
    const made = document.createElement(name);
    made.className = className;
    for (const [key, value] of Object.entries(attributes)) made.setAttribute(key, value);
    return made;
  }

  function setOrRemove(target, name, value) {
    if (value) target.setAttribute(name, value);
    else target.removeAttribute(name);
  }

  function setText(target, text) {
    if (target && text !== null && target.textContent !== text) target.textContent = text;
  }

  // m:ss, as the program writes a song's length; empty when unknown.
  function clockText(seconds) {
    if (!(seconds >= 0)) return '';
    const rest = Math.floor(seconds) % 60;
    return `${Math.floor(seconds / 60)}:${rest < 10 ? '0' : ''}${rest}`;
  }

  // Letter case and accents do not count in the filter. (Most titles are
  // ASCII, and the check is cheaper than taking them apart.)
  function fold(text) {
    const lower = text.toLowerCase();
    return /[^\0-\x7f]/.test(lower) ? lower.normalize('NFD').replace(/[\u0300-\u036f]/g, '') : lower;
  }

  // ---- setting the page up ---------------------------------------------------
  //
  // Everything the script adds, and what it moves, is undone when setting up
  // fails part of the way: the page is then the program's own again.
  const undo = [];
  const giveUp = (error) => {
    for (const step of undo.reverse()) step();
    console.error('Tunaro: the page script could not set the page up', error);
  };
  let parts;
  try {
    parts = buildPage();
  } catch (error) {
    giveUp(error);
    return;
  }
  const {
    songPart, values, stateText, stateNodes, notices, picker, filter, list, spacer, count, field, controls,
  } = parts;

  function buildPage() {
    // The five buttons have only pictures: they get names a screen reader says.
    for (const [word, label] of Object.entries(BUTTON_LABELS)) {
      const link = form.querySelector(`a[href$="?${word}"]`);
      if (!link) continue;
      link.setAttribute('aria-label', label);
      undo.push(() => link.removeAttribute('aria-label'));
      const image = link.querySelector('img');
      if (image && !image.hasAttribute('alt')) {
        image.alt = '';
        undo.push(() => image.removeAttribute('alt'));
      }
    }
    playButton.setAttribute('aria-label', 'Play the highlighted entry');
    undo.push(() => playButton.removeAttribute('aria-label'));

    // The lines under the form ("Song Name: <font><b>..</b></font><br>",
    // Kbps, KHz, Length) are loose text in the page. They go into a box of
    // their own, so that they can be hidden with the form while the player
    // is closed; the program's version line stays where it is. (The form
    // itself stays put: moving it would move every option of a long list.)
    const songPart = element('div', 'tunaro-song');
    const values = {};
    form.after(songPart);
    undo.push(() => songPart.replaceWith(...songPart.childNodes));
    for (let node = songPart.nextSibling, label = null; node; ) {
      const next = node.nextSibling;
      if (node.nodeType === Node.ELEMENT_NODE && node.matches('font[size]')) break;
      songPart.append(node);
      if (node.nodeType === Node.TEXT_NODE) {
        const match = /(Song Name|Kbps|KHz|Length):\s*$/.exec(node.data);
        label = match ? match[1] : null;
      } else if (label && node.nodeName === 'FONT') {
        values[label] = node.querySelector('b') || node;
        label = null;
      }
      node = next;
    }
    const stateText = stateLine.querySelector('b');
    const stateNodes = [...stateLine.childNodes];
    // Live regions are in the page from the start, and only their text
    // changes later: a region that appears with its text is often not read.
    stateLine.setAttribute('aria-live', 'polite');
    stateLine.setAttribute('aria-atomic', 'true');
    values['Song Name']?.setAttribute('aria-live', 'polite');
    undo.push(() => {
      stateLine.removeAttribute('aria-live');
      stateLine.removeAttribute('aria-atomic');
      values['Song Name']?.removeAttribute('aria-live');
    });
    const notices = element('div', 'tunaro-notices', { role: 'status' });
    stateLine.after(notices);
    undo.push(() => notices.remove());

    const controls = buildControls();
    const buttons = form.querySelector('table');
    (buttons || form.firstChild).after(controls.box);
    undo.push(() => controls.box.remove());

    const picker = element('div', 'tunaro-picker');
    const filter = element('input', 'tunaro-filter', {
      type: 'search',
      placeholder: 'Filter the playlist',
      autocomplete: 'off',
      spellcheck: 'false',
      'aria-label': 'Filter the playlist',
      role: 'combobox',
      'aria-controls': 'tunaro-list',
      'aria-expanded': 'true',
      'aria-autocomplete': 'list',
    });
    const list = element('div', 'tunaro-list', {
      id: 'tunaro-list',
      role: 'listbox',
      tabindex: '0',
      'aria-label': 'Playlist',
    });
    const spacer = element('div', 'tunaro-rows', { role: 'presentation' });
    const count = element('div', 'tunaro-count', { role: 'status' });
    list.append(spacer);
    picker.append(filter, list, count);
    // The list box leaves the document for an empty copy of itself: the same
    // field of the same form, which play fills with the chosen entry alone.
    // Hidden but left in place, a long list would still cost a second of
    // style work before the page is first drawn.
    const field = listBox.cloneNode(false);
    field.style.display = 'none';
    listBox.before(picker);
    undo.push(() => picker.remove());
    listBox.replaceWith(field);
    undo.push(() => field.replaceWith(listBox));
    const style = addStyles();
    undo.push(() => style.remove());
    return { songPart, values, stateText, stateNodes, notices, picker, filter, list, spacer, count, field, controls };
  }

  function buildControls() {
    const box = element('div', 'tunaro-controls');
    box.hidden = true; // until the first status answer says what to show
    const seek = element('div', 'tunaro-seek');
    const elapsed = element('span', 'tunaro-elapsed', { 'aria-hidden': 'true' });
    const position = element('input', 'tunaro-position', {
      type: 'range',
      min: '0',
      max: '0',
      step: '1',
      value: '0',
      'aria-label': 'Position in the song',
    });
    const length = element('span', 'tunaro-length', { 'aria-hidden': 'true' });
    seek.append(elapsed, position, length);
    const settings = element('div', 'tunaro-settings');
    const volumeLabel = element('label', 'tunaro-volume');
    const volume = element('input', 'tunaro-volume-slider', {
      type: 'range',
      min: '0',
      max: '100',
      step: '1',
      value: '0',
    });
    volumeLabel.append('Volume ', volume);
    const toggle = (className, text) => {
      const button = element('button', className, { type: 'button', 'aria-pressed': 'false' });
      button.textContent = text;
      return button;
    };
    const shuffle = toggle('tunaro-toggle tunaro-shuffle', 'Shuffle');
    const repeat = toggle('tunaro-toggle tunaro-repeat', 'Repeat');
    const show = element('button', 'tunaro-show', { type: 'button' });
    show.textContent = 'Show playing';
    show.setAttribute('aria-label', 'Show playing entry in the list');
    settings.append(volumeLabel, shuffle, repeat, show);
    box.append(seek, settings);
    return { box, elapsed, position, length, volume, shuffle, repeat, show };
  }

  function addStyles() {
    // What the page's parts need to work; :where() keeps it below any
    // stylesheet of the page's own, which may restyle all of it.
    const style = document.createElement('style');
    style.textContent = [
      ':where(.tunaro-picker) { text-align: left; }',
      ':where(.tunaro-filter) { box-sizing: border-box; width: 100%; font: inherit; font-size: 16px; }',
      ':where(.tunaro-list) { position: relative; box-sizing: border-box; width: 100%; height: 20em;' +
        ' overflow-y: auto; overscroll-behavior: contain; border: 1px solid #6E7B88; }',
      ':where(.tunaro-rows) { position: relative; }',
      ':where(.tunaro-row) { position: absolute; left: 0; right: 0; box-sizing: border-box; height: 44px;' +
        ' line-height: 44px; padding: 0 .5em; white-space: nowrap; overflow: hidden; text-overflow: ellipsis;' +
        ' cursor: default; }',
      ':where(.tunaro-row[aria-selected=true]) { background: Highlight; color: HighlightText; }',
      ':where(.tunaro-current)::before { content: "\\25B6\\FE0E  " / ""; }',
      ':where(.tunaro-seek) { display: flex; align-items: center; gap: .5em; }',
      ':where(.tunaro-position) { flex: 1; min-width: 0; }',
      ':where(.tunaro-settings) { display: flex; flex-wrap: wrap; align-items: center; gap: .5em; }',
      ':where(.tunaro-settings button, .tunaro-volume) { min-height: 44px; }',
      ':where(.tunaro-volume) { display: inline-flex; align-items: center; gap: .5em; }',
      // High contrast removes backgrounds: the highlighted row gets a frame,
      // a pressed toggle a thick one.
      '@media (forced-colors: active) {',
      '  .tunaro-row[aria-selected=true] { outline: 3px solid Highlight; outline-offset: -3px; }',
      '  .tunaro-toggle[aria-pressed=true] { outline: 3px solid Highlight; }',
      '}',
    ].join('\n');
    document.head.append(style);
    return style;
  }

  // ---- the list -------------------------------------------------------------

  let titles = readOptions(listBox);
  let folded = null; // the titles as the filter compares them, made when needed
  let shown = null; // while the filter is on: the entries it shows, in order
  let query = '';
  let current = listBox.selectedIndex; // the player's entry, -1 for none
  let highlight = current; // the entry Enter and the play button play
  let userChoosing = false;
  let closed = false;
  let rowHeight = 0;
  const rows = [];

  // The program writes one option a line, so the list box's whole text is
  // the titles one a line (with an empty line either side): one read instead
  // of one an option. Anything else falls back to reading each option.
  function readOptions(box) {
    const size = box.options.length;
    const lines = box.textContent.split('\n');
    if (lines.length === size + 2 && lines[0] === '' && lines[size + 1] === '') return lines.slice(1, size + 1);
    const texts = [];
    for (let option = box.firstElementChild; option; option = option.nextElementSibling) {
      if (option.nodeName === 'OPTION') texts.push(option.textContent);
    }
    return texts;
  }

  const total = () => (shown ? shown.length : titles.length);
  const entryAt = (position) => (shown ? shown[position] : position);

  function positionOf(entry) {
    if (entry < 0 || entry >= titles.length) return -1;
    if (!shown) return entry;
    let low = 0;
    let high = shown.length - 1;
    while (low <= high) {
      const middle = (low + high) >> 1;
      if (shown[middle] === entry) return middle;
      if (shown[middle] < entry) low = middle + 1;
      else high = middle - 1;
    }
    return -1;
  }

  function makeRow() {
    const row = element('div', 'tunaro-row', { role: 'option' });
    row.entry = -1;
    row.shownText = null;
    return row;
  }

  function measureRow() {
    const probe = makeRow();
    probe.textContent = 'M';
    spacer.append(probe);
    rowHeight = probe.offsetHeight || 44;
    probe.remove();
  }

  let renderQueued = false;
  function renderSoon() {
    if (renderQueued) return;
    renderQueued = true;
    requestAnimationFrame(() => {
      renderQueued = false;
      render();
    });
  }

  // Only the rows in view (and a few either side) exist; the highlighted row
  // is kept too, wherever it is, since the list names it as its active one.
  function render() {
    if (!rowHeight) measureRow();
    const size = total();
    spacer.style.height = `${size * rowHeight}px`;
    const top = list.scrollTop;
    const height = list.clientHeight || 10 * rowHeight;
    const first = Math.max(0, Math.floor(top / rowHeight) - OVERSCAN_ROWS);
    const last = Math.min(size, Math.ceil((top + height) / rowHeight) + OVERSCAN_ROWS);
    const positions = [];
    for (let position = first; position < last; position++) positions.push(position);
    const lit = positionOf(highlight);
    if (lit >= 0 && (lit < first || lit >= last)) positions.push(lit);
    while (rows.length < positions.length) rows.push(spacer.appendChild(makeRow()));
    rows.forEach((row, i) => {
      if (i < positions.length) fillRow(row, positions[i], size);
      else retireRow(row);
    });
    const id = lit >= 0 ? rowId(highlight) : '';
    setOrRemove(list, 'aria-activedescendant', id);
    // The combobox names an active option only once there is one the user
    // moved to (or typed into view), as the combobox pattern has it.
    setOrRemove(filter, 'aria-activedescendant', userChoosing ? id : '');
  }

  const rowId = (entry) => `tunaro-entry-${entry}`;

  // A spare row keeps no id, so that no two elements share one.
  function retireRow(row) {
    if (row.hidden && row.entry < 0) return;
    row.hidden = true;
    row.entry = -1;
    row.removeAttribute('id');
  }

  function fillRow(row, position, size) {
    const entry = entryAt(position);
    row.hidden = false;
    if (row.entry !== entry || row.shownText !== titles[entry]) {
      row.entry = entry;
      row.shownText = titles[entry];
      row.id = rowId(entry);
      row.textContent = titles[entry];
    }
    row.style.top = `${position * rowHeight}px`;
    row.setAttribute('aria-posinset', position + 1);
    row.setAttribute('aria-setsize', size);
    row.setAttribute('aria-selected', String(entry === highlight));
    const isCurrent = entry === current;
    row.classList.toggle('tunaro-current', isCurrent);
    setOrRemove(row, 'aria-label', isCurrent ? `${titles[entry]} (current)` : '');
  }

  function reveal(entry) {
    const position = positionOf(entry);
    if (position < 0 || !rowHeight) return;
    const top = position * rowHeight;
    const view = list.clientHeight || rowHeight;
    if (top < list.scrollTop) list.scrollTop = top;
    else if (top + rowHeight > list.scrollTop + view) list.scrollTop = top + rowHeight - view;
  }

  function moveHighlight(entry) {
    highlight = entry;
    userChoosing = true;
    reveal(entry);
    render();
  }

  function step(delta) {
    const size = total();
    if (size === 0) return;
    const position = positionOf(highlight);
    moveHighlight(entryAt(position < 0 ? 0 : Math.max(0, Math.min(size - 1, position + delta))));
  }

  const pageRows = () => Math.max(1, Math.floor((list.clientHeight || rowHeight * 10) / rowHeight) - 1);

  // ---- the filter -----------------------------------------------------------

  function foldTitles() {
    folded ||= titles.map(fold);
    return folded;
  }

  // The first keystroke should not wait for the folded copy of a long list.
  function prepareFilterSoon() {
    if (window.requestIdleCallback) requestIdleCallback(foldTitles, { timeout: 2000 });
  }

  // typed: the user changed the text, and the list goes back to its top;
  // otherwise the same filter over a new list, which keeps its place.
  function applyFilter(text, typed) {
    const wanted = fold(text);
    if (!wanted) {
      shown = null;
    } else {
      const lower = foldTitles();
      // Typing on narrows the last result; anything else starts over.
      const from = shown && query && wanted.includes(query) ? shown : null;
      const size = from ? from.length : lower.length;
      const found = new Int32Array(size);
      let n = 0;
      for (let i = 0; i < size; i++) {
        const entry = from ? from[i] : i;
        if (lower[entry].includes(wanted)) found[n++] = entry;
      }
      shown = found.subarray(0, n);
    }
    query = wanted;
    if (query && typed) {
      userChoosing = true;
      if (positionOf(highlight) < 0) highlight = shown.length ? shown[0] : -1;
      list.scrollTop = 0;
    }
    const matches = shown ? shown.length : 0;
    setText(count, query ? `Showing ${matches.toLocaleString('en')} of ${titles.length.toLocaleString('en')}` : '');
    if (typed) reveal(highlight);
    render();
  }

  function clearFilter() {
    if (!filter.value) return false;
    filter.value = '';
    applyFilter('', true);
    return true;
  }

  // The first drawing of the list is part of setting up.
  try {
    render();
    reveal(highlight);
    render();
  } catch (error) {
    giveUp(error);
    return;
  }

  // ---- keyboard and pointer -------------------------------------------------

  function onKey(event, inFilter) {
    // A key that confirms or edits a word in an input method belongs to it.
    if (event.isComposing || event.keyCode === 229) return;
    if (event.altKey || event.ctrlKey || event.metaKey) return;
    let handled = true;
    switch (event.key) {
      case 'ArrowDown':
        step(1);
        break;
      case 'ArrowUp':
        step(-1);
        break;
      case 'PageDown':
        step(pageRows());
        break;
      case 'PageUp':
        step(-pageRows());
        break;
      case 'Home':
      case 'End':
        if (inFilter) handled = false; // the text cursor's
        else step(event.key === 'Home' ? -total() : total());
        break;
      case 'Enter':
        if (positionOf(highlight) >= 0) play();
        break;
      case 'Escape':
        handled = clearFilter();
        break;
      default:
        handled = false;
        // Typing in the list types into the filter, as a list box jumps to
        // what is typed; the key lands in the box that has the focus now.
        if (!inFilter && event.key.length === 1 && event.key !== ' ') filter.focus();
    }
    if (handled) event.preventDefault();
  }

  filter.addEventListener('input', () => applyFilter(filter.value, true));
  filter.addEventListener('keydown', (event) => onKey(event, true));
  list.addEventListener('keydown', (event) => onKey(event, false));
  list.addEventListener('scroll', renderSoon, { passive: true });
  window.addEventListener('resize', renderSoon);
  spacer.addEventListener('click', (event) => {
    const row = event.target.closest('.tunaro-row');
    if (!row) return;
    moveHighlight(row.entry);
    if (document.activeElement !== filter) list.focus({ preventScroll: true });
  });
  spacer.addEventListener('dblclick', (event) => {
    if (event.target.closest('.tunaro-row')) play();
  });

  // ---- requests -------------------------------------------------------------

  const pollSetting = script?.getAttribute('data-poll') || '';
  const polling = !/^(off|0+)$/i.test(pollSetting);
  const baseInterval = Number(pollSetting) > 0 ? Number(pollSetting) * 1000 : BASE_INTERVAL_MS;
  let timer = 0;
  let timerDue = 0;
  let reading = false; // a status read is under way
  let readAgain = false; // a read was asked for meanwhile
  let failures = 0;
  let lastDuration = 0;
  let listSeen = null; // the status's "list" when the list was last read
  let actions = Promise.resolve();
  let actionCount = 0;
  let pendingActions = 0;

  function interval() {
    const wait = Math.max(baseInterval, SLOW_FACTOR * lastDuration);
    return Math.min(MAX_INTERVAL_MS, wait * 2 ** Math.min(failures, 20));
  }

  // Asks for a status read in `delay` ms. An earlier read already asked for
  // stays (a follow-up is never pushed back by the regular interval), unless
  // `replace`: the read after a command must come after the player acted.
  function schedule(delay, replace = false) {
    const due = Date.now() + Math.max(0, delay);
    if (timer && timerDue <= due && !replace) return;
    clearTimeout(timer);
    timerDue = due;
    timer = setTimeout(poll, Math.max(0, delay));
  }

  function scheduleNext() {
    if (polling) schedule(interval());
  }

  // One answer of the program: the status object, or a page (whose bytes
  // are in the page's charset).
  async function fetchAnswer(url, init) {
    const abort = new AbortController();
    const guard = setTimeout(() => abort.abort(), READ_TIMEOUT_MS);
    try {
      const options = { cache: 'no-store', credentials: 'same-origin', signal: abort.signal, ...init };
      const response = await fetch(url, options);
      const bytes = await response.arrayBuffer();
      if (/^application\/json/i.test(response.headers.get('Content-Type') || '')) {
        const status = JSON.parse(new TextDecoder('utf-8').decode(bytes));
        if (!response.ok || typeof status.running !== 'boolean') {
          throw new Error(`the server answered ${response.status}: ${status.error || 'no status'}`);
        }
        return { status };
      }
      const text = decoder.decode(bytes);
      const page = readPage(text);
      if (!page) throw new Error(describeFailure(response, text));
      return { page };
    } finally {
      clearTimeout(guard);
    }
  }

  function describeFailure(response, text) {
    const body = new DOMParser().parseFromString(text, 'text/html').body;
    const said = body ? body.textContent.replace(/\s+/g, ' ').trim().slice(0, 160) : '';
    return `the server answered ${response.status}${said ? `: ${said}` : ''}`;
  }

  function showProblem(error, what) {
    const reason = error?.name === 'AbortError' ? 'no answer in time' : String(error?.message || error);
    const retry = polling ? ` Trying again in ${Math.round(interval() / 1000)} s.` : '';
    const said = element('p', 'tunaro-notice');
    said.textContent = `${what} failed (${reason}).${retry}`;
    notices.replaceChildren(said);
  }

  function clearProblem() {
    if (notices.firstChild) notices.replaceChildren();
  }

  // The regular status read. Its answer is dropped when the user acted while
  // it was on its way: the action's own answer is newer.
  async function poll() {
    timer = 0;
    if (document.hidden) return; // made up when the tab is shown again
    if (reading || pendingActions > 0) {
      readAgain = true;
      return;
    }
    reading = true;
    const seen = actionCount;
    const started = performance.now();
    try {
      const { status, page } = await fetchAnswer(selfUrlWith('status'));
      lastDuration = performance.now() - started;
      failures = 0;
      if (seen === actionCount) {
        clearProblem();
        if (status) await showStatus(status);
        else showPage(page, false);
      }
    } catch (error) {
      failures++;
      if (seen === actionCount) showProblem(error, 'Updating the page');
    }
    reading = false;
    if (readAgain) {
      readAgain = false;
      schedule(0);
    } else {
      scheduleNext();
    }
  }

  // The whole page again, for a changed list.
  async function readList(list) {
    const { page } = await fetchAnswer(selfUrl.href);
    if (!page) throw new Error('the list did not come');
    listSeen = list;
    showPage(page, false);
  }

  // The user's own requests go one after another, in the order asked for.
  // `control`: the control that asked; answers to earlier requests do not
  // set it back while its own request is on its way.
  function act(url, init, what, followUp = true, control = null) {
    actionCount++;
    pendingActions++;
    if (control) unsent.set(control, (unsent.get(control) || 0) + 1);
    actions = actions.then(async () => {
      try {
        const answer = fetchAnswer(url, init);
        answer.finally(() => control && unsent.set(control, unsent.get(control) - 1)).catch(() => {});
        const { status, page } = await answer;
        if (status) {
          await showStatus(status);
        } else {
          userChoosing = false;
          showPage(page, true);
        }
        clearProblem();
      } catch (error) {
        showProblem(error, what);
      }
      if (--pendingActions === 0) {
        if (followUp) schedule(FOLLOW_UP_MS, true);
        else if (readAgain) schedule(0);
        readAgain = false;
      }
    });
  }

  // With no entry highlighted in the list the form goes without one, as a
  // list box with nothing selected sends it: the player plays on.
  function play() {
    const chosen = [];
    if (positionOf(highlight) >= 0) {
      chosen.push(new Option(titles[highlight]));
      chosen[0].selected = true;
    }
    field.replaceChildren(...chosen);
    // The form's own fields, as the browser would send them for the button.
    const body = [];
    for (const [name, value] of new FormData(form, playButton)) {
      body.push(`${formEncode(name)}=${formEncode(String(value))}`);
    }
    act(
      form.action,
      { method: 'POST', headers: { 'Content-Type': 'application/x-www-form-urlencoded' }, body: body.join('&') },
      'Play',
    );
  }

  // application/x-www-form-urlencoded in the page's charset, which is what
  // the program reads. The ASCII part is done here; a link's address is
  // parsed in the page's charset, so it turns the rest into the same bytes a
  // submitted form would (and a character the charset lacks into &#N;).
  const encoderLink = document.createElement('a');
  function formEncode(text) {
    let out = '';
    let wide = false;
    for (const char of text) {
      const code = char.codePointAt(0);
      if (/[0-9A-Za-z*\-._]/.test(char)) out += char;
      else if (char === ' ') out += '+';
      else if (code < 128) out += `%${code.toString(16).toUpperCase().padStart(2, '0')}`;
      else {
        out += char;
        wide = true;
      }
    }
    if (!wide) return out;
    encoderLink.href = `?${out}`;
    return encoderLink.search.slice(1);
  }

  form.addEventListener('submit', (event) => {
    event.preventDefault();
    play();
  });

  // Clicks on the command links and on Refresh (in the form, and in the line
  // a closed player leaves); a click with a modifier (a new tab or window)
  // is left to the browser.
  function onLinkClick(event) {
    const link = event.target.closest('a[href]');
    if (!link || event.button !== 0 || event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
    const url = new URL(link.href);
    if (url.origin !== selfUrl.origin || url.pathname !== selfUrl.pathname) return;
    const word = url.search.slice(1).toLowerCase();
    if (word && !COMMANDS.includes(word)) return;
    event.preventDefault();
    act(url.href, { method: 'GET' }, word ? `The ${word} button` : 'Refreshing');
  }
  form.addEventListener('click', onLinkClick);
  stateLine.addEventListener('click', onLinkClick);

  // ---- the controls ---------------------------------------------------------

  // A control the user is moving is not set back by a status read.
  let held = null;
  const unsent = new Map(); // control: its requests not yet answered
  const free = (control) => held !== control && !(unsent.get(control) > 0);
  for (const slider of [controls.position, controls.volume]) {
    slider.addEventListener('pointerdown', () => (held = slider));
    slider.addEventListener('pointerup', () => (held = null));
    slider.addEventListener('pointercancel', () => (held = null));
  }
  controls.position.addEventListener('input', () => {
    setText(controls.elapsed, clockText(Number(controls.position.value)));
    describePosition();
  });
  controls.position.addEventListener('change', () => {
    act(selfUrlWith(`seek=${Number(controls.position.value)}`), { method: 'GET' }, 'Seeking', false, controls.position);
  });
  controls.volume.addEventListener('input', describeVolume);
  controls.volume.addEventListener('change', () => {
    const value = Number(controls.volume.value);
    act(selfUrlWith(`volume=${value}`), { method: 'GET' }, 'Setting the volume', false, controls.volume);
  });
  for (const [button, word] of [
    [controls.shuffle, 'shuffle'],
    [controls.repeat, 'repeat'],
  ]) {
    button.addEventListener('click', () => {
      const on = button.getAttribute('aria-pressed') !== 'true';
      button.setAttribute('aria-pressed', String(on));
      const what = `Turning ${word} ${on ? 'on' : 'off'}`;
      act(selfUrlWith(`${word}=${on ? 'on' : 'off'}`), { method: 'GET' }, what, false, button);
    });
  }
  controls.show.addEventListener('click', () => {
    if (current < 0) return;
    if (query && positionOf(current) < 0) clearFilter();
    userChoosing = false;
    highlight = current;
    reveal(current);
    render();
  });

  function describePosition() {
    const { position } = controls;
    const length = Number(position.max);
    const at = clockText(Number(position.value));
    position.setAttribute('aria-valuetext', length > 0 ? `${at} of ${clockText(length)}` : at);
  }

  function describeVolume() {
    controls.volume.setAttribute('aria-valuetext', `${controls.volume.value}%`);
  }

  function showControls(status) {
    const { position, volume, shuffle, repeat, elapsed, length, box } = controls;
    box.hidden = false;
    const known = status.length > 0;
    position.disabled = !known;
    if (free(position)) {
      position.max = String(known ? status.length : 0);
      position.value = String(known ? Math.min(status.position, status.length) : 0);
      setText(elapsed, clockText(status.position));
      describePosition();
    }
    setText(length, known ? clockText(status.length) : '');
    if (free(volume)) {
      volume.value = String(status.volume);
      describeVolume();
    }
    if (free(shuffle)) shuffle.setAttribute('aria-pressed', String(Boolean(status.shuffle)));
    if (free(repeat)) repeat.setAttribute('aria-pressed', String(Boolean(status.repeat)));
  }

  // ---- the program's answers ------------------------------------------------

  // The status object: the page's lines and controls, and the list read
  // again when it changed.
  async function showStatus(status) {
    if (!status.running) {
      if (!closed) showClosed();
      return;
    }
    const changed = listSeen === null ? status.entries !== titles.length : status.list !== listSeen;
    if (closed || changed) {
      await readList(status.list);
      if (closed) return;
    }
    listSeen = status.list;
    setText(stateText, STATE_TEXTS[status.state] ?? '');
    setText(values['Song Name'], status.title);
    setText(values.Kbps, String(status.kbps));
    setText(values.KHz, `${status.khz},000`); // as the program's page writes it
    setText(values.Length, clockText(status.length));
    showControls(status);
    const entry = status.current - 1;
    if (entry !== current) {
      current = entry;
      if (!userChoosing && positionOf(current) >= 0) highlight = current;
      render();
    }
  }

  // The program writes its page line by line in a fixed form: the state line,
  // the list box with one option a line, then the song's values.
  function readPage(text) {
    const running = /<p>Winamp is Running \(<b>([^<]*)<\/b>\)<\/p>/.exec(text);
    if (!running) return /<b>Winamp is Closed<\/b>/.test(text) ? { closed: true } : null;
    const start = text.indexOf('<select size=10 name=MP3List>', running.index);
    const end = start < 0 ? -1 : text.indexOf('</select>', start);
    if (end < 0) return null;
    const options = text.slice(start, end);
    const pattern = /<option( selected)?>([^<]*)<\/option>/g;
    const names = [];
    let marked = -1;
    for (let match; (match = pattern.exec(options)); ) {
      if (match[1]) marked = names.length; // the last, as a browser keeps it
      names.push(unescapeHtml(match[2]));
    }
    const rest = text.slice(end);
    return {
      closed: false,
      state: unescapeHtml(running[1]),
      titles: names,
      current: marked,
      'Song Name': valueIn(rest, /Song Name: <font[^>]*><b>([^<]*)<\/b><\/font>/),
      Kbps: valueIn(rest, /Kbps: <font[^>]*>([^<]*)<\/font>/),
      KHz: valueIn(rest, /KHz: <font[^>]*>([^<]*)<\/font>/),
      Length: valueIn(rest, /Length: <font[^>]*>([^<]*)<\/font>/),
    };
  }

  function valueIn(text, pattern) {
    const match = pattern.exec(text);
    return match ? unescapeHtml(match[1]) : null;
  }

  // The program writes these four references and no others.
  const ENTITIES = { '&amp;': '&', '&lt;': '<', '&gt;': '>', '&quot;': '"' };
  function unescapeHtml(text) {
    return text.includes('&') ? text.replace(/&(?:amp|lt|gt|quot);/g, (reference) => ENTITIES[reference]) : text;
  }

  function sameTitles(next) {
    return next.length === titles.length && next.every((title, i) => title === titles[i]);
  }

  // Where the entry the user had highlighted went in a changed list: the same
  // title without its number, nearest to where it was.
  function sameEntry(oldTitle, oldIndex, next) {
    if (oldIndex < 0) return -1;
    if (next[oldIndex] === oldTitle) return oldIndex;
    const bare = (title) => title.replace(/^\d+\. /, '');
    const wanted = bare(oldTitle);
    let best = -1;
    next.forEach((title, i) => {
      if (bare(title) === wanted && (best < 0 || Math.abs(i - oldIndex) < Math.abs(best - oldIndex))) best = i;
    });
    return best >= 0 ? best : Math.min(oldIndex, next.length - 1);
  }

  function showClosed() {
    closed = true;
    form.hidden = true;
    songPart.hidden = true;
    const refresh = document.createElement('a');
    refresh.href = selfUrl.href;
    refresh.textContent = 'Refresh';
    const said = document.createElement('b');
    said.textContent = 'Winamp is Closed';
    stateLine.replaceChildren(said, ' | ', refresh);
  }

  function showPage(page, byUser) {
    if (page.closed) {
      if (!closed) showClosed();
      return;
    }
    if (closed) {
      closed = false;
      stateLine.replaceChildren(...stateNodes);
      form.hidden = false;
      songPart.hidden = false;
    }
    setText(stateText, page.state);
    for (const label of VALUE_LABELS) setText(values[label], page[label]);
    if (!sameTitles(page.titles)) {
      const kept = userChoosing ? sameEntry(titles[highlight] ?? '', highlight, page.titles) : -1;
      titles = page.titles;
      folded = null;
      current = page.current;
      highlight = userChoosing ? kept : current;
      const text = query;
      query = '';
      shown = null;
      applyFilter(text, false);
      prepareFilterSoon();
    }
    current = page.current;
    // The highlight follows the player until the user picks an entry or
    // filters; then it is theirs until they play or press a button.
    if (!userChoosing && positionOf(current) >= 0) highlight = current;
    if (byUser) reveal(highlight);
    render();
  }

  // ---- start ----------------------------------------------------------------

  // The page may have come from "?forward" or a play: its address becomes the
  // plain one, so that a reload or a bookmark does not do that again.
  if (location.search && location.pathname === selfUrl.pathname) history.replaceState(history.state, '', selfUrl.href);
  prepareFilterSoon();
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      clearTimeout(timer);
      timer = 0;
    } else if (polling) {
      // Whatever was missed meanwhile (a follow-up included) is made up now.
      schedule(0);
    }
  });
  // The first read at once (also with the timed reads off): it brings the
  // controls and the list's mark.
  schedule(0);
})();
