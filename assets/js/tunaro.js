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
 * - The playlist edited: the highlighted entry moved up or down (buttons, or
 *   Alt+Up and Alt+Down), to a place typed in, or removed (a button, or
 *   Delete); the whole list cleared after a question. Each names the entry by
 *   its title too, so that a page older than the playlist acts on the entry
 *   that shows that title now.
 * - A "Library" view beside the playlist: the music folders with the folder
 *   shown as a breadcrumb, a search through all of them, and "Play next" and
 *   "Add" for each file and folder (the JSON answers ?library, ?find, ?add).
 * - The playing entry's cover (?cover=N) beside the song's lines, when it
 *   has one.
 * Names and titles from the program always go into the page as text, never
 * as markup.
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
    views, edits, library, cover,
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
    const cover = element('img', 'tunaro-cover', { alt: 'Cover' });
    cover.hidden = true;
    songPart.prepend(cover);
    undo.push(() => cover.remove());

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
    const edits = buildEdits();
    picker.append(filter, list, count, edits.box);
    const views = buildViews(picker);
    const library = buildLibrary();
    // The list box leaves the document for an empty copy of itself: the same
    // field of the same form, which play fills with the chosen entry alone.
    // Hidden but left in place, a long list would still cost a second of
    // style work before the page is first drawn.
    const field = listBox.cloneNode(false);
    field.style.display = 'none';
    listBox.before(views.tabs, picker, library.box);
    undo.push(() => [views.tabs, picker, library.box].forEach((part) => part.remove()));
    listBox.replaceWith(field);
    undo.push(() => field.replaceWith(listBox));
    const style = addStyles();
    undo.push(() => style.remove());
    return {
      songPart, values, stateText, stateNodes, notices, picker, filter, list, spacer, count, field, controls,
      views, edits, library, cover,
    };
  }

  // The shipped header styles the buttons of .tunaro-settings; the button
  // rows added below take that class for its look.
  function button(className, text, attributes = {}) {
    const made = element('button', className, { type: 'button', ...attributes });
    made.textContent = text;
    return made;
  }

  // Two tabs: the playlist (the picker) and the library.
  function buildViews(playlistPanel) {
    const tabs = element('div', 'tunaro-views tunaro-settings', { role: 'tablist', 'aria-label': 'Views' });
    const tab = (word, text, panelId) =>
      button('tunaro-view', text, { role: 'tab', id: `tunaro-${word}-tab`, 'aria-controls': panelId });
    const playlist = tab('playlist', 'Playlist', 'tunaro-list-view');
    const library = tab('library', 'Library', 'tunaro-library-view');
    playlist.setAttribute('aria-selected', 'true');
    library.setAttribute('aria-selected', 'false');
    library.tabIndex = -1;
    tabs.append(playlist, library);
    playlistPanel.id = 'tunaro-list-view';
    playlistPanel.setAttribute('role', 'tabpanel');
    playlistPanel.setAttribute('aria-labelledby', playlist.id);
    return { tabs, playlist, library };
  }

  // What the user can do to the highlighted entry, and to the whole list.
  function buildEdits() {
    const box = element('div', 'tunaro-edits tunaro-settings', { role: 'group', 'aria-label': 'Edit the playlist' });
    const up = button('tunaro-up', 'Move up', { 'aria-keyshortcuts': 'Alt+ArrowUp' });
    const down = button('tunaro-down', 'Move down', { 'aria-keyshortcuts': 'Alt+ArrowDown' });
    const moveTo = button('tunaro-move-to', 'Move to\u2026');
    const remove = button('tunaro-remove', 'Remove', { 'aria-keyshortcuts': 'Delete' });
    const clear = button('tunaro-clear', 'Clear\u2026');
    box.append(up, down, moveTo, remove, clear);
    return { box, up, down, moveTo, remove, clear };
  }

  function buildLibrary() {
    const box = element('div', 'tunaro-library', {
      id: 'tunaro-library-view',
      role: 'tabpanel',
      'aria-labelledby': 'tunaro-library-tab',
    });
    box.hidden = true;
    const nav = element('nav', 'tunaro-crumbs-box', { 'aria-label': 'Folder' });
    const crumbs = element('ol', 'tunaro-crumbs tunaro-settings');
    nav.append(crumbs);
    // The playlist filter's look, for the same kind of field.
    const find = element('input', 'tunaro-filter tunaro-find', {
      type: 'search',
      placeholder: 'Search the music folders',
      autocomplete: 'off',
      spellcheck: 'false',
      'aria-label': 'Search the music folders',
    });
    const said = element('p', 'tunaro-library-said', { role: 'status' });
    const items = element('ul', 'tunaro-items', { tabindex: '-1' });
    const moreBox = element('div', 'tunaro-settings');
    const more = button('tunaro-more', 'Show more');
    moreBox.append(more);
    moreBox.hidden = true;
    box.append(nav, find, said, items, moreBox);
    return { box, crumbs, find, said, items, more, moreBox };
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
      ':where(.tunaro-views) { margin-top: 8px; }',
      ':where(.tunaro-views [aria-selected=true]) { font-weight: bold; text-decoration: underline 2px;' +
        ' text-underline-offset: .3em; }',
      ':where(.tunaro-settings[hidden]) { display: none; }',
      ':where(.tunaro-settings [aria-disabled=true]) { opacity: .5; cursor: default; }',
      ':where(.tunaro-edits) { margin-bottom: 8px; }',
      ':where(.tunaro-library) { text-align: left; }',
      ':where(.tunaro-crumbs, .tunaro-items) { margin: 8px 0; padding: 0; list-style: none; }',
      ':where(.tunaro-crumbs li + li)::before { content: "\\203A" / ""; margin-right: .5em; }',
      ':where(.tunaro-crumbs [aria-current]) { font-weight: bold; }',
      ':where(.tunaro-find) { box-sizing: border-box; width: 100%; font: inherit; font-size: 16px; }',
      ':where(.tunaro-item) { flex-wrap: nowrap; padding: 4px 0; border-bottom: 1px solid rgba(110, 123, 136, .35); }',
      ':where(.tunaro-item-name) { flex: 1; min-width: 0; overflow-wrap: anywhere; text-align: left; }',
      ':where(.tunaro-item-name .tunaro-where) { display: block; font-size: smaller; }',
      ':where(.tunaro-open)::before { content: "\\25B8  " / ""; }',
      ':where(.tunaro-items:focus) { outline: none; }',
      ':where(.tunaro-song) { display: flow-root; }',
      ':where(.tunaro-cover) { float: right; width: 96px; height: 96px; margin: 0 0 8px 12px; object-fit: contain; }',
      // The page's own look of a form (the shipped header's) fills the dialog.
      ':where(.tunaro-dialog) { max-width: 26em; padding: 0; border: 1px solid #6E7B88; border-radius: 14px; }',
      ':where(.tunaro-dialog) form { margin: 0; }',
      ':where(.tunaro-dialog input) { box-sizing: border-box; width: 7em; min-height: 44px; font: inherit;' +
        ' font-size: 16px; }',
      ':where(.tunaro-dialog .tunaro-settings) { justify-content: flex-end; }',
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
    showEditState();
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
    const arrow = { ArrowUp: -1, ArrowDown: 1 }[event.key];
    if (event.altKey && arrow && !event.ctrlKey && !event.metaKey && !event.shiftKey) {
      event.preventDefault();
      moveEntry((entry) => entry + arrow);
      return;
    }
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
      case 'Delete':
        if (inFilter) handled = false; // the text's
        else removeEntry();
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
          throw Object.assign(new Error(`the server answered ${response.status}: ${status.error || 'no status'}`), {
            answer: status,
          });
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
  // `request` is the address, or a function that makes it when its turn
  // comes (an edit names its entry as the list is by then; null: nothing to
  // send). Options:
  //   followUp  a status read a second later: the player carries out a
  //             command after the program has answered
  //   control   the control that asked: answers to earlier requests do not
  //             set it back while its own request is on its way
  //   done      called with the answer once the page shows it
  //   failed    called with the error, besides the page's notice
  function act(request, init, what, { followUp = true, control = null, done = null, failed = null } = {}) {
    actionCount++;
    pendingActions++;
    if (control) unsent.set(control, (unsent.get(control) || 0) + 1);
    actions = actions.then(async () => {
      try {
        const url = typeof request === 'function' ? request() : request;
        const answer = url ? fetchAnswer(url, init) : Promise.resolve(null);
        answer.finally(() => control && unsent.set(control, unsent.get(control) - 1)).catch(() => {});
        const got = await answer;
        if (got?.status) {
          await showStatus(got.status);
        } else if (got) {
          userChoosing = false;
          showPage(got.page, true);
        }
        if (got) clearProblem();
        if (got && done) done(got.status || got.page);
      } catch (error) {
        showProblem(error, what);
        if (failed) failed(error);
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
    const seek = `seek=${Number(controls.position.value)}`;
    act(selfUrlWith(seek), { method: 'GET' }, 'Seeking', { followUp: false, control: controls.position });
  });
  controls.volume.addEventListener('input', describeVolume);
  controls.volume.addEventListener('change', () => {
    const value = Number(controls.volume.value);
    const what = 'Setting the volume';
    act(selfUrlWith(`volume=${value}`), { method: 'GET' }, what, { followUp: false, control: controls.volume });
  });
  for (const [button, word] of [
    [controls.shuffle, 'shuffle'],
    [controls.repeat, 'repeat'],
  ]) {
    button.addEventListener('click', () => {
      const on = button.getAttribute('aria-pressed') !== 'true';
      button.setAttribute('aria-pressed', String(on));
      const what = `Turning ${word} ${on ? 'on' : 'off'}`;
      act(selfUrlWith(`${word}=${on ? 'on' : 'off'}`), { method: 'GET' }, what, { followUp: false, control: button });
    });
  }
  controls.show.addEventListener('click', () => {
    if (current < 0) return;
    showView('playlist');
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

  // ---- the views ------------------------------------------------------------

  let libraryOpened = false;

  function showView(word) {
    const inLibrary = word === 'library';
    for (const [tab, on] of [
      [views.playlist, !inLibrary],
      [views.library, inLibrary],
    ]) {
      tab.setAttribute('aria-selected', String(on));
      tab.tabIndex = on ? 0 : -1;
    }
    picker.hidden = inLibrary;
    library.box.hidden = !inLibrary;
    if (!inLibrary) render(); // the list had no size while hidden
    else if (!libraryOpened) {
      libraryOpened = true;
      openPlace(null, { first: true });
    }
  }

  views.playlist.addEventListener('click', () => showView('playlist'));
  views.library.addEventListener('click', () => showView('library'));
  views.tabs.addEventListener('keydown', (event) => {
    const tabs = [views.playlist, views.library];
    const at = tabs.indexOf(document.activeElement);
    const to = { ArrowLeft: at - 1, ArrowRight: at + 1, Home: 0, End: tabs.length - 1 }[event.key];
    if (at < 0 || to === undefined || event.altKey || event.ctrlKey || event.metaKey) return;
    event.preventDefault();
    const tab = tabs[(to + tabs.length) % tabs.length];
    tab.focus();
    tab.click();
  });

  // ---- the playlist's edits -------------------------------------------------

  const GET = { method: 'GET' };
  const counted = (n, one, many = `${one}s`) => `${n.toLocaleString('en')} ${n === 1 ? one : many}`;

  // The entry the edits act on: the highlighted one, while the list shows it.
  // (The list's first drawing asks, before this part of the script has run.)
  function editable() {
    return positionOf(highlight) >= 0 ? highlight : -1;
  }
  // The title a remove or a move names its entry by, as the list shows it.
  const titleParameter = (entry) => `title=${encodeURIComponent(withoutNumber(titles[entry]))}`;

  function showEditState() {
    const entry = editable();
    for (const [control, off] of [
      [edits.up, entry <= 0],
      [edits.down, entry < 0 || entry >= titles.length - 1],
      [edits.moveTo, entry < 0 || titles.length < 2],
      [edits.remove, entry < 0],
      [edits.clear, titles.length === 0],
    ]) {
      setOrRemove(control, 'aria-disabled', off ? 'true' : '');
    }
  }

  function highlightEntry(entry) {
    highlight = Math.min(entry, titles.length - 1);
    userChoosing = highlight >= 0;
    reveal(highlight);
    render();
  }

  // Moves the highlighted entry, as it is when the request goes, to the
  // place `placeFor` gives (from 0); the highlight goes with it.
  function moveEntry(placeFor) {
    let to = -1;
    const request = () => {
      const entry = editable();
      to = entry < 0 ? -1 : placeFor(entry);
      if (to < 0 || to >= titles.length || to === entry) return null;
      return selfUrlWith(`move=${entry + 1}&to=${to + 1}&${titleParameter(entry)}`);
    };
    act(request, GET, 'Moving the entry', { followUp: false, done: () => highlightEntry(to) });
  }

  function removeEntry() {
    let entry = -1;
    const request = () => {
      entry = editable();
      return entry < 0 ? null : selfUrlWith(`remove=${entry + 1}&${titleParameter(entry)}`);
    };
    // The highlight stays in place: on the entry after the removed one.
    const done = (status) => highlightEntry((status.entry || entry + 1) - 1);
    act(request, GET, 'Removing the entry', { followUp: false, done });
  }

  async function moveEntryTo() {
    const entry = editable();
    if (entry < 0 || titles.length < 2) return;
    const wanted = await ask(`Move \u201c${withoutNumber(titles[entry])}\u201d to place:`, 'Move', {
      min: 1,
      max: titles.length,
      value: entry + 1,
    });
    const to = Number(wanted);
    if (wanted !== null && Number.isInteger(to) && to >= 1) moveEntry(() => to - 1);
  }

  async function clearList() {
    if (titles.length === 0) return;
    const question = `Remove all ${counted(titles.length, 'entry', 'entries')} from the playlist?`;
    if ((await ask(question, 'Clear the playlist')) !== null) {
      act(selfUrlWith('clear'), GET, 'Clearing the playlist', { followUp: false });
    }
  }

  for (const [control, run] of [
    [edits.up, () => moveEntry((entry) => entry - 1)],
    [edits.down, () => moveEntry((entry) => entry + 1)],
    [edits.moveTo, moveEntryTo],
    [edits.remove, removeEntry],
    [edits.clear, clearList],
  ]) {
    control.addEventListener('click', () => {
      if (control.getAttribute('aria-disabled') !== 'true') run();
    });
  }

  // A question in a modal dialog. Resolves to true (or the number typed in)
  // when the user confirms, to null when they cancel or press Escape.
  function ask(question, confirmText, number = null) {
    // A browser without dialogs (Safari before 15.4) asks its own way.
    if (!window.HTMLDialogElement) {
      if (number) return Promise.resolve(prompt(question, number.value));
      return Promise.resolve(confirm(question) ? true : null);
    }
    return new Promise((resolve) => {
      const dialog = element('dialog', 'tunaro-dialog', { 'aria-labelledby': 'tunaro-question' });
      const form = element('form', '', { method: 'dialog' });
      const text = element('p', '', { id: 'tunaro-question' });
      text.textContent = question;
      form.append(text);
      let input = null;
      if (number) {
        input = element('input', 'tunaro-place', { type: 'number', required: '', 'aria-labelledby': text.id });
        Object.assign(input, number);
        form.append(input);
      }
      // Enter in the field sends the form with its one submit button.
      const cancel = button('tunaro-cancel', 'Cancel');
      cancel.addEventListener('click', () => dialog.close());
      const buttons = element('div', 'tunaro-settings');
      buttons.append(cancel, button('tunaro-confirm', confirmText, { type: 'submit', value: 'yes' }));
      form.append(buttons);
      dialog.append(form);
      const back = document.activeElement;
      dialog.addEventListener('close', () => {
        dialog.remove();
        back?.focus({ preventScroll: true });
        if (dialog.returnValue !== 'yes') resolve(null);
        else resolve(input ? input.value : true);
      });
      document.body.append(dialog);
      dialog.showModal();
    });
  }

  // ---- the library ----------------------------------------------------------

  const FIND_DELAY_MS = 400;
  let musicFolders = []; // ?library's answer
  let place = null; // the folder shown (its path), null for the music folders
  let listing = []; // the items of its pages read so far
  let listingTotal = 0;
  let listingNext = null;
  let libraryRead = null; // the read under way, an AbortController
  let findTimer = 0;

  const sayInLibrary = (text) => setText(library.said, text);
  const reasonOf = (error) => (error?.name === 'AbortError' ? 'no answer in time' : String(error?.message || error));

  // One JSON answer of the music folders. A newer read cancels it: it then
  // gives null.
  async function readLibrary(query) {
    libraryRead?.abort();
    const abort = new AbortController();
    libraryRead = abort;
    const guard = setTimeout(() => abort.abort(), READ_TIMEOUT_MS);
    try {
      const options = { cache: 'no-store', credentials: 'same-origin', signal: abort.signal };
      const response = await fetch(selfUrlWith(query), options);
      const json = /^application\/json/i.test(response.headers.get('Content-Type') || '');
      const answer = json ? await response.json() : null;
      if (!answer) throw new Error(`the server answered ${response.status} without the folders`);
      if (!response.ok) throw new Error(`the server answered ${response.status}: ${answer.error || ''}`);
      return libraryRead === abort ? answer : null;
    } catch (error) {
      if (libraryRead !== abort) return null;
      throw error;
    } finally {
      clearTimeout(guard);
    }
  }

  // Shows the music folders (path null) or a folder; `from`: its next page.
  // `first`: the view's first look, which goes straight into the only
  // music folder there is. `focus`: the user asked from the view, whose
  // focus goes to the first new item.
  async function openPlace(path, { from = 0, first = false, focus = false } = {}) {
    clearTimeout(findTimer);
    let answer;
    try {
      answer = await readLibrary(path === null ? 'library' : `library=${encodeURIComponent(path)}&from=${from}`);
    } catch (error) {
      sayInLibrary(`Reading the ${path === null ? 'music folders' : 'folder'} failed (${reasonOf(error)}).`);
      if (!library.crumbs.firstChild) libraryOpened = false; // tried again when the view is opened again
      return;
    }
    if (!answer) return;
    if (path === null) {
      musicFolders = answer.folders;
      if (first && musicFolders.length === 1 && musicFolders[0].available) {
        openPlace(musicFolders[0].path, { focus });
        return;
      }
      listing = musicFolders.map((folder) => ({ ...folder, kind: 'folder', top: true }));
      listingTotal = listing.length;
      listingNext = null;
    } else {
      listing = from > 0 ? listing.concat(answer.items) : answer.items;
      listingTotal = answer.total;
      listingNext = answer.next;
    }
    place = path === null ? null : answer.path;
    library.find.value = '';
    showListing({ from, focus });
  }

  // The listing read so far; from > 0: only its items from there on are new.
  function showListing({ from = 0, focus = false } = {}) {
    showCrumbs();
    const rows = listing.slice(from).map((item) => itemRow(item));
    if (from > 0) library.items.append(...rows);
    else library.items.replaceChildren(...rows);
    library.items.setAttribute('aria-label', place === null ? 'Music folders' : placeName(place));
    library.moreBox.hidden = listingNext === null;
    const shown = `${counted(listing.length, 'item')} of ${listingTotal.toLocaleString('en')}`;
    setText(library.more, `Show more (${shown} shown)`);
    if (place === null) sayInLibrary(counted(listing.length, 'music folder'));
    else sayInLibrary(listingTotal ? counted(listingTotal, 'item') : 'No music in this folder.');
    if (focus) (rows[0]?.querySelector('button:not([disabled])') || library.items).focus();
  }

  // "1" is the music folder's own name, cut to its last part.
  function placeName(path) {
    const names = path.split('/');
    if (names.length > 1) return names.at(-1);
    const folder = musicFolders.find((each) => each.path === path);
    return folder ? folder.name.split(/[\\/]/).filter(Boolean).pop() || folder.name : `Music folder ${path}`;
  }

  function showCrumbs() {
    const paths = [null];
    if (place !== null) place.split('/').forEach((_, i, names) => paths.push(names.slice(0, i + 1).join('/')));
    const crumbs = paths.map((path, i) => {
      const crumb = document.createElement('li');
      const text = path === null ? 'Music folders' : placeName(path);
      if (i === paths.length - 1) {
        const here = element('span', 'tunaro-here', { 'aria-current': 'location' });
        here.textContent = text;
        crumb.append(here);
      } else {
        const link = button('tunaro-crumb', text);
        link.place = path;
        crumb.append(link);
      }
      return crumb;
    });
    library.crumbs.replaceChildren(...crumbs);
  }

  // A folder opens; a file or folder has "Play next" and "Add" (a music
  // folder as a whole has neither). A search's hit says where it is.
  function itemRow(item, hit = false) {
    const row = element('li', 'tunaro-item tunaro-settings');
    row.item = item;
    const folder = item.kind === 'folder';
    const name = folder ? button('tunaro-item-name tunaro-open', item.name) : element('span', 'tunaro-item-name');
    if (!folder) name.textContent = item.name;
    if (hit) {
      const where = element('span', 'tunaro-where');
      const names = item.path.split('/').slice(0, -1);
      names[0] = placeName(names[0]);
      where.textContent = names.join(' / ');
      name.append(where);
    }
    row.append(name);
    if (item.top) {
      if (!item.available) {
        name.disabled = true;
        name.append(' (not there)');
      }
    } else {
      row.append(
        button('tunaro-next', 'Play next', { 'aria-label': `Play next: ${item.name}` }),
        button('tunaro-add', 'Add', { 'aria-label': `Add: ${item.name}` }),
      );
    }
    return row;
  }

  async function runFind() {
    clearTimeout(findTimer);
    const words = library.find.value.trim();
    if (!words) {
      libraryRead?.abort();
      libraryRead = null;
      showListing();
      return;
    }
    let answer;
    try {
      answer = await readLibrary(`find=${encodeURIComponent(words)}`);
    } catch (error) {
      sayInLibrary(`The search failed (${reasonOf(error)}).`);
      return;
    }
    if (!answer) return;
    library.items.replaceChildren(...answer.hits.map((hit) => itemRow(hit, true)));
    library.items.setAttribute('aria-label', 'Found');
    library.moreBox.hidden = true;
    const said = [answer.hits.length ? `Found ${counted(answer.hits.length, 'item')}.` : 'Nothing found.'];
    if (answer.more) said.push('There are more: add a word to narrow the search.');
    if (answer.stopped) said.push('The search stopped before it had looked in every folder.');
    sayInLibrary(said.join(' '));
  }

  function addItem(item, next) {
    const what = `Adding \u201c${item.name}\u201d`;
    const at = next ? '&at=next' : '';
    const done = (status) => {
      const said = [
        status.added > 0
          ? `Added \u201c${item.name}\u201d (${counted(status.added, 'entry', 'entries')}) ` +
            `${next ? 'after the current entry' : 'at the end of the playlist'}.`
          : `\u201c${item.name}\u201d holds nothing to add.`,
      ];
      if (next && status.appended > 0) {
        const appended = counted(status.appended, 'entry', 'entries');
        said.push(`${appended} went to the end: their paths are too long to insert.`);
      }
      if (status.more) said.push('The folder holds more songs than one add takes.');
      if (status.stopped) said.push('Reading the folder took too long: what was found by then was added.');
      sayInLibrary(said.join(' '));
    };
    const failed = (error) => {
      const added = error.answer?.added;
      const partly = added > 0 ? ` ${counted(added, 'entry', 'entries')} went in before it stopped.` : '';
      sayInLibrary(`${what} failed (${reasonOf(error)}).${partly}`);
    };
    act(selfUrlWith(`add=${encodeURIComponent(item.path)}${at}`), GET, what, { followUp: false, done, failed });
  }

  library.items.addEventListener('click', (event) => {
    const control = event.target.closest('button');
    const item = control?.closest('.tunaro-item')?.item;
    if (!item || control.disabled) return;
    if (control.classList.contains('tunaro-open')) openPlace(item.path, { focus: true });
    else addItem(item, control.classList.contains('tunaro-next'));
  });
  library.crumbs.addEventListener('click', (event) => {
    const crumb = event.target.closest('button');
    if (crumb) openPlace(crumb.place, { focus: true });
  });
  library.more.addEventListener('click', () => openPlace(place, { from: listingNext, focus: true }));
  library.find.addEventListener('input', () => {
    clearTimeout(findTimer);
    findTimer = setTimeout(runFind, FIND_DELAY_MS);
  });
  library.find.addEventListener('keydown', (event) => {
    if (event.isComposing || event.keyCode === 229) return;
    // Enter would send the form around the field: a play.
    if (event.key === 'Enter') {
      event.preventDefault();
      runFind();
    } else if (event.key === 'Escape' && library.find.value) {
      event.preventDefault();
      library.find.value = '';
      runFind();
    }
  });

  // ---- the cover ------------------------------------------------------------

  // Read again only when the playing entry or the list changes: the same
  // entry keeps its picture. The browser asks whether its copy is current
  // (the answer has an ETag), so a copy of another entry is never shown.
  let coverOf = '';
  let coverReads = 0;
  async function showCover(status) {
    const key = status.running && status.current > 0 ? `${status.current} ${status.list}` : '';
    if (key === coverOf) return;
    coverOf = key;
    const read = ++coverReads;
    let picture = null;
    if (key) {
      try {
        const options = { cache: 'no-cache', credentials: 'same-origin' };
        const response = await fetch(selfUrlWith(`cover=${status.current}`), options);
        const type = response.headers.get('Content-Type') || '';
        if (response.ok && /^image\//i.test(type)) picture = await response.blob();
      } catch {
        if (read === coverReads) coverOf = ''; // tried again with the next status
      }
    }
    if (read !== coverReads) return; // a newer entry's read took over
    if (cover.src) URL.revokeObjectURL(cover.src);
    if (picture) cover.src = URL.createObjectURL(picture);
    else cover.removeAttribute('src');
    cover.hidden = !picture;
  }
  cover.addEventListener('error', () => (cover.hidden = true));

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
    showCover(status);
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

  // A row's text without its number: the title as the program's answers
  // name the entry.
  function withoutNumber(title) {
    return title.replace(/^\d+\. /, '');
  }

  // Where the entry the user had highlighted went in a changed list: the same
  // title without its number, nearest to where it was.
  function sameEntry(oldTitle, oldIndex, next) {
    if (oldIndex < 0) return -1;
    if (next[oldIndex] === oldTitle) return oldIndex;
    const wanted = withoutNumber(oldTitle);
    let best = -1;
    next.forEach((title, i) => {
      if (withoutNumber(title) === wanted && (best < 0 || Math.abs(i - oldIndex) < Math.abs(best - oldIndex))) best = i;
    });
    return best >= 0 ? best : Math.min(oldIndex, next.length - 1);
  }

  function showClosed() {
    closed = true;
    showCover({ running: false });
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
