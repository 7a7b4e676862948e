#pragma once

// The dialog templates that the toolkit and dialog-helper tests build their dialogs
// from, registered under these names (sizes in dialog units, 8-point font):
//
//   PROVA     220 x 130: edits 101 (30 wide), 102 (45), 103 (30, "number"), 104
//             (65) and 105 (40); multi-line edit 106; drop-down list 107; check box
//             108 "Da sotto:" (text on the left); radios 109 "Uno" (starts a group)
//             and 110 "Due"; label 111 "Cella"; bitmap button 112 (SPENTO); buttons
//             201 "&Conferma" (default) and 202 "&Annulla"; an unbound label.
//   LISTA     200 x 180: list 101 (a browse), button 201 "&Chiudi".
//   CARTELLA  200 x 150: folder 110 with pages "Primo" (PAGINA1) and "Secondo"
//             (PAGINA2); buttons 201 "&Conferma" (default) and 202 "&Annulla".
//   PAGINA1   edit 101 (60 wide).
//   PAGINA2   edits 101 (45) and 102 (30), drop-down list 103.

namespace dn::test {

// Registers the templates once; later calls do nothing.
void registerTestDialogs();

} // namespace dn::test
