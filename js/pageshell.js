/*
 * pageshell.js: the page side of the pageshell bridge.
 *
 *   var answer = pageshell.call("version");          // ["OK", "1.0.3.20150320", ...]
 *   pageshell.start("sqliteAsyncQuery", ["db/", "app.sqlite", "SELECT 1"])
 *     .then(function (payload) { ... });              // payload after "OK"
 *   pageshell.start("ajaxToFile", [url], { progress: function (percent) { ... } });
 *   pageshell.download(url, "zip", onPercent).then(function (path) { ... });
 *   pageshell.tcpPush(host, port, data, "timeout=5").then(function (answer) {
 *     answer.header; answer.body;
 *   });
 *   pageshell.start("unzipToFile", ["app.zip", "data/app.db", "app.db"],
 *                   { progress: function (percent) { ... } })      // 0, 50, 100
 *     .then(function (payload) { ... });              // [member name] on "finish"
 *
 * call() sends one request through myObject and returns the parsed answer;
 * it throws a pageshell.ShellError when the shell answers "ERROR" or
 * "BADVERSION". start() runs a background command: the library inserts a
 * fresh callback identifier where the command expects it and returns a
 * Promise that settles on the command's last record. The library owns
 * window.WebBrowserUtil_callback and routes every record by its identifier.
 *
 * Written for the shell's script engine: no async/await, fetch, "**",
 * optional chaining or object spread.
 */
var pageshell = (function (global) {
  "use strict";

  var PROTOCOL_VERSION = "1.0.3.20150320";

  // Request position of the callback identifier of each background command.
  var CALLBACK_POSITION = {
    sqliteAsyncExecute: 5,
    sqliteAsyncQuery: 5,
    unzipToFile: 3,
    ajaxToFile: 3,
    tcpPush: 3
  };

  function ShellError(answer) {
    var error = new Error(answer.slice(1).join(" ") || answer[0]);
    error.name = "ShellError";
    error.status = answer[0];
    error.answer = answer;
    Object.setPrototypeOf(error, ShellError.prototype);
    return error;
  }
  ShellError.prototype = Object.create(Error.prototype);
  ShellError.prototype.constructor = ShellError;

  var routes = {};
  var counter = 0;
  var exitHandlers = [];
  var exitListenerId = null;

  function send(name, args) {
    var request = [PROTOCOL_VERSION, api.buildTag, name].concat(args);
    global.myObject.command = JSON.stringify(request);
    return JSON.parse(global.myObject.result);
  }

  function call(name) {
    var answer = send(name, Array.prototype.slice.call(arguments, 1));
    if (answer[0] !== "OK") throw new ShellError(answer);
    return answer;
  }

  function newId(prefix) {
    counter += 1;
    return prefix + counter + "-" + Date.now();
  }

  // options.progress(percent) receives the command's "progress" records.
  function start(name, args, options) {
    var position = CALLBACK_POSITION[name];
    if (position === undefined) {
      throw new Error("pageshell.start: " + name + " is not a background command");
    }
    var progress = options && options.progress;
    var id = newId("ps");
    var request = (args || []).slice();
    while (request.length < position - 3) request.push("");
    request.splice(position - 3, 0, id);
    return new Promise(function (resolve, reject) {
      routes[id] = { resolve: resolve, reject: reject, progress: progress };
      var answer;
      try {
        answer = send(name, request);
      } catch (e) {
        delete routes[id];
        reject(e);
        return;
      }
      if (answer[0] !== "OK") {
        delete routes[id];
        reject(new ShellError(answer));
      }
    });
  }

  function settle(route, id, record) {
    var event = record[2];
    var payload = record.slice(3);
    if (event === "progress") {
      if (route.progress) route.progress(Number(payload[0]));
      return;
    }
    delete routes[id];
    if (event === "finish") {
      route.resolve(payload);
    } else if (event === "error") {
      route.reject(new ShellError(["ERROR"].concat(payload)));
    } else if (payload[0] === "OK") {
      route.resolve(payload.slice(1));
    } else {
      route.reject(new ShellError(payload.length ? payload : ["ERROR"]));
    }
  }

  function receive(record) {
    var id = record[0];
    if (id === exitListenerId && record[2] === "run") {
      exitHandlers.slice().forEach(function (handler) { handler(); });
      return;
    }
    var route = routes[id];
    if (route) {
      settle(route, id, record);
    } else if (api.onUnrouted) {
      api.onUnrouted(record);
    }
  }

  // handler() runs when the user tries to close the window; the window stays
  // open until the page sends "exit".
  function onExit(handler) {
    exitHandlers.push(handler);
    if (exitListenerId === null) {
      exitListenerId = newId("exit");
      call("addExitListener", exitListenerId);
    }
  }

  function clearExitHandlers() {
    exitHandlers = [];
    exitListenerId = null;
    call("removeExitListener");
  }

  // Downloads `url` into a new file in the temporary folder; the Promise
  // gives the file's path. onPercent(percent) sees the progress records.
  function download(url, extension, onPercent) {
    var args = extension ? [url, extension] : [url];
    return start("ajaxToFile", args, { progress: onPercent }).then(function (payload) {
      return payload[0];
    });
  }

  // Sends `data` to host:port and gives what the peer answered before it
  // closed the connection, split at the first blank line.
  function tcpPush(host, port, data, options, onPercent) {
    return start("tcpPush", [host, String(port), data, options || ""], { progress: onPercent })
      .then(function (payload) { return { header: payload[0], body: payload[1] }; });
  }

  // The flat values of a query answer as rows of `columns` values.
  function rows(columns, values) {
    var result = [];
    var n = Number(columns);
    for (var i = 0; n > 0 && i < values.length; i += n) result.push(values.slice(i, i + n));
    return result;
  }

  var api = {
    PROTOCOL_VERSION: PROTOCOL_VERSION,
    buildTag: "pageshell.js",
    ShellError: ShellError,
    call: call,
    start: start,
    onExit: onExit,
    clearExitHandlers: clearExitHandlers,
    rows: rows,
    download: download,
    tcpPush: tcpPush,
    receive: receive,
    onUnrouted: null
  };

  global.WebBrowserUtil_callback = receive;
  return api;
})(this);
