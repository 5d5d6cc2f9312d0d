/** @file regAss.cpp ** Registering and unregistering file associations. **/
#include "app/regAss.h"

#include "platform/SettingsStore.h"

#include <QMimeDatabase>

namespace {

using Root = pm::SettingsStore::Root;

QString verbKey(const QString& typeName, const QString& verb)
{
    return typeName + QStringLiteral("\\shell\\") + verb;
}

} // namespace

QString associationCommand(const QString& program)
{
    return u'"' + program + QStringLiteral("\" \"%1\"");
}

QString associationDesktopId(const QString& typeName, const QString& verb)
{
    return QStringLiteral("pagemason-") + pm::desktopIdPart(typeName) + u'-'
        + pm::desktopIdPart(verb);
}

pm::DesktopAssociation desktopAssociationFor(const QString& extension, const QString& typeName,
    const QString& verb, const QString& icon, const QString& program)
{
    pm::DesktopAssociation a;
    a.id = associationDesktopId(typeName, verb);
    // "open" is the type's own action: the program's name says it best.
    a.name = verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0
        ? QStringLiteral("Pagemason")
        : verb;
    a.program = program;
    // The icon text names the program file's icon; on the desktop that is the themed icon the
    // installed program brings.
    a.icon = icon.isEmpty() ? QString() : QStringLiteral("pagemason");
    const QString ext = extension.toLower();
    if (ext == QLatin1String(".pmp")) {
        a.mimeType = QStringLiteral("application/x-pagemason-project");
        a.mimeComment = QStringLiteral("Pagemason project");
        a.glob = QStringLiteral("*.pmp");
    } else {
        const QMimeType known = QMimeDatabase().mimeTypeForFile(
            QStringLiteral("x") + ext, QMimeDatabase::MatchExtension);
        if (known.isValid() && !known.isDefault()) {
            a.mimeType = known.name();
        } else {
            a.mimeType = QStringLiteral("application/x-pagemason-") + pm::desktopIdPart(ext);
            a.mimeComment = ext + QStringLiteral(" file");
            a.glob = u'*' + ext;
        }
    }
    return a;
}

bool registerAssociation(const QString& extension, const QString& requestedType,
    const QString& verb, const QString& icon, const QString& program, QString* error,
    const QString& dataHome)
{
    pm::SettingsStore& store = pm::settingsStore();
    QString typeName = requestedType;
    // The extension already belongs to a type: the verb joins that one. An extension key
    // without a type name would put the verb at the hive's top; ours is used then.
    const QString existing = store.keyExists(Root::ClassesRoot, extension)
        ? store.readValue(Root::ClassesRoot, extension, QString()).value_or(QString())
        : QString();
    const bool typeKnown = !existing.trimmed().isEmpty();
    if (typeKnown)
        typeName = existing;
    const pm::DesktopAssociation desktop
        = desktopAssociationFor(extension, typeName, verb, icon, program);
    if (!pm::installDesktopAssociation(desktop, dataHome, error))
        return false;

    pm::SettingsUpdate update(store);
    if (!typeKnown)
        store.writeValue(Root::ClassesRoot, extension, QString(), typeName);
    store.writeValue(Root::ClassesRoot, verbKey(typeName, verb) + QStringLiteral("\\command"),
        QString(), associationCommand(program));
    if (!icon.isEmpty())
        store.writeValue(Root::ClassesRoot, typeName + QStringLiteral("\\defaulticon"), QString(),
            u'"' + icon + u'"');
    if (!update.finish()) {
        pm::removeDesktopAssociation(desktop.id, dataHome);
        if (error)
            *error = QStringLiteral("The settings file could not be written.");
        return false;
    }
    return true;
}

bool unregisterAssociation(
    const QString& typeName, const QString& verb, QString* error, const QString& dataHome)
{
    pm::SettingsStore& store = pm::settingsStore();
    bool ok = true;
    if (store.keyExists(Root::ClassesRoot, typeName + QStringLiteral("\\shell"))
        && !store.deleteKey(Root::ClassesRoot, verbKey(typeName, verb))) {
        ok = false;
        if (error)
            *error = QStringLiteral("The settings file could not be written.");
    }
    QString desktopError;
    if (!pm::removeDesktopAssociation(
            associationDesktopId(typeName, verb), dataHome, &desktopError)) {
        if (error && ok)
            *error = desktopError;
        ok = false;
    }
    return ok;
}
