#include "tests/support/test_dialogs.h"
#include "toolkit/dialogtemplate.h"

namespace dn::test {

namespace {

void add(const char* name, const char* json) {
    tk::registerTemplate(tk::parseTemplate(json, name));
}

} // namespace

void registerTestDialogs() {
    static bool done = false;
    if (done)
        return;
    done = true;
    add("PROVA", R"({
      "name": "PROVA", "caption": "Prova",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 220, "height": 130,
      "style": ["popup", "caption", "sysmenu", "modalframe"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 10, "y": 10, "width": 30, "height": 13},
        {"id": 102, "kind": "edit", "x": 50, "y": 10, "width": 45, "height": 13},
        {"id": 103, "kind": "edit", "x": 105, "y": 10, "width": 30, "height": 13, "style": ["number"]},
        {"id": 104, "kind": "edit", "x": 145, "y": 10, "width": 65, "height": 13},
        {"id": 105, "kind": "edit", "x": 10, "y": 30, "width": 40, "height": 13},
        {"id": 106, "kind": "multiedit", "x": 60, "y": 30, "width": 80, "height": 30, "style": ["vscroll", "wantreturn"]},
        {"id": 107, "kind": "combobox", "x": 150, "y": 30, "width": 60, "height": 60},
        {"id": 108, "kind": "checkbox", "text": "Da sotto:", "x": 10, "y": 65, "width": 50, "height": 10, "style": ["lefttext"]},
        {"id": 109, "kind": "radio", "text": "Uno", "x": 70, "y": 65, "width": 30, "height": 10, "style": ["group"]},
        {"id": 110, "kind": "radio", "text": "Due", "x": 105, "y": 65, "width": 30, "height": 10},
        {"id": 111, "kind": "label", "text": "Cella", "x": 150, "y": 65, "width": 30, "height": 10},
        {"id": 112, "kind": "bitmapbutton", "text": "SPENTO", "x": 190, "y": 65, "width": 8, "height": 9},
        {"id": 201, "kind": "button", "text": "&Conferma", "x": 10, "y": 110, "width": 40, "height": 15, "style": ["default"]},
        {"id": 202, "kind": "button", "text": "&Annulla", "x": 55, "y": 110, "width": 40, "height": 15},
        {"id": -1, "kind": "label", "text": "Etichetta libera", "x": 100, "y": 110, "width": 60, "height": 10}
      ]})");
    add("LISTA", R"({
      "name": "LISTA", "caption": "Lista",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 200, "height": 180,
      "style": ["popup", "caption", "sysmenu", "modalframe"],
      "controls": [
        {"id": 101, "kind": "listbox", "x": 5, "y": 5, "width": 190, "height": 150, "style": ["vscroll", "border"]},
        {"id": 201, "kind": "button", "text": "&Chiudi", "x": 5, "y": 160, "width": 40, "height": 15}
      ]})");
    add("CARTELLA", R"({
      "name": "CARTELLA", "caption": "Cartella",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 200, "height": 150,
      "style": ["popup", "caption", "sysmenu", "modalframe"],
      "controls": [
        {"id": 110, "kind": "folder", "text": "Primo|Secondo", "x": 5, "y": 5, "width": 190, "height": 115,
         "pages": ["PAGINA1", "PAGINA2"]},
        {"id": 201, "kind": "button", "text": "&Conferma", "x": 5, "y": 128, "width": 40, "height": 15, "style": ["default"]},
        {"id": 202, "kind": "button", "text": "&Annulla", "x": 50, "y": 128, "width": 40, "height": 15}
      ]})");
    add("PAGINA1", R"({
      "name": "PAGINA1", "caption": "",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 180, "height": 95, "style": ["child"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 10, "y": 10, "width": 60, "height": 13}
      ]})");
    add("PAGINA2", R"({
      "name": "PAGINA2", "caption": "",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 180, "height": 95, "style": ["child"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 10, "y": 10, "width": 45, "height": 13},
        {"id": 102, "kind": "edit", "x": 10, "y": 30, "width": 30, "height": 13},
        {"id": 103, "kind": "combobox", "x": 60, "y": 30, "width": 40, "height": 60}
      ]})");
}

} // namespace dn::test
