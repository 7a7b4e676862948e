#pragma once

// The program-wide error handler and protected blocks.
//
// A procedure protects a block of table work with protect(). When anything in the
// block throws, the handler runs: a disk or file failure, a damaged file or an
// error raised on purpose shows its Italian message (after releasing the start-up
// lock) and the block is abandoned: protect() returns false. Any other error shows
// the formatted error text with the offer of an error report by e-mail, then ends
// the program through the end-of-program hook. docs/data-layer.md shows the pattern.

#include <exception>
#include <functional>
#include <optional>
#include <source_location>
#include <stdexcept>
#include <string>

namespace dn::data {

// Abandons the operation in progress up to the nearest protect(). Thrown after the
// message that explains it has been shown (or when none is due), so nothing that
// catches it shows anything more.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "operation abandoned"; }
};

// An error that a procedure raises to abandon its operation with the formatted
// error text as its message.
class RaisedError : public std::runtime_error {
public:
    RaisedError(std::string subsystem, int subCode, const std::string& description,
                std::string operation = {}, int severity = 2);
    const std::string& subsystem() const { return subsystem_; }
    int subCode() const { return subCode_; }
    const std::string& operation() const { return operation_; }
    int severity() const { return severity_; }

private:
    std::string subsystem_;
    int subCode_;
    std::string operation_;
    int severity_;
};

// What the formatted error text is made of.
struct ErrorInfo {
    int severity = 2;            // below 2: a warning
    std::string subsystem;       // empty: unknown
    std::optional<long> subCode; // nothing: unknown
    std::string fileName;        // empty when no file is involved
    std::string operation;       // shown when there is no file name
    std::string description;
    std::string function; // the procedure whose block failed
    unsigned line = 0;
};

// "Error DBF/1012  description: FILE;Function: NAME  Line: 12" ("Warning " for a
// severity below 2, "???" for an unknown subsystem or sub-code).
std::string formatError(const ErrorInfo& info);

// The Italian message of a disk or file failure, a damaged file or a raised error;
// nothing for any other error (those end the program). Aborts and DiskAborts give
// the empty text: their message has been shown already.
std::optional<std::string> errorMessage(std::exception_ptr error,
                                        const std::source_location& where);

// What the error handler knows of an error, for the formatted text.
ErrorInfo describeError(std::exception_ptr error, const std::source_location& where);

// Shows a notice (kind 1, title "Attenzione") after releasing the start-up lock
// (SUNLOCK), so that a message left open on screen does not hold up the start-up of
// other instances. Every message of a disk or file failure goes through it: the
// error handler's, the disk checks' and the folder helpers'.
void showNotice(const std::string& text);

// The error handler. Shows the error's message and throws Abort, or for an error
// that has no message of its own offers the error report and ends the program (if
// the end-of-program hook returns, Abort is thrown too). Never returns.
[[noreturn]] void handleError(std::exception_ptr error,
                              const std::source_location& where = std::source_location::current());

// Runs the handler for the exception in flight and reports whether the block was
// abandoned (always false; exceptions other than Abort that the handler lets through,
// such as those of a replaced end-of-program hook, propagate).
bool recover(std::exception_ptr error, const std::source_location& where);

// A protected block: true when body ran to its end, false when it was abandoned
// after the handler's message.
template <class F>
bool protect(F&& body, const std::source_location& where = std::source_location::current()) {
    try {
        body();
        return true;
    } catch (...) {
        return recover(std::current_exception(), where);
    }
}

// The "mailto:" link of an error report: no recipient, subject "Rapporto di errore",
// body "Applicazione: " + program + two line breaks + error text. ";" in the text
// stands for a line break; the body is percent-encoded so that no character of the
// text can cut or change the link.
std::string reportLink(const std::string& program, const std::string& errorText);

// Ends the program as the error handler does after an error report: through the
// end-of-program hook below. Returns only when a replaced hook returns.
void endProgram();

// How the program ends after an error report. The default runs the shut-down
// procedure and exits with status 1; tests put their own in place. An empty
// function restores the default.
void setEndProgram(std::function<void()> end);
// How the report link is opened (default: platform::openUrl). Empty restores it.
void setOpenReport(std::function<bool(const std::string& url)> open);

} // namespace dn::data
