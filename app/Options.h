/** @file Options.h ** The Options dialog: viewer, files and associations, splash screen, editing
 ** and error settings, each written to the settings record as soon as it changes. **/
#pragma once

#include <QDialog>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TSettingsWindows;

class TOptionsDlg : public QDialog
{
    Q_OBJECT
public:
    /// `frame` takes part in saving the settings; `statusBar` is the main window's, shown or
    /// hidden as the settings say after "Save It !". Either may be null.
    explicit TOptionsDlg(TSettingsWindows* frame, QWidget* statusBar, QWidget* parent = nullptr);

    /// The program the association buttons register (the running executable by default).
    QString programPath;

    QTabWidget* pages() const { return m_pages; }
    QButtonGroup* viewerTypeGroup() const { return m_viewerType; }
    QLineEdit* viewerPathBox() const { return m_viewerPath; }
    QLabel* viewerPathLabel() const { return m_viewerPathLabel; }
    QPushButton* selectViewerButton() const { return m_selectViewer; }
    QComboBox* defaultExtBox() const { return m_defaultExt; }
    QPushButton* associationButton(int index) const { return m_assoc[index]; }
    QCheckBox* showSplashBox() const { return m_showSplash; }
    QSpinBox* splashSecondsBox() const { return m_splashSeconds; }
    QLabel* splashSecondsLabel() const { return m_splashSecondsLabel; }
    QButtonGroup* tagCaseGroup() const { return m_tagCase; }
    QCheckBox* autoInsertTagsBox() const { return m_autoInsertTags; }
    QCheckBox* autoInsertBRBox() const { return m_autoInsertBR; }
    QCheckBox* autoCompleteTagsBox() const { return m_autoCompleteTags; }
    QCheckBox* convertUnixStringsBox() const { return m_convertUnixStrings; }
    QCheckBox* keepTabsBox() const { return m_keepTabs; }
    QComboBox* messageTypeBox() const { return m_messageType; }
    QCheckBox* logErrorsBox() const { return m_logErrors; }
    QLabel* errorLogLabel() const { return m_errorLogLabel; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }

    /// "&Select external viewer": the Open dialog; the chosen program goes into the path box.
    void selectViewerClick();
    /// The four association buttons, 0 to 3 in the order of the Files page.
    void associationClick(int index);
    /// "Save It !".
    void saveClick();

private:
    QWidget* createViewerPage();
    QWidget* createFilesPage();
    QWidget* createSplashPage();
    QWidget* createEditPage();
    QWidget* createErrorsPage();
    void loadControls();
    void connectControls();
    void viewerTypeChosen(int type);
    void enableViewerPath(bool on);

    TSettingsWindows* m_frame = nullptr;
    QWidget* m_statusBar = nullptr;
    QTabWidget* m_pages = nullptr;
    QButtonGroup* m_viewerType = nullptr;
    QLineEdit* m_viewerPath = nullptr;
    QLabel* m_viewerPathLabel = nullptr;
    QPushButton* m_selectViewer = nullptr;
    QComboBox* m_defaultExt = nullptr;
    QPushButton* m_assoc[4] = {};
    QCheckBox* m_showSplash = nullptr;
    QSpinBox* m_splashSeconds = nullptr;
    QLabel* m_splashSecondsLabel = nullptr;
    QButtonGroup* m_tagCase = nullptr;
    QCheckBox* m_autoInsertTags = nullptr;
    QCheckBox* m_autoInsertBR = nullptr;
    QCheckBox* m_autoCompleteTags = nullptr;
    QCheckBox* m_convertUnixStrings = nullptr;
    QCheckBox* m_keepTabs = nullptr; ///< our own option, beyond the designed pages
    QComboBox* m_messageType = nullptr;
    QCheckBox* m_logErrors = nullptr;
    QLabel* m_errorLogLabel = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};
