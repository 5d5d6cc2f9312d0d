/** @file TgetColorFrm.h ** The screen colour picker: a borderless form over the whole screen that
 ** shows the screen as it was and takes the colour of the pixel under the mouse. **/
#pragma once

#include <QDialog>
#include "templates/wizard/wizardAnswers_utl.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <cstdint>

class QLabel;

class TgetColorFrm : public QDialog
{
    Q_OBJECT
public:
    /// Takes a picture of every screen first, then covers them all with it.
    explicit TgetColorFrm(QWidget* parent = nullptr);

    /// Shows the picker modally; the picked colour (0x00BBGGRR), or colorPickerCancelled.
    static int32_t pickColor(QWidget* parent = nullptr);

    /// The colour taken at the last mouse move (0x00BBGGRR); colorPickerCancelled before any.
    int32_t pickedColor() const { return m_picked; }
    /// What the form returns once closed: the picked colour, or colorPickerCancelled.
    int32_t pickResult() const { return m_cancelled ? colorPickerCancelled : m_picked; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    /// One screen as it was before the picker opened.
    struct Shot
    {
        QRect geometry; ///< in desktop coordinates
        QImage image; ///< in device pixels, so it may be larger than `geometry`
    };

    /// The hidden panel in the bottom right corner that holds the picked colour.
    QLabel* m_colorPanel = nullptr;
    QList<Shot> m_shots;
    int32_t m_picked = 24;
    bool m_cancelled = true;
};
