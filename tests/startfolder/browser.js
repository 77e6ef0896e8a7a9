'use strict';
// A headless Chromium driven over the DevTools protocol on a pipe (no sockets, no packages):
// it opens one page, waits until MathJax has typeset it, and reports what a reader of the page
// would meet: formulas, fonts, images, text, console errors and every request the page made.
// The browser never reaches the network (every host name fails to resolve except 127.0.0.1),
// and it is killed by its process id when the check ends or its time runs out.

const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const CHROMIUM_FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run',
  '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
  '--remote-debugging-pipe', '--window-size=1000,1400', '--hide-scrollbars', 'about:blank',
];

// Runs in the page: resolves with a summary once MathJax is done, or after `ms` without it.
const PAGE_REPORT = (ms) => `new Promise((resolve) => {
  const start = Date.now();
  // The page's text as shown, less notation shown on purpose inside <code>.
  const visibleText = () => {
    if (!document.body) return '';
    const codes = [...document.querySelectorAll('code')];
    const saved = codes.map((c) => c.style.display);
    codes.forEach((c) => { c.style.display = 'none'; });
    const text = document.body.innerText;
    codes.forEach((c, i) => { c.style.display = saved[i]; });
    return text;
  };
  const report = (note) => {
    const fonts = [...document.fonts].filter((f) => f.family.startsWith('MJX'));
    const shown = (el) => el.getClientRects().length > 0;
    return {
      note: note || '',
      title: document.title,
      formulas: document.querySelectorAll('mjx-container').length,
      mathErrors: [...document.querySelectorAll('mjx-merror')].map((e) => e.textContent),
      emptyFormulas: [...document.querySelectorAll('mjx-container')]
          .filter((c) => c.getBoundingClientRect().width < 1).length,
      assistiveMathml: document.querySelectorAll('mjx-container mjx-assistive-mml math').length,
      // Formulas named for screen readers whose drawing is not hidden from them.
      drawingShown: [...document.querySelectorAll('mjx-container[aria-label]')]
          .filter((c) => [...c.children].some((part) => part.getAttribute('aria-hidden') !== 'true')).length,
      mathFontsLoaded: fonts.filter((f) => f.status === 'loaded').length,
      mathFontsFailed: fonts.filter((f) => f.status === 'error').length,
      text: visibleText(),
      brokenImages: [...document.images].filter((i) => !i.complete || i.naturalWidth === 0)
          .map((i) => i.getAttribute('src')),
      imagesWithoutAlt: [...document.images].filter((i) => !i.hasAttribute('alt'))
          .map((i) => i.getAttribute('src')),
      headingsWithoutId: [...document.querySelectorAll('main h2, main h3')].filter((h) => !h.id)
          .map((h) => h.textContent.trim()),
      headings: [...document.querySelectorAll('h1, h2, h3')].filter(shown)
          .map((h) => h.tagName + ' ' + h.textContent.trim()),
      tags: [...new Set([...document.querySelectorAll('body *')].map((e) => e.localName))],
      inputTypes: [...new Set([...document.querySelectorAll('input')].map((e) => e.type))],
      pageBreaks: [...document.querySelectorAll('div')]
          .filter((d) => d.style.pageBreakAfter === 'always').length,
      namedAnchors: [...document.querySelectorAll('a[name]')].map((a) => a.name),
      // A label's anchor left open takes in what follows it.
      openAnchors: [...document.querySelectorAll('a[name]')].filter((a) => a.childNodes.length > 0).map((a) => a.name),
      stylesInBody: document.querySelectorAll('body style').length,
      formMethods: [...document.forms].map((f) => f.method),
      uncentredImages: [...document.images].filter((i) => !i.closest('center')).length,
      ids: [...document.querySelectorAll('[id]')].map((e) => e.id),
      links: [...document.querySelectorAll('a[href]')].map((a) => a.getAttribute('href')),
      height: Math.ceil(document.documentElement.scrollHeight),
    };
  };
  const poll = () => {
    const mj = window.MathJax;
    if (mj && mj.startup && mj.startup.promise) {
      mj.startup.promise.then(() => document.fonts.ready).then(() => resolve(report()),
                                (e) => resolve(report('MathJax falhou: ' + e)));
    } else if (Date.now() - start > ${ms}) {
      resolve(report('MathJax não carregou em ${ms} ms'));
    } else {
      setTimeout(poll, 25);
    }
  };
  if (document.readyState === 'complete') poll(); else addEventListener('load', poll);
})`;

// Opens `url` and resolves with { report, console, requests, failed }, and saves a full-page
// PNG to `screenshot` when given. Rejects when the browser cannot be driven or the time runs
// out; the browser is killed either way.
// `extra`, when given, is an expression evaluated in the page after MathJax is done; its value
// comes back as `extra`. `named`, when given, is an expression that gives an array of elements
// of the page: their accessible names, as the browser hands them to screen readers, come back
// in the same order as `names` (null for an element that screen readers do not meet), and
// the nodes that screen readers meet under each of them, as `under` (role and name).
// `tree`, when true, brings back the page's whole accessibility tree as `tree`: each node that
// screen readers meet with its role, name and whether it takes the keyboard.
function checkPage(url, { screenshot = null, timeoutMs = 30000, chromium = 'chromium', extra = null,
                          named = null, tree = false } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'velloq-chromium-'));
  const child = spawn(chromium, [...CHROMIUM_FLAGS, `--user-data-dir=${profile}`],
                      { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true });
  let stderr = '';
  child.stderr.on('data', (d) => { stderr = (stderr + d).slice(-4000); });

  const pending = new Map();
  const listeners = [];
  let nextId = 1;
  let buffer = Buffer.alloc(0);
  child.stdio[4].on('data', (chunk) => {
    buffer = Buffer.concat([buffer, chunk]);
    for (let end; (end = buffer.indexOf(0)) >= 0;) {
      const msg = JSON.parse(buffer.subarray(0, end).toString('utf8'));
      buffer = buffer.subarray(end + 1);
      if (msg.id && pending.has(msg.id)) {
        const { resolve, reject } = pending.get(msg.id);
        pending.delete(msg.id);
        if (msg.error) reject(new Error(JSON.stringify(msg.error))); else resolve(msg.result);
      } else if (msg.method) {
        for (const l of listeners) l(msg);
      }
    }
  });
  child.stdio[3].on('error', () => {});
  const send = (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
    const id = nextId++;
    pending.set(id, { resolve, reject });
    child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  });

  const run = async () => {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const s = (method, params) => send(method, params, sessionId);
    const consoleErrors = [];
    const requests = [];
    const failed = [];
    let loaded;
    const loadedOnce = new Promise((r) => { loaded = r; });
    listeners.push((m) => {
      if (m.sessionId !== sessionId) return;
      const p = m.params;
      if (m.method === 'Runtime.consoleAPICalled' && ['error', 'assert', 'warning'].includes(p.type)) {
        consoleErrors.push(`console.${p.type}: ` + p.args.map((a) => a.value ?? a.description).join(' '));
      } else if (m.method === 'Runtime.exceptionThrown') {
        consoleErrors.push('exceção: ' + (p.exceptionDetails.exception?.description ?? p.exceptionDetails.text));
      } else if (m.method === 'Log.entryAdded' && p.entry.level === 'error') {
        consoleErrors.push(`${p.entry.source}: ${p.entry.text} ${p.entry.url ?? ''}`.trim());
      } else if (m.method === 'Network.requestWillBeSent') {
        requests.push(p.request.url);
      } else if (m.method === 'Network.loadingFailed') {
        failed.push(p.errorText);
      } else if (m.method === 'Page.loadEventFired') {
        loaded();
      }
    });
    await Promise.all(['Runtime.enable', 'Log.enable', 'Network.enable', 'Page.enable'].map((m) => s(m)));
    await s('Page.navigate', { url });
    await loadedOnce;
    const evaluated = await s('Runtime.evaluate', {
      expression: PAGE_REPORT(Math.max(1000, timeoutMs - 5000)), awaitPromise: true, returnByValue: true });
    const report = evaluated.result.value;
    let extraValue = null;
    if (extra) {
      const r = await s('Runtime.evaluate', { expression: extra, returnByValue: true });
      if (r.exceptionDetails) throw new Error('a expressão falhou na página: ' + r.exceptionDetails.text);
      extraValue = r.result.value;
    }
    const names = [];
    const under = [];
    if (named) {
      await s('Accessibility.enable');
      const whole = await s('Accessibility.getFullAXTree');
      const byId = new Map(whole.nodes.map((n) => [n.nodeId, n]));
      const below = (n, found) => {
        for (const id of n.childIds || []) {
          const child = byId.get(id);
          if (!child) continue;
          if (!child.ignored) found.push(`${child.role?.value ?? ''} ${String(child.name?.value ?? '')}`.trim());
          below(child, found);
        }
        return found;
      };
      const list = await s('Runtime.evaluate', { expression: named });
      if (list.exceptionDetails) throw new Error('a expressão falhou na página: ' + list.exceptionDetails.text);
      const { result } = await s('Runtime.getProperties', { objectId: list.result.objectId, ownProperties: true });
      const elements = result.filter((p) => /^\d+$/.test(p.name)).sort((a, b) => a.name - b.name);
      for (const e of elements) {
        const { nodes } = await s('Accessibility.getPartialAXTree', { objectId: e.value.objectId, fetchRelatives: false });
        const node = nodes[0];
        names.push(!node || node.ignored ? null : String(node.name?.value ?? ''));
        under.push(node && byId.has(node.nodeId) ? below(byId.get(node.nodeId), []) : []);
      }
    }
    const nodes = [];
    if (tree) {
      await s('Accessibility.enable');
      const full = await s('Accessibility.getFullAXTree');
      for (const n of full.nodes) {
        if (n.ignored) continue;
        const focusable = (n.properties || []).some((p) => p.name === 'focusable' && p.value.value === true);
        nodes.push({ role: n.role?.value ?? '', name: String(n.name?.value ?? ''), focusable });
      }
    }
    if (screenshot) {
      await s('Emulation.setDeviceMetricsOverride',
              { width: 1000, height: Math.min(report.height, 16000), deviceScaleFactor: 1, mobile: false });
      const shot = await s('Page.captureScreenshot', { format: 'png' });
      fs.writeFileSync(screenshot, Buffer.from(shot.data, 'base64'));
    }
    return { report, extra: extraValue, names, under, tree: nodes, console: consoleErrors, requests, failed };
  };

  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`o navegador não terminou em ${timeoutMs} ms`)), timeoutMs);
  });
  const exited = new Promise((_, reject) => child.on('exit', (code) => reject(
      new Error(`o navegador terminou antes da hora (código ${code}):\n${stderr}`))));
  const spawnFailed = new Promise((_, reject) => child.on('error', reject));
  return Promise.race([run(), timeout, exited, spawnFailed]).finally(() => {
    clearTimeout(timer);
    child.removeAllListeners('exit');
    // The browser leads its own process group, renderers included: end them all by its id.
    try { process.kill(-child.pid, 'SIGKILL'); } catch (e) { /* already gone */ }
    child.stdio[3].destroy();
    child.stdio[4].destroy();
    fs.rmSync(profile, { recursive: true, force: true });
  });
}

module.exports = { checkPage };
