// A notes app on the shell: the notes live in an SQLite database beside the
// app, read and written through the client library as an ES module.
// Started with `pageshell -- --self-test`, it checks the library instead
// and ends the shell.
import "./style.css";
import pageshell, { call, database } from "pageshell";
import { runSelfTest } from "./self_test";

pageshell.buildTag = "vite-demo-1.0";

const notes = database("db/", "notes.sqlite");

function element<T extends HTMLElement>(id: string): T {
  return document.getElementById(id) as T;
}

async function showNotes(): Promise<void> {
  const rows = await notes.queryAsync("SELECT id, body FROM notes ORDER BY id");
  const list = element<HTMLUListElement>("notes");
  list.textContent = "";
  for (const [, body] of rows) {
    const item = document.createElement("li");
    item.textContent = body;
    list.appendChild(item);
  }
}

function start(): void {
  const [, protocol, build] = call("version");
  element("shell").textContent = `pageshell ${build}, protocol ${protocol}`;
  notes.execute("CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, body TEXT NOT NULL)");
  element<HTMLFormElement>("new-note").addEventListener("submit", (event) => {
    event.preventDefault();
    const input = element<HTMLInputElement>("note-text");
    if (input.value.trim() === "") return;
    notes.execute("INSERT INTO notes (body) VALUES (?)", [input.value]);
    input.value = "";
    void showNotes();
  });
  void showNotes();
}

const [, ...shellArguments] = call("getArguments");
if (shellArguments.indexOf("--self-test") >= 0) {
  void runSelfTest();
} else {
  start();
}
