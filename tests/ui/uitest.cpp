#include "tests/ui/uitest.h"

#include "common/ui/valid.h"
#include "toolkit/controls.h"
#include "toolkit/get.h"

namespace dn::test {

void registerUiTemplates() {
    static bool done = false;
    if (done)
        return;
    done = true;
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "UIPROVA", "caption": "Prova",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 200, "height": 110,
      "style": ["popup", "caption", "sysmenu", "modalframe"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 60, "y": 10, "width": 60, "height": 13},
        {"id": 102, "kind": "edit", "x": 60, "y": 28, "width": 45, "height": 13},
        {"id": 103, "kind": "edit", "x": 60, "y": 46, "width": 30, "height": 13, "style": ["number"]},
        {"id": 104, "kind": "combobox", "x": 60, "y": 64, "width": 60, "height": 60},
        {"id": 105, "kind": "label", "text": "Nome:", "x": 10, "y": 11, "width": 45, "height": 10},
        {"id": 201, "kind": "button", "text": "&Conferma", "x": 10, "y": 88, "width": 40, "height": 15, "style": ["default"]},
        {"id": 202, "kind": "button", "text": "&Annulla", "x": 55, "y": 88, "width": 40, "height": 15}
      ]})",
                                           "UIPROVA"));
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "UICARTELLA", "caption": "Cartella",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 200, "height": 150,
      "style": ["popup", "caption", "sysmenu", "modalframe"],
      "controls": [
        {"id": 110, "kind": "folder", "text": "Primo|Secondo", "x": 5, "y": 5, "width": 190, "height": 115,
         "pages": ["UIPAGINA1", "UIPAGINA2"]},
        {"id": 201, "kind": "button", "text": "&Conferma", "x": 5, "y": 128, "width": 40, "height": 15, "style": ["default"]},
        {"id": 202, "kind": "button", "text": "&Annulla", "x": 50, "y": 128, "width": 40, "height": 15}
      ]})",
                                           "UICARTELLA"));
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "UIPAGINA1", "caption": "",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 180, "height": 95, "style": ["child"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 10, "y": 10, "width": 60, "height": 13}
      ]})",
                                           "UIPAGINA1"));
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "UIPAGINA2", "caption": "",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 180, "height": 95, "style": ["child"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 10, "y": 10, "width": 45, "height": 13},
        {"id": 102, "kind": "edit", "x": 10, "y": 30, "width": 30, "height": 13}
      ]})",
                                           "UIPAGINA2"));
}

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
    registerUiTemplates();
    dlg = std::make_unique<TDialog>("UIPROVA");
    TDialog& d = *dlg;
    const Block modified = [&d] { d.lModify = true; };
    gNome = TGet::Redefine(101, bindVar(nome), d, named("nome", modified));
    gDat = TGet::Redefine(102, bindVar(dat1), d, named("dat1", modified));
    gNum = TGet::Redefine(103, bindVar(nNum), d, named("nNum", modified, "99.9"));
    DataOptions co;
    co.varName = "cMese";
    co.change = modified;
    cbMese = TComboBox::Redefine(104, bindVar(cMese), {"Gennaio", "Febbraio", "Marzo"}, d, co);
    TSay::Redefine(105, {}, d);
    ui::bindConfirmCancel(d);
}

FolderDialog::FolderDialog() {
    guiApp();
    registerUiTemplates();
    dlg = std::make_unique<TDialog>("UICARTELLA");
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
