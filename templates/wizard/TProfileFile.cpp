/** @file TProfileFile.cpp ** A private profile (INI) file with the Windows profile semantics. **/
#include "templates/wizard/TProfileFile.h"

#include "platform/SafeSave.h"

#include <QFile>
#include <QSet>

namespace {

/// The name of a section header line ("[name]"), or a null string for any other line.
QString headerName(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return QString();
    int end = t.indexOf(']');
    if (end < 0)
        end = int(t.size());
    return QString::fromUtf8(t.mid(1, end - 1)).trimmed();
}

/// The key of an entry line; a null string for blank lines, comments and lines without "=".
QString entryKey(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';'))
        return QString();
    const int eq = t.indexOf('=');
    if (eq < 0)
        return QString();
    return QString::fromUtf8(t.left(eq)).trimmed();
}

bool hasControlChars(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::ReplacementCharacter)
            return true;
    return false;
}

} // namespace

bool TProfileFile::load()
{
    m_lines.clear();
    m_readOnly = false;
    QFile f(m_fileName);
    if (!f.exists())
        return true;
    if (f.size() > maxFileSize || !f.open(QIODevice::ReadOnly)) {
        m_readOnly = true;
        return false;
    }
    const QByteArray bytes = f.read(maxFileSize + 1);
    if (bytes.size() > maxFileSize) { // grew while we looked
        m_readOnly = true;
        return false;
    }
    setContent(bytes);
    return true;
}

void TProfileFile::setContent(const QByteArray& bytes)
{
    m_lines = bytes.split('\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast(); // the final line end
    for (QByteArray& line : m_lines)
        if (line.endsWith('\r'))
            line.chop(1);
}

QByteArray TProfileFile::content() const
{
    QByteArray out;
    for (const QByteArray& line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

int TProfileFile::sectionLine(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString name = headerName(m_lines.at(i));
        if (!name.isNull() && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QStringList TProfileFile::keys(const QString& section, int limit) const
{
    QStringList out;
    QSet<QString> seen;
    const int start = sectionLine(section);
    if (start < 0)
        return out;
    for (int i = start + 1; i < m_lines.size(); ++i) {
        if (limit >= 0 && out.size() >= limit)
            break;
        const QByteArray& line = m_lines.at(i);
        if (!headerName(line).isNull())
            break;
        const QString key = entryKey(line);
        if (key.isEmpty() || hasControlChars(key))
            continue;
        const QString folded = key.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        out.append(key);
    }
    return out;
}

bool TProfileFile::isStorableKey(const QString& key)
{
    const QString t = key.trimmed();
    return !t.isEmpty() && t == key && !key.contains(u'=') && !key.startsWith(u'[')
           && !key.startsWith(u';') && !hasControlChars(key);
}

bool TProfileFile::setValue(const QString& section, const QString& key, const QString& value)
{
    if (m_readOnly || !isStorableKey(key) || hasControlChars(value) || section.isEmpty()
        // A header reads back without the blanks around its name, so it would never be found.
        || section.trimmed() != section
        || section.contains(u']') || hasControlChars(section))
        return false;
    const QByteArray entry = key.toUtf8() + '=' + value.toUtf8();
    int start = sectionLine(section);
    if (start < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QByteArray());
        m_lines.append('[' + section.toUtf8() + ']');
        m_lines.append(entry);
        return true;
    }
    int lastEntry = start;
    for (int i = start + 1; i < m_lines.size(); ++i) {
        const QByteArray& line = m_lines.at(i);
        if (!headerName(line).isNull())
            break;
        if (!line.trimmed().isEmpty())
            lastEntry = i;
        const QString k = entryKey(line);
        if (!k.isEmpty() && k.compare(key, Qt::CaseInsensitive) == 0) {
            const QByteArray t = line.trimmed();
            m_lines[i] = t.left(t.indexOf('=')).trimmed() + '=' + value.toUtf8();
            return true;
        }
    }
    m_lines.insert(lastEntry + 1, entry);
    return true;
}

bool TProfileFile::save(QString* error) const
{
    if (m_readOnly) {
        if (error)
            *error = QStringLiteral("The file is too large or unreadable: ") + m_fileName;
        return false;
    }
    return pm::saveFileSafely(m_fileName, content(), error);
}

QStringList TProfileFile::readKeys(const QString& fileName, const QString& section, int limit)
{
    TProfileFile profile(fileName);
    profile.load();
    return profile.keys(section, limit);
}

bool TProfileFile::writeString(const QString& fileName, const QString& section,
                               const QString& key, const QString& value)
{
    TProfileFile profile(fileName);
    if (!profile.load())
        return false;
    return profile.setValue(section, key, value) && profile.save();
}
