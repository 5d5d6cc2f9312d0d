/** @file TtextWizard.cpp ** A plain input wizard: one page per request, each answered as text. **/
#include "templates/TtextWizard.h"

#include "platform/Dialogs.h"
#include "templates/requestSyntax.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

bool TtextWizard::run(const QString& title, QList<TWizardPage>& pages,
                      const QList<TWizardStep>& steps)
{
    QDialog dialog(m_parent);
    auto* help = new QLabel(&dialog);
    help->setWordWrap(true);
    auto* stack = new QStackedWidget(&dialog);
    QList<QWidget*> editors;
    for (const TWizardPage& page : pages) {
        QWidget* editor = page.type == rtText ? static_cast<QWidget*>(new QPlainTextEdit(stack))
                                              : static_cast<QWidget*>(new QLineEdit(stack));
        editor->setObjectName(QStringLiteral("answer%1").arg(editors.size()));
        stack->addWidget(editor);
        editors.append(editor);
    }
    auto* backBtn = new QPushButton(QStringLiteral("<< Back"), &dialog);
    auto* nextBtn = new QPushButton(QStringLiteral("Next >>"), &dialog);
    auto* finishBtn = new QPushButton(QStringLiteral("Finish"), &dialog);
    auto* cancelBtn = new QPushButton(QStringLiteral("Cancel"), &dialog);
    backBtn->setObjectName(QStringLiteral("backBtn"));
    nextBtn->setObjectName(QStringLiteral("nextBtn"));
    finishBtn->setObjectName(QStringLiteral("finishBtn"));
    cancelBtn->setObjectName(QStringLiteral("cancelBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {backBtn, nextBtn, finishBtn, cancelBtn})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(help);
    layout->addWidget(stack);
    layout->addLayout(buttons);

    int current = -1;
    // Walks to the next page step in `direction`; a cancelled message cancels the wizard.
    auto move = [&](int direction) {
        int step = current;
        while (step + direction >= 0 && step + direction < steps.size()) {
            step += direction;
            const TWizardStep& s = steps.at(step);
            if (s.page >= 0) {
                current = step;
                break;
            }
            if (!s.message.isEmpty()
                && pm::dialogs().message(pm::Dialogs::Kind::Question, s.message,
                                         pm::Dialogs::Buttons::OkCancel)
                       == pm::Dialogs::Answer::Cancel) {
                dialog.reject();
                return;
            }
        }
        const int page = steps.at(current).page;
        stack->setCurrentIndex(page);
        help->setText(pages.at(page).description);
        dialog.setWindowTitle(title + QStringLiteral(" Wizard - Step ") + QString::number(page + 1)
                              + QStringLiteral(" of ") + QString::number(pages.size()));
        bool later = false;
        for (int s = current + 1; s < steps.size() && !later; ++s)
            later = steps.at(s).page >= 0;
        bool earlier = false;
        for (int s = current - 1; s >= 0 && !earlier; --s)
            earlier = steps.at(s).page >= 0;
        backBtn->setEnabled(earlier);
        nextBtn->setEnabled(later);
        nextBtn->setDefault(later);
        finishBtn->setDefault(!later);
        editors.at(page)->setFocus();
    };
    QObject::connect(nextBtn, &QPushButton::clicked, &dialog, [&] { move(1); });
    QObject::connect(backBtn, &QPushButton::clicked, &dialog, [&] { move(-1); });
    QObject::connect(finishBtn, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancelBtn, &QPushButton::clicked, &dialog, &QDialog::reject);

    if (pages.isEmpty())
        return true;
    move(1);
    if (current < 0) // a message before the first page was cancelled
        return false;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (qsizetype k = 0; k < pages.size(); ++k) {
        if (auto* line = qobject_cast<QLineEdit*>(editors.at(k)))
            pages[k].answer = line->text();
        else if (auto* text = qobject_cast<QPlainTextEdit*>(editors.at(k)))
            pages[k].answer = text->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
        if (pages.at(k).type == rtPercent && !pages.at(k).answer.isEmpty())
            pages[k].answer += u'%';
    }
    return true;
}
