// The fixed parts of the pocket catalogue's page: its style, its markup, the search engine
// script (folding, the search language, matching; no page access, so that tests run it on
// its own) and the script of the page (list, filter, sort, detail). pocket.cpp puts the
// titles and the folding table between them.
//
// The list draws only the rows in sight, so that a hundred thousand titles scroll and
// filter without delay; the folded words of the titles are made in slices of a few
// milliseconds after the page shows, and a search typed before they are all made shows the
// titles folded so far and takes in the others slice by slice. Titles reach the screen
// through textContent only.
namespace rk::search {

extern const char* const kPocketPageHead;
extern const char* const kPocketPageBody;
extern const char* const kPocketEngineScript;
extern const char* const kPocketUiScript;

const char* const kPocketPageHead = R"RK(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src 'self'; script-src 'unsafe-inline'; style-src 'unsafe-inline'">
<meta name="generator" content="Reelkeeper">
<style>
:root { --ink: #1d232b; --muted: #5c6673; --line: #dde2e8; --accent: #8a2432; --paper: #fff;
        --band: #26303c; --pick: #f4e6e8; font-family: system-ui, -apple-system, "Segoe UI",
        Roboto, "DejaVu Sans", sans-serif; color: var(--ink); background: var(--paper); }
* { box-sizing: border-box; }
html, body { margin: 0; height: 100%; }
body { display: flex; flex-direction: column; height: 100vh; height: 100dvh; }
header { background: var(--band); color: #fff; padding: 10px 12px 6px; flex: none; }
h1 { font-size: 1.15rem; margin: 0 0 8px; font-weight: 600; unicode-bidi: isolate;
     white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }
.tools { display: flex; gap: 8px; }
#q { flex: 1; min-width: 0; font-size: 16px; padding: 8px 10px; border: 0; border-radius: 6px; }
#sort { font-size: 15px; padding: 6px; border: 0; border-radius: 6px; }
#count { margin: 6px 0 0; font-size: 0.85rem; color: #c9d1da; }
main { flex: 1; min-height: 0; display: flex; }
#list { flex: 1; overflow-y: auto; position: relative; -webkit-overflow-scrolling: touch; }
#spacer { position: relative; }
.row { position: absolute; left: 0; right: 0; top: 0; height: 58px; padding: 8px 12px;
       border-bottom: 1px solid var(--line); color: inherit; text-decoration: none;
       display: block; overflow: hidden; }
.row[hidden] { display: none; }
.row:hover, .row:focus { background: #f3f5f8; outline: none; }
.row.current { background: var(--pick); }
.row.pic { padding-left: 56px; }
.row img.c { position: absolute; left: 10px; top: 5px; width: 36px; height: 48px;
             object-fit: cover; }
#detail img.cover { display: block; max-width: 60%; max-height: 240px; margin: 0 0 12px; }
.row .t { font-weight: 600; white-space: nowrap; overflow: hidden; text-overflow: ellipsis;
          unicode-bidi: plaintext; }
.row .s { font-size: 0.85rem; color: var(--muted); white-space: nowrap; overflow: hidden;
          text-overflow: ellipsis; margin-top: 3px; unicode-bidi: plaintext; }
#detail { display: none; position: fixed; inset: 0; background: var(--paper); overflow-y: auto;
          padding: 12px 16px 24px; z-index: 2; }
body.open #detail { display: block; }
#detail h2 { font-size: 1.3rem; margin: 8px 0 12px; unicode-bidi: plaintext; }
#detail dl { display: grid; grid-template-columns: max-content 1fr; gap: 6px 14px; margin: 0; }
#detail dt { color: var(--muted); }
#detail dd { margin: 0; unicode-bidi: plaintext; overflow-wrap: anywhere; }
#detail .summary { line-height: 1.45; margin-top: 14px; unicode-bidi: plaintext;
                   white-space: pre-wrap; }
#detail .hint { color: var(--muted); }
.back { font-size: 1rem; border: 1px solid var(--line); background: #f3f5f8; border-radius: 6px;
        padding: 6px 12px; color: inherit; }
#foot { flex: none; margin: 0; padding: 4px 12px; font-size: 0.75rem; color: var(--muted);
        border-top: 1px solid var(--line); }
@media (min-width: 760px) {
  #list { flex: 0 0 46%; border-right: 1px solid var(--line); }
  #detail { display: block; position: static; flex: 1; padding: 16px 24px; }
  .back { display: none; }
}
</style>
)RK";

const char* const kPocketPageBody = R"RK(<div class="tools">
<input id="q" type="search" placeholder="Search" autocomplete="off" autocapitalize="off"
 spellcheck="false" aria-label="Search the titles">
<select id="sort" aria-label="Sort by">
<option value="0">Title</option><option value="1">Year</option><option value="2">Category</option>
</select>
</div>
<p id="count" aria-live="polite"></p>
</header>
<main>
<div id="list" role="list"><div id="spacer"></div></div>
<article id="detail"><p class="hint">Pick a title to see all it holds.</p></article>
</main>
<noscript><p>This catalogue needs JavaScript to show its titles.</p></noscript>
)RK";

const char* const kPocketEngineScript = R"RK(
var RK = (function () {
  'use strict';
  var MAX_WORD = 255, MAX_QUERY = 255;

  // The tokenizer: a character that the folding table names is part of a word and stands
  // for its folded spelling; every other character separates words.
  function folder(table) {
    var low = [], high = Object.create(null);
    for (var c = 0; c < 256; c++) low.push(null);
    Object.keys(table).forEach(function (ch) {
      var code = ch.charCodeAt(0);
      if (code < 256) low[code] = table[ch]; else high[code] = table[ch];
    });
    function words(text) {
      var out = [], w = '', inWord = false;
      for (var i = 0; i < text.length; i++) {
        var code = text.charCodeAt(i);
        var f = code < 256 ? low[code] : high[code];
        if (f == null) {
          if (inWord) out.push(w.length > MAX_WORD ? w.slice(0, MAX_WORD) : w);
          w = '';
          inWord = false;
          continue;
        }
        inWord = true;
        if (w.length < MAX_WORD) w += f;
      }
      if (inWord) out.push(w.length > MAX_WORD ? w.slice(0, MAX_WORD) : w);
      return out;
    }
    // The words of a text, each after one space: ' star wars'. Joined from the list, so
    // that the browser holds it as one flat string, which searches fast.
    function joined(text) {
      var w = words(text);
      return w.length ? ' ' + w.join(' ') : '';
    }
    // What the filter searches in a title: the words of all its fields.
    function title(fields) { return joined(fields.join('\u001f')); }
    return { words: words, joined: joined, title: title };
  }

  function isBlank(ch) {
    return ch === ' ' || ch === '\t' || ch === '\r' || ch === '\n' || ch === '\v' ||
        ch === '\f' || ch === '\u00a0';
  }

  // The search language: words (each matches the words that begin with it), "phrases",
  // OR between two terms, a leading minus to leave a term out.
  function parse(text, fold) {
    text = text.slice(0, MAX_QUERY);
    var zero = text.indexOf('\u0000');
    if (zero >= 0) text = text.slice(0, zero);
    var items = [], i = 0, n = text.length, start;
    while (i < n) {
      while (i < n && isBlank(text[i])) i++;
      if (i >= n) break;
      var item = { or: false, excluded: false, words: null }, part, quoted = false;
      while (i < n && text[i] === '-') { item.excluded = true; i++; }
      if (i < n && text[i] === '"') {
        quoted = true;
        start = ++i;
        while (i < n && text[i] !== '"') i++;
        part = text.slice(start, i);
        if (i < n) i++;
      } else {
        start = i;
        while (i < n && !isBlank(text[i]) && text[i] !== '"') i++;
        part = text.slice(start, i);
      }
      if (!quoted && !item.excluded && part === 'OR') {
        item.or = true;
      } else {
        item.words = fold.words(part);
        if (!item.words.length) continue;
      }
      items.push(item);
    }
    var q = { groups: [], excluded: [] }, sawOr = false, orPending = false, prev = null;
    items.forEach(function (it) {
      if (it.or) {
        sawOr = true;
        if (!prev || !prev.or) orPending = !!prev && !prev.excluded;
      } else if (it.excluded) {
        q.excluded.push(it.words);
        orPending = false;
      } else if (orPending) {
        q.groups[q.groups.length - 1].push(it.words);
        orPending = false;
      } else {
        q.groups.push([it.words]);
      }
      prev = it;
    });
    if (!q.groups.length && !q.excluded.length && sawOr) q.groups.push([['or']]);
    return q;
  }

  function isEmpty(q) { return !q.groups.length && !q.excluded.length; }

  function escapeRe(s) { return s.replace(/[\\^$.*+?()[\]{}|\/-]/g, '\\$&'); }

  // A test of one term against a title's joined words.
  function termTest(words) {
    if (words.length === 1) {
      var needle = ' ' + words[0];
      return function (s) { return s.indexOf(needle) !== -1; };
    }
    var re = new RegExp(' ' + words.map(escapeRe).join('[^ ]* '));
    return function (s) { return re.test(s); };
  }

  // A function that tells whether joined words satisfy the query; null for a query
  // without terms.
  function matcher(q) {
    if (isEmpty(q)) return null;
    var groups = q.groups.map(function (g) { return g.map(termTest); });
    var excluded = q.excluded.map(termTest);
    return function (s) {
      for (var g = 0; g < groups.length; g++) {
        var any = false;
        for (var t = 0; t < groups[g].length && !any; t++) any = groups[g][t](s);
        if (!any) return false;
      }
      for (var x = 0; x < excluded.length; x++) if (excluded[x](s)) return false;
      return true;
    };
  }

  // Whether what `after` matches lies within what `before` matched: typing on at the end
  // of plain words only ever narrows.
  function narrows(before, after) {
    if (!before || after.lastIndexOf(before, 0) !== 0) return false;
    if (/["\-]/.test(after)) return false;
    return !/(^|[ \t\r\n\v\f\u00a0])OR($|[ \t\r\n\v\f\u00a0])/.test(after);
  }

  // The titles that pass as the user types. `words` holds each title's searched words;
  // `prepare` is called before they are read. Returns a flag per title, or null when the
  // text has no terms (every title passes). With `ready`, only the first `ready` titles'
  // words are there yet: the others are left out until extend() is told they are.
  function Filter(fold, words, prepare) {
    this.fold = fold;
    this.words = words;
    this.prepare = prepare;
    this.text = '';
    this.pass = null;
    this.test = null;
    this.upTo = 0; // the titles tested so far
  }
  Filter.prototype.set = function (text, ready) {
    var n = this.words.length;
    if (ready === undefined) {
      if (this.prepare) this.prepare();
      ready = n;
    }
    var test = matcher(parse(text, this.fold));
    if (!test) {
      this.pass = null;
    } else {
      var words = this.words, next = new Uint8Array(n), before = this.pass, i = 0;
      if (before && narrows(this.text, text)) {
        var known = Math.min(this.upTo, ready);
        for (; i < known; i++) if (before[i] && test(words[i])) next[i] = 1;
      }
      for (; i < ready; i++) if (test(words[i])) next[i] = 1;
      this.pass = next;
    }
    this.test = test;
    this.upTo = ready;
    this.text = text;
    return this.pass;
  };
  // The words of the titles up to `ready` are there now: they are tested too. True when
  // some of them pass.
  Filter.prototype.extend = function (ready) {
    var any = false;
    if (this.test) {
      for (var i = this.upTo; i < ready; i++) {
        if (this.test(this.words[i])) {
          this.pass[i] = 1;
          any = true;
        }
      }
    }
    this.upTo = Math.max(this.upTo, ready);
    return any;
  };

  return { folder: folder, parse: parse, isEmpty: isEmpty, matcher: matcher, narrows: narrows,
           Filter: Filter };
})();
)RK";

const char* const kPocketUiScript = R"RK(
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('rk-data').textContent);
  var fold = RK.folder(JSON.parse(document.getElementById('rk-fold').textContent));
  var T = data.titles, C = data.captions, n = T.length, P = data.covers || null;
  var TITLE = 0, YEAR = 1, CATEGORY = 2, FORMAT = 3, DIRECTOR = 4, SUMMARY = C.length - 1;
  var ROW = 58;
  var list = document.getElementById('list'), spacer = document.getElementById('spacer');
  var box = document.getElementById('q'), sortBox = document.getElementById('sort');
  var countLine = document.getElementById('count'), detail = document.getElementById('detail');

  // The folded words of every title's fields.
  var words = new Array(n), folded = 0;
  function foldUpTo(k) {
    for (; folded < k; folded++) words[folded] = fold.title(T[folded]);
  }
  // A slice of about 8 ms at a time, so that a key typed meanwhile waits no longer; the
  // filter in force takes in the titles of each slice.
  function foldLater() {
    var start = Date.now();
    while (folded < n && Date.now() - start < 8) foldUpTo(Math.min(n, folded + 200));
    if (titleFilter.extend(folded)) {
      pass = titleFilter.pass;
      arrange();
    }
    if (folded < n) setTimeout(foldLater, 0);
  }

  // Title order is the order of the data; the others are made when first asked for.
  var orders = [];
  function order(k) {
    if (orders[k]) return orders[k];
    var idx = new Array(n), i;
    for (i = 0; i < n; i++) idx[i] = i;
    if (k > 0) {
      var f = k === 1 ? YEAR : CATEGORY, key = new Array(n);
      for (i = 0; i < n; i++) key[i] = T[i][f].toUpperCase();
      idx.sort(function (a, b) {
        var x = key[a], y = key[b];
        if (x === y) return a - b;
        if (!x) return 1;
        if (!y) return -1;
        return x < y ? -1 : 1;
      });
    }
    return (orders[k] = idx);
  }

  var shown = [], pass = null, current = -1;
  var titleFilter = new RK.Filter(fold, words);

  // The titles folded so far are filtered at once; the rest as their slices are folded.
  function filter() {
    pass = titleFilter.set(box.value, folded);
    arrange();
  }

  function arrange() {
    var o = order(+sortBox.value);
    if (!pass) {
      shown = o;
    } else {
      shown = [];
      for (var i = 0; i < o.length; i++) if (pass[o[i]]) shown.push(o[i]);
    }
    var total = n.toLocaleString();
    countLine.textContent = shown.length === n ? total + (n === 1 ? ' title' : ' titles')
        : shown.length.toLocaleString() + ' of ' + total + ' titles';
    spacer.style.height = shown.length * ROW + 'px';
    list.scrollTop = 0;
    draw();
  }

  var pool = [];
  function makeRow() {
    var a = document.createElement('a');
    a.className = 'row';
    a.setAttribute('role', 'listitem');
    var t = document.createElement('div'), s = document.createElement('div');
    t.className = 't';
    s.className = 's';
    a.appendChild(t);
    a.appendChild(s);
    spacer.appendChild(a);
    return a;
  }
  function fill(a, i, pos) {
    if (a.rkIndex !== i) {
      var t = T[i];
      a.rkIndex = i;
      a.href = '#t' + i;
      a.firstChild.textContent = t[TITLE] || '(no title)';
      a.children[1].textContent = [t[YEAR], t[CATEGORY], t[FORMAT], t[DIRECTOR]]
          .filter(Boolean).join(' \u00b7 ');
      if (P) {
        // Only the rows in view ask for their picture.
        var img = a.children[2];
        if (P[i]) {
          if (!img) { img = document.createElement('img'); img.className = 'c'; img.alt = ''; a.appendChild(img); }
          img.src = P[i];
          img.hidden = false;
        } else if (img) {
          img.hidden = true;
          img.removeAttribute('src');
        }
        a.classList.toggle('pic', !!P[i]);
      }
    }
    if (a.rkPos !== pos) {
      a.rkPos = pos;
      a.style.transform = 'translateY(' + pos * ROW + 'px)';
    }
    a.classList.toggle('current', i === current);
    a.hidden = false;
  }
  function draw() {
    var top = list.scrollTop, height = list.clientHeight || window.innerHeight;
    var first = Math.max(0, Math.floor(top / ROW) - 4);
    var last = Math.min(shown.length, Math.ceil((top + height) / ROW) + 4);
    while (pool.length < last - first) pool.push(makeRow());
    for (var k = 0; k < pool.length; k++) {
      if (first + k < last) fill(pool[k], shown[first + k], first + k);
      else pool[k].hidden = true;
    }
  }
  var drawPending = false;
  list.addEventListener('scroll', function () {
    if (drawPending) return;
    drawPending = true;
    requestAnimationFrame(function () { drawPending = false; draw(); });
  });
  window.addEventListener('resize', draw);

  function add(parent, tag, text, cls) {
    var e = document.createElement(tag);
    if (text !== undefined) e.textContent = text;
    if (cls) e.className = cls;
    e.dir = 'auto';
    parent.appendChild(e);
    return e;
  }
  function showTitle(i) {
    current = i;
    var t = T[i];
    detail.textContent = '';
    var back = add(detail, 'button', '\u2039 Back', 'back');
    back.type = 'button';
    back.addEventListener('click', function () {
      if (history.length > 1) history.back(); else location.hash = '';
    });
    add(detail, 'h2', t[TITLE] || '(no title)');
    if (P && P[i]) {
      var pic = document.createElement('img');
      pic.className = 'cover';
      pic.alt = '';
      pic.src = P[i];
      detail.appendChild(pic);
    }
    var dl = add(detail, 'dl');
    for (var f = 1; f < SUMMARY; f++) {
      if (!t[f]) continue;
      add(dl, 'dt', C[f]);
      add(dl, 'dd', t[f]);
    }
    if (t[SUMMARY]) add(detail, 'p', t[SUMMARY], 'summary');
    document.body.classList.add('open');
    detail.scrollTop = 0;
    draw();
  }
  function hideTitle() {
    current = -1;
    document.body.classList.remove('open');
    draw();
  }
  function route() {
    var m = /^#t(\d+)$/.exec(location.hash);
    if (m && +m[1] < n) showTitle(+m[1]); else hideTitle();
  }
  window.addEventListener('hashchange', route);

  box.addEventListener('input', filter);
  box.addEventListener('keydown', function (e) {
    if (e.key === 'Escape' && box.value) { box.value = ''; filter(); }
  });
  sortBox.addEventListener('change', arrange);
  arrange();
  route();
  setTimeout(foldLater, 0);
})();
)RK";

} // namespace rk::search
