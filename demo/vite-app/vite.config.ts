// The app built for each of the shell's engines. Pages are file: documents,
// so every asset is addressed relative to index.html.
//   vite build                 for WebEngine: Debian 12's Chromium 102 (for
//                              Debian 13 alone, chrome122)
//   vite build --mode webkit   for QtWebKit, which knows no modules: a
//                              `nomodule` bundle down to Safari 10 syntax
//                              with the polyfills its code needs
// One build cannot serve both from file: pages: there the legacy plugin's
// check for a modern browser fails, and Chromium would run both bundles.
import { defineConfig } from "vite";
import legacy from "@vitejs/plugin-legacy";

export default defineConfig(({ mode }) =>
  mode === "webkit"
    ? {
        base: "./",
        build: { cssTarget: "safari10" },
        plugins: [legacy({ targets: ["safari >= 10"], renderModernChunks: false })],
      }
    : {
        base: "./",
        build: { target: "chrome102" },
      },
);
