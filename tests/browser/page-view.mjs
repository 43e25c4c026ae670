// What the page script shows, as both browser tests read it: the state, the
// song, the rows of the list in order, the entry marked as the player's, the
// highlighted one, the filter, the controls, the cover, the view shown and
// the Library view's breadcrumb, items and message. Works through
// Playwright's and puppeteer's page.evaluate alike.
export function pageView(page) {
  return page.evaluate(() => {
    const rows = [...document.querySelectorAll('.tunaro-list [role=option]:not([hidden])')].sort(
      (a, b) => a.getAttribute('aria-posinset') - b.getAttribute('aria-posinset'),
    );
    const line = document.querySelector('.tunaro-notices')?.previousElementSibling?.textContent ?? '';
    const song = /Song Name: *(.*)/.exec(document.querySelector('.tunaro-song')?.innerText ?? '');
    const attribute = (selector, name) => document.querySelector(selector)?.getAttribute(name) ?? null;
    return {
      state: /Winamp is Running \((\w*)\)/.exec(line)?.[1] ?? (/Winamp is Closed/.test(line) ? 'closed' : line),
      song: song ? song[1].trim() : null,
      rows: rows.map((row) => row.textContent),
      size: Number(rows[0]?.getAttribute('aria-setsize') ?? 0),
      rowElements: document.querySelectorAll('.tunaro-row').length,
      current: document.querySelector('.tunaro-current:not([hidden])')?.textContent ?? null,
      highlighted: rows.filter((row) => row.getAttribute('aria-selected') === 'true').map((row) => row.textContent),
      filter: document.querySelector('.tunaro-filter')?.value ?? null,
      count: document.querySelector('.tunaro-count')?.textContent ?? null,
      formShown: document.querySelector('form')?.hidden === false,
      notice: document.querySelector('.tunaro-notice')?.textContent ?? '',
      scrollTop: document.querySelector('.tunaro-list')?.scrollTop ?? null,
      history: history.length,
      sameDocument: window.tunaroTestMark === true,
      controlsShown: document.querySelector('.tunaro-controls')?.hidden === false,
      elapsed: document.querySelector('.tunaro-elapsed')?.textContent ?? null,
      length: document.querySelector('.tunaro-length')?.textContent ?? null,
      position: attribute('.tunaro-position', 'aria-valuetext'),
      volume: attribute('.tunaro-volume-slider', 'aria-valuetext'),
      shuffle: attribute('.tunaro-shuffle', 'aria-pressed'),
      repeat: attribute('.tunaro-repeat', 'aria-pressed'),
      // The picture's own width tells which picture it is.
      cover: ((image) => (image && !image.hidden && image.complete ? image.naturalWidth : 0))(
        document.querySelector('.tunaro-cover'),
      ),
      view: document.querySelector('.tunaro-views [aria-selected=true]')?.textContent ?? null,
      crumbs: [...document.querySelectorAll('.tunaro-crumbs li')].map((crumb) => crumb.textContent),
      items: [...document.querySelectorAll('.tunaro-item-name')].map((name) => name.firstChild.textContent),
      said: document.querySelector('.tunaro-library-said')?.textContent ?? null,
      disabled: [...document.querySelectorAll('.tunaro-edits [aria-disabled=true]')].map((edit) => edit.textContent),
    };
  });
}
