// Runs the script half of ini.bat under node, with the few script-host objects it uses
// played by small stand-ins, on settings files in a temporary folder.
//   node ini_bat_test.js PATH/TO/ini.bat
"use strict";
const assert = require("assert");
const fs = require("fs");
const os = require("os");
const path = require("path");
const vm = require("vm");

const source = fs.readFileSync(path.resolve(process.argv[2]), "latin1");
const script = source.slice(source.indexOf("\n@end") + 5);
const folder = fs.mkdtempSync(path.join(os.tmpdir(), "ini_bat_test_"));
// Names relative to the folder: a name that begins with "/" would read as an option.
process.chdir(folder);

class Quit extends Error {}

// Runs the tool with these arguments; gives its exit code and what it wrote.
function run(...args) {
  const result = { code: null, out: "", err: "" };
  const host = {
    Arguments: { length: args.length, Item: (i) => args[i] },
    StdOut: { WriteLine: (text) => { result.out += text + "\r\n"; } },
    StdErr: { WriteLine: (text) => { result.err += text + "\r\n"; } },
    Quit: (code) => { result.code = code; throw new Quit(); },
  };
  const fileSystem = {
    FileExists: (name) => fs.existsSync(name),
    OpenTextFile: (name) => {
      const text = fs.readFileSync(name, "latin1");
      return { AtEndOfStream: text === "", ReadAll: () => text, Close: () => {} };
    },
    CreateTextFile: (name) => {
      let text = "";
      return { Write: (part) => { text += part; }, Close: () => fs.writeFileSync(name, text, "latin1") };
    },
  };
  function ActiveXObject(name) {
    assert.strictEqual(name, "Scripting.FileSystemObject");
    return fileSystem;
  }
  try {
    vm.runInNewContext(script, { WScript: host, ActiveXObject });
  } catch (e) {
    if (!(e instanceof Quit)) throw e;
  }
  return result;
}

function settings(text) {
  fs.writeFileSync("config.ini", text, "latin1");
  return "config.ini";
}

const SAMPLE = "[Config]\r\nRuta = \"C:\\Datos\" \r\n\r\nEstacion=1\r\n\r\n[Otra]\r\nCopias='S'\r\n";

try {
  // Queries: sections and keys trimmed and in any case, quotes removed, value after the
  // first "=".
  let file = settings(SAMPLE + "Formula=a=b\r\n");
  for (const [args, out] of [
    [["/i", "ruta", "/s", "config", file], "C:\\Datos\r\n"],
    [["/I", " RUTA ", "/S", "[CONFIG]", file], "C:\\Datos\r\n"],
    [["/i", "Copias", file], "S\r\n"],
    [["/i", "Formula", "/s", "Otra", file], "a=b\r\n"],
  ]) {
    assert.deepStrictEqual(run(...args), { code: 0, out, err: "" }, args.join(" "));
  }

  // Failures, each with its message on the error output and exit code 1.
  for (const [args, err] of [
    [["/i", "Nada", "/s", "Config", file], `Nada not found in [Config] in ${file}\r\n`],
    [["/i", "Ruta", "/s", "Falta", file], `[Falta] not found in ${file}\r\n`],
    [["/i", "Nada", file], `Nada not found in ${file}\r\n`],
    [["/d", "Nada", "/s", "Config", file], `Nada not found in [Config] in ${file}\r\n`],
    [["/i", "Ruta", "no.ini"], "Error: no.ini not found.\r\n"],
  ]) {
    assert.deepStrictEqual(run(...args), { code: 1, out: "", err }, args.join(" "));
  }
  const unknown = run("/x", "Ruta", file);
  assert.strictEqual(unknown.code, 1);
  assert.ok(unknown.err.startsWith('Error: Unrecognized option "/x"\r\n'), unknown.err);
  assert.ok(unknown.err.includes("[Config]"), "usage with its example");
  for (const args of [[], ["/i", "Ruta"], [file]]) {
    const usage = run(...args);
    assert.strictEqual(usage.code, 1);
    assert.ok(usage.out.includes("ini.bat /d Copias /s Config config.ini"), usage.out);
  }

  // Modify the first match, insert after the section's last non-empty line, append a new
  // section; delete; the file is written back with CR LF and no trailing empty lines.
  file = settings(SAMPLE + "\r\n\r\n");
  assert.deepStrictEqual(run("/i", "estacion", "/v", "2", "/s", "Config", file),
                         { code: 0, out: "2\r\n", err: "" });
  assert.deepStrictEqual(run("/i", "Impresora", "/v", "LPT1", "/s", "Config", file),
                         { code: 0, out: "LPT1\r\n", err: "" });
  assert.deepStrictEqual(run("/i", "Color", "/v", "azul", "/s", "Nueva", file),
                         { code: 0, out: "azul\r\n", err: "" });
  assert.deepStrictEqual(run("/d", "Copias", "/s", "Otra", file), { code: 0, out: "", err: "" });
  assert.strictEqual(fs.readFileSync(file, "latin1"),
                     "[Config]\r\nRuta = \"C:\\Datos\" \r\n\r\nestacion=2\r\nImpresora=LPT1\r\n" +
                     "\r\n[Otra]\r\n\r\n[Nueva]\r\nColor=azul\r\n");

  // Without a section the whole file is searched, and a new key goes after its last line.
  file = settings("Uno=1\n[S]\nDos=2\n\n");
  assert.deepStrictEqual(run("/i", "dos", "/v", "3", file), { code: 0, out: "3\r\n", err: "" });
  assert.deepStrictEqual(run("/i", "Tres", "/v", "3", file), { code: 0, out: "3\r\n", err: "" });
  assert.strictEqual(fs.readFileSync(file, "latin1"), "Uno=1\r\n[S]\r\ndos=3\r\nTres=3\r\n");
  console.log("ini.bat: all cases passed");
} finally {
  process.chdir(os.tmpdir());
  fs.rmSync(folder, { recursive: true, force: true });
}
