/** @file TcustomRulesDlg.cpp ** "Customize Color Rules": edits the rules and styles of colorRules
 ** and saves them to the colour rules file. **/
#include "colour/TcustomRulesDlg.h"

#include "colour/TnewStyleDlg.h"
#include "colour/customRules_utl.h"
#include "core/global_utl.h"
#include "editor/colorValue_utl.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>


namespace {

/// Item data role holding the style index an entry is drawn with.
constexpr int kStyleRole = Qt::UserRole + 1;

/// Draws an entry in the colours of its style: filled with the background, the name 2 pixels
/// from the left in the foreground. An index that is no style (-1 from "Add rule" without a
/// choice, or past the last style after a deletion) is drawn with style 0, the style its span
/// is painted with in the editor.
class StyleDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const TTextStyles& styles = colorRules.TextStyles;
        qsizetype style = index.data(kStyleRole).toInt();
        if (style < 0 || style >= styles.size())
            style = 0;
        QColor background = option.palette.color(QPalette::Base);
        QColor foreground = option.palette.color(QPalette::Text);
        if (style < styles.size()) {
            background = colorValueToQColor(styles.at(style).Color, option.palette);
            foreground = colorValueToQColor(styles.at(style).Font.Color, option.palette);
        }
        painter->save();
        painter->fillRect(option.rect, background);
        painter->setPen(foreground);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
        // The entry keeps its colours when selected; a frame shows the selection.
        if (option.state & QStyle::State_Selected) {
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        }
        painter->restore();
    }
};

/// The lines of a multi-line box as a memo counts them: none when it is empty, and a line
/// break at the very end does not start another line.
QStringList memoLines(const QPlainTextEdit* edit)
{
    QString text = edit->toPlainText();
    if (text.isEmpty())
        return {};
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TcustomRulesDlg::TcustomRulesDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Customize Color Rules"));

    rulesListBox = new QListWidget(this);
    rulesListBox->setObjectName(QStringLiteral("rulesListBox"));
    rulesListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rulesListBox->setItemDelegate(new StyleDelegate(rulesListBox));
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    opentagEdit = new QPlainTextEdit(this);
    opentagEdit->setObjectName(QStringLiteral("opentagEdit"));
    closeTagEdit = new QPlainTextEdit(this);
    closeTagEdit->setObjectName(QStringLiteral("closeTagEdit"));
    for (QPlainTextEdit* box : { opentagEdit, closeTagEdit })
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
    stylesCombo = new QComboBox(this);
    stylesCombo->setObjectName(QStringLiteral("stylesCombo"));
    stylesCombo->setItemDelegate(new StyleDelegate(stylesCombo));

    addRuleBtn = button(QStringLiteral("Add rule"), "addRuleBtn", this);
    refreshRulesBtn = button(QStringLiteral("Refresh list"), "refreshRulesBtn", this);
    deleteRuleBtn = button(QStringLiteral("Delete rule"), "deleteRuleBtn", this);
    updateRuleBtn = button(QStringLiteral("Update rule"), "updateRuleBtn", this);
    loadRulesBtn = button(QStringLiteral("Load Rules"), "loadRulesBtn", this);
    addStyleBtn = button(QStringLiteral("Add style"), "addStyleBtn", this);
    refreshStylesBtn = button(QStringLiteral("Refresh list"), "refreshStylesBtn", this);
    deleteStyleBtn = button(QStringLiteral("Delete style"), "deleteStyleBtn", this);
    updateStyleBtn = button(QStringLiteral("Update style"), "updateStyleBtn", this);
    cancelBtn = button(QStringLiteral("Cancel"), "cancelBtn", this);
    okBtn = button(QStringLiteral("OK"), "okBtn", this);

    const auto labelled = [this](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        return label;
    };
    auto* fields = new QGridLayout;
    fields->addWidget(labelled(QStringLiteral("Rule name:"), nameEdit), 0, 0, 1, 2);
    fields->addWidget(nameEdit, 1, 0, 1, 2);
    fields->addWidget(labelled(QStringLiteral("Open text:"), opentagEdit), 2, 0);
    fields->addWidget(labelled(QStringLiteral("Close text:"), closeTagEdit), 2, 1);
    fields->addWidget(opentagEdit, 3, 0);
    fields->addWidget(closeTagEdit, 3, 1);
    fields->addWidget(labelled(QStringLiteral("Style:"), stylesCombo), 4, 0, 1, 2);
    fields->addWidget(stylesCombo, 5, 0, 1, 2);

    auto* ruleButtons = new QHBoxLayout;
    for (QPushButton* b : { addRuleBtn, refreshRulesBtn, deleteRuleBtn, updateRuleBtn, loadRulesBtn })
        ruleButtons->addWidget(b);
    auto* styleButtons = new QHBoxLayout;
    for (QPushButton* b : { addStyleBtn, refreshStylesBtn, deleteStyleBtn, updateStyleBtn })
        styleButtons->addWidget(b);
    auto* closeButtons = new QHBoxLayout;
    closeButtons->addStretch();
    closeButtons->addWidget(cancelBtn);
    closeButtons->addWidget(okBtn);

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addLayout(styleButtons);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(rulesListBox, 1);
    top->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(ruleButtons);
    layout->addLayout(closeButtons);

    connect(loadRulesBtn, &QPushButton::clicked, this, &TcustomRulesDlg::loadRulesBtnClick);
    connect(refreshRulesBtn, &QPushButton::clicked, this, &TcustomRulesDlg::refreshRulesBtnClick);
    connect(refreshStylesBtn, &QPushButton::clicked, this,
            &TcustomRulesDlg::refreshStylesBtnClick);
    connect(rulesListBox, &QListWidget::itemClicked, this, &TcustomRulesDlg::rulesListBoxClick);
    connect(addRuleBtn, &QPushButton::clicked, this, &TcustomRulesDlg::addRuleBtnClick);
    connect(updateRuleBtn, &QPushButton::clicked, this, &TcustomRulesDlg::updateRuleBtnClick);
    connect(deleteRuleBtn, &QPushButton::clicked, this, &TcustomRulesDlg::deleteRuleBtnClick);
    connect(addStyleBtn, &QPushButton::clicked, this, &TcustomRulesDlg::addStyleBtnClick);
    connect(updateStyleBtn, &QPushButton::clicked, this, &TcustomRulesDlg::updateStyleBtnClick);
    connect(deleteStyleBtn, &QPushButton::clicked, this, &TcustomRulesDlg::deleteStyleBtnClick);
    connect(cancelBtn, &QPushButton::clicked, this, &TcustomRulesDlg::reject);
    connect(okBtn, &QPushButton::clicked, this, &TcustomRulesDlg::okBtnClick);

    m_runStyleDialog = [](TnewStyleDlg& dialog) { return dialog.exec() == QDialog::Accepted; };
    FormCreate();
}

void TcustomRulesDlg::FormCreate()
{
    loadRulesBtnClick();
    m_original.assign(colorRules);
}

void TcustomRulesDlg::loadRulesBtnClick()
{
    loadColorRules(colorRules, colorRulesFileName);
    refreshRulesBtnClick();
    refreshStylesBtnClick();
}

void TcustomRulesDlg::refreshRulesBtnClick()
{
    rulesListBox->clear();
    for (qsizetype i = 0; i < colorRules.count(); ++i) {
        auto* item = new QListWidgetItem(colorRules.at(i).RuleName(), rulesListBox);
        item->setData(kStyleRole, colorRules.at(i).StyleIndex());
    }
}

void TcustomRulesDlg::refreshStylesBtnClick()
{
    stylesCombo->clear();
    for (qsizetype i = 0; i < colorRules.TextStyles.size(); ++i) {
        stylesCombo->addItem(colorRules.TextStyles.at(i).Name);
        stylesCombo->setItemData(int(i), int(i), kStyleRole);
    }
    if (stylesCombo->count() > 0)
        stylesCombo->setCurrentIndex(0);
    // The rules are drawn in their styles' colours, which may have changed.
    rulesListBox->viewport()->update();
}

void TcustomRulesDlg::rulesListBoxClick()
{
    const int row = rulesListBox->currentRow();
    if (row < 0 || row >= colorRules.count())
        return;
    const TRule& rule = colorRules.at(row);
    nameEdit->setText(rule.RuleName());
    opentagEdit->setPlainText(rule.OpenTag());
    closeTagEdit->setPlainText(rule.CloseTag());
    stylesCombo->setCurrentIndex(rule.StyleIndex() < stylesCombo->count() ? rule.StyleIndex() : -1);
}

void TcustomRulesDlg::addRuleBtnClick()
{
    const QStringList openLines = memoLines(opentagEdit);
    const QStringList closeLines = memoLines(closeTagEdit);
    if (openLines.size() > closeLines.size() + 1) {
        pm::dialogs().error(QStringLiteral(
            "Error: number of lines in open tags and close tags is not equal.\r\nEach open tag "
            "line MUST have a close tag line (even if empty)."));
        return;
    }
    for (qsizetype i = 0; i < openLines.size(); ++i) {
        // A rule without an opening text could never colour anything.
        if (openLines.at(i).isEmpty())
            continue;
        colorRules.add().setValues(nameEdit->text() + QString::number(i + 1), openLines.at(i),
                                   stylesCombo->currentIndex(),
                                   i < closeLines.size() ? closeLines.at(i) : QString());
    }
    refreshRulesBtnClick();
}

void TcustomRulesDlg::updateRuleBtnClick()
{
    const int row = rulesListBox->currentRow();
    if (row < 0 || row >= colorRules.count() || !rulesListBox->currentItem()->isSelected())
        return;
    colorRules[row].setValues(nameEdit->text(), opentagEdit->toPlainText(),
                              stylesCombo->currentIndex(), closeTagEdit->toPlainText());
    refreshRulesBtnClick();
}

void TcustomRulesDlg::deleteRuleBtnClick()
{
    const QList<QListWidgetItem*> selected = rulesListBox->selectedItems();
    if (selected.isEmpty())
        return;
    if (selected.size() < 2) {
        colorRules.remove(rulesListBox->row(selected.first()));
    } else {
        QList<int> rows;
        for (QListWidgetItem* item : selected)
            rows << rulesListBox->row(item);
        std::sort(rows.begin(), rows.end(), std::greater<int>());
        for (int row : rows)
            colorRules.remove(row);
    }
    refreshRulesBtnClick();
}

void TcustomRulesDlg::addStyleBtnClick()
{
    TnewStyleDlg dialog(this);
    dialog.setWindowTitle(QStringLiteral("Add style"));
    if (m_runStyleDialog(dialog)) {
        TTextStyle style;
        style.Name = dialog.styleName();
        style.Font.Color = dialog.foreground();
        style.Color = dialog.background();
        colorRules.TextStyles.append(style);
    }
    refreshStylesBtnClick();
}

void TcustomRulesDlg::updateStyleBtnClick()
{
    const int index = stylesCombo->currentIndex();
    if (index < 0 || index >= colorRules.TextStyles.size())
        return;
    TnewStyleDlg dialog(this);
    dialog.setWindowTitle(QStringLiteral("Edit style"));
    dialog.setStyleName(colorRules.TextStyles.at(index).Name);
    dialog.setForeground(colorRules.TextStyles.at(index).Font.Color);
    dialog.setBackground(colorRules.TextStyles.at(index).Color);
    if (m_runStyleDialog(dialog)) {
        TTextStyle& style = colorRules.TextStyles[index];
        style.Name = dialog.styleName();
        style.Font.Color = dialog.foreground();
        style.Color = dialog.background();
    }
    refreshStylesBtnClick();
}

void TcustomRulesDlg::deleteStyleBtnClick()
{
    const int index = stylesCombo->currentIndex();
    if (index >= 3 && index < colorRules.TextStyles.size())
        colorRules.TextStyles.removeAt(index);
    else
        pm::dialogs().information(
            QStringLiteral("All Chars, Selection and Find styles cannot be deleted."));
    refreshStylesBtnClick();
}

void TcustomRulesDlg::okBtnClick()
{
    // A failed save has been reported; staying open keeps the user's edits.
    if (!saveColorRules(colorRules, colorRulesFileName))
        return;
    emit rulesSaved();
    accept();
}

void TcustomRulesDlg::reject()
{
    colorRules.assign(m_original);
    QDialog::reject();
}
