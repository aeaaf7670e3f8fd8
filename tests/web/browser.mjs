// One client for the page tests in three browser engines, each driven the
// way its own tools drive it:
//   chromium  headless Chromium through ChromeDriver (W3C WebDriver over
//             HTTP, with node's fetch); a phone through its mobile emulation
//   webkit    WebKitGTK's MiniBrowser through WebKitWebDriver (the same
//             protocol), in a private Xvfb with a window manager; a phone
//             as a full-screen window on a 1080 x 2340 screen at GDK_SCALE 3
//   firefox   headless Firefox ESR over WebDriver BiDi (a WebSocket, with
//             the ws package); a phone through its viewport emulation
// Each gives the same calls: scripts in the page, real mouse and touch
// input through the browser's input pipeline, hiding and showing the page,
// screenshots, the page's logged errors. What an engine's driver cannot do
// is said by `can` (and its call then throws).
//
// Firefox and WebKit get a sound server of their own (PulseAudio with a
// null sink), so that their audio output really opens.
//
// Every process started here (driver, browser, display, window manager,
// sound server) runs in a process group of its own; close() ends the
// session and kills the groups, and so does the exit of this process
// however it ends.
import { spawn, execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

const chromium = process.env.SKR_CHROMIUM || '/usr/bin/chromium';
const chromedriver = process.env.SKR_CHROMEDRIVER || '/usr/bin/chromedriver';
const firefox = process.env.SKR_FIREFOX || '/usr/bin/firefox-esr';
const webkitDriver = process.env.SKR_WEBKITDRIVER || '/usr/bin/WebKitWebDriver';
const miniBrowser = process.env.SKR_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
export const engines = ['chromium', 'firefox', 'webkit'];

const groups = new Set();
function killGroups() {
  for (const pid of groups) {
    try { process.kill(-pid, 'SIGKILL'); } catch {}
  }
  groups.clear();
}
process.on('exit', killGroups);
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.on(signal, () => {
    killGroups();
    process.exit(128 + os.constants.signals[signal]);
  });
}

function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.once('error', reject);
    s.listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Polls a condition until it holds; throws with the description after the time.
export async function until(what, fn, timeoutMs = 10000, everyMs = 20) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const v = await fn();
    if (v) return v;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(everyMs);
  }
}

// A process in a group of its own, its output kept for error messages.
function start(program, args, { env = process.env, fd3 = false } = {}) {
  const child = spawn(program, args, { detached: true, env, stdio: ['ignore', 'pipe', 'pipe', ...(fd3 ? ['pipe'] : [])] });
  groups.add(child.pid);
  child.log = '';
  for (const s of [child.stdout, child.stderr]) s.on('data', (d) => { child.log = (child.log + d).slice(-20000); });
  child.on('error', (e) => { child.log += `\n${program}: ${e.message}`; });
  return child;
}
function stop(child) {
  try { process.kill(-child.pid, 'SIGKILL'); } catch {}
  groups.delete(child.pid);
}

// A private X display (Xvfb picks a free number) with a window manager, so
// that windows can be minimised.
async function privateDisplay(width, height) {
  const xvfb = start('Xvfb', ['-displayfd', '3', '-screen', '0', `${width}x${height}x24`, '-nolisten', 'tcp', '-noreset'], { fd3: true });
  let number = '';
  xvfb.stdio[3].on('data', (d) => { number += d; });
  await until('Xvfb to start', () => /\n/.test(number) || xvfb.exitCode !== null, 10000);
  if (!/\n/.test(number)) throw new Error(`Xvfb did not start: ${xvfb.log}`);
  const display = `:${number.trim()}`;
  const wm = start('openbox', [], { env: { ...process.env, DISPLAY: display } });
  await sleep(300);
  return { display, close() { stop(wm); stop(xvfb); } };
}

// A PulseAudio daemon of the test's own with a null sink: the browser's
// audio output opens and its context runs, and nothing leaves the machine.
async function soundServer() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'skrundle-pulse-'));
  const socket = path.join(dir, 'native');
  const env = { ...process.env, HOME: dir, XDG_RUNTIME_DIR: dir, PULSE_RUNTIME_PATH: dir };
  const daemon = start('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no', '--system=false',
                                      '-L', `module-native-protocol-unix socket=${socket} auth-anonymous=1`,
                                      '-L', 'module-null-sink sink_name=skrundle', '-L', 'module-always-sink',
                                      '--log-target=stderr'], { env });
  await until('the sound server to listen', () => fs.existsSync(socket) || daemon.exitCode !== null, 10000)
    .catch(() => {});
  if (!fs.existsSync(socket)) throw new Error(`pulseaudio did not start: ${daemon.log}`);
  return { server: `unix:${socket}`, close() { stop(daemon); fs.rmSync(dir, { recursive: true, force: true }); } };
}

// W3C WebDriver over HTTP (ChromeDriver, WebKitWebDriver): the driver
// started, a session made with the capabilities, and the calls both
// drivers take alike; `cleanup` is run when the session ends (or fails).
async function w3cSession(program, args, env, capabilities, cleanup) {
  const port = await freePort();
  const driver = start(program, [`--port=${port}`, ...args], { env });
  const end = () => { stop(driver); cleanup(); };
  async function call(method, url, body) {
    const res = await fetch(`http://127.0.0.1:${port}${url}`, {
      method,
      headers: body === undefined ? {} : { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const json = await res.json();
    if (!res.ok || (json.value && json.value.error)) {
      const v = json.value || {};
      throw new Error(`WebDriver ${method} ${url}: ${v.error || res.status}: ${v.message || ''}`);
    }
    return json.value;
  }
  try {
    await until(`${path.basename(program)} to start`, () => call('GET', '/status').then((st) => st.ready, () => false), 5000, 25);
    const s = `/session/${(await call('POST', '/session', { capabilities: { alwaysMatch: capabilities } })).sessionId}`;
    let closed = false;
    return {
      call, s,
      async navigate(url) { await call('POST', `${s}/url`, { url }); },
      // (WebKitWebDriver now and then fails to read back a result that the
      // same script gives on the next call, as it did once in a CI run
      // just after a right click: such a call is made once more.)
      async run(fn, args) {
        const body = { script: `return (${fn}).apply(null, arguments)`, args };
        return call('POST', `${s}/execute/sync`, body).catch((e) => {
          if (!/Could not parse script result/.test(e.message)) throw e;
          console.log(`--    ${e.message}; asked again`);
          return call('POST', `${s}/execute/sync`, body);
        });
      },
      async actions(actions) { await call('POST', `${s}/actions`, { actions }); },
      async screenshot() { return call('GET', `${s}/screenshot`); },
      async close() {
        if (closed) return;
        closed = true;
        try { await call('DELETE', s); } catch {}
        end();
      },
    };
  } catch (e) {
    end();
    throw new Error(`${e.message}\n${driver.log}`);
  }
}

// The input actions of the W3C protocol (the same in BiDi): for each
// pointer (one mouse, or one or more fingers moving together, step by step)
// a list of steps {move: [x, y]}, {down: button}, {up: button}, {pause: ms}.
function pointerActions(pointerType, pointers) {
  return pointers.map((steps, i) => ({
    type: 'pointer', id: `${pointerType}${i}`, parameters: { pointerType },
    actions: steps.map((st) => {
      if (st.move) return { type: 'pointerMove', x: Math.round(st.move[0]), y: Math.round(st.move[1]), origin: 'viewport', duration: 0 };
      if (st.down !== undefined) return { type: 'pointerDown', button: st.down };
      if (st.up !== undefined) return { type: 'pointerUp', button: st.up };
      return { type: 'pause', duration: st.pause || 0 };
    }),
  }));
}

// The calls every engine shares, over its own primitives: run(body, args)
// runs a function's source in the page with JSON arguments and resolves to
// its (awaited) JSON result. What an engine has no primitive for, it cannot
// do (`can`).
function common(engine, p) {
  const can = { touch: !!p.touch, resize: !!p.resize, install: !!p.cdp, logs: !!p.logs };
  const need = (what, fn) => { if (!fn) throw new Error(`${engine} cannot ${what} here`); return fn; };
  return {
    engine,
    can,
    navigate: p.navigate,
    async script(fn, ...args) { return p.run(String(fn), args); },
    async input(pointerType, ...pointers) { await p.actions(pointerActions(pointerType, pointers)); },
    async mouse(steps) { await this.input('mouse', steps); },
    async touch(...fingers) {
      need('send touch', p.touch);
      await this.input('touch', ...fingers);
    },
    async click(x, y, button = 0) {
      await this.mouse([{ move: [x, y] }, { down: button }, { up: button }]);
    },
    // The page hidden (another tab in front, or its window minimised), and shown again.
    hide: p.hide,
    show: p.show,
    async screenshot(file) { fs.writeFileSync(file, Buffer.from(await p.screenshot(), 'base64')); },
    // The page's errors and warnings as [{level, message}] (level 'SEVERE'
    // for errors), or null where the driver does not report them.
    async logs() { return p.logs ? p.logs() : null; },
    // Emulates another screen: CSS size and device pixel ratio.
    async resize(width, height, ratio) { await need('emulate another screen', p.resize)(width, height, ratio); },
    // A DevTools command (Chromium's only).
    async cdp(cmd, params = {}) { return need('take DevTools commands', p.cdp)(cmd, params); },
    // Chromium's installability report of the page (an empty list when it can be installed).
    async installabilityErrors() { return (await this.cdp('Page.getInstallabilityErrors')).installabilityErrors; },
    close: p.close,
  };
}

async function launchChromium({ width, height, phone }) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'skrundle-chromium-'));
  const w = await w3cSession(chromedriver, ['--allowed-ips=127.0.0.1'], process.env, {
    browserName: 'chrome',
    'goog:loggingPrefs': { browser: 'ALL' },
    'goog:chromeOptions': {
      binary: chromium,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--autoplay-policy=document-user-activation-required', `--window-size=${width},${height}`,
             `--user-data-dir=${profile}`],
      ...(phone && { mobileEmulation: { deviceMetrics: { width: phone.width, height: phone.height,
                                                         pixelRatio: phone.ratio, touch: true } } }),
    },
  }, () => {
    // A browser that left the driver's group is found by its profile
    // folder. ("--" ends pkill's options: the pattern starts with dashes.)
    try { execFileSync('pkill', ['-KILL', '-f', '--', `--user-data-dir=${profile}`], { stdio: 'ignore' }); } catch {}
    fs.rmSync(profile, { recursive: true, force: true });
  });
  const { call, s } = w;
  const cdp = (cmd, params) => call('POST', `${s}/goog/cdp/execute`, { cmd, params });
  let self = null;
  return common('chromium', {
    ...w,
    cdp,
    touch: true,
    async hide() {
      self = await call('GET', `${s}/window`);
      const other = (await call('POST', `${s}/window/new`, { type: 'tab' })).handle;
      await call('POST', `${s}/window`, { handle: other });
    },
    async show() {
      await call('DELETE', `${s}/window`);
      await call('POST', `${s}/window`, { handle: self });
    },
    async logs() {
      try { return await call('POST', `${s}/se/log`, { type: 'browser' }); } catch { return []; }
    },
    async resize(w, h, ratio) {
      await cdp('Emulation.setDeviceMetricsOverride', { width: w, height: h, deviceScaleFactor: ratio, mobile: ratio > 1,
                                                        screenOrientation: { type: w > h ? 'landscapePrimary' : 'portraitPrimary',
                                                                             angle: w > h && ratio > 1 ? 90 : 0 } });
    },
  });
}

async function launchWebKit({ width, height, phone }) {
  // A phone: a 1080 x 2340 screen at three device pixels per CSS pixel,
  // the browser full-screen on it.
  const screen = phone ? [phone.width * phone.ratio, phone.height * phone.ratio] : [1920, 1080];
  const display = await privateDisplay(...screen);
  const sound = await soundServer().catch((e) => { display.close(); throw e; });
  const env = { ...process.env, DISPLAY: display.display, PULSE_SERVER: sound.server,
                ...(phone && { GDK_SCALE: String(phone.ratio), GDK_DPI_SCALE: '1' }) };
  delete env.WAYLAND_DISPLAY;
  // (Only this machine's own server is reached: every other host goes to a
  // proxy that is not there.)
  const w = await w3cSession(webkitDriver, [], env, { browserName: 'MiniBrowser', 'webkitgtk:browserOptions': {
    binary: miniBrowser,
    args: ['--automation', '--proxy=http://127.0.0.1:9', '--ignore-host=127.0.0.1', '--ignore-host=localhost',
           ...(phone ? ['--full-screen'] : [])] } }, () => { sound.close(); display.close(); });
  const { call, s } = w;
  // The window's outer size for a viewport of width x height.
  if (!phone) {
    await call('POST', `${s}/window/rect`, { width, height });
    const [vw, vh] = await w.run('function () { return [innerWidth, innerHeight]; }', []);
    await call('POST', `${s}/window/rect`, { width: 2 * width - vw, height: 2 * height - vh });
  }
  // "New tab" opens a window of its own here: the window is minimised
  // instead, and given back its place.
  let rect = null;
  return common('webkit', {
    ...w,
    async hide() {
      rect = await call('GET', `${s}/window/rect`);
      await call('POST', `${s}/window/minimize`, {});
    },
    async show() { await call('POST', `${s}/window/rect`, rect); },
  });
}

// WebDriver BiDi: commands and events as JSON over one WebSocket.
function bidiClient(socket) {
  let next = 0;
  const pending = new Map(), listeners = [];
  socket.on('message', (data) => {
    const m = JSON.parse(data);
    if (m.id !== undefined && pending.has(m.id)) {
      const { resolve, reject, method } = pending.get(m.id);
      pending.delete(m.id);
      if (m.type === 'error') reject(new Error(`BiDi ${method}: ${m.error}: ${m.message}`));
      else resolve(m.result);
    } else if (m.type === 'event') {
      for (const l of listeners) l(m);
    }
  });
  socket.on('close', () => {
    for (const { reject, method } of pending.values()) reject(new Error(`BiDi ${method}: the connection closed`));
    pending.clear();
  });
  return {
    send(method, params = {}) {
      return new Promise((resolve, reject) => {
        const id = ++next;
        pending.set(id, { resolve, reject, method });
        socket.send(JSON.stringify({ id, method, params }));
      });
    },
    on(fn) { listeners.push(fn); },
  };
}

async function launchFirefox({ width, height, phone }) {
  // (Debian's node-ws, where NODE_PATH does not lead to it.)
  const require = createRequire(import.meta.url);
  let WebSocket;
  try { WebSocket = require('ws'); } catch { WebSocket = require('/usr/share/nodejs/ws'); }
  const sound = await soundServer();
  const port = await freePort();
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'skrundle-firefox-'));
  // Sound only after a gesture (as a player's Firefox has it), no window
  // that asks anything, nothing fetched from elsewhere.
  fs.writeFileSync(path.join(profile, 'user.js'), [
    ['media.autoplay.default', 1], ['media.autoplay.blocking_policy', 0], ['media.autoplay.block-webaudio', true],
    ['browser.shell.checkDefaultBrowser', false], ['datareporting.policy.dataSubmissionEnabled', false],
    ['network.proxy.type', 1], ['network.proxy.http', '127.0.0.1'], ['network.proxy.http_port', 9],
    ['network.proxy.ssl', '127.0.0.1'], ['network.proxy.ssl_port', 9], ['network.proxy.no_proxies_on', '127.0.0.1,localhost'],
    ['network.proxy.allow_hijacking_localhost', false],
  ].map(([k, v]) => `user_pref(${JSON.stringify(k)}, ${JSON.stringify(v)});\n`).join(''));
  const env = { ...process.env, PULSE_SERVER: sound.server, MOZ_HEADLESS: '1' };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  const browser = start(firefox, ['--headless', '--no-remote', `--remote-debugging-port=${port}`, '--profile', profile,
                                  `--window-size=${width},${height}`, 'about:blank'], { env });
  const closeAll = () => { stop(browser); sound.close(); fs.rmSync(profile, { recursive: true, force: true }); };
  await until('Firefox to listen for WebDriver BiDi', () => /WebDriver BiDi listening/.test(browser.log) || browser.exitCode !== null, 30000)
    .catch(() => {});
  if (!/WebDriver BiDi listening/.test(browser.log)) {
    closeAll();
    throw new Error(`Firefox did not start: ${browser.log}`);
  }
  const socket = new WebSocket(`ws://127.0.0.1:${port}/session`);
  await new Promise((resolve, reject) => { socket.once('open', resolve); socket.once('error', reject); })
    .catch((e) => { closeAll(); throw e; });
  const bidi = bidiClient(socket);
  await bidi.send('session.new', { capabilities: {} });
  const logs = [];
  bidi.on((m) => {
    if (m.method === 'log.entryAdded' && logs.length < 1000)
      logs.push({ level: m.params.level === 'error' ? 'SEVERE' : m.params.level.toUpperCase(), message: m.params.text });
  });
  await bidi.send('session.subscribe', { events: ['log.entryAdded'] });
  const context = (await bidi.send('browsingContext.getTree', {})).contexts[0].context;
  const resize = (w, h, ratio) => bidi.send('browsingContext.setViewport', { context, viewport: { width: w, height: h },
                                                                               devicePixelRatio: ratio });
  await (phone ? resize(phone.width, phone.height, phone.ratio) : resize(width, height, 1));
  let other = null, closed = false;
  return common('firefox', {
    touch: true,
    async navigate(url) { await bidi.send('browsingContext.navigate', { context, url, wait: 'complete' }); },
    // (The result comes back as JSON text, as the W3C drivers give it.)
    async run(fn, args) {
      const r = await bidi.send('script.callFunction', {
        functionDeclaration: `async function (a) { const r = await (${fn}).apply(null, JSON.parse(a)); return JSON.stringify(r === undefined ? null : r); }`,
        arguments: [{ type: 'string', value: JSON.stringify(args) }], target: { context }, awaitPromise: true,
        resultOwnership: 'none' });
      if (r.type === 'exception') throw new Error(`script: ${r.exceptionDetails.text}`);
      return JSON.parse(r.result.value);
    },
    async actions(actions) { await bidi.send('input.performActions', { context, actions }); },
    async screenshot() { return (await bidi.send('browsingContext.captureScreenshot', { context })).data; },
    async hide() {
      other = (await bidi.send('browsingContext.create', { type: 'tab' })).context;
      await bidi.send('browsingContext.activate', { context: other });
    },
    async show() {
      await bidi.send('browsingContext.close', { context: other });
      await bidi.send('browsingContext.activate', { context });
    },
    async logs() { return logs.slice(); },
    resize,
    async close() {
      if (closed) return;
      closed = true;
      try { await bidi.send('session.end', {}); } catch {}
      socket.terminate();
      closeAll();
    },
  });
}

// `engine`: one of `engines`; `width` x `height`: the viewport's CSS size
// on a desktop; `phone`: {width, height, ratio} of a touch screen in CSS
// pixels instead.
export async function launch({ engine = 'chromium', width = 800, height = 600, phone = null } = {}) {
  const open = { chromium: launchChromium, firefox: launchFirefox, webkit: launchWebKit }[engine];
  if (!open) throw new Error(`no engine "${engine}": one of ${engines.join(', ')}`);
  return open({ width, height, phone });
}
