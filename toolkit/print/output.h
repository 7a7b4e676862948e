#pragma once

// Sending a recording to a printer and writing it as a PDF file.

#include "toolkit/print/recording.h"

#include <string>

class QIODevice;

namespace dn::print {

struct PrintRequest {
    std::string printerName;
    // Pages from..to (1-based, inclusive); to = 0 means the last page.
    int from = 1;
    int to = 0;
    int copies = 1;
};

// Prints the pages, each copy in page order, with the page-counting wait box.
// Every failure (no printer installed, a printer that cannot be opened or that
// reports an error, a range outside the document) shows its message and returns
// false.
bool printRecording(const Recording& rec, const PrintRequest& r);

// Writes rec as a PDF document to out (open for writing). False when the writer
// failed.
bool writePdf(const Recording& rec, QIODevice& out);
// Writes rec as the PDF file path, replacing it only once the whole document was
// written: when writing fails, an existing file stays as it was and no partial
// file is left. Shows no message.
bool savePdfFile(const Recording& rec, const std::string& path);

// Messages (Windows-1252).
inline constexpr const char* kMsgNoPrinter =
    "Non \xE8 installata nessuna stampante: impossibile stampare.;;"
    "Il documento pu\xF2 essere salvato come PDF.";
inline constexpr const char* kMsgPrinterUnavailable =
    "La stampante \"%s\" non \xE8 disponibile: impossibile stampare.";
inline constexpr const char* kMsgPrintFailed =
    "Si \xE8 verificato un errore durante la stampa su \"%s\".";
inline constexpr const char* kMsgBadRange = "Le pagine da stampare non sono valide.";

} // namespace dn::print
