// One scenario per family, as a user goes through its editor in the browser: the defaults
// created byte for byte as the native command-line tool builds them, a rule, a Create that
// is refused, and loads of a good, a foreign and a bad file.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { launch, openPage, answerMessage, noMessage, downloaded, encode, tempFile, browse, windowOf, field } = require('./support');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

const kNotAnImage = 'Looks like the input file is not a valid E2prom binary file or it may have been corrupted\nAborting the load operation of this file';

// The window a family's editor stands in, once opened from the main window's list.
async function openEditor(page, entry) {
  if (entry === null) return page.locator('#app');
  await page.locator('#app').getByLabel('Device ID', { exact: true }).selectOption({ label: entry });
  const editor = windowOf(page);
  await editor.waitFor();
  return editor;
}

async function create(page, scope) {
  return downloaded(page, () => scope.getByRole('button', { name: 'Create EEPROM File', exact: true }).click());
}

async function load(page, scope, loadCaption, name, bytes) {
  await browse(page, scope, tempFile(name, bytes));
  await scope.getByRole('button', { name: loadCaption, exact: true }).click();
  await settled(page);
}

// Until the page asks something or has done what it was asked.
async function settled(page) {
  await page.waitForFunction(() => document.querySelector('dialog.message[open]') || !document.querySelector('.editor[aria-busy]'));
}

// A one-window editor with no output name ever given: the user is told, nothing is written.
async function refusedWithoutAName(page, scope) {
  await field(scope, 'Output File Name').fill('');
  await scope.getByRole('button', { name: 'Create EEPROM File', exact: true }).click();
  assert.equal(await answerMessage(page), 'No output file specified.\nPlease specify a valid file');
  await field(scope, 'Output File Name').fill('nv.bin');
}

async function showTab(scope, caption) {
  const tab = scope.getByRole('tab', { name: caption, exact: true });
  if (await tab.count()) await tab.click();
}

const kFamilies = [
  {
    family: 'qh404',
    entry: null,
    model: 'qh404',
    load: 'LOAD from FILE',
    async rule(page, scope) {
      await field(scope, 'Port 2 Non-Removable').selectOption({ label: 'Non-Removeable' });
      assert.equal(await answerMessage(page), 'Non-Removable has been selected, Compound device field will set to Yes');
      assert.equal(await field(scope, 'Compound Device').inputValue(), 'Yes');
    },
    refused: refusedWithoutAName,
    foreign: { bytes: [0x7a, 0x7a, 0x12, 0x34, ...new Array(12).fill(0)], question: 'Dev PID 1234 is not QH404. Click OK to go on, Cancel to abort' },
    bad: { bytes: new Array(10).fill(1), message: 'Failed to read input file' },
  },
  {
    family: 'qh1xx',
    entry: 'QH107',
    model: 'qh107',
    load: 'LOAD from FILE',
    async rule(page, scope) {
      await field(scope, 'Port 1 Non-Removable', 'Non Removable Device').selectOption({ label: 'Non-Removeable' });
      assert.equal(await answerMessage(page), 'Non-Removable has been selected, Compound device field will set to Yes');
      assert.equal(await field(scope, 'Compound Device').inputValue(), 'Yes');
    },
    refused: refusedWithoutAName,
    foreign: { bytes: [0x7a, 0x7a, 0x07, 0x02, ...new Array(12).fill(0)], question: 'Dev PID 72 is not QH1xx. Click OK to go on, Cancel to abort' },
    bad: { bytes: new Array(15).fill(1), message: 'Failed to read input file' },
  },
  {
    family: 'qh304',
    entry: 'QH304',
    model: 'qh304',
    load: 'LOAD from FILE',
    async rule(page, scope) {
      // Strings enabled: the Lang ID and the strings take typing.
      assert.equal(await field(scope, 'Lang ID (Hex)').isDisabled(), true);
      await field(scope, 'String Desc Enable').selectOption({ label: 'Enable String Support' });
      assert.equal(await field(scope, 'Lang ID (Hex)').isDisabled(), false);
      assert.equal(await field(scope, 'Mfg String').isDisabled(), false);
      await field(scope, 'String Desc Enable').selectOption({ label: 'Disable String Support' });
    },
    async refused(page, scope) {
      await showTab(scope, 'Tab1');
      await field(scope, 'Mfg Len').fill('32');
      await field(scope, 'Mfg Len').blur();
      await showTab(scope, 'Tab2');
      await scope.getByRole('button', { name: 'Create EEPROM File', exact: true }).click();
      assert.equal(await answerMessage(page), "Enter a valid value for the field 'Mfg Len' (decimal number in range 0 through 31)");
      // Its page came forward, and the field has the focus.
      assert.equal(await field(scope, 'Mfg Len').evaluate((node) => node === document.activeElement), true);
      await field(scope, 'Mfg Len').fill('00');
      await field(scope, 'Mfg Len').blur();
      await showTab(scope, 'Tab2');
    },
    bad: { bytes: new Array(100).fill(1), message: kNotAnImage, resetsNames: true },
  },
  {
    family: 'qh20x',
    entry: 'QH203 - 36 pin',
    model: 'qh203-36',
    load: 'Load From File',
    async rule(page, scope) {
      assert.equal(await field(scope, 'Port 3', 'Non-Removable Device').isDisabled(), true);
      await field(scope, 'Compound Device').selectOption({ label: 'Yes' });
      assert.equal(await field(scope, 'Port 3', 'Non-Removable Device').isDisabled(), false);
      await field(scope, 'Compound Device').selectOption({ label: 'No' });
      assert.equal(await field(scope, 'Port 3', 'Non-Removable Device').isDisabled(), true);
    },
    async refused(page, scope) {
      await showTab(scope, 'Tab2');
      await field(scope, 'Output File Name:').fill('');
      await scope.getByRole('button', { name: 'Create EEPROM File', exact: true }).click();
      assert.equal(await answerMessage(page), 'No output file specified.\nPlease specify a valid file');
      await field(scope, 'Output File Name:').fill('nv.bin');
    },
    bad: { bytes: new Array(257).fill(0xff), message: kNotAnImage },
  },
];

for (const family of kFamilies) {
  test(`${family.family}: a refused Create, the defaults, a rule, and loads`, async () => {
    const { page, context, errors } = await openPage(browser);
    const scope = await openEditor(page, family.entry);
    await showTab(scope, 'Tab2');
    await family.refused(page, scope);

    // The defaults, created: the native tool's image of the same model, byte for byte.
    const made = await create(page, scope);
    assert.equal(made.name, 'nv.bin');
    assert.deepEqual(made.bytes, encode({ model: family.model }));
    assert.ok(await noMessage(page));
    const listed = await scope.locator('.listing').innerText();
    assert.match(listed, /^00: ([0-9A-F]{2} ){15}[0-9A-F]{2}/);

    await showTab(scope, 'Tab1');
    await family.rule(page, scope);

    // A good file: the image just made, loaded back, asks nothing and shows the defaults.
    await showTab(scope, 'Tab2');
    await load(page, scope, family.load, 'good.bin', made.bytes);
    assert.ok(await noMessage(page));
    assert.equal(await scope.locator('.listing').innerText(), listed);
    const again = await create(page, scope);
    assert.deepEqual(again.bytes, made.bytes);

    if (family.foreign) {
      // An image of another model: the question, and Cancel changes nothing.
      await load(page, scope, family.load, 'foreign.bin', Buffer.from(family.foreign.bytes));
      assert.equal(await answerMessage(page, 'Cancel'), family.foreign.question);
      assert.equal(await scope.locator('.listing').innerText(), listed);
    }

    // A bad file: told, and the form and listing stay as they were.
    await load(page, scope, family.load, 'bad.bin', Buffer.from(family.bad.bytes));
    assert.equal(await answerMessage(page), family.bad.message);
    assert.equal(await scope.locator('.listing').innerText(), listed);
    if (family.bad.resetsNames) assert.equal(await field(scope, 'Output File Name :').inputValue(), 'nv.bin');
    const last = await create(page, scope);
    assert.deepEqual(last.bytes, made.bytes);
    assert.deepEqual(errors, []);
    await context.close();
  });
}

test('qh1xx: an image of a port count without a form asks for the display template', async () => {
  const { page, context } = await openPage(browser);
  const scope = await openEditor(page, 'QH103');
  const image = [0x7a, 0x7a, 0x05, 0x01, ...new Array(12).fill(0)];
  await load(page, scope, 'LOAD from FILE', 'five.bin', Buffer.from(image));
  assert.equal(await answerMessage(page, 'Yes'), 'Select QH107 as display template');
  assert.equal(await scope.locator('.window-title, h2').first().innerText(), 'QH107');
  assert.equal(await field(scope, 'Device ID').inputValue(), 'QH107');
  await context.close();
});

test('qh404: a load tells a value no item stands for, and its list offers an empty item', async () => {
  const { page, context } = await openPage(browser);
  const scope = page.locator('#app');
  const image = Buffer.alloc(256, 0xff);
  [0x7a, 0x7a, 0xa7, 0, 0, 0, 0x58, 0, 0x83, 0, 0, 0x80].forEach((byte, at) => { image[at] = byte; });
  await field(scope, 'Over-Current Timer').selectOption({ label: '4ms' });
  await load(page, scope, 'LOAD from FILE', 'odd.bin', image);
  assert.equal(await answerMessage(page), 'Over-Current Timer:Invalid value 0x3');
  assert.deepEqual(await field(scope, 'Over-Current Timer').locator('option').allInnerTexts(), ['2ms', '4ms', '6ms', '']);
  assert.equal(await field(scope, 'Over-Current Timer').inputValue(), '4ms');
  // The byte the next Create writes differently is framed, and says why.
  const marked = scope.locator('.listing .byte.changed');
  assert.deepEqual(await marked.allInnerTexts(), ['83']);
  assert.match(await marked.getAttribute('title'), /Over-Current Timer/);
  await context.close();
});

test('each window\'s own Device ID list switches its model or leads back to the main window', async () => {
  const { page, context } = await openPage(browser);
  const mainList = page.locator('#app').getByLabel('Device ID', { exact: true });
  await mainList.selectOption({ label: 'QH103' });
  const own = () => windowOf(page).getByLabel('Device ID', { exact: true });
  assert.deepEqual(await own().locator('option').allInnerTexts(), ['QH404', 'QH102', 'QH103', 'QH104', 'QH107']);
  await own().selectOption({ label: 'QH102' });
  assert.equal(await windowOf(page).locator('.window-title').innerText(), 'QH102');
  assert.equal(await field(windowOf(page), 'PID (Hex)').inputValue(), '0102');
  await own().selectOption({ label: 'QH404' });
  await windowOf(page).waitFor({ state: 'detached' });
  assert.equal(await mainList.inputValue(), 'QH404');

  // The QH202's list names the model first and goes back with its second entry.
  await mainList.selectOption({ label: 'QH202' });
  assert.equal(await own().inputValue(), (await own().locator('option').allInnerTexts())[0]);
  await own().selectOption({ label: 'Back' });
  await windowOf(page).waitFor({ state: 'detached' });
  await mainList.selectOption({ label: 'QH304' });
  assert.deepEqual(await own().locator('option').allInnerTexts(), ['QH404', 'QH304']);
  await own().selectOption({ label: 'QH404' });
  await windowOf(page).waitFor({ state: 'detached' });
  await context.close();
});
