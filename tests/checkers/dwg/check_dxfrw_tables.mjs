// Reads one DWG file with the libdxfrw WebAssembly build (a second outside
// reader, used only to check the files Ostrel writes) and prints one JSON line:
//   {"ok": true|false, "error": <its error code>, "layers": [...], "entities": {"POINT": 3, ...}}
// "entities" counts the model-space entities by type as it reports them.
// Usage: node check_dxfrw_tables.mjs FILE.dwg
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL, fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const checkerDir = process.env.OSTREL_DWG_CHECKER_DIR || path.resolve(here, '../../../.checkers/dwg');
const moduleFile = path.join(checkerDir, 'node_modules/@mlightcad/libdxfrw-web/dist/libdxfrw.js');
if (process.argv.length < 3) {
  console.error('usage: node check_dxfrw_tables.mjs FILE.dwg');
  process.exit(2);
}
const { default: createModule } = await import(pathToFileURL(moduleFile).href);
const lib = await createModule();
const database = new lib.DRW_Database();
const handler = new lib.DRW_FileHandler();
handler.database = database;
const reader = new lib.DRW_DwgR(new Uint8Array(fs.readFileSync(process.argv[2])));
const report = { ok: false, error: -1, layers: [], entities: {} };
try {
  report.ok = reader.read(handler, false);
} catch (e) {
  report.exception = String(e);
}
report.error = reader.getError().value;
const layers = database.layers;
for (let i = 0; i < layers.size(); ++i) report.layers.push(layers.get(i).name);
const list = database.mBlock ? database.mBlock.entities : null;
for (let i = 0; list && i < list.size(); ++i) {
  const e = list.get(i);
  const name = e && e.eType !== undefined ? (e.eType.constructor?.name ?? String(e.eType.value)) : 'unknown';
  const key = e ? String(e.eType?.value ?? name) : 'null';
  report.entities[key] = (report.entities[key] || 0) + 1;
}
console.log(JSON.stringify(report));
