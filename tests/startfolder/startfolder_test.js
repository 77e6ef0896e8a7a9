'use strict';
// Real-browser checks of the start folder's pages, each opened in headless Chromium with no
// network. Usage (the paths come from CTest):
//   node startfolder_test.js paginas  START-FOLDER VELLOQ-GERAR ARTIFACTS
//   node startfolder_test.js formulas START-FOLDER OXSERVER CATALOGUE-TSV
//   node startfolder_test.js reserva  START-FOLDER VELLOQ-GERAR VELLOQ-INICIO TEMPLATE-SOURCE
//   node startfolder_test.js movida   START-FOLDER VELLOQ-GERAR
//   node startfolder_test.js pagina   PAGE-FILE
//   node startfolder_test.js formularios START-FOLDER VELLOQ-GERAR
// Prints one line per failure and ends with "N passed, N failed".

const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { checkPage } = require('./browser.js');

let passed = 0;
let failed = 0;
function check(ok, what, detail = '') {
  if (ok) { passed++; return; }
  failed++;
  console.log(`FALHOU: ${what}${detail ? `\n    ${detail}` : ''}`);
}

const PLACEHOLDERS = ['[TÍTULO]', '[TÓPICO]', '[AUTOR]', '[CONTATO]', '@VELLOQ_MATHJAX@'];

// How many formulas a page holds: backquote pairs in its body, as the generator wrote it,
// outside <code> (notation shown as such).
function formulasInPage(file) {
  const html = fs.readFileSync(file, 'latin1');
  const body = html.slice(html.search(/<body[\s>]/i)).replace(/<code>[^<]*<\/code>/gi, '');
  return (body.match(/`/g) || []).length / 2;
}

// What every page must give a reader: each formula drawn with the math fonts and readable as
// MathML, no visible notation or placeholder, images with text, no error, no network.
function checkCommon(name, file, result, { allowedFailures = [] } = {}) {
  const r = result.report;
  const expected = formulasInPage(file);
  check(r.note === '', `${name}: o MathJax terminou`, r.note);
  check(r.formulas === expected, `${name}: ${expected} fórmulas desenhadas`, `achei ${r.formulas}`);
  check(r.mathErrors.length === 0, `${name}: nenhuma fórmula com erro`, r.mathErrors.join(' | '));
  check(r.emptyFormulas === 0, `${name}: nenhuma fórmula vazia na tela`, `${r.emptyFormulas} vazias`);
  // The screen reader hears each formula once, as its reading: no hidden MathML beside the
  // drawing, and the drawing of a named formula hidden from it.
  check(r.assistiveMathml === 0, `${name}: nenhuma fórmula traz MathML escondido para o leitor de tela`,
        `${r.assistiveMathml} de ${r.formulas}`);
  check(r.drawingShown === 0, `${name}: o desenho de cada fórmula com leitura fica escondido do leitor de tela`,
        `${r.drawingShown} de ${r.formulas}`);
  check(expected === 0 || (r.mathFontsLoaded > 0 && r.mathFontsFailed === 0),
        `${name}: as fontes matemáticas carregaram`, `${r.mathFontsLoaded} carregadas, ${r.mathFontsFailed} falharam`);
  const tick = r.text.indexOf('`');
  check(tick < 0, `${name}: nenhuma crase à vista`, r.text.slice(Math.max(0, tick - 60), tick + 60));
  for (const p of PLACEHOLDERS) check(!r.text.includes(p), `${name}: nada de ${p} no texto`);
  check(r.stylesInBody === 0, `${name}: nenhum <style> no corpo da página (nem dentro de tabela)`, `${r.stylesInBody}`);
  check(r.brokenImages.length === 0, `${name}: todas as imagens carregaram`, r.brokenImages.join(', '));
  check(r.imagesWithoutAlt.length === 0, `${name}: toda imagem tem texto alternativo`, r.imagesWithoutAlt.join(', '));
  check(r.headings.length > 0 && r.headings[0].startsWith('H1 ') && r.headings[0].length > 3,
        `${name}: a página abre com um título H1 não vazio`, r.headings[0]);
  const errors = result.console.filter((e) => !allowedFailures.some((a) => e.includes(a)));
  check(errors.length === 0, `${name}: o console não mostra erro`, errors.join('\n    '));
  return r;
}

// What a screen reader gets from the page's formulas: the formulas MathJax drew with their
// source, and the elements whose name a formula should be part of (a control through its label,
// a group through its legend, a table cell, a list option). The elements are kept in the page
// for `NAMED`, formulas first, in the same order.
const READINGS_PROBE = `(() => {
  const items = [...MathJax.startup.document.math].filter((m) => m.typesetRoot && m.typesetRoot.isConnected);
  const sourceOf = new Map(items.map((m) => [m.typesetRoot, m.math]));
  const elements = items.map((m) => m.typesetRoot);
  const holders = [];
  const add = (kind, element, sources) => {
    if (sources.length === 0) return;
    holders.push({ kind, text: element.textContent.trim().slice(0, 60), sources });
    elements.push(element);
  };
  const drawn = (element) => [...element.querySelectorAll('mjx-container')]
      .map((c) => sourceOf.get(c)).filter((x) => x !== undefined);
  for (const l of document.querySelectorAll('label')) if (l.control) add('controle ' + l.control.type, l.control, drawn(l));
  for (const f of document.querySelectorAll('fieldset')) {
    const legend = f.querySelector('legend');
    if (legend) add('grupo', f, drawn(legend));
  }
  for (const cell of document.querySelectorAll('td, th')) add('célula', cell, drawn(cell));
  for (const o of document.querySelectorAll('option')) {
    add('opção', o, (o.textContent.match(/\`[^\`]*\`/g) || []).map((t) => t.slice(1, -1)));
  }
  window.velloqSonda = elements;
  return { formulas: items.map((m) => ({ source: m.math, tabIndex: m.typesetRoot.tabIndex })), holders };
})()`;
const NAMED = 'window.velloqSonda';

// The reading of a formula as the speech server gives it (which the page must carry).
const readingCache = new Map();
function readingOf(oxserver, source) {
  const formula = source.replace(/\s+/g, ' ').trim();
  if (!readingCache.has(formula)) {
    readingCache.set(formula, execFileSync(oxserver, ['--ler', formula], { timeout: 10000 }).toString('utf8').trim()
        .replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&amp;/g, '&'));
  }
  return readingCache.get(formula);
}

// Every drawn formula is named by its reading and is no Tab stop; every element that holds a
// formula has the reading in its own name.
function checkReadings(name, result, oxserver) {
  const { formulas, holders } = result.extra;
  check(formulas.length === result.report.formulas, `${name}: a sonda achou todas as fórmulas`,
        `${formulas.length} de ${result.report.formulas}`);
  formulas.forEach((f, i) => {
    const reading = readingOf(oxserver, f.source);
    check(reading !== '' && result.names[i] === reading, `${name}: a fórmula \`${f.source}\` se chama pela leitura`,
          `nome: ${JSON.stringify(result.names[i])}\n    leitura: ${reading}`);
    check(f.tabIndex < 0, `${name}: a fórmula \`${f.source}\` não é parada do Tab`, `tabIndex ${f.tabIndex}`);
    const below = result.under[i] ?? [];
    check(below.length === 0, `${name}: nada sob a fórmula \`${f.source}\` na árvore de acessibilidade`,
          below.slice(0, 8).join(' | '));
  });
  holders.forEach((h, j) => {
    const given = result.names[formulas.length + j] ?? '';
    for (const source of h.sources) {
      const reading = readingOf(oxserver, source);
      check(given.includes(reading), `${name}: o nome de ${h.kind} "${h.text}" traz a leitura de \`${source}\``,
            `nome: ${JSON.stringify(given)}\n    leitura: ${reading}`);
    }
  });
  return holders;
}

function onlyFileRequests(name, result) {
  const away = result.requests.filter((u) => !u.startsWith('file:') && !u.startsWith('data:'));
  check(away.length === 0, `${name}: nenhum pedido sai da máquina`, away.join(', '));
}

// Links to labels of the page and to pages of its folder lead somewhere.
function checkLinks(page, r, folder) {
  for (const href of r.links) {
    if (href.startsWith('#')) {
      const target = href.slice(1);
      check(r.namedAnchors.includes(target) || r.ids.includes(target), `${page}: o rótulo de ${href} existe`);
    } else if (!/^[a-z]+:/i.test(href)) {
      check(fs.existsSync(path.join(folder, href)), `${page}: a página ligada ${href} existe`);
    }
  }
}

async function testSamplePages(start, gerar, artifacts) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velloq-paginas-'));
  try {
    for (const f of fs.readdirSync(path.join(start, 'textos'))) {
      fs.copyFileSync(path.join(start, 'textos', f), path.join(work, f));
    }
    const documents = fs.readdirSync(work).filter((f) => f.endsWith('.vloq')).sort();
    check(documents.length >= 3, 'há pelo menos três documentos de exemplo', documents.join(', '));
    for (const doc of documents) {
      let stderr = '';
      try {
        execFileSync(gerar, [doc], { cwd: work, timeout: 20000, stdio: ['ignore', 'ignore', 'pipe'] });
      } catch (e) {
        stderr = String(e.stderr || e.message);
      }
      check(stderr === '', `${doc}: gerado sem aviso nem erro`, stderr.trim());
    }
    fs.mkdirSync(artifacts, { recursive: true });
    const seen = { tags: new Set(), inputs: new Set(), breaks: 0, anchors: 0, topics: 0, holders: new Set(),
                   methods: new Set(), uncentred: 0 };
    const oxserver = path.join(start, 'oxserver');
    for (const doc of documents) {
      const page = doc.replace(/\.vloq$/, '.htm');
      const file = path.join(work, page);
      const result = await checkPage(pathToFileURL(file).href, {
        screenshot: path.join(artifacts, page.replace(/\.htm$/, '.png')), extra: READINGS_PROBE, named: NAMED });
      const r = checkCommon(page, file, result);
      onlyFileRequests(page, result);
      checkReadings(page, result, oxserver).forEach((h) => seen.holders.add(h.kind));
      checkLinks(page, r, work);
      check(r.openAnchors.length === 0, `${page}: todo rótulo é uma âncora fechada`, r.openAnchors.join(', '));
      r.formMethods.forEach((m) => seen.methods.add(m));
      seen.uncentred += r.uncentredImages;
      r.tags.forEach((t) => seen.tags.add(t));
      r.inputTypes.forEach((t) => seen.inputs.add(t));
      seen.breaks += r.pageBreaks;
      seen.anchors += r.namedAnchors.length;
      seen.topics += r.headings.filter((h) => h.startsWith('H2 ')).length;
    }
    // Together the samples show every construct of the markup.
    for (const tag of ['li', 'blockquote', 'hr', 'table', 'td', 'img', 'pre', 'a', 'br', 'p', 'aside',
                       'form', 'select', 'option', 'textarea', 'input']) {
      check(seen.tags.has(tag), `os exemplos usam <${tag}>`);
    }
    for (const type of ['text', 'password', 'hidden', 'date', 'file', 'radio', 'checkbox', 'submit', 'reset']) {
      check(seen.inputs.has(type), `os exemplos têm um campo do tipo ${type}`);
    }
    check(seen.breaks > 0, 'os exemplos têm uma quebra de página');
    check(seen.anchors > 0, 'os exemplos têm um rótulo');
    check(seen.topics > 0, 'os exemplos têm linhas de título');
    check(seen.methods.has('get') && seen.methods.has('post'), 'os exemplos têm formulário GET e POST',
          [...seen.methods].join(', '));
    check(seen.uncentred > 0, 'os exemplos têm uma imagem não centralizada');
    for (const kind of ['controle checkbox', 'grupo', 'célula']) {
      check(seen.holders.has(kind), `os exemplos têm fórmula no nome de ${kind}`, [...seen.holders].join(', '));
    }

    // A formula in each place whose name a screen reader takes from its content, a list
    // option (where formulas are not drawn) among them.
    fs.writeFileSync(path.join(work, 'nomes.vloq'), [
      'Título: Nomes', '', '&F G nomes.htm', '<fieldset>', '<legend>Quanto vale `x^2`?</legend>',
      '<label>', '&C certo "`x^2 = 9`"', '</label>', '<label for="r">Raio `r`</label>', '&T [r r',
      '<label for="l">Escolha</label>', '&S l [l', 'a "`sqrt(x)` ou `x/2`"', '&S', '</fieldset>', '&',
      '@2', '`a+b`', 'soma', '@', ''].join('\r\n'), 'latin1');
    execFileSync(gerar, ['nomes.vloq'], { cwd: work, timeout: 20000 });
    const names = await checkPage(pathToFileURL(path.join(work, 'nomes.htm')).href, { extra: READINGS_PROBE, named: NAMED });
    const kinds = checkReadings('nomes.htm', names, oxserver).map((h) => h.kind).sort();
    check(JSON.stringify(kinds) === JSON.stringify(['célula', 'controle checkbox', 'controle text', 'grupo', 'opção'].sort()),
          'nomes.htm: cada lugar com fórmula foi visto', kinds.join(', '));

    // The manual, which the help command opens.
    const manual = path.join(start, 'help', 'velloq.htm');
    const result = await checkPage(pathToFileURL(manual).href, {
      screenshot: path.join(artifacts, 'manual.png'), extra: READINGS_PROBE, named: NAMED });
    const r = checkCommon('velloq.htm', manual, result);
    onlyFileRequests('velloq.htm', result);
    checkReadings('velloq.htm', result, oxserver);
    checkLinks('velloq.htm', r, path.dirname(manual));
    check(r.headings.filter((h) => h.startsWith('H2 ')).length >= 10, 'o manual tem um título por assunto');
    checkManual(manual, start, result);
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
}

// The manual as a newcomer follows it: links reach every section, the keys it teaches are the
// menus' own, the catalogue's groups are the menu's, and the Portuguese is Brazil's.
function checkManual(manual, start, result) {
  const html = fs.readFileSync(manual, 'latin1');
  const text = Buffer.from(html, 'latin1').toString('latin1');
  const untagged = result.report.headingsWithoutId || [];
  check(untagged.length === 0, 'velloq.htm: todo título de assunto e de parte tem id', untagged.join(' | '));
  const menuSource = fs.readFileSync(path.join(__dirname, '..', '..', 'editor', 'window', 'actions.cpp'), 'utf8');
  const rows = menuSource.slice(menuSource.indexOf('kMenuRows[]'), menuSource.indexOf('kToolRows[]'));
  check(rows.includes('"Ctrl+N"'), 'velloq.htm: a tabela dos menus foi achada em actions.cpp');
  for (const [, key] of rows.matchAll(/"((?:(?:Ctrl|Shift|Alt)\+)*(?:F\d+|[A-Z0-9]))"/g)) {
    check(text.includes(`<kbd>${key}</kbd>`), `velloq.htm: o atalho ${key} de um menu está no manual`);
  }
  const list = fs.readFileSync(path.join(start, 'help', 'formulas.htm'), 'latin1');
  const groups = [...list.matchAll(/<h2 id="grupo\d+">([^<]*)<\/h2>/g)].map((m) => m[1]);
  const listed = [...html.matchAll(/<ul id="grupos-catalogo">([\s\S]*?)<\/ul>/g)].flatMap((m) =>
    [...m[1].matchAll(/<li>([^<]*) \(\d+ f\xF3rmulas?\)<\/li>/g)].map((g) => g[1]));
  check(groups.length === 20 && JSON.stringify(listed) === JSON.stringify(groups),
        'velloq.htm: os grupos do catálogo são os do menu, na ordem', listed.join(', '));
  for (const pattern of [/«|»/, /\bnoutr[ao]s?\b/, /\bliga-se\b/]) {
    const found = text.match(pattern);
    check(!found, `velloq.htm: português do Brasil (sem ${pattern})`, found ? found[0] : '');
  }
}

async function testFormulaList(start, oxserver, catalogueTsv) {
  const file = path.join(start, 'help', 'formulas.htm');
  const result = await checkPage(pathToFileURL(file).href, {
    timeoutMs: 60000,
    extra: `[...document.querySelectorAll('section')].map((s) => ({
      group: s.querySelector('h2').textContent,
      items: [...s.querySelectorAll('ul.formulas li')].map((li) => ({
        name: li.querySelector('.nome').textContent,
        drawn: li.querySelectorAll('.formula mjx-container').length,
        written: li.querySelector('.notacao code').textContent,
        reading: li.querySelector('.leitura').textContent.replace(/^Lê-se: /, ''),
        heading: li.firstElementChild.localName,
        drawingHidden: li.querySelector('.formula').getAttribute('aria-hidden') === 'true',
      })),
    }))` });
  checkCommon('formulas.htm', file, result);
  onlyFileRequests('formulas.htm', result);

  const rows = fs.readFileSync(catalogueTsv, 'utf8').split('\n')
      .filter((l) => l && !l.startsWith('#')).map((l) => l.split('\t'));
  const items = result.extra.flatMap((g) => g.items.map((i) => ({ ...i, group: g.group })));
  check(result.extra.length === 20, 'a lista tem os 20 grupos', `achei ${result.extra.length}`);
  check(items.length === rows.length && rows.length === 233, 'a lista tem as 233 fórmulas',
        `achei ${items.length}, o catálogo tem ${rows.length}`);
  for (let i = 0; i < Math.min(items.length, rows.length); i++) {
    const [group, name, formula] = rows[i];
    const it = items[i];
    const where = `fórmula ${i + 1} (${group}, ${name})`;
    check(it.group === group && it.name.replace(/\s+/g, ' ') === name.replace(/\s+/g, ' '),
          `${where}: grupo e nome na ordem do menu`, `${it.group}, ${it.name}`);
    const expressions = it.written.split('`').filter((_, k) => k % 2 === 1);
    check(expressions[0] === formula, `${where}: escrita como no menu`, it.written);
    check(it.drawn === expressions.length, `${where}: desenhada`, `${it.drawn} de ${expressions.length}`);
    check(it.heading === 'h3', `${where}: o item começa com um título de nível 3`, it.heading);
    check(it.drawingHidden, `${where}: o leitor de tela ouve a leitura, não o desenho também`);
    // The entry reads as F9 reads a line holding it: the words kept, each formula replaced by
    // its reading with a blank on either side, and a pause (shown as a semicolon) where three
    // or more blanks part two words.
    const asF9 = it.written.split('`').map((p, k) => (k % 2 === 1 ? readingOf(oxserver, p) : p)).join(' ')
        .trim().replace(/[ \t]{3,}/g, '; ').replace(/\s+/g, ' ').replace(/ ([,;])/g, '$1');
    check(it.reading === asF9, `${where}: lida como o F9 lê a linha`, `página: ${it.reading}\n    F9: ${asF9}`);
    // Each expression's reading, as the server prints it, stands in the page in order.
    let from = 0;
    for (const e of expressions) {
      const spoken = execFileSync(oxserver, ['--ler', e], { timeout: 10000 }).toString('utf8').trim()
          .replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&amp;/g, '&');
      const at = it.reading.indexOf(spoken, from);
      check(spoken !== '' && at >= 0, `${where}: a leitura de ${e} é a do servidor`,
            `servidor: ${spoken}\n    página: ${it.reading}`);
      if (at >= 0) from = at + spoken.length;
    }
  }
}

// Serves node_modules at http://127.0.0.1:PORT/npm/<package>/..., as the public CDN does.
function startMirror(start) {
  const root = fs.realpathSync(path.join(start, 'mathjax'));
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const m = url.match(/^\/npm\/(mathjax)@[^/]+(\/.*)$/) || url.match(/^\/npm\/(@mathjax\/[^/@]+)(?:@[^/]+)?(\/.*)$/)
        || url.match(/^\/(pagina)(\/.*)$/);
    const base = m && (m[1] === 'pagina' ? server.pageFolder : path.join(root, m[1]));
    const file = base && path.join(base, path.normalize(m[2]));
    if (!file || !file.startsWith(base) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404).end();
      return;
    }
    const type = file.endsWith('.js') ? 'text/javascript' : file.endsWith('.woff2') ? 'font/woff2'
        : file.endsWith('.htm') ? 'text/html' : 'application/octet-stream';
    res.writeHead(200, { 'Content-Type': type, 'Access-Control-Allow-Origin': '*' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function testFallback(start, gerar, inicio, templateSource) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velloq-reserva-'));
  const server = await startMirror(start);
  server.pageFolder = work;
  try {
    const missing = path.join(work, 'sem-mathjax');
    execFileSync(inicio, ['modelo', templateSource, path.join(work, 'modeloMat.mdl'), missing], { timeout: 10000 });
    const cdn = 'https://cdn.jsdelivr.net/npm/';
    const template = fs.readFileSync(path.join(work, 'modeloMat.mdl'), 'latin1');
    check(template.includes(cdn), 'o modelo traz o endereço público do MathJax');
    const mirror = `http://127.0.0.1:${server.address().port}/npm/`;
    fs.writeFileSync(path.join(work, 'modeloMat.mdl'), template.split(cdn).join(mirror), 'latin1');
    fs.writeFileSync(path.join(work, 'teste.vloq'),
                     'Título: Reserva\r\n\r\nA área do círculo é `A=pir^2`; o volume da esfera, `V=4/3pir^3`.\r\n', 'latin1');
    execFileSync(gerar, ['teste.vloq'], { cwd: work, timeout: 20000 });
    const file = path.join(work, 'teste.htm');

    // Viewed from the disk with no local copy at the given place: the public copy serves.
    const local = await checkPage(pathToFileURL(file).href);
    // The given place fails, and so do the folders around the page, which hold no copy either.
    checkCommon('sem cópia local', file, local, { allowedFailures: [pathToFileURL(missing).href, '/mathjax/mathjax/startup.js'] });
    check(local.requests.some((u) => u.startsWith(pathToFileURL(missing).href)),
          'sem cópia local: a cópia local foi tentada primeiro');
    check(local.requests.some((u) => u.startsWith(`${mirror}@mathjax/mathjax-newcm-font/`)),
          'sem cópia local: as fontes vieram da cópia pública');

    // Published on a web server: the public copy only, the local one is never asked for.
    const served = await checkPage(`http://127.0.0.1:${server.address().port}/pagina/teste.htm`);
    checkCommon('publicada', file, served);
    check(served.requests.every((u) => u.startsWith('http://127.0.0.1:')),
          'publicada: só pede ao servidor', served.requests.filter((u) => !u.startsWith('http://127.0.0.1:')).join(', '));
  } finally {
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

// Every entry of folder, links included, as paths relative to it.
function entries(folder, under = '') {
  return fs.readdirSync(path.join(folder, under), { withFileTypes: true }).flatMap((e) => {
    const name = path.join(under, e.name);
    return e.isDirectory() ? [name, ...entries(folder, name)] : [name];
  });
}

// A copy of the start folder, moved where its template's location of MathJax no longer leads:
// it holds no link, and its pages draw their formulas from the copy's own MathJax.
async function testMovedFolder(start, gerar) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velloq-movida-'));
  try {
    const moved = path.join(work, 'outra', 'inicio');
    fs.cpSync(start, moved, { recursive: true, verbatimSymlinks: true });
    const links = entries(moved).filter((e) => fs.lstatSync(path.join(moved, e)).isSymbolicLink());
    check(links.length === 0, 'a pasta inicial não tem links para fora dela', links.join(', '));
    // The build's own folder is gone, as when the build tree is removed.
    const gone = pathToFileURL(path.join(work, 'sumiu', 'mathjax')).href;
    for (const t of ['modeloMat.mdl', 'textos/modeloMat.mdl', 'help/velloq.htm']) {
      const file = path.join(moved, t);
      const bytes = fs.readFileSync(file, 'latin1');
      const rewritten = bytes.replace(/var copiaLocal = '[^']*'/, `var copiaLocal = '${gone}'`);
      check(rewritten !== bytes, `${t}: traz o endereço da cópia local`);
      fs.writeFileSync(file, rewritten, 'latin1');
    }
    fs.writeFileSync(path.join(moved, 'textos', 'movida.vloq'),
                     'Título: Movida\r\n\r\nA área do círculo é `A=pir^2`.\r\n', 'latin1');
    execFileSync(gerar, ['movida.vloq'], { cwd: path.join(moved, 'textos'), timeout: 20000 });
    const own = pathToFileURL(moved).href + '/';
    for (const page of ['textos/movida.htm', 'help/velloq.htm']) {
      const file = path.join(moved, page);
      const result = await checkPage(pathToFileURL(file).href);
      checkCommon(`movida ${page}`, file, result,
                  { allowedFailures: [gone, '/mathjax/mathjax/startup.js'] });
      onlyFileRequests(`movida ${page}`, result);
      // The last place tried is the one that answered.
      const tried = result.requests.filter((u) => u.endsWith('/startup.js'));
      check(tried[tried.length - 1] === `${own}mathjax/mathjax/startup.js`,
            `movida ${page}: o MathJax veio da própria pasta inicial`, tried.join(', '));
    }
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
}

// The form markup's controls in a page of the start folder's template: each named by the label
// the markup gives it, formulas read, or by its field's name when it has no label; no node that
// takes the keyboard goes without a name.
async function testFormControls(start, gerar) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velloq-formularios-'));
  try {
    fs.copyFileSync(path.join(start, 'textos', 'modeloMat.mdl'), path.join(work, 'modeloMat.mdl'));
    // Each control: the element the page gives it, the plain words its name holds, and the
    // formulas whose readings its name holds.
    const controls = [
      { line: '&C q1 "`y^2 = 4`"', find: '[name="q1"]', words: [], formulas: ['y^2 = 4'] },
      { line: '&C q2 "Marque se `x > 0` vale"', find: '[name="q2"]', words: ['Marque se', 'vale'], formulas: ['x > 0'] },
      { line: '&R r1 a "`x = 2`" *', find: '[name="r1"][value="a"]', words: [], formulas: ['x = 2'] },
      { line: '&R r1 b "Nenhuma"', find: '[name="r1"][value="b"]', words: ['Nenhuma'], formulas: [] },
      { line: '&T 10 campo "" "Valor de `sqrt(x)`"', find: '[name="campo"]', words: ['Valor de'], formulas: ['sqrt(x)'] },
      { line: '&T vazio', find: '[name="vazio"]', words: ['vazio'], formulas: [] },
      { line: '&P senha "" "Senha"', find: '[name="senha"]', words: ['Senha'], formulas: [] },
      { line: '&D data "" "Data da prova"', find: '[name="data"]', words: ['Data da prova'], formulas: [] },
      { line: '&U anexo "" "Anexo com `a/b`"', find: '[name="anexo"]', words: ['Anexo com'], formulas: ['a/b'] },
      { line: '&A 3 30 obs\r\nTexto livre.\r\n&A*', find: '[name="obs"]', words: ['obs'], formulas: [] },
      { line: '&S lista\r\na "Uma"\r\nb "Outra"\r\n&S', find: '[name="lista"]', words: ['lista'], formulas: [] },
      { line: '&* enviar "Enviar"', find: '[name="enviar"]', words: ['Enviar'], formulas: [] },
    ];
    const doc = ['Título: Formulário', '', '&FP resposta.php',
                 ...controls.map((c) => c.line), '&', ''].join('\r\n');
    fs.writeFileSync(path.join(work, 'form.vloq'), doc, 'latin1');
    execFileSync(gerar, ['form.vloq'], { cwd: work, timeout: 20000 });
    const named = `[${controls.map((c) => `document.querySelector('${c.find}')`).join(', ')}]`;
    const result = await checkPage(pathToFileURL(path.join(work, 'form.htm')).href, { named, tree: true });
    checkCommon('form.htm', path.join(work, 'form.htm'), result);
    const oxserver = path.join(start, 'oxserver');
    controls.forEach((c, i) => {
      const given = result.names[i] ?? '';
      for (const w of c.words) check(given.includes(w), `form.htm: o nome de ${c.find} traz "${w}"`, JSON.stringify(given));
      for (const f of c.formulas) {
        const reading = readingOf(oxserver, f);
        check(reading !== '' && given.includes(reading), `form.htm: o nome de ${c.find} traz a leitura de \`${f}\``,
              `nome: ${JSON.stringify(given)}\n    leitura: ${reading}`);
      }
      check(!given.includes('`'), `form.htm: o nome de ${c.find} não tem crase`, given);
    });
    const unnamed = result.tree.filter((n) => n.focusable && n.name.trim() === '' && n.role !== 'RootWebArea');
    check(result.tree.some((n) => n.focusable), 'form.htm: a árvore de acessibilidade tem controles');
    check(unnamed.length === 0, 'form.htm: nenhum nó que recebe o teclado fica sem nome',
          unnamed.map((n) => n.role).join(', '));

    // A template that does not ask for readings keeps the page's bytes: the form lines are
    // written as the form markup says, and nothing names them.
    const plain = '<<<CABE\xC7ALHO>>>\r\n<html><body>\r\n<<<FIM>>>\r\n<<<ASSINATURA>>>\r\n</body></html>\r\n<<<FIM>>>\r\n';
    fs.writeFileSync(path.join(work, 'simples.mdl'), plain, 'latin1');
    fs.writeFileSync(path.join(work, 'simples.vloq'), 'MODELO: simples.mdl\r\n\r\n&C q1 "`y^2 = 4`"\r\n', 'latin1');
    execFileSync(gerar, ['simples.vloq'], { cwd: work, timeout: 20000 });
    const page = fs.readFileSync(path.join(work, 'simples.htm'), 'latin1');
    check(page === '<html><body>\r\n<INPUT TYPE="checkbox" NAME="q1" VALUE="x">`y^2 = 4`</input>\r\n</body></html>\r\n',
          'simples.htm: sem o marcador das leituras, a página é a da marcação', JSON.stringify(page));
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
}

async function testOnePage(file) {
  const result = await checkPage(pathToFileURL(path.resolve(file)).href);
  checkCommon(path.basename(file), file, result);
  onlyFileRequests(path.basename(file), result);
}

async function main() {
  const [mode, ...given] = process.argv.slice(2);
  const args = given.map((a) => (fs.existsSync(a) ? path.resolve(a) : a));
  const tests = {
    paginas: () => testSamplePages(...args),
    formulas: () => testFormulaList(...args),
    reserva: () => testFallback(...args),
    movida: () => testMovedFolder(...args),
    pagina: () => testOnePage(...args),
    formularios: () => testFormControls(...args),
  };
  if (!tests[mode]) {
    console.log('uso: node startfolder_test.js paginas|formulas|reserva|movida|pagina|formularios ...');
    process.exit(2);
  }
  try {
    await tests[mode]();
  } catch (e) {
    check(false, 'o teste terminou', e.stack || String(e));
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 && passed > 0 ? 0 : 1);
}

main();
