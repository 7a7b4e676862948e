#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

namespace dn::test {

// The source tree: DN_SOURCE_DIR from ctest, else the tree this test was built from.
inline QString sourceDir() {
    const QByteArray env = qgetenv("DN_SOURCE_DIR");
    return env.isEmpty() ? QStringLiteral(DN_SOURCE_DIR_FALLBACK) : QString::fromLocal8Bit(env);
}

inline QString dialogsDir() {
    return sourceDir() + "/resources/dialogs";
}
inline QString bitmapsDir() {
    return sourceDir() + "/resources/bitmaps";
}

// Names (upper case, no extension) of the files with the given suffix in a folder.
inline QStringList resourceNames(const QString& dir, const QString& suffix) {
    QStringList names;
    for (const QString& f : QDir(dir).entryList({"*." + suffix}, QDir::Files, QDir::Name))
        names << f.left(f.size() - suffix.size() - 1);
    return names;
}

} // namespace dn::test
