#pragma once

// Dialogs the dialog-helper tests build, with the program's conventions: 201
// confirms (Cargo 1, result 1), 202 cancels (Cargo 2, result 2), change handlers
// set the dialog's (or page's) lModify.

#include "common/util/date.h"
#include "tests/support/gui.h"
#include "toolkit/folder.h"

#include <memory>
#include <string>

namespace dn::test {

// PROVA (tests/support/test_dialogs.h): "nome" (text, 101), "dat1" (date, 102),
// "nNum" (number "99.9", 103), "cMese" (drop-down list of three months, 107), the
// label 111, 201 and 202.
struct PlainDialog {
    PlainDialog();
    std::unique_ptr<TDialog> dlg;
    std::string nome = "Rossi     ";
    Date dat1 = Date::fromYmd(2024, 3, 5);
    double nNum = 12;
    std::string cMese = "Febbraio";
    TGet* gNome = nullptr;
    TGet* gDat = nullptr;
    TGet* gNum = nullptr;
    TComboBox* cbMese = nullptr;
};

// CARTELLA: folder 110 with page 1 "cNome" (text, 101) and page 2 "dData" (date,
// 101) and "cAnno" (text, 102); 201 and 202. Page edits set the page's lModify.
struct FolderDialog {
    FolderDialog();
    std::unique_ptr<TDialog> dlg;
    TFolder* folder = nullptr;
    std::string cNome = "Bianchi   ";
    Date dData = Date::fromYmd(2024, 1, 31);
    std::string cAnno = "2024";
    TGet* gNome = nullptr;
    TGet* gData = nullptr;
    TGet* gAnno = nullptr;
};

} // namespace dn::test
