/** @file TprocessForm.cpp ** The progress window of a run. **/
#include "search/TprocessForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

/// Events run at most this often during a run: often enough to repaint and to see Escape or
/// Cancel within a fraction of a second, rarely enough to cost the run next to nothing.
constexpr qint64 breathMs = 15;

} // namespace

TprocessForm::TprocessForm(QWidget* frame)
    : QWidget(frame, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_frame(frame)
{
    setObjectName(QStringLiteral("TprocessForm"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Process in file:"), this), 0, 0);
    m_fileLabel = new QLabel(this);
    m_fileLabel->setObjectName(QStringLiteral("fileLabel"));
    m_fileLabel->setMinimumWidth(240);
    grid->addWidget(m_fileLabel, 0, 1);
    m_filesBar = new QProgressBar(this);
    m_filesBar->setObjectName(QStringLiteral("filesBar"));
    grid->addWidget(m_filesBar, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Process:"), this), 2, 0);
    m_replacedLabel = new QLabel(this);
    m_replacedLabel->setObjectName(QStringLiteral("replacedLabel"));
    grid->addWidget(m_replacedLabel, 2, 1);
    m_lineLabel = new QLabel(this);
    m_lineLabel->setObjectName(QStringLiteral("lineLabel"));
    grid->addWidget(m_lineLabel, 3, 0, 1, 2);
    m_linesBar = new QProgressBar(this);
    m_linesBar->setObjectName(QStringLiteral("linesBar"));
    grid->addWidget(m_linesBar, 4, 0, 1, 2);
    m_charLabel = new QLabel(this);
    m_charLabel->setObjectName(QStringLiteral("charLabel"));
    grid->addWidget(m_charLabel, 5, 0, 1, 2);
    m_charsBar = new QProgressBar(this);
    m_charsBar->setObjectName(QStringLiteral("charsBar"));
    grid->addWidget(m_charsBar, 6, 0, 1, 2);
    m_cancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelBtn->setObjectName(QStringLiteral("cancelBtn"));
    grid->addWidget(m_cancelBtn, 7, 1, Qt::AlignRight);
    connect(m_cancelBtn, &QPushButton::clicked, this, [this] { m_cancel = true; });
    for (QProgressBar* bar : { m_filesBar, m_linesBar, m_charsBar })
        bar->setTextVisible(false);
}

TprocessForm::~TprocessForm()
{
    if (m_running)
        qApp->removeEventFilter(this);
}

void TprocessForm::start(int fileCount, bool replacing)
{
    m_fileCount = fileCount;
    m_cancel = false;
    m_escapeHeld = m_escapePressed = false;
    m_breaths = 0;
    m_pending = false;
    m_filesBar->setRange(0, qMax(fileCount, 1));
    m_filesBar->setValue(0);
    for (QWidget* w : { static_cast<QWidget*>(m_lineLabel), static_cast<QWidget*>(m_charLabel),
             static_cast<QWidget*>(m_replacedLabel), static_cast<QWidget*>(m_linesBar),
             static_cast<QWidget*>(m_charsBar) })
        w->setVisible(replacing);
    m_fileLabel->clear();
    if (!m_running)
        qApp->installEventFilter(this);
    m_running = true;
    // Modal: while the run lets events through, nothing else of the program can be used.
    setWindowModality(Qt::ApplicationModal);
    adjustSize();
    place();
    QWidget::show();
    raise();
    m_cancelBtn->setFocus();
    QCoreApplication::processEvents();
    m_sinceBreath.start();
}

void TprocessForm::finish()
{
    if (m_running)
        qApp->removeEventFilter(this);
    m_running = false;
    hide();
    setWindowModality(Qt::NonModal);
}

void TprocessForm::place()
{
    if (!m_frame)
        return;
    const QRect f = m_frame->frameGeometry();
    move(f.right() - width() + 1, f.bottom() - height() + 1);
}

void TprocessForm::fileStarted(int index, const QString& fileName)
{
    m_file = index;
    m_fileName = fileName;
    m_pending = true;
}

void TprocessForm::matchReached(const TReplaceProgress& where)
{
    m_where = where;
    m_pending = true;
}

void TprocessForm::showPending()
{
    if (!m_pending)
        return;
    m_pending = false;
    m_fileLabel->setText(m_fileName);
    m_filesBar->setValue(m_file);
    if (!m_lineLabel->isVisible())
        return;
    m_lineLabel->setText(QStringLiteral("Line %1 of %2").arg(m_where.line).arg(m_where.lineCount));
    m_linesBar->setRange(0, qMax(m_where.lineCount, 1));
    m_linesBar->setValue(qMin(m_where.line, m_where.lineCount));
    m_charLabel->setText(
        QStringLiteral("Char %1 of %2").arg(m_where.charIndex).arg(m_where.lineLength));
    m_charsBar->setRange(0, qMax(m_where.lineLength, 1));
    m_charsBar->setValue(qMin(m_where.charIndex, m_where.lineLength));
    m_replacedLabel->setText(QStringLiteral("%1 replaced").arg(m_where.replaced));
}

QString TprocessForm::lineText() const
{
    return m_lineLabel->text();
}

QString TprocessForm::replacedText() const
{
    return m_replacedLabel->text();
}

void TprocessForm::breathe()
{
    if (!m_running || (m_sinceBreath.isValid() && m_sinceBreath.elapsed() < breathMs))
        return;
    showPending();
    ++m_breaths;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_sinceBreath.start();
}

bool TprocessForm::takeEscape()
{
    breathe();
    const bool escape = m_escapeHeld || m_escapePressed;
    m_escapePressed = false;
    return escape;
}

bool TprocessForm::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            if (type == QEvent::KeyPress) {
                m_escapeHeld = true;
                m_escapePressed = true;
            } else if (!key->isAutoRepeat()) {
                m_escapeHeld = false;
            }
            // Seen by the run; the window under it must not close on it as well.
            if (watched == this || isAncestorOf(qobject_cast<QWidget*>(watched)))
                return true;
        }
    } else if (type == QEvent::ApplicationDeactivate) {
        m_escapeHeld = false; // its release may go to another program
    }
    return QWidget::eventFilter(watched, event);
}

void TprocessForm::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        m_cancel = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
