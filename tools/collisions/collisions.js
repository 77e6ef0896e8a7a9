'use strict';
// Two formulas that a page draws differently must not be read alike: the search for such
// collisions over random formulas.
//
//   node collisions.js --leitor VELLOQ-COLISOES [--formulas N] [--semente S] [--verificar]
//                      [--equivalencias FILE] [--conhecidas FILE] [--classes K] [--braille]
//
// With --braille the formulas' braille (one level, "braille") takes the place of the readings,
// and the known collisions are those of known_braille_collisions.tsv.
//
// velloq-colisoes gives N distinct random formulas from the seed with their readings at
// "breve", "normal" and "detalhada"; MathJax draws each one (drawing.js). At each level the
// formulas are grouped by reading; two drawings in a group that the reviewed equivalences do not
// make equal are a collision. At "breve", which leaves out the end markers that nothing follows,
// two formulas whose "normal" readings differ only by such a trailing marker are let pass.
// Collisions are grouped in classes by the part of the two drawings that differs, its letters
// and numbers left out.
//
// It prints figures, and with --verificar also checks the two tables of tests/collisions:
//   - every equivalence makes its two example formulas equal, which the others do not;
//   - every collision found is of a class listed in known_collisions.tsv at its level;
//   - every row of known_collisions.tsv still collides (a mended one must leave the table).
// The exit status is 1 when a check fails, 2 on a usage or set-up error.
const { spawn, spawnSync } = require('node:child_process');
const path = require('node:path');
const readline = require('node:readline');
const drawing = require('./drawing.js');

const READING_LEVELS = ['breve', 'normal', 'detalhada'];
let LEVELS = READING_LEVELS;

function parseArgs(argv) {
  const o = {
    formulas: 3000, semente: 1, verificar: false, classes: 15,
    equivalencias: path.join(drawing.ROOT, 'tests', 'collisions', 'equivalences.tsv'),
    conhecidas: path.join(drawing.ROOT, 'tests', 'collisions', 'known_collisions.tsv'),
  };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (a === '--verificar') o.verificar = true;
    else if (a === '--braille') o.braille = true;
    else if (['--leitor', '--formulas', '--semente', '--equivalencias', '--conhecidas', '--classes', '--node-modules'].includes(a) && i + 1 < argv.length) o[a.slice(2).replace('-m', 'M')] = argv[++i];
    else throw new Error(`argumento desconhecido: ${a}`);
  }
  if (!o.leitor) throw new Error('falta --leitor (o programa velloq-colisoes)');
  if (o.braille) {
    LEVELS = ['braille'];
    if (!argv.includes('--conhecidas')) o.conhecidas = path.join(drawing.ROOT, 'tests', 'collisions', 'known_braille_collisions.tsv');
  }
  o.formulas = Number(o.formulas);
  o.classes = Number(o.classes);
  return o;
}

// The readings of given formulas, through "velloq-colisoes ler".
function readAll(reader, formulas, braille) {
  const r = spawnSync(reader, [...(braille ? ['--braille'] : []), 'ler'], { input: formulas.map((f) => JSON.stringify(f)).join('\n') + '\n', maxBuffer: 1 << 28 });
  if (r.status !== 0) throw new Error(`${reader} ler: ${r.stderr}`);
  return r.stdout.toString('utf8').split('\n').filter((l) => l !== '').map((l) => JSON.parse(l));
}

// The end markers that "breve" leaves out when nothing follows them.
const TRAILING_END = /(, fim d(o|a|os|as) [^,;:]*)+$/;
const onlyTrailingEnd = (a, b) => a !== b && a.replace(TRAILING_END, '') === b.replace(TRAILING_END, '');

// ---- classes: the part where two drawings differ, letters and numbers left out ----

// Two levels of structure: "frac(x row(…))" for 4/(pq) and for x/(a+b+c).
function abstract(n, depth = 2) {
  if (n.v !== undefined) {
    if ((n.t === 'mi' && [...n.v].length === 1) || n.t === 'mn') return 'x';
    if (n.t === 'mtext') return 'T';
    return n.v;
  }
  const inside = depth > 0 ? n.c.map((c) => abstract(c, depth - 1)).join(' ') : '…';
  return `${n.t.replace(/^m/, '')}${n.a ? `[${n.a}]` : ''}(${inside})`;
}

function same(a, b) { return drawing.serialize(a) === drawing.serialize(b); }

// The smallest runs of siblings where two trees differ.
function difference(a, b) {
  if (a.c && b.c && a.t === b.t && a.a === b.a) {
    let start = 0;
    while (start < a.c.length && start < b.c.length && same(a.c[start], b.c[start])) start++;
    let endA = a.c.length, endB = b.c.length;
    while (endA > start && endB > start && same(a.c[endA - 1], b.c[endB - 1])) { endA--; endB--; }
    const da = a.c.slice(start, endA), db = b.c.slice(start, endB);
    if (da.length === 1 && db.length === 1 && da[0].c && db[0].c && da[0].t === db[0].t) return difference(da[0], db[0]);
    return [da, db];
  }
  return [[a], [b]];
}

function classOf(treeA, treeB) {
  const [da, db] = difference(treeA, treeB);
  const sides = [da.map((n) => abstract(n)).join(' ') || '∅', db.map((n) => abstract(n)).join(' ') || '∅'].sort();
  return `${sides[0]}  ≠  ${sides[1]}`;
}

const byShortness = (a, b) => a.length - b.length || (a < b ? -1 : a > b ? 1 : 0);

async function main() {
  const o = parseArgs(process.argv.slice(2));
  const toMathML = await drawing.loadMathJax(o.nodeModules);
  const equivalences = drawing.readEquivalences(o.equivalencias);
  const ruleNames = new Set(equivalences.map((e) => e.name));
  const treeOf = (formula, names = ruleNames) => drawing.canonical(drawing.strict(toMathML(formula)), names);
  const failures = [];

  // The equivalences, each needed by its own example.
  for (const e of equivalences) {
    const others = new Set([...ruleNames].filter((n) => n !== e.name));
    const withAll = [treeOf(e.a), treeOf(e.b)].map(drawing.serialize);
    const withoutIt = [treeOf(e.a, others), treeOf(e.b, others)].map(drawing.serialize);
    if (withAll[0] !== withAll[1]) failures.push(`${path.basename(o.equivalencias)}:${e.line}: ${e.name} não iguala ${e.a} e ${e.b}: ${withAll.join(' / ')}`);
    if (withoutIt[0] === withoutIt[1]) failures.push(`${path.basename(o.equivalencias)}:${e.line}: ${e.a} e ${e.b} já são iguais sem ${e.name}`);
  }

  // The random formulas, their readings and drawings.
  const started = Date.now();
  const formulas = [];
  const child = spawn(o.leitor, [...(o.braille ? ['--braille'] : []), 'gerar', String(o.formulas), String(o.semente)], { stdio: ['ignore', 'pipe', 'inherit'] });
  const childDone = new Promise((resolve) => child.on('close', resolve));
  let drawingErrors = 0;
  for await (const line of readline.createInterface({ input: child.stdout })) {
    const [formula, ...readings] = JSON.parse(line);
    let drawn;
    try {
      drawn = drawing.serialize(treeOf(formula));
    } catch {
      drawingErrors++;  // MathJax gives up on a few malformed formulas; they are left out
      continue;
    }
    formulas.push({ formula, readings, drawn });
  }
  if ((await childDone) !== 0) throw new Error(`${o.leitor} gerar terminou com erro`);
  const seconds = (Date.now() - started) / 1000;

  // Collisions at each level, by class.
  const found = {};  // level -> Map(class -> {count, a, b, reading})
  const figures = {};
  for (const [li, level] of LEVELS.entries()) {
    const groups = new Map();
    for (const f of formulas) {
      const g = groups.get(f.readings[li]);
      if (g) g.push(f); else groups.set(f.readings[li], [f]);
    }
    const classes = new Map();
    let pairs = 0, excused = 0;
    for (const [reading, group] of groups) {
      if (group.length < 2) continue;
      const drawings = new Map();
      for (const f of group) {
        const d = drawings.get(f.drawn);
        if (d) d.push(f); else drawings.set(f.drawn, [f]);
      }
      if (drawings.size < 2) continue;
      const sets = [...drawings.values()].map((fs) => fs.sort((x, y) => byShortness(x.formula, y.formula)).slice(0, 20));
      for (let i = 0; i < sets.length; i++) {
        for (let j = i + 1; j < sets.length; j++) {
          // the shortest two formulas of the two drawings that are not let pass
          let pair = null;
          for (const a of sets[i]) {
            for (const b of sets[j]) {
              if (level === 'breve' && onlyTrailingEnd(a.readings[1], b.readings[1])) continue;
              if (!pair || byShortness(a.formula + b.formula, pair[0].formula + pair[1].formula) < 0) pair = [a, b];
            }
          }
          if (!pair) { excused++; continue; }
          pairs++;
          const [a, b] = pair[0].formula.length <= pair[1].formula.length ? pair : [pair[1], pair[0]];
          const key = classOf(treeOf(a.formula), treeOf(b.formula));
          const c = classes.get(key);
          if (!c) classes.set(key, { count: 1, a: a.formula, b: b.formula, reading });
          else {
            c.count++;
            if (byShortness(a.formula + b.formula, c.a + c.b) < 0) Object.assign(c, { a: a.formula, b: b.formula, reading });
          }
        }
      }
    }
    found[level] = classes;
    figures[level] = { readings: groups.size, pairs, excused, classes: classes.size };
  }

  // The figures.
  console.log(`fórmulas: ${formulas.length} distintas (semente ${o.semente}; ${drawingErrors} que o MathJax não desenha, deixadas de fora)`);
  console.log(`desenhos distintos: ${new Set(formulas.map((f) => f.drawn)).size}; tempo: ${seconds.toFixed(1)} s, ${(formulas.length / seconds).toFixed(0)} fórmulas/s`);
  for (const level of LEVELS) {
    const f = figures[level];
    console.log(`${level}: ${f.readings} leituras distintas, ${f.pairs} colisões em ${f.classes} classes` +
                (level === 'breve' ? `, ${f.excused} só pelo marcador de fim no final (permitidas)` : ''));
  }
  for (const level of LEVELS) {
    const top = [...found[level].entries()].sort((x, y) => y[1].count - x[1].count).slice(0, o.classes);
    if (top.length === 0) continue;
    console.log(`\nclasses mais comuns em "${level}":`);
    for (const [key, c] of top) console.log(`  ${String(c.count).padStart(5)}  ${key}\n         ${JSON.stringify(c.a)}  e  ${JSON.stringify(c.b)}  →  "${c.reading}"`);
  }
  if (!o.verificar) return 0;

  // The known collisions: each row still collides at its levels, and names a class.
  const known = drawing.readTable(o.conhecidas, 4).map(({ line, cells: [levels, a, b, why] }) => {
    const ls = levels.split(',').map((s) => s.trim());
    for (const l of ls) if (!LEVELS.includes(l)) throw new Error(`${path.basename(o.conhecidas)}:${line}: nível desconhecido ${l}`);
    return { line, levels: ls, a: JSON.parse(a), b: JSON.parse(b), why };
  });
  const knownReadings = readAll(o.leitor, known.flatMap((k) => [k.a, k.b]), o.braille);
  const knownClasses = new Set();
  known.forEach((k, i) => {
    const [ra, rb] = [knownReadings[2 * i], knownReadings[2 * i + 1]];
    const [ta, tb] = [treeOf(k.a), treeOf(k.b)];
    const key = classOf(ta, tb);
    for (const level of k.levels) {
      const li = LEVELS.indexOf(level);
      const collides = ra[li + 1] === rb[li + 1] && !same(ta, tb) &&
                       !(level === 'breve' && onlyTrailingEnd(ra[2], rb[2]));
      if (!collides) {
        failures.push(`${path.basename(o.conhecidas)}:${k.line}: ${JSON.stringify(k.a)} e ${JSON.stringify(k.b)} já não colidem em "${level}" ` +
                      `("${ra[li + 1]}" / "${rb[li + 1]}"): tire o nível ou a linha`);
      }
      knownClasses.add(`${level}\t${key}`);
    }
  });
  const unknown = new Map();  // class -> {levels, example}
  for (const level of LEVELS) {
    for (const [key, c] of found[level]) {
      if (knownClasses.has(`${level}\t${key}`)) continue;
      failures.push(`colisão nova em "${level}": ${JSON.stringify(c.a)} e ${JSON.stringify(c.b)} são lidas "${c.reading}"\n` +
                    `    classe ${key} (${c.count}x)`);
      const u = unknown.get(key);
      if (u) u.levels.push(level); else unknown.set(key, { levels: [level], c });
    }
  }
  console.log('');
  for (const f of failures) console.log(`FALHOU: ${f}`);
  if (unknown.size > 0) {
    console.log('\nlinhas para known_collisions.tsv, uma por classe nova:');
    for (const [key, u] of unknown) {
      const levels = LEVELS.filter((l) => u.levels.includes(l)).join(',');
      console.log(`${levels}\t${JSON.stringify(u.c.a)}\t${JSON.stringify(u.c.b)}\t${key}`);
    }
  }
  console.log(`${known.length} colisões conhecidas, ${equivalences.length} equivalências; ${failures.length} falhas`);
  return failures.length === 0 ? 0 : 1;
}

main().then((status) => { process.exitCode = status; }, (e) => { console.error(e.message ?? e); process.exitCode = 2; });
