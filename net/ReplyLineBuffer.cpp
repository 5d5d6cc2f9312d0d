/** @file ReplyLineBuffer.cpp ** Line splitting of a server's replies. **/
#include "net/ReplyLineBuffer.h"

#include <cstring>

QList<QByteArray> ReplyLineBuffer::feed(const char* data, int length)
{
    QList<QByteArray> lines;
    const char* p = data;
    const char* const end = data + length;
    while (p < end) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* const segmentEnd = lf ? lf : end;
        if (segmentEnd > p) {
            append(p, segmentEnd - p);
            m_lastCR = segmentEnd[-1] == '\r';
        }
        if (!lf)
            break;
        if (m_lastCR) {
            QByteArray line = m_partial;
            if (!m_cut)
                line.chop(1); // the CR; a cut line lost it with its tail
            line.truncate(kMaxLine);
            lines.append(line);
            m_partial.clear();
            m_cut = false;
            m_lastCR = false;
        } else {
            append("\n", 1);
        }
        p = lf + 1;
    }
    return lines;
}

void ReplyLineBuffer::clear()
{
    m_partial.clear();
    m_cut = false;
    m_lastCR = false;
}

void ReplyLineBuffer::append(const char* data, qsizetype length)
{
    if (m_cut)
        return;
    const qsizetype room = kMaxLine + 1 - m_partial.size();
    if (length > room) {
        m_partial.append(data, room);
        m_cut = true;
    } else {
        m_partial.append(data, length);
    }
}
