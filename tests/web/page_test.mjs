// The real page in headless Chromium, played as a player plays it: the
// prompt blinks, a real press starts a game and the counter line appears,
// figures seen on the board are struck until a result picture covers the
// canvas, a click on it brings the prompt back. Along the way: the start,
// hit and end sounds at their moments, the game going on in a hidden tab,
// and the tick period and press-to-screen times.
//   node page_test.mjs PAGE_FOLDER ASSETS_FOLDER [SCREENSHOT_FOLDER]
// Exit code 0 when every check holds; the figures are printed either way.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { serve } from './serve.mjs';
import { launch, until } from './browser.mjs';

const [pageDir, assetsDir, shotDir] = process.argv.slice(2);
if (!pageDir || !assetsDir) {
  console.error('usage: node page_test.mjs PAGE_FOLDER ASSETS_FOLDER [SCREENSHOT_FOLDER]');
  process.exit(2);
}
const clipBytes = (name) => fs.statSync(path.join(assetsDir, name)).size;
const clips = {
  start: clipBytes('WaveStart.wav'),
  hit: clipBytes('WaveBucha.wav'),
  dent: clipBytes('WaveBofu.wav'),
  end: clipBytes('WaveEnd.wav'),
};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];
const percentile = (a, p) => [...a].sort((x, y) => x - y)[Math.min(a.length - 1, Math.floor(a.length * p))];
let failures = 0;
function check(name, fn) {
  try {
    fn();
    console.log(`ok    ${name}`);
  } catch (e) {
    ++failures;
    console.log(`FAIL  ${name}\n      ${e.message.split('\n').join('\n      ')}`);
  }
}

// What the page shows, read from the canvas: for each of the 24 board cells
// (64 x 64) the number of lit pixels among every fourth, the lit share of
// the whole canvas, the counter line's and the prompt's lit pixels and a
// fingerprint of the prompt.
function look() {
  const c = document.getElementById('screen');
  const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  const lit = (x, y) => {
    const i = (y * c.width + x) * 4;
    return d[i] > 8 || d[i + 1] > 8 || d[i + 2] > 8;
  };
  const cells = [];
  for (let cy = 0; cy < 4; ++cy)
    for (let cx = 0; cx < 6; ++cx) {
      let n = 0;
      for (let y = cy * 64; y < cy * 64 + 64; y += 4)
        for (let x = cx * 64; x < cx * 64 + 64; x += 4) n += lit(x, y);
      cells.push(n);
    }
  let all = 0, samples = 0;
  for (let y = 0; y < c.height; y += 8)
    for (let x = 0; x < c.width; x += 8, ++samples) all += lit(x, y);
  let counter = 0;
  for (let y = 256; y < 280; ++y) for (let x = 136; x < 248; ++x) counter += lit(x, y);
  let prompt = 0, print = 0;
  for (let y = 200; y < 240; ++y)
    for (let x = 92; x < 292; ++x) {
      const i = (y * c.width + x) * 4;
      prompt += lit(x, y);
      print = (print * 31 + d[i] + d[i + 1] * 7 + d[i + 2] * 13) >>> 0;
    }
  const r = c.getBoundingClientRect();
  return { cells, cover: all / samples, counter, prompt, print, left: r.left, top: r.top,
           ended: document.body.dataset.exitCode || null };
}

function stats() {
  const s = Module.skrundle;
  const n = Math.min(s.presentCount, s.presentCapacity), presents = [];
  for (let k = s.presentCount - n; k < s.presentCount; ++k) {
    const i = (k % s.presentCapacity) * 5;
    presents.push(Array.from(s.presents.subarray(i, i + 5)));
  }
  return { presents, presses: s.presses, sounds: s.sounds, pressToScreen: s.pressToScreen,
           dialogs: s.dialogs, hidden: document.hidden, now: performance.now() };
}

// The tick as the screen shows it: starting at the first present, the
// present nearest each next 90 ms step (within 40 ms of it), for as long as
// there is one.
function tickChain(presents, from, to) {
  const times = presents.map((p) => p[0]).filter((t) => t >= from && t <= to);
  if (!times.length) return [];
  const chain = [times[0]];
  for (;;) {
    const want = chain[chain.length - 1] + 90;
    let best = -1;
    for (const t of times) if (Math.abs(t - want) <= 40 && (best < 0 || Math.abs(t - want) < Math.abs(best - want))) best = t;
    if (best < 0) break;
    chain.push(best);
  }
  return chain;
}

const server = await serve(pageDir);
const browser = await launch({ width: 800, height: 600 });
const url = `http://127.0.0.1:${server.port}/`;
const figures = {};
try {
  await browser.navigate(url);
  await until('the program to start', () => browser.script(() => !!(window.Module && Module.skrundle)), 20000);
  let v = await browser.script(look);
  const at = (x, y) => [v.left + x, v.top + y];
  const title = await browser.script(() => document.title);
  check('the page title is the caption', () => assert.match(title, /Skrundle/));

  // The prompt blinks before the first game.
  const prints = new Set();
  for (let i = 0; i < 14; ++i) {  // a while: the blink's period is measured too
    prints.add((await browser.script(look)).print);
    await sleep(120);
  }
  check('the prompt blinks (its pixels change)', () => assert.ok(prints.size >= 2, `${prints.size} prompt images`));
  v = await browser.script(look);
  check('no counter line before the first game', () => assert.equal(v.counter, 0));

  // A real press (of the right button: any button will do) starts a game;
  // the counter line appears, and the browser shows no context menu.
  await browser.script(() => window.addEventListener('contextmenu', (e) => {
    window.skrundleMenu = e.defaultPrevented ? 'prevented' : 'shown';
  }));
  await browser.click(...at(192, 144), 2);
  v = await until('the counter line', async () => {
    const s = await browser.script(look);
    return s.counter > 0 ? s : null;
  }, 3000);
  check('a press on the canvas starts a game and the counter line appears', () => assert.ok(v.counter > 0));
  const menu = await browser.script(() => window.skrundleMenu || 'no event');
  check('the right button opens no context menu on the canvas', () => assert.equal(menu, 'prevented'));

  // Play: strike every cell that shows something, until a result picture
  // covers the canvas.
  const end = Date.now() + 240000;
  let hidTab = false, midShot = false, presses = 1, rounds = 0;
  const hidden = {};
  for (;;) {
    v = await browser.script(look);
    if (v.cover > 0.9) break;
    assert.ok(Date.now() < end, 'no result picture after four minutes of play');
    assert.ok(!v.ended, `the program ended (exit code ${v.ended})`);
    const steps = [];
    v.cells.forEach((n, i) => {
      if (n < 8) return;
      steps.push({ move: at((i % 6) * 64 + 32, Math.floor(i / 6) * 64 + 32) }, { down: 0 }, { up: 0 });
      ++presses;
    });
    if (steps.length) await browser.mouse(steps);
    ++rounds;
    if (!midShot && rounds > 200 && v.cells.filter((n) => n >= 8).length >= 2 && shotDir) {
      fs.mkdirSync(shotDir, { recursive: true });
      await browser.screenshot(path.join(shotDir, 'browser-game.png'));
      midShot = true;
    }
    // Once, mid-game: another tab in front hides this one for a while.
    if (!hidTab && rounds === 60) {
      hidTab = true;
      const self = await browser.handle();
      // (On the window, capturing: before the page's own listener, which
      // may repaint at once.)
      await browser.script(() => window.addEventListener('visibilitychange', () => {
        if (document.hidden) window.skrundleWasHidden = true;
        else window.skrundleShownAt = performance.now();
      }, true));
      hidden.from = (await browser.script(stats)).now;
      const other = await browser.newTab();
      await browser.switchTo(other);
      await sleep(1500);
      await browser.closeTab();
      await browser.switchTo(self);
      const s = await browser.script(stats);
      hidden.to = s.now;
      hidden.wasHidden = await browser.script(() => window.skrundleWasHidden === true);
      hidden.presents = s.presents.filter((p) => p[0] > hidden.from && p[0] < hidden.to);
      hidden.exposed = await until('the expose after the tab comes back', async () => {
        const t = await browser.script(stats);
        const shown = await browser.script(() => window.skrundleShownAt);
        return shown !== undefined &&
               t.presents.some((p) => p[0] >= shown && p[0] < shown + 500 && p[1] === 0 && p[2] === 0 && p[3] >= 384 && p[4] >= 288);
      }, 3000).catch(() => false);
    }
  }
  if (shotDir) {
    fs.mkdirSync(shotDir, { recursive: true });
    await browser.screenshot(path.join(shotDir, 'browser-result.png'));
  }
  check('a result picture covers the canvas at the end of the game', () => assert.ok(v.cover > 0.9, `cover ${v.cover}`));
  const played = await browser.script(stats);

  // Clicking the picture brings the prompt back, with the last game's counter.
  await browser.click(...at(192, 144));
  v = await until('the prompt after the result picture', async () => {
    const s = await browser.script(look);
    return s.cover < 0.3 && s.prompt > 0 ? s : null;
  }, 3000).catch(() => null);
  check('a click on the result picture brings the prompt back', () => assert.ok(v, 'still covered'));
  check('the last game\'s counter line stays under the prompt', () => assert.ok(v && v.counter > 0));
  const promptPrints = new Set();
  for (let i = 0; i < 12 && promptPrints.size < 2; ++i) {
    promptPrints.add((await browser.script(look)).print);
    await sleep(110);
  }
  check('the prompt blinks again', () => assert.ok(promptPrints.size >= 2));

  // Leaving the page is the close button: the program ends with exit code 0
  // and its window goes.
  await browser.script(() => window.dispatchEvent(new Event('pagehide')));
  const ended = await until('the program to end', () => browser.script(() => document.body.dataset.exitCode || null), 3000)
    .catch(() => null);
  check('leaving the page ends the program with exit code 0', () => assert.equal(ended, '0'));
  const canvasGone = await browser.script(() => getComputedStyle(document.getElementById('screen')).display === 'none');
  check('the ended program\'s canvas is gone', () => assert.ok(canvasGone));

  // Sounds at their moments.
  const sounds = played.sounds;
  const firstPress = played.presses[0];
  const start = sounds.find((s) => s.bytes === clips.start);
  const hits = sounds.filter((s) => s.bytes === clips.hit);
  const dents = sounds.filter((s) => s.bytes === clips.dent);
  const ends = sounds.filter((s) => s.bytes === clips.end);
  check('the start sound is started at the first press', () => {
    assert.ok(start, 'no start sound');
    assert.ok(start.requested >= firstPress && start.requested - firstPress < 100,
              `requested ${(start.requested - firstPress).toFixed(1)} ms after the press`);
    assert.ok(start.started >= 0 && start.started - start.requested < 300, 'not started within 300 ms');
  });
  check('every hit sound follows a press within a tick and is started', () => {
    assert.ok(hits.length > 0, 'no hit sounds');
    for (const h of hits) {
      const before = played.presses.filter((t) => t <= h.requested + 1);
      const last = before[before.length - 1];
      assert.ok(last !== undefined && h.requested - last < 200, `a hit sound ${(h.requested - last).toFixed(1)} ms after the last press`);
    }
    // A hit sound that never started was superseded while it decoded: by
    // another sound requested soon after it (decoding takes a while on a
    // loaded machine).
    const unstarted = hits.filter((h) => h.started < 0 &&
                                         !sounds.some((o) => o.requested > h.requested && o.requested - h.requested < 1000));
    assert.equal(unstarted.length, 0, `${unstarted.length} hit sounds never started`);
    const startedShare = hits.filter((h) => h.started >= 0).length / hits.length;
    assert.ok(startedShare >= 0.8, `only ${(startedShare * 100).toFixed(0)} % of the hit sounds started`);
  });
  check('the end sound comes once, 1.5 s before the result picture', () => {
    assert.equal(ends.length, 1);
    const picture = played.presents.find((p) => p[0] > ends[0].requested && p[3] - p[1] >= 384 && p[4] - p[2] >= 288);
    assert.ok(picture, 'no full present after the end sound');
    const gap = picture[0] - ends[0].requested;
    assert.ok(gap >= 1490 && gap < 1800, `picture ${gap.toFixed(1)} ms after the end sound`);
    assert.ok(ends[0].started >= 0, 'the end sound never started');
  });

  // The game goes on in a hidden tab, and the canvas is exposed again.
  check('in a hidden tab the game keeps ticking', () => {
    assert.ok(hidden.wasHidden, 'the tab was never hidden');
    assert.ok(hidden.presents && hidden.presents.length >= 10, `${hidden.presents && hidden.presents.length} presents in 1.5 s hidden`);
  });
  check('the tab shown again repaints the whole canvas', () => assert.ok(hidden.exposed));

  // The tick, from the screen: the whole game's presents between the start
  // sound and the end sound.
  const gameFrom = start ? start.requested + 1001 : 0;
  const gameTo = ends.length ? ends[0].requested - 700 : Infinity;
  const beforeHide = tickChain(played.presents, gameFrom, hidden.from || gameTo);
  const afterHide = tickChain(played.presents, (hidden.to || gameFrom) + 200, gameTo);
  const chain = beforeHide.length >= afterHide.length ? beforeHide : afterHide;
  const intervals = chain.slice(1).map((t, i) => t - chain[i]);
  figures.tickMean = intervals.length ? (chain[chain.length - 1] - chain[0]) / intervals.length : NaN;
  figures.tickP99 = intervals.length ? percentile(intervals.map((d) => Math.abs(d - 90)), 0.99) : NaN;
  figures.ticks = intervals.length;
  check('the game tick is 90 ms on average', () => {
    assert.ok(intervals.length >= 50, `only ${intervals.length} ticks followed`);
    assert.ok(Math.abs(figures.tickMean - 90) <= 2, `mean ${figures.tickMean.toFixed(2)} ms`);
    for (const d of intervals) assert.ok(d > 50 && d < 130, `a tick of ${d.toFixed(1)} ms`);
  });
  // The prompt's blink before the first game, from its presents (after the
  // first, which the program's start-up may have delayed).
  const blinks = played.presents.filter((p) => p[0] < firstPress && p[1] === 92 && p[2] === 200).map((p) => p[0]).slice(1);
  const blinkGaps = blinks.slice(1).map((t, i) => t - blinks[i]);
  figures.promptMean = blinkGaps.length ? (blinks[blinks.length - 1] - blinks[0]) / blinkGaps.length : NaN;
  check('the prompt blinks every 250 ms before the first game', () => {
    assert.ok(blinkGaps.length >= 3, `${blinkGaps.length} blinks`);
    assert.ok(Math.abs(figures.promptMean - 250) <= 3, `mean ${figures.promptMean.toFixed(2)} ms`);
  });
  const lat = played.pressToScreen;
  figures.pressMedian = median(lat);
  figures.pressP99 = percentile(lat, 0.99);
  figures.presses = lat.length;
  check('presses reach the screen', () => assert.ok(lat.length > 10));
  const errs = await browser.logs();
  const severe = errs.filter((e) => e.level === 'SEVERE' && !/favicon/.test(e.message));
  check('the page logged no errors', () => assert.equal(severe.length, 0, severe.map((e) => e.message).join('\n')));
  console.log(`figures: prompt period mean ${figures.promptMean.toFixed(2)} ms over ${blinkGaps.length}; tick mean ${figures.tickMean.toFixed(2)} ms over ${figures.ticks} ticks, ` +
              `p99 error ${figures.tickP99.toFixed(2)} ms; press to canvas median ${figures.pressMedian.toFixed(2)} ms, ` +
              `p99 ${figures.pressP99.toFixed(2)} ms over ${figures.presses} presses; ${hits.length} hit sounds, ` +
              `${dents.length} dents, ${presses} presses made`);
} catch (e) {
  ++failures;
  console.log(`FAIL  ${e.stack || e}`);
} finally {
  await browser.close();
  await server.close();
}
process.exit(failures ? 1 : 0);
