/** @file TreplaceDlg.cpp ** The replace question. **/
#include "search/TreplaceDlg.h"

#include <QGridLayout>
#include <QPushButton>

TreplaceDlg::TreplaceDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("TreplaceDlg"));
    setWindowTitle(QStringLiteral("Replace ?"));
    setModal(true);
    auto* grid = new QGridLayout(this);
    const struct
    {
        const char* name;
        const char* caption;
        TReplaceAnswer answer;
    } buttons[] = {
        { "yesBtn", "Yes", TReplaceAnswer::Yes },
        { "noBtn", "No", TReplaceAnswer::No },
        { "yesToAllInFileBtn", "Yes to all in file", TReplaceAnswer::YesToAllInFile },
        { "nextFileBtn", "Next file", TReplaceAnswer::NextFile },
        { "yesToAllFilesBtn", "Yes to all files", TReplaceAnswer::YesToAllFiles },
        { "abortAllFilesBtn", "Abort all files", TReplaceAnswer::AbortAllFiles },
    };
    int i = 0;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QLatin1String(b.name));
        button->setAutoDefault(i == 0);
        const TReplaceAnswer answer = b.answer;
        connect(button, &QPushButton::clicked, this, [this, answer] {
            m_answer = answer;
            accept();
        });
        grid->addWidget(button, i / 2, i % 2);
        ++i;
    }
}

TReplaceAnswer TreplaceDlg::ask(QWidget* over)
{
    m_answer = TReplaceAnswer::AbortAllFiles;
    if (over) {
        const QRect r = over->frameGeometry();
        adjustSize();
        move(r.right() - width() - 20, r.top() + 40);
    }
    exec();
    return m_answer;
}
