// The real page in a browser engine (Chromium, Firefox or WebKit: see
// browser.mjs), played as a player plays it: the prompt blinks, a real
// press starts a game and the counter line appears, figures seen on the
// board are struck until a result picture covers the canvas, a click on it
// brings the prompt back. Along the way: the start, hit and end sounds at
// their moments, each started the moment it is asked for and none dropped,
// the game going on in a hidden page, and the tick period and
// press-to-screen times. The counter line and the result picture are read
// from the canvas against the assets' glyphs and pictures. With --phone,
// the page on a touch phone instead (playByTouch).
//   node page_test.mjs PAGE_FOLDER ASSETS_FOLDER [SCREENSHOT_FOLDER] [--phone] [--engine chromium|firefox|webkit]
// Exit code 0 when every check holds; the figures are printed either way.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { serve } from './serve.mjs';
import { engines, launch, until } from './browser.mjs';

const args = process.argv.slice(2);
const engineAt = args.indexOf('--engine');
const engine = engineAt >= 0 ? args.splice(engineAt, 2)[1] : 'chromium';
const phone = args.includes('--phone');
const [pageDir, assetsDir, shotDir] = args.filter((a) => a !== '--phone');
if (!pageDir || !assetsDir || !engines.includes(engine)) {
  console.error(`usage: node page_test.mjs PAGE_FOLDER ASSETS_FOLDER [SCREENSHOT_FOLDER] [--phone] [--engine ${engines.join('|')}]`);
  process.exit(2);
}
// Screenshots are named by the engine, Chromium's as they always were.
const shotName = (name) => path.join(shotDir, engine === 'chromium' ? name : name.replace(/^(browser|web)-/, `$1-${engine}-`));
const clipBytes = (name) => fs.statSync(path.join(assetsDir, name)).size;
const clips = {
  start: clipBytes('WaveStart.wav'),
  hit: clipBytes('WaveBucha.wav'),
  dent: clipBytes('WaveBofu.wav'),
  end: clipBytes('WaveEnd.wav'),
};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const median = (a) => (a.length ? [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)] : NaN);
const percentile = (a, p) => (a.length ? [...a].sort((x, y) => x - y)[Math.min(a.length - 1, Math.floor(a.length * p))] : NaN);
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

// The counter's glyphs and the result pictures as the browser decodes the
// assets: the strip's 11 frames (0-9, the slash; 16 pixels wide) as lit
// masks against its key colour (its bottom-left pixel), and each picture's
// top-left 384 x 288 pixels, the part the game shows. Kept in the page for
// look() and picture().
async function prepare(strip, pictures) {
  const decode = (src) => new Promise((resolve, reject) => {
    const img = new Image();
    img.onload = () => resolve(img);
    img.onerror = () => reject(new Error('an asset does not decode'));
    img.src = src;
  });
  const pixels = (img, w, h) => {
    const c = document.createElement('canvas');
    c.width = w;
    c.height = h;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    return g.getImageData(0, 0, w, h).data;
  };
  const s = await decode(strip);
  const d = pixels(s, s.width, s.height), key = (s.height - 1) * s.width * 4;
  const digits = [];
  for (let f = 0; f < 11; ++f) {
    const mask = [];
    for (let y = 0; y < s.height; ++y)
      for (let x = 0; x < 16; ++x) {
        const i = (y * s.width + f * 16 + x) * 4;
        mask.push(d[i] !== d[key] || d[i + 1] !== d[key + 1] || d[i + 2] !== d[key + 2]);
      }
    digits.push(mask);
  }
  const shown = [];
  for (const p of pictures) shown.push(pixels(await decode(p), 384, 288));
  window.skrundleRefs = { height: s.height, digits, pictures: shown };
  return [s.width, s.height];
}

// The mean difference per channel (0-255) of the canvas's top-left
// 384 x 288 pixels, every fourth, from each result picture.
function picture() {
  const d = document.getElementById('screen').getContext('2d').getImageData(0, 0, 384, 288).data;
  return window.skrundleRefs.pictures.map((p) => {
    let diff = 0, n = 0;
    for (let y = 0; y < 288; y += 4)
      for (let x = 0; x < 384; x += 4, n += 3) {
        const i = (y * 384 + x) * 4;
        diff += Math.abs(d[i] - p[i]) + Math.abs(d[i + 1] - p[i + 1]) + Math.abs(d[i + 2] - p[i + 2]);
      }
    return diff / n;
  });
}

// What the page shows, read from the canvas: for each of the 24 board cells
// (64 x 64) the number of lit pixels among every fourth, the lit share of
// the whole canvas, the counter line's and the prompt's lit pixels, a
// fingerprint of the prompt and, once prepare() has run, the counter line
// read as {hits, figures} (null when it does not read as one), with the
// page time of the reading.
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
  // Each of the 7 glyphs is the frame whose mask differs from it in the
  // fewest pixels: "hhh/fff", blank glyphs and misplaced slashes read as none.
  let read = null;
  const refs = window.skrundleRefs;
  if (refs) {
    const g = [];
    for (let k = 0; k < 7; ++k) {
      const on = [];
      for (let y = 0; y < refs.height; ++y) for (let x = 0; x < 16; ++x) on.push(lit(136 + 16 * k + x, 256 + y));
      let best = -1, bestMiss = Infinity;
      refs.digits.forEach((mask, f) => {
        let miss = 0;
        for (let i = 0; i < on.length; ++i) miss += on[i] !== mask[i];
        if (miss < bestMiss) bestMiss = miss, best = f;
      });
      g.push(on.includes(true) ? best : -1);
    }
    if (g[3] === 10 && [0, 1, 2, 4, 5, 6].every((k) => g[k] >= 0 && g[k] <= 9))
      read = { hits: g[0] * 100 + g[1] * 10 + g[2], figures: g[4] * 100 + g[5] * 10 + g[6] };
  }
  const r = c.getBoundingClientRect(), e = document.documentElement;
  const fit = { vw: innerWidth, vh: innerHeight, ratio: devicePixelRatio, h: r.height, scroll: [e.scrollWidth, e.scrollHeight],
                pixelated: getComputedStyle(c).imageRendering === 'pixelated' };
  return { cells, cover: all / samples, counter, prompt, print, left: r.left, top: r.top, scale: r.width / c.width, fit,
           ended: document.body.dataset.exitCode || null, read, now: performance.now() };
}

function stats() {
  const s = Module.skrundle;
  const n = Math.min(s.presentCount, s.presentCapacity), presents = [];
  for (let k = s.presentCount - n; k < s.presentCount; ++k) {
    const i = (k % s.presentCapacity) * 5;
    presents.push(Array.from(s.presents.subarray(i, i + 5)));
  }
  return { presents, presses: s.presses, sounds: s.sounds, pressToScreen: s.pressToScreen, pressToFrame: s.pressToFrame,
           dialogs: s.dialogs, hidden: document.hidden, now: performance.now(), startup: s.startup,
           audio: s.audio && { state: s.audio.state, time: s.audio.currentTime } };
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

// What is wrong with where look() saw the canvas, or null: the page must
// not scroll, and the canvas, centred, must be the largest whole number of
// device pixels per canvas pixel that fits or, where that fills less than
// 85 % of the limiting side, as large as fits, never smoothed.
function misfit(v) {
  const f = v.fit, room = [f.vw * f.ratio, f.vh * f.ratio], k = v.scale * f.ratio, at = [v.left * f.ratio, v.top * f.ratio];
  const most = Math.min(room[0] / 385, room[1] / 289), want = Math.floor(most) >= 0.85 * most ? Math.floor(most) : most;
  if (f.scroll[0] > f.vw || f.scroll[1] > f.vh) return `the page scrolls: ${f.scroll} in ${f.vw} x ${f.vh}`;
  if (Math.abs(k - want) * 385 > 1 || Math.abs(f.h * f.ratio / 289 - k) > 0.01) return `${k} device pixels per canvas pixel, not ${want}`;
  if ([385, 289].some((n, i) => Math.abs(room[i] - n * k - 2 * at[i]) > 2)) return `not centred: at ${at} in ${room}`;
  return f.pixelated ? null : 'smoothed';
}
// Viewport coordinates of the middle of canvas pixel (x, y) as look() saw
// it; the board cells it saw something in, and presses on their middles.
const spot = (v, x, y) => [v.left + (x + 0.5) * v.scale, v.top + (y + 0.5) * v.scale];
const upCells = (v) => v.cells.flatMap((n, i) => (n >= 8 ? [i] : []));
const taps = (v, cells) => cells.flatMap((i) => [{ move: spot(v, (i % 6) * 64 + 32, Math.floor(i / 6) * 64 + 32) }, { down: 0 }, { up: 0 }]);
// The number of prompt images in `count` looks `everyMs` apart (stopping at `enough`).
async function promptImages(count, everyMs, enough = Infinity) {
  const prints = new Set();
  for (let i = 0; i < count && prints.size < enough; ++i, await sleep(everyMs)) prints.add((await browser.script(look)).print);
  return prints.size;
}

const server = await serve(pageDir);
const browser = await launch(phone ? { engine, phone: { width: 360, height: 780, ratio: 3 } } : { engine, width: 800, height: 760 });  // (2x fits)
const url = `http://127.0.0.1:${server.port}/?stats`;  // (the page keeps what it did for the tests)
const figures = {};
const pictureNames = ['Iperfect', 'Inobody', 'Iwhy', 'Iwinner', 'Igoback'];
const dataUrl = (name, type) => `data:${type};base64,${fs.readFileSync(path.join(assetsDir, name)).toString('base64')}`;
const startPage = () => until('the program to start', () => browser.script(() => !!(window.Module && Module.skrundle)), 20000);
const prepareReading = () => browser.script(prepare, dataUrl('BitmapNumber.bmp', 'image/bmp'),
                                            pictureNames.map((n) => dataUrl(`${n}.jpg`, 'image/jpeg')));
async function playWholeGame() {
  await browser.navigate(url);
  await startPage();
  let v = await browser.script(look);
  const title = await browser.script(() => document.title);
  check('the page title is the caption', () => assert.match(title, /Skrundle/));
  check('the canvas is shown in the window by the fitting rule', () => assert.equal(misfit(v), null));

  // The prompt blinks before the first game.
  const prints = await promptImages(14, 120);  // a while: the blink's period is measured too
  check('the prompt blinks (its pixels change)', () => assert.ok(prints >= 2, `${prints} prompt images`));
  // The start-up, from the navigation's start (performance.now()'s origin):
  // the program's first present and the prompt's first.
  const early = (await browser.script(stats)).presents;
  figures.firstPresent = early.length ? early[0][0] : NaN;
  const firstPrompt = early.find((p) => p[1] === 92 && p[2] === 200);
  figures.firstPrompt = firstPrompt ? firstPrompt[0] : NaN;
  check('the page starts: a first present, then the prompt, within 20 s', () => {
    assert.ok(figures.firstPresent > 0 && figures.firstPresent <= figures.firstPrompt && figures.firstPrompt < 20000,
              `first present at ${figures.firstPresent} ms, prompt at ${figures.firstPrompt} ms`);
  });
  const strip = await prepareReading();
  check('the digit strip holds 11 frames of 16 pixels', () => assert.ok(strip[0] >= 176 && strip[1] > 0 && strip[1] <= 33, `${strip}`));
  v = await browser.script(look);
  check('no counter line before the first game', () => assert.equal(v.counter, 0));

  // A real press (of the right button: any button will do) starts a game;
  // the counter line appears, and the browser shows no context menu.
  await browser.script(() => window.addEventListener('contextmenu', (e) => {
    window.skrundleMenu = e.defaultPrevented ? 'prevented' : 'shown';
  }));
  await browser.click(...spot(v, 192, 144), 2);
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
  const hidden = {}, reads = [];
  for (;;) {
    v = await browser.script(look);
    if (v.cover > 0.9) break;
    reads.push({ t: v.now, ...v.read });
    assert.ok(Date.now() < end, 'no result picture after four minutes of play');
    assert.ok(!v.ended, `the program ended (exit code ${v.ended})`);
    const up = upCells(v);
    presses += up.length;
    if (up.length) await browser.mouse(taps(v, up));
    ++rounds;
    if (!midShot && rounds > 200 && up.length >= 2 && shotDir) {
      fs.mkdirSync(shotDir, { recursive: true });
      await browser.screenshot(shotName('browser-game.png'));
      midShot = true;
    }
    // Once, mid-game: the page is hidden for a while (another tab in
    // front, or its window minimised).
    if (!hidTab && rounds === 60) {
      hidTab = true;
      // (On the window, capturing: before the page's own listener, which
      // may repaint at once.)
      await browser.script(() => window.addEventListener('visibilitychange', () => {
        if (document.hidden) window.skrundleWasHidden = true;
        else window.skrundleShownAt = performance.now();
      }, true));
      hidden.from = (await browser.script(stats)).now;
      await browser.hide();
      await sleep(1500);
      await browser.show();
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
    await browser.screenshot(shotName('browser-result.png'));
  }
  check('a result picture covers the canvas at the end of the game', () => assert.ok(v.cover > 0.9, `cover ${v.cover}`));
  const played = await browser.script(stats);
  const diffs = await browser.script(picture);
  const nearest = diffs.indexOf(Math.min(...diffs));
  figures.picture = pictureNames[nearest];
  figures.pictureDiff = diffs[nearest];
  figures.pictureNext = Math.min(...diffs.filter((d, i) => i !== nearest));

  // Clicking the picture brings the prompt back, with the last game's counter.
  await browser.click(...spot(v, 192, 144));
  v = await until('the prompt after the result picture', async () => {
    const s = await browser.script(look);
    return s.cover < 0.3 && s.prompt > 0 && s.read ? s : null;
  }, 3000).catch(() => null);
  check('a click on the result picture brings the prompt back', () => assert.ok(v, 'still covered'));
  const lastRead = reads.filter((r) => r.hits !== undefined).pop();
  check('the last game\'s counter line stays under the prompt', () => {
    assert.ok(v && lastRead);
    assert.deepEqual(v.read, { hits: lastRead.hits, figures: lastRead.figures });
  });
  const again = await promptImages(12, 110, 2);
  check('the prompt blinks again', () => assert.ok(again >= 2));

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
  check('the start sound is requested at the first press', () => {
    assert.ok(start, 'no start sound');
    assert.ok(start.requested >= firstPress && start.requested - firstPress < 100,
              `requested ${(start.requested - firstPress).toFixed(1)} ms after the press`);
  });
  // Every clip starts in the turn it is asked for (none waits for a
  // decoder, none is dropped), and once the audio context runs (the first
  // press resumes it just after the start sound is started, which then
  // sounds from its beginning), every clip on a running context. (Firefox
  // takes one or two seconds to open its output, four on a busy machine.)
  const waits = sounds.filter((c) => c.started >= 0).map((c) => c.started - c.requested);
  figures.startMedian = median(waits);
  figures.startP99 = percentile(waits, 0.99);
  figures.dropped = sounds.filter((c) => c.started < 0).length;
  figures.droppedHits = hits.filter((c) => c.started < 0).length;
  const running = sounds.findIndex((c) => c.state === 'running');
  figures.runningAfter = running < 0 ? NaN : sounds[running].requested - firstPress;
  figures.unheard = running < 0 ? sounds.length : sounds.slice(running).filter((c) => c.state !== 'running').length;
  check('every clip starts the moment it is asked for: none dropped, median under 2 ms, 99th percentile under 10 ms', () => {
    assert.equal(figures.dropped, 0, `${figures.dropped} of ${sounds.length} clips never started (${figures.droppedHits} hits)`);
    assert.ok(figures.startMedian < 2 && figures.startP99 < 10,
              `request to start: median ${figures.startMedian.toFixed(2)} ms, p99 ${figures.startP99.toFixed(2)} ms`);
  });
  check('the audio context runs within 8 s of the first press, and then every clip can be heard', () => {
    assert.ok(figures.runningAfter < 8000, `the first clip on a running context ${figures.runningAfter} ms after the press`);
    assert.equal(figures.unheard, 0, `${figures.unheard} later clips started on a context that was not running: ` +
                 [...new Set(sounds.slice(running).map((c) => c.state))].join(', '));
    assert.ok(played.audio && played.audio.state === 'running' && played.audio.time > 1,
              `the context at the end: ${JSON.stringify(played.audio)}`);
  });
  check('every hit sound follows a press within a tick', () => {
    assert.ok(hits.length > 0, 'no hit sounds');
    for (const h of hits) {
      const before = played.presses.filter((t) => t <= h.requested + 1);
      const last = before[before.length - 1];
      assert.ok(last !== undefined && h.requested - last < 200, `a hit sound ${(h.requested - last).toFixed(1)} ms after the last press`);
    }
  });
  // The counter line through the game: every reading is one, hits never
  // above figures, figures never above 100, neither going back, and the
  // picture the one for the hits.
  const counted = reads.filter((r) => r.hits !== undefined);
  figures.hits = lastRead ? lastRead.hits : NaN;
  figures.figures = lastRead ? lastRead.figures : NaN;
  const show = (r) => `${r.hits}/${r.figures}`;
  // (The page shown again is exposed, and a repaint in play draws no
  // counter line: the next tick does, within 90 ms.)
  const exposing = (r) => r.t >= hidden.to - 100 && r.t < hidden.to + 300;
  check('the counter line reads hits/figures all game, neither going back, hits <= figures <= 100', () => {
    assert.ok(counted.length > 100, `${counted.length} readings`);
    const odd = reads.filter((r) => r.hits === undefined && !exposing(r)).map((r) => (r.t - reads[0].t).toFixed(0));
    assert.equal(odd.length, 0, `${odd.length} of ${reads.length} readings are no counter line, ${odd.slice(0, 5).join(', ')} ms into the game`);
    counted.forEach((r, i) => {
      const p = counted[i - 1] || { hits: 0, figures: 0 };
      assert.ok(r.hits <= r.figures && r.figures <= 100 && r.hits >= p.hits && r.figures >= p.figures,
                `${show(p)} then ${show(r)}`);
    });
    const rises = counted.reduce((sum, r, i) => sum + Math.max(0, r.hits - (i ? counted[i - 1].hits : 0)), 0);
    assert.equal(rises, lastRead.hits, 'the hits counter\'s rises do not add up to its last value');
  });
  check('the game shows 100 figures', () => assert.equal(figures.figures, 100));
  check('the result picture is the one for the hits', () => {
    const h = figures.hits;
    assert.equal(figures.picture, pictureNames[h >= 100 ? 0 : h >= 90 ? 1 : h >= 80 ? 2 : h >= 70 ? 3 : 4]);
    assert.ok(figures.pictureDiff < 3 && figures.pictureNext > 2 * figures.pictureDiff,
              `differences ${diffs.map((d) => d.toFixed(1)).join(', ')}`);
  });
  // A strike redraws the counter at once and its figure sounds at the next
  // tick: the j-th hit sound comes after the last reading without the j-th
  // hit and at most a tick (90 ms) and a late timer on a loaded machine
  // (160 ms) after the first reading with it. A tough figure's first blow
  // sounds a dent and counts nothing.
  figures.soundLag = -Infinity;
  check('one hit sound for each hit the counter shows, within a tick of it', () => {
    assert.equal(hits.length, figures.hits, `${hits.length} hit sounds`);
    let j = 0;
    counted.forEach((r, k) => {
      for (const before = k ? counted[k - 1].t : -Infinity; j < r.hits; ++j) {
        const lag = hits[j].requested - r.t;
        figures.soundLag = Math.max(figures.soundLag, lag);
        assert.ok(hits[j].requested > before && lag <= 250,
                  `hit ${j + 1}: its sound ${lag.toFixed(1)} ms after the reading that showed it, ` +
                  `${(hits[j].requested - before).toFixed(1)} ms after the one before`);
      }
    });
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
    // (The chain takes a tick up to 40 ms off its place, so one late tick
    // and the next on time can be 50 ms apart; most of them keep closer.)
    assert.ok(figures.tickP99 < 35, `the 99th percentile tick is ${figures.tickP99.toFixed(1)} ms off 90`);
  });
  // The prompt's blink before the first game, from its presents (after the
  // first, which the program's start-up may have delayed).
  const blinks = played.presents.filter((p) => p[0] < firstPress && p[1] === 92 && p[2] === 200).map((p) => p[0]).slice(1);
  const blinkGaps = blinks.slice(1).map((t, i) => t - blinks[i]);
  figures.promptMean = blinkGaps.length ? (blinks[blinks.length - 1] - blinks[0]) / blinkGaps.length : NaN;
  // (The mean over n periods is the first and last blink's distance over
  // n, so it is off by up to 2J/n where J is how late a timer may fire on a
  // busy machine: 20 ms, as the game's own ticks show at their 99th
  // percentile. A wrong period or one that drifts is off by more.)
  check('the prompt blinks every 250 ms before the first game', () => {
    assert.ok(blinkGaps.length >= 3, `${blinkGaps.length} blinks`);
    assert.ok(Math.abs(figures.promptMean - 250) <= Math.max(3, 40 / blinkGaps.length), `mean ${figures.promptMean.toFixed(2)} ms`);
  });
  // (A page that keeps no frames or start-up record gives NaN figures.)
  const lat = played.pressToScreen, frames = played.pressToFrame || [],
        up = played.startup || { script: NaN, ready: NaN, main: NaN, open: NaN, wait: NaN, longest: NaN, longestAt: NaN };
  figures.pressMedian = median(lat);
  figures.pressP99 = percentile(lat, 0.99);
  figures.presses = lat.length;
  figures.frameMedian = median(frames);
  figures.firstPressFrame = frames.length ? frames[0] : NaN;
  // (The first press is the one that starts the sound: it must not wait
  // for it, nor its frame for the audio context's making, which takes up to
  // 190 ms in WebKit. A frame comes at the display's next refresh after the
  // present, and a loaded machine delays it by tens of milliseconds.)
  check('presses reach the screen; the first as fast as the others', () => {
    assert.ok(lat.length > 10 && frames.length > 10, `${lat.length} presses drawn, ${frames.length} frames after them`);
    assert.ok(lat[0] < 20 && frames[0] < 100, `the first press reached the canvas ${lat[0].toFixed(1)} ms after it, ` +
              `its frame ${frames[0].toFixed(1)} ms after it (the others' at the median ${figures.pressMedian.toFixed(1)} ` +
              `and ${figures.frameMedian.toFixed(1)} ms)`);
  });
  const errs = await browser.logs();
  if (errs) {
    const severe = errs.filter((e) => e.level === 'SEVERE');
    check('the page logged no errors', () => assert.equal(severe.length, 0, severe.map((e) => e.message).join('\n')));
  } else {
    console.log(`--    the page's logged errors: ${engine}'s driver does not report them`);
  }
  console.log(`figures (${engine}): prompt period mean ${figures.promptMean.toFixed(2)} ms over ${blinkGaps.length}; tick mean ${figures.tickMean.toFixed(2)} ms over ${figures.ticks} ticks, ` +
              `p99 error ${figures.tickP99.toFixed(2)} ms; press to canvas median ${figures.pressMedian.toFixed(2)} ms, ` +
              `p99 ${figures.pressP99.toFixed(2)} ms over ${figures.presses} presses, the first ${lat[0].toFixed(2)} ms; press to next frame median ` +
              `${figures.frameMedian.toFixed(2)} ms, the first ${figures.firstPressFrame.toFixed(2)} ms; ` +
              `sound request to start median ${figures.startMedian.toFixed(2)} ms, p99 ${figures.startP99.toFixed(2)} ms ` +
              `over ${sounds.length} clips, ${figures.dropped} dropped (${figures.droppedHits} hits), ` +
              `the first on a running context ${figures.runningAfter.toFixed(0)} ms after the first press, ${figures.unheard} ` +
              `after it on a context not running; ${hits.length} hit sounds, ` +
              `${dents.length} dents, ${presses} presses made; counter ${show(figures)} at the end over ${counted.length} readings, ` +
              `picture ${figures.picture} (difference ${figures.pictureDiff.toFixed(2)}, next ${figures.pictureNext.toFixed(2)}); ` +
              `hit sound at most ${figures.soundLag.toFixed(1)} ms after the counter reading; ` +
              `first present ${figures.firstPresent.toFixed(1)} ms, first prompt ${figures.firstPrompt.toFixed(1)} ms after navigation start; ` +
              `start-up: script at ${up.script.toFixed(0)} ms, WebAssembly ready at ${up.ready.toFixed(0)}, main to its window ` +
              `${(up.open - up.main).toFixed(1)} ms, window to its first wait ${(up.wait - up.open).toFixed(1)} ms, ` +
              `the longest task of the first 3 s ${up.longest.toFixed(1)} ms (from ${up.longestAt.toFixed(0)} ms)`);
}

// The page on a touch phone: it fits; a finger held on the canvas starts a
// game before it lifts; each contact is one press, and the mouse events a
// browser may make up after it are none; two fingers strike two figures.
// Turned, and on a desktop screen, it fits again. It can be installed, and
// once its worker holds it, it starts with the server gone. Where the
// engine's driver sends no touch (WebKit's sends the mouse), the held
// press is the mouse's and the contacts are dispatched in the page.
async function playByTouch() {
  await browser.navigate(url);
  await startPage();
  await prepareReading();
  let v = await browser.script(look);
  check('on a 360 x 780 phone at ratio 3 the canvas fits, without scrolling', () => assert.equal(misfit(v), null));
  await browser.script(() => {
    addEventListener('contextmenu', (e) => { window.skrundleMenu = e.defaultPrevented ? 'prevented' : 'shown'; });
    addEventListener('pointerup', (e) => { window.skrundleLift = e.timeStamp; }, { capture: true, once: true });
  });
  const held = [{ move: spot(v, 192, 144) }, { down: 0 }, { pause: 700 }, { up: 0 }];  // a long press
  await (browser.can.touch ? browser.touch(held) : browser.mouse(held));
  const after = await browser.script(() => [window.skrundleLift, window.skrundleMenu, String(getSelection())]);
  const s = await browser.script(stats), drawn = s.presents.find((p) => p[0] >= s.presses[0] && p[2] <= 256 && p[4] > 256);
  v = await browser.script(look);
  // (Firefox opens its audio output a second or so after the resume.)
  after.push(await until('the sound running', () => browser.script(() => Module.skrundle.audio.state === 'running' && 'running'), 5000)
    .catch(() => browser.script(() => Module.skrundle.audio.state)));
  check(`a ${browser.can.touch ? 'finger' : 'mouse press'} held on the canvas starts a game before it lifts; no menu, no selection, sound may start`, () => {
    assert.deepEqual(v.read, { hits: 0, figures: 0 });
    assert.ok(drawn && drawn[0] < after[0], `counter line drawn at ${drawn && drawn[0]} ms, lifted at ${after[0]} ms`);
    assert.notEqual(after[1], 'shown');
    assert.deepEqual(after.slice(2), ['', 'running']);
  });

  // A contact below the board, then the mouse events a touch screen makes
  // up after it, as a browser without the page's preventDefault would send
  // them: they are that contact's. A mouse press well away from it, at
  // once, counts.
  const presses = async () => (await browser.script(stats)).presses.length;
  const below = spot(v, 100, 272), away = spot(v, 300, 272);
  let count = await presses();
  if (browser.can.touch) await browser.touch([{ move: below }, { down: 0 }, { up: 0 }]);
  const fake = (x, y, pointer, mouse) => {
    const c = document.getElementById('screen'), at = { clientX: x, clientY: y, bubbles: true, cancelable: true, button: 0 };
    if (pointer) for (const type of ['pointerdown', 'pointerup']) c.dispatchEvent(new PointerEvent(type, { ...at, pointerId: 7, pointerType: 'touch', isPrimary: true }));
    if (mouse) for (const type of ['mousemove', 'mousedown', 'mouseup']) c.dispatchEvent(new MouseEvent(type, at));
  };
  await browser.script(fake, ...below, !browser.can.touch, true);
  await sleep(150);
  const afterTouch = await presses() - count;
  count = await presses();
  await browser.script(fake, ...away, false, true);
  await sleep(150);
  const mouseAway = await presses() - count;
  check('the mouse events made up after a touch are no press of their own; a mouse press away from it is one', () => {
    assert.equal(afterTouch, 1, `${afterTouch} presses for one contact and its made-up mouse events`);
    assert.equal(mouseAway, 1, `${mouseAway} presses for a mouse press away from the contact`);
  });

  // One finger after another on what is up until two figures are up: then
  // two at once (in Firefox a tick apart: its driver makes one event of two
  // contacts in the same tick), until both are struck three times. (The
  // cells struck last show a hit picture for a tick and are left out; a
  // pair may still fall on the tough figure, which a first blow only dents.)
  let contacts = 0, pairs = 0, struck = 0;
  const tapped = new Map();  // cell -> when it was tapped
  if (browser.can.touch) {
    count = await presses();
    const apart = engine === 'firefox';
    for (const end = Date.now() + 60000; struck < 3 && Date.now() < end;) {
      v = await browser.script(look);
      const up = upCells(v).filter((i) => !(Date.now() - tapped.get(i) < 400)), two = up.length > 1 && v.read;
      if (!up.length) continue;
      for (const i of two ? up.slice(0, 2) : up) tapped.set(i, Date.now());
      // (A tick apart: the first finger is still down when the second lands.)
      const [move0, down0, up0] = taps(v, [up[0]]), [move1, down1, up1] = taps(v, [up[1]]);
      const pair = apart ? [[move0, down0, { pause: 0 }, up0], [move1, { pause: 0 }, down1, up1]]
                         : [[move0, down0, up0], [move1, down1, up1]];
      await (two ? browser.touch(...pair) : browser.touch(taps(v, up)));
      contacts += two ? 2 : up.length;
      if (!two) continue;
      ++pairs;
      const hits = v.read.hits;
      struck += await until('both strikes', async () => ((await browser.script(look)).read || {}).hits === hits + 2, 300).then(() => 1, () => 0);
    }
    await sleep(300);  // (the last presses taken, and room for emulated mouse presses, which must not come)
    const taken = await presses() - count;
    check(`two fingers on two figures ${apart ? 'a tick apart' : 'at once'} strike both; each contact is one press`, () => {
      assert.ok(struck > 0, `no two-finger strike raised the counter by 2 in ${pairs} tries`);
      assert.equal(taken, contacts, `${taken} presses taken for ${contacts} contacts`);
    });
  } else {
    console.log(`--    two fingers: ${engine}'s driver sends no touch`);
  }

  // Screenshots with a figure on the board; the phone turned, and a desktop screen.
  const shoot = async (name) => {
    if (!shotDir) return;
    await until('a figure up', async () => upCells(await browser.script(look)).length, 3000).catch(() => {});
    fs.mkdirSync(shotDir, { recursive: true });
    await browser.screenshot(shotName(`web-${name}.png`));
  };
  await shoot('phone-portrait');
  if (browser.can.resize) {
    for (const [name, width, height, ratio] of [['phone-landscape', 780, 360, 3], ['desktop', 1920, 1080, 1]]) {
      await browser.resize(width, height, ratio);
      await until('the canvas fitted again', async () => (v = await browser.script(look)).fit.vw === width && !misfit(v), 3000).catch(() => {});
      check(`${name}, ${width} x ${height} at ratio ${ratio}: the canvas fits`, () => assert.equal(misfit(v), null));
      await shoot(name);
    }
  } else {
    console.log(`--    the phone turned and a desktop screen: ${engine} cannot emulate another screen here`);
  }

  const controlled = await until('the page held by its worker', () => browser.script(() => !!navigator.serviceWorker.controller), 10000).catch(() => false);
  if (browser.can.install) {
    const installabilityErrors = await browser.installabilityErrors();
    check('the page can be installed', () => assert.deepEqual(installabilityErrors, []));
  }
  const logged = await browser.logs();
  if (logged) {
    const errs = logged.filter((e) => e.level === 'SEVERE').map((e) => e.message);
    check('the page logged no errors', () => assert.deepEqual(errs, []));
  }
  await server.close();  // offline: the page comes from its worker's copy
  const offline = await browser.navigate(url).then(startPage).then(() => promptImages(12, 110, 2), () => 0);
  check('with the server gone the page starts from its worker and the prompt blinks',
        () => assert.ok(controlled && offline >= 2, `held by its worker: ${controlled}; ${offline} prompt images`));
  console.log(`figures (${engine}): ${contacts} contacts; two fingers struck both figures in ${struck} of ${pairs} tries`);
}

try {
  await (phone ? playByTouch() : playWholeGame());
} catch (e) {
  ++failures;
  console.log(`FAIL  ${e.stack || e}`);
} finally {
  await browser.close();
  await server.close();
}
process.exit(failures ? 1 : 0);
