#include "toolkit/dialogtemplate.h"

#include "toolkit/text.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace dn::tk {

namespace {

struct KindInfo {
    ControlKind kind;
    const char* name;
    QStringList words;
};

const std::vector<KindInfo>& kinds() {
    static const std::vector<KindInfo> k = {
        {ControlKind::Label,
         "label",
         {"left", "right", "center", "vcenter", "nowrap", "sunken", "border"}},
        {ControlKind::Edit, "edit", {"password", "readonly", "number", "uppercase"}},
        {ControlKind::MultiEdit, "multiedit", {"vscroll", "wantreturn", "readonly"}},
        {ControlKind::Button, "button", {"default"}},
        {ControlKind::CheckBox, "checkbox", {"lefttext"}},
        {ControlKind::Radio, "radio", {"group"}},
        {ControlKind::ComboBox, "combobox", {"vscroll", "sort", "editable"}},
        {ControlKind::ListBox, "listbox", {"vscroll", "hscroll", "border"}},
        {ControlKind::GroupBox, "groupbox", {}},
        {ControlKind::Line, "line", {"sunken"}},
        {ControlKind::Bitmap, "bitmap", {}},
        {ControlKind::BitmapButton, "bitmapbutton", {}},
        {ControlKind::Progress, "progress", {}},
        {ControlKind::Folder, "folder", {}},
    };
    return k;
}

const QStringList kDialogWords = {"popup", "caption", "sysmenu", "modalframe", "child", "visible"};

QHash<QString, DialogTemplate>& registry() {
    static QHash<QString, DialogTemplate> r;
    return r;
}

[[noreturn]] void damaged(const QString& origin, const QString& why) {
    const QString msg = QStringLiteral("Modello di finestra %1 danneggiato: %2.").arg(origin, why);
    throw TemplateError(fromQt(msg));
}

int intField(const QJsonObject& o, const char* key, const QString& origin, const QString& where,
             bool required, int def = 0) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) {
        if (required)
            damaged(origin, QStringLiteral("%1 senza \"%2\"").arg(where, key));
        return def;
    }
    if (!v.isDouble() || v.toDouble() != static_cast<double>(v.toInt()))
        damaged(origin, QStringLiteral("%1: \"%2\" non è un numero intero").arg(where, key));
    return v.toInt();
}

// A field that the format does not know is most likely a misspelt one whose value
// would be lost: the template is damaged.
void knownFields(const QJsonObject& o, const QStringList& allowed, const QString& origin,
                 const QString& where) {
    for (const QString& k : o.keys())
        if (!allowed.contains(k))
            damaged(origin, QStringLiteral("%1: campo \"%2\" sconosciuto").arg(where, k));
}

QString textField(const QJsonObject& o, const char* key, const QString& origin,
                  const QString& where, const QString& def = {}) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return def;
    if (!v.isString())
        damaged(origin, QStringLiteral("%1: \"%2\" non è un testo").arg(where, key));
    return v.toString();
}

QStringList words(const QJsonObject& o, const char* key, const QStringList& allowed,
                  const QString& origin, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    QStringList out;
    if (v.isUndefined())
        return out;
    if (!v.isArray())
        damaged(origin, QStringLiteral("%1: \"%2\" non è una lista").arg(where, key));
    for (const QJsonValue& w : v.toArray()) {
        const QString s = w.toString();
        if (!w.isString() || !allowed.contains(s))
            damaged(origin, QStringLiteral("%1: stile \"%2\" sconosciuto").arg(where, s));
        out << s;
    }
    return out;
}

} // namespace

const char* kindName(ControlKind k) {
    for (const auto& i : kinds())
        if (i.kind == k)
            return i.name;
    return "?";
}

const ControlTemplate* DialogTemplate::find(int id) const {
    if (id == -1)
        return nullptr;
    for (const auto& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

DialogTemplate parseTemplate(const QByteArray& json, const QString& origin) {
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        damaged(origin,
                QStringLiteral("%1 al carattere %2").arg(err.errorString()).arg(err.offset));
    if (!doc.isObject())
        damaged(origin, QStringLiteral("non è un oggetto"));
    const QJsonObject o = doc.object();
    const QString dlg = QStringLiteral("finestra");
    knownFields(o, {"name", "caption", "font", "width", "height", "style", "controls"}, origin,
                dlg);
    DialogTemplate t;
    t.name = textField(o, "name", origin, dlg);
    if (t.name.isEmpty())
        damaged(origin, QStringLiteral("manca il nome"));
    t.caption = textField(o, "caption", origin, dlg);
    const QJsonObject font = o.value("font").toObject();
    if (!font.isEmpty()) {
        const QString where = QStringLiteral("carattere");
        knownFields(font, {"face", "size", "bold"}, origin, where);
        t.fontFace = textField(font, "face", origin, where, t.fontFace);
        t.fontSize = font.value("size").toDouble(t.fontSize);
        t.fontBold = font.value("bold").toBool(false);
        if (t.fontSize <= 0)
            damaged(origin, QStringLiteral("dimensione del carattere non valida"));
    }
    t.width = intField(o, "width", origin, dlg, true);
    t.height = intField(o, "height", origin, dlg, true);
    if (t.width <= 0 || t.height <= 0)
        damaged(origin, QStringLiteral("dimensioni della finestra non valide"));
    t.style = words(o, "style", kDialogWords, origin, dlg);

    const QJsonValue cv = o.value("controls");
    if (!cv.isUndefined() && !cv.isArray())
        damaged(origin, QStringLiteral("\"controls\" non è una lista"));
    int n = 0;
    for (const QJsonValue& v : cv.toArray()) {
        ++n;
        const QString where = QStringLiteral("controllo n. %1").arg(n);
        if (!v.isObject())
            damaged(origin, QStringLiteral("%1 non è un oggetto").arg(where));
        const QJsonObject c = v.toObject();
        knownFields(c, {"id", "kind", "text", "x", "y", "width", "height", "style", "pages"},
                    origin, where);
        ControlTemplate ct;
        const QString kind = c.value("kind").toString();
        const KindInfo* info = nullptr;
        for (const auto& k : kinds())
            if (kind == QLatin1String(k.name))
                info = &k;
        if (!info)
            damaged(origin, QStringLiteral("%1: tipo \"%2\" sconosciuto").arg(where, kind));
        ct.kind = info->kind;
        ct.id = intField(c, "id", origin, where, true);
        ct.text = textField(c, "text", origin, where);
        ct.x = intField(c, "x", origin, where, true);
        ct.y = intField(c, "y", origin, where, true);
        ct.width = intField(c, "width", origin, where, true);
        ct.height = intField(c, "height", origin, where, true);
        if (ct.width < 0 || ct.height < 0)
            damaged(origin, QStringLiteral("%1: dimensioni negative").arg(where));
        ct.style = words(c, "style", info->words, origin, where);
        if (ct.kind == ControlKind::Folder) {
            for (const QJsonValue& p : c.value("pages").toArray())
                ct.pages << p.toString().toUpper();
        }
        t.controls.push_back(std::move(ct));
    }
    return t;
}

DialogTemplate loadTemplate(const QString& name) {
    const QString key = name.trimmed().toUpper();
    auto it = registry().constFind(key);
    if (it != registry().constEnd())
        return *it;
    QFile f(QStringLiteral(":/dialogs/%1.json").arg(key));
    if (!f.open(QIODevice::ReadOnly))
        throw TemplateError(fromQt(QStringLiteral("Modello di finestra %1 non trovato.").arg(key)));
    return parseTemplate(f.readAll(), key);
}

void registerTemplate(const DialogTemplate& t) {
    registry().insert(t.name.toUpper(), t);
}

void unregisterTemplate(const QString& name) {
    registry().remove(name.toUpper());
}

QStringList embeddedTemplateNames() {
    QStringList out;
    const QDir dir(QStringLiteral(":/dialogs"));
    for (const QString& f : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        out << f.chopped(5);
    return out;
}

} // namespace dn::tk
