/** @file customToolbar.h ** The "Customize Toolbars" dialog: edits the toolbar descriptions
 ** with a live preview of inert toolbars, and saves them to a toolbar file. **/
#pragma once

#include "toolbars/common/customToolbar_utl.h"
#include "toolbars/common/toolbarPositions_utl.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QToolButton;

class TcustomizeToolbarsDlg : public QDialog
{
    Q_OBJECT
public:
    /// Opens on the commands of `menu` (the active document window's) and the toolbar file
    /// `fileName`, taking the toolbar windows from `liveDock` into its own preview dock; they
    /// go back there, with their actions, when it closes. A file that cannot be read is
    /// reported and the dialog shows the descriptions as they were.
    TcustomizeToolbarsDlg(const QMenuBar* menu, QMainWindow* liveDock, const QString& fileName,
        QWidget* parent = nullptr);
    ~TcustomizeToolbarsDlg() override;

    /// The file that "Save toolbars" writes.
    QString currentFileName() const { return m_fileName; }
    /// Where the inert preview toolbars are built.
    QMainWindow* defaultDock() const { return m_defaultDock; }

    /// Cancel, Escape and the window's close box: the file's toolbars come back.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CapturedPlace
    {
        uint64_t id;
        qsizetype index;
        TToolbarPlace place;
    };

    void buildControls();
    /// Refills the toolbar list (t >= 0) and the element list (e >= 0), selecting t and e or
    /// the last one past the end, and rebuilds the preview unless told not to.
    void refresh(int t, int e, bool preview = true);
    void updateEnabled();
    /// The one selected toolbar, or -1 (none or several).
    int selectedToolbar() const;
    int selectedElement() const;
    TToolbar* currentToolbar();
    TToolbarElement fieldsElement(const TToolbarElement& base) const;
    int selectedCommandIndex() const;
    void showElement(int e);
    /// Saves the descriptions; false when nothing was written.
    bool save();
    void rebuildLive(bool byIndex);

    void toolBarsListClick();
    void toolBarsListCheck(int row);
    void addToolbarClick();
    void updateToolbarClick();
    void removeToolbarClick();
    void moveToolbarClick(int step);
    void toolbarButtonsListClick();
    void clearClick();
    void addButtonClick();
    void updateButtonClick();
    void addSeperatorClick();
    void removeButtonClick();
    void moveButtonClick(int step);
    void menuItemsCaptionsExit();
    void glyphBrowseClick();
    void okClick();
    void importClick();
    void importOldClick();

    QString m_fileName;
    QMainWindow* m_liveDock;
    bool m_unreadable = false; ///< the file exists but could not be read at opening
    bool m_refreshing = false;
    bool m_closing = false;
    QList<TToolbar> m_snapshot; ///< the descriptions as they were at opening
    QList<CapturedPlace> m_places; ///< where the live windows stood at opening

    QMainWindow* m_defaultDock = nullptr;
    QListWidget* toolBarsList = nullptr;
    QLineEdit* toolbarName = nullptr;
    QPushButton* addToolbarBtn = nullptr;
    QPushButton* updateToolbarBtn = nullptr;
    QPushButton* removeToolbarBtn = nullptr;
    QToolButton* toolbarUpBtn = nullptr;
    QToolButton* toolbarDownBtn = nullptr;
    QLabel* toolbarNameLabel = nullptr;
    QListWidget* toolbarButtonsList = nullptr;
    QToolButton* buttonUpBtn = nullptr;
    QToolButton* buttonDownBtn = nullptr;
    QPushButton* addButtonBtn = nullptr;
    QPushButton* updateButtonBtn = nullptr;
    QPushButton* addSeperatorBtn = nullptr;
    QPushButton* removeButtonBtn = nullptr;
    QPushButton* clearBtn = nullptr;
    QGroupBox* buttonProperties = nullptr;
    QLineEdit* buttonCaption = nullptr;
    QLineEdit* hint = nullptr;
    QLineEdit* glyphFN = nullptr;
    QToolButton* glyphBrowseBtn = nullptr;
    QSpinBox* glyphsNum = nullptr;
    QSpinBox* widthEdit = nullptr;
    QSpinBox* heightEdit = nullptr;
    QComboBox* displayMode = nullptr;
    QComboBox* menuItemsCaptions = nullptr;
    QPushButton* okBtn = nullptr;
    QPushButton* cancelBtn = nullptr;
    QPushButton* saveBtn = nullptr;
    QPushButton* importBtn = nullptr;
    QPushButton* importOldBtn = nullptr;
};
