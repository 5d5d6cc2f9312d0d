/** @file TPublishList.cpp ** The list of files to publish. **/
#include "publish/engine/TPublishList.h"

bool TPublishList::add(const QString& text, QObject* window, qint64 size)
{
    if (text.isEmpty() || indexOf(text) >= 0)
        return false;
    m_items.append(Item { text, window, size });
    m_total += size;
    return true;
}

void TPublishList::removeAt(int index)
{
    m_total -= m_items[index].size;
    m_items.removeAt(index);
}

void TPublishList::rename(int index, const QString& text, qint64 size)
{
    Item& i = m_items[index];
    m_total += size - i.size;
    i.text = text;
    i.size = size;
}

void TPublishList::clear()
{
    m_items.clear();
    m_total = 0;
}

int TPublishList::indexOf(const QString& text) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].text == text)
            return i;
    return -1;
}

QStringList TPublishList::texts() const
{
    QStringList out;
    for (const Item& i : m_items)
        out.append(i.text);
    return out;
}
