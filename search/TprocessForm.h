/** @file TprocessForm.h ** The progress window of a search or replace run: the file, line and
 ** character bars, a Cancel button, and the Escape key, while the run keeps the window alive. **/
#pragma once

#include "search/engine/TFileSearch.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class TprocessForm : public QWidget
{
    Q_OBJECT
public:
    explicit TprocessForm(QWidget* frame);
    ~TprocessForm() override;

    /// A run begins: shown with its bottom-right corner on the frame's, modal for the rest
    /// of the program, and watching the Escape key.
    void start(int fileCount, bool replacing);
    /// The run is over: hidden, and the Escape key is no longer watched.
    void finish();

    void fileStarted(int index, const QString& fileName);
    /// Shows where a replace run stands; drawn at the next breath.
    void matchReached(const TReplaceProgress& where);

    /// Lets the window paint and take its clicks and keys, at most every few milliseconds, so
    /// that a run costs little and still answers within a fraction of a second.
    void breathe();
    /// Cancel was pressed (or the window closed).
    bool cancelRequested() const { return m_cancel; }
    /// Escape is held down, or was pressed since the last call.
    bool takeEscape();
    /// Forgets Escape (it was answered: a question took it).
    void clearEscape() { m_escapeHeld = m_escapePressed = false; }
    /// Number of breaths so far (for tests that act between two).
    int breaths() const { return m_breaths; }

    QPushButton* cancelButton() const { return m_cancelBtn; }
    QString lineText() const;
    QString replacedText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void place();
    void showPending();

    QWidget* m_frame = nullptr;
    QLabel* m_fileLabel = nullptr;
    QLabel* m_lineLabel = nullptr;
    QLabel* m_charLabel = nullptr;
    QLabel* m_replacedLabel = nullptr;
    QProgressBar* m_filesBar = nullptr;
    QProgressBar* m_linesBar = nullptr;
    QProgressBar* m_charsBar = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    QElapsedTimer m_sinceBreath;
    bool m_running = false;
    bool m_cancel = false;
    bool m_escapeHeld = false;
    bool m_escapePressed = false;
    int m_breaths = 0;
    int m_fileCount = 0;
    int m_file = 0;
    QString m_fileName;
    TReplaceProgress m_where;
    bool m_pending = false; ///< something to draw at the next breath
};
