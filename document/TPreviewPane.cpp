/** @file TPreviewPane.cpp ** The preview web view and the pages it is served from memory. **/
#include "document/TPreviewPane.h"

#include "editor/TMemoSource.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QVBoxLayout>

#ifdef PM_HAVE_WEBENGINE
#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QOpenGLContext>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#endif

namespace {

const QByteArray schemeName = QByteArrayLiteral("pagemason-preview");

#ifdef PM_HAVE_WEBENGINE

/// Serves each pane's current page from memory and every other address of the scheme from
/// the file of that path, so that the page's own pictures and styles load from its folder.
class TPreviewSchemeHandler : public QWebEngineUrlSchemeHandler
{
public:
    struct Page
    {
        QString path;
        QByteArray html;
    };
    QHash<QString, Page> pages; ///< by pane id

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        const QUrl url = job->requestUrl();
        const QString path = url.path(QUrl::FullyDecoded);
        const auto page = pages.constFind(url.host());
        if (page == pages.constEnd()) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        if (path == page->path) {
            auto* buffer = new QBuffer(job);
            buffer->setData(page->html);
            buffer->open(QIODevice::ReadOnly);
            // The text is UTF-8 whatever its meta tag says: it is the editor's text.
            job->reply(QByteArrayLiteral("text/html;charset=utf-8"), buffer);
            return;
        }
        auto* file = new QFile(path, job);
        if (!QFileInfo(path).isFile() || !file->open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        static const QMimeDatabase types;
        job->reply(types.mimeTypeForFile(path).name().toUtf8(), file);
    }
};

TPreviewSchemeHandler* schemeHandler()
{
    static TPreviewSchemeHandler* handler = [] {
        // Before the first web engine object exists: a scheme with a host, so that relative
        // addresses resolve, and local, so that file: addresses in the page load too.
        QWebEngineUrlScheme scheme(schemeName);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
        scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
        if (QWebEngineUrlScheme::schemeByName(schemeName).name().isEmpty())
            QWebEngineUrlScheme::registerScheme(scheme);
        auto* h = new TPreviewSchemeHandler;
        QWebEngineProfile::defaultProfile()->installUrlSchemeHandler(schemeName, h);
        return h;
    }();
    return handler;
}

QWebEngineView* webView(QWidget* view)
{
    return static_cast<QWebEngineView*>(view);
}

#endif

int nextPageNumber = 1;

} // namespace

TPreviewPane::TPreviewPane(QWidget* parent)
    : QWidget(parent)
    , m_pageId(QStringLiteral("page") + QString::number(nextPageNumber++))
{
    setObjectName(QStringLiteral("previewPane"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
}

TPreviewPane::~TPreviewPane()
{
#ifdef PM_HAVE_WEBENGINE
    if (m_view)
        schemeHandler()->pages.remove(m_pageId);
#endif
}

bool TPreviewPane::available()
{
#ifdef PM_HAVE_WEBENGINE
    // The web view paints through the platform's OpenGL; without it (no GLX or EGL) the first
    // paint would take the program down. The offscreen platform renders in software.
    static const bool canRender = QGuiApplication::platformName() == QLatin1String("offscreen")
        || QOpenGLContext().create();
    return canRender;
#else
    return false;
#endif
}

void TPreviewPane::ensureView()
{
#ifdef PM_HAVE_WEBENGINE
    if (m_view)
        return;
    schemeHandler();
    auto* view = new QWebEngineView(this);
    view->setObjectName(QStringLiteral("webBrowser"));
    m_layout->addWidget(view);
    m_view = view;
    connect(view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        // Once more after the pictures came in: they may have made the page longer.
        const QPointF keep = m_keepScroll;
        if (!keep.isNull())
            webView(m_view)->page()->runJavaScript(
                QStringLiteral("window.scrollTo(%1, %2)").arg(keep.x()).arg(keep.y()),
                QWebEngineScript::ApplicationWorld);
        emit loaded(ok);
    });
#endif
}

void TPreviewPane::navigate(const QUrl& url)
{
#ifdef PM_HAVE_WEBENGINE
    ensureView();
    QWebEnginePage* page = webView(m_view)->page();
    // The same page again keeps its place: the scroll position is put back as soon as the new
    // document is parsed, before it is painted, so the view does not jump to the top first.
    // The saved file and its unsaved text are the same page.
    const bool samePage = !m_url.isEmpty() && url.path() == m_url.path();
    m_keepScroll = samePage ? page->scrollPosition() : QPointF();
    const QList<QWebEngineScript> old = page->scripts().find(QStringLiteral("pagemasonKeepScroll"));
    for (const QWebEngineScript& s : old)
        page->scripts().remove(s);
    if (!m_keepScroll.isNull()) {
        QWebEngineScript keep;
        keep.setName(QStringLiteral("pagemasonKeepScroll"));
        keep.setInjectionPoint(QWebEngineScript::DocumentReady);
        keep.setWorldId(QWebEngineScript::ApplicationWorld);
        keep.setSourceCode(
            QStringLiteral("window.scrollTo(%1, %2);").arg(m_keepScroll.x()).arg(m_keepScroll.y()));
        page->scripts().insert(keep);
    }
    m_url = url;
    page->load(url);
#else
    m_url = url;
#endif
}

void TPreviewPane::showFile(const QString& fileName)
{
    navigate(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
}

void TPreviewPane::showText(const QByteArray& html, const QString& pageFile)
{
    const QString path = QFileInfo(pageFile).absoluteFilePath();
#ifdef PM_HAVE_WEBENGINE
    ensureView();
    schemeHandler()->pages.insert(m_pageId, TPreviewSchemeHandler::Page { path, html });
#else
    (void)html;
#endif
    QUrl url;
    url.setScheme(QString::fromLatin1(schemeName));
    url.setHost(m_pageId);
    url.setPath(path);
    navigate(url);
}

QByteArray TPreviewPane::pageBytes(const TMemoSource& source)
{
    QByteArray out;
    const int count = source.lineCount();
    qsizetype total = 0;
    for (int i = 0; i < count; ++i)
        total += source.lineLength(i) + 1;
    out.reserve(total + total / 8);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += '\n';
        const LineText t = source.lineText(i);
        if (t.isWide()) {
            out += QStringView(t.utf16(), t.size()).toUtf8();
        } else {
            // Latin-1 below 0x80 is already UTF-8.
            const char* p = t.latin1();
            qsizetype i0 = 0;
            for (qsizetype k = 0; k < t.size(); ++k) {
                if (uchar(p[k]) >= 0x80) {
                    out.append(p + i0, k - i0);
                    const uchar c = uchar(p[k]);
                    out += char(0xC0 | (c >> 6));
                    out += char(0x80 | (c & 0x3F));
                    i0 = k + 1;
                }
            }
            out.append(p + i0, t.size() - i0);
        }
    }
    return out;
}

QPointF TPreviewPane::scrollPosition() const
{
#ifdef PM_HAVE_WEBENGINE
    if (m_view)
        return webView(m_view)->page()->scrollPosition();
#endif
    return QPointF();
}

void TPreviewPane::runScript(
    const QString& script, const std::function<void(const QVariant&)>& done)
{
#ifdef PM_HAVE_WEBENGINE
    if (m_view) {
        webView(m_view)->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, done);
        return;
    }
#endif
    (void)script;
    done(QVariant());
}
