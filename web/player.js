// The page half of the web player: the loading line, the click that lets the browser start sound, the
// music decoded and played by Web Audio (its clock is the piece's), and errors written on the page.
// index.html (written by scripts/web.sh) loads this before the packed files and the player itself.
'use strict';

(function () {
  const params = new URLSearchParams(window.location.search);
  const status = document.getElementById('status');
  const overlay = document.getElementById('overlay');
  const errorBox = document.getElementById('error');
  const canvas = document.getElementById('canvas');
  const paused = params.get('paused') === '1';
  const autoplay = params.get('autoplay') === '1';
  const piece = document.body.dataset.piece || '';

  // The player's arguments from the address: the piece the page was made for, the time and pause.
  const args = [];
  if (piece !== '') args.push('--piece', piece);
  if (params.has('t')) args.push('--at', params.get('t'));
  if (paused) args.push('--paused');

  let failed = false;
  // The page's state for people and tests: loading, waiting (for the click), started or failed.
  function setState(state) {
    document.body.dataset.state = state;
  }
  setState('loading');

  function showError(text) {
    failed = true;
    setState('failed');
    status.hidden = true;
    overlay.hidden = true;
    errorBox.hidden = false;
    errorBox.textContent = text;
  }

  // The canvas draws at the size it is shown, in device pixels (the player follows it each frame).
  new ResizeObserver(() => {
    const scale = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * scale));
    const height = Math.max(1, Math.round(canvas.clientHeight * scale));
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
  }).observe(canvas);

  if (!document.createElement('canvas').getContext('webgl2')) {
    showError('This browser has no WebGL 2, which the piece is drawn with.');
    return;
  }

  // The music: one AudioContext; the piece's time is the music's position on its clock.
  let audio = null;
  let buffer = null;
  let decodeError = '';
  let source = null;
  let playing = false;
  let offset = 0; // music seconds at startedAt
  let startedAt = 0; // the audio clock when the source started

  function context() {
    if (audio === null) audio = new (window.AudioContext || window.webkitAudioContext)();
    return audio;
  }
  function stopSource() {
    if (source !== null) {
      source.onended = null;
      source.stop();
      source.disconnect();
      source = null;
    }
  }
  function startSource() {
    stopSource();
    if (buffer === null) return;
    source = audio.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.destination);
    startedAt = audio.currentTime;
    source.start(startedAt, Math.min(offset, buffer.duration));
  }
  function position() {
    return playing ? offset + (audio.currentTime - startedAt) : offset;
  }

  const webMusic = {
    duration: () => (buffer !== null ? buffer.duration : -1),
    sampleRate: () => (buffer !== null ? buffer.sampleRate : 0),
    channels: () => (buffer !== null ? buffer.numberOfChannels : 0),
    error: () => decodeError,
    frames: () => (buffer !== null ? buffer.length : 0),
    // Interleaves the channels into the player's memory at `to` (a float array of frames x channels).
    copy(to, frames) {
      const channels = buffer.numberOfChannels;
      const out = Module.HEAPF32.subarray(to >> 2, (to >> 2) + frames * channels);
      for (let c = 0; c < channels; ++c) {
        const data = buffer.getChannelData(c);
        for (let i = 0; i < frames; ++i) out[i * channels + c] = data[i];
      }
    },
    position,
    seek(seconds) {
      offset = seconds;
      if (playing) startSource();
    },
    play(on) {
      if (on === playing) return;
      if (on) {
        playing = true;
        startSource();
      } else {
        offset = position();
        playing = false;
        stopSource();
      }
    },
    stop() {
      offset = position();
      playing = false;
      stopSource();
    },
  };

  function decodeMusic(path) {
    let bytes;
    try {
      bytes = Module.FS.readFile(path);
    } catch (e) {
      decodeError = 'no such file in the page';
      Module._web_start();
      return;
    }
    context()
      .decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength))
      .then((decoded) => {
        buffer = decoded;
      })
      .catch((e) => {
        decodeError = 'the browser cannot decode it (' + (e && e.message ? e.message : e) + ')';
      })
      .finally(() => Module._web_start());
  }

  function start() {
    overlay.hidden = true;
    status.textContent = 'Starting...';
    Module.callMain(args);
  }

  window.Module = {
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    setStatus(text) {
      if (!failed && text) status.textContent = text;
    },
    showError,
    decodeMusic,
    webMusic,
    // Each frame drawn: its time (and the music's position at that moment, to see that they agree) for
    // people and tests.
    frameShown(seconds, isPaused) {
      document.body.dataset.time = seconds.toFixed(4);
      document.body.dataset.music = position().toFixed(4);
      document.body.dataset.paused = isPaused ? '1' : '0';
    },
    started() {
      status.hidden = true;
      setState('started');
      if (!paused && audio !== null) audio.resume();
    },
    onRuntimeInitialized() {
      if (failed) return;
      // Sound starts only after a gesture; a paused still plays none, so it needs no click.
      if (paused || autoplay) {
        start();
        return;
      }
      status.textContent = '';
      overlay.hidden = false;
      setState('waiting');
      overlay.addEventListener(
        'click',
        () => {
          context().resume();
          start();
        },
        { once: true },
      );
    },
  };
  // The live player's keys: Space pauses, the arrows seek 1 s (10 s with Shift), Home goes back to 0; F
  // toggles full screen.
  window.addEventListener('keydown', (event) => {
    if (document.body.dataset.state !== 'started' || event.ctrlKey || event.altKey || event.metaKey) return;
    const step = event.shiftKey ? 10 : 1;
    switch (event.code) {
      case 'Space':
        if (audio !== null) audio.resume();
        Module._web_toggle_pause();
        break;
      case 'ArrowLeft':
        Module._web_seek_by(-step);
        break;
      case 'ArrowRight':
        Module._web_seek_by(step);
        break;
      case 'Home':
        Module._web_seek_to(0);
        break;
      case 'KeyF':
        if (document.fullscreenElement) document.exitFullscreen();
        else canvas.requestFullscreen().catch(() => {});
        break;
      default:
        return;
    }
    event.preventDefault();
  });
  window.addEventListener('error', (event) => {
    if (!failed) showError(String(event.message || event.error));
  });
})();
