// The page's side of the browser backend (WebPlatform.cpp): the canvas,
// shown at the largest crisp size the viewport allows, mouse, touch, pen and
// visibility events queued as raw input, the waits the program is suspended
// in (Asyncify), the screen copied to the canvas, one WebAudio voice and the
// modal error dialog.
//
// When the page is opened for testing (Module.skrundleStats, or "stats" in
// the page's query), what it did is also kept in Module.skrundle: every
// present (time and rectangle, in a fixed ring), the presses taken, the
// sounds requested and started (with the audio context's state at the
// start: whether it could be heard) and the clip sounding, the time from
// each press to the present it caused and to the next frame the browser
// drew after it, the dialogs.
mergeInto(LibraryManager.library, {
  $SkrWeb: {
    canvas: null,
    context: null,
    image: null,        // one ImageData of the whole screen, reused by every present
    pixels: null,       // its bytes as 32-bit RGBA words
    width: 0,
    height: 0,
    queue: [],          // raw events the program has not taken yet
    wake: null,         // ends the wait the program is suspended in
    timer: 0,
    captured: false,    // the program asked for the capture
    leftHeld: false,    // a left press on the canvas not yet released
    contacts: {},       // touch and pen contacts taken as presses and not yet lifted, by pointer id
    safeArea: null,     // a hidden element covering the viewport less its safe-area insets
    ratioWatch: null,   // a media query that changes with the device pixel ratio
    channel: null,      // posts the task that ends a yield
    resumeYield: null,
    worker: null,       // a timer that keeps its time while the tab is hidden
    workerWait: 0,      // the number of the worker's latest wait
    workerDone: null,   // ends that wait
    audio: null,        // made at the first sound or press (browsers refuse sound before a gesture)
    silence: null,      // one sample of silence, started to unlock the sound
    clips: [],          // the clips made into AudioBuffers, by the number the program gave them
    voice: null,        // the source sounding
    pressing: false,    // a press is being handled (its sound waits for its frame, below)
    pending: null,      // [buffer, size, record] of the clip that waits for it
    unlockDue: false,   // the sound is to be let start after the press's frame
    generation: 0,      // the request the voice belongs to
    touches: null,      // where and when the last touch contacts landed and lifted: [time, x, y] x kTouches
    touchNext: 0,
    pressStamp: -1,     // page time of the press taken last, until it is drawn or the program waits
    listeners: [],
    stats: null,
    // Page times of the start-up: the script run, the WebAssembly ready,
    // the program's main called, its window opened and shown, its first
    // wait (where the browser gets its first turn since main); when tested,
    // also the longest task of the page's first 3 s, and when it began.
    startup: {script: 0, ready: 0, main: 0, open: 0, shown: 0, wait: 0, longest: 0, longestAt: 0},
    testing: function() {
      return !!Module['skrundleStats'] || /(^|[?&])stats(&|=|$)/.test(location.search.slice(1));
    },
    // The longest time between two turns of a message the page posts to
    // itself again and again: the longest task that ran meanwhile.
    watchTasks: function(ms) {
      var channel = new MessageChannel(), last = performance.now(), end = last + ms, s = SkrWeb.startup;
      channel.port1.onmessage = function() {
        var now = performance.now();
        if (now - last > s.longest) {
          s.longest = now - last;
          s.longestAt = last;
        }
        last = now;
        if (now < end) channel.port2.postMessage(0);
        else channel.port1.close();
      };
      channel.port2.postMessage(0);
    },

    // Queues one event and ends the program's wait.
    push: function(type, button, x, y, modifiers, left, top, right, bottom, stamp) {
      SkrWeb.queue.push([type, button, x, y, modifiers, left, top, right, bottom, stamp]);
      SkrWeb.wakeNow();
    },
    wakeNow: function() {
      var wake = SkrWeb.wake;
      if (!wake) return;
      SkrWeb.wake = null;
      if (SkrWeb.timer) clearTimeout(SkrWeb.timer);
      SkrWeb.timer = 0;
      SkrWeb.workerDone = null;
      wake();
    },
    modifiers: function(e) {
      return (e.shiftKey ? 1 : 0) | (e.altKey ? 2 : 0) | (e.ctrlKey ? 4 : 0);
    },
    // Client coordinates of a mouse or pointer event, in canvas pixels
    // (whole ones, negative left of and above the canvas), whatever size
    // the canvas is shown at.
    at: function(e) {
      var r = SkrWeb.canvas.getBoundingClientRect();
      var sx = r.width > 0 ? SkrWeb.width / r.width : 1;
      var sy = r.height > 0 ? SkrWeb.height / r.height : 1;
      return [Math.floor((e.clientX - r.left) * sx), Math.floor((e.clientY - r.top) * sy)];
    },
    // Mouse events reach the program over the canvas, and anywhere while it
    // holds the capture (or a left press on the canvas is still held, which
    // the program is about to capture).
    reaches: function(e) {
      return e.target === SkrWeb.canvas || SkrWeb.captured || SkrWeb.leftHeld;
    },
    // Mouse events a touch screen makes up after a contact (the contact
    // itself was taken as a press already): those the browser marks so, and
    // where it does not (only some engines know sourceCapabilities), any
    // that comes within a second of a contact landing or lifting and within
    // a finger's width of it. (Page time when handled, not the event's
    // stamp, whose origin older engines set elsewhere.)
    kTouches: 8,
    kTouchMs: 1000,
    kTouchPx: 32,
    noteTouch: function(e) {
      var t = SkrWeb.touches, k = SkrWeb.touchNext * 3;
      t[k] = performance.now();
      t[k + 1] = e.clientX;
      t[k + 2] = e.clientY;
      SkrWeb.touchNext = (SkrWeb.touchNext + 1) % SkrWeb.kTouches;
    },
    fromTouch: function(e) {
      if (e.sourceCapabilities && e.sourceCapabilities.firesTouchEvents) return true;
      var t = SkrWeb.touches, now = performance.now();
      for (var k = 0; k < t.length; k += 3) {
        if (now - t[k] < SkrWeb.kTouchMs && Math.abs(e.clientX - t[k + 1]) <= SkrWeb.kTouchPx &&
            Math.abs(e.clientY - t[k + 2]) <= SkrWeb.kTouchPx)
          return true;
      }
      return false;
    },
    onButton: function(e) {
      if (!SkrWeb.reaches(e) || SkrWeb.fromTouch(e)) return;
      var down = e.type === 'mousedown';
      var button = e.button === 0 ? 0 : e.button === 2 ? 1 : e.button === 1 ? 2 : -1;
      if (button < 0) return;
      e.preventDefault();  // no focus moves, text selection or middle-button scrolling
      var onCanvas = e.target === SkrWeb.canvas;
      if (down && onCanvas && button === 0) SkrWeb.leftHeld = true;
      if (!down && button === 0) SkrWeb.leftHeld = false;
      var p = SkrWeb.at(e);
      SkrWeb.press(down ? 0 : 1, button, p[0], p[1], SkrWeb.modifiers(e), e.timeStamp);
      if (down && onCanvas) SkrWeb.unlockAfterFrame();
    },
    // Queues a press or release from a gesture (and the program takes it at
    // once, if it was waiting). While the audio does not run yet, a clip
    // the program plays meanwhile waits for the press's frame: within a
    // gesture, the first start of the sound can block the page (WebKit: 30
    // ms to start a source, 45 more to resume), and the press comes first.
    press: function(type, button, x, y, modifiers, stamp) {
      SkrWeb.pressing = true;
      try {
        SkrWeb.push(type, button, x, y, modifiers, 0, 0, 0, 0, stamp);
      } finally {
        SkrWeb.pressing = false;
      }
      if (SkrWeb.pending) SkrWeb.unlockAfterFrame();
    },
    onMove: function(e) {
      if (!SkrWeb.reaches(e) || SkrWeb.fromTouch(e)) return;
      var p = SkrWeb.at(e);
      SkrWeb.push(2, 0, p[0], p[1], SkrWeb.modifiers(e), 0, 0, 0, 0, -1);
    },
    // A touch or pen contact on the canvas is a left press where it lands and
    // a left release where it lifts, wherever that is; each contact is its
    // own, so several fingers strike several figures at once. The program's
    // capture follows its own rule (the first left press takes it, the first
    // left release gives it up), and the contacts still down are still
    // reported. A contact that lands off the canvas is the page's, even
    // while the program holds the capture (unlike the mouse's presses: a
    // resting palm is no press). The mouse keeps its own events (a right
    // press while the left is held comes as no pointerdown). A contact's
    // moves are not reported (nothing follows the pointer, and a finger's
    // moves would only wake the program). A cancelled contact (the system
    // took the gesture) is released off the canvas, so it clicks nothing.
    onPointer: function(e) {
      if (e.pointerType !== 'touch' && e.pointerType !== 'pen') return;
      var id = e.pointerId, down = e.type === 'pointerdown';
      if (down) {
        if (e.target !== SkrWeb.canvas) return;
        SkrWeb.contacts[id] = true;
      } else {
        if (!SkrWeb.contacts[id]) return;
        delete SkrWeb.contacts[id];
      }
      // No emulated mouse events after it, no selection, no magnifier (and
      // mouse events that come all the same are known by where it was).
      e.preventDefault();
      var cancel = e.type === 'pointercancel';
      if (!cancel) SkrWeb.noteTouch(e);
      var p = cancel ? [-1, -1] : SkrWeb.at(e);
      SkrWeb.press(down ? 0 : 1, 0, p[0], p[1], SkrWeb.modifiers(e), down ? e.timeStamp : -1);
      // Browsers differ in which end of a touch lets sound start: the
      // landing (after its frame, as a mouse press), or only the lift
      // (Chromium, and iOS, which wants the sound started within it).
      if (down) SkrWeb.unlockAfterFrame();
      else if (!cancel) SkrWeb.unlockNow();
    },
    onContextMenu: function(e) {
      if (SkrWeb.reaches(e)) e.preventDefault();
    },
    // Shows the canvas at the largest whole number of device pixels per
    // canvas pixel that fits the viewport clear of its safe-area insets,
    // so every canvas pixel is a sharp square block; where that would fill
    // less than 85 % of the limiting side, at the largest size that fits
    // (nearest neighbour, blocks of two sizes). Centred, its corner on a
    // device pixel. The backing store stays the program's size.
    fit: function() {
      var canvas = SkrWeb.canvas, area = SkrWeb.safeArea;
      if (!canvas || !area) return;
      var ratio = window.devicePixelRatio || 1, r = area.getBoundingClientRect();
      var room = r.width > 0 && r.height > 0 ? r : {left: 0, top: 0, width: window.innerWidth, height: window.innerHeight};
      var across = room.width * ratio, down = room.height * ratio;  // device pixels
      var most = Math.min(across / SkrWeb.width, down / SkrWeb.height);
      var whole = Math.floor(most + 1e-9);
      var scale = whole >= 1 && whole >= 0.85 * most ? whole : most;
      var w = Math.floor(SkrWeb.width * scale + 1e-6), h = Math.floor(SkrWeb.height * scale + 1e-6);
      var left = Math.round(room.left * ratio) + Math.floor((across - w) / 2);
      var top = Math.round(room.top * ratio) + Math.floor((down - h) / 2);
      // A window moved to a screen of another ratio fits again.
      if (SkrWeb.ratioWatch) SkrWeb.ratioWatch.removeEventListener('change', SkrWeb.fit);
      SkrWeb.ratioWatch = window.matchMedia ? window.matchMedia('(resolution: ' + ratio + 'dppx)') : null;
      if (SkrWeb.ratioWatch && SkrWeb.ratioWatch.addEventListener) SkrWeb.ratioWatch.addEventListener('change', SkrWeb.fit);
      else SkrWeb.ratioWatch = null;
      var style = canvas.style;
      style.position = 'fixed';
      style.margin = '0';
      style.left = left / ratio + 'px';
      style.top = top / ratio + 'px';
      style.width = w / ratio + 'px';
      style.height = h / ratio + 'px';
    },
    // A hidden tab is a minimised window: the game goes on. Shown again, the
    // window is restored and its whole area exposed.
    onVisibility: function() {
      if (document.hidden) {
        SkrWeb.push(5, 0, 0, 0, 0, 0, 0, 0, 0, -1);
      } else {
        SkrWeb.push(6, 0, 0, 0, 0, 0, 0, 0, 0, -1);
        SkrWeb.push(3, 0, 0, 0, 0, 0, 0, SkrWeb.width, SkrWeb.height, -1);
      }
    },
    // Leaving the page is the close button of the window.
    onLeave: function() {
      SkrWeb.push(4, 0, 0, 0, 0, 0, 0, 0, 0, -1);
    },
    listen: function(target, type, handler, options) {
      target.addEventListener(type, handler, options);
      SkrWeb.listeners.push([target, type, handler, options]);
    },
    // The audio context, made when the first clip is started, or after the
    // frame of the first press, not at start-up: making one can take a
    // third of a second (Chromium starting its audio service), and nothing
    // can sound before a press anyway. (A context made before a gesture
    // stays suspended until one resumes it.)
    makeAudio: function() {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!SkrWeb.audio || SkrWeb.audio.state === 'closed') {
        try {
          SkrWeb.audio = Context ? new Context() : null;
        } catch (err) {
          SkrWeb.audio = null;
        }
      }
      if (SkrWeb.stats) SkrWeb.stats.audio = SkrWeb.audio;
      return SkrWeb.audio;
    },
    // After a press's frame (the browsers count a gesture's timers as the
    // gesture's, and a frame callback's timer runs after its paint), or at
    // once if the page is hidden and draws no frames.
    unlockAfterFrame: function() {
      if (SkrWeb.unlockDue || (SkrWeb.audio && SkrWeb.audio.state === 'running')) return;
      SkrWeb.unlockDue = true;
      if (document.hidden) {
        setTimeout(SkrWeb.unlockNow, 0);
        return;
      }
      requestAnimationFrame(function() { setTimeout(SkrWeb.unlockNow, 0); });
    },
    // Within a gesture (or a timer of one): lets the sound start, and starts
    // the clip that waited. Resuming is what most engines ask for; iOS lets
    // sound start only within the end of a touch (or a click), by a buffer
    // started there, for which one sample of silence is enough.
    unlockNow: function() {
      SkrWeb.unlockDue = false;
      var audio = SkrWeb.makeAudio();
      if (audio && audio.state !== 'running') {
        try {
          var source = audio.createBufferSource();
          source.buffer = SkrWeb.silence || (SkrWeb.silence = audio.createBuffer(1, 1, audio.sampleRate));
          source.connect(audio.destination);
          source.start();
          var resumed = audio.resume();
          if (resumed) resumed.catch(function() {});
        } catch (err) {}
      }
      var waiting = SkrWeb.pending;
      SkrWeb.pending = null;
      if (waiting) SkrWeb.sound(waiting[0], waiting[1], waiting[2]);
    },
    // The end of the voice's source: nothing sounds any more (unless a newer
    // source has taken over).
    ended: function(e) {
      if (SkrWeb.voice !== e.target) return;
      SkrWeb.voice = null;
      if (SkrWeb.stats) SkrWeb.stats.sounding = 0;
    },
    // Starts a clip's buffer on the voice, in the same turn (but while a
    // press is handled and the audio does not run yet, after its frame),
    // and notes it in the request's record.
    sound: function(buffer, size, record) {
      if (SkrWeb.pressing && !(SkrWeb.audio && SkrWeb.audio.state === 'running')) {
        SkrWeb.pending = [buffer, size, record];
        return;
      }
      var audio = SkrWeb.makeAudio();
      if (!audio) return;
      var source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.destination);
      source.onended = SkrWeb.ended;
      source.start();
      SkrWeb.voice = source;
      if (SkrWeb.stats) SkrWeb.stats.sounding = size;
      if (!record) return;
      record.started = performance.now();
      record.state = audio.state;
    },
    // The record of a sound request, kept when the page is tested.
    request: function(size) {
      var st = SkrWeb.stats;
      if (!st || st.sounds.length >= 4096) return null;
      var record = {bytes: size, requested: performance.now(), started: -1, state: ''};
      st.sounds.push(record);
      return record;
    },
    stop: function() {
      ++SkrWeb.generation;  // a clip still decoding will not start
      SkrWeb.pending = null;
      var v = SkrWeb.voice;
      SkrWeb.voice = null;
      if (SkrWeb.stats) SkrWeb.stats.sounding = 0;
      if (v) {
        try { v.stop(); } catch (err) {}
      }
    },
    // A timer in a worker: the page's own timers run at most once a second
    // in a hidden tab, a worker's keep their time.
    hiddenTimer: function(ms, done) {
      if (!SkrWeb.worker) {
        var code = 'onmessage=function(e){setTimeout(function(){postMessage(e.data)},e.data[1])}';
        SkrWeb.worker = new Worker(URL.createObjectURL(new Blob([code], {type: 'text/javascript'})));
        SkrWeb.worker.onmessage = function(e) {
          if (SkrWeb.workerWait === e.data[0] && SkrWeb.workerDone) {
            var d = SkrWeb.workerDone;
            SkrWeb.workerDone = null;
            d();
          }
        };
      }
      SkrWeb.workerDone = done;
      SkrWeb.worker.postMessage([++SkrWeb.workerWait, ms]);
    },
  },

  $SkrWeb__postset: 'SkrWeb.startup.script = performance.now();' +
    'if (SkrWeb.testing()) SkrWeb.watchTasks(3000);' +
    'addOnInit(function() { SkrWeb.startup.ready = performance.now(); });' +
    'addOnPreMain(function() { SkrWeb.startup.main = performance.now(); });',

  skr_web_open__deps: ['$SkrWeb'],
  skr_web_open: function(width, height, caption) {
    SkrWeb.startup.open = performance.now();
    var canvas = Module['canvas'] || document.getElementById('screen');
    if (!canvas) {
      canvas = document.createElement('canvas');
      document.body.appendChild(canvas);
    }
    // Scaled by the browser, never smoothed; a contact on it is the
    // program's alone (no panning, zooming, callout or selection).
    canvas.width = width;
    canvas.height = height;
    var style = canvas.style;
    style.imageRendering = 'pixelated';
    style.touchAction = 'none';
    style.userSelect = style.webkitUserSelect = 'none';
    style.webkitTouchCallout = 'none';
    style.webkitTapHighlightColor = 'transparent';
    SkrWeb.canvas = canvas;
    SkrWeb.touches = new Float64Array(SkrWeb.kTouches * 3).fill(-Infinity);
    SkrWeb.touchNext = 0;
    SkrWeb.queue = [];
    SkrWeb.captured = SkrWeb.leftHeld = false;
    SkrWeb.contacts = {};
    SkrWeb.width = width;
    SkrWeb.height = height;
    SkrWeb.context = canvas.getContext('2d', {alpha: false});
    SkrWeb.context.imageSmoothingEnabled = false;
    SkrWeb.context.fillStyle = '#000';
    SkrWeb.context.fillRect(0, 0, width, height);
    SkrWeb.image = SkrWeb.context.createImageData(width, height);
    SkrWeb.pixels = new Uint32Array(SkrWeb.image.data.buffer);
    document.title = UTF8ToString(caption);
    var presents = 4096;
    var testing = SkrWeb.testing();
    SkrWeb.stats = Module['skrundle'] = !testing ? null : {
      presents: new Float64Array(presents * 5),  // time, left, top, right, bottom
      presentCount: 0,
      presentCapacity: presents,
      presses: [],        // page time of each press the program took
      pressToScreen: [],  // milliseconds from a press to the present it caused
      pressToFrame: [],   // ... and to the browser's next frame after that present
      sounds: [],         // {bytes, requested, started, state: the audio context's at the start}
      sounding: 0,        // bytes of the clip sounding, 0 for none
      dialogs: 0,
      audio: null,        // the audio context (its state tells whether sound may start)
      startup: SkrWeb.startup,
    };
    SkrWeb.channel = new MessageChannel();
    SkrWeb.channel.port1.onmessage = function() {
      var resume = SkrWeb.resumeYield;
      SkrWeb.resumeYield = null;
      if (resume) resume();
    };
    // (Browsers without env() keep the whole viewport.)
    var area = SkrWeb.safeArea = document.createElement('div');
    area.style.cssText = 'position:fixed;visibility:hidden;pointer-events:none;left:0;top:0;right:0;bottom:0;' +
      'left:env(safe-area-inset-left,0px);top:env(safe-area-inset-top,0px);' +
      'right:env(safe-area-inset-right,0px);bottom:env(safe-area-inset-bottom,0px)';
    document.body.appendChild(area);
    SkrWeb.fit();
    SkrWeb.listen(window, 'resize', SkrWeb.fit, false);
    SkrWeb.listen(window, 'orientationchange', SkrWeb.fit, false);
    ['pointerdown', 'pointerup', 'pointercancel'].forEach(function(type) {
      SkrWeb.listen(document, type, SkrWeb.onPointer, {capture: true, passive: false});
    });
    SkrWeb.listen(document, 'mousedown', SkrWeb.onButton, true);
    SkrWeb.listen(document, 'mouseup', SkrWeb.onButton, true);
    SkrWeb.listen(document, 'mousemove', SkrWeb.onMove, true);
    SkrWeb.listen(document, 'contextmenu', SkrWeb.onContextMenu, true);
    SkrWeb.listen(document, 'visibilitychange', SkrWeb.onVisibility, false);
    SkrWeb.listen(window, 'pagehide', SkrWeb.onLeave, false);
  },

  skr_web_close__deps: ['$SkrWeb'],
  skr_web_close: function() {
    SkrWeb.listeners.forEach(function(l) { l[0].removeEventListener(l[1], l[2], l[3]); });
    SkrWeb.listeners = [];
    SkrWeb.queue = [];
    SkrWeb.captured = SkrWeb.leftHeld = false;
    SkrWeb.contacts = {};
    if (SkrWeb.safeArea) SkrWeb.safeArea.remove();
    SkrWeb.safeArea = null;
    if (SkrWeb.ratioWatch) SkrWeb.ratioWatch.removeEventListener('change', SkrWeb.fit);
    SkrWeb.ratioWatch = null;
    if (SkrWeb.worker) SkrWeb.worker.terminate();
    SkrWeb.worker = null;
    if (SkrWeb.audio) SkrWeb.audio.close();
    SkrWeb.audio = null;
    SkrWeb.clips = [];
  },

  skr_web_set_caption__deps: ['$SkrWeb'],
  skr_web_set_caption: function(caption) {
    document.title = UTF8ToString(caption);
  },

  // The window's icon becomes the page's icon: its pixels taken now, the
  // picture made in a later turn (the start-up does not wait for it).
  skr_web_set_icon__deps: ['$SkrWeb'],
  skr_web_set_icon: function(argb, width, height) {
    var img = new ImageData(width, height), d = img.data;
    for (var i = 0; i < width * height; ++i) {
      var p = HEAPU32[(argb >> 2) + i];
      d[i * 4] = (p >>> 16) & 255;
      d[i * 4 + 1] = (p >>> 8) & 255;
      d[i * 4 + 2] = p & 255;
      d[i * 4 + 3] = p >>> 24;
    }
    setTimeout(function() {
      var c = document.createElement('canvas');
      c.width = width;
      c.height = height;
      c.getContext('2d').putImageData(img, 0, 0);
      var link = document.querySelector('link[rel="icon"]');
      if (!link) {
        link = document.createElement('link');
        link.rel = 'icon';
        document.head.appendChild(link);
      }
      link.href = c.toDataURL('image/png');
    }, 0);
  },

  skr_web_show__deps: ['$SkrWeb'],
  skr_web_show: function() {
    SkrWeb.startup.shown = performance.now();
    if (SkrWeb.canvas) SkrWeb.canvas.style.visibility = 'visible';
  },

  skr_web_set_capture__deps: ['$SkrWeb'],
  skr_web_set_capture: function(capture) {
    SkrWeb.captured = !!capture;
  },

  skr_web_poll__deps: ['$SkrWeb'],
  skr_web_poll: function(fields) {
    var e = SkrWeb.queue.shift();
    if (!e) return 0;
    for (var i = 0; i < 9; ++i) HEAP32[(fields >> 2) + i] = e[i];
    if (e[0] === 0 && e[9] >= 0) {
      SkrWeb.pressStamp = e[9];
      var st = SkrWeb.stats;
      if (st && st.presses.length < 4096) st.presses.push(e[9]);
    }
    return 1;
  },

  // Suspends the program until an input event is queued or the time is up.
  skr_web_wait__deps: ['$SkrWeb'],
  skr_web_wait: function(timeoutMs) {
    if (!SkrWeb.startup.wait) SkrWeb.startup.wait = performance.now();
    SkrWeb.pressStamp = -1;  // a press that drew nothing has no press-to-screen time
    // (Asyncify calls this again, with the same arguments, when it resumes
    // the program: only handleSleep may decide what happens then.)
    return Asyncify.handleSleep(function(wakeUp) {
      if (SkrWeb.queue.length) {
        wakeUp();
        return;
      }
      SkrWeb.wake = wakeUp;
      if (timeoutMs < 0) return;
      if (document.hidden) {
        SkrWeb.hiddenTimer(timeoutMs, SkrWeb.wakeNow);
      } else {
        SkrWeb.timer = setTimeout(function() { SkrWeb.timer = 0; SkrWeb.wakeNow(); }, timeoutMs);
      }
    });
  },

  // Suspends the program for one turn of the browser's event loop.
  skr_web_yield__deps: ['$SkrWeb'],
  skr_web_yield: function() {
    if (!SkrWeb.startup.wait) SkrWeb.startup.wait = performance.now();
    SkrWeb.pressStamp = -1;
    return Asyncify.handleSleep(function(wakeUp) {
      SkrWeb.resumeYield = wakeUp;
      SkrWeb.channel.port2.postMessage(0);
    });
  },

  // Copies one rectangle of the screen (0x00RRGGBB words) to the canvas.
  skr_web_present__deps: ['$SkrWeb'],
  skr_web_present: function(pixels, stride, left, top, right, bottom) {
    var out = SkrWeb.pixels, w = SkrWeb.width, src = HEAPU32, base = pixels >> 2;
    for (var y = top; y < bottom; ++y) {
      var s = base + y * stride, d = y * w;
      for (var x = left; x < right; ++x) {
        var p = src[s + x];
        out[d + x] = 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >>> 16) & 0xFF);
      }
    }
    SkrWeb.context.putImageData(SkrWeb.image, 0, 0, left, top, right - left, bottom - top);
    var st = SkrWeb.stats;
    if (!st) return;
    var now = performance.now();
    var k = (st.presentCount % st.presentCapacity) * 5;
    st.presents[k] = now;
    st.presents[k + 1] = left;
    st.presents[k + 2] = top;
    st.presents[k + 3] = right;
    st.presents[k + 4] = bottom;
    ++st.presentCount;
    var stamp = SkrWeb.pressStamp;
    if (stamp >= 0 && st.pressToScreen.length < 4096) {
      st.pressToScreen.push(now - stamp);
      requestAnimationFrame(function() { st.pressToFrame.push(performance.now() - stamp); });
    }
    SkrWeb.pressStamp = -1;
  },

  // Makes clip `id` of the program: an AudioBuffer of `frames` frames at
  // `rate` from planar float samples (channel after channel), without an
  // audio context where the engine can. 0 when the page has no sound or the
  // engine refuses the layout.
  skr_web_clip__deps: ['$SkrWeb'],
  skr_web_clip: function(id, samples, channels, frames, rate) {
    try {
      var buffer;
      try {
        buffer = new AudioBuffer({numberOfChannels: channels, length: frames, sampleRate: rate});
      } catch (err) {
        var audio = SkrWeb.makeAudio();  // (older engines: no buffer without a context)
        if (!audio) return 0;
        buffer = audio.createBuffer(channels, frames, rate);
      }
      for (var c = 0; c < channels; ++c) {
        var from = HEAPF32.subarray((samples >> 2) + c * frames, (samples >> 2) + (c + 1) * frames);
        if (buffer.copyToChannel) buffer.copyToChannel(from, c);
        else buffer.getChannelData(c).set(from);
      }
      SkrWeb.clips[id] = buffer;
      return 1;
    } catch (err) {
      return 0;
    }
  },

  skr_web_drop_clip__deps: ['$SkrWeb'],
  skr_web_drop_clip: function(id) {
    delete SkrWeb.clips[id];
  },

  // Plays clip `id` (a WAVE image of `size` bytes), replacing what sounds:
  // started at once, in this turn.
  skr_web_play_clip__deps: ['$SkrWeb'],
  skr_web_play_clip: function(id, size) {
    SkrWeb.stop();
    var record = SkrWeb.request(size), buffer = SkrWeb.clips[id];
    if (buffer) SkrWeb.sound(buffer, size, record);
  },

  // Plays a WAVE image that the program does not convert, through the
  // browser's decoder: decoded from a copy of its bytes, started unless
  // another request came meanwhile.
  skr_web_play__deps: ['$SkrWeb'],
  skr_web_play: function(image, size) {
    SkrWeb.stop();
    var audio = SkrWeb.makeAudio(), generation = SkrWeb.generation, record = SkrWeb.request(size);
    if (!audio) return;
    var copy = HEAPU8.slice(image, image + size).buffer;
    var decoded = function(buffer) {
      if (generation !== SkrWeb.generation || SkrWeb.audio !== audio) return;
      SkrWeb.sound(buffer, size, record);
    };
    // (Older WebKit knows only the form with callbacks.)
    var promise = audio.decodeAudioData(copy, decoded, function() {});
    if (promise && promise.catch) promise.catch(function() {});
  },

  skr_web_stop__deps: ['$SkrWeb'],
  skr_web_stop: function() {
    SkrWeb.stop();
  },

  // A modal dialog with the texts as they are; the program waits until it
  // is closed (its button, or Escape).
  skr_web_error_box__deps: ['$SkrWeb'],
  skr_web_error_box: function(title, text) {
    var t = UTF8ToString(title), m = UTF8ToString(text);
    if (typeof document === 'undefined' || !document.body) {
      err(t + ': ' + m);
      return;
    }
    return Asyncify.handleSleep(function(wakeUp) {
      var dialog = document.createElement('dialog');
      dialog.className = 'skrundle-error';
      var heading = document.createElement('h1');
      heading.textContent = t;
      var body = document.createElement('p');
      body.textContent = m;
      body.style.whiteSpace = 'pre-wrap';
      var form = document.createElement('form');
      form.method = 'dialog';
      var ok = document.createElement('button');
      ok.textContent = 'OK';
      form.appendChild(ok);
      dialog.appendChild(heading);
      dialog.appendChild(body);
      dialog.appendChild(form);
      dialog.addEventListener('close', function() {
        dialog.remove();
        wakeUp();
      });
      document.body.appendChild(dialog);
      if (SkrWeb.stats) ++SkrWeb.stats.dialogs;
      err(t + ': ' + m);
      dialog.showModal();
      ok.focus();
    });
  },

  skr_web_color_depth: function() {
    return (typeof screen !== 'undefined' && screen.colorDepth) || 32;
  },
});
