// What the benchmark pages share: sending a request, logging a figure as
// "BENCH <name> <value>" for the benchmark program, and timing the parts of
// a synchronous command.
var VERSION = "1.0.3.20150320";

function send(request) {
  myObject.command = JSON.stringify(request);
  return JSON.parse(myObject.result);
}

function report(name, value) {
  send([VERSION, "bench", "log", "BENCH " + name + " " + value.toFixed(2)]);
}

// The parts of a synchronous command: the command itself (work and answer
// text, and on WebEngine the answer's way into the page), reading `result`
// into script, and JSON.parse.
function timedCall(request) {
  var text = JSON.stringify(request);
  var t0 = performance.now();
  myObject.command = text;
  var t1 = performance.now();
  var result = myObject.result;
  var t2 = performance.now();
  var answer = JSON.parse(result);
  var t3 = performance.now();
  return {answer: answer, text: result, parts: [t1 - t0, t2 - t1, t3 - t2], total: t3 - t0};
}

// How long the engine takes to bring `text` into script from a local file
// with a synchronous request: what any answer of that size costs the engine
// alone, whatever way it comes.
function engineReading(text) {
  send([VERSION, "bench", "saveFile", "engine-reading.txt", text]);
  var started = performance.now();
  var request = new XMLHttpRequest();
  request.open("GET", "engine-reading.txt", false);
  request.send();
  var took = performance.now() - started;
  if (request.responseText.length !== text.length) throw new Error("engine reading cut short");
  return took;
}

// Logs a timed call's total and its parts under `name`.
function reportCall(name, call) {
  report(name, call.total);
  report(name + "-command", call.parts[0]);
  report(name + "-result", call.parts[1]);
  report(name + "-parse", call.parts[2]);
}
