/** @file TPreviewPane.h ** The preview of one document: a web view, made when it first shows a
 ** page, that shows a saved file itself or the document's current text as a page of the
 ** document's own folder, held in memory, never written anywhere. **/
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class TMemoSource;
class QVBoxLayout;

class TPreviewPane : public QWidget
{
    Q_OBJECT
public:
    explicit TPreviewPane(QWidget* parent = nullptr);
    ~TPreviewPane() override;

    /// True when this build can preview at all.
    static bool available();

    /// Navigates to the file itself ("file:///" + name).
    void showFile(const QString& fileName);
    /// Shows `html` (UTF-8) as the page `pageFile`: its relative links, pictures and style
    /// sheets resolve against that file's folder. Nothing is written to disk.
    void showText(const QByteArray& html, const QString& pageFile);
    /// The document's text as the bytes a page of it is served with.
    static QByteArray pageBytes(const TMemoSource& source);

    /// The web view, or null until the first page was asked for.
    QWidget* view() const { return m_view; }
    /// The address of the page shown last (empty before the first).
    QUrl currentUrl() const { return m_url; }
    /// The page's scroll position, in CSS pixels.
    QPointF scrollPosition() const;
    /// Runs a script in the page and hands its result to `done` (tests, measurements).
    void runScript(const QString& script, const std::function<void(const QVariant&)>& done);

signals:
    /// A page finished loading (`ok` false when it failed).
    void loaded(bool ok);

private:
    void ensureView();
    void navigate(const QUrl& url);

    QVBoxLayout* m_layout = nullptr;
    QWidget* m_view = nullptr; ///< the QWebEngineView once made
    QUrl m_url;
    QPointF m_keepScroll; ///< where the page being loaded is to be scrolled; null: the top
    QString m_pageId; ///< this pane's host in the preview scheme: no page is shared between panes
};
