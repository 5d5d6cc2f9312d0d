/** @file Options.cpp ** The Options dialog. **/
#include "app/Options.h"

#include "app/regAss.h"
#include "core/global_utl.h"
#include "core/settings_utl.h"
#include "core/status_utl.h"
#include "document/common/viewer_utl.h"
#include "platform/Dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QRadioButton* addRadio(QButtonGroup* group, QVBoxLayout* layout, const QString& text, int id)
{
    auto* b = new QRadioButton(text);
    group->addButton(b, id);
    layout->addWidget(b);
    return b;
}

QLabel* note(const QString& text)
{
    auto* l = new QLabel(text);
    l->setWordWrap(true);
    return l;
}

struct TAssociationButton
{
    const char* caption;
    bool registering;
    const char* extension;
    const char* typeName;
    const char* verb;
    bool icon;
    const char* files; ///< for the messages
};

const TAssociationButton associationButtons[4] = {
    { "Register assocciation for *.html files", true, ".html", "htmlfile", "Edit with Pagemason",
        false, "*.html" },
    { "Unregister assocciation for *.html files", false, ".html", "htmlfile", "Edit with Pagemason",
        false, "*.html" },
    { "Register assocciation for *.pmP files", true, ".pmp", "pmpfile", "open", true, "*.pmp" },
    { "Unregister assocciation for *.pmP files", false, ".pmp", "pmpfile", "open", true, "*.pmp" },
};

} // namespace

TOptionsDlg::TOptionsDlg(TSettingsWindows* frame, QWidget* statusBar, QWidget* parent)
    : QDialog(parent)
    , programPath(QCoreApplication::applicationFilePath())
    , m_frame(frame)
    , m_statusBar(statusBar)
{
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->addTab(createViewerPage(), QStringLiteral("Viewer"));
    m_pages->addTab(createFilesPage(), QStringLiteral("Files"));
    m_pages->addTab(createSplashPage(), QStringLiteral("Splash Screen"));
    m_pages->addTab(createEditPage(), QStringLiteral("Edit"));
    m_pages->addTab(createErrorsPage(), QStringLiteral("Errors"));

    m_save = new QPushButton(QStringLiteral("Save It !"));
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Never Mind"));
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);

    loadControls();
    connectControls();
}

QWidget* TOptionsDlg::createViewerPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* box = new QGroupBox(QStringLiteral("Viewer type"));
    auto* boxLayout = new QVBoxLayout(box);
    m_viewerType = new QButtonGroup(this);
    addRadio(m_viewerType, boxLayout, QStringLiteral("Microsoft (r) Internet Explorer"), 0);
    addRadio(m_viewerType, boxLayout, QStringLiteral("Netscape Navigator"), 1);
    addRadio(m_viewerType, boxLayout, QStringLiteral("Other"), 2);
    addRadio(m_viewerType, boxLayout, QStringLiteral("Default browser"), 3);
    layout->addWidget(box);

    m_viewerPathLabel = new QLabel(QStringLiteral("External Viewer Path:  "));
    m_viewerPath = new QLineEdit;
    m_viewerPath->setObjectName(QStringLiteral("viewerPath"));
    m_viewerPath->setMaxLength(255);
    m_viewerPathLabel->setBuddy(m_viewerPath);
    m_selectViewer = new QPushButton(QStringLiteral("&Select external viewer"));
    auto* path = new QHBoxLayout;
    path->addWidget(m_viewerPathLabel);
    path->addWidget(m_viewerPath, 1);
    layout->addLayout(path);
    auto* select = new QHBoxLayout;
    select->addStretch(1);
    select->addWidget(m_selectViewer);
    layout->addLayout(select);
    layout->addWidget(note(QStringLiteral(
        "View in browser hands the saved page to the viewer chosen here. Internet Explorer and "
        "Netscape Navigator are started with the page's address, \"Other\" starts the program "
        "with the page's file name, and \"Default browser\" opens the page with the browser "
        "of your desktop, which needs no path.")));
    layout->addStretch(1);
    return page;
}

QWidget* TOptionsDlg::createFilesPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* ext = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Default Extention: "));
    m_defaultExt = new QComboBox;
    m_defaultExt->setObjectName(QStringLiteral("defaultExt"));
    m_defaultExt->setEditable(true);
    m_defaultExt->addItems({ QStringLiteral("html"), QStringLiteral("htm") });
    label->setBuddy(m_defaultExt);
    ext->addWidget(label);
    ext->addWidget(m_defaultExt, 1);
    layout->addLayout(ext);
    layout->addWidget(
        note(QStringLiteral("-Dont write .html just html (no dot)\r\n-Maximum 4 letters")));
    for (int i = 0; i < 4; ++i) {
        m_assoc[i] = new QPushButton(QLatin1String(associationButtons[i].caption));
        layout->addWidget(m_assoc[i]);
    }
    layout->addStretch(1);
    return page;
}

QWidget* TOptionsDlg::createSplashPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_showSplash = new QCheckBox(QStringLiteral("Show splash screen"));
    layout->addWidget(m_showSplash);
    auto* seconds = new QHBoxLayout;
    m_splashSecondsLabel = new QLabel(QStringLiteral("Seconds to show splash screen:"));
    m_splashSeconds = new QSpinBox;
    m_splashSeconds->setRange(0, 10);
    m_splashSecondsLabel->setBuddy(m_splashSeconds);
    seconds->addWidget(m_splashSecondsLabel);
    seconds->addWidget(m_splashSeconds);
    seconds->addStretch(1);
    layout->addLayout(seconds);
    layout->addStretch(1);
    return page;
}

QWidget* TOptionsDlg::createEditPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* box = new QGroupBox(QStringLiteral("Tag case"));
    auto* boxLayout = new QVBoxLayout(box);
    m_tagCase = new QButtonGroup(this);
    addRadio(m_tagCase, boxLayout, QStringLiteral("Lower case (sample text)"), 0);
    addRadio(m_tagCase, boxLayout, QStringLiteral("Upper case (SAMPLE TEXT)"), 1);
    addRadio(m_tagCase, boxLayout, QStringLiteral("As in Dynamic Menus file (don't change)"), 2);
    layout->addWidget(box);
    m_autoInsertTags
        = new QCheckBox(QStringLiteral("Insert 'Auto insert tags' when new HTML is created"));
    // "&&" shows the "&" of the caption as it is written.
    m_autoInsertBR = new QCheckBox(QStringLiteral("Insert '<&&BR>' when Enter is pressed ('<BR>' "
                                                  "wont be inserted if Ctrl+Enter is pressed)"));
    m_autoCompleteTags = new QCheckBox(QStringLiteral("Auto complete tags"));
    m_convertUnixStrings = new QCheckBox(QStringLiteral("Convert strings (paths) to Unix style"));
    m_keepTabs = new QCheckBox(QStringLiteral("Keep tabs when opening files"));
    layout->addWidget(m_autoInsertTags);
    layout->addWidget(m_autoInsertBR);
    layout->addWidget(
        note(QStringLiteral("If not checked, '<BR>' will be inserted if Ctrl+Enter is pressed.")));
    layout->addWidget(m_autoCompleteTags);
    layout->addWidget(m_convertUnixStrings);
    layout->addWidget(m_keepTabs);
    layout->addStretch(1);
    return page;
}

QWidget* TOptionsDlg::createErrorsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* show = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Show"));
    m_messageType = new QComboBox;
    m_messageType->addItems({ QStringLiteral("Detailed"), QStringLiteral("Short") });
    label->setBuddy(m_messageType);
    show->addWidget(label);
    show->addWidget(m_messageType);
    show->addWidget(new QLabel(QStringLiteral("error messages.")));
    show->addStretch(1);
    layout->addLayout(show);
    m_logErrors = new QCheckBox(QStringLiteral("Log error messages to file."));
    layout->addWidget(m_logErrors);
    m_errorLogLabel = note(u'(' + errorLogFileName + QStringLiteral(")."));
    layout->addWidget(m_errorLogLabel);
    layout->addStretch(1);
    return page;
}

void TOptionsDlg::loadControls()
{
    const optns& o = globalOptions;
    if (QAbstractButton* b = m_viewerType->button(o.viewerType))
        b->setChecked(true);
    m_viewerPath->setText(o.viewerFileName);
    enableViewerPath(o.viewerType != 3);
    m_defaultExt->setEditText(o.defaultExt);
    m_showSplash->setChecked(o.showSplash);
    m_splashSeconds->setValue(o.splashSeconds);
    m_splashSeconds->setEnabled(o.showSplash);
    m_splashSecondsLabel->setEnabled(o.showSplash);
    if (QAbstractButton* b = m_tagCase->button(o.tagCase))
        b->setChecked(true);
    m_autoInsertTags->setChecked(o.autoInsertTags);
    m_autoInsertBR->setChecked(o.autoInsertBR);
    m_autoCompleteTags->setChecked(o.autoCompleteTags);
    m_convertUnixStrings->setChecked(o.convertUnixStrings);
    m_keepTabs->setChecked(o.keepTabsOnOpen);
    m_messageType->setCurrentIndex(o.messageType <= 1 ? o.messageType : 0);
    m_logErrors->setChecked(o.logErrors);
}

void TOptionsDlg::connectControls()
{
    optns& o = globalOptions;
    connect(m_viewerType, &QButtonGroup::idClicked, this, &TOptionsDlg::viewerTypeChosen);
    connect(m_viewerPath, &QLineEdit::textChanged, this,
        [&o](const QString& text) { o.viewerFileName = text.left(255); });
    connect(m_selectViewer, &QPushButton::clicked, this, &TOptionsDlg::selectViewerClick);
    connect(m_defaultExt, &QComboBox::editTextChanged, this,
        [&o](const QString& text) { o.defaultExt = text.left(4); });
    for (int i = 0; i < 4; ++i)
        connect(m_assoc[i], &QPushButton::clicked, this, [this, i] { associationClick(i); });
    connect(m_showSplash, &QCheckBox::toggled, this, [this, &o](bool on) {
        o.showSplash = on;
        m_splashSeconds->setEnabled(on);
        m_splashSecondsLabel->setEnabled(on);
    });
    connect(m_splashSeconds, &QSpinBox::valueChanged, this,
        [&o](int value) { o.splashSeconds = uint8_t(value); });
    connect(m_tagCase, &QButtonGroup::idClicked, this, [&o](int id) { o.tagCase = uint8_t(id); });
    connect(m_autoInsertTags, &QCheckBox::toggled, this, [&o](bool on) { o.autoInsertTags = on; });
    connect(m_autoInsertBR, &QCheckBox::toggled, this, [&o](bool on) { o.autoInsertBR = on; });
    connect(
        m_autoCompleteTags, &QCheckBox::toggled, this, [&o](bool on) { o.autoCompleteTags = on; });
    connect(m_convertUnixStrings, &QCheckBox::toggled, this,
        [&o](bool on) { o.convertUnixStrings = on; });
    connect(m_keepTabs, &QCheckBox::toggled, this, [&o](bool on) { o.keepTabsOnOpen = on; });
    connect(m_messageType, &QComboBox::currentIndexChanged, this, [&o](int index) {
        if (index >= 0)
            o.messageType = uint8_t(index);
    });
    connect(m_logErrors, &QCheckBox::toggled, this, [&o](bool on) { o.logErrors = on; });
    connect(m_save, &QPushButton::clicked, this, &TOptionsDlg::saveClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TOptionsDlg::enableViewerPath(bool on)
{
    m_viewerPath->setEnabled(on);
    m_viewerPathLabel->setEnabled(on);
    m_selectViewer->setEnabled(on);
}

void TOptionsDlg::viewerTypeChosen(int type)
{
    globalOptions.viewerType = uint8_t(type);
    enableViewerPath(type != 3);
    const QString path = browserPathDefault(type, m_viewerPath->text());
    if (path != m_viewerPath->text())
        m_viewerPath->setText(path);
}

void TOptionsDlg::selectViewerClick()
{
    // Programs here carry no ".exe": the dialog lists every file, starting where the viewer
    // is (or among the installed programs).
    pm::Dialogs::FileRequest request;
    request.title = QStringLiteral("Open file");
    const QFileInfo current(m_viewerPath->text());
    request.folder = !m_viewerPath->text().isEmpty() && current.absoluteDir().exists()
        ? current.absolutePath() + u'/'
        : QStringLiteral("/usr/bin/");
    request.filter = QStringLiteral("All (*);;Exectables (*.exe)");
    request.filterIndex = 0;
    const QStringList chosen = pm::dialogs().openFiles(request);
    // A cancelled dialog keeps the path that was there.
    if (!chosen.isEmpty())
        m_viewerPath->setText(chosen.first());
}

void TOptionsDlg::associationClick(int index)
{
    const TAssociationButton& b = associationButtons[index];
    const QString typeName = QLatin1String(b.typeName);
    const QString verb = QLatin1String(b.verb);
    QString error;
    bool ok;
    if (b.registering)
        ok = registerAssociation(QLatin1String(b.extension), typeName, verb,
            b.icon ? programPath + QStringLiteral(",1") : QString(), programPath, &error);
    else
        ok = unregisterAssociation(typeName, verb, &error);
    const QString files = QLatin1String(b.files);
    if (!ok) {
        pm::dialogs().error((b.registering ? QStringLiteral("Cannot register Pagemason for ")
                                           : QStringLiteral("Cannot unregister Pagemason for "))
            + files + QStringLiteral(" files.\r\n") + error);
        return;
    }
    setStatus((b.registering ? QStringLiteral("Pagemason is registered for ")
                             : QStringLiteral("Pagemason is unregistered for "))
        + files + QStringLiteral(" files. Ready"));
}

void TOptionsDlg::saveClick()
{
    if (!saveSettings(settingsKey, m_frame))
        pm::dialogs().error(QStringLiteral("The settings could not be saved."));
    if (m_statusBar)
        m_statusBar->setVisible(globalOptions.statusBarVisible);
    accept();
}
