/** @file searchFrm.cpp ** The search and replace dialog and the runs it starts. **/
#include "search/searchFrm.h"

#include "core/status_utl.h"
#include "document/Childwin.h"
#include "document/TFileSources.h"
#include "editor/TDCMemo.h"
#include "platform/Dialogs.h"
#include "project/project_utl.h"
#include "search/TprocessForm.h"
#include "search/TreplaceDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDrag>
#include <QFileInfo>
#include <QDragEnterEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

/// At most this many files are named in one message; the rest are counted.
constexpr int listedInMessage = 20;

QString fileListMessage(const QString& heading, const QStringList& lines)
{
    QString text = heading;
    for (qsizetype i = 0; i < lines.size() && i < listedInMessage; ++i)
        text += QStringLiteral("\r\n") + lines[i];
    if (lines.size() > listedInMessage)
        text += QStringLiteral("\r\n... and %1 more").arg(lines.size() - listedInMessage);
    return text;
}

TMDIChild* windowOf(const TMemoSource& text)
{
    const QList<TMDIChild*> windows = documentWindows();
    for (TMDIChild* w : windows)
        if (&w->source() == &text)
            return w;
    return nullptr;
}

void bringToFront(TMDIChild* w)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->raise();
    }
}

void closeWindow(TMDIChild* w)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        sub->close();
    else
        w->close();
}

/// A name the general open routine would not open as a document (a project, a picture).
bool opensAsDocument(const QString& name)
{
    static const QStringList others { QStringLiteral("pmp"), QStringLiteral("gif"),
        QStringLiteral("jpeg"), QStringLiteral("jpg"), QStringLiteral("bmp") };
    return !others.contains(QFileInfo(name).suffix().toLower());
}

/// A run as the user sees it: the progress window breathes, the question is asked over the
/// document window holding the match, and closed files that get questions open in windows.
class TWindowsRunHost : public TReplaceHost
{
public:
    TWindowsRunHost(TprocessForm& form, TReplaceQuestion& question, QWidget* frame)
        : m_form(form)
        , m_question(question)
        , m_frame(frame)
    {
    }

    bool cancelled() override
    {
        m_form.breathe();
        return m_form.cancelRequested();
    }
    bool escapePressed() override { return m_form.takeEscape(); }
    void fileStarted(int index, int, const QString& caption) override
    {
        m_form.fileStarted(index, caption);
    }
    void matchReached(const TReplaceProgress& where) override { m_form.matchReached(where); }

    TMemoSource* openForQuestions(const QString& fileName) override
    {
        if (!opensAsDocument(fileName))
            return nullptr;
        TMDIChild* w = openFile(fileName);
        if (!w)
            return nullptr;
        m_opened.insert(&w->source(), w);
        return &w->source();
    }
    TReplaceAnswer ask(TMemoSource& text, const TReplaceProgress&) override
    {
        TMDIChild* w = windowOf(text);
        if (w) {
            bringToFront(w);
            w->editor()->centerCaretLine();
            w->editor()->viewport()->update();
        }
        const TReplaceAnswer answer = m_question.ask(w ? static_cast<QWidget*>(w) : m_frame);
        m_form.clearEscape();
        return answer;
    }
    void release(TMemoSource* text, bool keep) override
    {
        const QPointer<TMDIChild> w = m_opened.take(text);
        if (!w || keep)
            return;
        // Saved by the run (or unchanged): closing asks nothing.
        w->source().setModified(false);
        closeWindow(w);
    }

private:
    TprocessForm& m_form;
    TReplaceQuestion& m_question;
    QWidget* m_frame;
    QHash<TMemoSource*, QPointer<TMDIChild>> m_opened;
};

} // namespace

/// The search list: takes drops from the dialog's sources and the desktop; entries dragged out
/// and dropped anywhere else leave it.
class TSearchList : public QTreeWidget
{
public:
    TSearchList(TsearchDlg* dialog, QWidget* parent)
        : QTreeWidget(parent)
        , m_dialog(dialog)
    {
        setObjectName(QStringLiteral("filesListBox"));
        setHeaderLabels({ QStringLiteral("Search (and replace) in these files") });
        setToolTip(QStringLiteral("Drop here the files you want to search"));
        setRootIsDecorated(false);
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setDragEnabled(true);
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DragDrop);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* e) override
    {
        if (accepts(e)) {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
    }
    void dragMoveEvent(QDragMoveEvent* e) override
    {
        if (accepts(e)) {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
    }
    void dropEvent(QDropEvent* e) override
    {
        if (e->source() == this) {
            e->ignore();
            return;
        }
        if (e->source() && m_dialog->acceptsDropFrom(e->source())) {
            m_dialog->dropFrom(e->source());
        } else if (!e->source()) {
            const QList<QUrl> urls = e->mimeData()->urls();
            for (const QUrl& u : urls)
                if (u.isLocalFile() && QFileInfo(u.toLocalFile()).isFile())
                    m_dialog->addEntry(u.toLocalFile());
        }
        e->setDropAction(Qt::CopyAction);
        e->accept();
    }
    void startDrag(Qt::DropActions) override
    {
        if (selectedItems().isEmpty())
            return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        QStringList captions;
        const QList<QTreeWidgetItem*> items = selectedItems();
        for (QTreeWidgetItem* i : items)
            captions.append(i->text(0));
        mime->setText(captions.join(u'\n'));
        drag->setMimeData(mime);
        drag->exec(Qt::MoveAction | Qt::CopyAction);
        QObject* target = drag->target();
        if (target != this && target != viewport())
            m_dialog->removeSelectedEntries();
    }

private:
    bool accepts(QDropEvent* e) const
    {
        if (e->source() == this)
            return true;
        if (e->source())
            return m_dialog->acceptsDropFrom(e->source());
        return e->mimeData()->hasUrls();
    }

    TsearchDlg* m_dialog;
};

TsearchDlg::TsearchDlg(QWidget* frame, const QString& folder, const QString& filter)
    : QDialog(frame)
    , m_frame(frame)
{
    setObjectName(QStringLiteral("TsearchDlg"));
    setWindowTitle(QStringLiteral("Search&Replace"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top, 1);
    m_sources = new TFileSources(folder, filter, this);
    connect(m_sources, &TFileSources::filesChosen, this, &TsearchDlg::dropFrom);
    top->addWidget(m_sources, 1);
    m_list = new TSearchList(this, this);
    top->addWidget(m_list, 1);
    layout->addWidget(buildOptions());

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* goBtn = buttons->addButton(QStringLiteral("Go"), QDialogButtonBox::AcceptRole);
    goBtn->setObjectName(QStringLiteral("goBtn"));
    goBtn->setDefault(true);
    QPushButton* closeBtn
        = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    closeBtn->setObjectName(QStringLiteral("closeBtn"));
    connect(goBtn, &QPushButton::clicked, this, [this] { go(); });
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_process = std::make_unique<TprocessForm>(frame);
    applyCheckBoxRule();
    resize(720, 480);
}

TsearchDlg::~TsearchDlg() = default;

QTreeWidget* TsearchDlg::filesListBox() const
{
    return m_list;
}

QWidget* TsearchDlg::buildOptions()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* findLabel = new QLabel(QStringLiteral("&Search for this text:"), box);
    m_searchFor = new QLineEdit(box);
    m_searchFor->setObjectName(QStringLiteral("searchFor"));
    findLabel->setBuddy(m_searchFor);
    m_replaceChk = new QCheckBox(QStringLiteral("&Replace with this text:"), box);
    m_replaceChk->setObjectName(QStringLiteral("replaceChk"));
    m_replaceWith = new QLineEdit(box);
    m_replaceWith->setObjectName(QStringLiteral("replaceWith"));
    m_caseChk = new QCheckBox(QStringLiteral("&Case sensitive"), box);
    m_caseChk->setObjectName(QStringLiteral("caseChk"));
    m_wholeChk = new QCheckBox(QStringLiteral("&Whole Words"), box);
    m_wholeChk->setObjectName(QStringLiteral("wholeChk"));
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_searchFor, 0, 1, 1, 3);
    grid->addWidget(m_replaceChk, 1, 0);
    grid->addWidget(m_replaceWith, 1, 1, 1, 3);
    grid->addWidget(m_caseChk, 2, 0);
    grid->addWidget(m_wholeChk, 2, 1);
    auto group = [box](const QString& title, const QString& a, const QString& b,
                     QRadioButton*& first, QRadioButton*& second) {
        auto* g = new QGroupBox(title, box);
        auto* l = new QVBoxLayout(g);
        first = new QRadioButton(a, g);
        second = new QRadioButton(b, g);
        first->setChecked(true);
        l->addWidget(first);
        l->addWidget(second);
        return g;
    };
    grid->addWidget(group(QStringLiteral("&Direction"), QStringLiteral("Forward"),
                        QStringLiteral("Backward"), m_forward, m_backward),
        3, 0);
    grid->addWidget(group(QStringLiteral("Ori&gin"), QStringLiteral("From cursor"),
                        QStringLiteral("Entire scope"), m_fromCursor, m_entireScope),
        3, 1);
    grid->addWidget(group(QStringLiteral("Sco&pe"), QStringLiteral("Global"),
                        QStringLiteral("Selected text"), m_global, m_selected),
        3, 2);
    m_resultsGroup = group(QStringLiteral("Show res&ults"), QStringLiteral("In the text"),
        QStringLiteral("In Results panel"), m_inText, m_inPanel);
    m_resultsGroup->setObjectName(QStringLiteral("resultsGroup"));
    grid->addWidget(m_resultsGroup, 3, 3);
    connect(m_replaceChk, &QCheckBox::toggled, this, &TsearchDlg::applyCheckBoxRule);
    return box;
}

void TsearchDlg::setFolder(const QString& folder)
{
    m_sources->setFolder(folder);
}

QTreeWidget* TsearchDlg::openedFiles() const
{
    return m_sources->openedFiles();
}

QTreeWidget* TsearchDlg::projectFilesList() const
{
    return m_sources->projectFilesList();
}

QListWidget* TsearchDlg::fileList() const
{
    return m_sources->fileList();
}

QLineEdit* TsearchDlg::filterEdit() const
{
    return m_sources->filterEdit();
}

void TsearchDlg::execute()
{
    FormShow();
    exec();
}

void TsearchDlg::FormShow()
{
    m_replaceChk->setChecked(false);
    m_searchFor->selectAll();
    m_sources->refresh();
    if (TMDIChild* active = activeDocumentWindow()) {
        (active->source().hasSelection() ? m_selected : m_global)->setChecked(true);
        addEntry(active->caption(), active);
    }
    applyCheckBoxRule();
    m_searchFor->setFocus();
}

QList<TsearchDlg::Entry> TsearchDlg::entries() const
{
    QList<Entry> out;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        out.append(Entry { item->text(0), m_links.value(item) });
    }
    return out;
}

bool TsearchDlg::addEntry(const QString& caption, TMDIChild* window)
{
    if (caption.isEmpty())
        return false;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->text(0) == caption) {
            // The same caption again: a window that was closed and opened since is the one now.
            if (window)
                m_links.insert(item, window);
            return false;
        }
    }
    auto* item = new QTreeWidgetItem(m_list, { caption });
    if (window)
        m_links.insert(item, window);
    applyCheckBoxRule();
    return true;
}

void TsearchDlg::clearEntries()
{
    m_list->clear();
    m_links.clear();
    applyCheckBoxRule();
}

bool TsearchDlg::acceptsDropFrom(const QObject* source) const
{
    return m_sources->isSource(source);
}

void TsearchDlg::dropFrom(QObject* source)
{
    const QList<TFileSources::File> files = m_sources->selectedFiles(source);
    for (const TFileSources::File& f : files)
        addEntry(f.name, f.window);
}

void TsearchDlg::removeSelectedEntries()
{
    const QList<QTreeWidgetItem*> items = m_list->selectedItems();
    for (QTreeWidgetItem* i : items) {
        m_links.remove(i);
        delete i;
    }
    applyCheckBoxRule();
}

void TsearchDlg::applyCheckBoxRule()
{
    const bool few = m_list->topLevelItemCount() < 2;
    (few ? m_inText : m_inPanel)->setChecked(true);
    m_resultsGroup->setEnabled(few && !m_replaceChk->isChecked());
    m_replaceWith->setEnabled(m_replaceChk->isChecked());
}

TSearchOptions TsearchDlg::options() const
{
    const bool replacing = m_replaceChk->isChecked();
    TSearchOptions o;
    o.TextToFind = m_searchFor->text();
    o.ReplaceWith = replacing ? m_replaceWith->text() : QString();
    o.CaseSensitive = m_caseChk->isChecked();
    o.WholeWordsOnly = m_wholeChk->isChecked();
    o.Direction = m_backward->isChecked() ? sdBackward : sdForward;
    o.Origin = m_entireScope->isChecked() ? soEntireScope : soFromCursor;
    o.Scope = m_selected->isChecked() ? ssSelectedText : ssGlobal;
    o.ReplaceAll = true;
    o.PromptOnReplace = true;
    o.InReplace = replacing;
    o.ShowNotFound = !replacing && m_inText->isChecked();
    return o;
}

bool TsearchDlg::go()
{
    if (m_list->topLevelItemCount() == 0)
        return false;
    hide();
    const TSearchOptions o = options();
    // Find Next repeats this search from the caret.
    searchOptions() = o;
    searchOptions().FirstSearch = false;
    QList<TSearchEntry> list;
    const QList<Entry> all = entries();
    for (const Entry& e : all)
        list.append(TSearchEntry { e.caption, e.window ? &e.window->source() : nullptr });
    if (m_replaceChk->isChecked())
        runReplace(list, o);
    else
        runSearch(list, o);
    accept();
    return true;
}

void TsearchDlg::runSearch(const QList<TSearchEntry>& list, const TSearchOptions& o)
{
    const bool inText = m_inText->isChecked();
    setStatus(QStringLiteral("Searching..."));
    TReplaceQuestion* question = m_question;
    if (!question) {
        m_replaceDlg = std::make_unique<TreplaceDlg>(m_frame);
        question = m_replaceDlg.get();
    }
    TWindowsRunHost host(*m_process, *question, m_frame);
    m_process->start(int(list.size()), false);
    const TSearchRunResult r = searchInFiles(list, o, inText, host);
    m_process->finish();
    m_replaceDlg.reset();
    for (int i : r.selectedInDocument) {
        if (TMDIChild* w = windowOf(*list[i].document)) {
            bringToFront(w);
            w->editor()->ensureCaretVisible();
            w->editor()->setFocus();
        }
    }
    if (!r.unreadable.isEmpty())
        pm::dialogs().error(
            fileListMessage(QStringLiteral("These files could not be searched:"), r.unreadable));
    else if (inText && o.ShowNotFound && r.filesMatched == 0)
        pm::dialogs().information(
            QStringLiteral("Search string '") + o.TextToFind + QStringLiteral("' not found"));
    setStatus(QStringLiteral("%1 of %2 files matched%3. Ready")
                  .arg(r.filesMatched)
                  .arg(r.filesSearched)
                  .arg(r.stopped ? QStringLiteral(" (stopped)") : QString()));
}

void TsearchDlg::runReplace(const QList<TSearchEntry>& list, const TSearchOptions& o)
{
    setStatus(QStringLiteral("Replacing..."));
    TReplaceQuestion* question = m_question;
    if (!question) {
        m_replaceDlg = std::make_unique<TreplaceDlg>(m_frame);
        question = m_replaceDlg.get();
    }
    TWindowsRunHost host(*m_process, *question, m_frame);
    m_process->start(int(list.size()), true);
    const TReplaceRunResult r = replaceInFiles(list, o, host, &m_backups);
    m_process->finish();
    // The progress window and the question go with the run.
    m_replaceDlg.reset();
    emit undoAvailableChanged(canUndoReplace());
    if (!r.failures.isEmpty())
        pm::dialogs().error(
            fileListMessage(QStringLiteral("These files were not changed:"), r.failures));
    setStatus(QStringLiteral("%1 replacements in %2 files%3. Ready")
                  .arg(r.replacements)
                  .arg(r.filesWritten + r.documentsChanged)
                  .arg(r.aborted ? QStringLiteral(" (stopped)") : QString()));
}

void TsearchDlg::undoReplaceInFiles()
{
    if (m_backups.isEmpty())
        return;
    const auto outcomes = m_backups.restore([](const QString& file) {
        const QList<TMDIChild*> windows = documentWindows();
        for (TMDIChild* w : windows)
            if (w->fileName == file && w->source().Modified())
                return QStringLiteral("it is open with unsaved changes");
        return QString();
    });
    QStringList refused;
    int restored = 0;
    for (const TReplaceBackups::Outcome& o : outcomes) {
        if (o.result != TReplaceBackups::Outcome::Restored) {
            refused.append(o.fileName + QStringLiteral(": ") + o.reason);
            continue;
        }
        ++restored;
        // A window showing the file as the run left it shows it as it is again.
        const QList<TMDIChild*> windows = documentWindows();
        for (TMDIChild* w : windows) {
            if (w->fileName == o.fileName && !w->source().Modified()
                && w->source().loadFile(o.fileName)) {
                w->source().expandTabs(4);
                w->source().setModified(false);
                w->refreshStatusBar();
            }
        }
    }
    emit undoAvailableChanged(canUndoReplace());
    if (!refused.isEmpty())
        pm::dialogs().error(
            fileListMessage(QStringLiteral("These files were not put back:"), refused));
    setStatus(QStringLiteral("%1 files put back. Ready").arg(restored));
}
