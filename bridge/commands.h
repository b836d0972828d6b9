// Every command a page may name, described once (command_description.h gives
// the form). The dispatcher finds a command by its name; the order here is
// the order of the reference.
//
// A command is its description here and its handler, bridge::<family>::<name>
// in its family's folder (command_call.h shows one). From the description
// the build writes the handler's call, whose accessors read the arguments by
// the names given here, and the dispatcher's table; the dispatcher checks
// each request's arguments against their kinds before the command starts.
// `cmake --build build --target command_reference_docs` rewrites
// docs/commands.md and the callback positions in js/pageshell.js, which
// tests/unit/bridge compares with this.
#pragma once

#include <string_view>

#include "bridge/command_description.h"

namespace bridge {

// What the bound database commands say of their SQL and values, and the
// texts of their failures (bridge/database/bound_values.h reads the values).
inline constexpr char kBoundSql[] =
    "one statement: blanks, comments and semicolons may stand around it, nothing more. "
    "Parameters are ?, ?NNN, :name, @name or $name; SQLite numbers them from 1 in order of "
    "first appearance, ?NNN taking number NNN";
inline constexpr char kBoundValues[] =
    "the values' JSON, as one string. An array binds parameter 1, 2, ... by number, named "
    "ones included; an object binds each parameter by its name as the SQL writes it "
    "(\":id\", \"@id\", \"$id\", \"?2\"); \"\" binds none. A number without fraction or "
    "exponent binds as an integer (past 64 bits as a real), any other as a real; a string "
    "as text, null as NULL, true and false as 1 and 0, {\"base64\": text} (standard "
    "alphabet, padded) as a blob of its bytes";
inline constexpr char kBoundBatch[] =
    "the batch's JSON, as one string: an array of [sql, values] pairs, run in order on one "
    "connection. Each sql is one statement as for sqliteExecuteBound, prepared when its turn "
    "comes; its values an array or object read as sqliteExecuteBound reads its values, or "
    "their JSON text as a string (\"\": none). The PRAGMA statements at the head of the batch "
    "run before its transaction, so that \"PRAGMA foreign_keys = ON\" holds for the rest; a "
    "PRAGMA further on runs inside it, where some have no effect";
// The failures of a bound batch, statements counted from 1.
inline constexpr const char* kBatchErrors[] = {
    "bound batch is not a JSON array of [sql, values] pairs",
    "statement N is not a [sql, values] pair",
    "statement N: message; nothing was saved [sql], the message SQLite's or one of "
    "sqliteExecuteBound's, e.g. \"statement 2: UNIQUE constraint failed: t.a; nothing was "
    "saved [INSERT INTO t VALUES (?)]\"",
    "statement N: may not begin or end a transaction or savepoint; nothing was saved [sql]",
    ("SQLite's message when the batch cannot be committed, e.g. \"FOREIGN KEY constraint "
     "failed\""),
};
// The failures of binding, shared by the bound commands (the asynchronous
// two report them in their records).
inline constexpr const char* kBindingErrors[] = {
    "N values for M parameters, e.g. \"1 value for 2 parameters\": there must be one value for "
    "each parameter",
    "no parameter named [name]",
    "one statement only; more follows [rest of the sql]",
    "bound values are not a JSON array or object",
    "cannot bind value [number or name]: not null, a number, a text, true, false or "
    "{\"base64\": text}",
    "cannot bind value [number or name]: not padded base64",
};

// Every Polish text the commands answer or report, with its meaning; the
// reference lists them and adds the meaning wherever a command names one.
inline constexpr MessageMeaning kPolishMessages[] = {
    {"Nie można rozpakować elementu.", "getZipDir, getZipEntry, unzipToFile (\"error\" record)",
     "Cannot unpack the member: the archive cannot be opened or is no ZIP archive, the member is "
     "not in it, or its data cannot be read whole (damaged, a CRC or size that does not match, a "
     "compression method or encryption the shell does not read). getZipDir answers it also for "
     "an archive without members"},
    {"Nie można zapisać elementu.", "unzipToFile (\"error\" record)",
     "Cannot write the member: the target file cannot be created or written (no such folder, no "
     "permission, disk full); an existing target keeps its content"},
    {"Port poza zakresem [port].", "tcpPush (\"error\" record)",
     "Port out of range: the port is not a number from 1 to 65534"},
    {"Nie można się połaczyć [host/port].", "tcpPush (\"error\" record)",
     "Cannot connect: the host name does not resolve, or the peer refused the connection or did "
     "not accept it in time"},
    {"Problem podczas wysyłania danych [host/port].", "tcpPush (\"error\" record)",
     "Problem while sending the data: the connection broke, or a wait ran out, before all of it "
     "was sent"},
    {"Problem podczas czytania odpowiedzi [host/port].", "tcpPush (\"error\" record)",
     "Problem while reading the answer: the peer closed without answering, the answer was too "
     "large for its record or came too slowly, or the options asked for an encoding other than "
     "utf-8"},
    {"Nieznany problem.", "ajaxToFile (\"error\" record)",
     "Unknown problem: the download ended with neither a file nor a reason"},
    {"Problem HTTP: [message]", "ajaxToFile (\"error\" record)",
     "HTTP problem: the download failed; one of the messages below, or a status line outside 2xx "
     "such as \"HTTP/1.1 404 Not Found\", follows"},
    {"TIMEOUT - problem przy odbieraniu danych.", "ajaxToFile, after \"Problem HTTP: \"",
     "Timeout while receiving: a wait ran out (30 seconds), or the response brought fewer than "
     "1024 bytes in a minute"},
    {"TIMEOUT - problem z uzgodnieniem TLS z hostem [host]", "ajaxToFile, after \"Problem HTTP: \"",
     "Timeout of the TLS handshake with the host"},
    {"Problem z uzgodnieniem TLS z hostem [host] [reason]", "ajaxToFile, after \"Problem HTTP: \"",
     "The TLS handshake with the host failed, for the reason in brackets"},
    {"Certyfikat hosta [host] nie jest zaufany [reason]", "ajaxToFile, after \"Problem HTTP: \"",
     "The host's certificate is not trusted: no authority of the system vouches for it"},
    {"Certyfikat hosta [host] wygasł lub nie jest jeszcze ważny [reason]",
     "ajaxToFile, after \"Problem HTTP: \"",
     "The host's certificate has expired or is not yet valid"},
    {"Certyfikat hosta [host] wystawiono dla innej nazwy [reason]",
     "ajaxToFile, after \"Problem HTTP: \"",
     "The host's certificate was issued for another name than the URL's host"},
    {"Host [host] zamknął połączenie bez zakończenia sesji TLS",
     "ajaxToFile, after \"Problem HTTP: \"",
     "The host closed the connection without ending the TLS session before the body was "
     "complete: the body may be cut short"},
    {"Problem z DNS dla hosta [host]", "ajaxToFile, after \"Problem HTTP: \"",
     "The host name does not resolve to an address"},
    {"Nie można utworzyć połączenia", "ajaxToFile, after \"Problem HTTP: \"",
     "Cannot create a connection: the system gave no socket"},
    {"Problem z połączeniem [reason]", "ajaxToFile, after \"Problem HTTP: \"",
     "Connection problem: the connection to the host failed, e.g. it was refused"},
    {"Problem z połączeniem [port poza zakresem: port]", "ajaxToFile, after \"Problem HTTP: \"",
     "Connection problem: the URL's port is out of range"},
    {"Problem podczas wysyłania danych", "ajaxToFile, after \"Problem HTTP: \"",
     "Problem while sending the request"},
    {"Problem przy odbieraniu danych [reason]", "ajaxToFile, after \"Problem HTTP: \"",
     "Problem while receiving the response: the connection broke"},
    {"Problem przy zapisywaniu danych [path]", "ajaxToFile, after \"Problem HTTP: \"",
     "Problem while saving the data: the body cannot be written into the file"},
    {"Znak końca wiersza w części żądania [part]", "ajaxToFile, after \"Problem HTTP: \"",
     "A line break in a part of the request, such as the URL: nothing is sent"},
    {"Zbyt długi nagłówek odpowiedzi [ponad N bajtów]", "ajaxToFile, after \"Problem HTTP: \"",
     "The response's head is too long [more than N bytes]"},
    {"Zbyt wiele przekierowań [ponad 5]", "ajaxToFile, after \"Problem HTTP: \"",
     "Too many redirects [more than 5]"},
    {"Przekierowanie pod nieobsługiwany adres [location]", "ajaxToFile, after \"Problem HTTP: \"",
     "A redirect to an address the shell does not fetch (not http: or https:)"},
    {"Odrzucono przekierowanie z HTTPS na HTTP [url]", "ajaxToFile, after \"Problem HTTP: \"",
     "A redirect from https to http, refused"},
    {"Pętla przekierowań [url]", "ajaxToFile, after \"Problem HTTP: \"",
     "A redirect loop: the redirect leads to an address already visited"},
    {"Odpowiedź bez wiersza statusu", "ajaxToFile, after \"Problem HTTP: \"",
     "A response without a status line: what the server sent is no HTTP response"},
    {"Niepełny nagłówek odpowiedzi", "ajaxToFile, after \"Problem HTTP: \"",
     "Incomplete response head: the connection ended before the head did"},
    {"Niepełna odpowiedź [odebrano N z M bajtów]", "ajaxToFile, after \"Problem HTTP: \"",
     "Incomplete response [received N of M bytes]: the body fell short of its Content-Length"},
};

inline constexpr CommandDescription kCommands[] = {
    command("log", Family::kShell, Mode::kSync, "Appends a line to this run's log.")
        .text("message", "the line; a number is logged in decimal")
        .answers(R"(["OK"])")
        .example(R"("started")", R"(["OK"])"),

    command("exit", Family::kShell, Mode::kSync,
            "Ends the shell once this answer is delivered; exit listeners are not asked.")
        .answers(R"(["OK"])")
        .example("", R"(["OK"])"),

    command("shellExecute", Family::kDesktop, Mode::kSync,
            "Opens a document, folder or web address, or starts a program, as a double click "
            "would.")
        .path("operation", R"("open", "" (the same) or "explore")")
        .path("file", "what to open or start")
        .path("parameters", "a program's arguments, split as a shell would")
        .path("directory", "the working folder of what is started; empty: the shell's")
        .integer("showCommand", "read and ignored: programs decide how to show themselves")
        .answers(R"(["OK", "R" + code])",
                 "above 32: started; 2: no such file; 3: no such directory; 31: no program for it")
        .example(R"("open", "report.pdf", "", "", "1")", R"(["OK", "R42"])"),

    command("sqliteOpen", Family::kDatabase, Mode::kSync,
            "Opens the database (creating its file and one level of folder) and closes it "
            "again.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .answers(R"(["OK", fileName])")
        .error("SQLite's message, e.g. \"unable to open database file\"")
        .example(R"("db/", "app.sqlite")", R"(["OK", "app.sqlite"])"),

    command("sqliteAsyncExecute", Family::kDatabase, Mode::kAsync,
            "Runs the statements as one transaction on a worker; the asynchronous database "
            "commands run one at a time, in the order issued.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .callbackId("callbackId", "the identifier of the record")
        .content("statements", "one statement per element; none: nothing runs")
        .repeated()
        .answers(R"(["OK"])")
        .record(R"([id, "pass", "execute", "OK", lastRowId])",
                "the batch is saved; the row id of its last insert, or \"0\"")
        .record(R"([id, "pass", "execute", "ERROR", message])",
                "nothing of the batch is saved; SQLite's message or one of sqliteExecute's error "
                "texts")
        .refusal("too many database commands at once [1 running and 4096 waiting]")
        .refusal("too much data waiting for the database [more than 67108864 bytes]")
        .example(R"~("db/", "app.sqlite", "d1", "INSERT INTO t VALUES (1)")~", R"(["OK"])"),

    command("sqliteExecute", Family::kDatabase, Mode::kSync,
            "Runs the statements as one transaction: all are saved, or none.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .content("statements", "one statement per element; none: nothing runs")
        .repeated()
        .answers(R"(["OK", fileName, lastRowId])",
                 "the row id of the batch's last insert, or \"0\"")
        .error("SQLite's message, e.g. \"no such table: t\"")
        .error("statement batch did not end its transaction; nothing was saved")
        .error("statement batch may not begin or end a transaction or savepoint; nothing was "
               "saved [statement]")
        .example(R"~("db/", "app.sqlite", "CREATE TABLE t (a)", "INSERT INTO t VALUES (1)")~",
                 R"(["OK", "app.sqlite", "1"])"),

    command("sqliteExecuteFile", Family::kDatabase, Mode::kSync,
            "Answers and does nothing else: no database is opened, no file read.")
        .path("directory", "read and ignored")
        .path("fileName", "answered as it is")
        .text("unused1", "read and ignored")
        .text("unused2", "read and ignored")
        .answers(R"(["OK", fileName])")
        .example(R"("db/", "app.sqlite", "", "")", R"(["OK", "app.sqlite"])"),

    command("sqliteAsyncQuery", Family::kDatabase, Mode::kAsync,
            "Runs a query on a worker and reports its rows; the asynchronous database commands "
            "run one at a time, in the order issued.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .callbackId("callbackId", "the identifier of the record")
        .content("sql", "the query")
        .answers(R"(["OK", fileName])")
        .record(R"([id, "pass", "query", "OK", columnCount, values...])",
                "the values row by row, NULL as \"\"; no rows: column count \"0\"")
        .record(R"([id, "pass", "query", "ERROR", message])",
                "SQLite's message, or \"sqliteQuery - bad column count [sql]\"")
        .refusal("too many database commands at once [1 running and 4096 waiting]")
        .refusal("too much data waiting for the database [more than 67108864 bytes]")
        .example(R"("db/", "app.sqlite", "q1", "SELECT a FROM t")", R"(["OK", "app.sqlite"])"),

    command("sqliteQuery", Family::kDatabase, Mode::kSync, "Runs a query and answers its rows.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .content("sql", "the query")
        .answers(R"(["OK", fileName, columnCount, values...])",
                 "the values row by row, NULL as \"\"; no rows: column count \"0\"")
        .error("SQLite's message, e.g. \"no such table: t\"")
        .error("sqliteQuery - bad column count [sql]")
        .example(R"("db/", "app.sqlite", "SELECT a, b FROM t")",
                 R"(["OK", "app.sqlite", "2", "1", "x", "2", ""])"),

    command("sqliteAsyncExecuteBound", Family::kDatabase, Mode::kAsync,
            "Runs one statement with values bound to its parameters on a worker; the "
            "asynchronous database commands run one at a time, in the order issued.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .callbackId("callbackId", "the identifier of the record")
        .content("sql", kBoundSql)
        .content("values", kBoundValues)
        .answers(R"(["OK"])")
        .record(R"([id, "pass", "execute", "OK", lastRowId])",
                "the statement is saved; the row id of the last insert, or \"0\"")
        .record(R"([id, "pass", "execute", "ERROR", message])",
                "nothing is saved; SQLite's message or one of sqliteExecuteBound's error texts")
        .refusal("too many database commands at once [1 running and 4096 waiting]")
        .refusal("too much data waiting for the database [more than 67108864 bytes]")
        .example(R"~("db/", "app.sqlite", "d1", "INSERT INTO t VALUES (?, ?)", "[1, \"it's\"]")~",
                 R"(["OK"])"),

    command("sqliteExecuteBound", Family::kDatabase, Mode::kSync,
            "Runs one statement with values bound to its parameters.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .content("sql", kBoundSql)
        .content("values", kBoundValues)
        .answers(R"(["OK", fileName, lastRowId])", "the row id of the last insert, or \"0\"")
        .error("SQLite's message, e.g. \"no such table: t\"")
        .sharedErrors(kBindingErrors)
        .error("statement batch did not end its transaction; nothing was saved")
        .example(
            R"~("db/", "app.sqlite", "INSERT INTO t VALUES (:a, :b)", "{\":a\": 1.5, \":b\": null}")~",
            R"(["OK", "app.sqlite", "3"])"),

    command("sqliteAsyncQueryBound", Family::kDatabase, Mode::kAsync,
            "Runs one query with values bound to its parameters on a worker and reports its "
            "rows; the asynchronous database commands run one at a time, in the order issued.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .callbackId("callbackId", "the identifier of the record")
        .content("sql", kBoundSql)
        .content("values", kBoundValues)
        .answers(R"(["OK", fileName])")
        .record(R"([id, "pass", "query", "OK", columnCount, values...])",
                "the values row by row, as sqliteQueryBound answers them: a blob as the "
                "base64 of all its bytes")
        .record(R"([id, "pass", "query", "ERROR", message])",
                "SQLite's message or one of sqliteQueryBound's error texts")
        .refusal("too many database commands at once [1 running and 4096 waiting]")
        .refusal("too much data waiting for the database [more than 67108864 bytes]")
        .example(R"("db/", "app.sqlite", "q1", "SELECT a FROM t WHERE b = ?", "[\"x\"]")",
                 R"(["OK", "app.sqlite"])"),

    command("sqliteQueryBound", Family::kDatabase, Mode::kSync,
            "Runs one query with values bound to its parameters and answers its rows.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .content("sql", kBoundSql)
        .content("values", kBoundValues)
        .answers(R"(["OK", fileName, columnCount, values...])",
                 "the values row by row, NULL as \"\"; no rows: column count \"0\"; a blob as "
                 "the base64 of all its bytes (standard alphabet, padded), other values as "
                 "sqliteQuery answers them")
        .error("SQLite's message, e.g. \"no such table: t\"")
        .sharedErrors(kBindingErrors)
        .example(R"("db/", "app.sqlite", "SELECT a, b FROM t WHERE a > ?", "[0]")",
                 R"(["OK", "app.sqlite", "2", "1", "x"])"),

    command("sqliteAsyncExecuteBoundBatch", Family::kDatabase, Mode::kAsync,
            "Runs statements, each with values bound to its parameters, as one transaction on "
            "a worker; the asynchronous database commands run one at a time, in the order "
            "issued.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .callbackId("callbackId", "the identifier of the record")
        .content("batch", kBoundBatch)
        .answers(R"(["OK"])")
        .record(R"([id, "pass", "execute", "OK", lastRowId])",
                "the batch is saved; the row id of its last insert, or \"0\"")
        .record(R"([id, "pass", "execute", "ERROR", message])",
                "nothing of the batch is saved; one of sqliteExecuteBoundBatch's error texts")
        .refusal("too many database commands at once [1 running and 4096 waiting]")
        .refusal("too much data waiting for the database [more than 67108864 bytes]")
        .example(
            R"~("db/", "app.sqlite", "b1", "[[\"PRAGMA foreign_keys = ON\", []], [\"DELETE FROM t WHERE id = ?\", [7]]]")~",
            R"(["OK"])"),

    command("sqliteExecuteBoundBatch", Family::kDatabase, Mode::kSync,
            "Runs statements, each with values bound to its parameters, as one transaction on "
            "one connection: all are saved, or none.")
        .path("directory", "the folder, joined to the file name as it is")
        .path("fileName", "the database file's name")
        .content("batch", kBoundBatch)
        .answers(R"(["OK", fileName, lastRowId])",
                 "the row id of the batch's last insert, or \"0\"")
        .sharedErrors(kBatchErrors)
        .example(
            R"~("db/", "app.sqlite", "[[\"INSERT INTO t VALUES (?)\", [1]], [\"INSERT INTO t VALUES (?)\", [2]]]")~",
            R"(["OK", "app.sqlite", "2"])"),

    command("getKnownPath", Family::kDesktop, Mode::kSync,
            "Answers the path of one of the user's known folders.")
        .integer("folder",
                 "the folder number (5 documents, 16 desktop, 40 home, ...); text "
                 "that is no number is 0; bit 0x8000 creates the folder")
        .answers(R"(["OK", path])")
        .error(R"(["ERROR"] alone, for an unknown number or a folder that could not be )"
               R"(created)")
        .example(R"("5")", R"(["OK", "/home/ala/Documents"])"),

    command("setTitle", Family::kDesktop, Mode::kSync, "Sets the window's title.")
        .text("title", "the new title")
        .answers(R"(["OK"])")
        .example(R"("Invoices")", R"(["OK"])"),

    command("setWindowState", Family::kDesktop, Mode::kSync,
            "Sets the window's state: 1 minimised, 2 maximised, 4 full screen, 8 active.")
        .integer("state", "the state bits; text that is no number sets all four")
        .answers(R"(["OK", state])", "the state read back from the window")
        .example(R"("2")", R"(["OK", "2"])"),

    command("getWindowState", Family::kDesktop, Mode::kSync,
            "Answers the window's state: 1 minimised, 2 maximised, 4 full screen, 8 active.")
        .answers(R"(["OK", state])")
        .example("", R"(["OK", "8"])"),

    command("ajaxToFile", Family::kNetwork, Mode::kAsync,
            "Downloads a URL over HTTP/1.0, plain or over TLS, into a new file in the temporary "
            "folder, following redirects.")
        .callbackId("callbackId", "the identifier of the records; also part of the file name")
        .path("url",
              "an http:// or https:// address. https: TLS 1.2 or newer, with a certificate for "
              "the host name or address that the system's authorities (or SSL_CERT_FILE and "
              "SSL_CERT_DIR) vouch for. An answer 301, 302, 303, 307 or 308 with a Location is "
              "followed, a relative one read against the URL it answers, up to 5 hops and never "
              "from https to http; only the log tells of the hops")
        .path("extension", "the file name's extension, without the dot; optional")
        .answers(R"(["OK", path])",
                 "<temporary folder><YYYYMMDD-hhmmss>.<number>.<callbackId>[.<extension>], "
                 "created empty before the answer; it receives the body of the last hop only")
        .record(R"([id, "pass", "progress", "0"])", "the download has started")
        .record(R"([id, "pass", "progress", percent])",
                "\"10\" once the head of the answer that brings the body is in, then the share "
                "of the announced length (\"5\" without one), at most once a second")
        .record(R"([id, "pass", "progress", "100"])", "the body is in the file")
        .record(R"([id, "pass", "finish", path])", "the last record of a download")
        .record(R"([id, "pass", "error", message])",
                "the last record of a failure, with no \"100\" before it: \"Problem HTTP: \" and "
                "the engine's message (over TLS naming the host: a certificate not trusted, "
                "expired or not yet valid, or issued for another name, a failed handshake, a "
                "session not ended before the body was complete; a redirect refused: a loop, a "
                "sixth hop, https to http), the status line of a response outside 2xx, or the "
                "reason a body fell short of its Content-Length; or \"Nieznany problem.\". The "
                "file stays once a byte of a response came; without one it is removed first. "
                "Every wait (connect, TLS handshake, send, receive) ends after 30 seconds, and a "
                "response that brings fewer than 1024 bytes in a minute ends as a wait that ran "
                "out (\"Problem HTTP: TIMEOUT - problem przy odbieraniu danych.\")")
        .refusal("too many network commands at once [128 running and 256 waiting]")
        .refusal("too much data waiting to be sent [more than 67108864 bytes]")
        .example(R"("d1", "https://example.org/a.zip", "zip")",
                 R"(["OK", "/tmp/20150320-143005.1804.d1.zip"])"),

    command("unzipToFile", Family::kZip, Mode::kAsync,
            "Extracts one member of a ZIP archive into a file on a worker.")
        .callbackId("callbackId", "the identifier of the records")
        .path("archive", "the ZIP archive")
        .path("member", "the member's name; ASCII letters match in either case")
        .path("target", "the file to write; an existing one keeps its content on failure")
        .answers(R"(["OK", target])")
        .record(R"([id, "pass", "progress", "0"])", "the worker has started")
        .record(R"([id, "pass", "error", "Nie można rozpakować elementu."])",
                "the member cannot be read whole (last record)")
        .record(R"([id, "pass", "progress", "50"])", "the member has been read, its CRC checked")
        .record(R"([id, "pass", "error", "Nie można zapisać elementu."])",
                "the target cannot be written (last record)")
        .record(R"([id, "pass", "progress", "100"])", "the target holds the member")
        .record(R"([id, "pass", "finish", member])",
                "the member's name as the page gave it (last record)")
        .refusal("too many ZIP commands at once [64 running and 256 waiting]")
        .refusal("too much data waiting for ZIP commands [more than 67108864 bytes]")
        .example(R"("u1", "data.zip", "readme.txt", "out/readme.txt")",
                 R"(["OK", "out/readme.txt"])"),

    command("getZipDir", Family::kZip, Mode::kSync,
            "Lists the members of a ZIP archive, folders included, in the archive's order.")
        .path("archive", "the ZIP archive")
        .answers(R"(["OK", name, name, ...])")
        .error("Nie można rozpakować elementu.")
        .example(R"("data.zip")", R"(["OK", "a.txt", "dir/"])"),

    command("getZipEntry", Family::kZip, Mode::kSync,
            "Answers a member's content up to its first zero byte; the rest is read and its "
            "CRC checked.")
        .path("archive", "the ZIP archive")
        .path("member", "the member's name; ASCII letters match in either case")
        .answers(R"(["OK", content])")
        .error("Nie można rozpakować elementu.")
        .error("member too large for an answer [more than 536869888 bytes]")
        .example(R"("data.zip", "A.TXT")", R"(["OK", "text of a.txt"])"),

    command("getZipEntryBase64", Family::kZip, Mode::kSync,
            "Answers every byte of a member, as base64, once it is read whole and its CRC "
            "checked.")
        .path("archive", "the ZIP archive")
        .path("member", "the member's name; ASCII letters match in either case")
        .answers(R"(["OK", base64])", "standard alphabet, padded, no line breaks")
        .error("Nie można rozpakować elementu.")
        .error("member too large for an answer [more than 402652416 bytes]")
        .example(R"("data.zip", "logo.png")", R"(["OK", "iVBORw0KGgo="])"),

    command("setTaskbarState", Family::kDesktop, Mode::kSync,
            "Answers and changes nothing: there is no task bar state to set.")
        .answers(R"(["OK"])")
        .example("", R"(["OK"])"),

    command("addExitListener", Family::kDesktop, Mode::kSync,
            "Asks the page before the window closes, instead of closing it; replaces any earlier "
            "listener.")
        .callbackId("listener",
                    "the identifier of the record [listener, \"pass\", \"run\"] "
                    "delivered when the user closes the window")
        .answers(R"(["OK"])")
        .example(R"("onExit")", R"(["OK"])"),

    command("removeExitListener", Family::kDesktop, Mode::kSync,
            "Lets the window close at once again.")
        .answers(R"(["OK"])")
        .example("", R"(["OK"])"),

    command("printPreview", Family::kPrint, Mode::kSync,
            "Shows a modal print preview of the page itself; answers once it is closed.")
        .drawsThePage()
        .answers(R"(["OK"])")
        .example("", R"(["OK"])"),

    command("generatePdf", Family::kPrint, Mode::kSync,
            "Writes a print document as a PDF file, every font at half its point size.")
        .content("document", "the print document's JSON, as one string")
        .path("directory", "the folder of the file")
        .answers(R"(["OK", path])",
                 "<directory>/recepta-<yyMMddhhmmss>.pdf, or with -2, -3, "
                 "... before \".pdf\" when that name is taken")
        .error("Cannot write [path]: reason")
        .error("the document reader's message, e.g. \"PdfObj::fromJSON\"")
        .example(R"("{\"pages\": ...}", "/home/ala/Documents")",
                 R"(["OK", "/home/ala/Documents/recepta-150320143005.pdf"])"),

    command("generatePdfPreview", Family::kPrint, Mode::kSync,
            "Shows a modal print preview of a print document; answers once it is closed.")
        .content("document", "the print document's JSON, as one string")
        .answers(R"(["OK"])")
        .error("the document reader's message, e.g. \"PdfObj::fromJSON\"")
        .example(R"("{\"pages\": ...}")", R"(["OK"])"),

    command("saveFile", Family::kDesktop, Mode::kSync,
            "Makes the file hold exactly the content's bytes; a failed save leaves the old "
            "content whole. A file with several hard links is written in place to keep them "
            "together, so a shell killed during that write can leave it part old, part new.")
        .path("path", "the file to write")
        .content("content", "the file's new content")
        .answers(R"(["OK", path])")
        .error("Cannot save [path]: reason")
        .example(R"("notes.txt", "zażółć")", R"(["OK", "notes.txt"])"),

    command("loadFile", Family::kDesktop, Mode::kSync, "Answers every byte of a regular file.")
        .path("path", "the file to read")
        .answers(R"(["OK", content])")
        .error("Cannot load [path]: reason")
        .example(R"("notes.txt")", R"(["OK", "zażółć"])"),

    command("loadFileBase64", Family::kDesktop, Mode::kSync,
            "Answers every byte of a regular file, as base64.")
        .path("path", "the file to read")
        .answers(R"(["OK", base64])", "standard alphabet, padded, no line breaks")
        .error("Cannot load [path]: reason")
        .example(R"("logo.png")", R"(["OK", "iVBORw0KGgo="])"),

    command("saveFileBase64", Family::kDesktop, Mode::kSync,
            "Makes the file hold exactly the bytes the base64 text stands for, as saveFile "
            "does.")
        .path("path", "the file to write")
        .content("base64", "standard alphabet, padded, no line breaks or blanks")
        .answers(R"(["OK", path])")
        .error("Cannot save [path]: not canonical base64 (nothing is written)")
        .error("Cannot save [path]: reason")
        .example(R"("logo.png", "iVBORw0KGgo=")", R"(["OK", "logo.png"])"),

    command("listDirectory", Family::kDesktop, Mode::kSync,
            "Answers the entries of a folder in byte order of their names; a link is listed "
            "as a link, not followed.")
        .path("path", "the folder")
        .answers(R"(["OK", count, then for each entry: name, kind, size, modified])",
                 "kind \"file\", \"folder\", \"link\" or \"other\"; size in bytes; modified "
                 "in UTC, e.g. \"2026-12-08T14:03:05Z\"")
        .error("Cannot list [path]: reason")
        .example(R"("docs")", R"(["OK", "2", "a.txt", "file", "5", "2026-12-08T14:03:05Z", )"
                              R"("old", "folder", "4096", "2026-11-02T09:00:00Z"])"),

    command("statPath", Family::kDesktop, Mode::kSync,
            "Answers what stands at a path, a link seen as itself.")
        .path("path", "the file, folder or link")
        .answers(R"(["OK", kind, size, modified])", "as listDirectory answers an entry")
        .error("Cannot stat [path]: reason, e.g. \"No such file or directory\"")
        .example(R"("a.txt")", R"(["OK", "file", "5", "2026-12-08T14:03:05Z"])"),

    command("makeDirectory", Family::kDesktop, Mode::kSync,
            "Makes a folder and any missing folders above it; a folder already there is "
            "kept.")
        .path("path", "the folder")
        .answers(R"(["OK", path])")
        .error("Cannot make [path]: reason")
        .example(R"("data/2026/12")", R"(["OK", "data/2026/12"])"),

    command("copyPath", Family::kDesktop, Mode::kSync,
            "Copies a file, a link or a folder with everything in it; links come across as "
            "links, and a copy that fails part way is taken away again.")
        .path("from", "what to copy")
        .path("to", "its new name; nothing may stand there")
        .answers(R"(["OK", to])")
        .error("Cannot copy [from] to [to]: reason, e.g. \"File exists\"")
        .example(R"("docs", "docs-copy")", R"(["OK", "docs-copy"])"),

    command("movePath", Family::kDesktop, Mode::kSync,
            "Moves a file, a link or a folder with everything in it; across file systems it "
            "copies and removes the original only once the copy is whole.")
        .path("from", "what to move")
        .path("to", "its new name; nothing may stand there")
        .answers(R"(["OK", to])")
        .error("Cannot move [from] to [to]: reason, e.g. \"File exists\"")
        .example(R"("draft.txt", "final.txt")", R"(["OK", "final.txt"])"),

    command("removePath", Family::kDesktop, Mode::kSync,
            "Removes a file, a link (never what it points to) or an empty folder; a folder "
            "with content only when asked to go deep, links inside never followed.")
        .path("path", "what to remove")
        .text("depth", R"("deep" or "")")
        .answers(R"(["OK", path])")
        .error("Cannot remove [path]: reason, e.g. \"Directory not empty\"")
        .error(R"(Cannot remove [path]: depth is "deep" or "")")
        .example(R"("old", "deep")", R"(["OK", "old"])"),

    command("getArguments", Family::kDesktop, Mode::kSync,
            "Answers the arguments given to the shell after its own options and a \"--\".")
        .answers(R"(["OK", arguments...])", "as given; none without a \"--\"")
        .example("", R"(["OK", "first arg", "--second"])"),

    command("getWindowGeometry", Family::kDesktop, Mode::kSync,
            "Answers where the window's content is on the screen, its size and its state.")
        .answers(R"(["OK", x, y, width, height, state])", "state as getWindowState answers it")
        .example("", R"(["OK", "40", "30", "1100", "740", "0"])"),

    command("setWindowGeometry", Family::kDesktop, Mode::kSync,
            "Moves and resizes the window's content, kept within the screen's available area.")
        .integer("x", "the left edge")
        .integer("y", "the top edge")
        .integer("width", "the width, above 0")
        .integer("height", "the height, above 0")
        .answers(R"(["OK"])")
        .error("[name] is not a number: [text]")
        .error("[name] must be above 0")
        .example(R"("40", "30", "1100", "740")", R"(["OK"])"),

    command("showFileDialog", Family::kDesktop, Mode::kSync, "Lets the user choose a file to open.")
        .text("caption", "the dialog's title")
        .text("filter", "Qt's filter syntax, e.g. \"Text (*.txt);;All (*)\"")
        .path("folder", "where the dialog starts; missing or \"\": the working folder")
        .answers(R"(["OK", file])", "the chosen file, or \"\" when cancelled")
        .example(R"~("Open", "Text (*.txt)")~", R"(["OK", "/home/ala/notes.txt"])"),

    command("showDirectoryDialog", Family::kDesktop, Mode::kSync, "Lets the user choose a folder.")
        .text("caption", "the dialog's title")
        .path("folder", "where the dialog starts; missing or \"\": the working folder")
        .answers(R"(["OK", folder])", "the chosen folder, or \"\" when cancelled")
        .example(R"("Save where?")", R"(["OK", "/home/ala/Documents"])"),

    command("showSaveDialog", Family::kDesktop, Mode::kSync,
            "Lets the user choose a file to save to; picking an existing file asks first "
            "whether to replace it.")
        .text("caption", "the dialog's title")
        .text("filter", "Qt's filter syntax, e.g. \"Text (*.txt);;All (*)\"")
        .path("suggested", "the file or folder the dialog starts with; \"\": the working folder")
        .answers(R"(["OK", file])", "the chosen file, or \"\" when cancelled")
        .example(R"~("Save", "Text (*.txt)", "notes.txt")~", R"(["OK", "/home/ala/notes.txt"])"),

    command("tcpPush", Family::kNetwork, Mode::kAsync,
            "Sends data over a plain TCP connection and reports everything the peer answers "
            "until it closes the connection.")
        .callbackId("callbackId", "the identifier of the records")
        .path("host", "the peer's name or address")
        .integer("port", "1 to 65534")
        .content("data", "sent byte for byte")
        .text("options", R"(comma-separated: "base64" encodes the body part, "timeout=<s>" )"
                         R"(limits each wait (10), "encoding=<name>" must be "" or "utf-8")")
        .answers(R"(["OK", callbackId])")
        .record(R"([id, "pass", "progress", "0"])", "the worker has started")
        .record(R"([id, "pass", "progress", "100"])", "the peer has answered and closed")
        .record(R"([id, "pass", "finish", header, body])",
                "the answer split at its first CR LF CR LF (no such line: header \"\")")
        .record(R"([id, "pass", "error", message])",
                "the last record of a failure, after \"0\"; one of the texts below. An answer "
                "too large for its record is a reading failure, told before \"100\", and so is "
                "one that brings fewer than 1024 bytes in a minute (or in the timeout, when "
                "longer)")
        .error("Port poza zakresem [port].")
        .error("Nie można się połaczyć [host/port].")
        .error("Problem podczas wysyłania danych [host/port].")
        .error("Problem podczas czytania odpowiedzi [host/port].")
        .refusal("too many network commands at once [128 running and 256 waiting]")
        .refusal("too much data waiting to be sent [more than 67108864 bytes]")
        .example(R"("t1", "localhost", "8080", "PING\r\n\r\n", "timeout=3")", R"(["OK", "t1"])"),

    command("version", Family::kShell, Mode::kSync,
            "Answers the protocol version and the shell's build tag.")
        .answers(R"(["OK", "1.0.3.20150320", "-quendrix-vabt.20150223"])")
        .example("", R"(["OK", "1.0.3.20150320", "-quendrix-vabt.20150223"])"),
};

// The description of the command called `name`; a name that is not
// described does not compile where a constant is needed.
constexpr const CommandDescription& describedCommand(std::string_view name) {
  for (const CommandDescription& described : kCommands) {
    if (name == described.name) return described;
  }
  throw "no such command";
}

// The English meaning of a Polish message text, or nullptr for any other
// text.
constexpr const char* polishMeaning(std::string_view text) {
  for (const MessageMeaning& message : kPolishMessages) {
    if (text == message.text) return message.meaning;
  }
  return nullptr;
}

}  // namespace bridge
