#pragma once

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <memory>

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

// One offscreen application for the font and picture checks, made on first use.
inline void ensureGuiApp() {
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_resources";
    static char* argv[] = {name, nullptr};
    static auto app = std::make_unique<QGuiApplication>(argc, argv);
}

struct LoadedTemplate {
    QJsonObject root;
    QString error; // empty when the file was read and parsed
};

inline LoadedTemplate loadTemplate(const QString& name) {
    QFile f(dialogsDir() + "/" + name + ".json");
    if (!f.open(QIODevice::ReadOnly))
        return {{}, "cannot open " + f.fileName()};
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
    if (err.error != QJsonParseError::NoError)
        return {{}, name + ": " + err.errorString() + " at offset " + QString::number(err.offset)};
    if (!doc.isObject())
        return {{}, name + ": top level is not an object"};
    return {doc.object(), {}};
}

} // namespace dn::test
