#pragma once

#include "toolkit/dialogtemplate.h"

// Templates that the toolkit tests build their dialogs from.
namespace dn::test {

inline void registerTestTemplates() {
    static bool done = false;
    if (done)
        return;
    done = true;
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "TKPROVA", "caption": "Prova",
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
      ]})",
                                           "TKPROVA"));
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "TKLISTA", "caption": "Lista",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 200, "height": 180,
      "style": ["popup", "caption", "sysmenu", "modalframe"],
      "controls": [
        {"id": 101, "kind": "listbox", "x": 5, "y": 5, "width": 190, "height": 150, "style": ["vscroll", "border"]},
        {"id": 201, "kind": "button", "text": "&Chiudi", "x": 5, "y": 160, "width": 40, "height": 15}
      ]})",
                                           "TKLISTA"));
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "TKCARTELLA", "caption": "Cartella",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 200, "height": 150,
      "style": ["popup", "caption", "sysmenu", "modalframe"],
      "controls": [
        {"id": 110, "kind": "folder", "text": "Primo|Secondo", "x": 5, "y": 5, "width": 190, "height": 120,
         "pages": ["TKPAGINA1", "TKPAGINA2"]},
        {"id": 201, "kind": "button", "text": "&Conferma", "x": 5, "y": 130, "width": 40, "height": 15}
      ]})",
                                           "TKCARTELLA"));
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "TKPAGINA1", "caption": "",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 180, "height": 100, "style": ["child"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 10, "y": 10, "width": 60, "height": 13}
      ]})",
                                           "TKPAGINA1"));
    tk::registerTemplate(tk::parseTemplate(R"({
      "name": "TKPAGINA2", "caption": "",
      "font": {"face": "MS Sans Serif", "size": 8},
      "width": 180, "height": 100, "style": ["child"],
      "controls": [
        {"id": 101, "kind": "edit", "x": 10, "y": 10, "width": 45, "height": 13},
        {"id": 102, "kind": "combobox", "x": 10, "y": 30, "width": 40, "height": 60}
      ]})",
                                           "TKPAGINA2"));
}

} // namespace dn::test
