// Times a web player page in the machine's headless Chromium (WebGL 2 on SwiftShader): load to first
// frame (from the request of the page, polled every 10 ms), and the frame time while playing at the
// viewport's size.
//
//   node bench/web_page.mjs URL WIDTHxHEIGHT SECONDS
//
// Prints one JSON line: {firstFrameMs, frames, medianMs, p99Ms}.
import { createRequire } from 'node:module';

const require = createRequire(new URL('../web/package.json', import.meta.url));
const { chromium } = require('playwright-core');

const [url, size, secondsText] = process.argv.slice(2);
const [width, height] = (size || '').split('x').map(Number);
const seconds = Number(secondsText);
if (!url || !(width > 0 && height > 0) || !(seconds > 0 && seconds <= 600)) {
  console.error('usage: node bench/web_page.mjs URL WIDTHxHEIGHT SECONDS');
  process.exit(2);
}
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
         '--autoplay-policy=no-user-gesture-required'],
});
try {
  const page = await browser.newPage({ viewport: { width, height } });
  const opened = Date.now();
  await page.goto(url + (url.includes('?') ? '&' : '?') + 'autoplay=1');
  await page.waitForFunction(() => document.body.dataset.time !== undefined, null, { timeout: 180000, polling: 10 });
  const firstFrameMs = Date.now() - opened;
  // Every frame drawn from here on: a refresh whose shown time changed.
  await page.evaluate(() => {
    window.frameTimes = [];
    let last = '';
    const look = (now) => {
      if (document.body.dataset.time !== last) {
        last = document.body.dataset.time;
        window.frameTimes.push(now);
      }
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  });
  await page.waitForTimeout(seconds * 1000);
  const times = await page.evaluate(() => window.frameTimes);
  const gaps = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
  const at = (q) => gaps[Math.min(gaps.length - 1, Math.floor(q * gaps.length))];
  console.log(JSON.stringify({ firstFrameMs: Math.round(firstFrameMs), frames: gaps.length,
    medianMs: Number(at(0.5).toFixed(1)), p99Ms: Number(at(0.99).toFixed(1)) }));
} finally {
  await browser.close();
}
