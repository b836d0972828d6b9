// The desktop section: a notes pad, known folders, the window, the dialogs,
// opening folders and asking before the window closes.
(function () {
  var section = document.getElementById("desktop");
  section.innerHTML = [
    "<h2>Desktop</h2>",
    "<h3>Notes pad</h3>",
    "<input id='notes-path' size='60'>",
    "<button id='notes-save'>saveFile</button>",
    "<button id='notes-load'>loadFile</button>",
    "<button id='notes-pick'>pick a file…</button>",
    "<textarea id='notes-text'></textarea>",
    "<pre class='answer' id='notes-answer'></pre>",

    "<h3>Known folders</h3>",
    "<select id='folder-number'></select>",
    "<label><input type='checkbox' id='folder-create'> create if missing</label>",
    "<button id='folder-get'>getKnownPath</button>",
    "<pre class='answer' id='folder-answer'></pre>",

    "<h3>Window</h3>",
    "<input id='window-title' value='pageshell demo'>",
    "<button id='window-set-title'>setTitle</button>",
    "<button id='window-toggle'>maximise</button>",
    "<button id='window-get-state'>getWindowState</button>",
    "<pre class='answer' id='window-answer'></pre>",

    "<h3>Folders and programs</h3>",
    "<input id='open-folder' size='60'>",
    "<button id='open-choose'>choose a folder…</button>",
    "<button id='open-open'>open it</button>",
    "<pre class='answer' id='open-answer'></pre>",

    "<h3>Closing the window</h3>",
    "<label><input type='checkbox' id='exit-ask'> ask before closing</label>",
    "<div id='exit-banner' hidden>",
    "  The window is about to close.",
    "  <button id='exit-save'>save the notes and quit</button>",
    "  <button id='exit-quit'>quit without saving</button>",
    "  <button id='exit-stay'>stay</button>",
    "</div>",
    "<pre class='answer' id='exit-answer'></pre>"
  ].join("\n");

  function value(id) { return document.getElementById(id).value; }
  function setValue(id, text) { document.getElementById(id).value = text; }

  // Notes pad: the documents folder is the natural home for notes, so it is
  // created (flag 0x8000) when the user has none yet.
  var documents = demo.payload("getKnownPath", [5 | 0x8000]);
  setValue("notes-path", (documents ? documents[0] : ".") + "/pageshell-notes.txt");

  function saveNotes() {
    return pageshell.call("saveFile", value("notes-path"), value("notes-text"));
  }
  demo.on("notes-save", function () { demo.run("notes-answer", saveNotes); });
  demo.on("notes-load", function () {
    demo.run("notes-answer", function () {
      var answer = pageshell.call("loadFile", value("notes-path"));
      setValue("notes-text", answer[1]);
      return ["OK", answer[1].length + " characters"];
    });
  });
  demo.on("notes-pick", function () {
    demo.run("notes-answer", function () {
      var answer = pageshell.call("showFileDialog", "Open notes", "Text files (*.txt);;All files (*)");
      if (answer[1]) setValue("notes-path", answer[1]);
      return answer;
    });
  });

  // Known folders, by the numbers pages use.
  var folders = [
    [0, "desktop"], [5, "documents"], [7, "start-up"], [8, "recent"], [13, "music"],
    [14, "videos"], [20, "fonts"], [21, "templates"], [26, "application data"],
    [28, "local application data"], [32, "cache"], [35, "common application data"],
    [38, "program files"], [39, "pictures"], [40, "profile"], [1, "an unknown number"]
  ];
  var select = document.getElementById("folder-number");
  folders.forEach(function (folder) {
    var option = document.createElement("option");
    option.value = folder[0];
    option.textContent = folder[0] + " " + folder[1];
    select.appendChild(option);
  });
  demo.on("folder-get", function () {
    var create = document.getElementById("folder-create").checked ? 0x8000 : 0;
    demo.run("folder-answer", function () {
      return pageshell.call("getKnownPath", Number(select.value) | create);
    });
  });

  // Window: bit 2 of the state is "maximised".
  var MAXIMISED = 2;
  function showToggle(state) {
    document.getElementById("window-toggle").textContent =
        state & MAXIMISED ? "back to normal" : "maximise";
  }
  demo.on("window-set-title", function () {
    demo.run("window-answer", function () { return pageshell.call("setTitle", value("window-title")); });
  });
  demo.on("window-toggle", function () {
    demo.run("window-answer", function () {
      var state = Number(pageshell.call("getWindowState")[1]);
      var answer = pageshell.call("setWindowState", state & MAXIMISED ? 0 : MAXIMISED);
      showToggle(Number(answer[1]));
      return answer;
    });
  });
  demo.on("window-get-state", function () {
    demo.run("window-answer", function () {
      var answer = pageshell.call("getWindowState");
      showToggle(Number(answer[1]));
      return answer;
    });
  });

  // Folders: "R" + a number above 32 means the desktop took it.
  setValue("open-folder", documents ? documents[0] : "");
  demo.on("open-choose", function () {
    demo.run("open-answer", function () {
      var answer = pageshell.call("showDirectoryDialog", "Choose a folder");
      if (answer[1]) setValue("open-folder", answer[1]);
      return answer;
    });
  });
  demo.on("open-open", function () {
    demo.run("open-answer", function () {
      return pageshell.call("shellExecute", "open", value("open-folder"), "", "", 1);
    });
  });

  // Closing: with a listener the window stays open and the page decides.
  var banner = document.getElementById("exit-banner");
  function askBeforeClosing() {
    banner.hidden = false;
    demo.show("exit-answer", "The user tried to close the window.");
  }
  document.getElementById("exit-ask").addEventListener("change", function (event) {
    demo.run("exit-answer", function () {
      if (event.target.checked) {
        pageshell.onExit(askBeforeClosing);
        return "Closing the window now asks first.";
      }
      pageshell.clearExitHandlers();
      return "Closing the window closes it.";
    });
  });
  demo.on("exit-save", function () {
    demo.run("exit-answer", function () {
      saveNotes();
      return pageshell.call("exit");
    });
  });
  demo.on("exit-quit", function () {
    demo.run("exit-answer", function () { return pageshell.call("exit"); });
  });
  demo.on("exit-stay", function () {
    banner.hidden = true;
    demo.show("exit-answer", "Still here.");
  });
})();
