/** @file TfontDlg.h ** The "Font" dialog: a font name, size, styles and an optional colour. **/
#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

/// What the dialog reads and, on OK, fills. Empty texts mean "not defined".
struct TfontResults
{
    QString name; ///< at most 32 characters
    QString size; ///< at most 3 characters, decimal
    QString color; ///< six hexadecimal digits, red green blue
    int32_t colorValue = 0; ///< 0x00BBGGRR; meaningful when `color` is not empty
    QString styles; ///< made of "b", "i", "u", "s" in that order
};

class TfontDlg : public QDialog
{
    Q_OBJECT

public:
    /// The first entry of the name and size boxes.
    static const QString notDefined;

    explicit TfontDlg(QWidget* parent = nullptr);

    /// Shows `initial` in the controls.
    void setResults(const TfontResults& initial);
    /// Filled by OK; what the dialog was given until then.
    const TfontResults& results() const { return m_results; }

    QComboBox* nameBox() const { return m_name; }
    QComboBox* sizeBox() const { return m_size; }
    QCheckBox* styleBox(int index) const { return m_styles[index]; } ///< b, i, u, s
    QCheckBox* defineColorBox() const { return m_defineColor; }
    QPushButton* colorButton() const { return m_colorButton; }
    QPushButton* okButton() const { return m_ok; }
    QLabel* sample() const { return m_sample; }
    /// The colour the colour button shows (0x00BBGGRR).
    void setColorValue(int32_t value);

private:
    void okBtnClick();
    void updateSample();

    QComboBox* m_name = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_styles[4] = {};
    QCheckBox* m_defineColor = nullptr;
    QPushButton* m_colorButton = nullptr;
    QPushButton* m_ok = nullptr;
    QLabel* m_sample = nullptr;
    int32_t m_colorValue = 0;
    TfontResults m_results;
};

/// Runs the dialog with `io` shown; on OK `io` receives the results. True when OK was pressed.
bool showFontDialog(TfontResults& io, QWidget* parent = nullptr);
