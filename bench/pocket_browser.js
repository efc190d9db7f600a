// The pocket catalogue in headless Chromium: the time a page takes to load and show its list,
// and the time of single keystrokes in its search box up to the next frame, at a phone's or a
// desktop's width; optionally a screenshot. Needs Debian's chromium (not part of the build).
//   node --experimental-websocket bench/pocket_browser.js PAGE.html [--width 390]
//        [--height 844] [--screenshot FILE.png] [--open N] [--type TEXT]
// --open N shows the detail page of the N-th title of the list; --type fills the search box
// before the screenshot. Prints one JSON line of figures (milliseconds).
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const args = process.argv.slice(2);
const page = path.resolve(args[0]);
const opt = (name, def) => {
  const i = args.indexOf('--' + name);
  return i >= 0 ? args[i + 1] : def;
};
const width = +opt('width', 390), height = +opt('height', 844);

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'rk-chromium-'));
const browser = spawn('chromium', [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--user-data-dir=' + profile, '--remote-debugging-port=0', 'about:blank'],
  { stdio: 'ignore' });

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function devtools() {
  const file = path.join(profile, 'DevToolsActivePort');
  for (let i = 0; i < 200 && !fs.existsSync(file); i++) await sleep(50);
  const port = fs.readFileSync(file, 'utf8').split('\n')[0];
  for (let i = 0; i < 100; i++) {
    const targets = await (await fetch('http://127.0.0.1:' + port + '/json/list')).json();
    const p = targets.find((t) => t.type === 'page');
    if (p) return p.webSocketDebuggerUrl;
    await sleep(50);
  }
  throw new Error('no page target');
}

async function main() {
  const ws = new WebSocket(await devtools());
  await new Promise((r) => ws.addEventListener('open', r));
  let id = 0;
  const pending = new Map(), waiters = [];
  ws.addEventListener('message', (e) => {
    const m = JSON.parse(e.data);
    if (m.id && pending.has(m.id)) {
      pending.get(m.id)(m);
      pending.delete(m.id);
    } else if (m.method) {
      for (const w of waiters.filter((w) => w.method === m.method)) w.resolve(m.params);
    }
  });
  const send = (method, params = {}) => new Promise((resolve) => {
    pending.set(++id, resolve);
    ws.send(JSON.stringify({ id, method, params }));
  });
  const event = (method) => new Promise((resolve) => waiters.push({ method, resolve }));
  const evaluate = async (expression) => {
    const r = await send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
    if (r.result.exceptionDetails) throw new Error(JSON.stringify(r.result.exceptionDetails));
    return r.result.result.value;
  };

  await send('Page.enable');
  await send('Emulation.setDeviceMetricsOverride',
             { width, height, deviceScaleFactor: 1, mobile: width < 600 });
  const loaded = event('Page.loadEventFired');
  const started = Date.now();
  await send('Page.navigate', { url: 'file://' + page });
  await loaded;
  const wall = Date.now() - started;
  const figures = JSON.parse(await evaluate(`(async () => {
    const nav = performance.getEntriesByType('navigation')[0];
    const box = document.getElementById('q'), count = document.getElementById('count');
    const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
    const key = async (text) => {
      const a = performance.now();
      box.value = text;
      box.dispatchEvent(new Event('input'));
      await frame();
      return [text, +(performance.now() - a).toFixed(1), count.textContent];
    };
    const out = { domContentLoaded: +nav.domContentLoadedEventEnd.toFixed(1),
                  load: +nav.loadEventEnd.toFixed(1), listed: count.textContent,
                  bytes: nav.decodedBodySize, title: document.title };
    out.firstKeyAtLoad = await key('s');
    await key('');
    await new Promise((r) => setTimeout(r, 2000)); // the idle folding of the titles
    out.keys = [];
    for (const t of ['s', 'st', 'sta', 'star', 'star 1', 'zzz', '']) out.keys.push(await key(t));
    return JSON.stringify(out);
  })()`));
  figures.navigateToLoadWall = wall;
  figures.width = width;

  if (opt('type')) await evaluate(`(async () => { const b = document.getElementById('q');
      b.value = ${JSON.stringify(opt('type'))}; b.dispatchEvent(new Event('input')); })()`);
  if (opt('open')) await evaluate(`(async () => {
      const rows = [...document.querySelectorAll('.row')].filter((r) => !r.hidden)
          .sort((a, b) => a.rkPos - b.rkPos);
      location.hash = new URL(rows[${+opt('open')}].href).hash;
      await new Promise((r) => setTimeout(r, 100)); })()`);
  if (opt('screenshot')) {
    await evaluate('new Promise((r) => requestAnimationFrame(() => setTimeout(r, 50)))');
    const shot = await send('Page.captureScreenshot', { format: 'png' });
    fs.writeFileSync(opt('screenshot'), Buffer.from(shot.result.data, 'base64'));
  }
  console.log(JSON.stringify(figures));
  ws.close();
}

main().catch((e) => {
  console.error(e);
  process.exitCode = 1;
}).finally(() => {
  browser.kill();
  setTimeout(() => fs.rmSync(profile, { recursive: true, force: true }), 500);
});
