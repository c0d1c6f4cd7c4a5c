// Stand-in for the engine's welcome script: just enough page to show that the native side's
// globals arrive (brand, recent items, pinned folders) and that something is drawn.
(function () {
  'use strict';
  var brand = window.IKW_BRAND || { name: 'Inkwarden', tagline: '' };
  var ink = 'var(--ink)';
  var card = 'var(--card)';
  var accent = '#c2571a';
  // Colours follow data-theme, which may change after drawing.
  var theme = document.createElement('style');
  theme.textContent = ':root{--ink:#1d1b18;--card:#fff}' +
    ':root[data-theme=dark]{--ink:#f1ece2;--card:#2a2926;--bg1:#24221f;--bg2:#161513}';
  document.head.appendChild(theme);

  function el(tag, style, text) {
    var node = document.createElement(tag);
    if (style) node.setAttribute('style', style);
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function list(title, items, empty) {
    var box = el('section', 'flex:1;background:' + card + ';border-radius:12px;padding:18px 22px;min-height:220px;' +
      'box-shadow:0 1px 4px rgba(0,0,0,.15)');
    box.appendChild(el('h2', 'margin:0 0 12px;font-size:20px;color:' + accent, title));
    if (!items.length) box.appendChild(el('p', 'opacity:.7', empty));
    items.forEach(function (item) {
      var row = el('div', 'padding:6px 0;border-bottom:1px solid rgba(127,127,127,.3);font-size:16px' +
        (item.missing === '1' ? ';text-decoration:line-through;opacity:.6' : ''), item.name);
      row.title = item.path;
      box.appendChild(row);
    });
    return box;
  }

  var tab = 'home';
  var root = el('main', 'font-family:Inter,system-ui,sans-serif;color:' + ink + ';padding:8% 10% 0;box-sizing:border-box');
  root.id = 'ikwWelcome';
  function draw() {
    root.textContent = '';
    root.appendChild(el('div', 'height:14px;width:120px;background:' + accent + ';border-radius:7px'));
    root.appendChild(el('h1', 'font-size:56px;font-weight:700;margin:16px 0 4px', brand.name));
    root.appendChild(el('p', 'font-size:20px;margin:0 0 28px;opacity:.8', brand.tagline || ''));
    if (tab === 'tools') {
      root.appendChild(list('Tools', [{ name: 'Compare' }, { name: 'Bates' }, { name: 'Redact' }], ''));
      return;
    }
    var columns = el('div', 'display:flex;gap:24px');
    columns.appendChild(list('Recent', window.IKW_RECENTS || [], 'Open a document with ' + (window.IKW_ACCEL_OPEN || '')));
    columns.appendChild(list('Pinned', window.IKW_PINS || [], 'No pinned folders'));
    root.appendChild(columns);
    if (window.IKW_NOTE) root.appendChild(el('p', 'margin-top:20px', window.IKW_NOTE));
  }
  window.InkwardenWelcome = { _setTab: function (name) { tab = name; draw(); } };
  draw();
  document.body.appendChild(root);
})();
