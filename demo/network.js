// The network section: a download into the temporary folder with a progress
// bar, and a raw TCP exchange whose answer is shown as header and body.
(function () {
  var section = document.getElementById("network");
  section.innerHTML = [
    "<h2>Network</h2>",
    "<label>URL <input id='net-url' value='http://127.0.0.1:8000/' size='40'></label>",
    "<label>extension <input id='net-extension' value='html' size='6'></label>",
    "<button id='net-download'>ajaxToFile</button>",
    "<br><progress id='net-progress' max='100' value='0'></progress> <span id='net-percent'></span>",
    "<pre class='answer' id='net-download-answer'></pre>",
    "<label>host <input id='net-host' value='127.0.0.1' size='16'></label>",
    "<label>port <input id='net-port' value='7000' size='6'></label>",
    "<label>options <input id='net-options' value='timeout=5' size='20'></label>",
    "<br><textarea id='net-data'>HELLO\n</textarea>",
    "<button id='net-push'>tcpPush</button>",
    "<p>Header part:</p><pre class='answer' id='net-header'></pre>",
    "<p>Body part:</p><pre class='answer' id='net-body'></pre>"
  ].join("\n");

  function value(id) { return document.getElementById(id).value; }

  // The shell may report more than 100 while a body outgrows its announced
  // length; the bar stops at full.
  function showPercent(percent) {
    document.getElementById("net-progress").value = Math.min(percent, 100);
    document.getElementById("net-percent").textContent = percent + " %";
  }

  demo.on("net-download", function () {
    showPercent(0);
    demo.show("net-download-answer", "downloading…");
    pageshell.download(value("net-url"), value("net-extension"), showPercent).then(
      function (path) { demo.show("net-download-answer", "saved as " + path); },
      function (error) { demo.show("net-download-answer", error); });
  });

  demo.on("net-push", function () {
    demo.show("net-header", "waiting for the peer to close the connection…");
    demo.show("net-body", "");
    pageshell.tcpPush(value("net-host"), value("net-port"), value("net-data"), value("net-options")).then(
      function (answer) {
        document.getElementById("net-header").textContent = answer.header;
        document.getElementById("net-body").textContent = answer.body;
      },
      function (error) { demo.show("net-header", error); });
  });
})();
