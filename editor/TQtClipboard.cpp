/** @file TQtClipboard.cpp ** The system clipboard for text storages. **/
#include "editor/TQtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

TQtClipboard& TQtClipboard::instance()
{
    static TQtClipboard clipboard;
    return clipboard;
}

void TQtClipboard::setText(const QString& text, bool isColumnBlock)
{
    QClipboard* cb = QGuiApplication::clipboard();
    if (text.isEmpty() && !isColumnBlock) {
        cb->clear();
        return;
    }
    auto* data = new QMimeData;
    data->setText(text);
    if (isColumnBlock)
        data->setData(QLatin1String(ColumnBlockMime), QByteArray("1"));
    cb->setMimeData(data);
}

QString TQtClipboard::text(bool* isColumnBlock) const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (isColumnBlock)
        *isColumnBlock = data && data->hasFormat(QLatin1String(ColumnBlockMime));
    return data && data->hasText() ? data->text() : QString();
}
