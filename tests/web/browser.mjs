// Headless Chromium driven through ChromeDriver's HTTP protocol (W3C
// WebDriver), with node's own fetch: sessions (a desktop window, or a phone
// through ChromeDriver's mobile emulation), scripts in the page, real mouse
// and touch input through the browser's input pipeline, DevTools commands,
// screenshots.
//
// ChromeDriver runs in a process group of its own with the browser under
// it; close() ends the session and kills the whole group, and so does the
// exit of this process however it ends.
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

const chromium = process.env.SKR_CHROMIUM || '/usr/bin/chromium';
const chromedriver = process.env.SKR_CHROMEDRIVER || '/usr/bin/chromedriver';

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

export function freePort() {
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

// `phone`: {width, height, ratio} of a touch screen in CSS pixels.
export async function launch({ width = 800, height = 600, phone = null } = {}) {
  const port = await freePort();
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'skrundle-chromium-'));
  const driver = spawn(chromedriver, [`--port=${port}`, '--allowed-ips=127.0.0.1'], {
    detached: true,
    stdio: ['ignore', 'ignore', 'pipe'],
  });
  groups.add(driver.pid);
  let driverLog = '';
  driver.stderr.on('data', (d) => { driverLog += d; });
  const base = `http://127.0.0.1:${port}`;

  async function call(method, url, body) {
    const res = await fetch(base + url, {
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

  // ChromeDriver answers once it listens.
  for (let i = 0; ; ++i) {
    try {
      const status = await call('GET', '/status');
      if (status.ready) break;
    } catch (e) {
      if (i > 200) throw new Error(`chromedriver did not start: ${e.message}\n${driverLog}`);
    }
    await sleep(25);
  }

  const session = await call('POST', '/session', {
    capabilities: {
      alwaysMatch: {
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
      },
    },
  });
  const id = session.sessionId;
  const s = `/session/${id}`;

  let closed = false;
  return {
    async navigate(url) { await call('POST', `${s}/url`, { url }); },
    // Runs a function's body in the page; its arguments are JSON values.
    async script(fn, ...args) {
      return call('POST', `${s}/execute/sync`, { script: `return (${fn}).apply(null, arguments)`, args });
    },
    // Real input at viewport coordinates: for each pointer (one mouse, or
    // one or more fingers moving together, step by step) a list of steps
    // {move: [x, y]}, {down: button}, {up: button}, {pause: ms}.
    async input(pointerType, ...pointers) {
      const actions = pointers.map((steps, i) => ({
        type: 'pointer', id: `${pointerType}${i}`, parameters: { pointerType },
        actions: steps.map((st) => {
          if (st.move) return { type: 'pointerMove', x: Math.round(st.move[0]), y: Math.round(st.move[1]), origin: 'viewport', duration: 0 };
          if (st.down !== undefined) return { type: 'pointerDown', button: st.down };
          if (st.up !== undefined) return { type: 'pointerUp', button: st.up };
          return { type: 'pause', duration: st.pause || 0 };
        }),
      }));
      await call('POST', `${s}/actions`, { actions });
    },
    async mouse(steps) { await this.input('mouse', steps); },
    async touch(...fingers) { await this.input('touch', ...fingers); },
    // A DevTools command, through ChromeDriver.
    async cdp(cmd, params = {}) { return call('POST', `${s}/goog/cdp/execute`, { cmd, params }); },
    async click(x, y, button = 0) {
      await this.mouse([{ move: [x, y] }, { down: button }, { up: button }]);
    },
    // Tabs: this one's handle, a new one (which hides this), switching, closing.
    async handle() { return call('GET', `${s}/window`); },
    async newTab() { return (await call('POST', `${s}/window/new`, { type: 'tab' })).handle; },
    async switchTo(handle) { await call('POST', `${s}/window`, { handle }); },
    async closeTab() { await call('DELETE', `${s}/window`); },
    async screenshot(file) {
      fs.writeFileSync(file, Buffer.from(await call('GET', `${s}/screenshot`), 'base64'));
    },
    async logs() {
      try { return await call('POST', `${s}/se/log`, { type: 'browser' }); } catch { return []; }
    },
    async close() {
      if (closed) return;
      closed = true;
      try { await call('DELETE', s); } catch {}
      try { process.kill(-driver.pid, 'SIGKILL'); } catch {}
      groups.delete(driver.pid);
      // A browser that left the group is found by its profile folder.
      // ("--" ends pkill's options: the pattern itself starts with dashes.)
      try { execFileSync('pkill', ['-KILL', '-f', '--', `--user-data-dir=${profile}`], { stdio: 'ignore' }); } catch {}
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

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
