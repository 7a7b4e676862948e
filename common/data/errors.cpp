#include "common/data/errors.h"

#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/dbf/error.h"
#include "common/disk/checks.h"
#include "common/util/cp1252.h"
#include "common/util/messages.h"
#include "platform/file.h"
#include "platform/shell.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace dn::data {

RaisedError::RaisedError(std::string subsystem, int subCode, const std::string& description,
                         std::string operation, int severity)
    : std::runtime_error(description), subsystem_(std::move(subsystem)), subCode_(subCode),
      operation_(std::move(operation)), severity_(severity) {}

namespace {

std::function<void()>& endProgramHook() {
    static std::function<void()> fn;
    return fn;
}

std::function<bool(const std::string&)>& openReportHook() {
    static std::function<bool(const std::string&)> fn;
    return fn;
}

void defaultEndProgram() {
    try {
        shutdownLibrary();
    } catch (...) {
    }
    std::exit(1);
}

// A file's name as messages show it: upper-cased where names are (Windows), as it
// is elsewhere, where another case names another file.
std::string shownName(const std::string& path) {
#ifdef _WIN32
    return upper1252(path);
#else
    return path;
#endif
}

// The rows of the error table that have a message of their own.
enum class Row {
    NotReady,
    NotFormatted,
    WriteProtected,
    DirectoryFull,
    DiskFull,
    AccessDenied,
    PathNotFound,
    FileNotFound,
    None,
};

bool parentMissing(const std::string& path) {
    const std::filesystem::path p(path);
    const std::filesystem::path parent = p.parent_path();
    if (parent.empty())
        return false;
    std::error_code ec;
    return !std::filesystem::is_directory(parent, ec);
}

Row rowOf(const platform::FileError& e) {
    using K = platform::FileErrorKind;
    const int os = e.sysError();
#ifdef _WIN32
    switch (os) {
    case 21:
        return Row::NotReady;
    case 27:
    case 31:
        return Row::NotFormatted;
    case 19:
        return Row::WriteProtected;
    case 82:
        return Row::DirectoryFull;
    case 3:
        return Row::PathNotFound;
    default:
        break;
    }
#else
    switch (os) {
    case ENXIO:
    case ENODEV:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        return Row::NotReady;
    case EIO:
        return Row::NotFormatted;
    case EMLINK:
        return Row::DirectoryFull;
    case ENOTDIR:
        return Row::PathNotFound;
    default:
        break;
    }
#endif
    switch (e.kind()) {
    case K::WriteProtected:
        return Row::WriteProtected;
    case K::DiskFull:
        return Row::DiskFull;
    case K::AccessDenied:
    // A sharing conflict outside an open (an index lock held too long elsewhere): the
    // file cannot be reached just now; the operation is abandoned, nothing is lost.
    case K::Sharing:
        return Row::AccessDenied;
    case K::NotFound:
        return parentMissing(e.path()) ? Row::PathNotFound : Row::FileNotFound;
    case K::Io:
        return Row::None;
    }
    return Row::None;
}

std::string rowMessage(Row row, const std::string& file) {
    switch (row) {
    case Row::NotReady:
        return "Disco " + file + " non pronto.";
    case Row::NotFormatted:
        return "Disco " + file + " non formattato.";
    case Row::WriteProtected:
        return "Disco " + file + " protetto da scrittura.";
    case Row::DirectoryFull:
        return "Directory " + file + " piena.";
    case Row::DiskFull:
        return "Spazio sul disco " + file + " insufficiente.";
    case Row::AccessDenied:
        return "Impossibile accedere al file " + file + ".";
    case Row::PathNotFound:
        return "Percorso " + file + " non trovato.";
    case Row::FileNotFound:
        return "Impossibile aprire il file " + file + ".";
    case Row::None:
        break;
    }
    return std::string();
}

std::string hex2(unsigned char c) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string{'%', digits[c >> 4], digits[c & 15]};
}

std::string encodeBody(const std::string& text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == ';')
            out += "%0d%0a";
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 ch == '-' || ch == '_' || ch == '.' || ch == '~')
            out.push_back(ch);
        else
            out += hex2(c);
    }
    return out;
}

} // namespace

std::string formatError(const ErrorInfo& info) {
    std::string s = info.severity < 2 ? "Warning " : "Error ";
    s += info.subsystem.empty() ? "???" : info.subsystem;
    s += "/";
    s += info.subCode ? std::to_string(*info.subCode) : "???";
    s += "  " + info.description;
    if (!info.fileName.empty())
        s += ": " + info.fileName;
    else if (!info.operation.empty())
        s += ": " + info.operation;
    s += ";Function: " + info.function + "  Line: " + std::to_string(info.line);
    return s;
}

ErrorInfo describeError(std::exception_ptr error, const std::source_location& where) {
    ErrorInfo info;
    info.function = where.function_name();
    info.line = where.line();
    try {
        std::rethrow_exception(error);
    } catch (const RaisedError& e) {
        info.severity = e.severity();
        info.subsystem = e.subsystem();
        info.subCode = e.subCode();
        info.operation = e.operation();
        info.description = e.what();
    } catch (const platform::FileError& e) {
        info.subsystem = "FILE";
        info.subCode = e.sysError();
        info.fileName = shownName(e.path());
        info.description = e.what();
    } catch (const dbf::CorruptFile& e) {
        info.subsystem = "DBF";
        info.subCode = 1012;
        info.fileName = shownName(e.path());
        info.description = "Corruption detected (" + e.detail() + ")";
    } catch (const dbf::TableError& e) {
        info.subsystem = "DBF";
        info.description = e.what();
    } catch (const std::exception& e) {
        info.description = e.what();
    } catch (...) {
        info.description = "Unknown error";
    }
    return info;
}

std::optional<std::string> errorMessage(std::exception_ptr error,
                                        const std::source_location& where) {
    try {
        std::rethrow_exception(error);
    } catch (const Abort&) {
        return std::string();
    } catch (const disk::DiskAbort&) {
        return std::string();
    } catch (const RaisedError&) {
        return formatError(describeError(error, where));
    } catch (const platform::FileError& e) {
        const Row row = rowOf(e);
        if (row == Row::None)
            return std::nullopt;
        return rowMessage(row, shownName(e.path()));
    } catch (const dbf::CorruptFile& e) {
        return e.messageNaming(shownName(e.path()));
    } catch (...) {
        return std::nullopt;
    }
}

void showNotice(const std::string& text) {
    SUNLOCK();
    messages().ask(1, text, "Attenzione");
}

void handleError(std::exception_ptr error, const std::source_location& where) {
    const std::optional<std::string> message = errorMessage(error, where);
    if (message) {
        if (!message->empty())
            showNotice(*message);
        throw Abort();
    }
    SUNLOCK();
    const std::string text = formatError(describeError(error, where));
    if (messages().ask(4, text + ";;Inviare rapporto di errore via email?", "Attenzione") == 1) {
        const std::string link = reportLink(platform::programPath(), text);
        if (openReportHook())
            openReportHook()(link);
        else
            platform::openUrl(link);
    }
    endProgram();
    throw Abort();
}

void endProgram() {
    if (endProgramHook())
        endProgramHook()();
    else
        defaultEndProgram();
}

bool recover(std::exception_ptr error, const std::source_location& where) {
    try {
        handleError(error, where);
    } catch (const Abort&) {
    }
    return false;
}

std::string reportLink(const std::string& program, const std::string& errorText) {
    return "mailto:?subject=Rapporto%20di%20errore&body=" +
           encodeBody("Applicazione: " + program + ";;" + errorText);
}

void setEndProgram(std::function<void()> end) {
    endProgramHook() = std::move(end);
}

void setOpenReport(std::function<bool(const std::string&)> open) {
    openReportHook() = std::move(open);
}

} // namespace dn::data
