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
 *   var db = pageshell.database("db/", "app.sqlite");  // values apart from the SQL
 *   db.execute("INSERT INTO notes (body, n) VALUES (?, ?)", ["it's", 3]);  // row id
 *   db.query("SELECT body FROM notes WHERE n = :n", { ":n": 3 });  // [["it's"]]
 *   db.queryAsync(sql, values).then(function (rows) { ... });
 *   db.executeBatch([["PRAGMA foreign_keys = ON"], ["DELETE FROM t WHERE id = ?", [7]]]);
 *
 *   var doc = pageshell.print.document(210, 297);     // paper size in millimetres
 *   doc.text(20, 30, "Faktura", pageshell.print.font("DejaVu Sans", 16, { bold: true }));
 *   doc.line(20, 34, 190, 34, { width: 0.3 }).rect(20, 40, 50, 8, "#eeeeee");
 *   doc.page();                                        // the next items go on a new page
 *   var path = doc.writePdf("/home/me/Documents");     // or doc.preview()
 *
 * call() sends one request through myObject and returns the parsed answer;
 * it throws a pageshell.ShellError when the shell answers "ERROR" or
 * "BADVERSION". start() runs a background command: the library inserts a
 * fresh callback identifier where the command expects it and returns a
 * Promise that settles on the command's last record. The library owns
 * window.WebBrowserUtil_callback and routes every record by its identifier.
 *
 * Written for the shell's script engine: no async/await, fetch, "**",
 * optional chaining or object spread. A classic script (<script src>) that
 * defines the global `pageshell`; a bundled app imports pageshell.mjs
 * instead (`import { call, start } from "pageshell"`), and require() gets
 * the same object.
 */
var pageshell = (function (global) {
  "use strict";

  var PROTOCOL_VERSION = "1.0.3.20150320";

  // Written by tools/commandref from bridge/commands.h;
  // `cmake --build build --target command_reference_docs` rewrites it.
  // The request position of each background command's callback identifier.
  var CALLBACK_POSITION = {
    sqliteAsyncExecute: 5,
    sqliteAsyncQuery: 5,
    sqliteAsyncExecuteBound: 5,
    sqliteAsyncQueryBound: 5,
    sqliteAsyncExecuteBoundBatch: 5,
    ajaxToFile: 3,
    unzipToFile: 3,
    tcpPush: 3
  };
  // End of the part written by tools/commandref.

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

  // Values bound to a statement's parameters travel as one JSON text: an
  // array binds by number, an object by name (":id", "@id", "$id" as the SQL
  // writes it). A Uint8Array or ArrayBuffer binds as a blob; a number that is
  // not finite is refused here rather than bound as NULL.
  function boundValue(key, value) {
    if (typeof value === "number" && !isFinite(value)) {
      throw new Error("pageshell.database: value " + key + " is not a finite number");
    }
    if (value instanceof ArrayBuffer) value = new Uint8Array(value);
    if (value instanceof Uint8Array) {
      var bytes = "";
      for (var i = 0; i < value.length; i += 8192) {
        bytes += String.fromCharCode.apply(null, value.subarray(i, i + 8192));
      }
      return { base64: global.btoa(bytes) };
    }
    return value;
  }

  function boundValues(values) {
    if (values === undefined || values === null) return "";
    return JSON.stringify(values, boundValue);
  }

  // [[sql, values], ...] as the JSON text of a bound batch; values as
  // boundValues takes them.
  function boundBatch(statements) {
    return JSON.stringify(statements.map(function (statement) {
      var values = statement[1];
      return [statement[0], values === undefined || values === null ? [] : values];
    }), boundValue);
  }

  // One database with bound values: query() gives rows of texts, as
  // sqliteQuery answers them but a blob as the base64 of its bytes;
  // execute() the row id of the last insert; executeBatch() runs
  // [[sql, values], ...] as one transaction, the pragmas at its head before
  // it, and gives the row id of its last insert.
  function Database(directory, fileName) {
    this.directory = directory;
    this.fileName = fileName;
  }

  Database.prototype.query = function (sql, values) {
    var answer = call("sqliteQueryBound", this.directory, this.fileName, sql, boundValues(values));
    return rows(answer[2], answer.slice(3));
  };

  Database.prototype.execute = function (sql, values) {
    return call("sqliteExecuteBound", this.directory, this.fileName, sql, boundValues(values))[2];
  };

  Database.prototype.queryAsync = function (sql, values) {
    return start("sqliteAsyncQueryBound", [this.directory, this.fileName, sql, boundValues(values)])
      .then(function (payload) { return rows(payload[0], payload.slice(1)); });
  };

  Database.prototype.executeAsync = function (sql, values) {
    return start("sqliteAsyncExecuteBound",
                 [this.directory, this.fileName, sql, boundValues(values)])
      .then(function (payload) { return payload[0]; });
  };

  Database.prototype.executeBatch = function (statements) {
    return call("sqliteExecuteBoundBatch", this.directory, this.fileName, boundBatch(statements))[2];
  };

  Database.prototype.executeBatchAsync = function (statements) {
    return start("sqliteAsyncExecuteBoundBatch",
                 [this.directory, this.fileName, boundBatch(statements)])
      .then(function (payload) { return payload[0]; });
  };

  // Print documents. The shell reads a document's fields by position and
  // its numbers as decimal texts, so the builder writes every object with its
  // keys in the shell's order and every number as a string.
  var print = (function () {
    function number(value, what) {
      if (typeof value === "number" && !isFinite(value)) {
        throw new Error("pageshell.print: " + what + " is not a finite number");
      }
      return String(value);
    }

    function pos(x, y) { return { x: number(x, "x"), y: number(y, "y") }; }

    function size(width, height) {
      return { width: number(width, "width"), height: number(height, "height") };
    }

    // A case of a variant in the form the shell writes: its tag and value.
    function kind(tag, value) { return { type: tag, value: value }; }

    // options.bold, options.color (an SVG colour name or "#rrggbb"; black).
    function font(family, points, options) {
      options = options || {};
      return {
        fontFamily: String(family),
        fontSize: number(points, "font size"),
        fontWeight: kind(options.bold ? 1 : 0, 0),
        color: options.color || "black"
      };
    }

    var defaultFont = font("DejaVu Sans", 10);

    // Lengths in millimetres from the page's top-left corner.
    function Document(width, height) {
      this.size = size(width, height);
      this.pages = [];
    }

    Document.prototype.page = function () {
      this.pages.push({ elems: [] });
      return this;
    };

    Document.prototype.add = function (tag, value) {
      if (this.pages.length === 0) this.page();
      this.pages[this.pages.length - 1].elems.push(kind(tag, value));
      return this;
    };

    // A text whose base line starts at (x, y).
    Document.prototype.text = function (x, y, value, textFont) {
      return this.add(0, { pos: pos(x, y), value: String(value), font: textFont || defaultFont });
    };

    // A text wrapped inside the box whose top-left corner is (x, y).
    Document.prototype.rectText = function (x, y, width, height, value, textFont) {
      return this.add(1, {
        pos: pos(x, y), size: size(width, height), value: String(value), font: textFont || defaultFont
      });
    };

    // options.width (millimetres, 0.3), options.color (black), options.dash.
    Document.prototype.line = function (x1, y1, x2, y2, options) {
      options = options || {};
      return this.add(2, {
        pos1: pos(x1, y1),
        pos2: pos(x2, y2),
        width: number(options.width === undefined ? 0.3 : options.width, "line width"),
        color: options.color || "black",
        style: kind(options.dash ? 1 : 0, 0)
      });
    };

    // A rectangle filled and outlined in `color`.
    Document.prototype.rect = function (x, y, width, height, color) {
      return this.add(3, { pos: pos(x, y), size: size(width, height), color: color || "black" });
    };

    // The document as the text the print commands take.
    Document.prototype.json = function () {
      return JSON.stringify({ size: this.size, pages: this.pages });
    };

    // A modal preview; returns when the user closes it.
    Document.prototype.preview = function () {
      call("generatePdfPreview", this.json());
    };

    // Writes a PDF file into `directory` and returns its path.
    Document.prototype.writePdf = function (directory) {
      return call("generatePdf", this.json(), directory)[1];
    };

    return {
      document: function (width, height) { return new Document(width, height); },
      font: font
    };
  })();

  var api = {
    PROTOCOL_VERSION: PROTOCOL_VERSION,
    buildTag: "pageshell.js",
    ShellError: ShellError,
    call: call,
    start: start,
    onExit: onExit,
    clearExitHandlers: clearExitHandlers,
    rows: rows,
    database: function (directory, fileName) { return new Database(directory, fileName); },
    download: download,
    tcpPush: tcpPush,
    print: print,
    receive: receive,
    onUnrouted: null
  };

  global.WebBrowserUtil_callback = receive;
  // A bundler makes this file a module, where a top-level var is no global:
  // the ES module entry (pageshell.mjs) finds the library here.
  global.pageshell = api;
  return api;
})(typeof globalThis !== "undefined" ? globalThis : window);

if (typeof module === "object" && module && module.exports) module.exports = pageshell;
