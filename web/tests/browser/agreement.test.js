// Random forms filled in the browser as a user does (picking items, typing and leaving
// boxes, answering the rules' messages) build the same image as `hubquill-cli encode` does
// from a profile of the same form; the page makes no request beyond its own file; and every
// control has an accessible name.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { launch, openPage, answerMessage, encode, windowOf } = require('./support');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

// A small fixed-seed generator, so a failure is repeated by running again.
function generator(seed) {
  let state = seed >>> 0;
  return (below) => {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return Math.floor((state / 2 ** 32) * below);
  };
}

async function answerAll(page) {
  while (await page.locator('dialog.message[open]').count()) await answerMessage(page);
}

// The fields of the editor in `scope` as the page shows them, with the tab each stands on.
async function fieldsOf(scope) {
  return scope.locator('.editor').first().evaluate((editor) => {
    const panels = [...editor.querySelectorAll('[role=tabpanel]')];
    return [...editor.querySelectorAll('.field')].map((control) => ({
      key: control.name,
      choice: control.tagName === 'SELECT',
      items: control.tagName === 'SELECT' ? [...control.options].map((o) => o.text) : [],
      limit: Number(control.getAttribute('maxlength') || 0),
      tab: Math.max(0, panels.findIndex((panel) => panel.contains(control))),
    }));
  });
}

async function showTab(scope, index) {
  const tabs = scope.getByRole('tab');
  if (await tabs.count()) await tabs.nth(index).click();
}

// What the form shows now, as a profile's fields.
async function formTexts(scope) {
  return scope.locator('.editor').first().evaluate((editor) => Object.fromEntries(
    [...editor.querySelectorAll('.field')].map((control) => [control.name,
      control.tagName === 'SELECT' ? (control.selectedIndex < 0 ? null : control.options[control.selectedIndex].text) : control.value])));
}

const hexDigits = '0123456789ABCDEF';

async function fillAtRandom(page, scope, random) {
  for (const field of await fieldsOf(scope)) {
    await showTab(scope, field.tab);
    const control = scope.locator(`.field[name="${field.key}"]`);
    if (await control.isDisabled() || await control.getAttribute('readonly') !== null) continue;
    if (field.choice) {
      if (!field.items.length) continue;
      await control.selectOption({ index: random(field.items.length) });
    } else if (field.key.includes('string') || field.key.includes('length')) {
      continue; // strings and their lengths are checked by the scenarios; kept at defaults
    } else {
      const count = 1 + random(Math.max(1, Math.min(field.limit, 4)));
      let text = '';
      for (let i = 0; i < count; i++) text += hexDigits[random(16)];
      await control.fill(text);
      await control.blur();
    }
    await answerAll(page);
  }
}

async function createAnswering(page, scope) {
  const download = page.waitForEvent('download');
  await scope.getByRole('button', { name: 'Create EEPROM File', exact: true }).click();
  let done = false;
  download.then(() => { done = true; });
  while (!done) {
    if (await page.locator('dialog.message[open]').count()) await answerMessage(page);
    else await page.waitForTimeout(10);
  }
  const file = await (await download).path();
  return require('node:fs').readFileSync(file);
}

test('random forms build the same image in the browser and with hubquill-cli encode', async () => {
  const { page, context, errors } = await openPage(browser);
  const entries = await page.locator('#app').getByLabel('Device ID', { exact: true }).locator('option').allInnerTexts();
  const random = generator(20261207);
  assert.equal(entries.length, 12);
  for (const entry of entries) {
    const main = page.locator('#app');
    await main.getByLabel('Device ID', { exact: true }).selectOption({ label: entry });
    const opened = await windowOf(page).count();
    const scope = opened ? windowOf(page) : main;
    const model = await scope.locator('.editor').first().evaluate((editor) => editor.className);
    await fillAtRandom(page, scope, random);
    await showTab(scope, 1);
    const fields = await formTexts(scope);
    const id = await scope.locator('.editor').first().getAttribute('data-model');
    const bytes = await createAnswering(page, scope);
    assert.deepEqual(bytes, encode({ model: id, fields }), `${entry} (${model}): ${JSON.stringify(fields)}`);
    if (opened) {
      await page.keyboard.press('Escape');
      await windowOf(page).waitFor({ state: 'detached' });
    }
  }
  assert.deepEqual(errors, []);
  await context.close();
});

test('the page makes no request beyond its own file, whatever the user does', async () => {
  const { page, context, requests } = await openPage(browser);
  await createAnswering(page, page.locator('#app'));
  await page.locator('#app').getByLabel('Device ID', { exact: true }).selectOption({ label: 'QH304' });
  await windowOf(page).getByRole('tab', { name: 'Tab2' }).click();
  await createAnswering(page, windowOf(page));
  await windowOf(page).getByRole('button', { name: 'Exit', exact: true }).click();
  await page.locator('#app').getByRole('button', { name: 'About', exact: true }).click();
  await answerMessage(page);
  assert.deepEqual(requests.filter((url) => !url.startsWith('blob:')), [page.url()]);
  await context.close();
});

test('every control of every window has an accessible name', async () => {
  const { page, context } = await openPage(browser);
  const unnamed = async () => page.evaluate(() => {
    const missing = [];
    for (const control of document.querySelectorAll('select, input:not([type=file]), button')) {
      const name = control.tagName === 'BUTTON' ? control.textContent.trim()
        : control.getAttribute('aria-label') || [...control.labels].map((l) => l.textContent).join('');
      if (!name) missing.push(control.outerHTML.slice(0, 80));
    }
    return missing;
  });
  assert.deepEqual(await unnamed(), []);
  const entries = await page.locator('#app').getByLabel('Device ID', { exact: true }).locator('option').allInnerTexts();
  for (const entry of entries.slice(1)) {
    await page.locator('#app').getByLabel('Device ID', { exact: true }).selectOption({ label: entry });
    assert.deepEqual(await unnamed(), [], entry);
    await page.keyboard.press('Escape');
  }
  await context.close();
});

test('served by a plain static server, the page works and asks it for nothing but itself', async () => {
  const http = require('node:http');
  const fs = require('node:fs');
  const { html } = require('./support');
  const asked = [];
  const server = http.createServer((request, response) => {
    asked.push(request.url);
    response.writeHead(request.url === '/hubquill.html' ? 200 : 404, { 'Content-Type': 'text/html' });
    response.end(request.url === '/hubquill.html' ? fs.readFileSync(html) : '');
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const context = await browser.newContext();
  try {
    const page = await context.newPage();
    await page.goto(`http://127.0.0.1:${server.address().port}/hubquill.html`);
    await page.waitForSelector('body[data-ready=true]');
    await page.locator('#app').getByLabel('Device ID', { exact: true }).selectOption({ label: 'QH304' });
    await windowOf(page).waitFor();
  } finally {
    await context.close();
    server.closeAllConnections();
    server.close();
  }
  // A browser may ask for a site icon on its own; the page itself asks for nothing.
  assert.deepEqual(asked.filter((url) => url !== '/favicon.ico'), ['/hubquill.html']);
});
