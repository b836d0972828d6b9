// The print commands: a print preview of the page itself, a print preview of
// a print document, and a print document written as a PDF file.
//
// Their arguments, answers and failures are described in bridge/commands.h.
// All run synchronously on the GUI thread inside dispatch; a preview runs
// its dialog's event loop and answers ["OK"] once the user closes it. The
// print document arrives as JSON text (print/pdf_types.h) and is drawn by
// the window's renderer (ShellWindow::pdfRenderer). A document that cannot
// be read, or a number in it that is not a decimal number, throws the
// reader's failure before any dialog opens or any file is started, and the
// renderer is left empty; dispatch answers it as ["ERROR", message].
#pragma once

#include <QDateTime>
#include <QString>

#include "bridge/command_calls.h"

namespace bridge::print {

// The routine behind printPreview, shared with the window's debug menu:
// a modal preview of the page, parented to the window.
void previewPage(ShellWindow& window);

// The path generatePdf first tries for a file made at `when`: the directory
// as given (an empty one names the root folder), "/", and the file name.
QString pdfPath(const QString& directory, const QDateTime& when);

}  // namespace bridge::print
