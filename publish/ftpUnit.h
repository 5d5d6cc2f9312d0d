/** @file ftpUnit.h ** The publish window: the files to publish gathered from open documents, the
 ** project and a folder, the server settings, and a run with its log and progress. **/
#pragma once

#include "publish/engine/TPublishList.h"
#include "publish/engine/TPublishRun.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <functional>

class QButtonGroup;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class TFileSources;
class TMDIChild;
class TPublishListView;

class TpublishFilesFrm : public QDialog, public TPublishRunHost
{
    Q_OBJECT
public:
    /// FormCreate: the controls take the "Publish" settings of globalOptions, the folder list
    /// starts at `folder` and the filter list holds `filter` ("Name|mask" pairs). Lives for the
    /// whole run of the program.
    TpublishFilesFrm(QWidget* parent, const QString& folder, const QString& filter);
    ~TpublishFilesFrm() override;

    /// "&Publish files to an FTP server...": FormShow, then the window, modal.
    void execute();
    void FormShow();
    /// Send: checks the mask, saves the documents that need it, then starts the run.
    void sendBtnClick();
    /// Cancel (hang up).
    void hangUpBtnClick();
    void clearLogBtnClick();
    /// Close: the controls go into the settings, and the window closes.
    void closeBtnClick();

    /// Adds an item unless one with this text is there; counts its size once.
    bool addItem(const QString& text, TMDIChild* window = nullptr);
    /// Drops come from the window's file list and list views (and files from the desktop).
    bool acceptsDropFrom(const QObject* source) const;
    /// The selected items of `source` join the list.
    void dropFrom(QObject* source);
    /// Items dragged out and dropped anywhere else leave the list, last first.
    void removeSelectedItems();
    void setFolder(const QString& folder);

    const TPublishList& list() const { return m_list; }
    TPublishRun& run() { return *m_run; }
    QString logText() const;
    /// The chooser of dial-up entries; unset: the entries chooser window.
    std::function<QString(const QStringList&)> entryChooser;

    // The controls, by their names.
    QTreeWidget* publishList() const;
    TFileSources* searchWherePageControl() const { return m_sources; }
    QTreeWidget* openedFiles() const;
    QTreeWidget* projectFilesList() const;
    QListWidget* fileList() const;
    QLineEdit* filterEdit() const;
    QLineEdit* remoteFNMaskEdit() const { return m_maskEdit; }
    QCheckBox* lowerChk() const { return m_lowerChk; }
    QLineEdit* serverEdit() const { return m_serverEdit; }
    QSpinBox* portEdit() const { return m_portEdit; }
    QLineEdit* initDirEdit() const { return m_initDirEdit; }
    QLineEdit* usernameEdit() const { return m_userEdit; }
    QLineEdit* userPassEdit() const { return m_passEdit; }
    QRadioButton* dialItem() const { return m_dialItem; }
    QRadioButton* connectedItem() const { return m_connectedItem; }
    QPushButton* sendBtn() const { return m_sendBtn; }
    QPushButton* hangUpBtn() const { return m_hangUpBtn; }
    QPushButton* closeBtn() const { return m_closeBtn; }
    QPushButton* clearLogBtn() const { return m_clearLogBtn; }
    QLabel* totalSizeLabel() const { return m_totalSizeLabel; }
    QProgressBar* totalSizeProgress() const { return m_totalSizeProgress; }
    QLabel* fileSizeLabel() const { return m_fileSizeLabel; }
    QProgressBar* fileSizeProgress() const { return m_fileSizeProgress; }

    // TPublishRunHost
    void log(const QString& line) override;
    QString remoteMask() override;
    bool lowerCaseNames() override;
    QString chooseEntry(const QStringList& entries) override;
    void reportStop(int code) override;
    void progressChanged() override;
    void setCloseEnabled(bool enabled) override;
    void runEnded() override;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildSources(const QString& folder, const QString& filter);
    QWidget* buildSettings();
    /// The list view shows the model again; the total size label and bar follow.
    void refreshList();
    void loadSettings();
    /// Saves every document of the list that needs it; false when the list ends up empty.
    void saveDocuments();

    TPublishList m_list;
    TPublishRun* m_run = nullptr;

    TPublishListView* m_publishList = nullptr;
    TFileSources* m_sources = nullptr;

    QLineEdit* m_maskEdit = nullptr;
    QCheckBox* m_lowerChk = nullptr;
    QLineEdit* m_serverEdit = nullptr;
    QSpinBox* m_portEdit = nullptr;
    QLineEdit* m_initDirEdit = nullptr;
    QLineEdit* m_userEdit = nullptr;
    QLineEdit* m_passEdit = nullptr;
    QRadioButton* m_dialItem = nullptr;
    QRadioButton* m_connectedItem = nullptr;
    QPushButton* m_sendBtn = nullptr;
    QPushButton* m_hangUpBtn = nullptr;
    QPushButton* m_closeBtn = nullptr;
    QPushButton* m_clearLogBtn = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QLabel* m_totalSizeLabel = nullptr;
    QProgressBar* m_totalSizeProgress = nullptr;
    QLabel* m_fileSizeLabel = nullptr;
    QProgressBar* m_fileSizeProgress = nullptr;
};
