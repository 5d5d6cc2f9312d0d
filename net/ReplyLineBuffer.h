/** @file ReplyLineBuffer.h ** Cuts the text a server sends into lines at CR LF, holding no more
 ** than a few kilobytes of an unfinished line. **/
#pragma once

#include <QByteArray>
#include <QList>

class ReplyLineBuffer
{
public:
    /// Longer lines keep their first kMaxLine bytes; the rest up to their CR LF is dropped, so a
    /// peer that never ends a line cannot make the buffer grow.
    static constexpr int kMaxLine = 4096;

    /// Appends received bytes and returns the lines they complete, without their CR LF. A lone
    /// CR or LF is part of the line.
    QList<QByteArray> feed(const char* data, int length);
    void clear();
    /// Bytes held of the unfinished line.
    int pendingBytes() const { return int(m_partial.size()); }

private:
    void append(const char* data, qsizetype length);

    /// invariant: m_partial.size() <= kMaxLine + 1 (room for a CR that may end the line).
    QByteArray m_partial;
    /// The line has lost bytes past the limit; none are taken until its end.
    bool m_cut = false;
    /// The line's latest byte, kept or dropped, was CR.
    bool m_lastCR = false;
};
