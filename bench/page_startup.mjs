// The page's longest task at start-up, in a browser engine: each run a new
// browser (nothing compiled or cached yet) loads a copy of the page whose
// first script posts a message to itself again and again for 3 s; the
// longest gap between two of them is the longest task the page ran (the
// most a press made then would wait). The copy registers no worker, so
// every run loads over the network as a first visit does.
//   node bench/page_startup.mjs PAGE_FOLDER [chromium|firefox|webkit] [RUNS] [CPU_SLOWDOWN]
// CPU_SLOWDOWN (Chromium only) is DevTools' CPU throttling rate, 4 for a
// mid-range phone. Prints every run's figure and their median.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { engines, launch } from '../tests/web/browser.mjs';
import { serve } from '../tests/web/serve.mjs';

const [page, engine = 'chromium', runs = '7', slowdown = '1'] = process.argv.slice(2);
if (!page || !engines.includes(engine) || !(Number(runs) > 0)) {
  console.error(`usage: node bench/page_startup.mjs PAGE_FOLDER [${engines.join('|')}] [RUNS] [CPU_SLOWDOWN]`);
  process.exit(2);
}
const copy = fs.mkdtempSync(path.join(os.tmpdir(), 'skrundle-startup-'));
for (const f of fs.readdirSync(page)) if (f !== 'sw.js') fs.copyFileSync(path.join(page, f), path.join(copy, f));
const watch = `<script>window.skrundleLongest = [0, 0]; (function () {
  var channel = new MessageChannel(), last = performance.now(), end = last + 3000;
  channel.port1.onmessage = function () {
    var now = performance.now();
    if (now - last > skrundleLongest[0]) skrundleLongest = [now - last, last];
    last = now;
    if (now < end) channel.port2.postMessage(0);
  };
  channel.port2.postMessage(0);
})();</script>`;
const index = path.join(copy, 'index.html');
fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<head>', `<head>${watch}`)
  .replace("navigator.serviceWorker.register('sw.js')", 'Promise.reject()'));

const server = await serve(copy);
const longest = [];
try {
  for (let i = 0; i < Number(runs); ++i) {
    const browser = await launch({ engine, width: 800, height: 600 });
    try {
      if (Number(slowdown) > 1) await browser.cdp('Emulation.setCPUThrottlingRate', { rate: Number(slowdown) });
      await browser.navigate(`http://127.0.0.1:${server.port}/`);
      await new Promise((r) => setTimeout(r, 3500));
      const [ms, at] = await browser.script(() => window.skrundleLongest);
      console.log(`run ${i + 1}: ${ms.toFixed(1)} ms, from ${at.toFixed(0)} ms after the navigation's start`);
      longest.push(ms);
    } finally {
      await browser.close();
    }
  }
} finally {
  await server.close();
  fs.rmSync(copy, { recursive: true, force: true });
}
longest.sort((a, b) => a - b);
console.log(`${engine}${Number(slowdown) > 1 ? ` at ${slowdown}x slower CPU` : ''}: the longest start-up task, median ` +
            `${longest[Math.floor(longest.length / 2)].toFixed(1)} ms of ${longest.length} first visits ` +
            `(${longest[0].toFixed(1)}–${longest[longest.length - 1].toFixed(1)} ms)`);
