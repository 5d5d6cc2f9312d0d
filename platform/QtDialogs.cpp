/** @file QtDialogs.cpp ** QMessageBox and QFileDialog behind the dialogs service. **/
#include "platform/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace pm {

QString QtDialogs::standardCaption(Kind kind)
{
    switch (kind) {
    case Kind::Error:
        return QStringLiteral("Error");
    case Kind::Warning:
        return QStringLiteral("Warning");
    case Kind::Information:
        return QStringLiteral("Information");
    case Kind::Question:
        return QStringLiteral("Confirm");
    }
    return QString();
}

Dialogs::Answer QtDialogs::message(
    Kind kind, const QString& text, Buttons buttons, const QString& caption)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case Kind::Error:
        icon = QMessageBox::Critical;
        break;
    case Kind::Warning:
        icon = QMessageBox::Warning;
        break;
    case Kind::Information:
        icon = QMessageBox::Information;
        break;
    case Kind::Question:
        icon = QMessageBox::Question;
        break;
    }
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok:
        break;
    case Buttons::YesNo:
        standard = QMessageBox::Yes | QMessageBox::No;
        escape = QMessageBox::No;
        break;
    case Buttons::YesNoCancel:
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case Buttons::OkCancel:
        standard = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    }
    QMessageBox box(icon, caption.isEmpty() ? standardCaption(kind) : caption, text, standard,
        QApplication::activeWindow());
    box.setEscapeButton(escape);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return escape == QMessageBox::Ok ? Answer::Ok
            : escape == QMessageBox::No  ? Answer::No
                                         : Answer::Cancel;
    }
}

namespace {

    void prepare(QFileDialog& dialog, const Dialogs::FileRequest& request)
    {
        dialog.setWindowTitle(request.title);
        if (!request.folder.isEmpty())
            dialog.setDirectory(request.folder);
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);
        const QStringList filters = request.filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            if (request.filterIndex >= 0 && request.filterIndex < filters.size())
                dialog.selectNameFilter(filters.at(request.filterIndex));
        }
        if (!request.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(request.defaultSuffix);
    }

    void takeFilter(const QFileDialog& dialog, Dialogs::FileRequest& request)
    {
        const QStringList filters = request.filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
        const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
        if (index >= 0)
            request.filterIndex = int(index);
    }

} // namespace

QStringList QtDialogs::openFiles(FileRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow());
    prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    takeFilter(dialog, request);
    return dialog.selectedFiles();
}

QString QtDialogs::saveFile(FileRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow());
    prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    takeFilter(dialog, request);
    return dialog.selectedFiles().first();
}

} // namespace pm
