/** @file TMainForm.h ** The main window: the MDI frame with its small menu and the status area. **/
#pragma once

#include "core/status_utl.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;
class TMainFormWindows;
class TStartupSteps;
class TStatusPicture;

class TMainForm : public QMainWindow, public TStatusSink
{
    Q_OBJECT
public:
    /// Runs the start-up sequence (FormCreate) and registers as the status sink. `steps` carry
    /// out the start-up and shutdown steps; null: the form's own document side.
    explicit TMainForm(TStartupSteps* steps = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    /// Panel 1 := text; ready := the text contains "Ready"; repainted at once.
    void setStatus(const QString& text);
    /// Sets the bar's maximum and position; position == maximum resets it to 0.
    void setProgress(int position, int maximum);
    /// The application hint handler: panel 1 := hint, `ready` unchanged.
    void showHint(const QString& hint);
    /// The body of the first show; later calls do nothing. Showing the window runs it from the
    /// event loop; tests may call it directly.
    void FormShow();

    bool isReady() const { return ready; }
    bool hasShownOnce() const { return m_shown; }
    QString statusText() const;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* reopenMenu() const { return m_reopenMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    QAction* newAction() const { return m_newAction; }
    QAction* openAction() const { return m_openAction; }
    QAction* exitAction() const { return m_exitAction; }
    QAction* aboutAction() const { return m_aboutAction; }
    QProgressBar* progressBar() const { return progBar; }
    QWidget* statusPicture() const;
    /// The document side: tools window, image preview, menu merging, drops, hotkeys.
    TMainFormWindows* windows() const { return m_windows; }

    // TStatusSink
    void statusChanged(const QString& text) override { setStatus(text); }
    void progressChanged(int position, int maximum) override { setProgress(position, maximum); }
    void busyChanged(bool busy) override;
    void resultRowAdded(const QStringList& columns) override;
    void resultsPageShown() override;

signals:
    /// Emitted when the first show has finished and the window is ready.
    void startupFinished();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createStatusArea();

    /// false from creation to the end of the first show; afterwards whether the last status
    /// text contained "Ready".
    bool ready = false;
    bool m_shown = false; ///< guards the one-time body of FormShow
    bool m_showQueued = false;

    QMdiArea* m_mdiArea = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_reopenMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_newAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_aboutAction = nullptr;

    QWidget* Panel4 = nullptr; ///< the status area at the bottom
    QProgressBar* progBar = nullptr; ///< 144 pixels wide, left of the status panels
    TStatusPicture* m_picture = nullptr; ///< panel 0, 18 pixels, drawn here
    QLabel* m_statusText = nullptr; ///< panel 1
    TMainFormWindows* m_windows = nullptr; ///< child QObject; exists before FormCreate runs
    TStartupSteps* m_steps = nullptr; ///< never null once constructed
};

/// The one main window while it exists (the plug-in callbacks reach it here).
extern TMainForm* mainForm;
