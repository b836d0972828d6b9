// The database section: a small notes table in a SQLite file under a folder,
// written with sqliteExecute and read back at once or in the background, and
// the same with the note bound as a value instead of pasted into the SQL.
(function () {
  var section = document.getElementById("database");
  section.innerHTML = [
    "<h2>Database</h2>",
    "<label>folder <input id='db-folder' value='demo-data/' size='20'></label>",
    "<label>file <input id='db-file' value='notes.sqlite' size='16'></label>",
    "<button id='db-open'>sqliteOpen</button>",
    "<button id='db-create'>create the table</button>",
    "<br>",
    "<input id='db-note' value='Buy milk' size='40'>",
    "<button id='db-insert'>insert (sqliteExecute)</button>",
    "<button id='db-insert-async'>insert in the background</button>",
    "<button id='db-insert-bound'>insert bound (sqliteExecuteBound)</button>",
    "<br>",
    "<button id='db-query'>sqliteQuery</button>",
    "<button id='db-query-async'>sqliteAsyncQuery</button>",
    "<button id='db-search'>notes like it (sqliteQueryBound)</button>",
    "<button id='db-broken'>a batch that fails</button>",
    "<pre class='answer' id='db-answer'></pre>"
  ].join("\n");

  var ANSWER = "db-answer";
  var SELECT = "SELECT id, note, added FROM notes ORDER BY id";

  function value(id) { return document.getElementById(id).value; }

  // The folder comes first: the shell joins it to the file name as it is, so
  // it ends with "/".
  function where() { return [value("db-folder"), value("db-file")]; }

  function sqlText(text) { return "'" + text.replace(/'/g, "''") + "'"; }

  function insertStatement() {
    return "INSERT INTO notes (note) VALUES (" + sqlText(value("db-note")) + ")";
  }

  // A query's payload (column count, then the values) as readable rows.
  function table(payload) {
    return pageshell.rows(payload[0], payload.slice(1)).map(function (row) {
      return row.join(" | ");
    }).join("\n") || "(no rows)";
  }

  function showTable(label, payload) {
    document.getElementById(ANSWER).textContent = label + "\n" + table(payload);
  }

  function call(name, args) {
    return pageshell.call.apply(null, [name].concat(args));
  }

  demo.on("db-open", function () {
    demo.run(ANSWER, function () { return call("sqliteOpen", where()); });
  });

  demo.on("db-create", function () {
    demo.run(ANSWER, function () {
      return call("sqliteExecute", where().concat([
        "CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, note TEXT, " +
        "added TEXT DEFAULT CURRENT_TIMESTAMP)"]));
    });
  });

  demo.on("db-insert", function () {
    demo.run(ANSWER, function () {
      var answer = call("sqliteExecute", where().concat([insertStatement()]));
      return "inserted row " + answer[2];
    });
  });

  demo.on("db-insert-async", function () {
    demo.show(ANSWER, "working in the background…");
    pageshell.start("sqliteAsyncExecute", where().concat([insertStatement()])).then(
      function (payload) { demo.show(ANSWER, "inserted row " + payload[0] + " in the background"); },
      function (error) { demo.show(ANSWER, error); });
  });

  demo.on("db-query", function () {
    try {
      showTable("sqliteQuery answered at once:", call("sqliteQuery", where().concat([SELECT])).slice(2));
    } catch (e) {
      demo.show(ANSWER, e);
    }
  });

  demo.on("db-query-async", function () {
    demo.show(ANSWER, "querying in the background…");
    pageshell.start("sqliteAsyncQuery", where().concat([SELECT])).then(
      function (payload) { showTable("sqliteAsyncQuery delivered:", payload); },
      function (error) { demo.show(ANSWER, error); });
  });

  function database() { return pageshell.database(value("db-folder"), value("db-file")); }

  // The note travels apart from the SQL: no quoting, and no text of it is
  // ever read as SQL.
  demo.on("db-insert-bound", function () {
    demo.run(ANSWER, function () {
      var row = database().execute("INSERT INTO notes (note) VALUES (?)", [value("db-note")]);
      return "inserted row " + row;
    });
  });

  demo.on("db-search", function () {
    demo.run(ANSWER, function () {
      return database().query("SELECT id, note FROM notes WHERE note LIKE :pattern ORDER BY id",
                              { ":pattern": "%" + value("db-note") + "%" });
    });
  });

  // The second statement names a missing table: the first insert is rolled
  // back with it, and the answer carries SQLite's message.
  demo.on("db-broken", function () {
    demo.run(ANSWER, function () {
      return call("sqliteExecute", where().concat([insertStatement(), "INSERT INTO missing VALUES (1)"]));
    });
  });
})();
