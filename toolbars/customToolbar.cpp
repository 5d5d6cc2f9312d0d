/** @file customToolbar.cpp ** The "Customize Toolbars" dialog. **/
#include "toolbars/customToolbar.h"

#include "core/errors_utl.h"
#include "platform/Dialogs.h"
#include "toolbars/TToolbarWindow.h"
#include "toolbars/customToolbarWindows.h"

#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr uint8_t kErrNotToolbarsFile = 20;
const QString kToolbarsFilter = QStringLiteral("Toolbars files (*.tb)");

QString fileDialog(bool save, const QString& title, const QString& filter, const QString& suffix,
    const QString& start = QString())
{
    pm::Dialogs::FileRequest request;
    request.title = title;
    request.filter = filter;
    request.defaultSuffix = suffix;
    if (!start.isEmpty()) {
        request.folder = QFileInfo(start).absolutePath();
        request.fileName = start;
    }
    if (save)
        return pm::dialogs().saveFile(request);
    const QStringList names = pm::dialogs().openFiles(request);
    return names.isEmpty() ? QString() : names.first();
}

QPushButton* pushButton(const QString& caption, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& tip, const char* name, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setArrowType(arrow);
    b->setToolTip(tip);
    return b;
}

} // namespace

TcustomizeToolbarsDlg::TcustomizeToolbarsDlg(
    const QMenuBar* menu, QMainWindow* liveDock, const QString& fileName, QWidget* parent)
    : QDialog(parent)
    , m_fileName(fileName)
    , m_liveDock(liveDock)
{
    setObjectName(QStringLiteral("customizeToolbarsDlg"));
    setWindowTitle(QStringLiteral("Customize Toolbars"));
    buildControls();

    // The commands come from this window's menu now: the buttons keep naming the same ones.
    TToolbars& d = toolbarDescriptions;
    QList<QStringList> names;
    for (const TToolbar& t : std::as_const(d.Toolbars)) {
        QStringList n;
        for (const TToolbarElement& e : t.Elements)
            n.append(d.Commands.nameAt(e.CommandIndex));
        names.append(n);
    }
    buildDocumentMenuCommands(d.Commands, menu);
    for (qsizetype i = 0; i < d.Toolbars.size(); ++i)
        for (qsizetype k = 0; k < d.Toolbars[i].Elements.size(); ++k)
            d.Toolbars[i].Elements[k].CommandIndex = d.Commands.indexOfName(names[i][k]);
    for (qsizetype i = 0; i < d.Commands.count(); ++i)
        menuItemsCaptions->addItem(d.Commands.at(i).CaptionPath);
    menuItemsCaptions->setCurrentIndex(-1);

    m_snapshot = d.Toolbars;
    const QList<TToolbarPlace> places = toolbarPlaces();
    for (qsizetype i = 0; i < toolbarWindows.size() && i < places.size(); ++i)
        m_places.append({ toolbarWindows.at(i)->descriptionId(),
            toolbarWindows.at(i)->descriptionIndex(), places.at(i) });

    const bool exists = QFileInfo(fileName).isFile();
    if (exists && loadToolbarsFile(d, fileName)) {
        // The file read again holds the toolbars on show, as new descriptions.
        for (CapturedPlace& c : m_places)
            if (c.index >= 0 && c.index < d.Toolbars.size())
                c.id = d.Toolbars.at(c.index).id();
    } else {
        showError(kErrNotToolbarsFile, fileName);
        m_unreadable = exists;
    }
    refresh(0, 0);
}

TcustomizeToolbarsDlg::~TcustomizeToolbarsDlg() = default;

void TcustomizeToolbarsDlg::buildControls()
{
    auto* top = new QVBoxLayout(this);

    top->addWidget(new QLabel(QStringLiteral("Preview:"), this));
    m_defaultDock = new QMainWindow(this);
    m_defaultDock->setWindowFlags(Qt::Widget); // a main window is a window of its own otherwise
    m_defaultDock->setObjectName(QStringLiteral("defaultDock"));
    auto* centre = new QWidget(m_defaultDock);
    centre->setMinimumHeight(8);
    m_defaultDock->setCentralWidget(centre);
    m_defaultDock->setMinimumHeight(72);
    top->addWidget(m_defaultDock);

    auto* columns = new QHBoxLayout;
    top->addLayout(columns, 1);

    // The toolbar list.
    auto* bars = new QVBoxLayout;
    columns->addLayout(bars, 1);
    toolBarsList = new QListWidget(this);
    toolBarsList->setObjectName(QStringLiteral("toolBarsList"));
    toolBarsList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* barsLabel = new QLabel(QStringLiteral("Toolbars:"), this);
    barsLabel->setBuddy(toolBarsList);
    bars->addWidget(barsLabel);
    bars->addWidget(toolBarsList, 1);
    toolbarName = new QLineEdit(this);
    toolbarName->setObjectName(QStringLiteral("toolbarName"));
    auto* nameLabel = new QLabel(QStringLiteral("&Toolbar caption:"), this);
    nameLabel->setBuddy(toolbarName);
    bars->addWidget(nameLabel);
    bars->addWidget(toolbarName);
    auto* barButtons = new QHBoxLayout;
    addToolbarBtn = pushButton(QStringLiteral("Add Toolbar"), "addToolbarBtn", this);
    updateToolbarBtn = pushButton(QStringLiteral("Update Toolbar"), "updateToolbarBtn", this);
    removeToolbarBtn = pushButton(QStringLiteral("Remove Toolbar"), "removeToolbarBtn", this);
    toolbarUpBtn = arrowButton(Qt::UpArrow, QStringLiteral("Move up"), "toolbarUpBtn", this);
    toolbarDownBtn
        = arrowButton(Qt::DownArrow, QStringLiteral("Move down"), "toolbarDownBtn", this);
    for (QWidget* w : std::initializer_list<QWidget*> {
             addToolbarBtn, updateToolbarBtn, removeToolbarBtn, toolbarUpBtn, toolbarDownBtn })
        barButtons->addWidget(w);
    bars->addLayout(barButtons);

    // The elements of the selected toolbar.
    auto* elements = new QVBoxLayout;
    columns->addLayout(elements, 1);
    toolbarButtonsList = new QListWidget(this);
    toolbarButtonsList->setObjectName(QStringLiteral("toolbarButtonsList"));
    toolbarNameLabel = new QLabel(this);
    toolbarNameLabel->setObjectName(QStringLiteral("toolbarNameLabel"));
    toolbarNameLabel->setBuddy(toolbarButtonsList);
    elements->addWidget(toolbarNameLabel);
    auto* elementRow = new QHBoxLayout;
    elementRow->addWidget(toolbarButtonsList, 1);
    auto* elementButtons = new QVBoxLayout;
    buttonUpBtn = arrowButton(Qt::UpArrow, QStringLiteral("Move up"), "buttonUpBtn", this);
    buttonDownBtn = arrowButton(Qt::DownArrow, QStringLiteral("Move down"), "buttonDownBtn", this);
    addButtonBtn = pushButton(QStringLiteral("&Add Button"), "addButtonBtn", this);
    updateButtonBtn = pushButton(QStringLiteral("&Update Button"), "updateButtonBtn", this);
    updateButtonBtn->setAutoDefault(true);
    updateButtonBtn->setDefault(true);
    addSeperatorBtn = pushButton(QStringLiteral("Add &Seperator"), "addSeperatorBtn", this);
    removeButtonBtn = pushButton(QStringLiteral("Remo&ve Button"), "removeButtonBtn", this);
    clearBtn = pushButton(QStringLiteral("Clea&r"), "clearBtn", this);
    for (QWidget* w : std::initializer_list<QWidget*> { buttonUpBtn, buttonDownBtn, addButtonBtn,
             updateButtonBtn, addSeperatorBtn, removeButtonBtn, clearBtn })
        elementButtons->addWidget(w);
    elementButtons->addStretch(1);
    elementRow->addLayout(elementButtons);
    elements->addLayout(elementRow, 1);

    // The fields of the element being edited.
    buttonProperties = new QGroupBox(QStringLiteral("Button properties:"), this);
    buttonProperties->setObjectName(QStringLiteral("buttonProperties"));
    auto* form = new QFormLayout(buttonProperties);
    buttonCaption = new QLineEdit(buttonProperties);
    buttonCaption->setObjectName(QStringLiteral("buttonCaption"));
    form->addRow(QStringLiteral("Button &Caption:"), buttonCaption);
    hint = new QLineEdit(buttonProperties);
    hint->setObjectName(QStringLiteral("hint"));
    form->addRow(QStringLiteral("Button &Hint:"), hint);
    glyphFN = new QLineEdit(buttonProperties);
    glyphFN->setObjectName(QStringLiteral("glyphFN"));
    glyphBrowseBtn = new QToolButton(buttonProperties);
    glyphBrowseBtn->setObjectName(QStringLiteral("glyphBrowseBtn"));
    glyphBrowseBtn->setText(QStringLiteral("..."));
    glyphBrowseBtn->setToolTip(QStringLiteral("Choose a bitmap"));
    auto* glyphRow = new QHBoxLayout;
    glyphRow->addWidget(glyphFN, 1);
    glyphRow->addWidget(glyphBrowseBtn);
    auto* glyphLabel = new QLabel(QStringLiteral("Button &Glyph (image):"), buttonProperties);
    glyphLabel->setBuddy(glyphFN);
    form->addRow(glyphLabel, glyphRow);
    glyphsNum = new QSpinBox(buttonProperties);
    glyphsNum->setObjectName(QStringLiteral("glyphsNum"));
    glyphsNum->setRange(1, 99);
    form->addRow(QStringLiteral("Glyphs &num:"), glyphsNum);
    widthEdit = new QSpinBox(buttonProperties);
    widthEdit->setObjectName(QStringLiteral("widthEdit"));
    widthEdit->setRange(1, 999);
    widthEdit->setSingleStep(10);
    form->addRow(QStringLiteral("&Width:"), widthEdit);
    heightEdit = new QSpinBox(buttonProperties);
    heightEdit->setObjectName(QStringLiteral("heightEdit"));
    heightEdit->setRange(1, 999);
    heightEdit->setSingleStep(10);
    form->addRow(QStringLiteral("&Height:"), heightEdit);
    displayMode = new QComboBox(buttonProperties);
    displayMode->setObjectName(QStringLiteral("displayMode"));
    displayMode->addItems({ QStringLiteral("Glyph and Text"), QStringLiteral("Glyph only"),
        QStringLiteral("Text only") });
    form->addRow(QStringLiteral("Display Mode"), displayMode);
    menuItemsCaptions = new QComboBox(buttonProperties);
    menuItemsCaptions->setObjectName(QStringLiteral("menuItemsCaptions"));
    menuItemsCaptions->setEditable(true);
    menuItemsCaptions->setInsertPolicy(QComboBox::NoInsert);
    menuItemsCaptions->completer()->setCompletionMode(QCompleter::InlineCompletion);
    menuItemsCaptions->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    menuItemsCaptions->installEventFilter(this);
    auto* commandLabel
        = new QLabel(QStringLiteral("Assign the button this menu co&mmand:"), buttonProperties);
    commandLabel->setBuddy(menuItemsCaptions);
    form->addRow(commandLabel);
    form->addRow(menuItemsCaptions);
    columns->addWidget(buttonProperties, 1);

    // The file operations.
    auto* files = new QHBoxLayout;
    saveBtn = pushButton(QStringLiteral("Save toolbars"), "saveBtn", this);
    importBtn = pushButton(QStringLiteral("Import from another file"), "importBtn", this);
    importOldBtn
        = pushButton(QStringLiteral("Import from version 2.1 or earlier"), "importOldBtn", this);
    okBtn = pushButton(QStringLiteral("OK"), "okBtn", this);
    cancelBtn = pushButton(QStringLiteral("Cancel"), "cancelBtn", this);
    files->addWidget(saveBtn);
    files->addWidget(importBtn);
    files->addWidget(importOldBtn);
    files->addStretch(1);
    files->addWidget(okBtn);
    files->addWidget(cancelBtn);
    top->addLayout(files);

    connect(toolBarsList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_refreshing)
            toolBarsListClick();
    });
    connect(toolBarsList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!m_refreshing)
            toolBarsListCheck(toolBarsList->row(item));
    });
    connect(toolbarButtonsList, &QListWidget::currentRowChanged, this, [this] {
        if (!m_refreshing)
            toolbarButtonsListClick();
    });
    connect(addToolbarBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::addToolbarClick);
    connect(
        updateToolbarBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::updateToolbarClick);
    connect(
        removeToolbarBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::removeToolbarClick);
    connect(toolbarUpBtn, &QToolButton::clicked, this, [this] { moveToolbarClick(-1); });
    connect(toolbarDownBtn, &QToolButton::clicked, this, [this] { moveToolbarClick(1); });
    connect(buttonUpBtn, &QToolButton::clicked, this, [this] { moveButtonClick(-1); });
    connect(buttonDownBtn, &QToolButton::clicked, this, [this] { moveButtonClick(1); });
    connect(clearBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::clearClick);
    connect(addButtonBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::addButtonClick);
    connect(
        updateButtonBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::updateButtonClick);
    connect(
        addSeperatorBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::addSeperatorClick);
    connect(
        removeButtonBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::removeButtonClick);
    connect(glyphBrowseBtn, &QToolButton::clicked, this, &TcustomizeToolbarsDlg::glyphBrowseClick);
    connect(saveBtn, &QPushButton::clicked, this, [this] { save(); });
    connect(okBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::okClick);
    connect(cancelBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::reject);
    connect(importBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::importClick);
    connect(importOldBtn, &QPushButton::clicked, this, &TcustomizeToolbarsDlg::importOldClick);
    resize(960, 600);
}

// --- Lists --------------------------------------------------------------------------------

int TcustomizeToolbarsDlg::selectedToolbar() const
{
    const QList<QListWidgetItem*> selected = toolBarsList->selectedItems();
    return selected.size() == 1 ? toolBarsList->row(selected.first()) : -1;
}

int TcustomizeToolbarsDlg::selectedElement() const
{
    const TToolbar* t = const_cast<TcustomizeToolbarsDlg*>(this)->currentToolbar();
    const int e = toolbarButtonsList->currentRow();
    return t && e >= 0 && e < t->Elements.size() ? e : -1;
}

TToolbar* TcustomizeToolbarsDlg::currentToolbar()
{
    const int t = selectedToolbar();
    return t >= 0 && t < toolbarDescriptions.Toolbars.size() ? &toolbarDescriptions.Toolbars[t]
                                                             : nullptr;
}

void TcustomizeToolbarsDlg::refresh(int t, int e, bool preview)
{
    m_refreshing = true;
    QList<TToolbar>& toolbars = toolbarDescriptions.Toolbars;
    if (t >= 0) {
        toolBarsList->clear();
        for (const TToolbar& bar : std::as_const(toolbars)) {
            auto* item = new QListWidgetItem(bar.ToolbarName, toolBarsList);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(bar.Visible ? Qt::Checked : Qt::Unchecked);
        }
        const int row = qMin<int>(t, int(toolbars.size()) - 1);
        if (row >= 0) {
            toolBarsList->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            toolbarName->setText(toolbars.at(row).ToolbarName);
        }
    }
    const TToolbar* bar = currentToolbar();
    QString quoted = bar ? bar->ToolbarName : QString();
    quoted.replace(u'&', QStringLiteral("&&"));
    toolbarNameLabel->setText(bar ? u'"' + quoted + QStringLiteral("\" &buttons:") : QString());
    if (e >= 0) {
        toolbarButtonsList->clear();
        if (bar) {
            for (const TToolbarElement& element : bar->Elements)
                toolbarButtonsList->addItem(element.Caption);
            const int row = qMin<int>(e, int(bar->Elements.size()) - 1);
            if (row >= 0)
                toolbarButtonsList->setCurrentRow(row);
        }
    }
    m_refreshing = false;
    showElement(selectedElement());
    updateEnabled();
    if (preview)
        rebuildToolbars(m_defaultDock, true);
}

void TcustomizeToolbarsDlg::updateEnabled()
{
    const qsizetype count = toolbarDescriptions.Toolbars.size();
    const bool several = toolBarsList->selectedItems().size() > 1;
    addToolbarBtn->setEnabled(!several);
    toolbarName->setEnabled(!several);
    updateToolbarBtn->setEnabled(!several && count > 0);
    removeToolbarBtn->setEnabled(count > 0);
    if (count == 0)
        buttonProperties->setEnabled(false);
}

void TcustomizeToolbarsDlg::toolBarsListClick()
{
    const QList<QListWidgetItem*> selected = toolBarsList->selectedItems();
    if (selected.size() > 1) {
        toolbarName->setText(QStringLiteral("Multiselect"));
        toolbarNameLabel->clear();
        toolbarButtonsList->clear();
        updateEnabled();
        return;
    }
    updateEnabled();
    if (const TToolbar* t = currentToolbar()) {
        toolbarName->setText(t->ToolbarName);
        refresh(-1, 0, false);
    }
}

void TcustomizeToolbarsDlg::toolBarsListCheck(int row)
{
    if (row < 0 || row >= toolbarDescriptions.Toolbars.size())
        return;
    const bool checked = toolBarsList->item(row)->checkState() == Qt::Checked;
    toolbarDescriptions.Toolbars[row].Visible = checked ? 1 : 0;
    rebuildToolbars(m_defaultDock, true);
}

void TcustomizeToolbarsDlg::addToolbarClick()
{
    TToolbar& t = toolbarDescriptions.add();
    if (!toolbarName->text().isEmpty())
        t.ToolbarName = toolbarName->text();
    refresh(int(toolbarDescriptions.Toolbars.size()) - 1, 0);
    buttonProperties->setEnabled(true);
}

void TcustomizeToolbarsDlg::updateToolbarClick()
{
    TToolbar* t = currentToolbar();
    if (!t)
        return;
    t->ToolbarName = toolbarName->text();
    refresh(selectedToolbar(), qMax(toolbarButtonsList->currentRow(), 0));
}

void TcustomizeToolbarsDlg::removeToolbarClick()
{
    QList<TToolbar>& toolbars = toolbarDescriptions.Toolbars;
    const int current = toolBarsList->currentRow();
    if (toolbars.isEmpty() || current < 0 || current >= toolbars.size())
        return;
    const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Warning,
        QStringLiteral("Are you sure you want to remove the toolbar named \"")
            + toolbars.at(current).ToolbarName + QStringLiteral("\"?"),
        pm::Dialogs::Buttons::YesNo);
    if (answer == pm::Dialogs::Answer::No)
        return;
    for (int row = int(toolbars.size()) - 1; row >= 0; --row)
        if (toolBarsList->item(row)->isSelected())
            toolbars.removeAt(row);
    if (toolbars.isEmpty()) {
        toolbarName->clear();
        refresh(0, 0);
        toolbarName->clear();
        return;
    }
    refresh(qMax(current - 1, 0), 0);
}

void TcustomizeToolbarsDlg::moveToolbarClick(int step)
{
    const int t = selectedToolbar();
    QList<TToolbar>& toolbars = toolbarDescriptions.Toolbars;
    if (t < 0 || t + step < 0 || t + step >= toolbars.size())
        return;
    toolbars.swapItemsAt(t, t + step);
    refresh(t + step, qMax(toolbarButtonsList->currentRow(), 0));
}

// --- Elements -----------------------------------------------------------------------------

int TcustomizeToolbarsDlg::selectedCommandIndex() const
{
    const QString text = menuItemsCaptions->currentText();
    if (text.isEmpty())
        return -1;
    const int current = menuItemsCaptions->currentIndex();
    if (current >= 0 && menuItemsCaptions->itemText(current) == text)
        return current;
    return menuItemsCaptions->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

TToolbarElement TcustomizeToolbarsDlg::fieldsElement(const TToolbarElement& base) const
{
    TToolbarElement e = base;
    e.IsSeparator = 0;
    e.Caption = buttonCaption->text();
    e.GlyphFileName = glyphFN->text();
    e.NumGlyphs = uint8_t(glyphsNum->value());
    e.Hint = hint->text();
    e.Width = widthEdit->value();
    e.Height = heightEdit->value();
    e.CommandIndex = selectedCommandIndex();
    e.DisplayMode = uint8_t(qMax(displayMode->currentIndex(), 0));
    return e;
}

void TcustomizeToolbarsDlg::showElement(int e)
{
    const TToolbar* t = currentToolbar();
    if (!t || e < 0 || e >= t->Elements.size()) {
        clearClick();
        buttonProperties->setEnabled(!toolbarDescriptions.Toolbars.isEmpty());
        return;
    }
    const TToolbarElement& element = t->Elements.at(e);
    if (element.IsSeparator != 0) {
        buttonCaption->clear();
        glyphFN->clear();
        hint->clear();
        displayMode->setCurrentIndex(-1);
        menuItemsCaptions->setCurrentIndex(-1);
        buttonProperties->setEnabled(false);
        return;
    }
    buttonCaption->setText(element.Caption);
    glyphFN->setText(element.GlyphFileName);
    glyphsNum->setValue(element.NumGlyphs);
    hint->setText(element.Hint);
    displayMode->setCurrentIndex(element.DisplayMode <= dmTextOnly ? element.DisplayMode : -1);
    menuItemsCaptions->setCurrentIndex(
        element.CommandIndex < menuItemsCaptions->count() ? element.CommandIndex : -1);
    widthEdit->setValue(element.Width);
    heightEdit->setValue(element.Height);
    buttonProperties->setEnabled(true);
}

void TcustomizeToolbarsDlg::toolbarButtonsListClick()
{
    showElement(selectedElement());
}

void TcustomizeToolbarsDlg::clearClick()
{
    buttonProperties->setEnabled(true);
    buttonCaption->clear();
    glyphFN->clear();
    hint->clear();
    glyphsNum->setValue(1);
    displayMode->setCurrentIndex(dmGlyphAndText);
    menuItemsCaptions->setCurrentIndex(menuItemsCaptions->count() > 0 ? 0 : -1);
    widthEdit->setValue(28);
    heightEdit->setValue(28);
}

void TcustomizeToolbarsDlg::addButtonClick()
{
    TToolbar* t = currentToolbar();
    if (!t)
        return;
    t->Elements.append(fieldsElement(TToolbarElement()));
    refresh(selectedToolbar(), int(t->Elements.size()) - 1);
}

void TcustomizeToolbarsDlg::updateButtonClick()
{
    TToolbar* t = currentToolbar();
    const int e = selectedElement();
    if (!t || e < 0 || t->Elements.at(e).IsSeparator != 0)
        return;
    t->Elements[e] = fieldsElement(t->Elements.at(e));
    refresh(selectedToolbar(), e);
}

void TcustomizeToolbarsDlg::addSeperatorClick()
{
    TToolbar* t = currentToolbar();
    if (!t)
        return;
    t->Elements.append(TToolbarElement::separator());
    refresh(selectedToolbar(), int(t->Elements.size()) - 1);
}

void TcustomizeToolbarsDlg::removeButtonClick()
{
    TToolbar* t = currentToolbar();
    const int e = selectedElement();
    if (!t || e < 0)
        return;
    const TToolbarElement& element = t->Elements.at(e);
    const QString what = element.IsSeparator == 1
        ? QStringLiteral("Seperator")
        : QStringLiteral("button named \"") + element.Caption + u'"';
    const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Warning,
        QStringLiteral("Are you sure you want to remove the ") + what + u'?',
        pm::Dialogs::Buttons::YesNo);
    if (answer == pm::Dialogs::Answer::No)
        return;
    t->Elements.removeAt(e);
    refresh(selectedToolbar(), qMax(e - 1, 0));
}

void TcustomizeToolbarsDlg::moveButtonClick(int step)
{
    TToolbar* t = currentToolbar();
    const int e = selectedElement();
    if (!t || e < 0 || e + step < 0 || e + step >= t->Elements.size())
        return;
    t->Elements.swapItemsAt(e, e + step);
    refresh(selectedToolbar(), e + step);
}

bool TcustomizeToolbarsDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == menuItemsCaptions && event->type() == QEvent::FocusOut && !m_closing) {
        // Leaving it for another control, not for its own pop-up or another window.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            menuItemsCaptionsExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TcustomizeToolbarsDlg::menuItemsCaptionsExit()
{
    const QString text = menuItemsCaptions->currentText();
    if (text.isEmpty()) {
        menuItemsCaptions->setCurrentIndex(-1);
        return;
    }
    const int found = selectedCommandIndex();
    if (found >= 0) {
        if (menuItemsCaptions->currentIndex() != found)
            menuItemsCaptions->setCurrentIndex(found);
        return;
    }
    const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Question,
        QStringLiteral("The menu command \"") + text
            + QStringLiteral("\" does not exist.\r\nClick OK if you want to select a menu command "
                             "again,\r\nor Cancel to assign no menu command for this button (i.e "
                             "a useless button....)"),
        pm::Dialogs::Buttons::OkCancel);
    if (answer == pm::Dialogs::Answer::Ok) {
        QTimer::singleShot(
            0, menuItemsCaptions, [combo = menuItemsCaptions] { combo->setFocus(); });
        return;
    }
    menuItemsCaptions->setCurrentIndex(-1);
    menuItemsCaptions->clearEditText();
}

void TcustomizeToolbarsDlg::glyphBrowseClick()
{
    const QString name = fileDialog(false, QStringLiteral("Choose a bitmap"),
        QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("bmp"), glyphFN->text());
    if (!name.isEmpty())
        glyphFN->setText(name);
}

// --- Files --------------------------------------------------------------------------------

bool TcustomizeToolbarsDlg::save()
{
    if (!QFileInfo(m_fileName).isFile()) {
        const QString name = fileDialog(true, QStringLiteral("Save toolbars to file"),
            kToolbarsFilter, QStringLiteral("tb"), m_fileName);
        if (name.isEmpty())
            return false;
        m_fileName = name;
        m_unreadable = false;
    } else if (m_unreadable) {
        // What the user would lose is a file they may mean to mend by hand.
        const auto answer = pm::dialogs().message(pm::Dialogs::Kind::Warning,
            QStringLiteral("The toolbars file\r\n%1\r\ncould not be read. Replace it with the "
                           "toolbars shown here?")
                .arg(m_fileName),
            pm::Dialogs::Buttons::YesNo);
        if (answer != pm::Dialogs::Answer::Yes)
            return false;
    }
    if (!saveToolbarsFile(toolbarDescriptions, m_fileName))
        return false;
    m_unreadable = false;
    return true;
}

void TcustomizeToolbarsDlg::rebuildLive(bool byIndex)
{
    m_closing = true;
    if (m_places.isEmpty()) {
        rebuildToolbars(m_liveDock, false);
        return;
    }
    // The windows that stood somewhere go back there, though the dialog added, removed or
    // moved others: window i is built from description n - 1 - i.
    const QList<TToolbar>& toolbars = toolbarDescriptions.Toolbars;
    TToolbarPlaces places;
    for (qsizetype i = toolbars.size() - 1; i >= 0; --i) {
        std::optional<TToolbarPlace> place;
        for (const CapturedPlace& c : std::as_const(m_places))
            if (byIndex ? c.index == i : c.id == toolbars.at(i).id())
                place = c.place;
        places.append(place);
    }
    rebuildToolbars(m_liveDock, false, places);
}

void TcustomizeToolbarsDlg::okClick()
{
    if (!save())
        return;
    rebuildLive(false);
    QDialog::accept();
}

void TcustomizeToolbarsDlg::reject()
{
    if (m_closing)
        return;
    if (QFileInfo(m_fileName).isFile() && loadToolbarsFile(toolbarDescriptions, m_fileName)) {
        rebuildLive(true);
    } else {
        showError(kErrNotToolbarsFile, m_fileName);
        toolbarDescriptions.replace(m_snapshot);
        rebuildLive(false);
    }
    QDialog::reject();
}

void TcustomizeToolbarsDlg::importClick()
{
    const QString name = fileDialog(
        false, QStringLiteral("Open a toolbar file"), kToolbarsFilter, QStringLiteral("tb"));
    if (name.isEmpty())
        return;
    if (!loadToolbarsFile(toolbarDescriptions, name)) {
        showError(kErrNotToolbarsFile, name);
        return;
    }
    m_fileName = name;
    m_unreadable = false;
    refresh(0, 0);
}

void TcustomizeToolbarsDlg::importOldClick()
{
    const QString oldName = fileDialog(
        false, QStringLiteral("Open a toolbar file"), kToolbarsFilter, QStringLiteral("tb"));
    if (oldName.isEmpty())
        return;
    const QString newName = fileDialog(
        true, QStringLiteral("Save toolbars to file"), kToolbarsFilter, QStringLiteral("tb"));
    if (newName.isEmpty())
        return;
    convertOldToolbarsFile(oldName, newName);
}
