// The page: the main window with its model list and the QH404 form, the QH1xx window
// beside it, and the two-page editors as modal sheets over it. Every caption, item, rule,
// check, message and byte comes from the core (HubquillCore, the WebAssembly module in this
// file); this script lays the controls out, hands the core what the user did and shows
// what it answers. Nothing is sent anywhere: files come from a picker or a drop and leave
// as downloads.
'use strict';

(function () {
  let core = null;
  let models = [];
  let texts = {};
  let home = null;

  const byId = (id) => models.find((m) => m.id === id);
  // The whole description of a model (fields, pages, byte names), asked of the core when
  // its editor first opens: the model list needs only the names.
  const details = new Map();
  const detail = (id) => {
    if (!details.has(id)) details.set(id, JSON.parse(core.model(id)));
    return details.get(id);
  };
  const el = (tag, props, children) => {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(props || {})) {
      if (key === 'class') node.className = value;
      else if (key === 'text') node.textContent = value;
      else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
      else if (value !== undefined && value !== null && value !== false) node.setAttribute(key, value === true ? '' : value);
    }
    for (const child of children || []) if (child) node.append(child);
    return node;
  };
  let uniqueId = 0;
  const newId = (stem) => `${stem}-${++uniqueId}`;
  const fill = (pattern, value) => pattern.replace('%1', value);

  // A button whose caption is its accessible name; Alt and its first letter press it, as
  // on the desktop.
  function button(caption, onclick, extra) {
    return el('button', Object.assign({ type: 'button', accesskey: caption[0].toLowerCase(), onclick }, extra || {}), [caption]);
  }

  // ---- Messages: modal, with the desktop's buttons and texts --------------------------

  // kind: 'notice' (OK), 'okCancel' (OK, Cancel), 'yesNo' (Yes, No). Answers the caption
  // key of the button pressed; Esc answers Cancel or No.
  function message(text, kind = 'notice') {
    return new Promise((resolve) => {
      const keys = kind === 'okCancel' ? ['ok', 'cancel'] : kind === 'yesNo' ? ['yes', 'no'] : ['ok'];
      const textId = newId('message');
      const dialog = el('dialog', { class: 'message', role: 'alertdialog', 'aria-modal': 'true', 'aria-labelledby': textId + '-title', 'aria-describedby': textId }, [
        el('h2', { id: textId + '-title', text: texts.title }),
        el('p', { id: textId, class: kind === 'notice' ? '' : 'stop', text: text.replace(/\n+$/, '') }),
      ]);
      const row = el('div', { class: 'buttons' });
      const done = (key) => { dialog.close(); dialog.remove(); resolve(key); };
      for (const key of keys) row.append(el('button', { type: 'button', onclick: () => done(key) }, [texts.buttons[key]]));
      dialog.append(row);
      dialog.addEventListener('cancel', (event) => { event.preventDefault(); done(keys[keys.length - 1]); });
      document.body.append(dialog);
      dialog.showModal();
      row.firstChild.focus();
    });
  }

  // ---- Downloads -------------------------------------------------------------------------

  function download(name, content, type) {
    const blob = new Blob([content], { type: type || 'application/octet-stream' });
    const url = URL.createObjectURL(blob);
    const link = el('a', { href: url, download: name });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  // The file part of a name as the user typed it (a path as the desktop shows it).
  const baseName = (name) => name.split(/[\\/]/).pop();
  const stem = (name) => baseName(name).replace(/\.[^.]*$/, '') || 'nv';

  function pickFile(accept) {
    return new Promise((resolve) => {
      const input = el('input', { type: 'file', accept, hidden: true });
      input.addEventListener('change', () => { resolve(input.files[0] || null); input.remove(); });
      document.body.append(input);
      input.click();
    });
  }

  // ---- One editor: a model's form, its file controls and listing ------------------------

  class Editor {
    // way: how the editor is shown ('main': the main window's own form, 'beside': a window
    // of its own, 'sheet': pages over the main window); onLeave: called when the user goes
    // back to the main window.
    constructor(model, way, onLeave) {
      this.model = detail(model.id);
      this.way = way;
      this.onLeave = onLeave;
      this.holder = new Array(256).fill(0xff);
      this.loaded = null; // the image a load showed, and its notes, while it is listed
      this.file = null; // the file chosen with Browse or dropped
      this.lastOutputName = '';
      this.controls = [];
      this.enabled = [];
      this.root = el('div', { class: 'editor' });
      this.build();
      this.takeDrops(this.root);
      // Enter in a field presses Create only where the editor makes it the default button.
      this.root.addEventListener('keydown', async (event) => {
        if (event.key !== 'Enter' || !this.fileTexts.createIsDefault || !event.target.classList.contains('field')) return;
        event.preventDefault();
        // The box is left first, as Enter finishes its editing.
        const at = this.controls.indexOf(event.target);
        if (event.target.tagName === 'INPUT' && at >= 0) {
          const left = core.asLeft(this.model.id, at, event.target.value);
          if (left !== event.target.value) {
            event.target.value = left;
            await this.userChanged(at);
          }
        }
        await this.create();
      });
    }

    values() {
      return this.controls.map((control, at) => {
        const field = this.model.fields[at];
        if (field.kind === 'choice') return control.selectedIndex < 0 ? null : control.selectedIndex;
        return control.value;
      });
    }

    show(values) {
      values.forEach((value, at) => {
        if (value === null || value === undefined) return;
        const control = this.controls[at];
        if (this.model.fields[at].kind === 'choice') control.selectedIndex = value;
        else control.value = value;
      });
    }

    applyGreying(changed = -1) {
      const current = this.enabled.length ? this.enabled : [];
      this.enabled = JSON.parse(core.enabled(this.model.id, JSON.stringify(this.values()), changed, JSON.stringify(current)));
      this.enabled.forEach((on, at) => { this.controls[at].disabled = !on; });
    }

    // The form at its defaults; the names and the listing stay.
    resetForm() {
      // Lists lose the empty item a load may have added.
      this.controls.forEach((control, at) => {
        if (control.tagName === 'SELECT') while (control.options.length > this.model.fields[at].items.length) control.lastChild.remove();
      });
      this.show(this.model.defaults);
      this.enabled = [];
      this.applyGreying();
    }

    reset() {
      this.resetForm();
      this.outputName.value = texts.defaultOutput;
      this.inputName.value = '';
      this.file = null;
      this.clearListing();
    }

    // -- building --

    build() {
      const model = this.model;
      this.root.textContent = '';
      this.root.dataset.model = model.id;
      this.datalists = [];
      this.controls = model.fields.map((field, at) => this.makeControl(at));
      this.enabled = [];
      this.tabs = null;
      this.fileTexts = model.files;
      this.deviceList = this.makeDeviceList();
      const files = this.makeFilePanel();
      // The window's own controls, where the model's pages place them.
      this.windowControls = { files: files.info, listing: files.display, create: files.create, input: files.input };
      // The main window and the QH1xx window place some of their own controls themselves.
      const own = this.way === 'main' ? { names: files.names(), display: files.display() }
        : this.way === 'beside' ? { output: files.output(), more: files.more() } : {};
      const pages = model.pages.map((page) => el('div', { class: 'page' }, [this.render(page.root)]));
      if (this.way === 'sheet') {
        this.root.append(this.tabbed(model.pages.map((page) => page.title), pages));
      } else if (this.way === 'main') {
        // The main window: the form on the left; the file names and buttons beside it, over
        // the listing.
        this.root.append(el('div', { class: 'columns' }, [pages[0], el('div', { class: 'side' }, [own.names, own.display])]));
      } else {
        // A window of its own: the model list and the output name on top, the form under it.
        this.root.append(el('div', { class: 'top-line' }, [this.deviceRow, own.output, own.more]), pages[0]);
      }
      this.reset();
    }

    // -- the parts of a page, as the core describes them --

    render(node, inStack = false) {
      const made = this.renderPart(node);
      if (!made) return null;
      if (node.align === 'bottom') made.style.alignSelf = 'end';
      if (node.align === 'top') made.style.alignSelf = 'start';
      if (node.align === 'topLeft' || node.align === 'left') {
        // Left in a stack is across it; in a cell or a line the part keeps to the left and
        // stands in the middle of its height (top left: at the top).
        made.style.alignSelf = inStack ? 'flex-start' : node.align === 'left' ? 'center' : 'start';
        made.style.justifySelf = 'start';
      }
      if (node.stretch) made.style.flexGrow = node.stretch;
      return made;
    }

    // A box with a caption, or a plain container without one.
    frame(kind, caption, children) {
      const parts = children.filter(Boolean);
      if (!caption) return el('div', { class: kind }, parts);
      return el('fieldset', { class: `${kind} boxed` }, [el('legend', { text: caption }), ...parts]);
    }

    renderPart(node) {
      switch (node.part) {
        case 'group': return this.renderGroup(node);
        case 'table': return this.renderTable(node);
        case 'stack': return this.frame(node.linedUp ? 'stack lined-up' : 'stack', node.name, node.parts.map((part) => this.render(part, true)));
        case 'line': return this.frame('line', node.name, node.parts.map((part) => this.render(part)));
        case 'grid': {
          // Made row by row, left to right, so the Tab key reads the grid as the desktop's does.
          const inOrder = [...node.parts].sort((a, b) => a.row - b.row || a.column - b.column);
          const cells = inOrder.map((part) => {
            const made = this.render(part);
            if (made) {
              made.style.gridRow = `${part.row + 1} / span ${part.rowSpan}`;
              made.style.gridColumn = `${part.column + 1} / span ${part.columnSpan}`;
            }
            return made;
          });
          return this.frame('grid', node.name, cells);
        }
        case 'control': return this.windowControls[node.name] ? this.windowControls[node.name]() : null;
        case 'gap': return el('div', { class: 'gap', style: `flex: 0 0 ${node.size}px; min-height: ${node.size}px` });
        default: return null;
      }
    }

    // A group's fields, one labelled row each, with the window's lists among them.
    renderGroup(node) {
      const rows = node.fields.map((at) => (typeof at === 'number' ? this.rowOf(at) : this.absentRow(at)));
      const keyOf = (at) => (typeof at === 'number' ? this.model.fields[at].key : at.key);
      for (const list of node.lists) {
        const row = this.listRow(list);
        const after = list.after ? node.fields.findIndex((at) => keyOf(at) === list.after) : -1;
        rows.splice(after + 1, 0, row);
      }
      if (!rows.length) return null;
      // Split into columns filled one after the other.
      const perColumn = Math.ceil(rows.length / node.columns);
      rows.forEach((row, at) => {
        const column = Math.floor(at / perColumn);
        [...row.children].forEach((child, side) => {
          child.style.gridRow = `${(at % perColumn) + 1}`;
          child.style.gridColumn = `${column * 2 + side + 1}`;
        });
      });
      // The page reads row by row across the columns, as the desktop's Tab key goes.
      const reading = rows.map((row, at) => ({ row, line: at % perColumn, column: Math.floor(at / perColumn) }))
        .sort((a, b) => a.line - b.line || a.column - b.column).map((placed) => placed.row);
      const box = node.boxed ? el('fieldset', { class: 'group' }, [el('legend', { text: node.name }), ...reading]) : el('div', { class: 'group loose' }, reading);
      // Every column but the last keeps to its content; the last takes the room left, unless
      // the rows keep to the top left of their box.
      const last = node.packed ? 'auto auto' : 'auto 1fr';
      box.style.gridTemplateColumns = node.columns > 1 ? `repeat(${node.columns - 1}, auto auto) ${last}` : last;
      if (node.packed) box.style.justifyContent = 'start';
      if (node.columnGap) box.style.columnGap = `${node.columnGap / 2}px`;
      return box;
    }

    // A field of the window that this model lacks: shown empty and greyed.
    absentRow(field) {
      const id = newId(field.key);
      return el('div', { class: 'row absent' }, [el('label', { for: id, text: field.label }), el('select', { id, name: field.key, disabled: true })]);
    }

    // A list of the window's own among a group's rows: the Device ID list, or one the
    // form shows without ever offering a value.
    listRow(list) {
      if (list.name === 'deviceId' && this.deviceList) {
        const row = this.deviceRow;
        this.deviceRow = null;
        return row;
      }
      const id = newId(list.name);
      return el('div', { class: 'row' }, [el('label', { for: id, text: list.label }), el('select', { id, name: list.name })]);
    }

    // Choices under headings, each block a grid of its own.
    renderTable(node) {
      const blocks = new Map();
      for (const cell of node.cells) {
        if (!blocks.has(cell.block)) blocks.set(cell.block, el('div', { class: 'table-block' }));
        let made;
        if (cell.field !== undefined) {
          made = this.controls[cell.field];
          made.setAttribute('aria-label', this.model.fields[cell.field].name);
        } else {
          made = el('span', { class: cell.heading ? 'heading' : 'row-name', text: cell.text });
        }
        made.style.gridRow = `${cell.row + 1}`;
        made.style.gridColumn = `${cell.column + 1}`;
        blocks.get(cell.block).append(made);
      }
      const box = el('fieldset', { class: 'table' }, [el('legend', { text: node.name }), el('div', { class: 'table-blocks', style: `gap: ${node.size}px` }, [...blocks.values()])]);
      return box;
    }

    // The Device ID list of a window of its own or a sheet: the way back and the models
    // it serves, as the core's window description lists them.
    makeDeviceList() {
      this.deviceRow = null;
      const served = this.model.window;
      if (this.way === 'main') return null;
      const id = newId('deviceId');
      const select = el('select', { id, name: 'deviceId' }, served.entries.map((text) => el('option', { text })));
      select.selectedIndex = served.serves.indexOf(this.model.id);
      select.addEventListener('change', () => this.deviceChosen(select.selectedIndex));
      this.deviceRow = el('div', { class: 'row device' }, [el('label', { for: id, text: texts.deviceId }), select]);
      return select;
    }

    // The way back leaves; another model of the window shows its form; the model shown
    // starts its form afresh.
    deviceChosen(index) {
      const served = this.model.window;
      if (index === served.back) { this.leave(); return; }
      this.switchModel(byId(served.serves[index]));
      this.reset();
    }

    // A window serving several models shows another of them (its list, a load or a
    // profile): the form is built anew; the names, the chosen file and the image stay.
    switchModel(model) {
      if (model.id === this.model.id) return;
      model = detail(model.id);
      const keep = { output: this.outputName.value, input: this.inputName.value, last: this.lastOutputName };
      this.model = model;
      this.build();
      this.outputName.value = keep.output;
      this.inputName.value = keep.input;
      this.lastOutputName = keep.last;
      this.root.dispatchEvent(new CustomEvent('modelswitched', { bubbles: true, detail: model }));
    }

    tabbed(captions, pages) {
      const list = el('div', { role: 'tablist', class: 'tabs' });
      const panels = [];
      this.tabs = [];
      captions.forEach((caption, at) => {
        const tabId = newId('tab');
        const panelId = newId('panel');
        const tab = el('button', { type: 'button', role: 'tab', id: tabId, 'aria-controls': panelId, onclick: () => this.showPage(at) }, [caption]);
        const panel = el('div', { role: 'tabpanel', id: panelId, 'aria-labelledby': tabId }, [pages[at]]);
        list.append(tab);
        panels.push(panel);
        this.tabs.push({ tab, panel });
      });
      list.addEventListener('keydown', (event) => {
        if (event.key !== 'ArrowRight' && event.key !== 'ArrowLeft') return;
        const now = this.tabs.findIndex((t) => t.tab.getAttribute('aria-selected') === 'true');
        const next = (now + (event.key === 'ArrowRight' ? 1 : this.tabs.length - 1)) % this.tabs.length;
        this.showPage(next);
        this.tabs[next].tab.focus();
      });
      setTimeout(() => this.showPage(0));
      return el('div', { class: 'sheet-pages' }, [list, ...panels]);
    }

    showPage(index) {
      if (!this.tabs) return;
      this.tabs.forEach(({ tab, panel }, at) => {
        tab.setAttribute('aria-selected', at === index ? 'true' : 'false');
        tab.tabIndex = at === index ? 0 : -1;
        panel.hidden = at !== index;
      });
    }

    // The page a field stands on comes forward (a refusal speaks of what the user sees).
    reveal(at) {
      if (this.tabs) this.showPage(this.model.fields[at].page);
    }

    makeControl(at) {
      const field = this.model.fields[at];
      const id = newId(field.key);
      let control;
      if (field.kind === 'choice') {
        control = el('select', { id, name: field.key }, field.items.map((text) => el('option', { text })));
        control.addEventListener('change', () => this.userChanged(at));
      } else {
        control = el('input', { id, name: field.key, class: 'field', type: 'text', maxlength: field.limit || undefined, readonly: field.readOnly, autocomplete: 'off', spellcheck: 'false' });
        if (field.kind === 'text') control.classList.add('wide');
        // A box with items is an editable list: the items offered, any text taken.
        if (field.items.length) {
          const listId = newId(field.key + '-items');
          control.setAttribute('list', listId);
          this.datalists = this.datalists || [];
          this.datalists.push(el('datalist', { id: listId }, field.items.map((text) => el('option', { value: text }))));
        }
        else control.style.width = `calc(${Math.max(field.limit || 4, 3)}ch + 14px)`;
        // A character the box cannot take is refused as it is typed or pasted.
        control.addEventListener('beforeinput', (event) => {
          const typed = event.data || (event.dataTransfer && event.dataTransfer.getData('text/plain'));
          if (typed && !core.takes(this.model.id, at, typed)) event.preventDefault();
        });
        control.addEventListener('input', () => {
          if (this.model.capitals && field.kind === 'hex') {
            const start = control.selectionStart;
            control.value = control.value.toUpperCase();
            control.setSelectionRange(start, start);
          }
        });
        control.addEventListener('change', () => {
          control.value = core.asLeft(this.model.id, at, control.value);
          this.userChanged(at);
        });
      }
      control.title = field.tip;
      control.addEventListener('focus', () => this.highlight(at));
      control.addEventListener('blur', () => this.highlight(-1));
      return control;
    }

    rowOf(at) {
      const field = this.model.fields[at];
      const control = this.controls[at];
      const list = control.getAttribute('list');
      const items = list && (this.datalists || []).find((d) => d.id === list);
      return el('div', { class: `row kind-${field.kind}` }, [el('label', { for: control.id, text: field.label }), control, items]);
    }

    async userChanged(at) {
      const correction = JSON.parse(core.userChange(this.model.id, at, JSON.stringify(this.values())));
      if (correction) await this.correct(correction);
      this.applyGreying(at);
      this.markChanges();
    }

    async correct(correction) {
      if (correction.message) await message(correction.message);
      this.show(correction.changes);
    }

    // -- file controls --

    makeFilePanel() {
      const t = this.fileTexts;
      const outputId = newId('outputFileName');
      const inputId = newId('inputFileName');
      this.outputName = el('input', { id: outputId, name: 'outputFileName', type: 'text', maxlength: 255, autocomplete: 'off' });
      this.inputName = el('input', { id: inputId, name: 'inputFileName', type: 'text', maxlength: 255, readonly: true });
      const outputLabel = el('label', { for: outputId, text: t.outputLabel });
      const inputLabel = el('label', { for: inputId, text: t.inputLabel });
      const browse = button(texts.browse, () => this.browse());
      const made = {
        create: button(texts.create, () => this.create()),
        load: button(t.loadCaption, () => this.load()),
        exit: t.hasExit ? button(texts.exit, () => this.leave()) : null,
      };
      const more = el('div', { class: 'more', role: 'group', 'aria-label': texts.more }, [
        button(texts.saveProfile, () => this.saveProfile(), { accesskey: null }),
        button(texts.openProfile, () => this.openProfile(), { accesskey: null }),
        button(texts.saveIntelHex, () => this.create('ihex'), { accesskey: null }),
        button(texts.saveSRecord, () => this.create('srec'), { accesskey: null }),
      ]);
      this.listing = el('pre', { class: 'listing', 'aria-label': texts.display, tabindex: '0' });
      this.legend = el('p', { class: 'legend', text: texts.legend, hidden: true });
      // Each arrangement is made only by the window that uses it: a control stands in one.
      return {
        create: () => made.create,
        more: () => more,
        // A sheet's "File Info" box: the names, then its buttons in the order it has them.
        info: () => el('fieldset', { class: 'file-info' }, [
          el('legend', { text: texts.fileInfo }),
          el('div', { class: 'file-grid' }, [outputLabel, this.outputName, el('span'), inputLabel, this.inputName, browse]),
          el('div', { class: 'buttons' }, t.buttons.map((name) => made[name])),
          more,
        ]),
        // The main window's names: each caption over its box, the box's buttons beside it.
        names: () => el('div', { class: 'file-names' }, [
          outputLabel, this.outputName, made.create,
          inputLabel, this.inputName, el('div', { class: 'pair' }, [browse, made.load]), more,
        ]),
        // The QH1xx window's output name on its top line, the input line at the bottom.
        output: () => el('div', { class: 'row' }, [outputLabel, this.outputName]),
        input: () => el('div', { class: 'input-line' }, [inputLabel, this.inputName, browse, made.load]),
        display: () => el('fieldset', { class: 'display' }, [el('legend', { text: texts.display }), this.listing, this.legend]),
      };
    }

    leave() {
      if (this.onLeave) this.onLeave();
    }

    async browse() {
      const file = await pickFile();
      if (!file) return;
      this.chosen(file);
    }

    chosen(file) {
      this.file = file;
      this.inputName.value = file.name;
      this.outputName.value = file.name;
    }

    takeDrops(target) {
      target.addEventListener('dragover', (event) => {
        if (event.dataTransfer && [...event.dataTransfer.types].includes('Files')) event.preventDefault();
      });
      target.addEventListener('drop', (event) => {
        if (!event.dataTransfer || !event.dataTransfer.files.length) return;
        event.preventDefault();
        event.stopPropagation();
        const files = event.dataTransfer.files;
        if (files.length !== 1) { message(fill(texts.droppedMany, files.length)); return; }
        this.chosen(files[0]);
        this.load();
      });
    }

    // The output name a Create writes under, or null when it is refused (told).
    async outputFileName() {
      const t = this.fileTexts;
      let name = this.outputName.value;
      if (!name && t.emptyOutput === 'default') { name = texts.defaultOutput; this.outputName.value = name; }
      if (!name && t.emptyOutput === 'keep') name = this.lastOutputName;
      if (!name) { await message(t.noOutputName); return null; }
      this.lastOutputName = name;
      return name;
    }

    // "Create EEPROM File" (format: null), or the image in a text format.
    async create(format) {
      const made = JSON.parse(core.create(this.model.id, JSON.stringify(this.values()), JSON.stringify(this.holder)));
      if (made.refusal) {
        this.clearListing();
        this.reveal(made.refusal.field);
        await message(made.refusal.message);
        this.controls[made.refusal.field].focus();
        return false;
      }
      const name = await this.outputFileName();
      if (name === null) return false;
      for (const correction of made.corrections) await this.correct(correction);
      this.holder = made.image;
      this.listImage(this.holder);
      if (format === 'ihex') download(stem(name) + '.hex', core.encoded(JSON.stringify(made.image), 'ihex'), 'text/plain');
      else if (format === 'srec') download(stem(name) + '.srec', core.encoded(JSON.stringify(made.image), 'srec'), 'text/plain');
      else download(baseName(name), new Uint8Array(made.image));
      return true;
    }

    async refuseFile() {
      await message(this.fileTexts.unreadable);
      if (this.fileTexts.badFileResetsNames) {
        this.inputName.value = '';
        this.file = null;
        this.outputName.value = texts.defaultOutput;
      }
    }

    // The load, busy (aria-busy) until it is done whatever its outcome.
    async load() {
      this.root.setAttribute('aria-busy', 'true');
      try {
        return await this.loadFile();
      } finally {
        this.root.removeAttribute('aria-busy');
      }
    }

    async loadFile() {
      if (!this.inputName.value || !this.file) { await message(this.fileTexts.noInputName); return false; }
      let bytes;
      try {
        // The load reads the first bytes of a file; its size decides what it takes.
        bytes = new Uint8Array(await this.file.slice(0, 4096).arrayBuffer());
      } catch (error) {
        await this.refuseFile();
        return false;
      }
      const file = JSON.stringify({ size: this.file.size, head: Array.from(bytes) });
      const before = JSON.stringify(this.holder);
      const answers = { followImage: Boolean(this.model.window.followImage) };
      for (;;) {
        const step = JSON.parse(core.load(this.model.id, file, before, JSON.stringify(answers)));
        if (step.outcome === 'refused') { await this.refuseFile(); return false; }
        if (step.outcome === 'cancelled') return false;
        if (step.outcome === 'asks') {
          if (step.question === 'foreignImage') {
            answers.foreignImage = (await message(step.text, 'okCancel')) === 'ok';
          } else {
            // The image is in, and listed, while the user picks the form that shows it.
            this.holder = step.image;
            this.listImage(this.holder);
            answers.displayTemplate = (await message(step.text, 'yesNo')) === 'yes';
          }
          continue;
        }
        this.holder = step.image;
        if (step.modelChosen) this.switchModel(byId(step.model));
        this.listImage(this.holder);
        this.show(step.values);
        for (const note of step.notes) {
          await message(note.message);
          // The list shows that its value is none of its items by an empty item the user
          // may pick; the selection stays as it was. One such item is enough.
          const list = this.controls[note.field];
          if (list.tagName === 'SELECT' && ![...list.options].some((option) => option.text === '')) list.append(el('option', { text: '' }));
        }
        if (this.model.greyingFollowsLoads) this.applyGreying();
        this.loaded = { image: step.image, notes: step.notes };
        this.markChanges();
        return true;
      }
    }

    async saveProfile() {
      download(this.model.id + '.json', core.profileOf(this.model.id, JSON.stringify(this.values())), 'application/json');
    }

    async openProfile() {
      const file = await pickFile('.json,application/json');
      if (!file) return;
      const opened = JSON.parse(core.readProfile(file.name, await file.text()));
      if (opened.error) { await message(fill(texts.profileRefused, opened.error)); return; }
      if (opened.warnings.length) await message(fill(texts.profileWarnings, opened.warnings.join('\n')));
      document.dispatchEvent(new CustomEvent('hubquill-profile', { detail: { editor: this, opened } }));
    }

    // -- the listing --

    listImage(image) {
      this.loaded = null;
      const lines = JSON.parse(core.listing(JSON.stringify(image)));
      this.listing.textContent = '';
      lines.forEach((line, row) => {
        const div = el('div', { class: 'listing-line' }, [line.slice(0, 3)]);
        for (let column = 0; column < 16; column++) {
          const offset = row * 16 + column;
          div.append(' ', el('span', { class: 'byte', 'data-offset': offset, title: this.model.bytes[offset].text }, [line.substr(4 + column * 3, 2)]));
        }
        this.listing.append(div);
      });
      this.legend.hidden = true;
    }

    clearListing() {
      this.loaded = null;
      this.listing.textContent = '';
      this.legend.hidden = true;
    }

    highlight(at) {
      for (const span of this.listing.querySelectorAll('.byte')) {
        const offset = Number(span.dataset.offset);
        span.classList.toggle('focused', at >= 0 && this.model.bytes[offset].fields.includes(at));
      }
    }

    markChanges() {
      if (!this.loaded) return;
      const marks = JSON.parse(core.changes(this.model.id, JSON.stringify(this.values()), JSON.stringify(this.loaded.image), JSON.stringify(this.loaded.notes)));
      const byOffset = new Map(marks.map((m) => [m.offset, m.text]));
      for (const span of this.listing.querySelectorAll('.byte')) {
        const offset = Number(span.dataset.offset);
        const change = byOffset.get(offset);
        span.classList.toggle('changed', change !== undefined);
        span.title = this.model.bytes[offset].text + (change ? '\n\n' + change : '');
      }
      this.legend.hidden = marks.length === 0;
    }
  }

  // ---- The main window ------------------------------------------------------------------

  let mainEditor = null;
  let mainList = null;
  let openWindow = null; // the editor beside or over the main window, with its frame

  function closeWindow() {
    if (!openWindow) return;
    const { frame } = openWindow;
    openWindow = null;
    if (frame.open) frame.close();
    frame.remove();
    mainList.selectedIndex = models.findIndex((m) => m.id === home.id);
    mainList.focus();
  }

  // The editor of `model` beside or over the main window; `values` fill its form.
  function openEditor(model, values) {
    if (model.id === home.id) {
      // Picking the main window's own model again starts its form afresh.
      if (!openWindow && !values) mainEditor.resetForm();
      closeWindow();
      if (values) { mainEditor.show(values); mainEditor.applyGreying(); }
      return;
    }
    const sheet = model.window.way === 'sheet';
    if (openWindow && !sheet && openWindow.editor.model.window.serves.includes(model.id)) {
      openWindow.editor.switchModel(model);
    } else {
      closeWindow();
      const editor = new Editor(model, sheet ? 'sheet' : 'beside', closeWindow);
      const titleId = newId('title');
      const frame = el('dialog', { class: sheet ? 'window sheet' : 'window beside', 'aria-labelledby': titleId }, [
        el('h2', { id: titleId, class: 'window-title', text: model.name }), editor.root]);
      frame.addEventListener('cancel', (event) => { event.preventDefault(); closeWindow(); });
      // A window beside the main one is no modal dialog, which Esc would close by itself.
      frame.addEventListener('keydown', (event) => {
        if (event.key === 'Escape' && !sheet && !document.querySelector('dialog.message[open]')) { event.preventDefault(); closeWindow(); }
      });
      frame.addEventListener('modelswitched', (event) => { frame.querySelector('.window-title').textContent = event.detail.name; });
      document.body.append(frame);
      openWindow = { editor, frame };
      if (sheet) frame.showModal();
      else frame.show();
      const first = frame.querySelector('select, input, button');
      if (first) first.focus();
    }
    if (values) { openWindow.editor.show(values); openWindow.editor.applyGreying(); }
  }

  function about() {
    const id = newId('about');
    const dialog = el('dialog', { class: 'message', 'aria-labelledby': id }, [
      el('h2', { id, text: texts.aboutTitle }), ...texts.aboutLines.map((line) => el('p', { text: line })),
      el('div', { class: 'buttons' }, [el('button', { type: 'button', onclick: () => { dialog.close(); dialog.remove(); } }, [texts.buttons.ok])])]);
    document.body.append(dialog);
    dialog.showModal();
  }

  function start() {
    const all = JSON.parse(core.models());
    models = all.models;
    texts = all.texts;
    home = byId(all.home);
    const app = document.getElementById('app');
    const listId = newId('deviceId');
    mainList = el('select', { id: listId, name: 'deviceId' }, models.map((m) => el('option', { text: m.name })));
    mainList.selectedIndex = models.findIndex((m) => m.id === home.id);
    mainList.addEventListener('change', () => openEditor(models[mainList.selectedIndex]));
    mainEditor = new Editor(home, 'main', null);
    app.append(el('div', { class: 'top' }, [el('label', { for: listId, text: texts.deviceId }), mainList, el('span', { class: 'stretch' }), button(texts.about, about)]), mainEditor.root);
    document.addEventListener('hubquill-profile', (event) => openEditor(byId(event.detail.opened.model), event.detail.opened.values));
    // A drop outside any editor goes to the main window's form.
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => event.preventDefault());
    app.removeAttribute('aria-busy');
    document.body.dataset.ready = 'true';
    performance.mark('hubquill-ready');
    mainList.focus();
  }

  // eslint-disable-next-line no-undef
  HubquillCore().then((module) => { core = module; start(); });
})();
