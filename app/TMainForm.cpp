/** @file TMainForm.cpp ** Main window frame, its menu and its status area. **/
#include "app/TMainForm.h"

#include "app/TMainFormWindows.h"
#include "app/TToolWindow.h"
#include "app/startup_utl.h"
#include "core/errors_utl.h"
#include "core/settings_utl.h"
#include "platform/RegFileStore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>

TMainForm* mainForm = nullptr;

/// Panel 0 of the status bar: the ready picture (a green tick) or the busy one (an hourglass).
class TStatusPicture : public QWidget
{
public:
    explicit TStatusPicture(const bool& ready, QWidget* parent)
        : QWidget(parent)
        , m_ready(ready)
    {
        setObjectName(QStringLiteral("statusPicture"));
        setFixedWidth(18);
        setMinimumHeight(18);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        // Drawn at the panel's left edge + 1 and its top edge, 16 x 16.
        p.translate(1, 0);
        if (m_ready) {
            p.setPen(QPen(QColor(0x1e, 0x7b, 0x34), 1));
            p.setBrush(QColor(0x4c, 0xaf, 0x50));
            p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
            p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({ QPointF(4, 8.5), QPointF(7, 11.5), QPointF(12, 5) }));
        } else {
            p.setPen(QPen(QColor(0x5d, 0x40, 0x37), 1.5));
            p.drawLine(QPointF(3, 1), QPointF(13, 1));
            p.drawLine(QPointF(3, 15), QPointF(13, 15));
            QPainterPath glass;
            glass.moveTo(4, 2);
            glass.lineTo(12, 2);
            glass.lineTo(8.8, 8);
            glass.lineTo(12, 14);
            glass.lineTo(4, 14);
            glass.lineTo(7.2, 8);
            glass.closeSubpath();
            p.setBrush(QColor(0xff, 0xf3, 0xe0));
            p.drawPath(glass);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xe6, 0xa1, 0x17));
            p.drawPolygon(QPolygonF({ QPointF(5.5, 13.2), QPointF(10.5, 13.2), QPointF(8, 10) }));
            p.drawPolygon(QPolygonF({ QPointF(6, 3.6), QPointF(10, 3.6), QPointF(8, 6.5) }));
        }
    }

private:
    const bool& m_ready;
};

TMainForm::TMainForm(TStartupSteps* steps, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Pagemason"));
    resize(720, 502);
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_mdiArea);
    createMenus();
    createStatusArea();
    TMainFormParts parts;
    parts.form = this;
    parts.area = m_mdiArea;
    parts.fileMenu = m_fileMenu;
    parts.reopenMenu = m_reopenMenu;
    parts.helpMenu = m_helpMenu;
    parts.newAction = m_newAction;
    parts.openAction = m_openAction;
    parts.aboutAction = m_aboutAction;
    m_windows = new TMainFormWindows(parts);
    m_steps = steps ? steps : m_windows;

    mainForm = this;
    setStatusSink(this);

    // FormCreate
    initializeApplication(*this, *m_steps);
    m_windows->placeMainWindow();
    ready = false;
}

TMainForm::~TMainForm()
{
    if (m_windows)
        m_windows->formDestroying();
    closeSplashScreen();
    // FormDestroy: nothing may reach a window that is going away.
    TStatusSink* const current = setStatusSink(nullptr);
    if (current != this)
        setStatusSink(current);
    if (mainForm == this)
        mainForm = nullptr;
}

void TMainForm::createMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu->setObjectName(QStringLiteral("File1"));
    m_newAction = m_fileMenu->addAction(QStringLiteral("&New"));
    m_newAction->setObjectName(QStringLiteral("New1"));
    m_newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_openAction = m_fileMenu->addAction(QStringLiteral("&Open"));
    m_openAction->setObjectName(QStringLiteral("Open1"));
    m_openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_reopenMenu = m_fileMenu->addMenu(QStringLiteral("&Reopen"));
    m_reopenMenu->setObjectName(QStringLiteral("Reopen1"));
    m_fileMenu->addSeparator();
    m_exitAction = m_fileMenu->addAction(QStringLiteral("E&xit"));
    m_exitAction->setObjectName(QStringLiteral("Exit1"));
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);

    m_helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    m_helpMenu->setObjectName(QStringLiteral("Help1"));
    m_aboutAction = m_helpMenu->addAction(QStringLiteral("&About"));
    m_aboutAction->setObjectName(QStringLiteral("About1"));
}

void TMainForm::createStatusArea()
{
    Panel4 = new QWidget(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto* layout = new QHBoxLayout(Panel4);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    progBar = new QProgressBar(Panel4);
    progBar->setObjectName(QStringLiteral("progBar"));
    progBar->setFixedWidth(144);
    progBar->setRange(0, 100);
    progBar->setValue(0);
    progBar->setTextVisible(false);
    layout->addWidget(progBar);

    m_picture = new TStatusPicture(ready, Panel4);
    layout->addWidget(m_picture);

    m_statusText = new QLabel(QStringLiteral("Ready"), Panel4);
    m_statusText->setObjectName(QStringLiteral("statusText"));
    m_statusText->setTextFormat(Qt::PlainText); // hints and file names, never mark-up
    m_statusText->setFrameShape(QFrame::StyledPanel);
    m_statusText->setFrameShadow(QFrame::Sunken);
    layout->addWidget(m_statusText, 1);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->addPermanentWidget(Panel4, 1);
}

QWidget* TMainForm::statusPicture() const
{
    return m_picture;
}

QString TMainForm::statusText() const
{
    return m_statusText->text();
}

void TMainForm::setStatus(const QString& text)
{
    m_statusText->setText(text);
    ready = text.contains(QStringLiteral("Ready"));
    // Long operations do not return to the event loop: paint now.
    statusBar()->repaint();
}

void TMainForm::setProgress(int position, int maximum)
{
    progBar->setRange(0, qMax(maximum, 1));
    progBar->setValue(position == maximum ? 0 : qBound(0, position, qMax(maximum, 1)));
    progBar->repaint();
}

void TMainForm::busyChanged(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TMainForm::resultRowAdded(const QStringList& columns)
{
    m_windows->toolWindow()->addResultRow(columns);
}

void TMainForm::resultsPageShown()
{
    m_windows->showResultsPage();
}

void TMainForm::showHint(const QString& hint)
{
    m_statusText->setText(hint);
}

bool TMainForm::event(QEvent* e)
{
    if (e->type() == QEvent::StatusTip) {
        showHint(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

void TMainForm::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!m_shown && !m_showQueued) {
        // Run once the window is on screen, so the splash wait happens over a painted frame.
        m_showQueued = true;
        QTimer::singleShot(0, this, &TMainForm::FormShow);
    }
}

void TMainForm::FormShow()
{
    if (m_shown)
        return;
    m_shown = true;
    finishStartup(*m_steps);
    // Typing goes into the document at once: the splash has gone and nobody clicked yet.
    m_windows->giveKeyboardToWork();
    ready = true;
    m_picture->update();
    emit startupFinished();
}

void TMainForm::closeEvent(QCloseEvent* e)
{
    // FormClose: refused until every step agreed.
    e->ignore();
    if (!m_steps->closeDocumentWindows() || !m_steps->askSaveProject())
        return;
    e->accept();
    if (!saveSettings(settingsKey, m_windows)) {
        QString reason;
        if (const auto* file = dynamic_cast<const pm::RegFileStore*>(&pm::settingsStore()))
            reason = QStringLiteral("\r\n") + file->lastError();
        showError(14, QStringLiteral("The settings could not be saved.") + reason);
    }
}
