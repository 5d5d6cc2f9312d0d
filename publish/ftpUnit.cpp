/** @file ftpUnit.cpp ** The publish window and the steps of Send that need windows. **/
#include "publish/ftpUnit.h"

#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "document/Childwin.h"
#include "document/TFileSources.h"
#include "document/common/files_utl.h"
#include "platform/Dialogs.h"
#include "project/project_utl.h"
#include "publish/TentriesListFrm.h"
#include "publish/engine/publish_utl.h"

#include <QCheckBox>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

/// A bar counts in bytes while that fits its int range, else in larger units.
void setBar(QProgressBar* bar, qint64 maximum, qint64 value)
{
    if (maximum <= 0) {
        // A range of nothing would make the bar a busy indicator: nothing is under way.
        bar->setRange(0, 1);
        bar->setValue(0);
        return;
    }
    int shift = 0;
    while ((maximum >> shift) > std::numeric_limits<int>::max())
        ++shift;
    bar->setMaximum(int(maximum >> shift));
    bar->setValue(int(qBound<qint64>(0, value >> shift, maximum >> shift)));
}

} // namespace

/// The list of files to publish: takes drops from the window's sources and the desktop; items
/// dragged out and dropped anywhere else leave it.
class TPublishListView : public QTreeWidget
{
public:
    TPublishListView(TpublishFilesFrm* form, QWidget* parent)
        : QTreeWidget(parent)
        , m_form(form)
    {
        setObjectName(QStringLiteral("publishList"));
        setHeaderLabels({ QStringLiteral("Files to publish") });
        setRootIsDecorated(false);
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setDragEnabled(true);
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DragDrop);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* e) override { answer(e); }
    void dragMoveEvent(QDragMoveEvent* e) override { answer(e); }
    void dropEvent(QDropEvent* e) override
    {
        if (e->source() == this || e->source() == viewport()) {
            e->ignore();
            return;
        }
        if (e->source() && m_form->acceptsDropFrom(e->source())) {
            m_form->dropFrom(e->source());
        } else if (!e->source()) {
            const QList<QUrl> urls = e->mimeData()->urls();
            for (const QUrl& u : urls)
                if (u.isLocalFile() && QFileInfo(u.toLocalFile()).isFile())
                    m_form->addItem(u.toLocalFile());
        }
        e->setDropAction(Qt::CopyAction);
        e->accept();
    }
    void startDrag(Qt::DropActions) override
    {
        const QList<QTreeWidgetItem*> items = selectedItems();
        if (items.isEmpty())
            return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        QStringList texts;
        for (QTreeWidgetItem* i : items)
            texts.append(i->text(0));
        mime->setText(texts.join(u'\n'));
        drag->setMimeData(mime);
        drag->exec(Qt::MoveAction | Qt::CopyAction);
        QObject* target = drag->target();
        if (target != this && target != viewport())
            m_form->removeSelectedItems();
    }

private:
    void answer(QDragMoveEvent* e)
    {
        const bool ok = e->source() == this || e->source() == viewport()
            || (e->source() ? m_form->acceptsDropFrom(e->source()) : e->mimeData()->hasUrls());
        if (ok) {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
    }

    TpublishFilesFrm* m_form;
};

TpublishFilesFrm::TpublishFilesFrm(QWidget* parent, const QString& folder, const QString& filter)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("publishFilesFrm"));
    setWindowTitle(QStringLiteral("Publish files"));
    m_run = new TPublishRun(*this, this);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(buildSources(folder, filter), 1);
    m_publishList = new TPublishListView(this, this);
    m_publishList->setMinimumSize(300, 200);
    m_publishList->installEventFilter(this);
    top->addWidget(m_publishList, 1);
    layout->addLayout(top, 1);
    layout->addWidget(buildSettings());

    auto* progress = new QGridLayout;
    m_totalSizeLabel = new QLabel(this);
    m_totalSizeLabel->setObjectName(QStringLiteral("totalSizeLabel"));
    m_totalSizeProgress = new QProgressBar(this);
    m_totalSizeProgress->setObjectName(QStringLiteral("totalSizeProgress"));
    m_fileSizeLabel = new QLabel(this);
    m_fileSizeLabel->setObjectName(QStringLiteral("fileSizeLabel"));
    m_fileSizeProgress = new QProgressBar(this);
    m_fileSizeProgress->setObjectName(QStringLiteral("fileSizeProgress"));
    for (QLabel* l : { m_totalSizeLabel, m_fileSizeLabel })
        l->setMinimumWidth(260);
    progress->addWidget(m_totalSizeLabel, 0, 0);
    progress->addWidget(m_totalSizeProgress, 0, 1);
    progress->addWidget(m_fileSizeLabel, 1, 0);
    progress->addWidget(m_fileSizeProgress, 1, 1);
    layout->addLayout(progress);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setMinimumHeight(180);
    QPalette colours = m_memo->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, QColor(0, 255, 0));
    m_memo->setPalette(colours);
    layout->addWidget(m_memo, 1);

    auto* buttons = new QHBoxLayout;
    m_sendBtn = new QPushButton(QStringLiteral("&Send"), this);
    m_sendBtn->setObjectName(QStringLiteral("sendBtn"));
    m_sendBtn->setDefault(true);
    m_hangUpBtn = new QPushButton(QStringLiteral("Cancel (hang up)"), this);
    m_hangUpBtn->setObjectName(QStringLiteral("hangUpBtn"));
    m_clearLogBtn = new QPushButton(QStringLiteral("Clear Log"), this);
    m_clearLogBtn->setObjectName(QStringLiteral("clearLogBtn"));
    m_closeBtn = new QPushButton(QStringLiteral("Close"), this);
    m_closeBtn->setObjectName(QStringLiteral("closeBtn"));
    for (QPushButton* b : { m_hangUpBtn, m_clearLogBtn, m_closeBtn })
        b->setAutoDefault(false);
    buttons->addWidget(m_sendBtn);
    buttons->addWidget(m_hangUpBtn);
    buttons->addStretch(1);
    buttons->addWidget(m_clearLogBtn);
    buttons->addWidget(m_closeBtn);
    layout->addLayout(buttons);
    connect(m_sendBtn, &QPushButton::clicked, this, &TpublishFilesFrm::sendBtnClick);
    connect(m_hangUpBtn, &QPushButton::clicked, this, &TpublishFilesFrm::hangUpBtnClick);
    connect(m_clearLogBtn, &QPushButton::clicked, this, &TpublishFilesFrm::clearLogBtnClick);
    connect(m_closeBtn, &QPushButton::clicked, this, &TpublishFilesFrm::closeBtnClick);

    loadSettings();
    refreshList();
    resize(860, 760);
    setFixedSize(size());
}

TpublishFilesFrm::~TpublishFilesFrm() = default;

QTreeWidget* TpublishFilesFrm::publishList() const
{
    return m_publishList;
}

QTreeWidget* TpublishFilesFrm::openedFiles() const
{
    return m_sources->openedFiles();
}

QTreeWidget* TpublishFilesFrm::projectFilesList() const
{
    return m_sources->projectFilesList();
}

QListWidget* TpublishFilesFrm::fileList() const
{
    return m_sources->fileList();
}

QLineEdit* TpublishFilesFrm::filterEdit() const
{
    return m_sources->filterEdit();
}

QWidget* TpublishFilesFrm::buildSources(const QString& folder, const QString& filter)
{
    m_sources = new TFileSources(folder, filter, this);
    connect(m_sources, &TFileSources::filesChosen, this, &TpublishFilesFrm::dropFrom);
    return m_sources;
}

QWidget* TpublishFilesFrm::buildSettings()
{
    auto* box = new QWidget(this);
    auto* columns = new QHBoxLayout(box);
    columns->setContentsMargins(0, 0, 0, 0);
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto row = [box](QFormLayout* form, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, box);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    m_maskEdit = new QLineEdit(box);
    m_maskEdit->setObjectName(QStringLiteral("remoteFNMaskEdit"));
    m_maskEdit->setToolTip(QStringLiteral("('*' will be relaced with the local filename)"));
    row(left, QStringLiteral("Remote filename mas&k:"), m_maskEdit);
    m_lowerChk = new QCheckBox(QStringLiteral("Lowercase remote filename"), box);
    m_lowerChk->setObjectName(QStringLiteral("lowerChk"));
    left->addRow(QString(), m_lowerChk);
    auto* group = new QGroupBox(QStringLiteral("I am..."), box);
    group->setObjectName(QStringLiteral("dialupGrp"));
    auto* groupLayout = new QVBoxLayout(group);
    m_dialItem = new QRadioButton(QStringLiteral("Not connected - dial my ISP"), group);
    m_connectedItem = new QRadioButton(QStringLiteral("Already connected to the Net"), group);
    groupLayout->addWidget(m_dialItem);
    groupLayout->addWidget(m_connectedItem);
    connect(m_dialItem, &QRadioButton::toggled, this, [this](bool on) { m_run->setDialFlag(on); });
    left->addRow(group);

    m_serverEdit = new QLineEdit(box);
    m_serverEdit->setObjectName(QStringLiteral("serverEdit"));
    row(right, QStringLiteral("FTP &Server address:"), m_serverEdit);
    m_portEdit = new QSpinBox(box);
    m_portEdit->setObjectName(QStringLiteral("portEdit"));
    m_portEdit->setRange(0, 65535);
    row(right, QStringLiteral("Por&t:"), m_portEdit);
    m_initDirEdit = new QLineEdit(box);
    m_initDirEdit->setObjectName(QStringLiteral("initDirEdit"));
    row(right, QStringLiteral("Initial &directory (on server):"), m_initDirEdit);
    m_userEdit = new QLineEdit(box);
    m_userEdit->setObjectName(QStringLiteral("usernameEdit"));
    row(right, QStringLiteral("User &name:"), m_userEdit);
    m_passEdit = new QLineEdit(box);
    m_passEdit->setObjectName(QStringLiteral("userPassEdit"));
    row(right, QStringLiteral("User &password:"), m_passEdit);
    return box;
}

void TpublishFilesFrm::loadSettings()
{
    const TPublishSettings& p = globalOptions.publish;
    m_maskEdit->setText(p.remoteFilenameMask);
    m_serverEdit->setText(p.serverAddress);
    m_portEdit->setValue(qBound(0, int(p.serverPort), 65535));
    m_initDirEdit->setText(p.initialDirectory);
    m_userEdit->setText(p.userName);
    m_passEdit->setText(p.userPassword);
    m_lowerChk->setChecked(p.autoLowercaseRemoteFilename);
    (p.dialISP ? m_dialItem : m_connectedItem)->setChecked(true);
    m_run->setDialFlag(p.dialISP);
}

void TpublishFilesFrm::closeBtnClick()
{
    TPublishSettings& p = globalOptions.publish;
    p.remoteFilenameMask = m_maskEdit->text();
    p.serverAddress = m_serverEdit->text();
    p.serverPort = m_portEdit->value();
    p.initialDirectory = m_initDirEdit->text();
    p.userName = m_userEdit->text();
    p.userPassword = m_passEdit->text();
    p.autoLowercaseRemoteFilename = m_lowerChk->isChecked();
    p.dialISP = m_dialItem->isChecked();
    accept();
}

void TpublishFilesFrm::reject()
{
    // A run under way keeps its window: only Cancel ends it.
    if (m_run->running())
        return;
    QDialog::reject();
}

void TpublishFilesFrm::setFolder(const QString& folder)
{
    m_sources->setFolder(folder);
}

void TpublishFilesFrm::execute()
{
    FormShow();
    exec();
}

void TpublishFilesFrm::FormShow()
{
    // The list keeps its items from the last showing, so the total counts them again.
    m_list.recount([](const QString& text) { return fileSizeOf(text); });
    refreshList();
    m_run->resetProgress();
    m_sources->refresh();
    QTreeWidget* opened = m_sources->openedFiles();
    if (opened->topLevelItemCount() > 0)
        opened->setCurrentItem(opened->topLevelItem(0));
    m_sources->setCurrentWidget(opened);
    opened->setFocus();
}

bool TpublishFilesFrm::addItem(const QString& text, TMDIChild* window)
{
    if (!m_list.add(text, window, fileSizeOf(text)))
        return false;
    refreshList();
    return true;
}

bool TpublishFilesFrm::acceptsDropFrom(const QObject* source) const
{
    return m_sources->isSource(source);
}

void TpublishFilesFrm::dropFrom(QObject* source)
{
    const QList<TFileSources::File> files = m_sources->selectedFiles(source);
    for (const TFileSources::File& f : files)
        addItem(f.name, f.window);
}

void TpublishFilesFrm::removeSelectedItems()
{
    for (int i = m_publishList->topLevelItemCount() - 1; i >= 0; --i)
        if (m_publishList->topLevelItem(i)->isSelected())
            m_list.removeAt(i);
    refreshList();
}

void TpublishFilesFrm::refreshList()
{
    m_publishList->clear();
    for (int i = 0; i < m_list.count(); ++i)
        new QTreeWidgetItem(m_publishList, { m_list.at(i).text });
    m_totalSizeLabel->setText(totalSizeText(m_list.totalSize()));
    setBar(m_totalSizeProgress, m_list.totalSize(), m_run->totalValue());
}

bool TpublishFilesFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_publishList && key == Qt::Key_Delete) {
            removeSelectedItems();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TpublishFilesFrm::saveDocuments()
{
    for (int i = 0; i < m_list.count();) {
        auto* w = qobject_cast<TMDIChild*>(m_list.at(i).window.data());
        if (!w || (!w->source().Modified() && !w->fileName.isEmpty())) {
            ++i;
            continue;
        }
        m_publishList->clearSelection();
        m_publishList->setCurrentItem(m_publishList->topLevelItem(i));
        m_publishList->setFocus();
        QString name = w->fileName;
        if (name.isEmpty())
            name = showFileDialog(1, 2);
        // A save that failed is no save: the old file on disk must not be published instead.
        const bool saved = !name.isEmpty() && saveDocument(name, w) && !w->fileName.isEmpty();
        if (saved) {
            m_list.rename(i, w->fileName, fileSizeOf(w->fileName));
            log(QStringLiteral("Main: '") + w->caption() + QStringLiteral("' saved."));
            ++i;
        } else {
            log(QStringLiteral("Main: Window with caption '") + w->caption()
                + QStringLiteral("' was not saved and removed from list."));
            m_list.removeAt(i);
        }
        refreshList();
    }
}

void TpublishFilesFrm::sendBtnClick()
{
    if (m_run->running())
        return;
    const QString mask = m_maskEdit->text();
    if (!isValidRemoteMask(mask)) {
        showError(15, mask);
        return;
    }
    saveDocuments();
    if (m_list.count() == 0) {
        pm::dialogs().message(pm::Dialogs::Kind::Error,
            QStringLiteral("File list is empty. Nothing to upload.\r\nYou really dont want to "
                           "waste a phone call for nothing, do you?"),
            pm::Dialogs::Buttons::Ok);
        return;
    }
    m_sendBtn->setEnabled(false);
    TPublishTarget target;
    target.server = m_serverEdit->text();
    target.port = m_portEdit->value();
    target.initialDirectory = m_initDirEdit->text();
    target.userName = m_userEdit->text();
    target.password = m_passEdit->text();
    m_run->setDialFlag(m_dialItem->isChecked());
    m_run->start(m_list.texts(), target);
}

void TpublishFilesFrm::hangUpBtnClick()
{
    m_run->cancel();
}

void TpublishFilesFrm::clearLogBtnClick()
{
    m_memo->clear();
}

QString TpublishFilesFrm::logText() const
{
    return m_memo->toPlainText();
}

void TpublishFilesFrm::log(const QString& line)
{
    m_memo->appendPlainText(line);
    m_memo->verticalScrollBar()->setValue(m_memo->verticalScrollBar()->maximum());
}

QString TpublishFilesFrm::remoteMask()
{
    return m_maskEdit->text();
}

bool TpublishFilesFrm::lowerCaseNames()
{
    return m_lowerChk->isChecked();
}

QString TpublishFilesFrm::chooseEntry(const QStringList& entries)
{
    if (entryChooser)
        return entryChooser(entries);
    return TentriesListFrm::choose(entries, this);
}

void TpublishFilesFrm::reportStop(int code)
{
    showError(uint8_t(code));
}

void TpublishFilesFrm::progressChanged()
{
    m_fileSizeLabel->setText(m_run->fileSizeText());
    setBar(m_fileSizeProgress, m_run->fileSizeMax(), m_run->fileSizeValue());
    setBar(m_totalSizeProgress, m_list.totalSize(), m_run->totalValue());
}

void TpublishFilesFrm::setCloseEnabled(bool enabled)
{
    m_closeBtn->setEnabled(enabled);
}

void TpublishFilesFrm::runEnded()
{
    m_sendBtn->setEnabled(true);
}
