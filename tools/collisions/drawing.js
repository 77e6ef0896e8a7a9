'use strict';
// How a page draws a formula, as a tree that two formulas share only when they look alike.
//
// MathJax's own ASCIIMath input (the npm package of the start folder) turns the formula into
// MathML; the tree keeps what changes the drawing and drops the rest: attributes that change
// nothing on the page, blanks, and the rows that only group (a row inside a row, a row around
// one item). Then the reviewed equivalences (equivalences.tsv) make different spellings of the
// same thing equal, each by a named rule below.
//
// Used by collisions.js; on its own it reads formulas from standard input, one JSON string a
// line, and writes their drawings, one line each:
//   node drawing.js [EQUIVALENCES.tsv] < formulas
const fs = require('node:fs');
const path = require('node:path');
const readline = require('node:readline');

const ROOT = path.resolve(__dirname, '..', '..');

// Loads MathJax's ASCIIMath input from node_modules; resolves to a function from a formula to
// its MathML text.
async function loadMathJax(nodeModules = path.join(ROOT, 'node_modules')) {
  global.MathJax = {};
  const MathJax = require(path.join(nodeModules, 'mathjax', 'node-main.cjs'));
  await MathJax.init({ loader: { load: ['input/asciimath', 'adaptors/liteDOM'] }, startup: { typeset: false } });
  const toMathML = (formula) => MathJax.asciimath2mml(formula);
  for (const unit of unitSpellings()) unitDrawings.set(unit, strict(toMathML(unit)).c);
  for (const name of functionSpellings()) functionDrawings.set(name, strict(toMathML(name)).c);
  return toMathML;
}

// Each unit's spelling and what the page draws for it typed bare: "km" as the letters k and m.
const unitDrawings = new Map();
// The same for the names of functions: "Cov" as the letters C, o and v, "sin" as its name.
const functionDrawings = new Map();

// ---- MathML text to a tree: {t: tag, a: kept attributes, c: children} or {t, v: text} ----

const ENTITIES = { amp: '&', lt: '<', gt: '>', quot: '"', apos: "'", nbsp: '\u00A0' };
function decode(text) {
  return text.replace(/&(#x[0-9a-fA-F]+|#[0-9]+|[a-z]+);/g, (m, e) => {
    if (e[0] !== '#') return ENTITIES[e] ?? m;
    return String.fromCodePoint(e[1] === 'x' ? parseInt(e.slice(2), 16) : parseInt(e.slice(1), 10));
  });
}

// Attributes that change what the page shows. The others (displaystyle, stretchy, fence,
// columnlines, columnalign, xmlns, data-*) change spacing or nothing.
const KEPT_ATTRIBUTES = new Set(['mathvariant', 'mathcolor', 'notation', 'linethickness']);
const TOKENS = new Set(['mi', 'mn', 'mo', 'mtext', 'ms']);

function parseMathML(xml) {
  const root = { t: '#root', a: '', c: [] };
  const stack = [root];
  const re = /<(\/?)([a-z]+)([^>]*?)(\/?)>|([^<]+)/g;
  let m;
  while ((m = re.exec(xml)) !== null) {
    const top = stack[stack.length - 1];
    if (m[5] !== undefined) {
      if (TOKENS.has(top.t)) top.v = (top.v ?? '') + decode(m[5]);
      continue;
    }
    const [, closing, tag, attrText, selfClosing] = m;
    if (closing) {
      stack.pop();
      continue;
    }
    const attrs = [];
    for (const [, name, value] of attrText.matchAll(/([a-zA-Z-]+)="([^"]*)"/g)) {
      if (KEPT_ATTRIBUTES.has(name) && !(name === 'mathvariant' && value === 'normal')) attrs.push(`${name}=${decode(value)}`);
    }
    const node = TOKENS.has(tag) ? { t: tag, a: attrs.sort().join(' '), v: '' } : { t: tag, a: attrs.sort().join(' '), c: [] };
    top.c.push(node);
    if (!selfClosing) stack.push(node);
  }
  return { t: 'mrow', a: '', c: root.c };
}

// ---- the strict form: the same for two formulas only when they are drawn alike ----

// Elements whose children stand side by side, as in a row.
const ROW_LIKE = new Set(['math', 'mrow', 'mstyle', 'msqrt', 'mtd', 'menclose', 'mpadded', 'mphantom', 'merror']);
// MathJax draws a hyphen in an operator as the minus sign.
const SAME_GLYPH = { '-': '\u2212' };

function tidy(node) {
  if (node.v !== undefined) {
    // blanks drawn as an operator ("quad") stay as one blank, for the rule on spaces
    const v = node.v.trim() === '' && node.v !== '' ? ' ' : node.v.trim();
    // a letter typed as a character ("α") comes as an operator, spelled ("alpha") as a letter
    if (node.t === 'mo' && /^\p{L}$/u.test(v)) return { t: 'mi', a: node.a, v };
    return { t: node.t, a: node.a, v: node.t === 'mo' ? (SAME_GLYPH[v] ?? v) : v };
  }
  let children = node.c.map(tidy).filter((c) => !(c.t === 'mo' && c.v === ''));
  if (ROW_LIKE.has(node.t)) {
    // a row inside a row, and a style that only sets the display mode, group nothing drawn
    const flat = [];
    for (const c of children) {
      if ((c.t === 'mrow' || (c.t === 'mstyle' && c.a === '') || c.t === 'math') && c.c) flat.push(...c.c);
      else if (!(c.t === 'mstyle' && c.c.length === 0)) flat.push(c);  // an empty style draws nothing
    }
    children = flat;
  } else {
    // an argument: a row of one item is that item, and a style around nothing draws nothing
    children = children.map((c) => (c.t === 'mrow' && c.c.length === 1 ? c.c[0]
      : c.t === 'mstyle' && c.c && c.c.length === 0 ? { t: 'mrow', a: '', c: [] } : c));
  }
  const t = node.t === 'math' || (node.t === 'mstyle' && node.a === '') ? 'mrow' : node.t;
  // A script on a row of plain symbols ("log x_y" gives the row "log x" an index) is drawn
  // as the script on the row's last symbol.
  if (['msub', 'msup', 'msubsup'].includes(t) && children[0] && children[0].t === 'mrow' &&
      children[0].c.length > 0 && children[0].c.every((x) => x.v !== undefined)) {
    const row = children[0].c;
    return { t: 'mrow', a: '', c: [...row.slice(0, -1), { t, a: node.a, c: [row[row.length - 1], ...children.slice(1)] }] };
  }
  return { t, a: node.a, c: children };
}

function strict(mathml) {
  return tidy(parseMathML(mathml));
}

// ---- the reviewed equivalences, by name; equivalences.tsv says which apply ----

const FUNCTION_NAMES = new Set(['sin', 'cos', 'tan', 'sec', 'csc', 'cot', 'arcsin', 'arccos', 'arctan', 'sinh',
  'cosh', 'tanh', 'sech', 'csch', 'coth', 'exp', 'log', 'ln', 'det', 'dim', 'gcd', 'lcm', 'lub', 'glb', 'min',
  'max', 'arg', 'mod', 'f', 'g', 'Re', 'Im']);
// Functions the reader knows and MathJax's ASCIIMath does not, longest first.
const LETTER_NAMES = [['cossec', 'csc'], ['arcsen', 'arcsin'], ['arctg', 'arctan'], ['senh', 'sinh'],
  ['cotg', 'cot'], ['sen', 'sin'], ['tg', 'tan'], ['mdc', 'gcd'], ['mmc', 'lcm'], ['arg', 'arg'], ['Re', 'Re'],
  ['Im', 'Im']];

const SCRIPTS = new Set(['msub', 'msup', 'msubsup']);
// Function names that the page also knows capitalised.
const CAPITALISED_FUNCTIONS = new Set(['Sin', 'Cos', 'Tan', 'Sec', 'Csc', 'Cot', 'Arcsin', 'Arccos', 'Arctan', 'Sinh',
  'Cosh', 'Tanh', 'Log', 'Ln']);
// The number sets' signs, by letter.
const NUMBER_SETS = { N: '\u2115', Z: '\u2124', Q: '\u211A', R: '\u211D', C: '\u2102' };
// A relation and the same relation struck through.
const NEGATED = { '\u2208': '\u2209', '=': '\u2260', '\u2282': '\u2284', '\u2283': '\u2285', '\u2286': '\u2288',
  '\u2287': '\u2289', '\u2261': '\u2262', '\u2223': '\u2224' };
// Signs that may stand before a function's argument: minus, plus, plus or minus.
const SIGNS = new Set(['\u2212', '+', '\u00B1']);
const isMo = (n, v) => n && n.t === 'mo' && (v === undefined || n.v === v);
const isLetter = (n) => n && n.t === 'mi' && [...n.v].length === 1 && n.a === '';

function mapRows(node, f) {
  if (node.v !== undefined) return node;
  const c = node.c.map((x) => mapRows(x, f));
  return { t: node.t, a: node.a, c: ROW_LIKE.has(node.t) ? f(c) : c };
}
function mapNodes(node, f) {
  const n = node.v !== undefined ? node : { t: node.t, a: node.a, c: node.c.map((x) => mapNodes(x, f)) };
  return f(n);
}

function isFunctionHead(n) {
  if (!n) return false;
  if (n.t === 'mi' || n.t === 'mo') return FUNCTION_NAMES.has(n.v);  // "det", "max": operators
  if (SCRIPTS.has(n.t) || ['mover', 'munder', 'munderover'].includes(n.t)) return isFunctionHead(n.c[0]);
  return false;
}

// Where the argument of a function that starts at c[k] ends: one item ("x"), or a function and
// its argument ("exp x", "f(t)"); -1 for anything else.
function argumentEnd(c, k) {
  if (!c[k] || (isMo(c[k]) && ['(', ')', '[', ']', '{', '}', '|'].includes(c[k].v))) return -1;
  // "dx", "dt": the page spells a differential as two letters; it is one item
  if (c[k].t === 'mi' && c[k].v === 'd' && c[k + 1] && c[k + 1].t === 'mi' && ['x', 'y', 'z', 't'].includes(c[k + 1].v)) return k + 2;
  if (!isFunctionHead(c[k])) return k + 1;
  if (isMo(c[k + 1], '(')) {
    let depth = 0;
    for (let j = k + 1; j < c.length; j++) {
      if (isMo(c[j], '(')) depth++;
      if (isMo(c[j], ')') && --depth === 0) return j + 1;
    }
    return -1;
  }
  const inner = argumentEnd(c, k + 1);
  return inner < 0 ? k + 1 : inner;  // a function name alone ("g" as a letter)
}

const BRACKETS = new Set(['(', ')', '[', ']', '{', '}', '|']);

// Where the brackets of a function's argument that open at c[j] close ("cos(b)"); -1 when
// c[j] opens no such brackets.
function argumentClose(c, j) {
  if (!isMo(c[j], '(') || j === 0 || !isFunctionHead(c[j - 1])) return -1;
  for (let k = j, depth = 0; k < c.length; k++) {
    if (isMo(c[k], '(')) depth++;
    if (isMo(c[k], ')') && --depth === 0) return k;
  }
  return c.length;
}

// The next bracket from c[j] on that is not one of a function's argument ("]cos(b), 2]"): its
// index, or c.length.
function nextBracket(c, j) {
  for (; j < c.length; j++) {
    const close = argumentClose(c, j);
    if (close >= 0) j = close;
    else if (isMo(c[j]) && BRACKETS.has(c[j].v)) return j;
  }
  return c.length;
}

// "2 , 5" as "2,5": a comma between two whole numbers drawn side by side.
function joinDecimalCommas(c) {
  const out = [];
  for (let i = 0; i < c.length; i++) {
    const last = out[out.length - 1];
    if (last && last.t === 'mn' && /^\d+$/.test(last.v) && isMo(c[i], ',') && c[i + 1] && c[i + 1].t === 'mn' && /^\d+$/.test(c[i + 1].v)) {
      out[out.length - 1] = { t: 'mn', a: last.a, v: `${last.v},${c[i + 1].v}` };
      i++;
    } else {
      out.push(c[i]);
    }
  }
  return out;
}

// The spellings of units that the reader reads after a number (its word tables unidades.tsv
// and prefixos.tsv), with their prefixes where a unit takes them.
function unitSpellings() {
  const words = path.join(ROOT, 'reader', 'words');
  const rows = (file) => fs.readFileSync(path.join(words, file), 'utf8').split('\n')
    .filter((l) => l.trim() !== '' && !l.startsWith('#')).map((l) => l.split('\t'));
  const prefixes = rows('prefixos.tsv').map((r) => r[0]);
  const spellings = new Set();
  for (const r of rows('unidades.tsv')) {
    spellings.add(r[0]);
    if ((r[4] ?? '').includes('prefixos')) for (const p of prefixes) spellings.add(p + r[0]);
  }
  return spellings;
}

// The spellings of the functions of the reader's table simbolos.tsv, letters only ("f" and
// "g" name no function of their own there).
function functionSpellings() {
  return fs.readFileSync(path.join(ROOT, 'reader', 'words', 'simbolos.tsv'), 'utf8').split('\n')
    .map((l) => l.split('\t')).filter((c) => c[2] === 'Function' && c[3] !== 'Letter' && /^[A-Za-z]+$/.test(c[0]))
    .map((c) => c[0]);
}

// The names of functions whose argument typed without brackets runs on over the product after
// it (the mark produto_no_argumento of the reader's table simbolos.tsv): "sen 2x" is sen(2x).
function productArgumentFunctions() {
  const names = new Set();
  for (const line of fs.readFileSync(path.join(ROOT, 'reader', 'words', 'simbolos.tsv'), 'utf8').split('\n')) {
    const cells = line.split('\t');
    if (!line.startsWith('#') && (cells[4] ?? '').split(' ').includes('produto_no_argumento')) names.add(cells[0]);
  }
  return names;
}
const PRODUCT_ARGUMENT_FUNCTIONS = productArgumentFunctions();
// Letters that name a function where they stand (the reader's letras.tsv, role Funcao).
const FUNCTION_LETTERS = new Set(['f', 'g', 'h']);

// A factor of such an argument: a number, a letter, perhaps with scripts, or the degree sign,
// prime or factorial that stays with what stands before it.
function isArgumentFactor(n) {
  if (!n) return false;
  if (isMo(n) && ['\u00B0', '\u2032', '!'].includes(n.v)) return true;
  const base = SCRIPTS.has(n.t) ? n.c[0] : n;
  if (base.t === 'mn') return true;
  return base.t === 'mi' && base.a === '' && [...base.v].length === 1 && !FUNCTION_LETTERS.has(base.v);
}

// What each bar of a row does: "open" or "close" a modulus, or "double" where two bars side by
// side at an opening are a norm's ("||v||"); other items get undefined.
function barRoles(c) {
  const roles = [];
  let open = false;
  for (let i = 0; i < c.length; i++) {
    if (!isMo(c[i], '|')) continue;
    if (!open && isMo(c[i + 1], '|')) { roles[i] = roles[i + 1] = 'double'; i++; continue; }
    roles[i] = open ? 'close' : 'open';
    open = !open;
  }
  return roles;
}

// Whether the item after c[i] in a row is a factor of a product with it: a number or a letter
// (perhaps with scripts), a root, a modulus that opens there, a bracket, or a function's name.
function isFactorAfter(c, i, roles = barRoles(c)) {
  const n = c[i + 1];
  if (!n) return false;
  if (isArgumentFactor(n) && !isMo(n)) return true;
  if (n.t === 'msqrt' || n.t === 'mroot' || isMo(n, '(') || isFunctionHead(n) || (SCRIPTS.has(n.t) && isFunctionHead(n.c[0]))) return true;
  return roles[i + 1] === 'open';
}

// Words typed between relations (the reader's phrases E, Ou, Se, Entao, Para, Com, Onde,
// TalQue and De), and how each is drawn once recognised.
const CONNECTIVES = new Set(['e', 'ou', 'se', 'então', 'para', 'com', 'onde', 'tal que', 'de', 'and', 'or']);
function connective(word) {
  if (word === 'e' || word === 'and') return { t: 'mo', a: '', v: '\u2227' };
  if (word === 'ou' || word === 'or') return { t: 'mo', a: '', v: '\u2228' };
  return { t: 'mtext', a: '', v: word };
}

// The rules apply in this order: the ends of an interval are found before the decimal commas
// are joined, and numbers are joined before the brackets of a function's argument are dropped
// ("tg(3.2)" and "tan(3,2)"; "tan 3,2" is not "tan(3),2"), which comes before a unit in quotes
// ("tg(50)\"cm\"").
const RULES = {
  // "hat A" and "/_ A", "hat(ABC)" and "/_ ABC": a hat over a vertex or over three vertices is
  // the angle's sign.
  'angle-hat': (tree) => mapRows(tree, (c) => c.flatMap((n) => {
    if (n.t !== 'mover' || !isMo(n.c[1], '^')) return [n];
    const capital = (x) => isLetter(x) && /^[A-Z]$/.test(x.v);
    const vertices = n.c[0].t === 'mrow' ? n.c[0].c : [n.c[0]];
    if (!(vertices.length === 1 || vertices.length === 3) || !vertices.every(capital)) return [n];
    return [{ t: 'mo', a: '', v: '\u2220' }, ...vertices];
  })),
  // "\"Cov\"(X,Y)" and "Cov(X,Y)": a function's name in double quotes, which the page draws
  // as text, becomes what the page draws for the name typed bare.
  'quoted-function-names': (tree) => mapRows(tree, (c) => c.flatMap((n) =>
    (n.t === 'mtext' && functionDrawings.has(n.v) ? functionDrawings.get(n.v) : [n]))),
  // "Ln x" and "ln x": the capitalised names of functions that the page knows.
  'capitalised-function-names': (tree) => mapNodes(tree, (n) =>
    ((n.t === 'mi' || n.t === 'mo') && CAPITALISED_FUNCTIONS.has(n.v) ? { t: n.t, a: n.a, v: n.v.toLowerCase() } : n)),
  // "bbb R" and "RR": a number set's letter in the double-struck typeface is the set's sign.
  'double-struck-sets': (tree) => mapNodes(tree, (n) =>
    (n.t === 'mstyle' && n.a === 'mathvariant=double-struck' && n.c.length === 1 && n.c[0].t === 'mi' && NUMBER_SETS[n.c[0].v]
      ? { t: 'mi', a: '', v: NUMBER_SETS[n.c[0].v] } : n)),
  // "sen x" and "sin x": names of functions that the page draws as letters ("s e n", "cos sec").
  'function-names-drawn-as-letters': (tree) => mapRows(tree, (c) => {
    const out = [];
    for (let i = 0; i < c.length; i++) {
      let done = false;
      for (const [name, as] of LETTER_NAMES) {
        // the tokens from i on spell the name; the last may carry its script ("sen^2 x")
        let text = '';
        let k = i;
        for (; k < c.length && text.length < name.length; k++) {
          const n = c[k];
          const base = n.t === 'mi' && n.a === '' ? n : SCRIPTS.has(n.t) && n.c[0].t === 'mi' ? n.c[0] : null;
          if (!base || (base !== n && text.length + base.v.length !== name.length)) break;
          text += base.v;
        }
        if (text !== name) continue;
        // "cot g" at the end of a row is the page's own function over g, not "cotg" over nothing
        if (k === c.length && c[i].t === 'mi' && [...c[i].v].length > 1 && k - i > 1) continue;
        const last = c[k - 1];
        const head = { t: 'mi', a: '', v: as };
        out.push(last.t === 'mi' ? head : { t: last.t, a: last.a, c: [head, ...last.c.slice(1)] });
        i = k - 1;
        done = true;
        break;
      }
      if (!done) out.push(c[i]);
    }
    return out;
  }),
  // "[y; x]" and "[y,x]", "[2,5; 3]" and "[2.5, 3]": the ends of an interval with a square
  // bracket, separated by a semicolon (then a comma between digits is the decimal mark, as in
  // Brazilian texts) or by a comma. With a semicolon the decimal commas are joined here, and
  // the semicolon becomes the comma.
  'interval-ends': (tree) => mapRows(tree, (c) => {
    const out = [];
    for (let i = 0; i < c.length; i++) {
      out.push(c[i]);
      if (!isMo(c[i]) || !['(', '[', ']'].includes(c[i].v)) continue;
      const j = nextBracket(c, i + 1);
      if (j >= c.length || ![')', ']', '['].includes(c[j].v) || (c[i].v === '(' && c[j].v === ')')) continue;
      const inner = joinDecimalCommas(c.slice(i + 1, j));
      const semicolon = inner.findIndex((n) => isMo(n, ';'));
      if (semicolon <= 0 || semicolon === inner.length - 1 ||
          inner.some((n, k) => k !== semicolon && (isMo(n, ';') || isMo(n, ',')))) continue;
      inner[semicolon] = { t: 'mo', a: '', v: ',' };
      out.push(...inner, c[j]);
      i = j;
    }
    return out;
  }),
  // "]a,b[" and "(a,b)", "[a,b[" and "[a,b)": the French and the English notation of intervals.
  'interval-notation': (tree) => mapRows(tree, (c) => {
    const out = c.slice();
    for (let i = 0; i < c.length; i++) {
      if (!isMo(c[i]) || !['(', '[', ']'].includes(c[i].v)) continue;
      // the separators between the ends, not those of a function's arguments
      const j = nextBracket(c, i + 1);
      let separators = 0;
      for (let k = i + 1; k < j; k++) {
        const close = argumentClose(c, k);
        if (close >= 0) k = close;
        else if (isMo(c[k], ',') || isMo(c[k], ';')) separators++;
      }
      if (j >= c.length || separators !== 1 || ![')', ']', '['].includes(c[j].v) || j - i < 4) continue;
      if (c[i].v === ']') out[i] = { t: 'mo', a: '', v: '(' };
      if (c[j].v === '[') out[j] = { t: 'mo', a: '', v: ')' };
      i = j;
    }
    return out;
  }),
  // "4.500" and "4500": the dot between groups of three digits.
  'thousands-separator': (tree) => mapNodes(tree, (n) =>
    (n.t === 'mn' && /^[1-9]\d{0,2}(\.\d{3})+$/.test(n.v) ? { t: 'mn', a: n.a, v: n.v.replace(/\./g, '') } : n)),
  // "10 000" and "10000": a blank between groups of three digits only helps the eye.
  'thousands-blank': (tree) => mapRows(tree, (c) => {
    const out = [];
    let grouping = false;  // the last number is a run of groups that started with one to three digits
    for (const n of c) {
      const last = out[out.length - 1];
      if (n.t === 'mn' && /^\d{3}$/.test(n.v) && last && last.t === 'mn' && (grouping || /^[1-9]\d{0,2}$/.test(last.v))) {
        out[out.length - 1] = { t: 'mn', a: last.a, v: last.v + n.v };
        grouping = true;
      } else {
        out.push(n);
        grouping = false;
      }
    }
    return out;
  }),
  // "2,5" and "2.5": the decimal comma, which the page draws as a comma between two numbers.
  'decimal-comma': (tree) => mapRows(mapNodes(tree, (n) =>
    (n.t === 'mn' && /^\d+\.\d+$/.test(n.v) ? { t: 'mn', a: n.a, v: n.v.replace('.', ',') } : n)), joinDecimalCommas),
  // "sen 2x" and "sen(2x)", "cos 60°" and "cos(60°)": a product after a function's name, without
  // brackets, is all its argument; it ends at an operator, a relation, a comma, a differential
  // ("d x") or another function's name. "sen(2)x", whose brackets close first, stays apart.
  'function-argument-product': (tree) => mapRows(tree, (c) => {
    const out = [];
    for (let i = 0; i < c.length; i++) {
      out.push(c[i]);
      const head = SCRIPTS.has(c[i].t) ? c[i].c[0] : c[i];
      if (!(head.t === 'mi' || head.t === 'mo') || !PRODUCT_ARGUMENT_FUNCTIONS.has(head.v)) continue;
      let end = i + 1;
      // "d x", and "dt_X" whose variable carries a script, is a differential
      const variable = (n) => n && (SCRIPTS.has(n.t) ? n.c[0] : n);
      while (isArgumentFactor(c[end]) && !(c[end].t === 'mi' && c[end].v === 'd' && variable(c[end + 1]) &&
             variable(c[end + 1]).t === 'mi' && ['x', 'y', 'z', 't'].includes(variable(c[end + 1]).v))) end++;
      if (end - i < 3 || isMo(c[i + 1])) continue;  // one item alone, or a sign first
      out.push({ t: 'mo', a: '', v: '(' }, ...c.slice(i + 1, end), { t: 'mo', a: '', v: ')' });
      i = end - 1;
    }
    return out;
  }),
  // "log 3 ≅ 0,477" and "log 3 ≈ 0,477": the sign of congruence before a decimal number is the
  // approximation textbooks mean by it.
  'congruence-before-decimal': (tree) => mapRows(tree, (c) =>
    c.map((n, i) => (isMo(n, '≅') && c[i + 1] && c[i + 1].t === 'mn' && c[i + 1].v.includes(',') ? { ...n, v: '≈' } : n))),
  // "ln x" and "ln(x)", "sec -2" and "sec(-2)": brackets around one item after a function's
  // name, the item perhaps with a sign before it.
  'function-argument-brackets': (tree) => mapRows(tree, (c) => {
    // until nothing changes: "sinh(ln(x))" loses the inner brackets first
    for (let changed = true; changed;) {
      changed = false;
      for (let i = 0; i + 1 < c.length; i++) {
        if (!isFunctionHead(c[i]) || !isMo(c[i + 1], '(')) continue;
        const signed = isMo(c[i + 2]) && SIGNS.has(c[i + 2].v);
        const end = argumentEnd(c, signed ? i + 3 : i + 2);
        if (end < 0 || !isMo(c[end], ')')) continue;
        c = [...c.slice(0, i + 1), ...c.slice(i + 2, end), ...c.slice(end + 1)];
        changed = true;
      }
    }
    return c;
  }),
  // "3km" and "3\"km\"": a unit after a number, typed in double quotes or not. The page draws
  // the one as text; it becomes what the page draws for the unit typed bare ("k m", "min").
  'unit-in-quotes': (tree) => mapRows(tree, (c) => c.flatMap((n, i) =>
    (n.t === 'mtext' && i > 0 && c[i - 1].t === 'mn' && unitDrawings.has(n.v) ? unitDrawings.get(n.v) : [n]))),
  // "a*b", "a cdot b", "a xx b", "a·b", "a×b": the signs of multiplication.
  'times-sign': (tree) => mapNodes(tree, (n) =>
    (n.t === 'mo' && ['\u22C5', '\u00B7', '\u00D7'].includes(n.v) ? { t: 'mo', a: '', v: '\u00D7' } : n)),
  // "v_0 t" and "v_0*t": a factor right after a number or letter with an index of one item is
  // multiplied by it, and a teacher says so ("v índice 0, vezes t"); not between two capitals.
  // The same before a root, a modulus or a function's name: "x_1 sen x" and "x_1*sen x".
  'product-after-index': (tree) => mapRows(tree, (c) => c.flatMap((n, i) => {
    if (n.t !== 'msub' || !isFactorAfter(c, i)) return [n];
    const base = n.c[0];
    const index = n.c[1];
    const atom = (x) => x && (x.t === 'mn' || (x.t === 'mi' && [...x.v].length === 1));
    const simple = atom(index) || (index.t === 'mrow' && index.c.length === 2 && isMo(index.c[0]) &&
      ['\u2212', '+'].includes(index.c[0].v) && atom(index.c[1]));
    const plainBase = base.t === 'mn' || (base.t === 'mi' && [...base.v].length === 1 && !/[\u0370-\u03FF]/.test(base.v));
    const capital = (x) => x.t === 'mi' && /^[A-Z]$/.test(x.v);
    const next = SCRIPTS.has(c[i + 1].t) ? c[i + 1].c[0] : c[i + 1];
    // H_2O, N_2(g): capitals may be a chemical formula, a bracket the state of a species
    if (capital(base) && (capital(next) || isMo(next, '('))) return [n];
    return plainBase && simple ? [n, { t: 'mo', a: '', v: '\u00D7' }] : [n];
  })),
  // "sqrt(a) sqrt(b)" and "sqrt(a)*sqrt(b)", "|u| |v|" and "|u|*|v|": a factor, a root, a modulus
  // or a function's name right after a root or a modulus is multiplied by it, and a teacher
  // says so ("raiz quadrada de á, vezes raiz quadrada de b").
  'product-after-root-or-modulus': (tree) => mapRows(tree, (c) => {
    const roles = barRoles(c);
    return c.flatMap((n, i) => ((roles[i] === 'close' || n.t === 'msqrt' || n.t === 'mroot') && isFactorAfter(c, i, roles)
      ? [n, { t: 'mo', a: '', v: '\u00D7' }] : [n]));
  }),
  // "[(1,2),(3,4)]" and "((1,2),(3,4))": a matrix in brackets or in parentheses.
  'matrix-brackets': (tree) => mapRows(tree, (c) => c.map((n, i) => {
    if (isMo(n, '[') && c[i + 1] && c[i + 1].t === 'mtable' && isMo(c[i + 2], ']')) return { t: 'mo', a: '', v: '(' };
    if (isMo(n, ']') && c[i - 1] && c[i - 1].t === 'mtable' && isMo(c[i - 2], '[')) return { t: 'mo', a: '', v: ')' };
    return n;
  })),
  // "A+b" and "a+b": a letter written in one case only, whose case the reading need not tell.
  'letter-case': (tree) => {
    const seen = new Set();
    mapNodes(tree, (n) => { if (isLetter(n)) seen.add(n.v); return n; });
    return mapNodes(tree, (n) => {
      if (!isLetter(n)) return n;
      const lower = n.v.toLowerCase();
      const upper = n.v.toUpperCase();
      return lower !== upper && !(seen.has(lower) && seen.has(upper)) ? { t: 'mi', a: '', v: lower } : n;
    });
  },
  // "a quad b" and "a b": blanks are not read.
  'spaces': (tree) => mapRows(tree, (c) => c.filter((n) => n.t !== 'mspace' && !(isMo(n) && /^[\s\u00A0]+$/.test(n.v)))),
  // "||v||" and "norm(v)": two bars and the double bar.
  'double-bar': (tree) => mapRows(tree, (c) => {
    const out = [];
    for (let i = 0; i < c.length; i++) {
      if (isMo(c[i], '|') && isMo(c[i + 1], '|')) { out.push({ t: 'mo', a: '', v: '\u2225' }); i++; }
      else out.push(c[i]);
    }
    return out;
  }),
  // "bb +" and "+": a typeface on a sign does not change the sign.
  'typeface-on-signs': (tree) => mapNodes(tree, (n) =>
    (n.t === 'mstyle' && /^mathvariant=/.test(n.a) && n.c.length === 1 && n.c[0].t === 'mo' ? n.c[0] : n)),
  // "-y/2" and "(-y)/2": the same number, the minus drawn before the fraction or in its numerator.
  'minus-before-fraction': (tree) => mapRows(tree, (c) => c.flatMap((n) => {
    if (n.t !== 'mfrac' || n.c[0].t !== 'mrow' || n.c[0].c.length !== 2 || !isMo(n.c[0].c[0], '\u2212')) return [n];
    return [n.c[0].c[0], { t: 'mfrac', a: n.a, c: [n.c[0].c[1], n.c[1]] }];
  })),
  // "x not in y" and "x notin y": the sign of negation before a relation is the negated relation.
  'negated-relation': (tree) => mapRows(tree, (c) => {
    const out = [];
    for (let i = 0; i < c.length; i++) {
      const negated = isMo(c[i], '\u00AC') && isMo(c[i + 1]) ? NEGATED[c[i + 1].v] : undefined;
      if (negated) { out.push({ t: 'mo', a: '', v: negated }); i++; } else out.push(c[i]);
    }
    return out;
  }),
  // "p <-> q" and "p <=> q": the two-headed arrow typed as "<" and "->", which the page draws as
  // the two signs, is the biconditional.
  'biconditional-arrow': (tree) => mapRows(tree, (c) => {
    const out = [];
    for (let i = 0; i < c.length; i++) {
      if (isMo(c[i], '<') && isMo(c[i + 1], '\u2192')) { out.push({ t: 'mo', a: '', v: '\u21D4' }); i++; } else out.push(c[i]);
    }
    return out;
  }),
  // "x > 1 e x < 3" and "x > 1 ^^ x < 3", "20% de 80" and "20% \"de\" 80": words typed in a
  // formula between relations (or "de" after a percentage), which the page draws as letters or
  // as text; "e" and "ou" are the signs of "and" and "or".
  'connective-words': (tree) => mapRows(tree, (c) => {
    const out = [];
    for (let i = 0; i < c.length; i++) {
      const n = c[i];
      if (n.t === 'mtext' && CONNECTIVES.has(n.v.trim())) {
        out.push(connective(n.v.trim()));
        continue;
      }
      let word = null;
      if (isLetter(n) && !isLetter(c[i - 1]) && !(c[i - 1] && c[i - 1].t === 'mtext')) {
        for (const w of CONNECTIVES) {
          const letters = [...w.replace(' ', '')];
          if (letters.every((l, k) => isLetter(c[i + k]) && c[i + k].v === l)) { word = w; break; }
        }
      }
      if (word === null) { out.push(n); continue; }
      out.push(connective(word));
      i += [...word.replace(' ', '')].length - 1;
    }
    return out;
  }),
  // "color(red)(x)" and "x": colour is not read.
  'colour': (tree) => mapRows(tree, (c) => c.flatMap((n) => (n.t === 'mstyle' && /^mathcolor=/.test(n.a) ? n.c : [n]))),
};

// Rows of equivalences.tsv: name, formula A, formula B, why. Lines starting with "#" are comments.
function readTable(file, columns) {
  const rows = [];
  fs.readFileSync(file, 'utf8').split('\n').forEach((line, i) => {
    if (line.trim() === '' || line.startsWith('#')) return;
    const cells = line.split('\t');
    if (cells.length < columns) throw new Error(`${file}:${i + 1}: ${columns} colunas separadas por tabulação`);
    rows.push({ line: i + 1, cells });
  });
  return rows;
}

function readEquivalences(file) {
  return readTable(file, 4).map(({ line, cells: [name, a, b, why] }) => {
    if (!RULES[name]) throw new Error(`${file}:${line}: não há regra chamada ${name}`);
    return { line, name, a: JSON.parse(a), b: JSON.parse(b), why };
  });
}

function serialize(n) {
  if (n.v !== undefined) return `${n.t.slice(1)}${n.a ? `[${n.a}]` : ''}:${n.v}`;
  return `${n.t}${n.a ? `[${n.a}]` : ''}(${n.c.map(serialize).join(' ')})`;
}

// The drawing of a formula with the named rules applied, in the order of RULES.
function canonical(tree, ruleNames) {
  let t = tree;
  for (const [name, rule] of Object.entries(RULES)) if (ruleNames.has(name)) t = rule(t);
  // a rule may leave a row of one item where an argument stood ("(4,1)/x" once its decimal
  // comma is joined): as in the strict form, that row is its item
  return mapNodes(t, (n) => (n.v !== undefined || ROW_LIKE.has(n.t) ? n
    : { t: n.t, a: n.a, c: n.c.map((c) => (c.t === 'mrow' && c.c.length === 1 ? c.c[0] : c)) }));
}

module.exports = { loadMathJax, strict, canonical, serialize, readEquivalences, readTable, RULES, ROOT };

if (require.main === module) {
  (async () => {
    const toMathML = await loadMathJax();
    const names = new Set(process.argv[2] ? readEquivalences(process.argv[2]).map((e) => e.name) : []);
    const rl = readline.createInterface({ input: process.stdin });
    for await (const line of rl) {
      if (line.trim() === '') continue;
      let out;
      try {
        out = serialize(canonical(strict(toMathML(JSON.parse(line))), names));
      } catch (e) {
        out = `erro: ${e.message}`;
      }
      process.stdout.write(`${JSON.stringify(out)}\n`);
    }
  })().catch((e) => { console.error(e); process.exit(1); });
}
