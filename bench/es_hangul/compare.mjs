// es-hangul's initial-consonant search on the names and queries the contacts benchmark wrote:
// keys precomputed with getChoseong, then a substring test per name. Prints one JSON line.
import { readFileSync } from 'node:fs';
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
const keys = names.map((n) => getChoseong(n));

function runAll() {
  let found = 0;
  for (const q of queries) {
    const hits = [];
    for (let i = 0; i < keys.length; i++) if (keys[i].includes(q)) hits.push(i);
    found += hits.length;
  }
  return found;
}

for (let i = 0; i < 50; i++) runAll(); // let the JIT settle
const rounds = 300;
let found = 0;
const start = process.hrtime.bigint();
for (let i = 0; i < rounds; i++) found += runAll();
const ns = Number(process.hrtime.bigint() - start);
console.log(JSON.stringify({
  names: names.length,
  queries: queries.length,
  ns_per_query: ns / (rounds * queries.length),
  results_per_round: found / rounds,
}));
