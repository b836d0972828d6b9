// pageshell.d.ts: the types of the client library (pageshell.js as a
// classic script, pageshell.mjs as an ES module). The commands' part is
// written from the shell's description of its commands; the rest types the
// library's own functions.
//
//   import { call, start, database } from "pageshell";
//   const [, path] = call("saveFile", "notes.txt", text);   // ["OK", string]
//   start("unzipToFile", ["app.zip", "data/app.db", "app.db"])
//     .then(([member]) => ...);

// Written by tools/commandref from bridge/commands.h;
// `cmake --build build --target command_reference_docs` rewrites it.

/** Every command: the arguments after its name and its answer when it is "OK". */
export interface Commands {
  /**
   * Appends a line to this run's log.
   *
   * - message: the line; a number is logged in decimal
   *
   * Answer ["OK"]
   */
  log: {
    arguments: [message?: string];
    answer: ["OK"];
  };
  /**
   * Ends the shell once this answer is delivered; exit listeners are not asked.
   *
   * Answer ["OK"]
   */
  exit: {
    arguments: [];
    answer: ["OK"];
  };
  /**
   * Opens a document, folder or web address, or starts a program, as a double click would.
   *
   * - operation: "open", "" (the same) or "explore"
   * - file: what to open or start
   * - parameters: a program's arguments, split as a shell would
   * - directory: the working folder of what is started; empty: the shell's
   * - showCommand: read and ignored: programs decide how to show themselves
   *
   * Answer ["OK", "R" + code]: above 32: started; 2: no such file; 3: no such directory; 31: no program for it
   */
  shellExecute: {
    arguments: [operation?: string, file?: string, parameters?: string, directory?: string, showCommand?: string | number];
    answer: ["OK", string];
  };
  /**
   * Opens the database (creating its file and one level of folder) and closes it again.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   *
   * Answer ["OK", fileName]
   * @throws ShellError SQLite's message, e.g. "unable to open database file"
   */
  sqliteOpen: {
    arguments: [directory?: string, fileName?: string];
    answer: ["OK", string];
  };
  /**
   * Runs the statements as one transaction on a worker; the asynchronous database commands run one at a time, in the order issued.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - callbackId: the identifier of the record
   * - statements: one statement per element; none: nothing runs
   *
   * Answer ["OK"]
   */
  sqliteAsyncExecute: {
    arguments: [directory?: string, fileName?: string, callbackId?: string, ...statements: string[]];
    answer: ["OK"];
  };
  /**
   * Runs the statements as one transaction: all are saved, or none.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - statements: one statement per element; none: nothing runs
   *
   * Answer ["OK", fileName, lastRowId]: the row id of the batch's last insert, or "0"
   * @throws ShellError SQLite's message, e.g. "no such table: t"
   * @throws ShellError statement batch did not end its transaction; nothing was saved
   * @throws ShellError statement batch may not begin or end a transaction or savepoint; nothing was saved [statement]
   */
  sqliteExecute: {
    arguments: [directory?: string, fileName?: string, ...statements: string[]];
    answer: ["OK", string, string];
  };
  /**
   * Answers and does nothing else: no database is opened, no file read.
   *
   * - directory: read and ignored
   * - fileName: answered as it is
   * - unused1: read and ignored
   * - unused2: read and ignored
   *
   * Answer ["OK", fileName]
   */
  sqliteExecuteFile: {
    arguments: [directory?: string, fileName?: string, unused1?: string, unused2?: string];
    answer: ["OK", string];
  };
  /**
   * Runs a query on a worker and reports its rows; the asynchronous database commands run one at a time, in the order issued.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - callbackId: the identifier of the record
   * - sql: the query
   *
   * Answer ["OK", fileName]
   */
  sqliteAsyncQuery: {
    arguments: [directory?: string, fileName?: string, callbackId?: string, sql?: string];
    answer: ["OK", string];
  };
  /**
   * Runs a query and answers its rows.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - sql: the query
   *
   * Answer ["OK", fileName, columnCount, values...]: the values row by row, NULL as ""; no rows: column count "0"
   * @throws ShellError SQLite's message, e.g. "no such table: t"
   * @throws ShellError sqliteQuery - bad column count [sql]
   */
  sqliteQuery: {
    arguments: [directory?: string, fileName?: string, sql?: string];
    answer: ["OK", string, string, ...string[]];
  };
  /**
   * Runs one statement with values bound to its parameters on a worker; the asynchronous database commands run one at a time, in the order issued.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - callbackId: the identifier of the record
   * - sql: one statement: blanks, comments and semicolons may stand around it, nothing more. Parameters are ?, ?NNN, :name, @name or $name; SQLite numbers them from 1 in order of first appearance, ?NNN taking number NNN
   * - values: the values' JSON, as one string. An array binds parameter 1, 2, ... by number, named ones included; an object binds each parameter by its name as the SQL writes it (":id", "@id", "$id", "?2"); "" binds none. A number without fraction or exponent binds as an integer (past 64 bits as a real), any other as a real; a string as text, null as NULL, true and false as 1 and 0, {"base64": text} (standard alphabet, padded) as a blob of its bytes
   *
   * Answer ["OK"]
   */
  sqliteAsyncExecuteBound: {
    arguments: [directory?: string, fileName?: string, callbackId?: string, sql?: string, values?: string];
    answer: ["OK"];
  };
  /**
   * Runs one statement with values bound to its parameters.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - sql: one statement: blanks, comments and semicolons may stand around it, nothing more. Parameters are ?, ?NNN, :name, @name or $name; SQLite numbers them from 1 in order of first appearance, ?NNN taking number NNN
   * - values: the values' JSON, as one string. An array binds parameter 1, 2, ... by number, named ones included; an object binds each parameter by its name as the SQL writes it (":id", "@id", "$id", "?2"); "" binds none. A number without fraction or exponent binds as an integer (past 64 bits as a real), any other as a real; a string as text, null as NULL, true and false as 1 and 0, {"base64": text} (standard alphabet, padded) as a blob of its bytes
   *
   * Answer ["OK", fileName, lastRowId]: the row id of the last insert, or "0"
   * @throws ShellError SQLite's message, e.g. "no such table: t"
   * @throws ShellError N values for M parameters, e.g. "1 value for 2 parameters": there must be one value for each parameter
   * @throws ShellError no parameter named [name]
   * @throws ShellError one statement only; more follows [rest of the sql]
   * @throws ShellError bound values are not a JSON array or object
   * @throws ShellError cannot bind value [number or name]: not null, a number, a text, true, false or {"base64": text}
   * @throws ShellError cannot bind value [number or name]: not padded base64
   * @throws ShellError statement batch did not end its transaction; nothing was saved
   */
  sqliteExecuteBound: {
    arguments: [directory?: string, fileName?: string, sql?: string, values?: string];
    answer: ["OK", string, string];
  };
  /**
   * Runs one query with values bound to its parameters on a worker and reports its rows; the asynchronous database commands run one at a time, in the order issued.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - callbackId: the identifier of the record
   * - sql: one statement: blanks, comments and semicolons may stand around it, nothing more. Parameters are ?, ?NNN, :name, @name or $name; SQLite numbers them from 1 in order of first appearance, ?NNN taking number NNN
   * - values: the values' JSON, as one string. An array binds parameter 1, 2, ... by number, named ones included; an object binds each parameter by its name as the SQL writes it (":id", "@id", "$id", "?2"); "" binds none. A number without fraction or exponent binds as an integer (past 64 bits as a real), any other as a real; a string as text, null as NULL, true and false as 1 and 0, {"base64": text} (standard alphabet, padded) as a blob of its bytes
   *
   * Answer ["OK", fileName]
   */
  sqliteAsyncQueryBound: {
    arguments: [directory?: string, fileName?: string, callbackId?: string, sql?: string, values?: string];
    answer: ["OK", string];
  };
  /**
   * Runs one query with values bound to its parameters and answers its rows.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - sql: one statement: blanks, comments and semicolons may stand around it, nothing more. Parameters are ?, ?NNN, :name, @name or $name; SQLite numbers them from 1 in order of first appearance, ?NNN taking number NNN
   * - values: the values' JSON, as one string. An array binds parameter 1, 2, ... by number, named ones included; an object binds each parameter by its name as the SQL writes it (":id", "@id", "$id", "?2"); "" binds none. A number without fraction or exponent binds as an integer (past 64 bits as a real), any other as a real; a string as text, null as NULL, true and false as 1 and 0, {"base64": text} (standard alphabet, padded) as a blob of its bytes
   *
   * Answer ["OK", fileName, columnCount, values...]: the values row by row, NULL as ""; no rows: column count "0"; a blob as the base64 of all its bytes (standard alphabet, padded), other values as sqliteQuery answers them
   * @throws ShellError SQLite's message, e.g. "no such table: t"
   * @throws ShellError N values for M parameters, e.g. "1 value for 2 parameters": there must be one value for each parameter
   * @throws ShellError no parameter named [name]
   * @throws ShellError one statement only; more follows [rest of the sql]
   * @throws ShellError bound values are not a JSON array or object
   * @throws ShellError cannot bind value [number or name]: not null, a number, a text, true, false or {"base64": text}
   * @throws ShellError cannot bind value [number or name]: not padded base64
   */
  sqliteQueryBound: {
    arguments: [directory?: string, fileName?: string, sql?: string, values?: string];
    answer: ["OK", string, string, ...string[]];
  };
  /**
   * Runs statements, each with values bound to its parameters, as one transaction on a worker; the asynchronous database commands run one at a time, in the order issued.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - callbackId: the identifier of the record
   * - batch: the batch's JSON, as one string: an array of [sql, values] pairs, run in order on one connection. Each sql is one statement as for sqliteExecuteBound, prepared when its turn comes; its values an array or object read as sqliteExecuteBound reads its values, or their JSON text as a string ("": none). The PRAGMA statements at the head of the batch run before its transaction, so that "PRAGMA foreign_keys = ON" holds for the rest; a PRAGMA further on runs inside it, where some have no effect
   *
   * Answer ["OK"]
   */
  sqliteAsyncExecuteBoundBatch: {
    arguments: [directory?: string, fileName?: string, callbackId?: string, batch?: string];
    answer: ["OK"];
  };
  /**
   * Runs statements, each with values bound to its parameters, as one transaction on one connection: all are saved, or none.
   *
   * - directory: the folder, joined to the file name as it is
   * - fileName: the database file's name
   * - batch: the batch's JSON, as one string: an array of [sql, values] pairs, run in order on one connection. Each sql is one statement as for sqliteExecuteBound, prepared when its turn comes; its values an array or object read as sqliteExecuteBound reads its values, or their JSON text as a string ("": none). The PRAGMA statements at the head of the batch run before its transaction, so that "PRAGMA foreign_keys = ON" holds for the rest; a PRAGMA further on runs inside it, where some have no effect
   *
   * Answer ["OK", fileName, lastRowId]: the row id of the batch's last insert, or "0"
   * @throws ShellError bound batch is not a JSON array of [sql, values] pairs
   * @throws ShellError statement N is not a [sql, values] pair
   * @throws ShellError statement N: message; nothing was saved [sql], the message SQLite's or one of sqliteExecuteBound's, e.g. "statement 2: UNIQUE constraint failed: t.a; nothing was saved [INSERT INTO t VALUES (?)]"
   * @throws ShellError statement N: may not begin or end a transaction or savepoint; nothing was saved [sql]
   * @throws ShellError SQLite's message when the batch cannot be committed, e.g. "FOREIGN KEY constraint failed"
   */
  sqliteExecuteBoundBatch: {
    arguments: [directory?: string, fileName?: string, batch?: string];
    answer: ["OK", string, string];
  };
  /**
   * Answers the path of one of the user's known folders.
   *
   * - folder: the folder number (5 documents, 16 desktop, 40 home, ...); text that is no number is 0; bit 0x8000 creates the folder
   *
   * Answer ["OK", path]
   * @throws ShellError ["ERROR"] alone, for an unknown number or a folder that could not be created
   */
  getKnownPath: {
    arguments: [folder?: string | number];
    answer: ["OK", string];
  };
  /**
   * Sets the window's title.
   *
   * - title: the new title
   *
   * Answer ["OK"]
   */
  setTitle: {
    arguments: [title?: string];
    answer: ["OK"];
  };
  /**
   * Sets the window's state: 1 minimised, 2 maximised, 4 full screen, 8 active.
   *
   * - state: the state bits; text that is no number sets all four
   *
   * Answer ["OK", state]: the state read back from the window
   */
  setWindowState: {
    arguments: [state?: string | number];
    answer: ["OK", string];
  };
  /**
   * Answers the window's state: 1 minimised, 2 maximised, 4 full screen, 8 active.
   *
   * Answer ["OK", state]
   */
  getWindowState: {
    arguments: [];
    answer: ["OK", string];
  };
  /**
   * Downloads a URL over HTTP/1.0, plain or over TLS, into a new file in the temporary folder, following redirects.
   *
   * - callbackId: the identifier of the records; also part of the file name
   * - url: an http:// or https:// address. https: TLS 1.2 or newer, with a certificate for the host name or address that the system's authorities (or SSL_CERT_FILE and SSL_CERT_DIR) vouch for. An answer 301, 302, 303, 307 or 308 with a Location is followed, a relative one read against the URL it answers, up to 5 hops and never from https to http; only the log tells of the hops
   * - extension: the file name's extension, without the dot; optional
   *
   * Answer ["OK", path]: <temporary folder><YYYYMMDD-hhmmss>.<number>.<callbackId>[.<extension>], created empty before the answer; it receives the body of the last hop only
   */
  ajaxToFile: {
    arguments: [callbackId?: string, url?: string, extension?: string];
    answer: ["OK", string];
  };
  /**
   * Extracts one member of a ZIP archive into a file on a worker.
   *
   * - callbackId: the identifier of the records
   * - archive: the ZIP archive
   * - member: the member's name; ASCII letters match in either case
   * - target: the file to write; an existing one keeps its content on failure
   *
   * Answer ["OK", target]
   */
  unzipToFile: {
    arguments: [callbackId?: string, archive?: string, member?: string, target?: string];
    answer: ["OK", string];
  };
  /**
   * Lists the members of a ZIP archive, folders included, in the archive's order.
   *
   * - archive: the ZIP archive
   *
   * Answer ["OK", name, name, ...]
   * @throws ShellError Nie można rozpakować elementu. (Cannot unpack the member: the archive cannot be opened or is no ZIP archive, the member is not in it, or its data cannot be read whole (damaged, a CRC or size that does not match, a compression method or encryption the shell does not read). getZipDir answers it also for an archive without members)
   */
  getZipDir: {
    arguments: [archive?: string];
    answer: ["OK", string, ...string[]];
  };
  /**
   * Answers a member's content up to its first zero byte; the rest is read and its CRC checked.
   *
   * - archive: the ZIP archive
   * - member: the member's name; ASCII letters match in either case
   *
   * Answer ["OK", content]
   * @throws ShellError Nie można rozpakować elementu. (Cannot unpack the member: the archive cannot be opened or is no ZIP archive, the member is not in it, or its data cannot be read whole (damaged, a CRC or size that does not match, a compression method or encryption the shell does not read). getZipDir answers it also for an archive without members)
   * @throws ShellError member too large for an answer [more than 536869888 bytes]
   */
  getZipEntry: {
    arguments: [archive?: string, member?: string];
    answer: ["OK", string];
  };
  /**
   * Answers every byte of a member, as base64, once it is read whole and its CRC checked.
   *
   * - archive: the ZIP archive
   * - member: the member's name; ASCII letters match in either case
   *
   * Answer ["OK", base64]: standard alphabet, padded, no line breaks
   * @throws ShellError Nie można rozpakować elementu. (Cannot unpack the member: the archive cannot be opened or is no ZIP archive, the member is not in it, or its data cannot be read whole (damaged, a CRC or size that does not match, a compression method or encryption the shell does not read). getZipDir answers it also for an archive without members)
   * @throws ShellError member too large for an answer [more than 402652416 bytes]
   */
  getZipEntryBase64: {
    arguments: [archive?: string, member?: string];
    answer: ["OK", string];
  };
  /**
   * Answers and changes nothing: there is no task bar state to set.
   *
   * Answer ["OK"]
   */
  setTaskbarState: {
    arguments: [];
    answer: ["OK"];
  };
  /**
   * Asks the page before the window closes, instead of closing it; replaces any earlier listener.
   *
   * - listener: the identifier of the record [listener, "pass", "run"] delivered when the user closes the window
   *
   * Answer ["OK"]
   */
  addExitListener: {
    arguments: [listener?: string];
    answer: ["OK"];
  };
  /**
   * Lets the window close at once again.
   *
   * Answer ["OK"]
   */
  removeExitListener: {
    arguments: [];
    answer: ["OK"];
  };
  /**
   * Shows a modal print preview of the page itself; answers once it is closed.
   *
   * Answer ["OK"]
   */
  printPreview: {
    arguments: [];
    answer: ["OK"];
  };
  /**
   * Writes a print document as a PDF file, every font at half its point size.
   *
   * - document: the print document's JSON, as one string
   * - directory: the folder of the file
   *
   * Answer ["OK", path]: <directory>/recepta-<yyMMddhhmmss>.pdf, or with -2, -3, ... before ".pdf" when that name is taken
   * @throws ShellError Cannot write [path]: reason
   * @throws ShellError the document reader's message, e.g. "PdfObj::fromJSON"
   */
  generatePdf: {
    arguments: [document?: string, directory?: string];
    answer: ["OK", string];
  };
  /**
   * Shows a modal print preview of a print document; answers once it is closed.
   *
   * - document: the print document's JSON, as one string
   *
   * Answer ["OK"]
   * @throws ShellError the document reader's message, e.g. "PdfObj::fromJSON"
   */
  generatePdfPreview: {
    arguments: [document?: string];
    answer: ["OK"];
  };
  /**
   * Makes the file hold exactly the content's bytes; a failed save leaves the old content whole. A file with several hard links is written in place to keep them together, so a shell killed during that write can leave it part old, part new.
   *
   * - path: the file to write
   * - content: the file's new content
   *
   * Answer ["OK", path]
   * @throws ShellError Cannot save [path]: reason
   */
  saveFile: {
    arguments: [path?: string, content?: string];
    answer: ["OK", string];
  };
  /**
   * Answers every byte of a regular file.
   *
   * - path: the file to read
   *
   * Answer ["OK", content]
   * @throws ShellError Cannot load [path]: reason
   */
  loadFile: {
    arguments: [path?: string];
    answer: ["OK", string];
  };
  /**
   * Answers every byte of a regular file, as base64.
   *
   * - path: the file to read
   *
   * Answer ["OK", base64]: standard alphabet, padded, no line breaks
   * @throws ShellError Cannot load [path]: reason
   */
  loadFileBase64: {
    arguments: [path?: string];
    answer: ["OK", string];
  };
  /**
   * Makes the file hold exactly the bytes the base64 text stands for, as saveFile does.
   *
   * - path: the file to write
   * - base64: standard alphabet, padded, no line breaks or blanks
   *
   * Answer ["OK", path]
   * @throws ShellError Cannot save [path]: not canonical base64 (nothing is written)
   * @throws ShellError Cannot save [path]: reason
   */
  saveFileBase64: {
    arguments: [path?: string, base64?: string];
    answer: ["OK", string];
  };
  /**
   * Answers the entries of a folder in byte order of their names; a link is listed as a link, not followed.
   *
   * - path: the folder
   *
   * Answer ["OK", count, then for each entry: name, kind, size, modified]: kind "file", "folder", "link" or "other"; size in bytes; modified in UTC, e.g. "2026-12-08T14:03:05Z"
   * @throws ShellError Cannot list [path]: reason
   */
  listDirectory: {
    arguments: [path?: string];
    answer: ["OK", string, ...string[]];
  };
  /**
   * Answers what stands at a path, a link seen as itself.
   *
   * - path: the file, folder or link
   *
   * Answer ["OK", kind, size, modified]: as listDirectory answers an entry
   * @throws ShellError Cannot stat [path]: reason, e.g. "No such file or directory"
   */
  statPath: {
    arguments: [path?: string];
    answer: ["OK", string, string, string];
  };
  /**
   * Makes a folder and any missing folders above it; a folder already there is kept.
   *
   * - path: the folder
   *
   * Answer ["OK", path]
   * @throws ShellError Cannot make [path]: reason
   */
  makeDirectory: {
    arguments: [path?: string];
    answer: ["OK", string];
  };
  /**
   * Copies a file, a link or a folder with everything in it; links come across as links, and a copy that fails part way is taken away again.
   *
   * - from: what to copy
   * - to: its new name; nothing may stand there
   *
   * Answer ["OK", to]
   * @throws ShellError Cannot copy [from] to [to]: reason, e.g. "File exists"
   */
  copyPath: {
    arguments: [from?: string, to?: string];
    answer: ["OK", string];
  };
  /**
   * Moves a file, a link or a folder with everything in it; across file systems it copies and removes the original only once the copy is whole.
   *
   * - from: what to move
   * - to: its new name; nothing may stand there
   *
   * Answer ["OK", to]
   * @throws ShellError Cannot move [from] to [to]: reason, e.g. "File exists"
   */
  movePath: {
    arguments: [from?: string, to?: string];
    answer: ["OK", string];
  };
  /**
   * Removes a file, a link (never what it points to) or an empty folder; a folder with content only when asked to go deep, links inside never followed.
   *
   * - path: what to remove
   * - depth: "deep" or ""
   *
   * Answer ["OK", path]
   * @throws ShellError Cannot remove [path]: reason, e.g. "Directory not empty"
   * @throws ShellError Cannot remove [path]: depth is "deep" or ""
   */
  removePath: {
    arguments: [path?: string, depth?: string];
    answer: ["OK", string];
  };
  /**
   * Answers the arguments given to the shell after its own options and a "--".
   *
   * Answer ["OK", arguments...]: as given; none without a "--"
   */
  getArguments: {
    arguments: [];
    answer: ["OK", ...string[]];
  };
  /**
   * Answers where the window's content is on the screen, its size and its state.
   *
   * Answer ["OK", x, y, width, height, state]: state as getWindowState answers it
   */
  getWindowGeometry: {
    arguments: [];
    answer: ["OK", string, string, string, string, string];
  };
  /**
   * Moves and resizes the window's content, kept within the screen's available area.
   *
   * - x: the left edge
   * - y: the top edge
   * - width: the width, above 0
   * - height: the height, above 0
   *
   * Answer ["OK"]
   * @throws ShellError [name] is not a number: [text]
   * @throws ShellError [name] must be above 0
   */
  setWindowGeometry: {
    arguments: [x?: string | number, y?: string | number, width?: string | number, height?: string | number];
    answer: ["OK"];
  };
  /**
   * Lets the user choose a file to open.
   *
   * - caption: the dialog's title
   * - filter: Qt's filter syntax, e.g. "Text (*.txt);;All (*)"
   * - folder: where the dialog starts; missing or "": the working folder
   *
   * Answer ["OK", file]: the chosen file, or "" when cancelled
   */
  showFileDialog: {
    arguments: [caption?: string, filter?: string, folder?: string];
    answer: ["OK", string];
  };
  /**
   * Lets the user choose a folder.
   *
   * - caption: the dialog's title
   * - folder: where the dialog starts; missing or "": the working folder
   *
   * Answer ["OK", folder]: the chosen folder, or "" when cancelled
   */
  showDirectoryDialog: {
    arguments: [caption?: string, folder?: string];
    answer: ["OK", string];
  };
  /**
   * Lets the user choose a file to save to; picking an existing file asks first whether to replace it.
   *
   * - caption: the dialog's title
   * - filter: Qt's filter syntax, e.g. "Text (*.txt);;All (*)"
   * - suggested: the file or folder the dialog starts with; "": the working folder
   *
   * Answer ["OK", file]: the chosen file, or "" when cancelled
   */
  showSaveDialog: {
    arguments: [caption?: string, filter?: string, suggested?: string];
    answer: ["OK", string];
  };
  /**
   * Sends data over a plain TCP connection and reports everything the peer answers until it closes the connection.
   *
   * - callbackId: the identifier of the records
   * - host: the peer's name or address
   * - port: 1 to 65534
   * - data: sent byte for byte
   * - options: comma-separated: "base64" encodes the body part, "timeout=<s>" limits each wait (10), "encoding=<name>" must be "" or "utf-8"
   *
   * Answer ["OK", callbackId]
   * @throws ShellError Port poza zakresem [port]. (Port out of range: the port is not a number from 1 to 65534)
   * @throws ShellError Nie można się połaczyć [host/port]. (Cannot connect: the host name does not resolve, or the peer refused the connection or did not accept it in time)
   * @throws ShellError Problem podczas wysyłania danych [host/port]. (Problem while sending the data: the connection broke, or a wait ran out, before all of it was sent)
   * @throws ShellError Problem podczas czytania odpowiedzi [host/port]. (Problem while reading the answer: the peer closed without answering, the answer was too large for its record or came too slowly, or the options asked for an encoding other than utf-8)
   */
  tcpPush: {
    arguments: [callbackId?: string, host?: string, port?: string | number, data?: string, options?: string];
    answer: ["OK", string];
  };
  /**
   * Answers the protocol version and the shell's build tag.
   *
   * Answer ["OK", "1.0.3.20150320", "-quendrix-vabt.20150223"]
   */
  version: {
    arguments: [];
    answer: ["OK", "1.0.3.20150320", "-quendrix-vabt.20150223"];
  };
}

/**
 * The background commands: the arguments start() takes (it puts in the callback
 * identifier), what its Promise gives and every record the command sends.
 */
export interface BackgroundCommands {
  sqliteAsyncExecute: {
    arguments: [directory?: string, fileName?: string, ...statements: string[]];
    payload: [string];
    records:
      | [string, "pass", "execute", "OK", string]
      | [string, "pass", "execute", "ERROR", string];
  };
  sqliteAsyncQuery: {
    arguments: [directory?: string, fileName?: string, sql?: string];
    payload: [string, ...string[]];
    records:
      | [string, "pass", "query", "OK", string, ...string[]]
      | [string, "pass", "query", "ERROR", string];
  };
  sqliteAsyncExecuteBound: {
    arguments: [directory?: string, fileName?: string, sql?: string, values?: string];
    payload: [string];
    records:
      | [string, "pass", "execute", "OK", string]
      | [string, "pass", "execute", "ERROR", string];
  };
  sqliteAsyncQueryBound: {
    arguments: [directory?: string, fileName?: string, sql?: string, values?: string];
    payload: [string, ...string[]];
    records:
      | [string, "pass", "query", "OK", string, ...string[]]
      | [string, "pass", "query", "ERROR", string];
  };
  sqliteAsyncExecuteBoundBatch: {
    arguments: [directory?: string, fileName?: string, batch?: string];
    payload: [string];
    records:
      | [string, "pass", "execute", "OK", string]
      | [string, "pass", "execute", "ERROR", string];
  };
  ajaxToFile: {
    arguments: [url?: string, extension?: string];
    payload: [string];
    records:
      | [string, "pass", "progress", "0"]
      | [string, "pass", "progress", string]
      | [string, "pass", "progress", "100"]
      | [string, "pass", "finish", string]
      | [string, "pass", "error", string];
  };
  unzipToFile: {
    arguments: [archive?: string, member?: string, target?: string];
    payload: [string];
    records:
      | [string, "pass", "progress", "0"]
      | [string, "pass", "error", "Nie można rozpakować elementu."]
      | [string, "pass", "progress", "50"]
      | [string, "pass", "error", "Nie można zapisać elementu."]
      | [string, "pass", "progress", "100"]
      | [string, "pass", "finish", string];
  };
  tcpPush: {
    arguments: [host?: string, port?: string | number, data?: string, options?: string];
    payload: [string, string];
    records:
      | [string, "pass", "progress", "0"]
      | [string, "pass", "progress", "100"]
      | [string, "pass", "finish", string, string]
      | [string, "pass", "error", string];
  };
}
// End of the part written by tools/commandref.

/** The name of any command, and of a background command. */
export type CommandName = keyof Commands;
export type BackgroundCommandName = keyof BackgroundCommands;

/** A callback record: [callback identifier, "pass", event, values...]. */
export type CallbackRecord = [string, "pass", string, ...string[]];

/** What the shell answered: "ERROR" or "BADVERSION" and the message. */
export interface ShellError extends Error {
  name: "ShellError";
  status: "ERROR" | "BADVERSION";
  answer: string[];
}
export const ShellError: {
  new (answer: string[]): ShellError;
  prototype: ShellError;
};

export interface StartOptions {
  /** Receives each "progress" record's percent. */
  progress?: (percent: number) => void;
}

/** The request protocol version the library sends. */
export const PROTOCOL_VERSION: "1.0.3.20150320";

/**
 * Sends one request and answers it when it is "OK"; throws a ShellError
 * when the shell answers "ERROR" or "BADVERSION".
 */
export function call<K extends CommandName>(
  name: K,
  ...args: Commands[K]["arguments"]
): Commands[K]["answer"];

/**
 * Starts a background command; the library puts in the callback identifier.
 * The Promise settles on the command's last record: it gives the payload,
 * or rejects with a ShellError.
 */
export function start<K extends BackgroundCommandName>(
  name: K,
  args?: BackgroundCommands[K]["arguments"],
  options?: StartOptions
): Promise<BackgroundCommands[K]["payload"]>;

/** handler() runs when the user closes the window; send "exit" to close it. */
export function onExit(handler: () => void): void;
export function clearExitHandlers(): void;

/** A query answer's flat values as rows of `columns` values. */
export function rows(columns: string | number, values: string[]): string[][];

/** A value bound to a statement's parameter. */
export type BoundValue = string | number | boolean | null | Uint8Array | ArrayBuffer;
/** Values by number (an array) or by name as the SQL writes it (":id"). */
export type BoundValues = BoundValue[] | { [name: string]: BoundValue };
/** One statement of a batch with its values. */
export type BoundStatement = [sql: string, values?: BoundValues];

export interface Database {
  readonly directory: string;
  readonly fileName: string;
  /** Rows of texts, NULL as "", a blob as the base64 of its bytes. */
  query(sql: string, values?: BoundValues): string[][];
  /** The row id of the last insert, or "0". */
  execute(sql: string, values?: BoundValues): string;
  queryAsync(sql: string, values?: BoundValues): Promise<string[][]>;
  executeAsync(sql: string, values?: BoundValues): Promise<string>;
  /**
   * Runs the statements as one transaction, the PRAGMA statements at their
   * head before it; the row id of the last insert, or "0".
   */
  executeBatch(statements: BoundStatement[]): string;
  executeBatchAsync(statements: BoundStatement[]): Promise<string>;
}
/** The database `fileName` in `directory` (joined as they are: "db/"). */
export function database(directory: string, fileName: string): Database;

/** Downloads `url` into a new temporary file; the Promise gives its path. */
export function download(
  url: string,
  extension?: string,
  onPercent?: (percent: number) => void
): Promise<string>;

/** Sends `data` to host:port; gives the answer split at its first blank line. */
export function tcpPush(
  host: string,
  port: string | number,
  data: string,
  options?: string,
  onPercent?: (percent: number) => void
): Promise<{ header: string; body: string }>;

export interface FontOptions {
  bold?: boolean;
  /** An SVG colour name or "#rrggbb"; black. */
  color?: string;
}
export interface Font {
  fontFamily: string;
  fontSize: string;
  fontWeight: { type: number; value: number };
  color: string;
}
export interface LineOptions {
  /** Millimetres; 0.3. */
  width?: number;
  color?: string;
  dash?: boolean;
}
/** A print document; lengths in millimetres from the page's top-left corner. */
export interface PrintDocument {
  /** The next items go on a new page. */
  page(): PrintDocument;
  text(x: number, y: number, value: string | number, font?: Font): PrintDocument;
  rectText(
    x: number,
    y: number,
    width: number,
    height: number,
    value: string | number,
    font?: Font
  ): PrintDocument;
  line(x1: number, y1: number, x2: number, y2: number, options?: LineOptions): PrintDocument;
  rect(x: number, y: number, width: number, height: number, color?: string): PrintDocument;
  /** The document as the text the print commands take. */
  json(): string;
  /** A modal preview; returns when the user closes it. */
  preview(): void;
  /** Writes a PDF file into `directory` and returns its path. */
  writePdf(directory: string): string;
}
export const print: {
  /** A document on paper of `width` × `height` millimetres. */
  document(width: number, height: number): PrintDocument;
  font(family: string, points: number, options?: FontOptions): Font;
};

/** Routes one callback record; the library installs it as WebBrowserUtil_callback. */
export function receive(record: CallbackRecord | string[]): void;

export interface Pageshell {
  PROTOCOL_VERSION: typeof PROTOCOL_VERSION;
  /** The page build tag written to the shell's log with each request. */
  buildTag: string;
  ShellError: typeof ShellError;
  call: typeof call;
  start: typeof start;
  onExit: typeof onExit;
  clearExitHandlers: typeof clearExitHandlers;
  rows: typeof rows;
  database: typeof database;
  download: typeof download;
  tcpPush: typeof tcpPush;
  print: typeof print;
  receive: typeof receive;
  /** Gets each record no started command waits for. */
  onUnrouted: ((record: string[]) => void) | null;
}

declare const pageshell: Pageshell;
export default pageshell;
