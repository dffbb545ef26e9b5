// Shared by the JScript tests: one "ok" line per check and a closing
// "N passed, N failed" line. The runner puts it before each test script.
var passed = 0;
var failed = 0;

// The script host's bitness, for the runner to check against the one it asked
// for: a 32-bit process says x86 here even on 64-bit Windows.
(function () {
  var environment = new ActiveXObject("WScript.Shell").Environment("Process");
  WScript.Echo("script host: PROCESSOR_ARCHITECTURE=" + environment.Item("PROCESSOR_ARCHITECTURE") +
               ", PROCESSOR_ARCHITEW6432=" + environment.Item("PROCESSOR_ARCHITEW6432"));
})();

// Passes when both have the same JScript type and value.
function check(name, actual, expected) {
  if (typeof actual === typeof expected && actual === expected) {
    passed++;
    WScript.Echo("ok - " + name);
  } else {
    failed++;
    WScript.Echo("not ok - " + name + ": got [" + actual + "] (" + typeof actual + "), expected [" + expected +
                 "] (" + typeof expected + ")");
  }
}

// An error number as the HRESULT it stands for: "0x800A0005".
function hresult(number) {
  return "0x" + (number >>> 0).toString(16).toUpperCase();
}

// Runs `call`, which must throw; checks the error's number (given as an
// HRESULT, 0x800A0000 + n for a runtime error n) and, when one is given, its
// description. Errors that the dispatch reports (the DISP_E_ codes) carry no
// description of their own.
function checkError(name, call, number, description) {
  var caught = null;
  try {
    call();
  } catch (e) {
    caught = e;
  }
  if (caught === null) {
    failed++;
    WScript.Echo("not ok - " + name + ": no error");
    return;
  }
  check(name + ": number", hresult(caught.number), hresult(number));
  if (description !== undefined) check(name + ": description", caught.description, description);
}

function summary() {
  WScript.Echo(passed + " passed, " + failed + " failed");
}
