// What the browser tests share: Debian's chromium driven headless, the page opened from
// its file, messages answered as a user would, downloads read back, and the native
// command-line tool as the reference for every byte.
'use strict';

const { chromium } = require('playwright-core');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');

const root = path.resolve(__dirname, '../../..');
const html = process.env.HUBQUILL_HTML || path.join(root, 'build/web/hubquill.html');
const cli = process.env.HUBQUILL_CLI || path.join(root, 'build/cli/hubquill-cli');
const pageUrl = pathToFileURL(html).href;

async function launch() {
  return chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox'] });
}

// A fresh page at the main window, its model list usable. `requests` gathers every request
// the page makes.
async function openPage(browser) {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 }, acceptDownloads: true });
  const page = await context.newPage();
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(pageUrl);
  await page.waitForSelector('body[data-ready=true]');
  return { page, context, requests, errors };
}

// The message on the screen: its text, then the button given pressed.
async function answerMessage(page, button = 'OK') {
  const dialog = page.locator('dialog.message[open]').last();
  await dialog.waitFor();
  const text = await dialog.locator('p').first().innerText();
  await dialog.getByRole('button', { name: button, exact: true }).click();
  await dialog.waitFor({ state: 'detached' });
  return text;
}

async function noMessage(page) {
  return (await page.locator('dialog.message[open]').count()) === 0;
}

// The bytes of the download that `action` starts, and its name.
async function downloaded(page, action) {
  const [download] = await Promise.all([page.waitForEvent('download'), action()]);
  const file = await download.path();
  return { name: download.suggestedFilename(), bytes: fs.readFileSync(file) };
}

// The image `hubquill-cli encode` builds from a profile.
function encode(profile) {
  // Its warnings (values cut, rules applied) are the form's messages; the bytes are compared.
  return execFileSync(cli, ['encode', '-'], { input: JSON.stringify(profile), stdio: ['pipe', 'pipe', 'ignore'] });
}

// A file the page can be given through its picker.
function tempFile(name, bytes) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'hubquill-web-'));
  const file = path.join(folder, name);
  fs.writeFileSync(file, bytes);
  return file;
}

// Chooses a file with the editor's Browse button.
async function browse(page, scope, file) {
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), scope.getByRole('button', { name: 'Browse', exact: true }).click()]);
  await chooser.setFiles(file);
}

// The editor window over or beside the main window, or the main window itself.
function windowOf(page) {
  return page.locator('dialog.window[open]');
}

// A field by its caption, inside the group box with `group` as its caption when given.
function field(scope, label, group) {
  const within = group ? scope.locator('fieldset', { has: scope.page().locator(`> legend:text-is("${group}")`) }) : scope;
  return within.getByLabel(label, { exact: true });
}

module.exports = { launch, openPage, answerMessage, noMessage, downloaded, encode, tempFile, browse, windowOf, field, html, cli };
