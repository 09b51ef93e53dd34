// es-hangul answering the contact search's question on the names and queries the contacts
// benchmark wrote: which names hold the typed key groups, in order, among the initial consonants
// of their first ten characters. Keys are precomputed with getChoseong, each consonant written as
// the lead letter of its key group (ㄲ ㅋ → ㄱ, ㅁ → ㄹ, ㅊ → ㅈ, ㅍ → ㅌ, ...); Latin letters and
// digits stay in the key as letters no Hangul query has; spaces and punctuation are passed over.
// Then one substring test per name and query. Writes the hits of each query (one line of name
// numbers per query) to hits.txt and prints one JSON line.
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { getChoseong } from 'es-hangul';

const dir = process.argv[2];
if (!dir) {
  console.error('usage: node compare.mjs DIR (with names.txt and queries.txt)');
  process.exit(2);
}
const lines = (f) => readFileSync(join(dir, f), 'utf8').split('\n').filter((l) => l.length > 0);
const names = lines('names.txt');
const queries = lines('queries.txt');

const groups = ['ㅎ', 'ㄱㄲㅋ', 'ㄴ', 'ㄷㄸ', 'ㄹㅁ', 'ㅂㅃ', 'ㅈㅉㅊ', 'ㅅㅆ', 'ㅇ', 'ㅌㅍ'];
const lead = new Map();
for (const g of groups) for (const c of g) lead.set(c, g[0]);

function key(name) {
  let k = '';
  for (const ch of name.slice(0, 10)) {
    if (/[가-힣]/.test(ch)) k += lead.get(getChoseong(ch));
    else if (/[A-Za-z0-9]/.test(ch)) k += '#';
  }
  return k;
}
const keys = names.map(key);

function search(q) {
  const hits = [];
  for (let i = 0; i < keys.length; i++) if (keys[i].includes(q)) hits.push(i);
  return hits;
}

function runAll() {
  let found = 0;
  for (const q of queries) found += search(q).length;
  return found;
}

for (let i = 0; i < 50; i++) runAll(); // let the JIT settle
const rounds = 300;
let found = 0;
const start = process.hrtime.bigint();
const cpuStart = process.cpuUsage();
for (let i = 0; i < rounds; i++) found += runAll();
const cpu = process.cpuUsage(cpuStart);
const ns = Number(process.hrtime.bigint() - start);
writeFileSync(join(dir, 'hits.txt'), queries.map((q) => search(q).join(' ')).join('\n') + '\n');
console.log(JSON.stringify({
  names: names.length,
  queries: queries.length,
  ns_per_query: ns / (rounds * queries.length),
  // The processor time of the whole process (its helper threads too): on a shared machine the wall
  // time says as much about the neighbours.
  cpu_ns_per_query: ((cpu.user + cpu.system) * 1000) / (rounds * queries.length),
  results_per_round: found / rounds,
}));
