#pragma once

// The system's file dialogs: choosing a file to save to or to open.

#include <functional>
#include <optional>
#include <string>

class QFileDialog;

namespace dn::tk {

// What a file dialog asks (Windows-1252 texts).
struct FileRequest {
    bool save = false; // a save dialog (any name) or an open dialog (existing files)
    std::string title; // "Salvataggio dati"
    // Pairs of a description and its patterns, all separated by "|", patterns
    // separated by ";": "File ZIP (*.zip)|*.zip". Names match in any letter case.
    std::string filter;
    std::string folder; // where the dialog opens; empty: the current folder
    std::string name;   // the file name offered, without a folder
};

// Shows the dialog over the active window and returns the chosen file's full path,
// or nothing when the user cancels. The save dialog does not ask about replacing
// an existing file: callers that should ask do so themselves.
std::optional<std::string> askFile(const FileRequest& request);

// The filter in the toolkit's form: "File ZIP (*.zip)" for "File ZIP (*.zip)|*.zip"
// (a description without its patterns in brackets gets them added).
std::string qtFilter(const std::string& filter);

// Called, from the dialog's own event loop, as soon as a file dialog shows: GUI
// tests choose a file or cancel from here. Returns the hook it replaces.
using FileDialogHook = std::function<void(QFileDialog&)>;
FileDialogHook setFileDialogHook(FileDialogHook hook);

} // namespace dn::tk
