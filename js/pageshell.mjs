// pageshell.mjs: the client library as an ES module, for apps a bundler
// builds. The code is pageshell.js itself, run once for its effects: it
// takes over WebBrowserUtil_callback and leaves the library on the global
// object, whence this module exports it.
//
//   import pageshell, { call, start, database } from "pageshell";
import "./pageshell.js";

const pageshell = (typeof globalThis !== "undefined" ? globalThis : window).pageshell;

export default pageshell;
export const {
  PROTOCOL_VERSION,
  ShellError,
  call,
  start,
  onExit,
  clearExitHandlers,
  rows,
  database,
  download,
  tcpPush,
  print,
  receive
} = pageshell;
