/** @file inputForm.h ** The input wizard: one page per request of a template, message steps
 ** between them, and the answers formatted for HTML when the user presses Finish. **/
#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <cstdint>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class TWizardDocument;
class TinputTemplates;
class TwizardPage;

/// Puts a value back into a page's controls, the reverse of its answer (tag editing); for an
/// image page also its width and height. Every page kind; a date that cannot be read leaves
/// the picker as it is.
void setWizardPageValue(TwizardPage* page, const QString& value, const QString& width = QString(),
                        const QString& height = QString());

class TinputDlg : public QDialog
{
    Q_OBJECT
public:
    /// `document` is the document the answers are for (attlist values, relative paths); null
    /// when there is none.
    explicit TinputDlg(QWidget* parent = nullptr, TWizardDocument* document = nullptr);
    ~TinputDlg() override;

    /// Adds a request's page (a copy of the template page of its type) and its step, and sets
    /// the page up from `parameters`. Returns the page index. A type without a page of its own
    /// gets a string page, so that a request is never lost.
    int addPage(int type, const QString& description, const QString& parameters,
                const QString& prefix, const QString& suffix, bool optional);
    /// Adds a message step (shown as an OK/Cancel box when navigation reaches it).
    void addMessageStep(const QString& message);
    /// Puts a value back into page `k`'s controls, the reverse of its answer (tag editing).
    void setPageValue(int k, const QString& value, const QString& width = QString(),
                      const QString& height = QString());

    /// Sets the title and moves to the first page. False when a message before it was
    /// cancelled (the wizard must then not be shown).
    bool start(const QString& title);
    /// start() and then modal; true when closed by Finish.
    bool showWizard(const QString& title);

    void moveForward() { move(1); }
    void moveBack() { move(-1); }
    /// Collects every answer and closes; stays open (finished false) when an answer cannot be
    /// formed, after saying why.
    void finish();
    void cancel();

    bool finished() const { return m_finished; }
    int currentStep() const { return m_currentStep; }
    int stepCount() const { return int(m_steps.size()); }
    int pageCount() const { return int(m_pages.size()); }
    /// Index of the page being shown; -1 before the first move.
    int currentPage() const { return m_currentPage; }
    TwizardPage* page(int k) const { return m_pages.value(k); }

    /// By page index.
    QStringList descriptions;
    QStringList prefixes;
    QStringList suffixes; ///< after Finish, an image page's WIDTH and HEIGHT are appended
    QStringList answers;
    QList<bool> optionalFlags;

    QStackedWidget* PageControl1 = nullptr;
    QPlainTextEdit* helpMemo = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* backBtn = nullptr;
    QPushButton* nextBtn = nullptr;
    QPushButton* finishBtn = nullptr;
    QPushButton* cancelBtn = nullptr;

    /// The filter of the one open dialog all browse buttons share ("Name|*.a;*.b").
    QString openDialogFilter() const { return m_openFilter; }

    /// Services the pages call; replaceable so tests need no screen or nested dialog.
    static std::function<int32_t(QWidget*)> colorPicker;  ///< default: TgetColorFrm
    static std::function<QString(QWidget*)> urlWizard;    ///< default: TurlForm
    /// Colour button: the chosen colour, or the given one when cancelled. Default QColorDialog.
    static std::function<int32_t(int32_t, QWidget*)> colorChooser;

    /// Text of the box shown when an image size is not a whole number.
    static const QString badImageSizeMessage;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Step {
        QString text;
        int page = -1; ///< -1: a message step
        QString message;
    };

    void move(int direction);
    void afterMove();
    void updateButtons();
    void focusFirstControl();
    void setupPage(int k, int type, const QString& parameters);
    void bindPage(TwizardPage* page);
    void browse(TwizardPage* page, int combo);
    void imageFileChanged(TwizardPage* page);
    void collectAnswer(int k);
    void addHistory(TwizardPage* page);
    bool handleKey(QObject* watched, class QKeyEvent* key);

    TinputTemplates* m_templates = nullptr;
    TWizardDocument* m_document = nullptr;
    QList<TwizardPage*> m_pages;
    QList<Step> m_steps;
    QString m_title;
    QString m_openFilter;
    /// -1 before the first step; otherwise an index into m_steps
    int m_currentStep = -1;
    int m_currentPage = -1;
    bool m_finished = false;
    bool m_cancelled = false;
    /// Answers are computed only while set (inside finish()).
    bool m_collecting = false;
};
