@if (@CodeSection == @Batch) @then
@echo off
rem Settings-file tool: reads, sets or deletes one key of a settings file. The lines up to
rem "@end" are the batch half, which hands every argument to the JScript half below.
cscript /nologo /e:jscript "%~f0" %*
exit /b %ERRORLEVEL%
@end

var USAGE = [
  "Lee, crea, modifica o borra una clave de un archivo de configuracion.",
  "",
  "  ini.bat /i clave [/s seccion] archivo           muestra el valor",
  "  ini.bat /i clave /v valor [/s seccion] archivo  crea o modifica la clave",
  "  ini.bat /d clave [/s seccion] archivo           borra la clave",
  "",
  "Secciones y claves se comparan sin mayusculas ni blancos a los lados.",
  "",
  "Ejemplo, con config.ini:",
  "  [Config]",
  "  Ruta=C:\\Datos",
  "  Estacion=1",
  "  Copias=S",
  "",
  "  ini.bat /i Ruta /s Config config.ini               muestra C:\\Datos",
  "  ini.bat /i Estacion /v 2 /s Config config.ini      cambia Estacion a 2",
  "  ini.bat /i Impresora /v LPT1 /s Config config.ini  agrega Impresora",
  "  ini.bat /d Copias /s Config config.ini             borra Copias"
].join("\r\n");

function trim(text) { return text.replace(/^\s+|\s+$/g, ""); }

// A key or value wrapped in single or double quotes stands for the text inside them.
function unquote(text) {
  var match = /^(["'])([\s\S]*)\1$/.exec(text);
  return match ? match[2] : text;
}

function fail(text) {
  WScript.StdErr.WriteLine(text);
  WScript.Quit(1);
}

var item = null, value = null, remove = false, section = null, file = null;
var args = WScript.Arguments;
for (var i = 0; i < args.length; i++) {
  var arg = args.Item(i), option = arg.toLowerCase();
  var hasNext = i + 1 < args.length;
  if (option == "/i" && hasNext) item = args.Item(++i);
  else if (option == "/v" && hasNext) value = args.Item(++i);
  else if (option == "/d" && hasNext) { item = args.Item(++i); remove = true; }
  else if (option == "/s" && hasNext) section = args.Item(++i);
  else if (arg.charAt(0) == "/") fail("Error: Unrecognized option \"" + arg + "\"\r\n" + USAGE);
  else file = arg;
}
if (item == null || file == null) {
  WScript.StdOut.WriteLine(USAGE);
  WScript.Quit(1);
}

var fso = new ActiveXObject("Scripting.FileSystemObject");
if (!fso.FileExists(file)) fail("Error: " + file + " not found.");
var stream = fso.OpenTextFile(file, 1);
// Split on a plain separator: a regular-expression split here drops empty lines.
var lines = stream.AtEndOfStream ? [] :
    stream.ReadAll().replace(/\r\n?/g, "\n").split("\n");
stream.Close();

if (section != null) {
  section = trim(section);
  if (!/^\[.*\]$/.test(section)) section = "[" + section + "]";
}
var wantedSection = section == null ? null : section.toLowerCase();
var wantedKey = trim(item).toLowerCase();

// One pass finds the section, the key's first line in it and the section's last
// non-empty line; without a section the whole file is searched.
var inSection = section == null, sectionFound = inSection, last = -1, keyLine = -1, found = "";
for (var n = 0; n < lines.length; n++) {
  var line = trim(lines[n]);
  if (section != null && line.charAt(0) == "[") {
    inSection = line.toLowerCase() == wantedSection;
    if (inSection) { sectionFound = true; last = n; }
    continue;
  }
  if (!inSection || line == "") continue;
  last = n;
  var equals = line.indexOf("=");
  if (keyLine >= 0 || equals < 0 || line.charAt(0) == "[") continue;
  if (unquote(trim(line.substring(0, equals))).toLowerCase() == wantedKey) {
    keyLine = n;
    found = unquote(trim(line.substring(equals + 1)));
  }
}

function notFound() {
  if (!sectionFound) fail(section + " not found in " + file);
  fail(item + " not found in " + (section == null ? "" : section + " in ") + file);
}

function save() {
  while (lines.length > 0 && trim(lines[lines.length - 1]) == "") lines.pop();
  var out = fso.CreateTextFile(file, true);
  for (var k = 0; k < lines.length; k++) out.Write(lines[k] + "\r\n");
  out.Close();
}

if (remove) {
  if (keyLine < 0) notFound();
  lines.splice(keyLine, 1);
  save();
} else if (value == null) {
  if (keyLine < 0) notFound();
  WScript.StdOut.WriteLine(found);
} else {
  var entry = item + "=" + value;
  if (keyLine >= 0) {
    lines[keyLine] = entry;
  } else if (sectionFound) {
    lines.splice(last + 1, 0, entry);
  } else {
    while (lines.length > 0 && trim(lines[lines.length - 1]) == "") lines.pop();
    lines.push("", section, entry);
  }
  save();
  WScript.StdOut.WriteLine(value);
}
WScript.Quit(0);