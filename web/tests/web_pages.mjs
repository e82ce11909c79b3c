// The web player's pages in the machine's headless Chromium (WebGL 2 through SwiftShader), each folder
// served from 127.0.0.1 by a small static server of this script:
//   - each page paused at each of its still times matches demo_capture's still there (mean difference
//     per channel at most 4 levels of 255): the built-in piece, the second piece, a piece of acts;
//   - a page whose piece does not check shows the reader's message, and nothing plays;
//   - playing (the first page), the piece's time follows the audio clock, the clock moves, and the keys
//     pause and seek.
//
//   node web/tests/web_pages.mjs BROKEN_DIR 'MESSAGE' PAGE_DIR STILLS [PAGE_DIR STILLS ...]
//
// A STILLS folder holds demo_capture's still_TTT.TT.png at 640x360; the times are read from the names.
import { chromium } from 'playwright-core';
import { createServer } from 'node:http';
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { basename, extname, join, normalize } from 'node:path';

const [brokenDir, brokenMessage, ...pages] = process.argv.slice(2);
if (!brokenMessage || pages.length < 2 || pages.length % 2 !== 0) {
  console.error('usage: node web/tests/web_pages.mjs BROKEN_DIR MESSAGE PAGE_DIR STILLS [PAGE_DIR STILLS ...]');
  process.exit(2);
}
const width = 640;
const height = 360;
const mostMeanDifference = 4;

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };
// Serves one folder; resolves to its base address.
function serve(folder) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^(\.\.[/\\])+/, '');
    const file = join(folder, path === '/' ? 'index.html' : path);
    try {
      if (!statSync(file).isFile()) throw new Error('not a file');
      response.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' });
      response.end(readFileSync(file));
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => done({ server, base: `http://127.0.0.1:${server.address().port}/` })));
}

const failures = [];
function check(ok, text) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${text}`);
  if (!ok) failures.push(text);
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
         '--autoplay-policy=no-user-gesture-required', '--disable-background-networking', '--disable-component-update'],
});

// Opens `query` of the folder's page and waits until it has started (or failed).
async function open(base, query) {
  const page = await browser.newPage({ viewport: { width, height } });
  const logs = [];
  page.on('console', (m) => logs.push(m.text()));
  page.on('pageerror', (e) => logs.push(`pageerror: ${e.message}`));
  await page.goto(base + 'index.html' + query);
  await page.waitForFunction(() => ['started', 'failed'].includes(document.body.dataset.state), null, { timeout: 180000 });
  return { page, logs };
}

// The mean difference per channel between the canvas as shown and a PNG, computed in the page.
async function meanDifference(page, pngPath) {
  const shot = await page.locator('#canvas').screenshot();
  return page.evaluate(async ([a, b]) => {
    const pixels = async (base64) => {
      const image = new Image();
      image.src = 'data:image/png;base64,' + base64;
      await image.decode();
      const c = new OffscreenCanvas(image.width, image.height);
      const g = c.getContext('2d');
      g.drawImage(image, 0, 0);
      return g.getImageData(0, 0, image.width, image.height);
    };
    const [x, y] = [await pixels(a), await pixels(b)];
    if (x.width !== y.width || x.height !== y.height) return `sizes ${x.width}x${x.height} and ${y.width}x${y.height}`;
    let sum = 0;
    for (let i = 0; i < x.data.length; i += 4)
      sum += Math.abs(x.data[i] - y.data[i]) + Math.abs(x.data[i + 1] - y.data[i + 1]) + Math.abs(x.data[i + 2] - y.data[i + 2]);
    return sum / (3 * x.width * x.height);
  }, [shot.toString('base64'), readFileSync(pngPath).toString('base64')]);
}

// Every still of the folder against the page paused at its time.
async function compareStills(base, stills, name) {
  for (const file of readdirSync(stills).filter((f) => /^still_[0-9.]+\.png$/.test(f)).sort()) {
    const t = Number(file.slice(6, -4));
    const { page, logs } = await open(base, `?t=${t}&paused=1`);
    const state = await page.evaluate(() => document.body.dataset.state);
    if (state !== 'started') {
      check(false, `${name} at ${t} s: the page ${state}: ${logs.slice(-5).join(' | ')}`);
      await page.close();
      continue;
    }
    await page.waitForFunction(() => document.body.dataset.time !== undefined, null, { timeout: 120000 });
    const shown = await page.evaluate(() => Number(document.body.dataset.time));
    check(Math.abs(shown - t) < 0.01, `${name} at ${t} s: the page shows the frame at ${shown} s`);
    const difference = await meanDifference(page, join(stills, file));
    check(typeof difference === 'number' && difference <= mostMeanDifference,
      `${name} at ${t} s: mean difference ${typeof difference === 'number' ? difference.toFixed(2) : difference} levels from demo_capture's still`);
    await page.close();
  }
}

const servers = [];
try {
  const served = [];
  for (let k = 0; k < pages.length; k += 2) {
    const page = await serve(pages[k]);
    servers.push(page.server);
    served.push(page);
    await compareStills(page.base, pages[k + 1], basename(pages[k]));
  }
  const builtin = served[0];
  const broken = await serve(brokenDir);
  servers.push(broken.server);

  {
    const { page } = await open(broken.base, '?autoplay=1');
    const state = await page.evaluate(() => document.body.dataset.state);
    const text = await page.evaluate(() => document.getElementById('error').textContent);
    const shown = await page.evaluate(() => !document.getElementById('error').hidden);
    check(state === 'failed' && shown && text.includes(brokenMessage), `a piece that does not check: the page says '${text}'`);
    await page.close();
  }

  {
    const { page } = await open(builtin.base, '?autoplay=1');
    const sample = () => page.evaluate(() => ({ time: Number(document.body.dataset.time), music: Number(document.body.dataset.music) }));
    await page.waitForFunction(() => Number(document.body.dataset.time) > 0.5, null, { timeout: 60000 });
    const first = await sample();
    await page.waitForTimeout(1500);
    const second = await sample();
    check(second.music - first.music > 0.5, `playing, the audio clock moves: ${first.music.toFixed(3)} s, then ${second.music.toFixed(3)} s`);
    // A frame is drawn at the music's position of its refresh: within a frame of the fixed step.
    for (const s of [first, second])
      check(Math.abs(s.time - s.music) <= 1 / 60 + 1e-3, `the frame's time ${s.time.toFixed(4)} s follows the music at ${s.music.toFixed(4)} s`);
    await page.keyboard.press('Space');
    await page.waitForFunction(() => document.body.dataset.paused === '1', null, { timeout: 10000 });
    const held = await sample();
    await page.waitForTimeout(500);
    const later = await sample();
    check(later.music === held.music && later.time === held.time, `Space holds the piece at ${held.time.toFixed(3)} s`);
    await page.keyboard.press('ArrowRight');
    await page.waitForFunction((t) => Number(document.body.dataset.time) > t + 0.9, held.time, { timeout: 10000 }).catch(() => {});
    const ahead = await sample();
    check(Math.abs(ahead.time - (held.time + 1)) <= 1 / 60, `Right seeks 1 s: ${held.time.toFixed(3)} s to ${ahead.time.toFixed(3)} s`);
    await page.close();
  }
} finally {
  await browser.close();
  for (const s of servers) s.close();
}
if (failures.length > 0) {
  console.log(`${failures.length} check(s) failed`);
  process.exit(1);
}
console.log('every web page check passed');
