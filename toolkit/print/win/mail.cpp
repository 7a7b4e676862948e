#include "toolkit/print/mail.h"

#include <windows.h>

#include <mapi.h>

#include <string>

namespace dn::print {

MailResult mailAttachment(const std::string& path, const std::string& subject) {
    HMODULE mapi = LoadLibraryW(L"MAPI32.DLL");
    if (!mapi)
        return {MailStatus::NoMailProgram, false};
    auto send = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(mapi, "MAPISendMail"));
    if (!send) {
        FreeLibrary(mapi);
        return {MailStatus::NoMailProgram, false};
    }
    // Texts and paths are Windows-1252, the code page of the ANSI interface.
    std::string file = path;
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    std::string subj = subject;
    MapiFileDesc attachment{};
    attachment.nPosition = static_cast<ULONG>(-1);
    attachment.lpszPathName = file.data();
    attachment.lpszFileName = name.data();
    MapiMessage msg{};
    msg.lpszSubject = subj.data();
    msg.nFileCount = 1;
    msg.lpFiles = &attachment;
    // Modal: returns once the user has sent or discarded the message.
    const ULONG rc = send(0, 0, &msg, MAPI_DIALOG | MAPI_LOGON_UI, 0);
    FreeLibrary(mapi);
    switch (rc) {
    case SUCCESS_SUCCESS:
    case MAPI_USER_ABORT:
        return {MailStatus::Opened, false};
    case MAPI_E_LOGIN_FAILURE:
    case MAPI_E_NOT_SUPPORTED:
        return {MailStatus::NoMailProgram, false};
    default:
        return {MailStatus::Failed, false};
    }
}

} // namespace dn::print
