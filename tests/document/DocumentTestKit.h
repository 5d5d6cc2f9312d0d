/** @file DocumentTestKit.h ** What tests of windows that hold documents share: an MDI area to
 ** host the documents, the program's files pointed at test copies, and file helpers. **/
#pragma once

#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TDocumentHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

namespace documenttest {

class Host : public TDocumentHost
{
public:
    QMdiArea* area = nullptr;
    QMdiArea* mdiArea() override { return area; }
};

/// Menus, colour rules and hotkeys from the test data; no web view; no typing aids.
inline void useTestFiles(const QTemporaryDir& dir)
{
    webBrowserControlAvailable = false;
    dynamicMenusFileName = QStringLiteral(TEST_DATA_DIR "/document/default.mnu");
    hotkeysFileName = dir.filePath(QStringLiteral("Pagemason.HotKeys"));
    colorRulesFileName = QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors");
    globalOptions.autoInsertTags = false;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Closes every document window without asking about changes.
inline void closeAll()
{
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows) {
        w->source().setModified(false);
        qobject_cast<QMdiSubWindow*>(w->parentWidget())->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace documenttest
