#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>
#include <vector>

namespace dn::tk {

// What a template says about one control; positions and sizes in dialog units.
enum class ControlKind {
    Label,
    Edit,
    MultiEdit,
    Button,
    CheckBox,
    Radio,
    ComboBox,
    ListBox,
    GroupBox,
    Line,
    Bitmap,
    BitmapButton,
    Progress,
    Folder
};

struct ControlTemplate {
    int id = -1;
    ControlKind kind = ControlKind::Label;
    QString text;
    int x = 0, y = 0, width = 0, height = 0;
    QStringList style;
    QStringList pages; // folder only: page template names, one per prompt

    bool has(const char* word) const { return style.contains(QLatin1String(word)); }
};

struct DialogTemplate {
    QString name;
    QString caption;
    QString fontFace = QStringLiteral("MS Sans Serif");
    double fontSize = 8;
    bool fontBold = false;
    int width = 0, height = 0;
    QStringList style;
    std::vector<ControlTemplate> controls; // in binding order

    bool has(const char* word) const { return style.contains(QLatin1String(word)); }
    // The first control with that id; nullptr when there is none (or id is -1).
    const ControlTemplate* find(int id) const;
};

// A template that is missing or cannot be read; what() is the Italian message
// (Windows-1252).
class TemplateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

const char* kindName(ControlKind k);

// Reads a template in the format of docs/dialog-templates.md. Unknown kinds or
// style words, missing fields and negative sizes are errors: a damaged template is
// reported, never half-built. origin names the source in the message.
DialogTemplate parseTemplate(const QByteArray& json, const QString& origin);

// The template NAME (case-insensitive): one registered with registerTemplate
// first, else the one embedded in the program. Throws TemplateError.
DialogTemplate loadTemplate(const QString& name);
// Makes a template available by its name, in place of an embedded one of the same
// name (dialogs built in code, tests).
void registerTemplate(const DialogTemplate& t);
void unregisterTemplate(const QString& name);
// Names of the templates embedded in the program, sorted.
QStringList embeddedTemplateNames();

} // namespace dn::tk
