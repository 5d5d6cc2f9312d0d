/** @file RegDocumentCheck.cpp ** Property checks of the REGEDIT4 reader and writer. **/
#include "fuzz/RegDocumentCheck.h"

#include "platform/RegDocument.h"

#include <QStringList>

namespace pmfuzz {

namespace {

    using pm::RegDocument;

    QString shown(const QString& s)
    {
        QString out;
        for (const QChar c : s.left(120)) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
            else
                out += c;
        }
        return out + (s.size() > 120 ? QStringLiteral("...") : QString());
    }

    /// Every key with every value name and what a read gives for it, in file order.
    QStringList whatAReadSees(const RegDocument& doc)
    {
        QStringList seen;
        for (const QString& key : doc.keyPaths()) {
            seen.append(u'[' + key + u']');
            QStringList names = doc.valueNames(key);
            names.prepend(QString()); // the default value
            for (const QString& name : std::as_const(names)) {
                const auto value = doc.value(key, name);
                seen.append(name + (value ? u"=" + *value : u" unreadable"_qs));
            }
        }
        seen.append(QStringLiteral("unreadable lines: %1").arg(doc.unreadableLineCount()));
        return seen;
    }

    /// Empty when both reads saw the same.
    QString difference(const QStringList& before, const QStringList& after)
    {
        for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i)
            if (before.at(i) != after.at(i))
                return u"\""_qs + shown(before.at(i)) + u"\" became \""_qs + shown(after.at(i))
                    + u'"';
        if (before.size() != after.size())
            return QStringLiteral("%1 entries became %2").arg(before.size()).arg(after.size());
        return {};
    }

    /// Empty when every key and every parent of one is found and listed by its parent.
    QString keysMissing(const RegDocument& doc)
    {
        for (const QString& key : doc.keyPaths()) {
            QString upper = key; // in ASCII only: a few letters have no case partner both ways
            for (QChar& c : upper)
                if (c >= u'a' && c <= u'z')
                    c = QChar(c.unicode() - 32);
            if (!doc.hasKey(upper))
                return u"key not found: "_qs + shown(key);
            for (qsizetype i = key.lastIndexOf(u'\\'); i > 0; i = key.lastIndexOf(u'\\', i - 1)) {
                const QString parent = key.left(i);
                const QString child = key.mid(i + 1).section(u'\\', 0, 0);
                if (!doc.hasKey(parent))
                    return u"parent not found: "_qs + shown(parent);
                if (!doc.subKeyNames(parent).contains(child, Qt::CaseInsensitive))
                    return u"subkey not listed: "_qs + shown(child);
            }
        }
        return {};
    }

} // namespace

QString checkRegDocument(const QByteArray& bytes)
{
    const RegDocument first = RegDocument::parse(bytes);
    const QByteArray saved = first.serialize();
    const RegDocument second = RegDocument::parse(saved);
    QString broken = difference(whatAReadSees(first), whatAReadSees(second));
    if (!broken.isEmpty())
        return u"a save changed what a read sees: "_qs + broken;
    if (second.serialize() != saved)
        return QStringLiteral("saving what was read changed the bytes");
    broken = keysMissing(second);
    if (!broken.isEmpty())
        return broken;

    // Changes as the program makes them, with a text taken from the input. A registry string
    // cannot end in NUL, so the text holds none.
    QString text = QString::fromLatin1(bytes.left(24));
    text.remove(QChar(0));
    const QString editKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Orvane\\Pagemason\\Edit");
    RegDocument changed = first;
    const QStringList keys = first.keyPaths();
    if (!keys.isEmpty()) {
        const QString& key = keys.last();
        const QStringList names = first.valueNames(key);
        if (!names.isEmpty())
            changed.setValue(key, names.first(), text);
        changed.setValue(key, QStringLiteral("Fuzz value"), text);
        if (names.size() > 1)
            changed.removeValue(key, names.last());
        if (keys.size() > 1)
            changed.removeKey(keys.first());
    }
    changed.setValue(editKey, QStringLiteral("Tag case"), text);
    const QByteArray changedBytes = changed.serialize();
    const RegDocument reread = RegDocument::parse(changedBytes);
    broken = difference(whatAReadSees(changed), whatAReadSees(reread));
    if (!broken.isEmpty())
        return u"a save after changes changed what a read sees: "_qs + broken;
    if (reread.value(editKey, QStringLiteral("Tag case")) != text)
        return u"a value set was not read back: "_qs + shown(text);
    if (reread.serialize() != changedBytes)
        return QStringLiteral("saving what was read after changes changed the bytes");
    return keysMissing(changed);
}

} // namespace pmfuzz
