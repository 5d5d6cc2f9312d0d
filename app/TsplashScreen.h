/** @file TsplashScreen.h ** The borderless picture shown centred during start-up, with a status
 ** line. **/
#pragma once

#include <QWidget>

class QLabel;

class TsplashScreen : public QWidget
{
    Q_OBJECT
public:
    explicit TsplashScreen(QWidget* parent = nullptr);

    /// Shows `text` in the status line and repaints at once.
    void showStatus(const QString& text);
    QString statusText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* status = nullptr; ///< the splash's status label; start-up steps write to it
};
