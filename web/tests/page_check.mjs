// Opens a page of the web player in the machine's headless Chromium (WebGL 2 through SwiftShader) and
// reports what a person would see: the page's state, its error text, the console, and a screenshot of
// the canvas.
//
//   node web/tests/page_check.mjs URL SCREENSHOT.png [--timeout SECONDS]
//
// Prints one JSON line {state, error, console}; exits 1 unless the page started.
import { chromium } from 'playwright-core';

const [url, screenshot, ...rest] = process.argv.slice(2);
if (!url || !screenshot) {
  console.error('usage: node web/tests/page_check.mjs URL SCREENSHOT.png [--timeout SECONDS]');
  process.exit(2);
}
const timeoutIndex = rest.indexOf('--timeout');
const timeoutSeconds = timeoutIndex >= 0 ? Number(rest[timeoutIndex + 1]) : 60;
if (!(timeoutSeconds > 0 && timeoutSeconds <= 600)) {
  console.error('page_check: --timeout wants 1 to 600 seconds');
  process.exit(2);
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
    '--autoplay-policy=no-user-gesture-required',
  ],
});
const lines = [];
let state = 'unknown';
let error = '';
try {
  const page = await browser.newPage({ viewport: { width: 640, height: 360 } });
  page.on('console', (m) => lines.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => lines.push(`pageerror: ${e.message}`));
  await page.goto(url);
  await page.waitForFunction(
    () => ['started', 'failed', 'waiting'].includes(document.body.dataset.state),
    null,
    { timeout: timeoutSeconds * 1000 },
  );
  state = await page.evaluate(() => document.body.dataset.state);
  error = await page.evaluate(() => document.getElementById('error').textContent);
  if (state === 'started') {
    // A few frames, so that the still is on the canvas.
    await page.evaluate(
      () => new Promise((done) => { let n = 0; const tick = () => (++n >= 10 ? done() : requestAnimationFrame(tick)); requestAnimationFrame(tick); }),
    );
  }
  await page.screenshot({ path: screenshot });
} catch (e) {
  error = error || String(e.message || e);
} finally {
  await browser.close();
}
console.log(JSON.stringify({ state, error, console: lines }));
process.exit(state === 'started' ? 0 : 1);
