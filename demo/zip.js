// The zip section: list demo.zip (shipped beside this page), show a member,
// and extract one in the background with a progress bar (data/large.txt
// holds 6 MB).
(function () {
  var section = document.getElementById("zip");
  section.innerHTML = [
    "<h2>Zip</h2>",
    "<label>archive <input id='zip-archive' value='demo.zip' size='30'></label>",
    "<button id='zip-list'>getZipDir</button>",
    "<br>",
    "<label>member <input id='zip-member' value='readme.txt' size='30'></label>",
    "<button id='zip-show'>getZipEntry</button>",
    "<br>",
    "<label>extract to <input id='zip-target' value='extracted.txt' size='30'></label>",
    "<button id='zip-extract'>unzipToFile</button>",
    "<progress id='zip-progress' max='100' value='0'></progress>",
    "<pre class='answer' id='zip-answer'></pre>"
  ].join("\n");

  var ANSWER = "zip-answer";

  function value(id) { return document.getElementById(id).value; }

  // A listed name fills the member field when clicked.
  function showNames(names) {
    var box = document.getElementById(ANSWER);
    box.textContent = "";
    names.forEach(function (name) {
      var line = document.createElement("div");
      line.textContent = name;
      line.style.cursor = "pointer";
      line.addEventListener("click", function () { document.getElementById("zip-member").value = name; });
      box.appendChild(line);
    });
  }

  demo.on("zip-list", function () {
    try {
      showNames(pageshell.call("getZipDir", value("zip-archive")).slice(1));
    } catch (e) {
      demo.show(ANSWER, e);
    }
  });

  // Long members are cut for the page's sake; the answer holds them whole.
  demo.on("zip-show", function () {
    demo.run(ANSWER, function () {
      var content = pageshell.call("getZipEntry", value("zip-archive"), value("zip-member"))[1];
      return content.length > 2000 ? content.slice(0, 2000) + "\n… (" + content.length + " characters)" : content;
    });
  });

  // The target's folder must exist: the shell does not create it.
  demo.on("zip-extract", function () {
    var bar = document.getElementById("zip-progress");
    bar.value = 0;
    demo.show(ANSWER, "extracting in the background…");
    pageshell.start("unzipToFile", [value("zip-archive"), value("zip-member"), value("zip-target")],
                    { progress: function (percent) { bar.value = percent; } })
      .then(function (payload) { demo.show(ANSWER, "extracted " + payload[0] + " to " + value("zip-target")); },
            function (error) { demo.show(ANSWER, error); });
  });
})();
