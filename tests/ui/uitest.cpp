#include "tests/ui/uitest.h"

#include "common/ui/valid.h"
#include "tests/support/test_dialogs.h"
#include "toolkit/controls.h"
#include "toolkit/get.h"

namespace dn::test {

namespace {

GetOptions named(const std::string& name, Block change, const std::string& picture = {}) {
    GetOptions o;
    o.varName = name;
    o.change = std::move(change);
    o.picture = picture;
    return o;
}

} // namespace

PlainDialog::PlainDialog() {
    guiApp();
    registerTestDialogs();
    dlg = std::make_unique<TDialog>("PROVA");
    TDialog& d = *dlg;
    const Block modified = [&d] { d.lModify = true; };
    gNome = TGet::Redefine(101, bindVar(nome), d, named("nome", modified));
    gDat = TGet::Redefine(102, bindVar(dat1), d, named("dat1", modified));
    gNum = TGet::Redefine(103, bindVar(nNum), d, named("nNum", modified, "99.9"));
    DataOptions co;
    co.varName = "cMese";
    co.change = modified;
    cbMese = TComboBox::Redefine(107, bindVar(cMese), {"Gennaio", "Febbraio", "Marzo"}, d, co);
    TSay::Redefine(111, {}, d);
    ui::bindConfirmCancel(d);
}

FolderDialog::FolderDialog() {
    guiApp();
    registerTestDialogs();
    dlg = std::make_unique<TDialog>("CARTELLA");
    TDialog& d = *dlg;
    folder = TFolder::Redefine(110, d);
    TDialog& p1 = *folder->aDialogs[0];
    TDialog& p2 = *folder->aDialogs[1];
    gNome = TGet::Redefine(101, bindVar(cNome), p1, named("cNome", [&p1] { p1.lModify = true; }));
    gData = TGet::Redefine(101, bindVar(dData), p2, named("dData", [&p2] { p2.lModify = true; }));
    gAnno = TGet::Redefine(102, bindVar(cAnno), p2, named("cAnno", [&p2] { p2.lModify = true; }));
    ui::bindConfirmCancel(d);
}

} // namespace dn::test
