// The Tab key goes through every window's lists and boxes in the order the desktop's does:
// the desktop program's order (tools/tab_order.cpp, built as hubquill_tab_order) is the
// reference, page by page.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const path = require('node:path');
const { launch, openPage, windowOf } = require('./support');

const tool = process.env.HUBQUILL_TAB_ORDER || path.resolve(__dirname, '../../../build/hubquill_tab_order');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// The named lists and text boxes inside `scope`, in document order: the order Tab takes,
// as the page sets no tab index of its own.
async function namesIn(scope) {
  return scope.evaluate((root) => [...root.querySelectorAll('select[name], input[type=text][name]')]
    .filter((control) => !control.closest('dialog') || control.closest('dialog') === root.closest('dialog'))
    .map((control) => control.name));
}

test('every window takes the Tab key through its controls in the desktop order', async () => {
  const desktop = JSON.parse(execFileSync(tool, { stdio: ['ignore', 'pipe', 'ignore'], env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } }));
  let index = 0;
  for (const [model, pages] of Object.entries(desktop)) {
    const { page, context } = await openPage(browser);
    let scope = page.locator('#app');
    if (index > 0) {
      await scope.locator('select[name=deviceId]').first().selectOption({ index });
      scope = windowOf(page);
      await scope.waitFor();
    }
    const panels = scope.locator('[role=tabpanel]');
    const seen = [];
    if (await panels.count()) {
      for (let at = 0; at < await panels.count(); ++at) seen.push(await namesIn(panels.nth(at)));
    } else {
      seen.push(await namesIn(scope));
    }
    assert.deepEqual(seen, pages, model);
    await context.close();
    ++index;
  }
});
