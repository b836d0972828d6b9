// Assertion helpers shared by the end-to-end pages. They talk to myObject
// directly, so that they do not depend on the client library under test.
// Results go to the shell's log: "FAIL ..." per failure, "DONE ..." at the end.
var check = (function () {
  var VERSION = "1.0.3.20150320";
  var passed = 0;
  var failed = 0;
  var finished = false;
  var listeners = [];

  function send(request) {
    myObject.command = JSON.stringify(request);
    return JSON.parse(myObject.result);
  }

  function call(name) {
    var args = Array.prototype.slice.call(arguments, 1);
    return send([VERSION, "e2e", name].concat(args));
  }

  function log(text) {
    send([VERSION, "e2e", "log", String(text)]);
  }

  function show(value) {
    return JSON.stringify(value);
  }

  // The behaviour the checks from here on belong to: a test of its own
  // reads its failures (page_runner.h, sectionReport).
  var section = "";
  function begin(name) {
    section = name;
    log("SECTION " + name);
  }

  function fail(name, detail) {
    failed++;
    log("FAIL " + (section ? section + ": " : "") + name + (detail ? "\n" + detail : ""));
  }

  function eq(name, actual, expected) {
    var a = show(actual);
    var e = show(expected);
    if (a === e) {
      passed++;
    } else {
      fail(name, "  expected: " + e + "\n  actual:   " + a);
    }
  }

  function ok(name, condition, detail) {
    if (condition) {
      passed++;
    } else {
      fail(name, detail ? "  " + detail : "");
    }
  }

  function done() {
    if (finished) return;
    finished = true;
    log("DONE " + passed + " passed, " + failed + " failed");
    call("exit");
  }

  // Calls `then` once `condition()` holds; fails the page after `timeoutMs`.
  function waitFor(name, condition, timeoutMs, then) {
    var started = Date.now();
    (function poll() {
      if (condition()) return then();
      if (Date.now() - started > timeoutMs) {
        fail(name, "  timed out after " + timeoutMs + " ms");
        return done();
      }
      setTimeout(poll, 5);
    })();
  }

  // Every callback record, in arrival order; listeners see each as it comes.
  var records = [];
  window.WebBrowserUtil_callback = function (record) {
    records.push(record);
    for (var i = 0; i < listeners.length; i++) listeners[i](record);
  };

  window.onerror = function (message, source, line) {
    fail("uncaught script error", "  " + message + " at line " + line);
    done();
  };

  function recordsFor(id) {
    return records.filter(function (r) { return r[0] === id; });
  }

  // Calls then(record) with the first record for `id` once it has come.
  function whenRecord(id, then) {
    waitFor("record " + id, function () { return recordsFor(id).length > 0; }, 20000,
            function () { then(recordsFor(id)[0]); });
  }

  // For commands on workers of their own, whose records may come in any
  // order: `then` runs once each of `ids` has a record.
  function whenRecords(ids, then) {
    waitFor("records " + ids.join(), function () {
      return ids.every(function (id) { return recordsFor(id).length > 0; });
    }, 20000, then);
  }

  return {
    VERSION: VERSION, send: send, call: call, log: log, section: begin, eq: eq, ok: ok, fail: fail,
    done: done, waitFor: waitFor, records: records, recordsFor: recordsFor, whenRecord: whenRecord,
    whenRecords: whenRecords,
    onRecord: function (fn) { listeners.push(fn); }
  };
})();
