#include "toolkit/print/mail.h"

#include "toolkit/text.h"

#include <QProcess>
#include <QStandardPaths>

namespace dn::print {

namespace {

// The desktop file of the mail program for "mailto:" links; empty when there is
// none, "?" when the system cannot be asked (xdg-email is then tried anyway).
QString mailtoHandler() {
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (mime.isEmpty())
        return QStringLiteral("?");
    QProcess q;
    q.start(mime, {QStringLiteral("query"), QStringLiteral("default"),
                   QStringLiteral("x-scheme-handler/mailto")});
    if (!q.waitForFinished(5000) || q.exitStatus() != QProcess::NormalExit) {
        q.kill();
        q.waitForFinished(1000);
        return QStringLiteral("?");
    }
    return QString::fromLocal8Bit(q.readAllStandardOutput()).trimmed();
}

} // namespace

MailResult mailAttachment(const std::string& path, const std::string& subject) {
    const QString email = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (email.isEmpty())
        return {MailStatus::NoMailProgram, false};
    // Without a "mailto:" handler xdg-email can at best open a link that drops the
    // attachment: that is no mail program for this purpose.
    if (mailtoHandler().isEmpty())
        return {MailStatus::NoMailProgram, false};
    // The mail program may run for as long as the user writes the message: it is
    // started detached and reads the attachment when it likes.
    const QStringList args = {QStringLiteral("--utf8"), QStringLiteral("--subject"),
                              tk::toQt(subject), QStringLiteral("--attach"), tk::toQt(path)};
    if (!QProcess::startDetached(email, args))
        return {MailStatus::Failed, false};
    return {MailStatus::Opened, true};
}

} // namespace dn::print
