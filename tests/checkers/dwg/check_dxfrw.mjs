// Reads one DWG (or DXF) file with the libdxfrw WebAssembly build (the
// library inside LibreCAD's and QGIS's DWG import; an outside reader, used
// only to check the files Ostrel writes) and prints one JSON line:
//   {"read": true|false, "model": {"LINE": 3, ...}, "blocks": {name: {...}}}
// "model" counts the entities the reader hands over as the drawing's own
// (model space), "blocks" those of each block, by the reader's entity type;
// heavy polylines as POLYLINE2D or POLYLINE3D, with "_HOLLOW" when the
// reader found none of their vertices.
// Usage: node check_dxfrw.mjs FILE
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL, fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const checkerDir = process.env.OSTREL_DWG_CHECKER_DIR || path.resolve(here, '../../../.checkers/dwg');
const moduleFile = path.join(checkerDir, 'node_modules/@mlightcad/libdxfrw-web/dist/libdxfrw.js');

const input = process.argv[2];
if (!input) {
  console.error('usage: node check_dxfrw.mjs FILE');
  process.exit(2);
}
const { default: createModule } = await import(pathToFileURL(moduleFile).href);
const lib = await createModule();
const names = new Map();
for (const [name, value] of Object.entries(lib.DRW_ETYPE)) {
  if (value && typeof value === 'object' && 'value' in value) names.set(value.value, name);
}
const database = new lib.DRW_Database();
const handler = new lib.DRW_FileHandler();
handler.database = database;
const bytes = fs.readFileSync(input);
let read;
if (input.toLowerCase().endsWith('.dwg')) {
  const dwg = new lib.DRW_DwgR(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length));
  if (process.argv.includes('--debug')) dwg.setDebug(lib.DRW_Dbg_Level.Debug);
  read = dwg.read(handler, false);
  dwg.delete();
} else {
  const dxf = new lib.DRW_DxfRW(bytes.toString('latin1'));
  read = dxf.read(handler, false);
  dxf.delete();
}
const count = (entities, into) => {
  for (let i = 0, n = entities ? entities.size() : 0; i < n; ++i) {
    const entity = entities.get(i);
    const type = entity.eType;
    let name = names.get(type && type.value) || String(type && type.value);
    if (name === 'POLYLINE') {
      // Heavy polylines: 2D or 3D, and whether the reader found their vertices.
      name = (entity.flags & 8) ? 'POLYLINE3D' : 'POLYLINE2D';
      if (entity.getVertexList().size() === 0) name += '_HOLLOW';
    }
    into[name] = (into[name] || 0) + 1;
  }
  return into;
};
const model = count(handler.database.mBlock ? handler.database.mBlock.entities : null, {});
const blocks = {};
for (let i = 0, n = handler.database.blocks.size(); i < n; ++i) {
  const b = handler.database.blocks.get(i);
  blocks[b.name] = count(b.entities, {});
}
console.log(JSON.stringify({ read: Boolean(read), model, blocks }));
database.delete();
handler.delete();
