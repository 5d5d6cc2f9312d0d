/** @file TPublishList.h ** The files to publish: local paths and open documents (shown by their
 ** captions), each once, with the total of their sizes. **/
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class TPublishList
{
public:
    struct Item
    {
        QString text; ///< a full local path, or an open document's caption
        QPointer<QObject> window; ///< the document window it came from, if any
        qint64 size = 0; ///< counted in the total when it was added
    };

    /// Adds the item unless one with exactly this text is there; its size counts once.
    bool add(const QString& text, QObject* window, qint64 size);
    void removeAt(int index);
    /// The item now names another file (a document saved under its name): counted at `size`.
    void rename(int index, const QString& text, qint64 size);
    void clear();
    /// Counts every item again at its file's present size (`sizeOf` of each text).
    template <typename SizeOf> void recount(SizeOf sizeOf)
    {
        m_total = 0;
        for (Item& i : m_items)
            m_total += (i.size = sizeOf(i.text));
    }

    int count() const { return int(m_items.size()); }
    const Item& at(int index) const { return m_items[index]; }
    int indexOf(const QString& text) const;
    QStringList texts() const;
    /// Bytes; 64 bits, so that files beyond 2 GiB in all still add up.
    qint64 totalSize() const { return m_total; }

private:
    QList<Item> m_items;
    qint64 m_total = 0;
};
