/** @file ProfileFileCheck.cpp ** Property checks of the profile file's reader and writer. **/
#include "fuzz/ProfileFileCheck.h"

#include "fuzz/ScratchFile.h"
#include "templates/wizard/TProfileFile.h"
#include "templates/wizard/wizardAnswers_utl.h"

#include <QSet>

namespace pmfuzz {

namespace {

    const QStringList historySections { historyFileNameSection, historyUrlSection,
        historyUrlFileSection, historyImageSection };

    TProfileFile profileOf(const QByteArray& bytes)
    {
        TProfileFile profile(QString {});
        profile.setContent(bytes);
        return profile;
    }

    /// The sections the checks look at: the history's, the first few the file names itself.
    QStringList sectionsOf(const QByteArray& bytes)
    {
        QStringList sections = historySections;
        for (const QByteArray& line : bytes.split('\n')) {
            const QByteArray t = line.trimmed();
            if (!t.startsWith('['))
                continue;
            const qsizetype end = t.indexOf(']');
            sections.append(QString::fromUtf8(t.mid(1, end < 0 ? -1 : end - 1)));
            if (sections.size() >= historySections.size() + 6)
                break;
        }
        return sections;
    }

    /// The keys of every section, one entry per section in `sections`.
    QList<QStringList> keysOf(const TProfileFile& profile, const QStringList& sections)
    {
        QList<QStringList> out;
        for (const QString& section : sections)
            out.append(profile.keys(section));
        return out;
    }

    QString keysDiffer(const QStringList& sections, const QList<QStringList>& before,
        const QList<QStringList>& after, const QString& except = QString())
    {
        for (qsizetype i = 0; i < sections.size(); ++i) {
            if (!except.isNull() && sections.at(i).compare(except, Qt::CaseInsensitive) == 0)
                continue;
            if (before.at(i) != after.at(i))
                return u"the keys of ["_qs + shown(sections.at(i)) + u"] changed from \""_qs
                    + shown(before.at(i).join(u'|')) + u"\" to \""_qs
                    + shown(after.at(i).join(u'|')) + u'"';
        }
        return {};
    }

    bool containsKey(const QStringList& keys, const QString& key)
    {
        for (const QString& k : keys)
            if (k.compare(key, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }

} // namespace

QString checkProfileFile(const QByteArray& bytes)
{
    const TProfileFile read = profileOf(bytes);
    const QStringList sections = sectionsOf(bytes);
    const QList<QStringList> keys = keysOf(read, sections);

    const QByteArray saved = read.content();
    const TProfileFile again = profileOf(saved);
    if (QString broken = keysDiffer(sections, keys, keysOf(again, sections)); !broken.isEmpty())
        return u"a save changed what a read sees: "_qs + broken;
    if (again.content() != saved)
        return QStringLiteral("saving what was read changed the bytes");

    for (qsizetype i = 0; i < sections.size(); ++i) {
        QSet<QString> folded;
        for (const QString& key : keys.at(i)) {
            if (!TProfileFile::isStorableKey(key))
                return u"the key \""_qs + shown(key) + u"\" was read but cannot be stored"_qs;
            if (folded.contains(key.toCaseFolded()))
                return u"the key \""_qs + shown(key) + u"\" was read twice"_qs;
            folded.insert(key.toCaseFolded());
        }
        for (const int limit : { 0, 1, 3 })
            if (read.keys(sections.at(i), limit) != keys.at(i).mid(0, limit))
                return QStringLiteral("a limit of %1 did not give the first keys").arg(limit);
    }

    // Keys to set: the file's last line as it stands, a known key in other capitals, a plain
    // new one.
    QStringList newKeys { QStringLiteral("fuzz-new-entry") };
    const QList<QByteArray> lines = bytes.split('\n');
    for (const QByteArray& line : lines)
        if (!line.trimmed().isEmpty()) {
            newKeys.append(QString::fromUtf8(line.endsWith('\r') ? line.chopped(1) : line));
            break;
        }
    if (!lines.isEmpty())
        newKeys.append(QString::fromUtf8(lines.last()));
    for (const QStringList& k : keys)
        if (!k.isEmpty()) {
            newKeys.append(k.first().toUpper());
            break;
        }
    QStringList targets = sections;
    targets.append(QStringLiteral("Fuzz section"));
    for (const QString& section : std::as_const(targets)) {
        for (const QString& key : std::as_const(newKeys)) {
            TProfileFile changed = profileOf(saved);
            const bool set = changed.setValue(section, key, QStringLiteral("v"));
            const bool history = historySections.contains(section, Qt::CaseInsensitive);
            if (!set) {
                if (history && TProfileFile::isStorableKey(key))
                    return u"the storable key \""_qs + shown(key) + u"\" was refused in ["_qs
                        + section + u']';
                continue;
            }
            const QStringList there = changed.keys(section);
            if (!containsKey(there, key))
                return u"the key \""_qs + shown(key) + u"\" set in ["_qs + shown(section)
                    + u"] is not among its keys \""_qs + shown(there.join(u'|')) + u'"';
            if (QString broken = keysDiffer(sections, keys, keysOf(changed, sections), section);
                !broken.isEmpty())
                return u"setting \""_qs + shown(key) + u"\" in ["_qs + shown(section) + u"]: "_qs
                    + broken;
            const TProfileFile reread = profileOf(changed.content());
            if (reread.keys(section) != there)
                return u"after setting \""_qs + shown(key) + u"\" in ["_qs + shown(section)
                    + u"] a save changed its keys"_qs;
        }
    }
    return {};
}

} // namespace pmfuzz
