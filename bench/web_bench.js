// The browser edition's benchmark rows, each figure beside a floor measured in the same run:
//   page ready (the model list usable) against a static page of the same size,
//   encode+decode of one image in the browser against the same code run natively, per model,
//   the file's size against the WebAssembly core it embeds.
// Run from the repository after a build with the benchmarks (docs/web.md):
//   node bench/web_bench.js [build/web/hubquill.html] [build/bench/hubquill_web_codec]
'use strict';

const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const { execFileSync } = require('node:child_process');
const { pathToFileURL } = require('node:url');
const { chromium } = require(path.join(__dirname, '../web/node_modules/playwright-core'));

const root = path.resolve(__dirname, '..');
const html = process.argv[2] || path.join(root, 'build/web/hubquill.html');
const native = process.argv[3] || path.join(root, 'build/bench/hubquill_web_codec');
const kLoads = 9;
const kRounds = 10000;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// A page of the same size that does nothing: one comment as long as the file.
function staticTwin() {
  const size = fs.statSync(html).size;
  const head = '<!DOCTYPE html><html><head><meta charset="utf-8"><title>twin</title></head><body><p>static</p><!--';
  const tail = '--></body></html>';
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'hubquill-bench-')), 'twin.html');
  fs.writeFileSync(file, head + 'x'.repeat(Math.max(0, size - head.length - tail.length)) + tail);
  return file;
}

// Milliseconds from the start of the navigation to `when` in a fresh page.
async function timeToOpen(browser, file, when) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
  const ms = await page.evaluate(when);
  await context.close();
  return ms;
}

function row(figure, measured, unit, floorName, floor, target) {
  const ratio = floor > 0 ? measured / floor : NaN;
  return { figure, measured: `${measured.toFixed(unit === 'ms' ? 1 : 0)} ${unit}`, floor: `${floorName}: ${floor.toFixed(unit === 'ms' ? 1 : 0)} ${unit}`, ratio: ratio.toFixed(2), target };
}

(async () => {
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox'] });
  const rows = [];

  const twin = staticTwin();
  const ready = [];
  const floor = [];
  for (let i = 0; i < kLoads; i++) {
    ready.push(await timeToOpen(browser, html, async () => {
      while (!performance.getEntriesByName('hubquill-ready').length) await new Promise((r) => setTimeout(r, 5));
      return performance.getEntriesByName('hubquill-ready')[0].startTime;
    }));
    floor.push(await timeToOpen(browser, twin, () => performance.getEntriesByType('navigation')[0].loadEventEnd));
  }
  const readyMs = median(ready);
  rows.push(row('page ready (model list usable)', readyMs, 'ms', 'static page of the same size', median(floor),
    `< 300 ms (${readyMs < 300 ? 'met' : 'MISSED'})`));

  // The codec, in the page's own module and natively, by the same code.
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(pathToFileURL(html).href);
  await page.waitForSelector('body[data-ready=true]');
  // eslint-disable-next-line no-undef
  // Once to let the engine compile the module's hot code fully, then measured.
  const inBrowser = await page.evaluate(async (rounds) => {
    const module = await HubquillCore();
    module.codecTimings(rounds);
    return module.codecTimings(rounds);
  }, kRounds);
  await context.close();
  const parse = (text) => Object.fromEntries(text.trim().split('\n').map((line) => line.split(' ')).map(([id, ns]) => [id, Number(ns)]));
  const wasm = parse(inBrowser);
  if (fs.existsSync(native)) {
    const own = parse(execFileSync(native, [String(kRounds)]).toString());
    for (const [id, ns] of Object.entries(wasm)) {
      const ratio = ns / own[id];
      rows.push(row(`encode+decode in the browser, ${id}`, ns, 'ns', 'native', own[id], `<= 3 (${ratio <= 3 ? 'met' : 'MISSED'})`));
    }
  } else {
    rows.push({ figure: 'encode+decode in the browser', measured: '-', floor: `not measured: no ${native} (build with -DHUBQUILL_BENCH=ON)`, ratio: '-', target: '<= 3' });
  }
  await browser.close();

  // The file against the core it embeds (the module as base64 inside the emscripten loader).
  const size = fs.statSync(html).size;
  const core = path.join(path.dirname(html), 'hubquill-core.js');
  const coreSize = fs.existsSync(core) ? fs.statSync(core).size : 0;
  rows.push(row('hubquill.html', size / 1024, 'KiB', 'the core module alone', coreSize / 1024,
    `< 1536 KiB (${size < 1.5 * 1024 * 1024 ? 'met' : 'MISSED'})`));

  console.log(`${os.cpus().length} cores, ${os.cpus()[0].model}; chromium headless`);
  const widths = ['figure', 'measured', 'floor', 'ratio', 'target'].map((key) => Math.max(key.length, ...rows.map((r) => String(r[key]).length)));
  const line = (cells) => cells.map((cell, at) => String(cell).padEnd(widths[at])).join(' | ');
  console.log(line(['figure', 'measured', 'floor', 'ratio', 'target']));
  console.log(widths.map((w) => '-'.repeat(w)).join('-|-'));
  for (const r of rows) console.log(line([r.figure, r.measured, r.floor, r.ratio, r.target]));
})();
