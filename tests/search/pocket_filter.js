// Runs the search engine of a pocket catalogue page outside a browser.
//   node pocket_filter.js PAGE.html QUERIES.txt [WORDS.txt]
// Prints "title\t<title>" for every title of the page in its order; for each line of
// QUERIES.txt (numbered from 0) "typed<k>\t<title>" for the titles that pass once the query
// has been typed one character at a time (after the one before was erased back to what
// they share), and
// "whole<k>\t<title>" for those that pass when it is set at once, "sliced<k>\t<title>" for
// those that pass when it is typed while the titles' words are made; for WORDS.txt
// "word\t<folded word>" for each word of its text, then "joined\t<folded word>" for each
// word of the page's faster folding of the titles, line by line.
'use strict';
const fs = require('fs');
const vm = require('vm');

const html = fs.readFileSync(process.argv[2], 'utf8');
function block(id) {
  const m = new RegExp('<script[^>]*id="' + id + '"[^>]*>([\\s\\S]*?)</script>').exec(html);
  if (!m) throw new Error('no script ' + id);
  return m[1];
}
const data = JSON.parse(block('rk-data'));
const context = {};
vm.createContext(context);
vm.runInContext(block('rk-engine') + '\nthis.RK = RK;', context);
const RK = context.RK;
const fold = RK.folder(JSON.parse(block('rk-fold')));
const words = data.titles.map((t) => fold.title(t));
const out = [];
data.titles.forEach((t) => out.push('title\t' + t[0]));

const lines = fs.readFileSync(process.argv[3], 'utf8').split('\n');
if (lines[lines.length - 1] === '') lines.pop();
// One filter for all the queries, as in the page: each query is typed after the one before
// has been erased a character at a time, back to what the two have in common.
const typed = new RK.Filter(fold, words);
let before = '';
lines.forEach((q, k) => {
  let common = 0;
  while (common < before.length && common < q.length && before[common] === q[common]) common++;
  let pass = typed.pass;
  for (let i = before.length - 1; i >= common; i--) pass = typed.set(before.slice(0, i));
  for (let i = common + 1; i <= q.length; i++) pass = typed.set(q.slice(0, i));
  before = q;
  const whole = new RK.Filter(fold, words).set(q);
  // Typed while the titles' words are still being made: each key finds more of them made,
  // and the rest are taken in at the end.
  const sliced = new RK.Filter(fold, words);
  for (let i = 1; i <= q.length; i++)
    sliced.set(q.slice(0, i), Math.floor((words.length * i) / (q.length + 2)));
  sliced.extend(Math.floor((words.length * (q.length + 1)) / (q.length + 2)));
  sliced.extend(words.length);
  data.titles.forEach((t, i) => {
    if (pass && pass[i]) out.push('typed' + k + '\t' + t[0]);
    if (whole && whole[i]) out.push('whole' + k + '\t' + t[0]);
    if (sliced.pass && sliced.pass[i]) out.push('sliced' + k + '\t' + t[0]);
  });
});
if (process.argv[4]) {
  const text = fs.readFileSync(process.argv[4], 'utf8');
  fold.words(text).forEach((w) => out.push('word\t' + w));
  for (const line of text.split('\n'))
    fold.joined(line).split(' ').slice(1).forEach((w) => out.push('joined\t' + w));
}
process.stdout.write(out.join('\n') + '\n');
