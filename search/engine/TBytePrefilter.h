/** @file TBytePrefilter.h ** Tells from a closed file's bytes that a search cannot match in it,
 ** so that most files of a large search never have to be read into a text (QtCore only). **/
#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

/// Answers "no match" only where findText could not match in the text read from those bytes:
/// the file holds no run of bytes that decodes to the text to find (ignoring case as the
/// search does). Where that cannot be told from bytes, it answers "may match".
class TBytePrefilter
{
public:
    /// `tabsBecomeSpaces`: the file is read the way a document window reads it, so a tab in
    /// the bytes may turn into the blanks of the text to find.
    TBytePrefilter(const QString& textToFind, bool caseSensitive, bool tabsBecomeSpaces);

    /// False when nothing can be told from bytes (a text to find beyond ASCII, say): every
    /// file must then be read.
    bool usable() const { return m_usable; }

    /// NotAFile: missing, or not a regular file (a folder, a device); such an entry is skipped.
    enum Verdict { NoMatch, MayMatch, Unreadable, NotAFile };
    /// Reads the file in pieces (never all of a large file at once); when the filter cannot
    /// tell anything it only makes sure the file is there.
    Verdict check(const QString& fileName, QString* error = nullptr);
    /// The same for bytes in memory.
    Verdict checkBytes(const char* data, qsizetype size);

    /// What the last check found the file to be, and, when it read the whole file in one
    /// piece, its bytes (empty otherwise).
    struct FileSeen
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 mtimeNs = 0;
        bool whole = false; ///< `bytes` hold the whole file
    };
    const FileSeen& lastFile() const { return m_seen; }
    QByteArrayView lastBytes() const;

private:
    /// Scans one piece; `carry` holds the end of the previous piece that a match may span.
    bool found(const char* data, qsizetype size) const;

    bool m_usable = false;
    bool m_caseSensitive = false;
    /// Some byte of 0x80 or more (some character beyond ASCII) may stand for a character of the
    /// text to find, or a tab for its blanks: a file holding one must be read.
    bool m_riskyHigh = false;
    bool m_riskyTab = false;
    std::vector<char> m_pattern; ///< upper-cased unless case matters
    std::vector<char> m_buffer;
    FileSeen m_seen;
};
