// What the browser offers beyond the desktop: the form as a profile of hubquill-cli, read
// back by the tool and by the page, and the image in the text formats of programmers.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const { launch, openPage, answerMessage, downloaded, encode, tempFile, windowOf, field, cli } = require('./support');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

const click = (scope, caption) => scope.getByRole('button', { name: caption, exact: true }).click();

test('a profile saved in the browser builds the same image with hubquill-cli, and opens its editor again', async () => {
  const { page, context } = await openPage(browser);
  await page.locator('#app').getByLabel('Device ID', { exact: true }).selectOption({ label: 'QH203 - 48 pin' });
  const sheet = windowOf(page);
  await field(sheet, 'VID (Hex)').fill('BEEF');
  await field(sheet, 'VID (Hex)').blur();
  await field(sheet, 'Compound Device').selectOption({ label: 'Yes' });
  await sheet.getByRole('tab', { name: 'Tab2', exact: true }).click();
  const profile = await downloaded(page, () => click(sheet, 'Save Profile'));
  assert.equal(profile.name, 'qh203-48.json');
  const saved = JSON.parse(profile.bytes.toString());
  assert.equal(saved.model, 'qh203-48');
  assert.equal(saved.fields.vid, 'BEEF');
  const image = await downloaded(page, () => click(sheet, 'Create EEPROM File'));
  assert.deepEqual(image.bytes, encode(saved));

  // The text formats hold the same image as the tool writes it.
  const hex = await downloaded(page, () => click(sheet, 'Save as Intel HEX'));
  assert.equal(hex.name, 'nv.hex');
  const file = tempFile('form.json', profile.bytes);
  assert.equal(hex.bytes.toString(), execFileSync(cli, ['encode', '--format', 'ihex', file]).toString());
  const srec = await downloaded(page, () => click(sheet, 'Save as S-record'));
  assert.equal(srec.bytes.toString(), execFileSync(cli, ['encode', '--format', 'srec', file]).toString());

  // From the main window, the profile opens the model's sheet with its values.
  await click(sheet, 'Exit');
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), click(page.locator('#app'), 'Open Profile')]);
  await chooser.setFiles(file);
  await windowOf(page).waitFor();
  assert.equal(await field(windowOf(page), 'VID (Hex)').inputValue(), 'BEEF');
  assert.equal(await field(windowOf(page), 'Compound Device').inputValue(), 'Yes');
  await context.close();
});

test('a profile the tool refuses is refused with its words, and the form stays', async () => {
  const { page, context } = await openPage(browser);
  const main = page.locator('#app');
  await field(main, 'VID (hex)').fill('1234');
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), click(main, 'Open Profile')]);
  await chooser.setFiles(tempFile('bad.json', '{"model": "qh404", "fields": {"vid": 12, "nonsense": "1"}}'));
  const text = await answerMessage(page);
  assert.match(text, /^This profile cannot be opened:\nbad\.json: /);
  assert.equal(await field(main, 'VID (hex)').inputValue(), '1234');
  await context.close();
});

// Drops a file list made in the page onto `selector`.
async function drop(page, selector, files) {
  const transfer = await page.evaluateHandle((list) => {
    const data = new DataTransfer();
    for (const { name, bytes } of list) data.items.add(new File([new Uint8Array(bytes)], name));
    return data;
  }, files);
  await page.dispatchEvent(selector, 'drop', { dataTransfer: transfer });
}

test('a file dropped on an editor is loaded, and several files are refused', async () => {
  const { page, context } = await openPage(browser);
  const image = [...encode({ model: 'qh404', fields: { vid: 'BEEF' } })];
  await drop(page, '#app .editor', [{ name: 'a.bin', bytes: image }, { name: 'b.bin', bytes: image }]);
  assert.equal(await answerMessage(page), '2 files were dropped. Drop one image file to load it.');
  await drop(page, '#app .editor', [{ name: 'dropped.bin', bytes: image }]);
  await page.waitForFunction(() => document.querySelector('#app .listing').textContent.startsWith('00: BE EF'));
  assert.equal(await field(page.locator('#app'), 'VID (hex)').inputValue(), 'BEEF');
  assert.equal(await field(page.locator('#app'), 'Binary Input File to Load:').inputValue(), 'dropped.bin');
  await context.close();
});

test('Enter in a field presses Create where the editor makes it the default, and nothing elsewhere', async () => {
  const { page, context } = await openPage(browser);
  let downloads = 0;
  page.on('download', () => { downloads += 1; });
  await field(page.locator('#app'), 'VID (hex)').press('Enter');
  await page.locator('#app').getByLabel('Device ID', { exact: true }).selectOption({ label: 'QH304' });
  const made = await downloaded(page, () => field(windowOf(page), 'VID (Hex)').press('Enter'));
  assert.equal(made.name, 'nv.bin');
  assert.deepEqual(made.bytes, encode({ model: 'qh304' }));
  assert.equal(downloads, 1);
  await context.close();
});

test('the listing lights the bytes of the focused field and names the fields of a byte', async () => {
  const { page, context } = await openPage(browser);
  const main = page.locator('#app');
  await downloaded(page, () => click(main, 'Create EEPROM File'));
  await field(main, 'VID (hex)').focus();
  assert.deepEqual(await main.locator('.listing .byte.focused').evaluateAll((bytes) => bytes.map((b) => b.dataset.offset)), ['0', '1']);
  await field(main, 'Over-Current Timer').focus();
  const lit = await main.locator('.listing .byte.focused').evaluateAll((bytes) => bytes.map((b) => b.dataset.offset));
  assert.equal(lit.length, 1);
  const title = await main.locator(`.listing .byte[data-offset="${lit[0]}"]`).getAttribute('title');
  assert.match(title, /Over-Current Timer: bits/);
  await field(main, 'Over-Current Timer').blur();
  assert.equal(await main.locator('.listing .byte.focused').count(), 0);
  await context.close();
});
