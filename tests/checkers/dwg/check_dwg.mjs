// Reads one DWG file with the libredwg WebAssembly build (an outside reader,
// used only to check the files Ostrel writes) and prints one JSON line:
//   {"error": <dwg_read_file code>, "objects": n, "types": {"LINE": 3, ...},
//    "header": {"DICTIONARY_COLOR": "DICTIONARY", ...}}   (what a header handle names; null: nothing)
// With --dxf OUT it also converts the drawing to DXF with the same reader.
// With --trace N the reader's own log (level N) goes to stderr.
// Usage: node check_dwg.mjs FILE.dwg [--dxf OUT.dxf] [--trace N]
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL, fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const checkerDir = process.env.OSTREL_DWG_CHECKER_DIR || path.resolve(here, '../../../.checkers/dwg');
const moduleFile = path.join(checkerDir, 'node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.js');

const args = process.argv.slice(2);
if (args.length < 1) {
  console.error('usage: node check_dwg.mjs FILE.dwg [--dxf OUT.dxf] [--trace N]');
  process.exit(2);
}
const input = args[0];
let dxfOut = null;
let trace = null;
for (let i = 1; i < args.length; ++i) {
  if (args[i] === '--dxf') dxfOut = args[++i];
  else if (args[i] === '--trace') trace = args[++i];
}

const { default: createModule } = await import(pathToFileURL(moduleFile).href);
const lib = await createModule({ preRun: [(m) => { if (trace) m.ENV.LIBREDWG_TRACE = String(trace); }] });
lib.FS.writeFile('/in.dwg', new Uint8Array(fs.readFileSync(input)));
const result = lib.dwg_read_file('/in.dwg');
const report = { error: result.error, objects: 0, types: {} };
const data = result.data;
if (data && result.error < 128) {
  const n = lib.dwg_get_num_objects(data);
  report.objects = n;
  for (let i = 0; i < n; ++i) {
    const obj = lib.dwg_get_object(data, i);
    if (!obj) continue;
    const name = lib.dwg_object_get_dxfname(obj);
    report.types[name] = (report.types[name] || 0) + 1;
  }
  report.header = {};
  for (const field of ['DICTIONARY_COLOR', 'DICTIONARY_MATERIAL', 'DICTIONARY_VISUALSTYLE', 'CMATERIAL']) {
    const v = lib.dwg_dynapi_header_value(data, field);
    const o = v.success && v.data ? lib.dwg_ref_get_object(v.data) : null;
    report.header[field] = o ? lib.dwg_object_get_dxfname(o) : null;
  }
}
if (dxfOut) {
  // The converter reads the file again itself.
  report.dxfError = lib.dwg_write_dxf('/in.dwg', '/out.dxf');
  if (lib.FS.analyzePath('/out.dxf').exists) fs.writeFileSync(dxfOut, lib.FS.readFile('/out.dxf'));
}
console.log(JSON.stringify(report));
