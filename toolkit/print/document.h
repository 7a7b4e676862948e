#pragma once

// What the preview does with a document: print it through the "PRINT" dialog,
// save it as a PDF file, send it as a PDF by e-mail. Every failure shows its
// message through dn::messages().

#include "toolkit/print/recording.h"

#include <string>

namespace dn {
class TWindow;
}

namespace dn::print {

// "Stampa documento": the dialog "PRINT" (printer, all pages / the current page /
// pages from..to, copies), then the chosen pages and copies go to the chosen
// printer. currentPage is 1-based. False when cancelled or when printing failed.
bool printWithDialog(const Recording& rec, int currentPage, TWindow* owner = nullptr);

// "Salva come PDF": asks for the file (default name: the document name + ".pdf";
// ".pdf" is appended when missing), asks before overwriting, writes the PDF with
// "Generazione PDF in corso..." shown meanwhile. Returns the path written, or ""
// when cancelled or failed.
std::string savePdfAs(const Recording& rec);

// "Invia PDF per email": the PDF made in the temporary folder under the document
// name, handed to a new message of the mail program, deleted afterwards (when the
// mail program was left running with it: at the end of the program). False when
// the PDF or the message could not be made.
bool mailPdf(const Recording& rec);

// The document name as a file name: characters that file names cannot hold
// become "_"; an empty name becomes "Documento".
std::string fileNameFor(const std::string& docName);

// Deletes the PDF files left for mail programs that were still running; runs at
// the end of the program by itself.
void deleteMailedFiles();

// Messages (Windows-1252).
inline constexpr const char* kMsgPdfWait = "Generazione PDF in corso...";
inline constexpr const char* kMsgPdfError =
    "Si \xE8 verificato un errore durante la creazione del PDF.";
inline constexpr const char* kMsgNoMail =
    "Non \xE8 configurato nessun programma di posta elettronica:;"
    "impossibile inviare il PDF per email.";
inline constexpr const char* kMsgMailFailed =
    "Il programma di posta elettronica non ha potuto creare il messaggio.";
inline constexpr const char* kMsgBadCopies = "Il numero di copie non \xE8 valido.";

} // namespace dn::print
