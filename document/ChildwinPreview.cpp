/** @file ChildwinPreview.cpp ** A document window's browser view, Preview page and live preview
 ** beside the editor. **/
#include "document/Childwin.h"

#include "core/global_utl.h"
#include "core/status_utl.h"
#include "document/TPreviewPane.h"
#include "document/common/viewer_utl.h"
#include "editor/TDCMemo.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QLayout>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

void TMDIChild::ViewInBrowserItemClick()
{
    if (MemoSource1.Modified()) {
        const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Question,
            QStringLiteral("Do you want to save the document before viewing it in the browser? "
                           "(recommended)"),
            pm::Dialogs::Buttons::YesNoCancel);
        if (answer == pm::Dialogs::Answer::Cancel)
            return;
        // An untitled document has no file to save to; the browser then gets no file.
        if (answer == pm::Dialogs::Answer::Yes && !saveDocument(fileName, this)
            && !fileName.isEmpty())
            return;
    }
    viewInBrowser(fileName);
}

void TMDIChild::PageControl1Change()
{
    const bool preview
        = webBrowser && webBrowserControlAvailable && PageControl1->currentWidget() == previewPage;
    placePreview();
    if (preview) {
        menuItem(QStringLiteral("PreviewModeItem"))->setChecked(true);
        refreshPreview();
        return;
    }
    menuItem(QStringLiteral("EditModeItem"))->setChecked(true);
    memo1->setFocus();
}

void TMDIChild::refreshPreview()
{
    if (!webBrowser)
        return;
    m_liveTimer->stop();
    const QString name = fileName;
    if (MemoSource1.Modified() || name.isEmpty() || !QFileInfo(name).isFile()) {
        // The current text, as a page of the document's own folder (an untitled one: the
        // project's), held in memory: the modified state stays as it is.
        const QString page = name.isEmpty() ? projectDir + QStringLiteral("Untitled.html") : name;
        webBrowser->showText(TPreviewPane::pageBytes(MemoSource1), page);
    } else {
        webBrowser->showFile(name);
    }
}

void TMDIChild::placePreview()
{
    if (!webBrowser)
        return;
    const bool onPreviewPage = PageControl1->currentWidget() == previewPage;
    if (onPreviewPage || !m_livePreview) {
        if (webBrowser->parentWidget() != previewPage) {
            previewPage->layout()->addWidget(webBrowser);
            webBrowser->show();
        }
    } else if (webBrowser->parentWidget() != m_editSplit) {
        m_editSplit->addWidget(webBrowser);
        webBrowser->show();
        // Half and half at first; the user's split stays afterwards.
        const int half = std::max(1, m_editSplit->width() / 2);
        m_editSplit->setSizes({ half, half });
    }
}

void TMDIChild::setLivePreview(bool on)
{
    if (!webBrowser)
        on = false;
    menuItem(QStringLiteral("LivePreviewItem"))->setChecked(on);
    if (on == m_livePreview)
        return;
    m_livePreview = on;
    m_bigPageNoted = false;
    placePreview();
    if (on)
        refreshPreview();
    else
        m_liveTimer->stop();
}

bool TMDIChild::livePreviewPending() const
{
    return m_liveTimer->isActive();
}

void TMDIChild::textChangedForPreview()
{
    if (!m_livePreview || !webBrowser)
        return;
    // A large page follows the saves only: making a page of the whole text after every pause
    // would hold up the typing.
    if (textSize() > livePreviewLimit) {
        m_liveTimer->stop();
        if (!m_bigPageNoted) {
            m_bigPageNoted = true;
            setStatus(QStringLiteral("Live preview: pages over 4 MB follow each save. Ready"));
        }
        return;
    }
    m_liveTimer->start();
}

void TMDIChild::documentSaved()
{
    if (webBrowser && (m_livePreview || PageControl1->currentWidget() == previewPage))
        refreshPreview();
}
