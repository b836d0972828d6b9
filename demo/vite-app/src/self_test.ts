// What the app's end-to-end test looks at: the library, imported as a
// module into a bundle, drives commands and background commands. Each
// failure is logged as "FAIL ...", the end as "DONE <passed> passed,
// <failed> failed", then the shell exits.
import { call, database, receive, ShellError, start } from "pageshell";

let passed = 0;
let failed = 0;

function check(name: string, actual: unknown, expected: unknown): void {
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  if (a === e) {
    passed += 1;
  } else {
    failed += 1;
    call("log", `FAIL ${name}\n  expected: ${e}\n  actual:   ${a}`);
  }
}

function thrown(run: () => unknown): unknown {
  try {
    run();
  } catch (error) {
    return error;
  }
  return null;
}

export async function runSelfTest(): Promise<void> {
  call("log", `bundle: ${import.meta.env.LEGACY ? "legacy" : "modern"}`);
  const global = window as unknown as { WebBrowserUtil_callback: unknown };
  check("the module owns the callback", global.WebBrowserUtil_callback === receive, true);
  check("version", call("version").slice(0, 2), ["OK", "1.0.3.20150320"]);

  const db = database("db/", "selftest.sqlite");
  db.execute("CREATE TABLE notes (body TEXT)");
  check("bound insert", db.execute("INSERT INTO notes VALUES (?)", ["zażółć"]), "1");
  check("query", db.query("SELECT body FROM notes"), [["zażółć"]]);

  call("saveFile", "note.txt", "gęś");
  check("load", call("loadFile", "note.txt"), ["OK", "gęś"]);
  const missing = thrown(() => call("loadFile", "missing.txt"));
  check("a failure throws a ShellError", missing instanceof ShellError, true);

  try {
    const [rowId] = await start("sqliteAsyncExecute", [
      "db/",
      "selftest.sqlite",
      "INSERT INTO notes VALUES ('second')",
    ]);
    check("background execute", rowId, "2");
    check("background query", await db.queryAsync("SELECT count(*) FROM notes"), [["2"]]);
  } catch (error) {
    check("background commands", String(error), "no error");
  }
  call("log", `DONE ${passed} passed, ${failed} failed`);
  call("exit");
}
