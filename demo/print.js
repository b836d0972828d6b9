// The print section: an invoice built in script, previewed on screen and
// written as a PDF file, and a print preview of this page itself.
(function () {
  var section = document.getElementById("print");
  section.innerHTML = [
    "<h2>Print</h2>",
    "<h3>Invoice</h3>",
    "<label>Buyer <input id='invoice-buyer' size='40' value='Zakład Stolarski „Dąb” Sp. z o.o.'></label><br>",
    "<label>Items (name; quantity; net unit price), one a line</label>",
    "<textarea id='invoice-items'>Stół dębowy 180 × 90; 1; 2450.00\n" +
      "Krzesło tapicerowane; 6; 385.50\nLakier bezbarwny 5 l; 2; 129.99</textarea>",
    "<button id='invoice-preview'>generatePdfPreview</button>",
    "<input id='invoice-folder' size='40'>",
    "<button id='invoice-choose'>choose a folder…</button>",
    "<button id='invoice-pdf'>generatePdf</button>",
    "<pre class='answer' id='invoice-answer'></pre>",
    "<h3>This page</h3>",
    "<button id='page-preview'>printPreview</button>",
    "<pre class='answer' id='page-answer'></pre>"
  ].join("\n");

  var P = pageshell.print;
  var SANS = "DejaVu Sans";
  var VAT = 0.23;

  function money(value) { return value.toFixed(2).replace(".", ",") + " zł"; }

  function items() {
    return document.getElementById("invoice-items").value.split("\n").filter(function (line) {
      return line.trim() !== "";
    }).map(function (line) {
      var parts = line.split(";");
      return { name: parts[0].trim(), quantity: Number(parts[1]), price: Number(parts[2]) };
    });
  }

  // An A4 invoice. Fonts are given at their preview size; PDF files print
  // them at half that size, so they are chosen large.
  function invoice() {
    var doc = P.document(210, 297);
    var title = P.font(SANS, 32, { bold: true, color: "#1d2330" });
    var label = P.font(SANS, 18, { bold: true, color: "#5a6275" });
    var body = P.font(SANS, 18);
    var bold = P.font(SANS, 18, { bold: true });

    doc.text(20, 30, "Faktura VAT nr 17/2025", title);
    doc.text(20, 38, "Data wystawienia: " + new Date().toISOString().slice(0, 10), body);
    doc.rectText(20, 48, 80, 30, "Sprzedawca\nPracownia pageshell\nul. Długa 5, 00-950 Warszawa", body);
    doc.rectText(115, 48, 75, 30, "Nabywca\n" + document.getElementById("invoice-buyer").value, body);

    var columns = [20, 110, 135, 160, 190];
    var headers = ["Nazwa", "Ilość", "Cena netto", "Wartość"];
    // Rectangles are painted after the lines and plain texts of their page,
    // and wrapped texts after the rectangles: the header's labels are boxes.
    doc.rect(20, 84, 170, 8, "#e4e7ee");
    headers.forEach(function (header, i) {
      doc.rectText(columns[i] + 2, 85.5, columns[i + 1] - columns[i] - 2, 6, header, label);
    });

    var y = 92;
    var net = 0;
    items().forEach(function (item) {
      var value = item.quantity * item.price;
      net += value;
      doc.rectText(columns[0] + 2, y + 1.5, 86, 10, item.name, body);
      doc.text(columns[1] + 2, y + 6, String(item.quantity), body);
      doc.text(columns[2] + 2, y + 6, money(item.price), body);
      doc.text(columns[3] + 2, y + 6, money(value), body);
      y += 9;
      doc.line(20, y, 190, y, { width: 0.2, color: "#b9bfcc" });
    });
    columns.forEach(function (x) { doc.line(x, 84, x, y, { width: 0.2, color: "#b9bfcc" }); });

    doc.text(120, y + 10, "Netto: " + money(net), body);
    doc.text(120, y + 17, "VAT 23%: " + money(net * VAT), body);
    doc.line(120, y + 20, 190, y + 20, { width: 0.4 });
    doc.text(120, y + 27, "Do zapłaty: " + money(net * (1 + VAT)), bold);
    doc.line(20, 270, 190, 270, { width: 0.2, dash: true, color: "#5a6275" });
    doc.text(20, 276, "Dziękujemy za zakupy.", P.font(SANS, 16, { color: "#5a6275" }));
    return doc;
  }

  var documents = demo.payload("getKnownPath", [5]);
  document.getElementById("invoice-folder").value = documents ? documents[0] : ".";

  demo.on("invoice-preview", function () {
    demo.run("invoice-answer", function () {
      invoice().preview();
      return "preview closed";
    });
  });
  demo.on("invoice-choose", function () {
    var chosen = demo.payload("showDirectoryDialog", ["Folder for the invoice"]);
    if (chosen && chosen[0]) document.getElementById("invoice-folder").value = chosen[0];
  });
  demo.on("invoice-pdf", function () {
    demo.run("invoice-answer", function () {
      return "written: " + invoice().writePdf(document.getElementById("invoice-folder").value);
    });
  });
  demo.on("page-preview", function () {
    demo.run("page-answer", function () { return pageshell.call("printPreview"); });
  });
})();
