// Shared helpers of the demo sections, and the protocol section.
var demo = {
  // Shows a value (or an error) in the answer box `id`.
  show: function (id, value) {
    var text = value instanceof Error ? value.name + ": " + value.message : JSON.stringify(value, null, 1);
    document.getElementById(id).textContent = text;
  },
  // Runs fn() and shows what it returned or threw.
  run: function (id, fn) {
    try {
      demo.show(id, fn());
    } catch (e) {
      demo.show(id, e);
    }
  },
  on: function (id, fn) {
    document.getElementById(id).addEventListener("click", fn);
  },
  // The payload after "OK", or null when the shell refused.
  payload: function (name, args) {
    try {
      return pageshell.call.apply(null, [name].concat(args)).slice(1);
    } catch (e) {
      return null;
    }
  }
};

demo.on("version-button", function () {
  demo.run("protocol-answer", function () { return pageshell.call("version"); });
});
demo.on("log-button", function () {
  demo.run("protocol-answer", function () {
    return pageshell.call("log", document.getElementById("log-text").value);
  });
});
demo.on("unknown-button", function () {
  demo.run("protocol-answer", function () { return pageshell.call("noSuchCommand"); });
});

// Every record the shell delivers passes through WebBrowserUtil_callback,
// which pageshell.js owns; the demo looks over its shoulder to show them raw.
(function () {
  var route = window.WebBrowserUtil_callback;
  window.WebBrowserUtil_callback = function (record) {
    demo.show("callback-record", record);
    route(record);
  };
})();

demo.on("callback-button", function () {
  var sql = "SELECT 'hello from a worker thread', datetime('now')";
  demo.run("protocol-answer", function () {
    pageshell.start("sqliteAsyncQuery", ["demo-data/", "protocol.sqlite", sql]).then(
      function (payload) { demo.show("protocol-answer", payload); },
      function (error) { demo.show("protocol-answer", error); });
    return "started; the answer arrives as a callback record";
  });
});
