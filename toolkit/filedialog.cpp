#include "toolkit/filedialog.h"

#include "toolkit/text.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStringList>
#include <QTimer>

namespace dn::tk {

namespace {

FileDialogHook& fileDialogHook() {
    static FileDialogHook h;
    return h;
}

} // namespace

FileDialogHook setFileDialogHook(FileDialogHook hook) {
    FileDialogHook old = std::move(fileDialogHook());
    fileDialogHook() = std::move(hook);
    return old;
}

std::string qtFilter(const std::string& filter) {
    const QStringList parts = toQt(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        if (i + 1 < parts.size() && !desc.contains(QLatin1Char('('))) {
            QString patterns = parts[i + 1].trimmed();
            patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
            desc += QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
        if (!desc.isEmpty())
            out << desc;
    }
    return fromQt(out.join(QStringLiteral(";;")));
}

std::optional<std::string> askFile(const FileRequest& r) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    const QString folder = r.folder.empty() ? QDir::currentPath() : toQt(r.folder);
    QFileDialog dlg(owner, toQt(r.title), folder, toQt(qtFilter(r.filter)));
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!r.name.empty())
        dlg.selectFile(toQt(r.name));
    if (fileDialogHook())
        QTimer::singleShot(0, &dlg, [&dlg] {
            if (fileDialogHook())
                fileDialogHook()(dlg);
        });
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return fromQt(QDir::toNativeSeparators(dlg.selectedFiles().first()));
}

} // namespace dn::tk
